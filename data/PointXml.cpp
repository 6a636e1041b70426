#include "data/PointXml.h"

#include "data/XmlFile.h"

Point3i ReadPoint(const tinyxml2::XMLElement* element)
{
  return {xmlfile::ChildInt(element, "x", -1), xmlfile::ChildInt(element, "y", -1),
          xmlfile::ChildInt(element, "z", -1)};
}

void WritePoint(tinyxml2::XMLElement& element, const Point3i& point)
{
  xmlfile::AddInt(element, "x", point.x);
  xmlfile::AddInt(element, "y", point.y);
  xmlfile::AddInt(element, "z", point.z);
}
