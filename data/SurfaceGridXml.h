#pragma once
// The depth grid of one surface as surfaces and reference-surface files store it: a
// "surface_size" with x and z, and below a surface one "bscan" per B-scan holding one "y"
// per A-scan.
#include <cstdint>
#include <vector>

#include <tinyxml2.h>

#include "data/Point3i.h"
#include "data/XmlWriter.h"

class BScanDepthRows;

struct SurfaceGridSize {
  int32_t x = 0;   // A-scans per B-scan
  int32_t z = 0;   // B-scans
};

// The root's "surface_size" (0 for whatever is missing, below 0 read as 0).
SurfaceGridSize ReadSurfaceGridSize(const tinyxml2::XMLElement& root);

// count grids of z * x points each, every point (x, -1, z).
std::vector<Point3i> UndefinedSurfacePoints(int count, SurfaceGridSize size);

// Reads the depths below a surface element (null reads as no B-scans) into its z * x
// points: a B-scan counts only when its first "y" has text; then each "y" with text, in
// x order, sets that point's depth and a "y" without text leaves it -1. A B-scan whose
// depths were taken out of the text (rows, when given) reads them from there.
void ReadSurfaceDepths(const tinyxml2::XMLElement* surface, SurfaceGridSize size, Point3i* points,
                       const BScanDepthRows* rows = nullptr);

// Writes one "bscan" per B-scan with one "y" per A-scan, -1 where undefined.
void WriteSurfaceDepths(XmlWriter& out, SurfaceGridSize size, const Point3i* points);
