// The projection pane's mouse tools: the current position, the grid centre and the
// undefined-region brush.
#include "panes/LProjImage.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The brush radius along one axis in cells. A spacing that is not a positive number would
// make it infinite: the brush is then one cell wide along that axis.
float BrushRadius(float margin, float spacing)
{
  const float r = margin / spacing;
  return spacing > 0.0f && std::isfinite(r) ? r : 0.0f;
}

// max(1, trunc(r + 0.5)), never wider than the image.
int BrushHalfWidth(float radius, int size)
{
  const float h = radius + 0.5f;
  if (!(h >= 1.0f))
    return 1;
  return h >= static_cast<float>(size) ? size : static_cast<int>(h);
}

// (k / r)² in single precision; the centre line is always inside, even for a radius of 0.
float EllipseTerm(int k, float r)
{
  if (k == 0)
    return 0.0f;
  return r > 0.0f ? static_cast<float>(k * k) / (r * r) : std::numeric_limits<float>::infinity();
}

}  // namespace

void LProjImage::SetPositionFromPoint(QPoint point)
{
  const std::optional<SliceMapping> mapping = Mapping();
  if (!mapping || !m_Position)
    return;
  const int x = std::clamp(mapping->ColumnAt(point.x()), 0, m_Width - 1);
  const int z = std::clamp(mapping->RowAt(point.y()), 0, m_Height - 1);
  m_Position[0] = x;
  m_Position[2] = z;
  // The thickness at the new position.
  if (m_ShowThickness)
    ComputeThickness(m_Thickness.From(), m_Thickness.To());
  Invalidate();
  m_View.InvalidateSlicePane(OrientationXZ);
  m_View.RenderSlicePane(OrientationXY);
  m_View.RenderSlicePane(OrientationZY);
  m_View.SetSliceScrollPos(OrientationXY, z);
  m_View.SetSliceScrollPos(OrientationZY, x);
  m_View.Show2DStepIn3DPane();
}

bool LProjImage::GridCenterToolActive() const
{
  return m_View.SurfacesFileCount() > 0 && m_View.ShowThickness() && m_View.GridMode() != 0;
}

void LProjImage::SetGridCenterFromPoint(QPoint point)
{
  if (!Mapping() || !m_Position || !m_GridCenter)
    return;
  SetPositionFromPoint(point);
  MoveGridCenter(m_Position[0], m_Position[2]);
  if (GridCenterToolActive()) {
    ComputeThickness(m_Thickness.From(), m_Thickness.To());
    Compose();
  }
}

void LProjImage::MoveGridCenter(int x, int z)
{
  if (m_GridCenter[0] != x || m_GridCenter[1] != z)
    m_View.ResultEdited(MouseGridCenter, 0);
  m_GridCenter[0] = x;
  m_GridCenter[1] = z;
}

void LProjImage::ResetGridCenter()
{
  if (!m_GridCenter || !GridCenterToolActive())
    return;
  MoveGridCenter(m_Size[0] / 2, m_Size[2] / 2);
  ComputeThickness(m_Thickness.From(), m_Thickness.To());
  Compose();
}

void LProjImage::PaintUndefinedRegion(QPoint point)
{
  ApplyBrush(point, kUndefinedCell);
}

void LProjImage::EraseUndefinedRegion(QPoint point)
{
  ApplyBrush(point, 0);
}

void LProjImage::ApplyBrush(QPoint point, uint8_t value)
{
  const std::optional<SliceMapping> mapping = Mapping();
  if (!m_ShowUndefinedRegion || m_View.SurfacesFileCount() == 0 || !m_UndefinedMask || !mapping ||
      !HasVolumeOfPaneSize())
    return;
  const int x = mapping->ColumnAt(point.x());
  const int z = mapping->RowAt(point.y());
  const auto inside = [this](int cx, int cz) { return cx >= 0 && cx < m_Width && cz >= 0 && cz < m_Height; };
  const auto set = [&](int cx, int cz) {
    m_UndefinedMask[static_cast<size_t>(cx) + static_cast<size_t>(m_Width) * static_cast<size_t>(cz)] = value;
  };
  if (m_Style.undefinedRegionBrush.modification == 0) {
    if (inside(x, z))
      set(x, z);
  } else if (m_Style.undefinedRegionBrush.modification == 1) {
    const float rx = BrushRadius(m_Style.undefinedRegionBrush.margin, m_Spacing[0]);
    const float rz = BrushRadius(m_Style.undefinedRegionBrush.margin, m_Spacing[2]);
    const int hx = BrushHalfWidth(rx, m_Width);
    const int hz = BrushHalfWidth(rz, m_Height);
    for (int j = -hz; j <= hz; ++j)
      for (int i = -hx; i <= hx; ++i)
        if (inside(x + i, z + j) && EllipseTerm(j, rz) + EllipseTerm(i, rx) <= 1.0f)
          set(x + i, z + j);
  }
  m_View.ResultEdited(MouseUndefinedRegion, 0);
  if (m_ShowThickness)
    ComputeThickness(m_Thickness.From(), m_Thickness.To());
  Compose();
  m_View.RenderSlicePane(OrientationXY);
  m_View.RenderSlicePane(OrientationZY);
  m_View.RenderSlicePane(OrientationXZ);
  m_View.Invalidate3DPane();
}

void LProjImage::OnLButtonDown(QPoint point)
{
  if (m_MouseMode == MouseUndefinedRegion)
    PaintUndefinedRegion(point);
  else if (m_MouseMode == MouseGridCenter)
    SetGridCenterFromPoint(point);
  else
    SetPositionFromPoint(point);
}

void LProjImage::OnMouseMove(QPoint point, bool leftHeld, bool rightHeld)
{
  if (m_MouseMode != MouseUndefinedRegion)
    return;
  if (leftHeld)
    PaintUndefinedRegion(point);
  else if (rightHeld)
    EraseUndefinedRegion(point);
}

void LProjImage::OnRButtonDown(QPoint point)
{
  if (m_MouseMode == MouseUndefinedRegion)
    EraseUndefinedRegion(point);
  else if (m_MouseMode == MouseGridCenter)
    ResetGridCenter();
}

void LProjImage::MousePress(QPoint point, Qt::MouseButton button, Qt::MouseButtons)
{
  if (button == Qt::LeftButton)
    OnLButtonDown(point);
  else if (button == Qt::RightButton)
    OnRButtonDown(point);
}

void LProjImage::MouseMove(QPoint point, Qt::MouseButtons held)
{
  OnMouseMove(point, held.testFlag(Qt::LeftButton), held.testFlag(Qt::RightButton));
}
