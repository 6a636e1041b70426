#include "data/SectorGeometry.h"

#include <cfloat>
#include <utility>

namespace {

// (x² / ax) / ax + (z² / az) / az: 1 on the ellipse of semi-axes ax, az.
float EllipseDistance(float xMm, float zMm, float ax, float az)
{
  return (xMm * xMm / ax) / ax + (zMm * zMm / az) / az;
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
  if (takesCentre && xMm == 0.0f && zMm == 0.0f)
    return true;
  return EllipseDistance(xMm, zMm, ring.innerX, ring.innerZ) >= 1.0f &&
         EllipseDistance(xMm, zMm, ring.outerX, ring.outerZ) <= 1.0f &&
         arc.Contains(xMm, zMm);
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
  if (!(spacingX > 0.0f && spacingZ > 0.0f) || m_Sectors.empty())
    return;
  for (int z = 0; z < height; ++z) {
    const float zMm = static_cast<float>(int64_t{z} - centreZ) * spacingZ;
    uint16_t* row = labels + int64_t{width} * z;
    for (int x = 0; x < width; ++x) {
      const float xMm = static_cast<float>(int64_t{x} - centreX) * spacingX;
      if (const int sector = SectorAt(xMm, zMm))
        row[x] = static_cast<uint16_t>(sector);
    }
  }
}
