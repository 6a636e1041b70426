#include "data/LMesh.h"
#include "data/LOCTVolume.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A label volume as the program holds it: an LOCTVolume whose voxels start at 0.
class Labels {
public:
  Labels(int nx, int ny, int nz, int bytes = 1)
  {
    const int size[3] = {nx, ny, nz};
    const float spacing[3] = {1.0f, 1.0f, 1.0f};
    EXPECT_EQ(volume.CreateVolume(size, FormatNA, spacing, bytes, LateralityNA, CenterNA), 0);
    std::fill(volume.Voxels(), volume.Voxels() + volume.VoxelCount(), 0);
  }
  unsigned short Maximum() const { return volume.bytesPerVoxel == 2 ? 65535 : 255; }
  void Set(int x, int y, int z, unsigned short value)
  {
    volume.Voxels()[x + volume.sizeX * (y + volume.sizeY * z)] = value;
  }
  void Build(LMesh& mesh, int passes) const
  {
    const int size[3] = {volume.sizeX, volume.sizeY, volume.sizeZ};
    const float spacing[3] = {volume.spacingX, volume.spacingY, volume.spacingZ};
    mesh.SetLabelVolume(size, spacing, volume.Voxels(), volume.bytesPerVoxel);
    EXPECT_TRUE(mesh.Build(true, passes));
  }

  LOCTVolume volume;
};

void FillRandomly(Labels& labels, double fraction, unsigned seed)
{
  std::mt19937 random(seed);
  std::bernoulli_distribution inside(fraction);
  const LOCTVolume& v = labels.volume;
  for (int z = 0; z < v.sizeZ; ++z)
    for (int y = 0; y < v.sizeY; ++y)
      for (int x = 0; x < v.sizeX; ++x)
        labels.Set(x, y, z, inside(random) ? labels.Maximum() : 0);
}

void FillBall(Labels& labels, float cx, float cy, float cz, float radius, bool graded = false)
{
  const LOCTVolume& v = labels.volume;
  for (int z = 0; z < v.sizeZ; ++z)
    for (int y = 0; y < v.sizeY; ++y)
      for (int x = 0; x < v.sizeX; ++x) {
        const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy) + (z - cz) * (z - cz));
        if (graded)  // values falling off smoothly across the iso value
          labels.Set(x, y, z, static_cast<unsigned short>(255.0f * std::clamp(1.5f - d / radius, 0.0f, 1.0f)));
        else if (d <= radius)
          labels.Set(x, y, z, labels.Maximum());
      }
}

using Triangle = std::array<float, 9>;

// The triangle's corners rotated so that the smallest comes first: the same oriented
// triangle always gives the same value.
Triangle Canonical(Triangle t)
{
  Triangle best = t;
  for (int r = 1; r < 3; ++r) {
    std::rotate(t.begin(), t.begin() + 3, t.end());
    best = std::min(best, t);
  }
  return best;
}

std::vector<Triangle> TrianglesOf(const LMesh& mesh)
{
  std::vector<Triangle> out;
  const float* c = mesh.GetTriangleVertices();
  for (size_t t = 0; t < mesh.GetTriangleVertexCount() / 3; ++t) {
    Triangle tri;
    std::copy(c + 9 * t, c + 9 * t + 9, tri.begin());
    out.push_back(Canonical(tri));
  }
  std::sort(out.begin(), out.end());
  return out;
}

std::string Python(const std::string& arguments)
{
  std::string out;
  const std::string command = "/usr/bin/python3 " STRATAVIEW_SOURCE_DIR "/tests/data/mesh_oracle.py " + arguments;
  EXPECT_EQ(fixtures::RunCommand(command, &out), 0) << command;
  return out;
}

std::vector<Triangle> VtkMarchingCubes(const Labels& labels, const TempDir& dir)
{
  const LOCTVolume& v = labels.volume;
  const std::string raw = dir.File("labels.raw");
  EXPECT_TRUE(fixtures::WriteBytes(raw, v.Voxels(), 2 * v.VoxelCount()));
  std::istringstream text(Python("mc " + raw + " " + std::to_string(v.sizeX) + " " + std::to_string(v.sizeY) +
                                 " " + std::to_string(v.sizeZ) + " " + std::to_string(labels.Maximum() * 0.5)));
  std::vector<Triangle> out;
  Triangle tri;
  while (text >> tri[0] >> tri[1] >> tri[2] >> tri[3] >> tri[4] >> tri[5] >> tri[6] >> tri[7] >> tri[8])
    out.push_back(Canonical(tri));
  std::sort(out.begin(), out.end());
  return out;
}

// How the triangles fit together.
struct Topology {
  size_t boundaryEdges = 0;  // used by one triangle only
  size_t badEdges = 0;       // used by more than two, or twice in the same direction
  long euler = 0;            // V - E + F
  bool distinctVertices = true;
};

