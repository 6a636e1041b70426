#pragma once
// One surface of a scan, one depth row per A-scan, on which the scan can be flattened.
// Only read: the program never writes reference-surface files.
#include <cstdint>
#include <string>
#include <vector>

#include <tinyxml2.h>

#include "data/LResultHeader.h"
#include "data/Point3i.h"

class BScanDepthRows;

class LRefSurface {
public:
  LRefSurface() = default;

  // Replaces the record with sizeX * sizeZ points (x, -1, z).
  void Create(int sizeX, int sizeZ, int label, int name, const std::string& instanceText,
              const LResultHeader& resultHeader);
  void Free();

  // An XmlReadResult; root "reference_surface". Only the first surface of the file counts.
  // A file larger than `largest` bytes is refused before it is read.
  [[nodiscard]] int ReadXml(const std::string& path, uint64_t largest = UINT64_MAX);

  std::string GetInstance() const { return instance; }

  // Point at A-scan x of B-scan z.
  Point3i& Point(int x, int z) { return points[size_t(x) + size_t(z) * size_t(surfaceSizeX)]; }
  const Point3i& Point(int x, int z) const
  {
    return points[size_t(x) + size_t(z) * size_t(surfaceSizeX)];
  }

  bool loaded = false;
  int32_t surfaceSizeX = 0;
  int32_t surfaceSizeZ = 0;
  std::vector<Point3i> points;   // element x + z * X
  int32_t labelIndex = 0;        // SurfaceTable row
  int32_t nameIndex = 0;
  std::string instance;          // "NA" when not given
  LResultHeader header;

private:
  int ReadBody(const tinyxml2::XMLElement& root, const BScanDepthRows& rows);
};
