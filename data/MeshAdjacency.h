#pragma once
// The distinct neighbours of every vertex of a triangle list, in order of first
// appearance: for triangle (i0, i1, i2), i0 meets i1 then i2, i1 meets i2 then i0, and i2
// meets i0 then i1. Stored compactly, so a vertex may have any number of neighbours.
#include <cstddef>
#include <cstdint>
#include <vector>

class MeshAdjacency {
public:
  MeshAdjacency(const std::vector<int32_t>& indices, size_t vertexCount);

  size_t Count(size_t vertex) const { return m_Offsets[vertex + 1] - m_Offsets[vertex]; }
  const int32_t* Neighbours(size_t vertex) const { return m_Neighbours.data() + m_Offsets[vertex]; }

private:
  std::vector<size_t> m_Offsets;  // vertexCount + 1 entries
  std::vector<int32_t> m_Neighbours;
};

// Moves every vertex (three floats each) to the mean of itself and its neighbours, from
// the positions at the start of the pass, the given number of times.
void SmoothVertices(const MeshAdjacency& adjacency, std::vector<float>& vertices, int passes);
