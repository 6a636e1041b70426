// The ETDRS sector map of a scan's en-face plane (512 x 128 A-scans at 0.0117 x 0.047 mm,
// and 1024 x 1024 at 0.006 x 0.006 mm) beside clearing the same label image with memset.
#include "data/LGrid.h"
#include "data/LGridMap.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Plane {
  int width, height;
  float spacingX, spacingZ;
};

const Plane kPlanes[] = {{512, 128, 0.0117f, 0.047f}, {1024, 1024, 0.006f, 0.006f}};

LGrid& Etdrs()
{
  static LGrid grid;
  // The copy of the grid definitions that the build puts beside the program.
  const std::filesystem::path file = std::filesystem::read_symlink("/proc/self/exe")
                                         .parent_path()
                                         .parent_path() /
                                     "Grid" / "Grid_Circle_Macula_ETDRS.xml";
  if (!grid.loaded && grid.ReadXml(file.string()) != 0)
    std::abort();
  return grid;
}

void ComputeEtdrsMap(benchmark::State& state)
{
  const Plane& p = kPlanes[state.range(0)];
  LGrid& g = Etdrs();
  LGridMap map;
  map.SetSize(p.width, p.height);
  map.SetSpacing(p.spacingX, 0.0039f, p.spacingZ);
  map.SetCenter(p.width / 2, p.height / 2);
  map.SetGridCircles(g.circleCount, g.circleLabels.data(), g.radiusFrom.data(),
                     g.radiusTo.data(), g.angleFrom.data(), g.angleTo.data());
  for (auto _ : state) {
    map.Compute();
    benchmark::DoNotOptimize(map.LabelImage());
  }
  state.SetLabel(std::to_string(p.width) + " x " + std::to_string(p.height));
}

void MemsetLabels(benchmark::State& state)
{
  const Plane& p = kPlanes[state.range(0)];
  std::vector<uint16_t> labels(size_t(p.width) * p.height);
  for (auto _ : state) {
    std::memset(labels.data(), 0, sizeof(uint16_t) * labels.size());
    benchmark::ClobberMemory();
  }
  state.SetLabel(std::to_string(p.width) + " x " + std::to_string(p.height));
}

}  // namespace

BENCHMARK(ComputeEtdrsMap)->Arg(0)->Arg(1);
BENCHMARK(MemsetLabels)->Arg(0)->Arg(1);
BENCHMARK_MAIN();
