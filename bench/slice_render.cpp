// Rendering a slice pane of a 512 x 1024 x 128 16-bit scan in each orientation, beside a
// memcpy of the slab's own voxel bytes and a bare pass reading them in memory order, all
// timed in the same run and all starting with the scan out of the caches, as after a slice
// change.
#include "data/LOCTVolume.h"
#include "NullView.h"
#include "panes/LOCTImage.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

namespace {

const LOCTVolume& Scan()
{
  static LOCTVolume volume;
  if (!volume.loaded) {
    const int size[3] = {512, 1024, 128};
    const float spacing[3] = {0.0117f, 0.002f, 0.047f};
    (void)volume.CreateVolume(size, FormatNA, spacing, 2, LateralityNA, CenterNA);
    unsigned short* v = volume.Voxels();
    for (uint64_t i = 0; i < volume.VoxelCount(); ++i)
      v[i] = static_cast<unsigned short>((i * 2654435761u) >> 16);
    volume.loaded = true;
  }
  return volume;
}

// A label volume of the scan's size: a band of labelled voxels in every B-scan.
LabelLayer* Labels()
{
  static LOCTVolume labels;
  static LabelLayer layer;
  if (!labels.loaded) {
    const LOCTVolume& scan = Scan();
    const int size[3] = {scan.sizeX, scan.sizeY, scan.sizeZ};
    const float spacing[3] = {scan.spacingX, scan.spacingY, scan.spacingZ};
    (void)labels.CreateVolume(size, scan.format, spacing, 1, scan.laterality, scan.centerType);
    unsigned short* voxels = labels.Voxels();
    for (uint64_t i = 0; i < labels.VoxelCount(); ++i)
      voxels[i] = (i / static_cast<uint64_t>(scan.sizeX)) % 16 < 3 ? 255 : 0;
    layer.Show(&labels);
  }
  return &layer;
}

// Evicts the scan from the caches: the renders read it cold after a slice change, and so
// must the baselines.
void EvictCaches()
{
  static std::vector<char> other(256u << 20);
  for (size_t i = 0; i < other.size(); i += 64)
    other[i] = static_cast<char>(other[i] + 1);
  benchmark::ClobberMemory();
}

// The fastest of a few cold copies of the slab's own voxel bytes (its runs in memory order
// into one buffer), in milliseconds.
double MemcpyMs(int orientation, const int position[3], int count)
{
  const LOCTVolume& scan = Scan();
  const unsigned short* v = scan.Voxels();
  const int64_t X = scan.sizeX;
  const int64_t XY = X * scan.sizeY;
  std::vector<unsigned short> target(static_cast<size_t>(scan.VoxelCount()));
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    EvictCaches();
    const auto start = std::chrono::steady_clock::now();
    unsigned short* out = target.data();
    const auto copy = [&out](const unsigned short* from, int64_t voxels) {
      std::memcpy(out, from, static_cast<size_t>(voxels) * sizeof(unsigned short));
      out += voxels;
    };
    if (orientation == OrientationXY) {
      copy(v + (position[2] - count / 2) * XY, XY * count);
    } else if (orientation == OrientationXZ) {
      for (int z = 0; z < scan.sizeZ; ++z)
        copy(v + z * XY + (position[1] - count / 2) * X, X * count);
    } else {
      for (int z = 0; z < scan.sizeZ; ++z)
        for (int y = 0; y < scan.sizeY; ++y)
          copy(v + z * XY + y * X + position[0] - count / 2, count);
    }
    benchmark::DoNotOptimize(target.data());
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// The fastest of a few cold bare passes that add up the slab's voxels in the volume's memory
// order (the least memory traffic a render needs), in milliseconds.
double SlabReadMs(int orientation, const int position[3], int count)
{
  const LOCTVolume& scan = Scan();
  const unsigned short* v = scan.Voxels();
  const int64_t X = scan.sizeX;
  const int64_t XY = X * scan.sizeY;
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    EvictCaches();
    const auto start = std::chrono::steady_clock::now();
    uint64_t sum = 0;
    if (orientation == OrientationXY) {
      const unsigned short* slab = v + (position[2] - count / 2) * XY;
      for (int64_t j = 0; j < XY * count; ++j)
        sum += slab[j];
    } else if (orientation == OrientationXZ) {
      for (int z = 0; z < scan.sizeZ; ++z) {
        const unsigned short* rows = v + z * XY + (position[1] - count / 2) * X;
        for (int64_t j = 0; j < X * count; ++j)
          sum += rows[j];
      }
    } else {
      for (int z = 0; z < scan.sizeZ; ++z)
        for (int y = 0; y < scan.sizeY; ++y) {
          const unsigned short* run = v + z * XY + y * X + position[0] - count / 2;
          for (int s = 0; s < count; ++s)
            sum += run[s];
        }
    }
    benchmark::DoNotOptimize(sum);
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

void BM_Render(benchmark::State& state)
{
  const LOCTVolume& scan = Scan();
  const int orientation = static_cast<int>(state.range(0));
  const int avg = static_cast<int>(state.range(1));
  const int size[3] = {scan.sizeX, scan.sizeY, scan.sizeZ};
  const float spacing[3] = {scan.spacingX, scan.spacingY, scan.spacingZ};
  int columns = 0;
  int rows = 0;
  SliceImageSize(orientation, size, columns, rows);
  int position[3] = {size[0] / 2, size[1] / 2, size[2] / 2};
  float centre = 32768;
  float width = 65535;

  NullView view;
  LOCTImage pane(view);
  pane.CreatePane(columns, rows, DibColors24Bit, nullptr);
  pane.SetVolume(size, scan.Voxels(), spacing, scan.bytesPerVoxel);
  pane.SetOrientation(orientation);
  pane.SetPosition(position);
  pane.SetWindowLevel(&centre, &width);
  pane.SetAvgSliceNum(avg);
  const bool tints = state.range(2) != 0;
  if (tints) {
    pane.SetVesselVolume(Labels());
    pane.SetSEADVolume(Labels());
    pane.ShowVessel(true);
    pane.ShowSEAD(true);
  }
  double renderMs = 0;
  for (auto _ : state) {
    EvictCaches();
    const auto start = std::chrono::steady_clock::now();
    pane.Render();
    benchmark::DoNotOptimize(pane.Bitmap().constBits());
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(ms / 1000.0);
    renderMs += ms;
  }
  const double memcpyMs = MemcpyMs(orientation, position, avg);
  const double readMs = SlabReadMs(orientation, position, avg);
  const double meanMs = renderMs / static_cast<double>(state.iterations());
  state.counters["memcpy_ms"] = memcpyMs;
  state.counters["x_memcpy"] = meanMs / memcpyMs;
  state.counters["read_ms"] = readMs;
  state.counters["x_read"] = meanMs / readMs;
  state.SetLabel(std::string(orientation == OrientationXY ? "XY" : orientation == OrientationZY ? "ZY" : "XZ") +
                 (tints ? " with vessel and SEAD tints" : ""));
}

BENCHMARK(BM_Render)
    ->ArgNames({"orientation", "slab", "tints"})
    ->ArgsProduct({{OrientationXY, OrientationZY, OrientationXZ}, {1, 5, 11}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
