#include "data/PointXml.h"

#include "data/XmlFile.h"

Point3i ReadPoint(const tinyxml2::XMLElement* element)
{
  return {xmlfile::ChildInt(element, "x", -1), xmlfile::ChildInt(element, "y", -1),
          xmlfile::ChildInt(element, "z", -1)};
}

void WritePoint(XmlWriter& out, const Point3i& point)
{
  out.Int("x", point.x);
  out.Int("y", point.y);
  out.Int("z", point.z);
}
