#pragma once
// A grid definition: the sectors over which layer thickness is summarised around the grid
// centre. Read from the files of the "Grid" folder beside the program; the sector map and
// the thickness statistics borrow its arrays.
#include <cstdint>
#include <string>
#include <vector>

#include "data/LOCTVolume.h"

enum GridType : int32_t {
  GridNone = 0,          // no regions
  GridCircle = 1,        // ring sectors
  GridEllipse = 2,       // elliptical ring sectors
  GridSquare = 3,        // one rectangle per sector
  GridMultisquares = 4,  // several rectangles per sector
};

class LGrid {
public:
  // The most regions (or groups) a grid file may give, and the most rectangles of all its
  // groups together: far beyond any real grid, small enough that the sector numbers fit
  // the 16-bit label maps and a hostile count cannot exhaust memory.
  static constexpr int kMaxRegions = 1024;
  static constexpr int kMaxGroupRectangles = 16384;

  LGrid() = default;
  LGrid(const LGrid&) = delete;
  LGrid& operator=(const LGrid&) = delete;
  LGrid(LGrid&&) = default;
  LGrid& operator=(LGrid&&) = default;

  // Releases the arrays of the current type (the type becomes GridNone); loaded false.
  void Free();
  // An XmlReadResult: 0, or -1 (cannot be loaded, or counts beyond the limits above),
  // -2 (no "grid" root), -3 (version missing, "NA" or below 4.0.0).
  [[nodiscard]] int ReadXml(const std::string& path);

  // The labels of the current type's regions (groups for multisquares); null for no grid.
  const std::string* GetRegionLabels() const;
  int GetRegionCount() const;

  bool loaded = false;
  GridType type = GridNone;
  Laterality laterality = LateralityNA;

  int32_t circleCount = 0;
  std::vector<std::string> circleLabels;
  std::vector<float> radiusFrom, radiusTo;
  std::vector<float> angleFrom, angleTo;

  int32_t ellipseCount = 0;
  std::vector<std::string> ellipseLabels;
  std::vector<float> horizontalRadiusFrom, horizontalRadiusTo;
  std::vector<float> verticalRadiusFrom, verticalRadiusTo;
  std::vector<float> ellipseAngleFrom, ellipseAngleTo;

  int32_t squareCount = 0;
  std::vector<std::string> squareLabels;
  std::vector<float> left, top, right, bottom;

  int32_t groupCount = 0;
  std::vector<std::string> groupLabels;
  std::vector<int32_t> groupRegionCount;
  std::vector<std::vector<std::string>> groupRegionLabels;
  std::vector<std::vector<float>> groupLeft, groupTop, groupRight, groupBottom;

  std::string version;
};
