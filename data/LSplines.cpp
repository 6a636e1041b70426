#include "data/LSplines.h"

#include "data/CodedWords.h"
#include "data/Diagnostics.h"
#include "data/PointXml.h"
#include "data/XmlFile.h"
#include "data/XmlReadResult.h"

#include <algorithm>

namespace {

constexpr const char* kRoot = "splines";

const CodedWord kPlanes[] = {
  {0, "NA", {nullptr, nullptr}},
  {1, "XY", {"xy", nullptr}},
  {2, "ZY", {"zy", nullptr}},
  {3, "XZ", {"xz", nullptr}},
};

// The control points the first splineCount spline elements claim, all together, so that
// the limit is checked before anything is allocated.
uint64_t ClaimedPoints(const tinyxml2::XMLElement& root, int splineCount)
{
  uint64_t total = 0;
  xmlfile::ElementWalk splines(&root, "spline");
  for (int s = 0; s < splineCount; ++s) {
    const tinyxml2::XMLElement* spline = splines.Next();
    if (!spline)
      break;
    total += uint64_t(xmlfile::ChildCount(spline, "point_num"));
  }
  return total;
}

}  // namespace

void LSplines::Create(int splineCount, int capacity, const LResultHeader& resultHeader)
{
  Free();
  const size_t size = size_t(std::max(capacity, 0));
  planes.assign(size, 0);
  controlPoints.assign(size, {});
  closed.assign(size, false);
  count = std::clamp(splineCount, 0, int(size));
  header = resultHeader;
  loaded = true;
}

void LSplines::Free()
{
  planes.clear();
  controlPoints.clear();
  closed.clear();
  count = 0;
  loaded = false;
}

int LSplines::ReadXml(const std::string& path, uint64_t largest)
{
  return ReadResultXml(path, kRoot, header,
                       [this](const tinyxml2::XMLElement& root) { return ReadBody(root); }, largest);
}

int LSplines::ReadBody(const tinyxml2::XMLElement& root)
{
  const int splineCount = xmlfile::ChildCount(&root, "spline_num");
  if (uint64_t(splineCount) > kMaxResultEntries ||
      ClaimedPoints(root, splineCount) > kMaxResultEntries)
    return ResultTooLarge(kRoot);

  LSplines read;
  read.count = splineCount;
  read.planes.reserve(size_t(splineCount));
  read.controlPoints.reserve(size_t(splineCount));
  read.closed.reserve(size_t(splineCount));
  xmlfile::ElementWalk splines(&root, "spline");
  for (int s = 0; s < splineCount; ++s) {
    const tinyxml2::XMLElement* spline = splines.Next();
    read.planes.push_back(CodeOfWord(kPlanes, xmlfile::ChildLowerCase(spline, "plane")));
    const int pointCount = xmlfile::ChildCount(spline, "point_num");
    std::vector<Point3i> list;
    list.reserve(size_t(pointCount));
    xmlfile::ElementWalk points(spline, "point");
    for (int p = 0; p < pointCount; ++p)
      list.push_back(ReadPoint(points.Next()));
    read.controlPoints.push_back(std::move(list));
    read.closed.push_back(xmlfile::ChildLowerCase(spline, "closed") == "y");
  }
  read.loaded = true;
  *this = std::move(read);
  return kXmlOk;
}

int LSplines::WriteXml(const std::string& path) const
{
  const size_t n = size_t(std::max(count, 0));
  if (count < 0 || n > planes.size() || n > controlPoints.size() || n > closed.size()) {
    diag::Error("The splines record holds fewer splines than its count");
    return -1;
  }
  return WriteResultXml(path, kRoot, header,
                        [this](XmlWriter& out) { WriteBody(out); });
}

void LSplines::WriteBody(XmlWriter& out) const
{
  out.Text("unit", "voxel");
  out.Int("spline_num", count);
  for (int s = 0; s < count; ++s) {
    out.Open("spline");
    const std::vector<Point3i>& list = controlPoints[size_t(s)];
    out.Text("plane", WordOfCode(kPlanes, planes[size_t(s)]));
    out.Int("point_num", int(list.size()));
    for (const Point3i& p : list) {
      out.Open("point");
      WritePoint(out, p);
      out.Close();
    }
    out.Text("closed", closed[size_t(s)] ? "Y" : "N");
    out.Close();
  }
}
