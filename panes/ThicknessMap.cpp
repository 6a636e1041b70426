#include "panes/ThicknessMap.h"

#include "data/SectorStatistics.h"

#include <algorithm>
#include <cmath>

namespace {

bool InRange(int surface, int count) { return surface >= 0 && surface < count; }

// A colour index from a position on the colour scale, 0 to 255; guarded so that no value
// outside the scale (or not a number) reaches the integer conversion.
uint8_t ScaleIndex(float scaled)
{
  if (!(scaled > 0.0f))
    return 0;
  return scaled >= 255.0f ? 255 : static_cast<uint8_t>(scaled);
}

}  // namespace

void ThicknessMap::Allocate(size_t cellCount)
{
  m_Thickness.assign(cellCount, kNoThickness);
  m_NoThickness.assign(cellCount, 1);
  m_ColorIndex.assign(cellCount, 0);
  m_Labels.assign(cellCount, 0);
  m_LabelKey.valid = false;
}

ThicknessMap::Cells ThicknessMap::MakeCells(size_t cellCount)
{
  return Cells{std::vector<float>(cellCount, kNoThickness), std::vector<uint8_t>(cellCount, 1),
               std::vector<uint8_t>(cellCount, 0), std::vector<uint16_t>(cellCount, 0)};
}

void ThicknessMap::Adopt(Cells& cells) noexcept
{
  m_Thickness.swap(cells.thickness);
  m_NoThickness.swap(cells.noThickness);
  m_ColorIndex.swap(cells.colorIndex);
  m_Labels.swap(cells.labels);
  m_LabelKey.valid = false;
}

void ThicknessMap::Reset()
{
  m_From = 0;
  m_To = 0;
  m_GridMode = GridModeNone;
  m_GridType = GridCircle;
  m_Grid.circles.count = 0;
  m_Grid.ellipses.count = 0;
  m_Grid.rectangles.count = 0;
  m_Grid.rectangleSets.groupCount = 0;
  m_LabelKey.valid = false;
}

void ThicknessMap::SetUnit(int unit, float minimum, float maximum)
{
  m_Unit = unit;
  m_FixedMinimum = minimum;
  m_FixedMaximum = maximum;
}

void ThicknessMap::Compute(const ThicknessInput& in, int from, int to)
{
  if (!in.points || !InRange(from, in.surfaceCount) || !InRange(to, in.surfaceCount) || in.sizeX <= 0 ||
      in.sizeZ <= 0)
    return;
  if (m_Thickness.size() != static_cast<size_t>(in.sizeX) * static_cast<size_t>(in.sizeZ))
    return;
  m_From = from;
  m_To = to;
  if (m_GridMode >= GridModeNone && m_GridMode <= GridModeQuantity)
    ComputeCellThickness(in);
  if (m_GridMode == GridModeQuality || m_GridMode == GridModeQuantity)
    ComputeSectors(in);
  ComputeFigures(in);
  ComputeColorIndex();
}

void ThicknessMap::ComputeCellThickness(const ThicknessInput& in)
{
  const size_t points = static_cast<size_t>(in.sizeX) * static_cast<size_t>(in.sizeZ);
  const int* upper = in.points + 3 * points * static_cast<size_t>(std::min(m_From, m_To));
  const int* lower = in.points + 3 * points * static_cast<size_t>(std::max(m_From, m_To));
  for (size_t i = 0; i < points; ++i) {
    const uint8_t mask = in.undefinedMask ? in.undefinedMask[i] : 0;
    m_Thickness[i] = CellThickness(upper[3 * i + 1], lower[3 * i + 1], mask, in.spacingY);
    m_NoThickness[i] = m_Thickness[i] == kNoThickness ? 1 : 0;
  }
}

void ThicknessMap::ComputeFigures(const ThicknessInput& in)
{
  float minimum = kNoThickness;
  float maximum = -kNoThickness;
  float sum = 0.0f;
  int64_t count = 0;
  for (size_t i = 0; i < m_Thickness.size(); ++i) {
    if (!Paints(i))
      continue;
    const float t = m_Thickness[i];
    minimum = std::min(minimum, t);
    maximum = std::max(maximum, t);
    sum += t;
    ++count;
  }
  m_Minimum = minimum;
  m_Maximum = maximum;
  if (count > 0) {
    m_Vol = sum * in.spacingX * in.spacingZ;
    m_MeanT = sum / static_cast<float>(count);
  } else {
    m_Vol = m_MeanT = kNoThickness;
  }

  m_CurT = kNoThickness;
  if (in.position && in.position[0] >= 0 && in.position[0] < in.sizeX && in.position[2] >= 0 &&
      in.position[2] < in.sizeZ) {
    const size_t cell = static_cast<size_t>(in.position[0]) + static_cast<size_t>(in.sizeX) * in.position[2];
    if (!m_NoThickness[cell])
      m_CurT = m_Thickness[cell];
  }
}

void ThicknessMap::ComputeColorIndex()
{
  if (m_Unit != ThicknessUnitAuto && m_Unit != ThicknessUnitFixed)
    return;
  if (m_Unit == ThicknessUnitFixed) {
    m_Minimum = m_FixedMinimum;
    m_Maximum = m_FixedMaximum;
  }
  const float minimum = m_Minimum;
  const float maximum = m_Maximum;
  const float d = maximum - minimum;
  const bool scale = std::isfinite(d) && d != 0.0f;
  const float q = 255.0f / d;
  const bool fixed = m_Unit == ThicknessUnitFixed;
  const float* thickness = m_Thickness.data();
  uint8_t* index = m_ColorIndex.data();
  for (size_t i = 0; i < m_Thickness.size(); ++i) {
    const float t = thickness[i];
    // A cell without thickness is never painted; its index is not computed.
    if (t == kNoThickness || !scale)
      index[i] = 0;
    else if (!fixed)
      index[i] = t >= maximum ? 255 : ScaleIndex((t - minimum) * 255.0f / d);
    else
      index[i] = t < minimum ? 0 : t > maximum ? 255 : ScaleIndex((t - minimum) * q);
  }
}

float ThicknessMap::SectorMean(int k) const
{
  return k >= 0 && static_cast<size_t>(k) < m_SectorMeans.size() ? m_SectorMeans[static_cast<size_t>(k)]
                                                                 : kNoThickness;
}

float ThicknessMap::SectorSD(int k) const
{
  return k >= 0 && static_cast<size_t>(k) < m_SectorSDs.size() ? m_SectorSDs[static_cast<size_t>(k)]
                                                               : kNoThickness;
}

SectorBox ThicknessMap::Box(int k) const
{
  return k >= 0 && static_cast<size_t>(k) < m_Boxes.size() ? m_Boxes[static_cast<size_t>(k)] : SectorBox{};
}
