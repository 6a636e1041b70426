// Reading a Heidelberg .vol (512 x 496 x 97) and a Topcon .fds (512 x 885 x 128) through
// ReadScanFile, each beside a plain fread of the same file in the same run.
#include "data/LOCTVolume.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// A folder of generated scans that lives as long as the program.
class ScanFiles {
public:
  ScanFiles()
  {
    std::string pattern = (std::filesystem::temp_directory_path() / "strataview-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
      std::abort();
    m_Folder = pattern;
    WriteHeidelberg(512, 496, 97);
    WriteTopcon(512, 885, 128);
  }
  ~ScanFiles() { std::filesystem::remove_all(m_Folder); }
  ScanFiles(const ScanFiles&) = delete;
  ScanFiles& operator=(const ScanFiles&) = delete;

  std::string Heidelberg() const { return (m_Folder / "scan.vol").string(); }
  std::string Topcon() const { return (m_Folder / "scan.fds").string(); }

private:
  template <typename T> static void Put(std::vector<unsigned char>& out, T value)
  {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    out.insert(out.end(), bytes, bytes + sizeof(T));
  }

  static void Save(const std::string& path, const std::vector<unsigned char>& bytes)
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f) != 0)
      std::abort();
  }

  void WriteHeidelberg(int32_t x, int32_t y, int32_t z) const
  {
    const int32_t fundus = 768, bscanHeader = 456;
    std::vector<unsigned char> file(12, 0);
    Put(file, x); Put(file, z); Put(file, y);
    Put(file, 0.0117); Put(file, 0.062); Put(file, 0.0039);
    Put(file, fundus); Put(file, fundus);
    file.resize(84, 0);
    file.insert(file.end(), {'O', 'D', 0, 0});
    file.resize(100, 0);
    Put(file, bscanHeader);
    file.resize(2048 + size_t(fundus) * fundus, 0);
    uint32_t state = 12345;
    for (int32_t k = 0; k < z; ++k) {
      file.resize(file.size() + size_t(bscanHeader), 0);
      for (int64_t i = 0; i < int64_t(x) * y; ++i) {
        state = state * 1664525u + 1013904223u;
        Put(file, float(state >> 8) / float(1 << 24));  // reflectivities in [0, 1)
      }
    }
    Save(Heidelberg(), file);
  }

  void WriteTopcon(int32_t x, int32_t y, int32_t z) const
  {
    std::vector<unsigned char> file(4000, 'x');
    for (const char c : std::string("@IMG_SCAN_03"))
      file.push_back(static_cast<unsigned char>(c));
    file.resize(file.size() + 5, 0);
    Put(file, x); Put(file, y); Put(file, int32_t(16)); Put(file, z);
    file.resize(file.size() + 4, 0);
    for (int64_t i = 0; i < int64_t(x) * y * z; ++i) {
      file.push_back(static_cast<unsigned char>(i >> 8));
      file.push_back(static_cast<unsigned char>(i));
    }
    Save(Topcon(), file);
  }

  std::filesystem::path m_Folder;
};

const ScanFiles& Files()
{
  static const ScanFiles files;
  return files;
}

void ReadWithScanReader(benchmark::State& state, const std::string& path)
{
  for (auto _ : state) {
    LOCTVolume volume;
    if (volume.ReadScanFile(path) != kScanOk) {
      state.SkipWithError("the scan did not read");
      return;
    }
    benchmark::DoNotOptimize(volume.Voxels());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(std::filesystem::file_size(path)));
}

bool FreadAll(const std::string& path, char* buffer, size_t size)
{
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  const bool complete = std::fread(buffer, 1, size, f) == size;
  std::fclose(f);
  return complete;
}

// The file into one buffer allocated before the run: the bare cost of the bytes.
void FreadIntoWarmBuffer(benchmark::State& state, const std::string& path)
{
  const size_t size = std::filesystem::file_size(path);
  std::vector<char> buffer(size);
  for (auto _ : state) {
    if (!FreadAll(path, buffer.data(), size)) {
      state.SkipWithError("fread failed");
      return;
    }
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

// The file into fresh memory each time, as a reader must: the same bytes plus the cost of
// first touching new pages.
void FreadIntoFreshBuffer(benchmark::State& state, const std::string& path)
{
  const size_t size = std::filesystem::file_size(path);
  for (auto _ : state) {
    const std::unique_ptr<char, decltype(&std::free)> buffer(static_cast<char*>(std::malloc(size)), &std::free);
    if (!buffer || !FreadAll(path, buffer.get(), size)) {
      state.SkipWithError("fread failed");
      return;
    }
    benchmark::DoNotOptimize(buffer.get());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(size));
}

void HeidelbergReadScanFile(benchmark::State& state) { ReadWithScanReader(state, Files().Heidelberg()); }
void HeidelbergFreadWarm(benchmark::State& state) { FreadIntoWarmBuffer(state, Files().Heidelberg()); }
void HeidelbergFreadFresh(benchmark::State& state) { FreadIntoFreshBuffer(state, Files().Heidelberg()); }
void TopconReadScanFile(benchmark::State& state) { ReadWithScanReader(state, Files().Topcon()); }
void TopconFreadWarm(benchmark::State& state) { FreadIntoWarmBuffer(state, Files().Topcon()); }
void TopconFreadFresh(benchmark::State& state) { FreadIntoFreshBuffer(state, Files().Topcon()); }

BENCHMARK(HeidelbergFreadWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(HeidelbergFreadFresh)->Unit(benchmark::kMillisecond);
BENCHMARK(HeidelbergReadScanFile)->Unit(benchmark::kMillisecond);
BENCHMARK(TopconFreadWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(TopconFreadFresh)->Unit(benchmark::kMillisecond);
BENCHMARK(TopconReadScanFile)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