Topology TopologyOf(const LMesh& mesh)
{
  std::map<std::pair<int, int>, int> directed;
  const int32_t* idx = mesh.GetIndices();
  for (size_t k = 0; k < mesh.GetIndexCount(); k += 3)
    for (int c = 0; c < 3; ++c)
      ++directed[{idx[k + c], idx[k + (c + 1) % 3]}];
  Topology t;
  std::set<std::pair<int, int>> undirected;
  for (const auto& [edge, count] : directed) {
    const auto reverse = directed.find({edge.second, edge.first});
    const int back = reverse == directed.end() ? 0 : reverse->second;
    if (count > 1 || back > 1)
      ++t.badEdges;
    else if (back == 0)
      ++t.boundaryEdges;
    undirected.insert(std::minmax(edge.first, edge.second));
  }
  t.euler = static_cast<long>(mesh.GetVertexCount()) - static_cast<long>(undirected.size()) +
            static_cast<long>(mesh.GetIndexCount() / 3);
  std::set<std::array<float, 3>> positions;
  const float* v = mesh.GetVertices();
  for (size_t i = 0; i < mesh.GetVertexCount(); ++i)
    t.distinctVertices &= positions.insert({v[3 * i], v[3 * i + 1], v[3 * i + 2]}).second;
  return t;
}

size_t MaxValence(const LMesh& mesh)
{
  std::map<int, std::set<int>> near;
  const int32_t* idx = mesh.GetIndices();
  for (size_t k = 0; k < mesh.GetIndexCount(); k += 3)
    for (int c = 0; c < 3; ++c) {
      near[idx[k + c]].insert(idx[k + (c + 1) % 3]);
      near[idx[k + c]].insert(idx[k + (c + 2) % 3]);
    }
  size_t most = 0;
  for (const auto& entry : near)
    most = std::max(most, entry.second.size());
  return most;
}

TEST(LMesh, SingleVoxelIsAnOctahedronThatSmoothingShrinks)
{
  const struct { int bytes; unsigned short value; } cases[] = {{1, 255}, {2, 65535}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    Labels labels(5, 6, 7, c.bytes);
    labels.Set(2, 3, 4, c.value);
    for (int passes : {0, 1, 2}) {
      SCOPED_TRACE(passes);
      LMesh mesh;
      labels.Build(mesh, passes);
      ASSERT_EQ(mesh.GetTriangleVertexCount(), 24u);
      ASSERT_EQ(mesh.GetIndexCount(), 24u);
      ASSERT_EQ(mesh.GetVertexCount(), 6u);
      EXPECT_EQ(MaxValence(mesh), 4u);
      const Topology topology = TopologyOf(mesh);
      EXPECT_EQ(topology.boundaryEdges + topology.badEdges, 0u);
      // Each vertex lies on one axis through the voxel centre, 0.5 / 5^passes away.
      const float distance = 0.5f / std::pow(5.0f, static_cast<float>(passes));
      const float centre[3] = {2, 3, 4};
      for (size_t v = 0; v < 6; ++v) {
        float offsets[3];
        for (int i = 0; i < 3; ++i)
          offsets[i] = std::fabs(mesh.GetVertices()[3 * v + i] - centre[i]);
        std::sort(offsets, offsets + 3);
        EXPECT_NEAR(offsets[0], 0.0f, 1e-6f);
        EXPECT_NEAR(offsets[1], 0.0f, 1e-6f);
        EXPECT_NEAR(offsets[2], distance, 1e-6f);
      }
      // The corners are the (smoothed) vertices they index.
      for (size_t k = 0; k < 24; ++k)
        for (int i = 0; i < 3; ++i)
          EXPECT_EQ(mesh.GetTriangleVertices()[3 * k + i], mesh.GetVertices()[3 * mesh.GetIndices()[k] + i]);
    }
  }
}

TEST(LMesh, InsideIsAtLeastHalfTheMaximum)
{
  const struct { int bytes; unsigned short value; size_t corners; } cases[] = {
    {1, 127, 0}, {1, 128, 24}, {2, 32767, 0}, {2, 32768, 24}, {2, 255, 0},
    {0, 128, 24}, {3, 128, 24}};  // other byte counts are taken as one byte
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    Labels labels(4, 5, 3, c.bytes);
    labels.Set(1, 2, 1, c.value);
    LMesh mesh;
    labels.Build(mesh, 0);
    EXPECT_EQ(mesh.GetMaximum(), c.bytes == 2 ? 65535 : 255);
    EXPECT_EQ(mesh.GetIsoValue(), c.bytes == 2 ? 32767.5f : 127.5f);
    EXPECT_EQ(mesh.GetTriangleVertexCount(), c.corners);
  }
}

