#pragma once
// The triangle surface of a label volume: marching cubes at half the maximum value,
// equal corner positions welded into shared vertices, neighbour-averaging smoothing, and
// its cache file in the ASCII VTK polydata format. Positions are in voxel units; the cache
// file holds millimetres.
#include "data/WriteTarget.h"
#include "data/WrittenPages.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class LMesh {
public:
  LMesh() = default;
  LMesh(const LMesh&) = delete;
  LMesh& operator=(const LMesh&) = delete;
  LMesh(LMesh&&) = default;
  LMesh& operator=(LMesh&&) = default;

  // Borrows the label voxels (x fastest, then y, then z) until the next call.
  void SetLabelVolume(const int size[3], const float spacing[3], const unsigned short* labels,
                      int bytesPerVoxel);

  // Rebuilds the lists from the label voxels, or empties them when enable is false; the
  // pages that hold nothing but 0 by `written` are not read. False when memory for the
  // surface ran short: the mesh is then empty.
  [[nodiscard]] bool Build(bool enable, int smoothingIterations, WrittenPages written = WrittenPages());

  // Replaces the lists by copies of the given arrays (three floats per corner and vertex).
  void SetArrays(const int size[3], const float spacing[3], size_t cornerCount,
                 const float* corners, size_t vertexCount, const float* vertices,
                 size_t indexCount, const int32_t* indices);

  // 0, or -1 when the file cannot be read, is larger than `largest` bytes (refused before it
  // is read) or does not hold a valid triangle mesh; the mesh is left as it was on failure.
  [[nodiscard]] int ReadVtk(const std::string& path, const int size[3], const float spacing[3],
                            uint64_t largest = UINT64_MAX);
  // 0, or -1 when the file cannot be written or its name is refused (an existing file is
  // then left as it was). A cache written while loading is the program's own file; one
  // written by a save the user asked for follows the user's own links.
  [[nodiscard]] int WriteVtk(const std::string& path,
                             writetarget::WriteOrigin origin = writetarget::WriteOrigin::kProgram) const;
  // The cache file's text: 0, or -1 when there is no memory for it.
  [[nodiscard]] int CacheText(std::string& text) const;

  bool IsAllocated() const { return m_Allocated; }
  const float* GetTriangleVertices() const { return m_Corners.data(); }
  size_t GetTriangleVertexCount() const { return m_Corners.size() / 3; }
  const float* GetVertices() const { return m_Vertices.data(); }
  size_t GetVertexCount() const { return m_Vertices.size() / 3; }
  const int32_t* GetIndices() const { return m_Indices.data(); }
  size_t GetIndexCount() const { return m_Indices.size(); }
  const int* GetSize() const { return m_Size; }
  const float* GetSpacing() const { return m_Spacing; }
  int GetMaximum() const { return m_Maximum; }
  float GetIsoValue() const { return m_IsoValue; }

private:
  // Appends the triangle corners of the cell whose lowest corner is voxel (x, y, z) to the
  // slab's corners.
  void PolygoniseCube(int x, int y, int z);
  // The cells of row y in slab z, given the inside flags of their four voxel rows.
  void PolygoniseRow(int y, int z, const uint8_t* a, const uint8_t* b, const uint8_t* c, const uint8_t* d);
  // Gives every corner of slab z its vertex: an equal one of this or the previous slab, or
  // a new one.
  void WeldSlab(int z, class VertexWelder& welder);
  void RefreshCorners();

  int m_Size[3] = {0, 0, 0};
  float m_Spacing[3] = {0.0f, 0.0f, 0.0f};
  const unsigned short* m_Labels = nullptr;  // borrowed from the label volume
  WrittenPages m_WrittenLabels;              // while Build runs: the pages of m_Labels not 0
  int m_BytesPerVoxel = 1;
  int m_Maximum = 255;
  float m_IsoValue = 127.5f;
  bool m_Allocated = false;
  std::vector<float> m_Corners;   // three per triangle corner
  std::vector<float> m_Vertices;  // three per distinct position
  std::vector<int32_t> m_Indices; // the vertex of each corner
  std::vector<float> m_SlabCorners;  // Build's work list: the corners of one slab
};

// The voxels among `count` labels of `bytesPerVoxel` bytes that a mesh of them takes as inside
// (at least half the maximum, in floating point): every cell with a surface has one of them
// at a corner.
uint64_t CountMeshInsideVoxels(const unsigned short* labels, size_t count, int bytesPerVoxel,
                               const WrittenPages& written = WrittenPages());
