#include "data/MeshAdjacency.h"

#include <algorithm>

MeshAdjacency::MeshAdjacency(const std::vector<int32_t>& indices, size_t vertexCount)
    : m_Offsets(vertexCount + 1, 0)
{
  const size_t triangles = indices.size() / 3;
  // Every corner records two neighbours: room for all of them first, duplicates included.
  for (size_t k = 0; k < 3 * triangles; ++k)
    m_Offsets[static_cast<size_t>(indices[k]) + 1] += 2;
  for (size_t v = 0; v < vertexCount; ++v)
    m_Offsets[v + 1] += m_Offsets[v];
  m_Neighbours.resize(m_Offsets[vertexCount]);
  std::vector<size_t> fill(m_Offsets.begin(), m_Offsets.end() - 1);
  for (size_t t = 0; t < triangles; ++t) {
    const int32_t* tri = &indices[3 * t];
    for (int c = 0; c < 3; ++c) {
      const size_t v = static_cast<size_t>(tri[c]);
      m_Neighbours[fill[v]++] = tri[(c + 1) % 3];
      m_Neighbours[fill[v]++] = tri[(c + 2) % 3];
    }
  }
  // Keep the first occurrence of each neighbour, compacting the lists towards the front.
  size_t write = 0;
  for (size_t v = 0; v < vertexCount; ++v) {
    const size_t begin = m_Offsets[v];
    const size_t end = m_Offsets[v + 1];
    m_Offsets[v] = write;
    const size_t first = write;
    for (size_t r = begin; r < end; ++r) {
      const int32_t n = m_Neighbours[r];
      if (std::find(m_Neighbours.begin() + first, m_Neighbours.begin() + write, n) ==
          m_Neighbours.begin() + write)
        m_Neighbours[write++] = n;
    }
  }
  m_Offsets[vertexCount] = write;
  m_Neighbours.resize(write);
  m_Neighbours.shrink_to_fit();
}

void SmoothVertices(const MeshAdjacency& adjacency, std::vector<float>& vertices, int passes)
{
  const size_t count = vertices.size() / 3;
  std::vector<float> start(vertices.size());
  for (int pass = 0; pass < passes; ++pass) {
    std::copy(vertices.begin(), vertices.end(), start.begin());
    for (size_t v = 0; v < count; ++v) {
      const int32_t* neighbours = adjacency.Neighbours(v);
      const size_t n = adjacency.Count(v);
      float sum[3] = {0.0f, 0.0f, 0.0f};
      for (size_t k = 0; k < n; ++k) {
        const float* p = &start[3 * static_cast<size_t>(neighbours[k])];
        sum[0] += p[0];
        sum[1] += p[1];
        sum[2] += p[2];
      }
      const float divisor = static_cast<float>(n + 1);
      for (int i = 0; i < 3; ++i)
        vertices[3 * v + i] = (start[3 * v + i] + sum[i]) / divisor;
    }
  }
}
