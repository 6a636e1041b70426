#include "data/LGrid.h"

#include <new>
#include <utility>

#include "data/Diagnostics.h"
#include "data/LResultHeader.h"
#include "data/XmlFile.h"
#include "data/XmlReadResult.h"

namespace {

using xmlfile::Child;
using xmlfile::ChildCount;
using xmlfile::ChildLowerCase;
using xmlfile::ChildString;
using xmlfile::XMLElement;

constexpr const char* kRoot = "grid";

// Every number of a region is 0 when its element is missing or empty.
float ChildFloat(const XMLElement* parent, const char* name)
{
  return xmlfile::ChildFloat(parent, name, 0.0f);
}

Laterality ReadLaterality(const XMLElement& root)
{
  const std::string text = ChildLowerCase(&root, "laterality");
  if (text == "od")
    return LateralityOD;
  if (text == "os")
    return LateralityOS;
  return LateralityNA;
}

GridType ReadType(const XMLElement& root)
{
  const std::string text = ChildLowerCase(&root, "type");
  if (text == "circle")
    return GridCircle;
  if (text == "ellipse")
    return GridEllipse;
  if (text == "square")
    return GridSquare;
  if (text == "multisquares")
    return GridMultisquares;
  return GridNone;
}

// A count of regions or groups, or -1 after an error line when it is beyond the limit.
int BoundedCount(const XMLElement* parent, const char* name)
{
  const int count = ChildCount(parent, name);
  return count > LGrid::kMaxRegions ? ResultTooLarge(kRoot) : count;
}

void ReadPair(const XMLElement* region, const char* name, float& from, float& to)
{
  const XMLElement* pair = Child(region, name);
  from = ChildFloat(pair, "from");
  to = ChildFloat(pair, "to");
}

bool ReadCircles(const XMLElement& root, LGrid& grid)
{
  const int count = BoundedCount(&root, "region_num");
  if (count < 0)
    return false;
  grid.circleCount = count;
  grid.circleLabels.resize(count);
  for (auto* a : {&grid.radiusFrom, &grid.radiusTo, &grid.angleFrom, &grid.angleTo})
    a->resize(count);
  xmlfile::ElementWalk regions(&root, "region");
  for (int i = 0; i < count; ++i) {
    const XMLElement* region = regions.Next();
    grid.circleLabels[i] = ChildString(region, "label");
    ReadPair(region, "radius", grid.radiusFrom[i], grid.radiusTo[i]);
    ReadPair(region, "angle", grid.angleFrom[i], grid.angleTo[i]);
  }
  return true;
}

bool ReadEllipses(const XMLElement& root, LGrid& grid)
{
  const int count = BoundedCount(&root, "region_num");
  if (count < 0)
    return false;
  grid.ellipseCount = count;
  grid.ellipseLabels.resize(count);
  for (auto* a : {&grid.horizontalRadiusFrom, &grid.horizontalRadiusTo,
                  &grid.verticalRadiusFrom, &grid.verticalRadiusTo, &grid.ellipseAngleFrom,
                  &grid.ellipseAngleTo})
    a->resize(count);
  xmlfile::ElementWalk regions(&root, "region");
  for (int i = 0; i < count; ++i) {
    const XMLElement* region = regions.Next();
    grid.ellipseLabels[i] = ChildString(region, "label");
    ReadPair(region, "horizontal_radius", grid.horizontalRadiusFrom[i],
             grid.horizontalRadiusTo[i]);
    ReadPair(region, "vertical_radius", grid.verticalRadiusFrom[i], grid.verticalRadiusTo[i]);
    ReadPair(region, "angle", grid.ellipseAngleFrom[i], grid.ellipseAngleTo[i]);
  }
  return true;
}

// The rectangles below parent: count elements "region", each with its label and bounds.
void ReadRectangles(const XMLElement* parent, int count, std::vector<std::string>& labels,
                    std::vector<float>& left, std::vector<float>& top,
                    std::vector<float>& right, std::vector<float>& bottom)
{
  labels.resize(count);
  for (auto* a : {&left, &top, &right, &bottom})
    a->resize(count);
  xmlfile::ElementWalk regions(parent, "region");
  for (int i = 0; i < count; ++i) {
    const XMLElement* region = regions.Next();
    labels[i] = ChildString(region, "label");
    left[i] = ChildFloat(region, "left");
    top[i] = ChildFloat(region, "top");
    right[i] = ChildFloat(region, "right");
    bottom[i] = ChildFloat(region, "bottom");
  }
}

bool ReadSquares(const XMLElement& root, LGrid& grid)
{
  const int count = BoundedCount(&root, "region_num");
  if (count < 0)
    return false;
  grid.squareCount = count;
  ReadRectangles(&root, count, grid.squareLabels, grid.left, grid.top, grid.right,
                 grid.bottom);
  return true;
}

bool ReadGroups(const XMLElement& root, LGrid& grid)
{
  const int count = BoundedCount(&root, "group_num");
  if (count < 0)
    return false;
  grid.groupCount = count;
  grid.groupLabels.resize(count);
  grid.groupRegionCount.resize(count);
  grid.groupRegionLabels.resize(count);
  for (auto* a : {&grid.groupLeft, &grid.groupTop, &grid.groupRight, &grid.groupBottom})
    a->resize(count);
  int rectangles = 0;
  xmlfile::ElementWalk groups(&root, "group");
  for (int g = 0; g < count; ++g) {
    const XMLElement* group = groups.Next();
    grid.groupLabels[g] = ChildString(group, "label");
    const int regions = BoundedCount(group, "region_num");
    if (regions < 0)
      return false;
    rectangles += regions;
    if (rectangles > LGrid::kMaxGroupRectangles) {
      ResultTooLarge(kRoot);
      return false;
    }
    grid.groupRegionCount[g] = regions;
    ReadRectangles(group, regions, grid.groupRegionLabels[g], grid.groupLeft[g],
                   grid.groupTop[g], grid.groupRight[g], grid.groupBottom[g]);
  }
  return true;
}

bool ReadRegions(const XMLElement& root, LGrid& grid)
{
  switch (grid.type) {
  case GridCircle: return ReadCircles(root, grid);
  case GridEllipse: return ReadEllipses(root, grid);
  case GridSquare: return ReadSquares(root, grid);
  case GridMultisquares: return ReadGroups(root, grid);
  default: return true;
  }
}

}  // namespace

