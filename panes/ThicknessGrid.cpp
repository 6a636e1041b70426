// The grid part of the thickness map: the grid setters and the sector figures.
#include "panes/ThicknessMap.h"

#include "data/SectorGeometry.h"
#include "data/SectorStatistics.h"

#include <algorithm>

void ThicknessMap::ReplaceSectorFigures(int gridType, int count)
{
  m_GridType = gridType;
  const size_t n = static_cast<size_t>(std::max(count, 0));
  m_SectorMeans.assign(n, kNoThickness);
  m_SectorSDs.assign(n, kNoThickness);
  m_Boxes.assign(n, SectorBox{});
  m_LabelKey.valid = false;
}

void ThicknessMap::SetGridCircles(int gridType, int count, const std::string*, float* radiusFrom,
                                  float* radiusTo, float* angleFrom, float* angleTo)
{
  m_Grid.circles = {count, radiusFrom, radiusTo, angleFrom, angleTo};
  ReplaceSectorFigures(gridType, count);
}

void ThicknessMap::SetGridEllipses(int gridType, int count, const std::string*, float* horizontalFrom,
                                   float* horizontalTo, float* verticalFrom, float* verticalTo,
                                   float* angleFrom, float* angleTo)
{
  m_Grid.ellipses = {count, horizontalFrom, horizontalTo, verticalFrom, verticalTo, angleFrom, angleTo};
  ReplaceSectorFigures(gridType, count);
}

void ThicknessMap::SetGridRectangles(int gridType, int count, const std::string*, const float* left,
                                     const float* top, const float* right, const float* bottom)
{
  m_Grid.rectangles = {count, left, top, right, bottom};
  ReplaceSectorFigures(gridType, count);
}

void ThicknessMap::SetGridRectangleSets(int gridType, int groupCount, const std::string*,
                                        const int32_t* regionCount, const std::vector<std::string>*,
                                        const std::vector<float>* left, const std::vector<float>* top,
                                        const std::vector<float>* right, const std::vector<float>* bottom)
{
  m_Grid.rectangleSets = {groupCount, regionCount, left, top, right, bottom};
  ReplaceSectorFigures(gridType, groupCount);
}

int ThicknessMap::SectorCount() const
{
  const int count = m_Grid.Count(m_GridType);
  // Never more sectors than there are figures for.
  return std::clamp(count, 0, static_cast<int>(m_SectorMeans.size()));
}

void ThicknessMap::LabelSectors(const ThicknessInput& in)
{
  const int n = SectorCount();
  if (n == 0 || !in.gridCenter)
    return;
  SectorGeometry geometry;
  if (!m_Grid.Geometry(m_GridType, n, geometry))
    return;
  geometry.Label(m_Labels.data(), in.sizeX, in.sizeZ, in.gridCenter[0], in.gridCenter[1], in.spacingX,
                 in.spacingZ);
}

void ThicknessMap::ComputeSectors(const ThicknessInput& in)
{
  const int n = SectorCount();
  LabelKey key;
  key.valid = in.gridCenter != nullptr;
  key.gridType = m_GridType;
  key.sectorCount = n;
  if (in.gridCenter) {
    key.centreX = in.gridCenter[0];
    key.centreZ = in.gridCenter[1];
  }
  key.spacingX = in.spacingX;
  key.spacingZ = in.spacingZ;
  if (!(key == m_LabelKey)) {
    std::fill(m_Labels.begin(), m_Labels.end(), 0);
    LabelSectors(in);
    ComputeBoxes(in.sizeX, n);
    m_LabelKey = key;
  }
  ComputeSectorStatistics(m_Labels.data(), m_Thickness.data(), m_Labels.size(), n, m_SectorMeans.data(),
                          m_SectorSDs.data());
  // From here on a cell holds its sector's mean, and nothing outside the grid.
  for (size_t i = 0; i < m_Labels.size(); ++i) {
    const int label = m_Labels[i];
    m_Thickness[i] = label >= 1 && label <= n ? m_SectorMeans[static_cast<size_t>(label - 1)] : kNoThickness;
  }
}

void ThicknessMap::ComputeBoxes(int sizeX, int sectorCount)
{
  std::fill(m_Boxes.begin(), m_Boxes.end(), SectorBox{});
  const int sizeZ = static_cast<int>(m_Labels.size() / static_cast<size_t>(sizeX));
  for (int z = 0; z < sizeZ; ++z) {
    const uint16_t* row = m_Labels.data() + static_cast<size_t>(sizeX) * static_cast<size_t>(z);
    for (int x = 0; x < sizeX; ++x) {
      const int label = row[x];
      if (label < 1 || label > sectorCount)
        continue;
      SectorBox& box = m_Boxes[static_cast<size_t>(label - 1)];
      if (box.empty) {
        box = {false, x, z, x, z};
        continue;
      }
      box.minX = std::min(box.minX, x);
      box.maxX = std::max(box.maxX, x);
      box.minZ = std::min(box.minZ, z);
      box.maxZ = std::max(box.maxZ, z);
    }
  }
}
