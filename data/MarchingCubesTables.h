#pragma once
// The classic marching-cubes tables over one cell. Corners: 0 (0,0,0), 1 (1,0,0),
// 2 (1,1,0), 3 (0,1,0), 4 (0,0,1), 5 (1,0,1), 6 (1,1,1), 7 (0,1,1); a case index has
// bit k set when corner k is inside.
#include <array>
#include <cstdint>

constexpr int8_t kCellCorner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                      {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};

// The two corners of each of the twelve cell edges.
constexpr int8_t kEdgeCorners[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                        {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

// For each case, the edges the surface crosses: those whose two corners differ. This is
// the classic edge table (0x0, 0x109, 0x203, 0x30a, ...).
constexpr std::array<uint16_t, 256> MakeEdgeTable()
{
  std::array<uint16_t, 256> table{};
  for (int c = 0; c < 256; ++c)
    for (int e = 0; e < 12; ++e)
      if (((c >> kEdgeCorners[e][0]) & 1) != ((c >> kEdgeCorners[e][1]) & 1))
        table[c] = static_cast<uint16_t>(table[c] | (1u << e));
  return table;
}
constexpr std::array<uint16_t, 256> kEdgeTable = MakeEdgeTable();

// Up to five triangles per case as edge triples, ended by -1.
extern const int8_t kTriangleTable[256][16];
