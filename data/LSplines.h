#pragma once
// Curves drawn in one of the three slice planes, stored as control points. The arrays have
// a capacity fixed when they are made: Create makes them as large as it is told, ReadXml
// exactly as large as the file's count.
#include <cstdint>
#include <string>
#include <vector>

#include <tinyxml2.h>

#include "data/LResultHeader.h"
#include "data/Point3i.h"

class LSplines {
public:
  LSplines() = default;

  // Arrays of the capacity: every plane 0, no control points, open; count splines in use
  // (a count above the capacity is cut to it).
  void Create(int splineCount, int capacity, const LResultHeader& resultHeader);
  void Free();

  // An XmlReadResult; root "splines".
  // A file larger than `largest` bytes is refused before it is read.
  [[nodiscard]] int ReadXml(const std::string& path, uint64_t largest = UINT64_MAX);
  // 0, or -1 when the file cannot be written.
  [[nodiscard]] int WriteXml(const std::string& path) const;

  bool loaded = false;
  int32_t count = 0;                               // splines in use, at most planes.size()
  std::vector<int32_t> planes;                     // 0 not given, 1 XY, 2 ZY, 3 XZ
  std::vector<std::vector<Point3i>> controlPoints; // in drawing order
  std::vector<bool> closed;
  LResultHeader header;

private:
  int ReadBody(const tinyxml2::XMLElement& root);
  void WriteBody(XmlWriter& out) const;
};
