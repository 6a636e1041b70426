#pragma once
// The A-scan on which the sector grid of the thickness map is centred, in A-scan and
// B-scan indices.
#include <cstdint>
#include <string>

#include <tinyxml2.h>

#include "data/LResultHeader.h"

class LGridCenter {
public:
  LGridCenter() = default;

  void Create(int x, int z, const LResultHeader& resultHeader);

  // An XmlReadResult; root "grid_center".
  // A file larger than `largest` bytes is refused before it is read.
  [[nodiscard]] int ReadXml(const std::string& path, uint64_t largest = UINT64_MAX);
  // 0, or -1 when the file cannot be written.
  [[nodiscard]] int WriteXml(const std::string& path) const;

  bool loaded = false;
  int32_t centerX = -1;   // -1 when not given
  int32_t centerZ = -1;
  LResultHeader header;
};
