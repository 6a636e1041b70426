#pragma once
// The arrays of a grid definition that the sector map and the thickness map borrow from
// their caller (a computation normalises radii and angles in them), and the sector geometry
// they describe.
#include "data/SectorGeometry.h"

#include <cstdint>
#include <vector>

struct BorrowedGridArrays {
  struct Circles {
    int count = 0;
    float* radiusFrom = nullptr;
    float* radiusTo = nullptr;
    float* angleFrom = nullptr;
    float* angleTo = nullptr;
  };
  struct Ellipses {
    int count = 0;
    float* horizontalFrom = nullptr;
    float* horizontalTo = nullptr;
    float* verticalFrom = nullptr;
    float* verticalTo = nullptr;
    float* angleFrom = nullptr;
    float* angleTo = nullptr;
  };
  struct Rectangles {
    int count = 0;
    const float* left = nullptr;
    const float* top = nullptr;
    const float* right = nullptr;
    const float* bottom = nullptr;
  };
  struct RectangleSets {
    int groupCount = 0;
    const int32_t* regionCount = nullptr;
    const std::vector<float>* left = nullptr;
    const std::vector<float>* top = nullptr;
    const std::vector<float>* right = nullptr;
    const std::vector<float>* bottom = nullptr;
  };

  // The sectors (groups for multisquares) the arrays of a GridType hold; 0 for other types.
  int Count(int gridType) const;
  // The geometry of the first count sectors of a GridType; false for other types.
  bool Geometry(int gridType, int count, SectorGeometry& geometry) const;

  Circles circles;
  Ellipses ellipses;
  Rectangles rectangles;
  RectangleSets rectangleSets;
};
