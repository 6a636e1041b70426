#pragma once
// Labelled points in a scan volume. The arrays have a capacity fixed when they are made:
// Create makes them as large as it is told, ReadXml exactly as large as the file's count.
#include <cstdint>
#include <string>
#include <vector>

#include <tinyxml2.h>

#include "data/LResultHeader.h"
#include "data/Point3i.h"

class LMarkers {
public:
  LMarkers() = default;

  // Arrays of the capacity, every point (-1, -1, -1) and every label ""; count markers in
  // use (a count above the capacity is cut to it).
  void Create(int markerCount, int capacity, const LResultHeader& resultHeader);
  void Free();

  // An XmlReadResult; root "markers".
  // A file larger than `largest` bytes is refused before it is read.
  [[nodiscard]] int ReadXml(const std::string& path, uint64_t largest = UINT64_MAX);
  // 0, or -1 when the file cannot be written.
  [[nodiscard]] int WriteXml(const std::string& path) const;

  bool loaded = false;
  int32_t count = 0;               // markers in use, at most points.size()
  std::vector<Point3i> points;
  std::vector<std::string> labels; // read by the panes as a colour index "0" to "19"
  LResultHeader header;

private:
  int ReadBody(const tinyxml2::XMLElement& root);
  void WriteBody(XmlWriter& out) const;
};