void LGrid::Free()
{
  LGrid empty;
  empty.laterality = laterality;
  empty.version = std::move(version);
  *this = std::move(empty);
}

int LGrid::ReadXml(const std::string& path)
{
  tinyxml2::XMLDocument document;
  if (xmlfile::Load(document, path) != 0)
    return kXmlLoadFailed;
  const XMLElement* root = xmlfile::FindRoot(document, kRoot);
  if (!root) {
    version = "NA";
    laterality = LateralityNA;
    return kXmlWrongRoot;
  }
  std::string fileVersion;
  if (!xmlfile::CheckVersion(*root, fileVersion)) {
    version = fileVersion;
    laterality = LateralityNA;
    return kXmlOldVersion;
  }
  // The regions are read into a fresh record, so that a file whose counts are beyond the
  // limits changes nothing, like one that cannot be loaded.
  LGrid read;
  read.type = ReadType(*root);
  try {
    if (!ReadRegions(*root, read))
      return kXmlLoadFailed;
  } catch (const std::bad_alloc&) {
    diag::Error("Out of memory reading " + path);
    return kXmlLoadFailed;
  }
  read.laterality = ReadLaterality(*root);
  read.version = fileVersion;
  read.loaded = true;
  *this = std::move(read);
  return kXmlOk;
}

const std::string* LGrid::GetRegionLabels() const
{
  switch (type) {
  case GridCircle: return circleLabels.data();
  case GridEllipse: return ellipseLabels.data();
  case GridSquare: return squareLabels.data();
  case GridMultisquares: return groupLabels.data();
  default: return nullptr;
  }
}

int LGrid::GetRegionCount() const
{
  switch (type) {
  case GridCircle: return circleCount;
  case GridEllipse: return ellipseCount;
  case GridSquare: return squareCount;
  case GridMultisquares: return groupCount;
  default: return 0;
  }
}