TEST(LMesh, EmptyVolumeAndDisabledBuildGiveAnEmptyAllocatedMesh)
{
  Labels labels(6, 5, 4);
  LMesh mesh;
  EXPECT_FALSE(mesh.IsAllocated());
  labels.Build(mesh, 3);
  EXPECT_TRUE(mesh.IsAllocated());
  EXPECT_EQ(mesh.GetTriangleVertexCount() + mesh.GetVertexCount() + mesh.GetIndexCount(), 0u);

  labels.Set(2, 2, 2, 255);
  labels.Build(mesh, 0);
  ASSERT_EQ(mesh.GetVertexCount(), 6u);
  EXPECT_TRUE(mesh.Build(false, 0));
  EXPECT_TRUE(mesh.IsAllocated());
  EXPECT_EQ(mesh.GetTriangleVertexCount() + mesh.GetVertexCount() + mesh.GetIndexCount(), 0u);
}

// The triangles, orientation included, are those of VTK's marching cubes; these volumes
// cover every cell case, surfaces cut open by the border, and surfaces that need more
// corners than the volume has voxels.
TEST(LMesh, TrianglesMatchVtkMarchingCubes)
{
  const struct {
    const char* what;
    int nx, ny, nz, bytes;
    std::function<void(Labels&)> fill;
  } cases[] = {
    {"random, half inside", 7, 9, 6, 1, [](Labels& l) { FillRandomly(l, 0.5, 1); }},
    {"random, sparse", 9, 6, 8, 1, [](Labels& l) { FillRandomly(l, 0.2, 2); }},
    {"random, two bytes", 6, 8, 5, 2, [](Labels& l) { FillRandomly(l, 0.5, 3); }},
    {"checkerboard", 6, 7, 8, 1,
     [](Labels& l) {
       for (int z = 1; z < 5; ++z)
         for (int y = 1; y < 5; ++y)
           for (int x = 1; x < 5; ++x)
             l.Set(x, y, z, (x + y + z) % 2 ? 255 : 0);
     }},
    {"voxels in the corners", 5, 6, 7, 1,
     [](Labels& l) {
       l.Set(0, 0, 0, 255);
       l.Set(4, 5, 6, 255);
       l.Set(4, 0, 3, 255);
     }},
    {"two blobs", 14, 11, 9, 1,
     [](Labels& l) {
       FillBall(l, 3.5f, 4.0f, 4.0f, 2.6f);
       FillBall(l, 9.5f, 6.0f, 4.0f, 3.2f);
     }},
  };
  const TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Labels labels(c.nx, c.ny, c.nz, c.bytes);
    c.fill(labels);
    LMesh mesh;
    labels.Build(mesh, 0);
    const std::vector<Triangle> ours = TrianglesOf(mesh);
    EXPECT_FALSE(ours.empty());
    EXPECT_TRUE(ours == VtkMarchingCubes(labels, dir));
    EXPECT_TRUE(TopologyOf(mesh).distinctVertices) << "equal positions must be welded";
  }
}

TEST(LMesh, SurfacesAwayFromTheBorderAreClosed)
{
  const struct {
    const char* what;
    long euler;
    std::function<void(Labels&)> fill;
  } cases[] = {
    {"box", 2,
     [](Labels& l) {
       for (int z = 2; z < 4; ++z)
         for (int y = 1; y < 5; ++y)
           for (int x = 3; x < 6; ++x)
             l.Set(x, y, z, 255);
     }},
    {"two blobs", 4,
     [](Labels& l) {
       FillBall(l, 4.0f, 5.0f, 4.5f, 2.5f);
       FillBall(l, 11.0f, 5.5f, 4.5f, 3.0f);
     }},
    // Values between 0 and the maximum: the shared edges of neighbouring cells must still
    // give identical points, or the surface cracks.
    {"graded blob", 2, [](Labels& l) { FillBall(l, 7.3f, 5.6f, 4.4f, 2.7f, true); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Labels labels(16, 11, 9);
    c.fill(labels);
    LMesh mesh;
    labels.Build(mesh, 2);
    const Topology topology = TopologyOf(mesh);
    EXPECT_GT(mesh.GetIndexCount(), 0u);
    EXPECT_EQ(topology.boundaryEdges, 0u);
    EXPECT_EQ(topology.badEdges, 0u);
    EXPECT_EQ(topology.euler, c.euler);
  }
}

// Vertices with more than ten neighbours keep them all when smoothing.
TEST(LMesh, SmoothingAveragesOverEveryNeighbour)
{
  Labels labels(8, 7, 9);
  FillRandomly(labels, 0.5, 7);
  LMesh raw, smoothed;
  labels.Build(raw, 0);
  labels.Build(smoothed, 3);
  ASSERT_GT(MaxValence(raw), 10u) << "the fixture must hold a high-valence vertex";
  ASSERT_EQ(raw.GetVertexCount(), smoothed.GetVertexCount());

  const TempDir dir;
  const std::string file = dir.File("raw.vtk");
  ASSERT_EQ(raw.WriteVtk(file), 0);
  std::istringstream text(Python("smooth " + file + " 3"));
  for (size_t i = 0; i < 3 * smoothed.GetVertexCount(); ++i) {
    float expected = -1;
    ASSERT_TRUE(text >> expected);
    EXPECT_NEAR(smoothed.GetVertices()[i], expected, 2e-5f) << "vertex " << i / 3;
  }
}

}  // namespace
