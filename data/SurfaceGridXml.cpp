#include "data/SurfaceGridXml.h"

#include "data/BScanDepthRows.h"
#include "data/NumberText.h"
#include "data/XmlFile.h"

SurfaceGridSize ReadSurfaceGridSize(const tinyxml2::XMLElement& root)
{
  const tinyxml2::XMLElement* size = xmlfile::Child(&root, "surface_size");
  return {xmlfile::ChildCount(size, "x"), xmlfile::ChildCount(size, "z")};
}

std::vector<Point3i> UndefinedSurfacePoints(int count, SurfaceGridSize size)
{
  std::vector<Point3i> points;
  points.reserve(size_t(count) * size_t(size.z) * size_t(size.x));
  for (int s = 0; s < count; ++s)
    for (int32_t z = 0; z < size.z; ++z)
      for (int32_t x = 0; x < size.x; ++x)
        points.push_back({x, -1, z});
  return points;
}

void ReadSurfaceDepths(const tinyxml2::XMLElement* surface, SurfaceGridSize size, Point3i* points,
                       const BScanDepthRows* rows)
{
  xmlfile::ElementWalk bscans(surface, "bscan");
  for (int32_t z = 0; z < size.z; ++z) {
    const tinyxml2::XMLElement* bscan = bscans.Next();
    if (!bscan)
      return;   // every later B-scan stays undefined
    Point3i* row = points + size_t(z) * size_t(size.x);
    if (const BScanDepthRows::Row taken = rows ? rows->RowOf(bscan) : BScanDepthRows::Row{}; taken.count > 0) {
      for (size_t x = 0; x < size_t(size.x) && x < taken.count; ++x)
        row[x].y = taken.depths[x];
      continue;
    }
    const tinyxml2::XMLElement* y = xmlfile::Child(bscan, "y");
    if (!y || !y->GetText())
      continue;
    for (int32_t x = 0; x < size.x && y; ++x, y = xmlfile::Next(y))
      if (const char* text = y->GetText())
        row[x].y = numtext::ParseInt(text);
  }
}

void WriteSurfaceDepths(XmlWriter& out, SurfaceGridSize size, const Point3i* points)
{
  for (int32_t z = 0; z < size.z; ++z) {
    out.Open("bscan");
    const Point3i* row = points + size_t(z) * size_t(size.x);
    for (int32_t x = 0; x < size.x; ++x)
      out.Int("y", row[x].y);
    out.Close();
  }
}
