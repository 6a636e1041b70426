// Reading a realistic MetaImage scan (512 x 1024 x 128, 16 bits) and an 8-bit label volume
// of its size through ReadScanFile, each beside a bare fread of the same data file into a
// freshly allocated buffer: the first touch of new memory is part of every load, so it
// belongs to the baseline. Each read is measured twice: in this process, and through the
// decoder helper as the program reads it. Through the helper, the program reads the voxels
// of these files itself into memory advised for huge pages, once the helper has checked the
// header; a second baseline reads the raw bytes into such memory. For the record, the same
// voxels behind a header that leaves their place to the toolkit (their data at the end of
// the file) come decoded by the helper through shared memory.
// The helper's own processor time is counted apart ("helper_cpu"): on a busy machine the
// wall time of a read through the helper also holds the wait for a processor to start it.
#include "data/DecoderHelper.h"
#include "data/LOCTVolume.h"
#include "data/MappedVoxels.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
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
    (void)volume.CreateVolume(kSize, FormatMetaImage, spacing, bytesPerVoxel, LateralityOD, CenterMacula);
    unsigned short* voxel = volume.Voxels();
    const unsigned shift = bytesPerVoxel == 1 ? 24 : 16;
    for (uint64_t i = 0; i < volume.VoxelCount(); ++i)
      voxel[i] = static_cast<unsigned short>(uint32_t(i * 2654435761u) >> shift);
    if (volume.WriteMetaImage(Header()) != 0)
      throw std::runtime_error("cannot write the scan");
    // The same data file, named by a header that places the voxels at the end of it.
    std::ifstream in(Header());
    std::ofstream out(AtEndHeader());
    for (std::string line; std::getline(in, line);)
      out << (line.rfind("ElementDataFile", 0) == 0 ? "HeaderSize = -1\n" : "") << line << "\n";
    if (!out.flush())
      throw std::runtime_error("cannot write the second header");
  }
  ~ScanFile()
  {
    std::error_code ignored;
    std::filesystem::remove_all(m_Folder, ignored);
  }
  std::string Header() const { return (m_Folder / "scan.mhd").string(); }
  std::string Data() const { return (m_Folder / "scan.raw").string(); }
  std::string AtEndHeader() const { return (m_Folder / "at-end.mhd").string(); }

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

void ReadScan(benchmark::State& state, const std::string& path, const std::string& helper)
{
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

void ReadScanFileMetaImage(benchmark::State& state) { ReadScan(state, Scan().Header(), ""); }
void ReadScanFileMetaImageThroughDecoderHelper(benchmark::State& state)
{
  ReadScan(state, Scan().Header(), STRATAVIEW_DECODER);
}
void ReadScanFileDataAtEnd(benchmark::State& state) { ReadScan(state, Scan().AtEndHeader(), ""); }
void ReadScanFileDataAtEndThroughDecoderHelperSharedMemory(benchmark::State& state)
{
  ReadScan(state, Scan().AtEndHeader(), STRATAVIEW_DECODER);
}
void ReadLabelsMetaImage8Bit(benchmark::State& state) { ReadScan(state, Labels().Header(), ""); }
void ReadLabelsMetaImage8BitThroughDecoderHelper(benchmark::State& state)
{
  ReadScan(state, Labels().Header(), STRATAVIEW_DECODER);
}

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

// The raw bytes read into memory advised for huge pages, as the program reads the voxels
// that the helper named.
void PreadHugePages(benchmark::State& state, const ScanFile& source, int bytesPerVoxel)
{
  const std::string path = source.Data();
  const size_t bytes = size_t(kSize[0]) * kSize[1] * kSize[2] * size_t(bytesPerVoxel);
  for (auto _ : state) {
    const decoder::MemoryMapping buffer = decoder::MemoryMapping::Private(bytes);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    size_t got = 0;
    for (ssize_t n = 1; fd >= 0 && buffer.Data() && got < bytes && n > 0; got += size_t(std::max<ssize_t>(n, 0)))
      n = ::pread(fd, static_cast<char*>(buffer.Data()) + got, bytes - got, off_t(got));
    if (fd >= 0)
      ::close(fd);
    if (got != bytes)
      state.SkipWithError("pread failed");
    benchmark::DoNotOptimize(buffer.Data());
  }
}

void FreadRawBaseline(benchmark::State& state) { Fread(state, Scan(), 2); }
void PreadRawIntoHugePagesBaseline(benchmark::State& state) { PreadHugePages(state, Scan(), 2); }
void FreadRawBaseline8Bit(benchmark::State& state) { Fread(state, Labels(), 1); }

}  // namespace

BENCHMARK(FreadRawBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(PreadRawIntoHugePagesBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadScanFileMetaImage)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadScanFileMetaImageThroughDecoderHelper)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadScanFileDataAtEnd)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadScanFileDataAtEndThroughDecoderHelperSharedMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(FreadRawBaseline8Bit)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadLabelsMetaImage8Bit)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadLabelsMetaImage8BitThroughDecoderHelper)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
