#pragma once
// Which sector of a grid definition a point of the en-face plane falls in. Points are
// offsets from the grid centre in millimetres: x to the right, z downward (towards later
// B-scans). Sectors are numbered from 1 in the order of the definition, and where sectors
// overlap (boundaries are included on both sides) the later one wins.
//
// Built from the arrays of a grid definition, which are normalised in place as the sector
// map and the thickness statistics both expect: exchanged inner/outer radii and angles
// reduced into [0, 360) stay in the caller's arrays.
#include <cstdint>
#include <string>
#include <vector>

#include "data/AngleArc.h"

// An elliptic ring with semi-axes in millimetres: a point is in it when it lies on or
// outside the inner ellipse and on or inside the outer one.
struct EllipseRing {
  float innerX = 0.0f;
  float innerZ = 0.0f;
  float outerX = 0.0f;
  float outerZ = 0.0f;
};

// A rectangle relative to the centre in millimetres, bounds included; top < bottom means
// top lies above bottom. A rectangle with left > right or top > bottom holds nothing.
struct CentredRect {
  float left = 0.0f;
  float top = 0.0f;
  float right = 0.0f;
  float bottom = 0.0f;

  bool Contains(float xMm, float zMm) const
  {
    return left <= xMm && xMm <= right && top <= zMm && zMm <= bottom;
  }
};

class SectorGeometry {
public:
  // Ring sectors of circles: inner and outer radius (mm), start and end angle (degrees).
  static SectorGeometry Circles(int count, float* radiusFrom, float* radiusTo,
                                float* angleFrom, float* angleTo);
  // Ring sectors of ellipses: half-axes along x and z, each from/to (mm), and angles.
  static SectorGeometry Ellipses(int count, float* horizontalFrom, float* horizontalTo,
                                 float* verticalFrom, float* verticalTo, float* angleFrom,
                                 float* angleTo);
  // One rectangle per sector.
  static SectorGeometry Rectangles(int count, const float* left, const float* top,
                                   const float* right, const float* bottom);
  // Sector g is the union of the rectangles of group g.
  static SectorGeometry RectangleSets(int groupCount, const int32_t* regionCount,
                                      const std::vector<float>* left,
                                      const std::vector<float>* top,
                                      const std::vector<float>* right,
                                      const std::vector<float>* bottom);

  int SectorCount() const { return static_cast<int>(m_Sectors.size()); }

  // The number (from 1) of the last sector that holds the point, or 0 for none.
  int SectorAt(float xMm, float zMm) const;

  // Writes the sector number of every position of a width x height plane (position (x, z)
  // at x + width * z) that lies in a sector; positions outside every sector keep their
  // value. Nothing is written unless both spacings are positive.
  void Label(uint16_t* labels, int width, int height, int centreX, int centreZ,
             float spacingX, float spacingZ) const;

private:
  struct Sector {
    bool isRing = false;
    EllipseRing ring;
    AngleArc arc{0.0f, 0.0f};
    bool takesCentre = false;  // a ring without a hole also holds the centre itself
    std::vector<CentredRect> rects;

    bool Contains(float xMm, float zMm) const;
    // A ring's test with the point's ellipse terms given, (x² / a) / a of x for the inner and
    // the outer semi-axis along x, and likewise of z.
    bool ContainsRing(float xMm, float zMm, float innerX, float outerX, float innerZ,
                      float outerZ) const;
  };

  static Sector RingSector(const EllipseRing& ring, float* angleFrom, float* angleTo);

  std::vector<Sector> m_Sectors;
};
