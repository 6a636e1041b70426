#include "data/LMarkers.h"

#include "data/Diagnostics.h"
#include "data/PointXml.h"
#include "data/XmlFile.h"
#include "data/XmlReadResult.h"

#include <algorithm>

namespace {
constexpr const char* kRoot = "markers";
}

void LMarkers::Create(int markerCount, int capacity, const LResultHeader& resultHeader)
{
  Free();
  const int size = std::max(capacity, 0);
  points.assign(size_t(size), Point3i {});
  labels.assign(size_t(size), std::string());
  count = std::clamp(markerCount, 0, size);
  header = resultHeader;
  loaded = true;
}

void LMarkers::Free()
{
  points.clear();
  labels.clear();
  count = 0;
  loaded = false;
}

int LMarkers::ReadXml(const std::string& path, uint64_t largest)
{
  return ReadResultXml(path, kRoot, header,
                       [this](const tinyxml2::XMLElement& root) { return ReadBody(root); }, largest);
}

int LMarkers::ReadBody(const tinyxml2::XMLElement& root)
{
  const int markerCount = xmlfile::ChildCount(&root, "marker_num");
  if (uint64_t(markerCount) > kMaxResultEntries)
    return ResultTooLarge(kRoot);

  LMarkers read;
  read.count = markerCount;
  read.points.reserve(size_t(markerCount));
  read.labels.reserve(size_t(markerCount));
  xmlfile::ElementWalk markers(&root, "marker");
  for (int m = 0; m < markerCount; ++m) {
    const tinyxml2::XMLElement* marker = markers.Next();
    read.labels.push_back(xmlfile::ChildString(marker, "label"));
    read.points.push_back(ReadPoint(marker));
  }
  read.loaded = true;
  *this = std::move(read);
  return kXmlOk;
}

int LMarkers::WriteXml(const std::string& path) const
{
  if (count < 0 || size_t(count) > points.size() || size_t(count) > labels.size()) {
    diag::Error("The markers record holds fewer markers than its count");
    return -1;
  }
  return WriteResultXml(path, kRoot, header,
                        [this](XmlWriter& out) { WriteBody(out); });
}

void LMarkers::WriteBody(XmlWriter& out) const
{
  out.Text("unit", "voxel");
  out.Int("marker_num", count);
  for (int m = 0; m < count; ++m) {
    out.Open("marker");
    out.Text("label", labels[size_t(m)]);
    WritePoint(out, points[size_t(m)]);
    out.Close();
  }
}
