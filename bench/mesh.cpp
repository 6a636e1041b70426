// Label meshes on a realistic label volume: 512 A-scans x 1024 depth rows x 128 B-scans
// holding a few vessel-like tubes and blobs (about 1 % of the voxels). Beside the mesh
// builds runs one plain pass that reads every voxel once; bench/mesh_vtk.py times VTK's
// marching cubes, flying edges and smoother on the same volume.
#include "data/LMesh.h"
#include "data/MeshAdjacency.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kNx = 512, kNy = 1024, kNz = 128;

// Integer geometry only, so that bench/mesh_vtk.py builds the identical volume.
std::vector<unsigned short> MakeLabels()
{
  std::vector<unsigned short> v(static_cast<size_t>(kNx) * kNy * kNz, 0);
  const auto set = [&](int64_t x, int64_t y, int64_t z) { v[x + kNx * (y + kNy * z)] = 255; };
  // Tubes along x, wandering in depth and drifting across B-scans.
  const int tubes[6][3] = {{300, 10, 40}, {320, 20, 100}, {340, 30, 70}, {310, 40, 20}, {330, 50, 110}, {350, 60, 55}};
  for (const auto& t : tubes)
    for (int64_t x = 0; x < kNx; ++x) {
      const int64_t yc = t[0] + ((x % 128) - 64) * ((x % 128) - 64) / 64;
      const int64_t zc = t[2] + x * t[1] / 512;
      for (int64_t z = zc - 2; z <= zc + 2; ++z)
        for (int64_t y = yc - 8; y <= yc + 8; ++y)
          if (z >= 0 && z < kNz && (y - yc) * (y - yc) + 16 * (z - zc) * (z - zc) <= 64)
            set(x, y, z);
    }
  // Ellipsoidal blobs: centre x, y, z and radii x, y, z.
  const int blobs[5][6] = {{100, 400, 30, 40, 60, 10}, {250, 450, 64, 30, 80, 12}, {400, 380, 90, 45, 50, 9},
                           {150, 600, 100, 35, 70, 11}, {420, 550, 25, 38, 65, 10}};
  for (const auto& b : blobs) {
    const int64_t rx = b[3], ry = b[4], rz = b[5];
    for (int64_t z = b[2] - rz; z <= b[2] + rz; ++z)
      for (int64_t y = b[1] - ry; y <= b[1] + ry; ++y)
        for (int64_t x = b[0] - rx; x <= b[0] + rx; ++x) {
          const int64_t dx = x - b[0], dy = y - b[1], dz = z - b[2];
          if (dx * dx * ry * ry * rz * rz + dy * dy * rx * rx * rz * rz + dz * dz * rx * rx * ry * ry <=
              rx * rx * ry * ry * rz * rz)
            set(x, y, z);
        }
  }
  return v;
}

const std::vector<unsigned short>& Labels()
{
  static const std::vector<unsigned short> labels = MakeLabels();
  return labels;
}

void Prepare(LMesh& mesh)
{
  static const int size[3] = {kNx, kNy, kNz};
  static const float spacing[3] = {0.0117f, 0.0039f, 0.047f};
  mesh.SetLabelVolume(size, spacing, Labels().data(), 1);
}

void ReportPeakMemory(benchmark::State& state)
{
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Baseline: every voxel read once, counting those inside.
void PlainPass(benchmark::State& state)
{
  const std::vector<unsigned short>& labels = Labels();
  size_t inside = 0;
  for (auto _ : state) {
    inside = 0;
    for (const unsigned short value : labels)
      inside += value >= 128;
    benchmark::DoNotOptimize(inside);
  }
  state.counters["inside_voxels"] = static_cast<double>(inside);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * labels.size() * sizeof(unsigned short)));
}
BENCHMARK(PlainPass)->Unit(benchmark::kMillisecond);

void Build(benchmark::State& state)
{
  LMesh mesh;
  Prepare(mesh);
  for (auto _ : state) {
    (void)mesh.Build(true, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(mesh.GetVertices());
  }
  state.counters["triangles"] = static_cast<double>(mesh.GetIndexCount() / 3);
  state.counters["vertices"] = static_cast<double>(mesh.GetVertexCount());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * Labels().size() * sizeof(unsigned short)));
  ReportPeakMemory(state);
}
BENCHMARK(Build)->ArgName("smoothing")->Arg(0)->Arg(5)->Unit(benchmark::kMillisecond);

// The smoothing alone: neighbour lists and five passes over the unsmoothed vertices.
void Smooth(benchmark::State& state)
{
  LMesh mesh;
  Prepare(mesh);
  (void)mesh.Build(true, 0);
  const std::vector<int32_t> indices(mesh.GetIndices(), mesh.GetIndices() + mesh.GetIndexCount());
  const std::vector<float> raw(mesh.GetVertices(), mesh.GetVertices() + 3 * mesh.GetVertexCount());
  for (auto _ : state) {
    std::vector<float> vertices = raw;
    const MeshAdjacency adjacency(indices, mesh.GetVertexCount());
    SmoothVertices(adjacency, vertices, static_cast<int>(state.range(0)));
    benchmark::DoNotOptimize(vertices.data());
  }
  ReportPeakMemory(state);
}
BENCHMARK(Smooth)->ArgName("passes")->Arg(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
