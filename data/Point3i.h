#pragma once
#include <cstdint>

// A voxel position in a result record: x the A-scan index, y the depth row, z the B-scan
// index. -1 in a coordinate means the value is not given.
struct Point3i {
  int32_t x = -1;
  int32_t y = -1;
  int32_t z = -1;

  friend bool operator==(const Point3i& a, const Point3i& b)
  {
    return a.x == b.x && a.y == b.y && a.z == b.z;
  }
  friend bool operator!=(const Point3i& a, const Point3i& b) { return !(a == b); }
};
