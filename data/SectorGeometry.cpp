#include "data/SectorGeometry.h"

#include <cfloat>
#include <utility>
#include <vector>

namespace {

// (v² / a) / a: one coordinate's part of the ellipse distance, which is 1 on the ellipse of
// semi-axes ax, az for AxisTerm(x, ax) + AxisTerm(z, az).
float AxisTerm(float vMm, float a)
{
  return (vMm * vMm / a) / a;
}

void OrderPair(float& from, float& to)
{
  if (from > to)
    std::swap(from, to);
}

// A zero inner semi-axis is taken as the smallest normal float, so that every point off
// that axis lies outside the inner ellipse while the centre itself stays inside it.
float InnerAxis(float radius)
{
  return radius == 0.0f ? FLT_MIN : radius;
}

}  // namespace

bool SectorGeometry::Sector::Contains(float xMm, float zMm) const
{
  if (!isRing) {
    for (const CentredRect& r : rects)
      if (r.Contains(xMm, zMm))
        return true;
    return false;
  }
  return ContainsRing(xMm, zMm, AxisTerm(xMm, ring.innerX), AxisTerm(xMm, ring.outerX),
                      AxisTerm(zMm, ring.innerZ), AxisTerm(zMm, ring.outerZ));
}

bool SectorGeometry::Sector::ContainsRing(float xMm, float zMm, float innerX, float outerX,
                                          float innerZ, float outerZ) const
{
  if (takesCentre && xMm == 0.0f && zMm == 0.0f)
    return true;
  return innerX + innerZ >= 1.0f && outerX + outerZ <= 1.0f && arc.Contains(xMm, zMm);
}

SectorGeometry::Sector SectorGeometry::RingSector(const EllipseRing& ring, float* angleFrom,
                                                  float* angleTo)
{
  *angleFrom = ReduceAngle(*angleFrom);
  *angleTo = ReduceAngle(*angleTo);
  Sector sector;
  sector.isRing = true;
  sector.takesCentre = ring.innerX == 0.0f && ring.innerZ == 0.0f;
  sector.ring = {InnerAxis(ring.innerX), InnerAxis(ring.innerZ), ring.outerX, ring.outerZ};
  sector.arc = AngleArc(*angleFrom, *angleTo);
  return sector;
}

SectorGeometry SectorGeometry::Circles(int count, float* radiusFrom, float* radiusTo,
                                       float* angleFrom, float* angleTo)
{
  SectorGeometry geometry;
  for (int i = 0; i < count; ++i) {
    OrderPair(radiusFrom[i], radiusTo[i]);
    const EllipseRing ring{radiusFrom[i], radiusFrom[i], radiusTo[i], radiusTo[i]};
    geometry.m_Sectors.push_back(RingSector(ring, &angleFrom[i], &angleTo[i]));
  }
  return geometry;
}

SectorGeometry SectorGeometry::Ellipses(int count, float* horizontalFrom, float* horizontalTo,
                                        float* verticalFrom, float* verticalTo,
                                        float* angleFrom, float* angleTo)
{
  SectorGeometry geometry;
  for (int i = 0; i < count; ++i) {
    OrderPair(horizontalFrom[i], horizontalTo[i]);
    OrderPair(verticalFrom[i], verticalTo[i]);
    const EllipseRing ring{horizontalFrom[i], verticalFrom[i], horizontalTo[i], verticalTo[i]};
    geometry.m_Sectors.push_back(RingSector(ring, &angleFrom[i], &angleTo[i]));
  }
  return geometry;
}

SectorGeometry SectorGeometry::Rectangles(int count, const float* left, const float* top,
                                          const float* right, const float* bottom)
{
  SectorGeometry geometry;
  for (int i = 0; i < count; ++i) {
    Sector sector;
    sector.rects.push_back({left[i], top[i], right[i], bottom[i]});
    geometry.m_Sectors.push_back(std::move(sector));
  }
  return geometry;
}

SectorGeometry SectorGeometry::RectangleSets(int groupCount, const int32_t* regionCount,
                                             const std::vector<float>* left,
                                             const std::vector<float>* top,
                                             const std::vector<float>* right,
                                             const std::vector<float>* bottom)
{
  SectorGeometry geometry;
  for (int g = 0; g < groupCount; ++g) {
    Sector sector;
    for (int r = 0; r < regionCount[g]; ++r)
      sector.rects.push_back({left[g][r], top[g][r], right[g][r], bottom[g][r]});
    geometry.m_Sectors.push_back(std::move(sector));
  }
  return geometry;
}

int SectorGeometry::SectorAt(float xMm, float zMm) const
{
  for (size_t i = m_Sectors.size(); i-- > 0;)
    if (m_Sectors[i].Contains(xMm, zMm))
      return static_cast<int>(i) + 1;
  return 0;
}

void SectorGeometry::Label(uint16_t* labels, int width, int height, int centreX, int centreZ,
                           float spacingX, float spacingZ) const
{
  if (!(spacingX > 0.0f && spacingZ > 0.0f) || m_Sectors.empty() || width <= 0)
    return;
  const size_t n = m_Sectors.size();
  const auto xMmAt = [&](int x) { return static_cast<float>(int64_t{x} - centreX) * spacingX; };
  // A ring's ellipse terms depend on x alone or on z alone: they are worked out once per
  // column and once per row, with the same arithmetic as for a single point.
  std::vector<float> columnTerms(2 * n * static_cast<size_t>(width));
  for (int x = 0; x < width; ++x)
    for (size_t i = 0; i < n; ++i) {
      if (!m_Sectors[i].isRing)
        continue;
      float* t = &columnTerms[2 * (static_cast<size_t>(x) * n + i)];
      t[0] = AxisTerm(xMmAt(x), m_Sectors[i].ring.innerX);
      t[1] = AxisTerm(xMmAt(x), m_Sectors[i].ring.outerX);
    }
  std::vector<float> rowTerms(2 * n);
  for (int z = 0; z < height; ++z) {
    const float zMm = static_cast<float>(int64_t{z} - centreZ) * spacingZ;
    for (size_t i = 0; i < n; ++i) {
      if (!m_Sectors[i].isRing)
        continue;
      rowTerms[2 * i] = AxisTerm(zMm, m_Sectors[i].ring.innerZ);
      rowTerms[2 * i + 1] = AxisTerm(zMm, m_Sectors[i].ring.outerZ);
    }
    uint16_t* row = labels + int64_t{width} * z;
    for (int x = 0; x < width; ++x) {
      const float xMm = xMmAt(x);
      const float* column = &columnTerms[2 * static_cast<size_t>(x) * n];
      // The last sector that holds the point wins.
      for (size_t i = n; i-- > 0;) {
        const Sector& s = m_Sectors[i];
        const bool inside = s.isRing ? s.ContainsRing(xMm, zMm, column[2 * i], column[2 * i + 1],
                                                      rowTerms[2 * i], rowTerms[2 * i + 1])
                                     : s.Contains(xMm, zMm);
        if (inside) {
          row[x] = static_cast<uint16_t>(i + 1);
          break;
        }
      }
    }
  }
}
