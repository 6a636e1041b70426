// Reading and writing a surfaces file of realistic size (11 surfaces of 512 x 128 A-scans)
// beside the XML library's bare parse and print of the same document.
#include "data/LSurfaces.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tinyxml2.h>
#include <unistd.h>

namespace {

constexpr int kX = 512;
constexpr int kZ = 128;
constexpr int kSurfaces = 11;

std::string Folder()
{
  static const std::string folder = [] {
    char pattern[] = "/tmp/strataview-bench-XXXXXX";
    return std::string(mkdtemp(pattern));
  }();
  return folder;
}

const std::string& SurfacesFile()
{
  static const std::string path = [] {
    std::vector<int32_t> rows = {5, 6, 7, 8, 9, 10, 14, 15, 18, 19, 20};
    LSurfaces s;
    LResultHeader h;
    h.version = "4.0.0";
    s.Create(kX, kZ, kSurfaces, rows, rows, std::vector<std::string>(kSurfaces, "1"), h);
    for (int i = 0; i < kSurfaces; ++i)
      for (int z = 0; z < kZ; ++z)
        for (int x = 0; x < kX; ++x)
          s.Point(i, x, z).y = 100 + 40 * i + (x * z) % 17;
    const std::string file = Folder() + "/bench_Surfaces_.xml";
    if (s.WriteXml(file) != 0)
      std::abort();
    return file;
  }();
  return path;
}

void ReadSurfaces(benchmark::State& state)
{
  for (auto _ : state) {
    LSurfaces s;
    benchmark::DoNotOptimize(s.ReadXml(SurfacesFile()));
  }
}

void BareParse(benchmark::State& state)
{
  for (auto _ : state) {
    tinyxml2::XMLDocument document;
    benchmark::DoNotOptimize(document.LoadFile(SurfacesFile().c_str()));
  }
}

void WriteSurfaces(benchmark::State& state)
{
  LSurfaces s;
  if (s.ReadXml(SurfacesFile()) != 0)
    std::abort();
  const std::string out = Folder() + "/written.xml";
  for (auto _ : state)
    benchmark::DoNotOptimize(s.WriteXml(out));
}

void BareSave(benchmark::State& state)
{
  tinyxml2::XMLDocument document;
  document.LoadFile(SurfacesFile().c_str());
  const std::string out = Folder() + "/saved.xml";
  for (auto _ : state)
    benchmark::DoNotOptimize(document.SaveFile(out.c_str(), false));
}

BENCHMARK(BareParse)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadSurfaces)->Unit(benchmark::kMillisecond);
BENCHMARK(BareSave)->Unit(benchmark::kMillisecond);
BENCHMARK(WriteSurfaces)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
  SurfacesFile();   // made before any timing starts
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(Folder());
  return 0;
}
