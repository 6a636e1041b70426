#include "panes/GuideCellTiles.h"

#include <algorithm>
#include <cmath>

void GuideCellTiles::Build(const std::vector<uint8_t>& stencil, int width, int height,
                           const SurfacesOfValue& surfacesOf)
{
  m_Tiles.clear();
  if (width <= 0 || height <= 0 || stencil.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
    return;
  m_Width = width;
  m_Height = height;
  m_Columns = (width + kTile - 1) / kTile;
  m_Rows = (height + kTile - 1) / kTile;
  m_Tiles.assign(static_cast<size_t>(m_Columns) * static_cast<size_t>(m_Rows), 0);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = stencil.data() + static_cast<size_t>(y) * static_cast<size_t>(width);
    uint32_t* tiles = m_Tiles.data() + static_cast<size_t>(y / kTile) * static_cast<size_t>(m_Columns);
    for (int x = 0; x < width; ++x)
      tiles[x / kTile] |= surfacesOf[row[x]];
  }
}

void GuideCellTiles::SetTransform(const std::array<double, 16>& modelview, const std::array<double, 16>& projection,
                                  const std::array<int, 4>& viewport)
{
  for (int column = 0; column < 4; ++column) {
    for (int row = 0; row < 4; ++row) {
      double sum = 0.0;
      for (int k = 0; k < 4; ++k)
        sum += projection[static_cast<size_t>(k * 4 + row)] * modelview[static_cast<size_t>(column * 4 + k)];
      m_Transform[static_cast<size_t>(column * 4 + row)] = sum;
    }
  }
  m_Viewport = viewport;
  m_LeftOut = 0;
}

bool GuideCellTiles::MayShow(int surface, const std::array<ScenePoint, 4>& corners) const
{
  if (m_Tiles.empty() || surface < 0 || surface >= 32)
    return true;
  const std::array<double, 16>& m = m_Transform;
  double left = HUGE_VAL;
  double right = -HUGE_VAL;
  double bottom = HUGE_VAL;
  double top = -HUGE_VAL;
  for (const ScenePoint& p : corners) {
    const double x = m[0] * p.x + m[4] * p.y + m[8] * p.z + m[12];
    const double y = m[1] * p.x + m[5] * p.y + m[9] * p.z + m[13];
    const double w = m[3] * p.x + m[7] * p.y + m[11] * p.z + m[15];
    if (!(w > 0.0) || !std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w))
      return true;
    const double sx = m_Viewport[0] + (x / w + 1.0) * 0.5 * m_Viewport[2];
    const double sy = m_Viewport[1] + (y / w + 1.0) * 0.5 * m_Viewport[3];
    left = std::min(left, sx);
    right = std::max(right, sx);
    bottom = std::min(bottom, sy);
    top = std::max(top, sy);
  }
  left -= kMargin;
  bottom -= kMargin;
  right += kMargin;
  top += kMargin;
  if (right < 0.0 || top < 0.0 || left >= m_Width || bottom >= m_Height) {
    ++m_LeftOut;
    return false;
  }
  const int x0 = static_cast<int>(std::max(0.0, left)) / kTile;
  const int x1 = static_cast<int>(std::min(m_Width - 1.0, right)) / kTile;
  const int y0 = static_cast<int>(std::max(0.0, bottom)) / kTile;
  const int y1 = static_cast<int>(std::min(m_Height - 1.0, top)) / kTile;
  const uint32_t bit = uint32_t{1} << surface;
  for (int ty = y0; ty <= y1; ++ty) {
    const uint32_t* tiles = m_Tiles.data() + static_cast<size_t>(ty) * static_cast<size_t>(m_Columns);
    for (int tx = x0; tx <= x1; ++tx)
      if (tiles[tx] & bit)
        return true;
  }
  ++m_LeftOut;
  return false;
}
