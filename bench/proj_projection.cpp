// The projection pane's en-face projection between the first and the last of 11 surfaces of
// a 512 x 1024 x 128 16-bit scan (the surfaces span the whole depth), beside one bare pass
// that reads every voxel of the scan in memory order, timed in the same run.
#include "NullView.h"
#include "panes/LProjImage.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <vector>

namespace {

constexpr int kX = 512;
constexpr int kY = 1024;
constexpr int kZ = 128;
constexpr int kSurfaces = 11;

struct Scene {
  std::vector<unsigned short> voxels;
  std::vector<int> points;
};

const Scene& TheScene()
{
  static Scene scene;
  if (scene.voxels.empty()) {
    scene.voxels.resize(static_cast<size_t>(kX) * kY * kZ);
    for (size_t i = 0; i < scene.voxels.size(); ++i)
      scene.voxels[i] = static_cast<unsigned short>((i * 2654435761u) >> 16);
    // Surface s at about s tenths of the depth, wavy along x and z; the first at the top and
    // the last at the bottom, so that the projection reads every row.
    scene.points.resize(3 * static_cast<size_t>(kSurfaces) * kX * kZ);
    for (int s = 0; s < kSurfaces; ++s)
      for (int z = 0; z < kZ; ++z)
        for (int x = 0; x < kX; ++x) {
          const int wave = (x * 7 + z * 13) % 40 - 20;
          const int y = s == 0 ? 0 : s == kSurfaces - 1 ? kY - 1 : s * (kY / (kSurfaces - 1)) + wave;
          int* p = &scene.points[3 * ((static_cast<size_t>(s) * kZ + z) * kX + x)];
          p[0] = x;
          p[1] = y;
          p[2] = z;
        }
  }
  return scene;
}

double Ms(std::chrono::steady_clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The fastest of a few passes adding up every voxel, in milliseconds. Blocks of 65536 voxels
// add into 32-bit lanes, which cannot overflow, so that the compiler vectorises the pass and
// the figure is the memory's speed rather than a scalar loop's.
double ReadEveryVoxelMs()
{
  const std::vector<unsigned short>& v = TheScene().voxels;
  constexpr size_t kBlock = 65536;
  double best = 1e9;
  for (int i = 0; i < 10; ++i) {
    const auto start = std::chrono::steady_clock::now();
    uint64_t sum = 0;
    for (size_t first = 0; first < v.size(); first += kBlock) {
      const unsigned short* block = v.data() + first;
      const size_t count = std::min(kBlock, v.size() - first);
      uint32_t partial = 0;
      for (size_t j = 0; j < count; ++j)
        partial += block[j];
      sum += partial;
    }
    benchmark::DoNotOptimize(sum);
    best = std::min(best, Ms(start));
  }
  return best;
}

void BM_ComputeProjection(benchmark::State& state)
{
  const Scene& scene = TheScene();
  const int size[3] = {kX, kY, kZ};
  const float spacing[3] = {0.0117f, 0.002f, 0.047f};
  int position[3] = {kX / 2, kY / 2, kZ / 2};
  int centre[2] = {kX / 2, kZ / 2};
  std::vector<uint8_t> undefined(static_cast<size_t>(kX) * kZ, 0);
  NullView view;
  LProjImage pane(view);
  pane.CreatePane(kX, kZ, DibColors24Bit, nullptr);
  pane.SetVolume(size, scene.voxels.data(), spacing, 2);
  pane.SetPosition(position);
  pane.SetGridCenter(centre);
  pane.SetSurfaces(kSurfaces, scene.points.data(), undefined.data());
  double totalMs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    pane.ComputeProjection(0, kSurfaces - 1);
    benchmark::DoNotOptimize(pane.GetRedPlane());
    totalMs += Ms(start);
  }
  const double readMs = ReadEveryVoxelMs();
  state.counters["read_ms"] = readMs;
  state.counters["x_read"] = totalMs / static_cast<double>(state.iterations()) / readMs;
}

BENCHMARK(BM_ComputeProjection)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
