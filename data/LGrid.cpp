#include "data/LGrid.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <memory>

#include <tinyxml2.h>

#include "data/Diagnostics.h"
#include "data/NumberText.h"

namespace {

using tinyxml2::XMLElement;

const XMLElement* Child(const XMLElement* parent, const char* name)
{
  return parent ? parent->FirstChildElement(name) : nullptr;
}

// Repeated elements are walked by name; past the last one every position reads as an
// element without children.
const XMLElement* Next(const XMLElement* element)
{
  return element ? element->NextSiblingElement(element->Name()) : nullptr;
}

const char* ChildText(const XMLElement* parent, const char* name)
{
  const XMLElement* child = Child(parent, name);
  return child ? child->GetText() : nullptr;
}

std::string ChildString(const XMLElement* parent, const char* name)
{
  const char* text = ChildText(parent, name);
  return text && *text ? text : "NA";
}

std::string ChildLowerCase(const XMLElement* parent, const char* name)
{
  const char* text = ChildText(parent, name);
  std::string lower = text ? text : "";
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

float ChildFloat(const XMLElement* parent, const char* name)
{
  const char* text = ChildText(parent, name);
  return text ? static_cast<float>(numtext::ParseDouble(text)) : 0.0f;
}

int ChildCount(const XMLElement* parent, const char* name)
{
  const char* text = ChildText(parent, name);
  return text ? std::max(0, numtext::ParseInt(text)) : 0;
}

// "NA" fails; otherwise major.minor.patch, missing parts 0, passes from 4.0.0 on.
bool VersionPasses(const std::string& version)
{
  if (version == "NA")
    return false;
  const size_t first = version.find('.');
  const std::string major = version.substr(0, first);
  const std::string rest = first == std::string::npos ? "0" : version.substr(first + 1);
  const size_t second = rest.find('.');
  const std::string minor = rest.substr(0, second);
  const std::string patch = second == std::string::npos ? "0" : rest.substr(second + 1);
  const long long value =
      (static_cast<long long>(numtext::ParseInt(major)) * 100 + numtext::ParseInt(minor)) *
          100 +
      numtext::ParseInt(patch);
  return value >= 40000;
}

// Loads the file; on failure reports the reason on standard error.
bool LoadDocument(tinyxml2::XMLDocument& document, const std::string& path)
{
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             &std::fclose);
  if (!file) {
    diag::ReportOpenFailure(path, errno);
    return false;
  }
  if (document.LoadFile(file.get()) != tinyxml2::XML_SUCCESS) {
    std::fprintf(stderr, "%s: %s\n", path.c_str(), document.ErrorStr());
    std::fflush(stderr);
    return false;
  }
  return true;
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

// A count read from the file, or -1 after an error line when it is beyond the limit.
int BoundedCount(const XMLElement* parent, const char* name, int limit)
{
  const int count = ChildCount(parent, name);
  if (count > limit) {
    diag::Error(std::string("Grid ") + name + " beyond " + std::to_string(limit));
    return -1;
  }
  return count;
}

void ReadPair(const XMLElement* region, const char* name, float& from, float& to)
{
  const XMLElement* pair = Child(region, name);
  from = ChildFloat(pair, "from");
  to = ChildFloat(pair, "to");
}

bool ReadCircles(const XMLElement& root, LGrid& grid)
{
  const int count = BoundedCount(&root, "region_num", LGrid::kMaxRegions);
  if (count < 0)
    return false;
  grid.circleCount = count;
  grid.circleLabels.resize(count);
  for (auto* a : {&grid.radiusFrom, &grid.radiusTo, &grid.angleFrom, &grid.angleTo})
    a->resize(count);
  const XMLElement* region = Child(&root, "region");
  for (int i = 0; i < count; ++i, region = Next(region)) {
    grid.circleLabels[i] = ChildString(region, "label");
    ReadPair(region, "radius", grid.radiusFrom[i], grid.radiusTo[i]);
    ReadPair(region, "angle", grid.angleFrom[i], grid.angleTo[i]);
  }
  return true;
}

bool ReadEllipses(const XMLElement& root, LGrid& grid)
{
  const int count = BoundedCount(&root, "region_num", LGrid::kMaxRegions);
  if (count < 0)
    return false;
  grid.ellipseCount = count;
  grid.ellipseLabels.resize(count);
  for (auto* a : {&grid.horizontalRadiusFrom, &grid.horizontalRadiusTo,
                  &grid.verticalRadiusFrom, &grid.verticalRadiusTo, &grid.ellipseAngleFrom,
                  &grid.ellipseAngleTo})
    a->resize(count);
  const XMLElement* region = Child(&root, "region");
  for (int i = 0; i < count; ++i, region = Next(region)) {
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
  const XMLElement* region = Child(parent, "region");
  for (int i = 0; i < count; ++i, region = Next(region)) {
    labels[i] = ChildString(region, "label");
    left[i] = ChildFloat(region, "left");
    top[i] = ChildFloat(region, "top");
    right[i] = ChildFloat(region, "right");
    bottom[i] = ChildFloat(region, "bottom");
  }
}

bool ReadSquares(const XMLElement& root, LGrid& grid)
{
  const int count = BoundedCount(&root, "region_num", LGrid::kMaxRegions);
  if (count < 0)
    return false;
  grid.squareCount = count;
  ReadRectangles(&root, count, grid.squareLabels, grid.left, grid.top, grid.right,
                 grid.bottom);
  return true;
}

bool ReadGroups(const XMLElement& root, LGrid& grid)
{
  const int count = BoundedCount(&root, "group_num", LGrid::kMaxRegions);
  if (count < 0)
    return false;
  grid.groupCount = count;
  grid.groupLabels.resize(count);
  grid.groupRegionCount.resize(count);
  grid.groupRegionLabels.resize(count);
  for (auto* a : {&grid.groupLeft, &grid.groupTop, &grid.groupRight, &grid.groupBottom})
    a->resize(count);
  int rectangles = 0;
  const XMLElement* group = Child(&root, "group");
  for (int g = 0; g < count; ++g, group = Next(group)) {
    grid.groupLabels[g] = ChildString(group, "label");
    const int regions = BoundedCount(group, "region_num", LGrid::kMaxRegions);
    if (regions < 0)
      return false;
    rectangles += regions;
    if (rectangles > LGrid::kMaxGroupRectangles) {
      diag::Error("Grid rectangles beyond " + std::to_string(LGrid::kMaxGroupRectangles));
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
  if (!LoadDocument(document, path))
    return -1;
  const XMLElement* root = document.FirstChildElement("grid");
  if (!root) {
    version = "NA";
    laterality = LateralityNA;
    diag::PrintLine("Error: No grid tag\n");
    return -2;
  }
  const char* versionText = ChildText(root, "version");
  const std::string fileVersion = versionText ? versionText : "NA";
  if (!VersionPasses(fileVersion)) {
    version = fileVersion;
    laterality = LateralityNA;
    diag::PrintLine("Error: XML version < 4.0.0\n");
    return -3;
  }
  // The regions are read into a fresh record, so that a file whose counts are beyond the
  // limits changes nothing, like one that cannot be loaded.
  LGrid read;
  read.type = ReadType(*root);
  if (!ReadRegions(*root, read))
    return -1;
  read.laterality = ReadLaterality(*root);
  read.version = fileVersion;
  read.loaded = true;
  *this = std::move(read);
  return 0;
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
