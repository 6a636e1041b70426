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
  m_Grid.circles = {count, radiusFrom, radiusTo, angleFrom, angleTo};
}

void LGridMap::SetGridEllipses(int count, const std::string* /*labels*/,
                               float* horizontalRadiusFrom, float* horizontalRadiusTo,
                               float* verticalRadiusFrom, float* verticalRadiusTo,
                               float* angleFrom, float* angleTo)
{
  m_GridType = GridEllipse;
  m_Grid.ellipses = {count,           horizontalRadiusFrom, horizontalRadiusTo, verticalRadiusFrom,
                verticalRadiusTo, angleFrom,            angleTo};
}

void LGridMap::SetGridRectangles(int count, const std::string* /*labels*/, const float* left,
                                 const float* top, const float* right, const float* bottom)
{
  m_GridType = GridSquare;
  m_Grid.rectangles = {count, left, top, right, bottom};
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
  m_Grid.rectangleSets = {groupCount, regionCount, left, top, right, bottom};
}

void LGridMap::Compute()
{
  // Without positive spacings the sectors have no size in positions; the caller's arrays
  // are then left as they are, too.
  if (!m_Allocated || !(m_SpacingX > 0.0f && m_SpacingZ > 0.0f))
    return;
  SectorGeometry geometry;
  if (!m_Grid.Geometry(m_GridType, m_Grid.Count(m_GridType), geometry))
    return;
  geometry.Label(m_Labels.data(), m_Width, m_Height, m_CenterX, m_CenterZ, m_SpacingX,
                 m_SpacingZ);
}
