// Reading a realistic MetaImage scan (512 x 1024 x 128, 16 bits) and an 8-bit label volume
// of its size through ReadScanFile, each beside a bare fread of the same data file into a
// freshly allocated buffer: the first touch of new memory is part of every load, so it
// belongs to the baseline. Each read is measured twice: in this process, and through the
// decoder helper as the program reads it.
// The helper's own processor time is counted apart ("helper_cpu"): on a busy machine the
// wall time of a read through the helper also holds the wait for a processor to start it.
#include "data/DecoderHelper.h"
#include "data/LOCTVolume.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kSize[3] = {512, 1024, 128};

// A volume of the given bytes per voxel, written once into a temporary folder that is
// removed at exit.
class ScanFile {
public:
  explicit ScanFile(int bytesPerVoxel)
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "strataview-bench-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data()))
      throw std::runtime_error("cannot create a temporary folder");
    m_Folder = name.data();
    LOCTVolume volume;
    const float spacing[3] = {0.0117f, 0.0039f, 0.047f};
    volume.CreateVolume(kSize, FormatMetaImage, spacing, bytesPerVoxel, LateralityOD, CenterMacula);
    unsigned short* voxel = volume.Voxels();
    const unsigned shift = bytesPerVoxel == 1 ? 24 : 16;
    for (uint64_t i = 0; i < volume.VoxelCount(); ++i)
      voxel[i] = static_cast<unsigned short>(uint32_t(i * 2654435761u) >> shift);
    if (volume.WriteMetaImage(Header()) != 0)
      throw std::runtime_error("cannot write the scan");
  }
  ~ScanFile()
  {
    std::error_code ignored;
    std::filesystem::remove_all(m_Folder, ignored);
  }
  std::string Header() const { return (m_Folder / "scan.mhd").string(); }
  std::string Data() const { return (m_Folder / "scan.raw").string(); }

private:
  std::filesystem::path m_Folder;
};

const ScanFile& Scan()
{
  static const ScanFile scan(2);
  return scan;
}

// Processor time, user and system, of the ended helpers so far, in seconds.
double HelperCpuSeconds()
{
  rusage usage{};
  ::getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

const ScanFile& Labels()
{
  static const ScanFile labels(1);
  return labels;
}

void ReadScan(benchmark::State& state, const ScanFile& file, const std::string& helper)
{
  const std::string path = file.Header();
  decoder::UseHelper(helper);
  const double helperCpuBefore = HelperCpuSeconds();
  for (auto _ : state) {
    LOCTVolume volume;
    if (volume.ReadScanFile(path) != 0)
      state.SkipWithError("read failed");
    benchmark::DoNotOptimize(volume.Voxels());
  }
  decoder::UseHelper("");
  state.counters["helper_cpu"] =
      benchmark::Counter(HelperCpuSeconds() - helperCpuBefore, benchmark::Counter::kAvgIterations);
}

void ReadScanFileMetaImage(benchmark::State& state) { ReadScan(state, Scan(), ""); }
void ReadScanFileMetaImageThroughDecoderHelper(benchmark::State& state) { ReadScan(state, Scan(), STRATAVIEW_DECODER); }
void ReadLabelsMetaImage8Bit(benchmark::State& state) { ReadScan(state, Labels(), ""); }
void ReadLabelsMetaImage8BitThroughDecoderHelper(benchmark::State& state) { ReadScan(state, Labels(), STRATAVIEW_DECODER); }

void Fread(benchmark::State& state, const ScanFile& source, int bytesPerVoxel)
{
  const std::string path = source.Data();
  const size_t bytes = size_t(kSize[0]) * kSize[1] * kSize[2] * size_t(bytesPerVoxel);
  for (auto _ : state) {
    std::unique_ptr<void, decltype(&std::free)> buffer(std::malloc(bytes), &std::free);
    std::unique_ptr<std::FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!buffer || !file || std::fread(buffer.get(), 1, bytes, file.get()) != bytes)
      state.SkipWithError("fread failed");
    benchmark::DoNotOptimize(buffer.get());
  }
}

void FreadRawBaseline(benchmark::State& state) { Fread(state, Scan(), 2); }
void FreadRawBaseline8Bit(benchmark::State& state) { Fread(state, Labels(), 1); }

}  // namespace

BENCHMARK(FreadRawBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadScanFileMetaImage)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadScanFileMetaImageThroughDecoderHelper)->Unit(benchmark::kMillisecond);
BENCHMARK(FreadRawBaseline8Bit)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadLabelsMetaImage8Bit)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadLabelsMetaImage8BitThroughDecoderHelper)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
