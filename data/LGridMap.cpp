#include "data/LGridMap.h"

#include "data/SectorGeometry.h"

void LGridMap::SetSize(int width, int height)
{
  m_Labels.clear();
  m_Labels.shrink_to_fit();
  m_Allocated = width > 0 && height > 0;
  m_Width = m_Allocated ? width : 0;
  m_Height = m_Allocated ? height : 0;
  if (m_Allocated)
    m_Labels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
}

void LGridMap::SetSpacing(float spacingX, float spacingY, float spacingZ)
{
  m_SpacingX = spacingX;
  m_SpacingY = spacingY;
  m_SpacingZ = spacingZ;
}

void LGridMap::SetCenter(int centerX, int centerZ)
{
  m_CenterX = centerX;
  m_CenterZ = centerZ;
}

void LGridMap::SetGridCircles(int count, const std::string* /*labels*/, float* radiusFrom,
                              float* radiusTo, float* angleFrom, float* angleTo)
{
  m_GridType = GridCircle;
  m_Circles = {count, radiusFrom, radiusTo, angleFrom, angleTo};
}

void LGridMap::SetGridEllipses(int count, const std::string* /*labels*/,
                               float* horizontalRadiusFrom, float* horizontalRadiusTo,
                               float* verticalRadiusFrom, float* verticalRadiusTo,
                               float* angleFrom, float* angleTo)
{
  m_GridType = GridEllipse;
  m_Ellipses = {count,           horizontalRadiusFrom, horizontalRadiusTo, verticalRadiusFrom,
                verticalRadiusTo, angleFrom,            angleTo};
}

void LGridMap::SetGridRectangles(int count, const std::string* /*labels*/, const float* left,
                                 const float* top, const float* right, const float* bottom)
{
  m_GridType = GridSquare;
  m_Rectangles = {count, left, top, right, bottom};
}

void LGridMap::SetGridRectangleSets(int groupCount, const std::string* /*groupLabels*/,
                                    const int32_t* regionCount,
                                    const std::vector<std::string>* /*regionLabels*/,
                                    const std::vector<float>* left,
                                    const std::vector<float>* top,
                                    const std::vector<float>* right,
                                    const std::vector<float>* bottom)
{
  m_GridType = GridMultisquares;
  m_RectangleSets = {groupCount, regionCount, left, top, right, bottom};
}

void LGridMap::Compute()
{
  // Without positive spacings the sectors have no size in positions; the caller's arrays
  // are then left as they are, too.
  if (!m_Allocated || !(m_SpacingX > 0.0f && m_SpacingZ > 0.0f))
    return;
  SectorGeometry geometry;
  switch (m_GridType) {
  case GridCircle:
    geometry = SectorGeometry::Circles(m_Circles.count, m_Circles.radiusFrom,
                                       m_Circles.radiusTo, m_Circles.angleFrom,
                                       m_Circles.angleTo);
    break;
  case GridEllipse:
    geometry = SectorGeometry::Ellipses(
        m_Ellipses.count, m_Ellipses.horizontalFrom, m_Ellipses.horizontalTo,
        m_Ellipses.verticalFrom, m_Ellipses.verticalTo, m_Ellipses.angleFrom,
        m_Ellipses.angleTo);
    break;
  case GridSquare:
    geometry = SectorGeometry::Rectangles(m_Rectangles.count, m_Rectangles.left,
                                          m_Rectangles.top, m_Rectangles.right,
                                          m_Rectangles.bottom);
    break;
  case GridMultisquares:
    geometry = SectorGeometry::RectangleSets(
        m_RectangleSets.groupCount, m_RectangleSets.regionCount, m_RectangleSets.left,
        m_RectangleSets.top, m_RectangleSets.right, m_RectangleSets.bottom);
    break;
  default:
    return;
  }
  geometry.Label(m_Labels.data(), m_Width, m_Height, m_CenterX, m_CenterZ, m_SpacingX,
                 m_SpacingZ);
}
