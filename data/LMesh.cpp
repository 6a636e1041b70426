#include "data/LMesh.h"

#include "data/MarchingCubesTables.h"
#include "data/MeshAdjacency.h"
#include "data/VertexWelder.h"
#include "data/VoxelCount.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>

namespace {

// One plane of voxels as inside (1) or outside (0) flags, so that the cell scan can skip
// empty and full runs eight voxels at a time, and per row whether any voxel is inside.
class InsidePlane {
public:
  InsidePlane(int nx, int ny) : m_Nx(static_cast<size_t>(nx)), m_Flags(m_Nx * ny), m_RowAny(ny) {}

  // Voxels in pages that hold nothing but 0 are outside without being read.
  void Fill(const unsigned short* plane, unsigned short threshold, const WrittenPages& written)
  {
    for (size_t y = 0; y < m_RowAny.size(); ++y) {
      uint8_t any = 0;
      uint8_t* flags = &m_Flags[y * m_Nx];
      const unsigned short* row = plane + y * m_Nx;
      std::fill(flags, flags + m_Nx, uint8_t(0));
      written.ForEachWrittenRun(row, m_Nx, [&](size_t first, size_t last) {
        for (size_t x = first; x < last; ++x) {
          flags[x] = row[x] >= threshold ? 1 : 0;
          any |= flags[x];
        }
      });
      m_RowAny[y] = any;
    }
  }
  const uint8_t* Row(int y) const { return &m_Flags[static_cast<size_t>(y) * m_Nx]; }
  bool RowPairEmpty(int y) const { return !(m_RowAny[y] | m_RowAny[y + 1]); }

private:
  size_t m_Nx;
  std::vector<uint8_t> m_Flags;
  std::vector<uint8_t> m_RowAny;
};

uint64_t Load8(const uint8_t* p)
{
  uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

constexpr uint64_t kAllInside = 0x0101010101010101ull;

// Only one and two bytes per voxel exist; anything else would make the maximum 0 or
// overflow it.
int LabelMaximum(int bytesPerVoxel)
{
  const int bytes = bytesPerVoxel == 2 ? 2 : 1;
  return static_cast<int>(std::pow(2.0f, 8.0f * static_cast<float>(bytes)) - 1.0f);
}

float IsoValueOf(int maximum)
{
  return static_cast<float>(maximum) * 0.5f;
}

// Integer voxel values: value >= iso exactly when value >= ceil(iso).
unsigned short InsideThreshold(float isoValue)
{
  return static_cast<unsigned short>(std::ceil(isoValue));
}

}  // namespace

uint64_t CountMeshInsideVoxels(const unsigned short* labels, size_t count, int bytesPerVoxel,
                               const WrittenPages& written)
{
  return CountAtLeast(labels, count, InsideThreshold(IsoValueOf(LabelMaximum(bytesPerVoxel))), written);
}

void LMesh::SetLabelVolume(const int size[3], const float spacing[3],
                           const unsigned short* labels, int bytesPerVoxel)
{
  for (int i = 0; i < 3; ++i) {
    m_Size[i] = size[i];
    m_Spacing[i] = spacing[i];
  }
  m_Labels = labels;
  m_BytesPerVoxel = bytesPerVoxel == 2 ? 2 : 1;
  m_Maximum = LabelMaximum(m_BytesPerVoxel);
  m_IsoValue = IsoValueOf(m_Maximum);
}

bool LMesh::Build(bool enable, int smoothingIterations, WrittenPages written)
{
  std::vector<float>().swap(m_Corners);
  std::vector<float>().swap(m_Vertices);
  std::vector<int32_t>().swap(m_Indices);
  m_Allocated = true;
  const int nx = m_Size[0], ny = m_Size[1], nz = m_Size[2];
  if (!enable || !m_Labels || nx < 2 || ny < 2 || nz < 2)
    return true;

  try {
    const size_t planeSize = static_cast<size_t>(nx) * static_cast<size_t>(ny);
    const unsigned short threshold = InsideThreshold(m_IsoValue);
    InsidePlane lower(nx, ny), upper(nx, ny);
    m_WrittenLabels = std::move(written);
    upper.Fill(m_Labels, threshold, m_WrittenLabels);
    VertexWelder welder;
    for (int z = 0; z + 1 < nz; ++z) {
      std::swap(lower, upper);
      upper.Fill(m_Labels + planeSize * static_cast<size_t>(z + 1), threshold, m_WrittenLabels);
      m_SlabCorners.clear();
      for (int y = 0; y + 1 < ny; ++y)
        if (!lower.RowPairEmpty(y) || !upper.RowPairEmpty(y))
          PolygoniseRow(y, z, lower.Row(y), lower.Row(y + 1), upper.Row(y), upper.Row(y + 1));
      WeldSlab(z, welder);
      welder.NextSlab();
    }
    std::vector<float>().swap(m_SlabCorners);
    m_WrittenLabels = WrittenPages();
    const MeshAdjacency adjacency(m_Indices, GetVertexCount());
    SmoothVertices(adjacency, m_Vertices, smoothingIterations);
    RefreshCorners();
    return true;
  } catch (const std::bad_alloc&) {
    // A surface too large for memory: an empty mesh rather than the end of the program.
    std::vector<float>().swap(m_SlabCorners);
    m_WrittenLabels = WrittenPages();
    std::vector<float>().swap(m_Corners);
    std::vector<float>().swap(m_Vertices);
    std::vector<int32_t>().swap(m_Indices);
    return false;
  }
}

void LMesh::PolygoniseRow(int y, int z, const uint8_t* a, const uint8_t* b, const uint8_t* c,
                          const uint8_t* d)
{
  const int nx = m_Size[0];
  int x = 0;
  while (x + 1 < nx) {
    if (x + 8 <= nx) {
      const uint64_t wa = Load8(a + x), wb = Load8(b + x), wc = Load8(c + x), wd = Load8(d + x);
      if ((wa | wb | wc | wd) == 0 || (wa & wb & wc & wd) == kAllInside) {
        x += 7;  // the seven cells between these eight voxels have no surface
        continue;
      }
    }
    const int any = a[x] | a[x + 1] | b[x] | b[x + 1] | c[x] | c[x + 1] | d[x] | d[x + 1];
    const int all = a[x] & a[x + 1] & b[x] & b[x + 1] & c[x] & c[x + 1] & d[x] & d[x + 1];
    if (any && !all)
      PolygoniseCube(x, y, z);
    ++x;
  }
}

void LMesh::PolygoniseCube(int x, int y, int z)
{
  const size_t nx = static_cast<size_t>(m_Size[0]);
  const size_t plane = nx * static_cast<size_t>(m_Size[1]);
  const unsigned short* base = m_Labels + static_cast<size_t>(x) + nx * static_cast<size_t>(y) +
                               plane * static_cast<size_t>(z);
  float value[8];
  int cubeCase = 0;
  for (int k = 0; k < 8; ++k) {
    // A corner in a page that holds nothing but 0 is not read.
    const unsigned short* corner = base + kCellCorner[k][0] + nx * kCellCorner[k][1] + plane * kCellCorner[k][2];
    value[k] = m_WrittenLabels.MayHoldData(corner) ? static_cast<float>(*corner) : 0.0f;
    if (value[k] >= m_IsoValue)
      cubeCase |= 1 << k;
  }
  const unsigned edges = kEdgeTable[cubeCase];
  if (edges == 0)
    return;

  const int cell[3] = {x, y, z};
  float point[12][3];
  for (int e = 0; e < 12; ++e) {
    if (!(edges & (1u << e)))
      continue;
    // Interpolate from the corner with the lower voxel index, so that the cells sharing a
    // grid edge compute bit-identical points and the vertices weld.
    int from = kEdgeCorners[e][0], to = kEdgeCorners[e][1];
    int axis = 0;
    while (kCellCorner[from][axis] == kCellCorner[to][axis])
      ++axis;
    if (kCellCorner[from][axis] > kCellCorner[to][axis])
      std::swap(from, to);
    const float t = value[from] == value[to] ? 0.5f
                                              : (m_IsoValue - value[from]) / (value[to] - value[from]);
    for (int i = 0; i < 3; ++i)
      point[e][i] = static_cast<float>(cell[i] + kCellCorner[from][i]);
    point[e][axis] += t;
  }
  const int8_t* row = kTriangleTable[cubeCase];
  for (int k = 0; row[k] >= 0; k += 3)
    for (int j = 2; j >= 0; --j)  // reversed, so that the triangles face outwards
      m_SlabCorners.insert(m_SlabCorners.end(), point[row[k + j]], point[row[k + j]] + 3);
}

void LMesh::WeldSlab(int z, VertexWelder& welder)
{
  // The previous slab's vertices lie at or below the plane z and this slab's corners at or
  // above it: only corners on the plane can match one of them.
  const float plane = static_cast<float>(z);
  for (size_t k = 0; k < m_SlabCorners.size(); k += 3) {
    const float* position = &m_SlabCorners[k];
    int32_t vertex = welder.Find(position, position[2] == plane);
    if (vertex < 0) {
      vertex = static_cast<int32_t>(GetVertexCount());
      m_Vertices.insert(m_Vertices.end(), position, position + 3);
      welder.Add(position, vertex);
    }
    m_Indices.push_back(vertex);
  }
}

void LMesh::RefreshCorners()
{
  m_Corners.resize(3 * m_Indices.size());
  for (size_t k = 0; k < m_Indices.size(); ++k)
    std::memcpy(&m_Corners[3 * k], &m_Vertices[3 * static_cast<size_t>(m_Indices[k])],
                3 * sizeof(float));
}

void LMesh::SetArrays(const int size[3], const float spacing[3], size_t cornerCount,
                      const float* corners, size_t vertexCount, const float* vertices,
                      size_t indexCount, const int32_t* indices)
{
  for (int i = 0; i < 3; ++i) {
    m_Size[i] = size[i];
    m_Spacing[i] = spacing[i];
  }
  m_Corners.assign(corners, corners + 3 * cornerCount);
  m_Vertices.assign(vertices, vertices + 3 * vertexCount);
  m_Indices.assign(indices, indices + indexCount);
  m_Allocated = true;
}
