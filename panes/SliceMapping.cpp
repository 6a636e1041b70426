#include "panes/SliceMapping.h"

namespace {

constexpr float kMinZoom = 0.1f;
constexpr float kMaxZoom = 1.0f;

float ZoomInRange(float zoom)
{
  if (!(zoom >= kMinZoom))  // NaN too
    return kMinZoom;
  return zoom > kMaxZoom ? kMaxZoom : zoom;
}

}  // namespace

SliceMapping::Axis SliceMapping::Axis::Make(int n, float zoom, int w)
{
  Axis a;
  a.half = n / 2;
  a.halfVisible = static_cast<int>(static_cast<float>(a.half) * zoom);
  a.visible = 2 * a.halfVisible + n % 2;
  // Two columns zoomed below one half would show none and scale by infinity: show one.
  if (a.visible < 1)
    a.visible = 1;
  a.scale = static_cast<float>(w) / static_cast<float>(a.visible);
  a.offset = static_cast<float>(a.half - a.halfVisible) * a.scale;
  return a;
}

std::optional<SliceMapping> SliceMapping::Make(int columns, int rows, float zoom, int panX, int panY,
                                               int windowWidth, int windowHeight)
{
  if (columns <= 0 || rows <= 0 || windowWidth <= 0 || windowHeight <= 0)
    return std::nullopt;
  const float z = ZoomInRange(zoom);
  return SliceMapping(Axis::Make(columns, z, windowWidth), Axis::Make(rows, z, windowHeight), panX, panY);
}

int SliceMapping::CentreX(float column) const
{
  return static_cast<int>((column - static_cast<float>(m_PanX) + 0.5f) * m_Cols.scale - m_Cols.offset + 0.5f);
}

int SliceMapping::CentreY(float row) const
{
  return static_cast<int>((row + static_cast<float>(m_PanY) + 0.5f) * m_Rows.scale - m_Rows.offset + 0.5f);
}

PixelRect SliceMapping::Cell(int column, int row) const
{
  return CellAt(static_cast<float>(column), static_cast<float>(row));
}

PixelRect SliceMapping::CellAt(float column, float row) const
{
  const float cx = (column - static_cast<float>(m_PanX) + 0.5f) * m_Cols.scale - m_Cols.offset;
  const float cy = (row + static_cast<float>(m_PanY) + 0.5f) * m_Rows.scale - m_Rows.offset;
  PixelRect r;
  r.x = static_cast<int>(cx - m_Cols.scale / 2.0f + 0.5f);
  r.y = static_cast<int>(cy - m_Rows.scale / 2.0f + 0.5f);
  r.width = static_cast<int>(m_Cols.scale) + 1;
  r.height = static_cast<int>(m_Rows.scale) + 1;
  return r;
}

PixelRect SliceMapping::HitRect(int column, int row) const
{
  return {CentreX(static_cast<float>(column)) - 4, CentreY(static_cast<float>(row)) - 4, 8, 8};
}

int SliceMapping::ColumnAt(int x) const
{
  return static_cast<int>((static_cast<float>(x) + m_Cols.offset) / m_Cols.scale + static_cast<float>(m_PanX));
}

int SliceMapping::RowAt(int y) const
{
  return static_cast<int>((static_cast<float>(y) + m_Rows.offset) / m_Rows.scale - static_cast<float>(m_PanY));
}

PixelRect SliceMapping::VisiblePart() const
{
  // Counted from the top of the image, the first row shown is half - halfVisible - pan y
  // (a bottom-up bitmap counts the same edge as pan y + half - halfVisible from its bottom).
  return {m_PanX + m_Cols.half - m_Cols.halfVisible, m_Rows.half - m_Rows.halfVisible - m_PanY,
          m_Cols.visible, m_Rows.visible};
}
