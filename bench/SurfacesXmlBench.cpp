// Reading and writing a surfaces file of realistic size (11 surfaces of 512 x 128 A-scans)
// beside the XML library's own parse and print of the same document.
//
// Writes run in two folders. On the disk (TMPDIR, else /tmp) our safe write flushes the
// file to the platter and the library's SaveFile does not, so the baseline there is
// SaveFile followed by the same flush and rename (BareSaveSynced); the flush alone is
// timed as Fsync. In memory (/dev/shm, a tmpfs) a flush costs nothing, and our write
// stands beside SaveFile as it is (BareSave).
#include "data/LSurfaces.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <tinyxml2.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kX = 512;
constexpr int kZ = 128;
constexpr int kSurfaces = 11;

enum Place { kDisk = 0, kMemory = 1 };

std::string MakeFolder(const std::string& parent)
{
  std::string pattern = parent + "/strataview-bench-XXXXXX";
  if (!mkdtemp(pattern.data()))
    std::abort();
  return pattern;
}

const std::string& Folder(int place)
{
  static const std::string disk = MakeFolder(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
  static const std::string memory = MakeFolder("/dev/shm");
  return place == kMemory ? memory : disk;
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
    const std::string file = Folder(kDisk) + "/bench_Surfaces_.xml";
    if (s.WriteXml(file) != 0)
      std::abort();
    return file;
  }();
  return path;
}

void Sync(int fd)
{
  if (::fsync(fd) != 0)
    std::abort();
}

void SyncFolder(const std::string& folder)
{
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  Sync(fd);
  ::close(fd);
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

void WriteSurfaces(benchmark::State& state, int place)
{
  LSurfaces s;
  if (s.ReadXml(SurfacesFile()) != 0)
    std::abort();
  const std::string out = Folder(place) + "/written.xml";
  for (auto _ : state)
    benchmark::DoNotOptimize(s.WriteXml(out));
}

// The library's document, built from the file outside the timed region.
void BareSave(benchmark::State& state, int place)
{
  tinyxml2::XMLDocument document;
  document.LoadFile(SurfacesFile().c_str());
  const std::string out = Folder(place) + "/saved.xml";
  for (auto _ : state)
    benchmark::DoNotOptimize(document.SaveFile(out.c_str(), false));
}

// SaveFile into a temporary beside the target, flushed to disk, renamed over the target,
// and the folder flushed: the steps our safe write takes around its text.
void BareSaveSynced(benchmark::State& state, int place)
{
  tinyxml2::XMLDocument document;
  document.LoadFile(SurfacesFile().c_str());
  const std::string& folder = Folder(place);
  const std::string temporary = folder + "/.saved.tmp";
  const std::string out = folder + "/saved.xml";
  for (auto _ : state) {
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    benchmark::DoNotOptimize(document.SaveFile(file, false));
    std::fflush(file);
    Sync(fileno(file));
    std::fclose(file);
    std::rename(temporary.c_str(), out.c_str());
    SyncFolder(folder);
  }
}

// The flush alone: a file of the surfaces file's size is written (untimed), then flushed.
void Fsync(benchmark::State& state, int place)
{
  tinyxml2::XMLDocument document;
  document.LoadFile(SurfacesFile().c_str());
  const std::string out = Folder(place) + "/flushed.xml";
  for (auto _ : state) {
    state.PauseTiming();
    std::FILE* file = std::fopen(out.c_str(), "wb");
    document.SaveFile(file, false);
    std::fflush(file);
    state.ResumeTiming();
    Sync(fileno(file));
    state.PauseTiming();
    std::fclose(file);
    state.ResumeTiming();
  }
}

BENCHMARK(BareParse)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadSurfaces)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareSave, memory, kMemory)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteSurfaces, memory, kMemory)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareSave, disk, kDisk)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BareSaveSynced, disk, kDisk)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WriteSurfaces, disk, kDisk)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fsync, disk, kDisk)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
  SurfacesFile();   // made before any timing starts
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(Folder(kDisk));
  std::filesystem::remove_all(Folder(kMemory));
  return 0;
}
