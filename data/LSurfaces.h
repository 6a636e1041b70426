#pragma once
// The layer boundaries found in one scan: for each surface one depth row per A-scan, plus
// the undefined region of A-scans where no boundary is valid. Surfaces are identified by
// rows of the SurfaceTable and kept in ascending row order.
#include <cstdint>
#include <string>
#include <vector>

#include <tinyxml2.h>

#include "data/LResultHeader.h"
#include "data/Point3i.h"
#include "data/SurfaceGridXml.h"

class BScanDepthRows;

class LSurfaces {
public:
  LSurfaces() = default;

  // Replaces the record: count surfaces of sizeX * sizeZ A-scans, every point (x, -1, z),
  // no A-scan undefined. The index, instance and name arrays give one entry per surface
  // (a missing entry reads as row 0, "NA" or no name). nameText is a surface's name as a
  // file gave it; it is written in place of the row-0 name so that a name the table does
  // not know survives a save.
  void Create(int sizeX, int sizeZ, int count, const std::vector<int32_t>& labels,
              const std::vector<int32_t>& names, const std::vector<std::string>& instances,
              const LResultHeader& resultHeader,
              const std::vector<std::string>& nameTexts = {});
  void Free();

  // An XmlReadResult; root "surfaces".
  // A file larger than `largest` bytes is refused before it is read.
  [[nodiscard]] int ReadXml(const std::string& path, uint64_t largest = UINT64_MAX);
  // 0, or -1 when the file cannot be written.
  [[nodiscard]] int WriteXml(const std::string& path) const;

  // Point of surface s at A-scan x of B-scan z.
  Point3i& Point(int s, int x, int z) { return points[PointIndex(s, x, z)]; }
  const Point3i& Point(int s, int x, int z) const { return points[PointIndex(s, x, z)]; }

  bool loaded = false;
  int32_t surfaceSizeX = 0;
  int32_t surfaceSizeZ = 0;
  int32_t surfaceCount = 0;
  std::vector<Point3i> points;          // element x + (z + s * Z) * X
  std::vector<uint8_t> undefinedMask;   // element x + z * X; 1 = undefined
  std::vector<int32_t> labelIndex;      // SurfaceTable row of each surface
  std::vector<int32_t> nameIndex;       // SurfaceTable row written as its name
  std::vector<std::string> instance;    // "NA" when not given
  std::vector<std::string> nameText;    // the name as read ("" when none)
  LResultHeader header;

private:
  size_t PointIndex(int s, int x, int z) const
  {
    return size_t(x) + (size_t(z) + size_t(s) * size_t(surfaceSizeZ)) * size_t(surfaceSizeX);
  }
  SurfaceGridSize GridSize() const { return {surfaceSizeX, surfaceSizeZ}; }
  int ReadBody(const tinyxml2::XMLElement& root, const BScanDepthRows& rows);
  void ReadUndefinedRegion(const tinyxml2::XMLElement& root);
  void SortByLabel();
  bool IsConsistent() const;
  void WriteBody(XmlWriter& out) const;
};
