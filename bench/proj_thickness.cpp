// The projection pane's thickness map with the ETDRS grid (nine ring sectors around the grid
// centre) on 512 x 128 and 1024 x 1024 en-face maps, and without a grid, beside one bare pass
// over the depths of the two surfaces, timed in the same run. With the grid, once with the
// grid centre kept (a position click: the sector labels are kept) and once moving it by a
// cell on every computation (the sectors are labelled again).
#include "NullView.h"
#include "panes/LProjImage.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <string>
#include <vector>

namespace {

// The ETDRS layout: a central disc of 0.5 mm radius, rings to 1.5 and 3 mm, each ring cut
// into four at 45, 135, 225 and 315 degrees.
struct Etdrs {
  std::string labels[9];
  float from[9] = {0.0f, 0.5f, 0.5f, 0.5f, 0.5f, 1.5f, 1.5f, 1.5f, 1.5f};
  float to[9] = {0.5f, 1.5f, 1.5f, 1.5f, 1.5f, 3.0f, 3.0f, 3.0f, 3.0f};
  float start[9] = {0, 45, 135, 225, 315, 45, 135, 225, 315};
  float end[9] = {0, 135, 225, 315, 45, 135, 225, 315, 45};
};

double Ms(std::chrono::steady_clock::time_point start)
{
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The fastest of a few passes adding up the depth differences of the two surfaces.
double ReadDepthsMs(const std::vector<int>& points, size_t cells)
{
  double best = 1e9;
  for (int i = 0; i < 20; ++i) {
    const auto start = std::chrono::steady_clock::now();
    int64_t sum = 0;
    for (size_t c = 0; c < cells; ++c)
      sum += points[3 * (cells + c) + 1] - points[3 * c + 1];
    benchmark::DoNotOptimize(sum);
    best = std::min(best, Ms(start));
  }
  return best;
}

void BM_ComputeThickness(benchmark::State& state)
{
  const int sizeX = static_cast<int>(state.range(0));
  const int sizeZ = static_cast<int>(state.range(1));
  const int mode = static_cast<int>(state.range(2));
  const bool moveCentre = state.range(3) != 0;
  const size_t cells = static_cast<size_t>(sizeX) * sizeZ;
  // A 6 x 6 mm scan, 1024 rows of 2 um.
  const int size[3] = {sizeX, 1024, sizeZ};
  const float spacing[3] = {6.0f / static_cast<float>(sizeX), 0.002f, 6.0f / static_cast<float>(sizeZ)};
  std::vector<int> points(3 * 2 * cells);
  for (size_t c = 0; c < cells; ++c) {
    const int x = static_cast<int>(c % static_cast<size_t>(sizeX));
    const int z = static_cast<int>(c / static_cast<size_t>(sizeX));
    const int top = 300 + (x * 7 + z * 13) % 40;
    points[3 * c + 1] = top;
    points[3 * (cells + c) + 1] = top + 100 + (x * 3 + z * 5) % 60;
  }
  std::vector<uint8_t> undefined(cells, 0);
  int position[3] = {sizeX / 2, 512, sizeZ / 2};
  int centre[2] = {sizeX / 2, sizeZ / 2};
  Etdrs grid;
  NullView view;
  LProjImage pane(view);
  pane.CreatePane(sizeX, sizeZ, DibColors24Bit, nullptr);
  pane.SetVolume(size, nullptr, spacing, 2);
  pane.SetPosition(position);
  pane.SetGridCenter(centre);
  pane.SetSurfaces(2, points.data(), undefined.data());
  pane.SetGridCircles(GridCircle, 9, grid.labels, grid.from, grid.to, grid.start, grid.end);
  pane.SetGridMode(mode);
  double totalMs = 0;
  for (auto _ : state) {
    if (moveCentre)
      centre[0] = centre[0] == sizeX / 2 ? sizeX / 2 + 1 : sizeX / 2;
    const auto start = std::chrono::steady_clock::now();
    pane.ComputeThickness(0, 1);
    benchmark::DoNotOptimize(pane.Thickness().MeanT());
    totalMs += Ms(start);
  }
  const double readMs = ReadDepthsMs(points, cells);
  state.counters["read_ms"] = readMs;
  state.counters["x_read"] = totalMs / static_cast<double>(state.iterations()) / readMs;
  state.SetLabel(mode == GridModeNone ? "no grid" : moveCentre ? "ETDRS, centre moved" : "ETDRS");
}

BENCHMARK(BM_ComputeThickness)
    ->ArgNames({"x", "z", "mode", "move"})
    ->Args({512, 128, GridModeQuantity, 0})
    ->Args({1024, 1024, GridModeQuantity, 0})
    ->Args({512, 128, GridModeQuantity, 1})
    ->Args({1024, 1024, GridModeQuantity, 1})
    ->Args({512, 128, GridModeNone, 0})
    ->Args({1024, 1024, GridModeNone, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
