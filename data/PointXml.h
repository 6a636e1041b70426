#pragma once
// A voxel position as markers and splines files store it: "x", "y" and "z" children.
#include <tinyxml2.h>

#include "data/Point3i.h"
#include "data/XmlWriter.h"

// Each coordinate from its child's text, -1 when the child is missing or empty (a null
// element reads as (-1, -1, -1)).
Point3i ReadPoint(const tinyxml2::XMLElement* element);

// Adds "x", "y" and "z" as "%d".
void WritePoint(XmlWriter& out, const Point3i& point);
