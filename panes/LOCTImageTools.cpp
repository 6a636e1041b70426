// The mouse tools of a slice pane: position and grid centre, window and level, zoom and pan,
// the label brushes, markers and splines. Surface editing is in LOCTImageSurfaceEdit.cpp.
#include "panes/LOCTImage.h"

#include "data/NumberText.h"
#include "panes/BrushGeometry.h"
#include "panes/PointAxes.h"
#include "panes/SliceFigures.h"
#include "platform/Messages.h"

#include <algorithm>

namespace {

// The slice panes other than the one of an orientation.
std::array<int, 2> OtherSlicePanes(int orientation)
{
  switch (orientation) {
  case OrientationXY: return {OrientationZY, OrientationXZ};
  case OrientationZY: return {OrientationXY, OrientationXZ};
  default: return {OrientationXY, OrientationZY};
  }
}

}  // namespace

// ---- Dispatch ---------------------------------------------------------------------------

void LOCTImage::MousePress(QPoint point, Qt::MouseButton button, Qt::MouseButtons)
{
  if (button == Qt::LeftButton)
    OnLButtonDown(point);
  else if (button == Qt::RightButton)
    OnRButtonDown(point);
}

void LOCTImage::MouseMove(QPoint point, Qt::MouseButtons held)
{
  OnMouseMove(point, held.testFlag(Qt::LeftButton), held.testFlag(Qt::RightButton));
}

void LOCTImage::MouseRelease(QPoint, Qt::MouseButton, Qt::MouseButtons)
{
  // Either button's release ends what a press began.
  OnLButtonUp();
}

void LOCTImage::MouseDoubleClick(QPoint point, Qt::MouseButton button, Qt::MouseButtons)
{
  // The second click runs the double-click action alone; a right double click, which has
  // none, does nothing.
  if (button == Qt::LeftButton)
    OnLButtonDblClk(point);
}

void LOCTImage::OnLButtonDown(QPoint point)
{
  switch (m_MouseMode) {
  case MousePosition: SetPositionFromPoint(point); break;
  case MouseWindow:
  case MouseZoom:
  case MousePan: m_LastPoint = point; break;
  case MouseSurfaces: BeginSurfaceEdit(point); break;
  case MouseUndefinedRegion: PaintUndefinedRegion(point); break;
  case MouseGridCenter: SetGridCenterFromPoint(point); break;
  case MouseVessel: PaintVessel(point); break;
  case MouseSEAD: PaintSEAD(point); break;
  case MouseMarkers: AddMarker(point); break;
  case MouseSplines: AddSplinePoint(point); break;
  default: break;
  }
}

void LOCTImage::OnMouseMove(QPoint point, bool leftHeld, bool rightHeld)
{
  // Only a surface picked under the cursor changes it.
  if (m_MouseMode != MouseSurfaces)
    SetShapeOfCursor(Qt::ArrowCursor);
  switch (m_MouseMode) {
  case MouseWindow:
    if (leftHeld)
      DragWindowLevel(point);
    break;
  case MouseZoom:
    if (leftHeld)
      DragZoom(point);
    break;
  case MousePan:
    if (leftHeld)
      DragPan(point);
    break;
  case MouseSurfaces: DragSurface(point, leftHeld); break;
  case MouseUndefinedRegion:
  case MouseVessel:
  case MouseSEAD:
    if (leftHeld || rightHeld)
      BrushAt(point, leftHeld);
    break;
  case MouseMarkers:
    if (leftHeld)
      DragMarker(point);
    break;
  case MouseSplines:
    if (leftHeld)
      DragSplinePoint(point);
    break;
  default: break;
  }
}

void LOCTImage::OnRButtonDown(QPoint point)
{
  switch (m_MouseMode) {
  case MouseSurfaces: UndoSurfaceEdit(); break;
  case MouseUndefinedRegion:
  case MouseVessel:
  case MouseSEAD: BrushAt(point, false); break;
  case MouseSplines: CloseSpline(); break;
  default: break;
  }
}

void LOCTImage::OnLButtonUp()
{
  m_SurfaceEditActive = false;
  // A finished stroke changes the label volumes that the info texts show.
  const auto finish = [this](bool& painted, int labelMode) {
    if (!painted)
      return;
    painted = false;
    Invalidate();
    m_View.LabelsPainted(m_Orientation, labelMode);
  };
  finish(m_VesselStroke, MouseVessel);
  finish(m_SEADStroke, MouseSEAD);
}

void LOCTImage::OnLButtonDblClk(QPoint)
{
  if (m_MouseMode == MouseMarkers)
    DeleteMarker();
  else if (m_MouseMode == MouseSplines)
    DeleteSpline();
}

// ---- Shared helpers ---------------------------------------------------------------------

std::optional<LOCTImage::Cell> LOCTImage::CellUnder(QPoint point) const
{
  const std::optional<SliceMapping> mapping = Mapping();
  SliceAxes axes;
  if (!mapping || !m_Position || !SliceAxesOf(m_Orientation, axes) || m_Size[axes.column] <= 0 ||
      m_Size[axes.row] <= 0)
    return std::nullopt;
  return Cell{mapping->ColumnAt(point.x()), mapping->RowAt(point.y())};
}

int LOCTImage::ClampTo(int axis, int value) const
{
  return std::clamp(value, 0, std::max(0, m_Size[axis] - 1));
}

void LOCTImage::InvalidateSlicePanes()
{
  Invalidate();
  for (int other : OtherSlicePanes(m_Orientation))
    m_View.InvalidateSlicePane(other);
}

void LOCTImage::RenderSlicePanes()
{
  Render();
  for (int other : OtherSlicePanes(m_Orientation))
    m_View.RenderSlicePane(other);
}

void LOCTImage::SetShapeOfCursor(Qt::CursorShape shape)
{
  if (m_Cursor == shape)
    return;
  m_Cursor = shape;
  SetWindowCursor(shape);
}

// ---- Position and grid centre -----------------------------------------------------------

void LOCTImage::SetPositionFromPoint(QPoint point)
{
  const std::optional<Cell> cell = CellUnder(point);
  SliceAxes axes;
  if (!cell || !SliceAxesOf(m_Orientation, axes))
    return;
  m_Position[axes.column] = ClampTo(axes.column, cell->column);
  m_Position[axes.row] = ClampTo(axes.row, cell->row);
  Invalidate();
  const std::array<int, 2> others = OtherSlicePanes(m_Orientation);
  for (int other : others)
    m_View.RenderSlicePane(other);
  // Each other pane's bar shows its slice index, which is one of the two coordinates set.
  for (int other : others) {
    SliceAxes otherAxes;
    SliceAxesOf(other, otherAxes);
    m_View.SetSliceScrollPos(other, m_Position[otherAxes.slice]);
  }
  m_View.InvalidateProjectionPane();
  m_View.Show2DStepIn3DPane();
}

void LOCTImage::SetGridCenterFromPoint(QPoint point)
{
  if (!m_GridCenter || !CellUnder(point))
    return;
  SetPositionFromPoint(point);
  if (m_GridCenter[0] != m_Position[AxisX] || m_GridCenter[1] != m_Position[AxisZ])
    m_View.ResultEdited(MouseGridCenter, m_Orientation);
  m_GridCenter[0] = m_Position[AxisX];
  m_GridCenter[1] = m_Position[AxisZ];
  if (m_View.SurfacesFileCount() > 0 && m_View.ShowThickness() && m_View.GridMode() != 0) {
    m_View.ComputeProjectionThickness(m_ThicknessFrom, m_ThicknessTo);
    m_View.ComposeProjection();
  }
}

// ---- Window, zoom and pan ---------------------------------------------------------------

void LOCTImage::DragWindowLevel(QPoint point)
{
  if (!m_WindowCentre || !m_WindowWidth)
    return;
  const float range = static_cast<float>(m_Maximum) + 1.0f;
  *m_WindowCentre -= static_cast<float>(point.x() - m_LastPoint.x()) * range / 512.0f;
  *m_WindowWidth += static_cast<float>(point.y() - m_LastPoint.y()) * range / 512.0f;
  // Rendering keeps both within the value range.
  RenderSlicePanes();
  m_View.Show2DStepIn3DPane();
  m_LastPoint = point;
}

bool LOCTImage::ViewInsideImage(float zoom, int panX, int panY) const
{
  const int width = m_Bitmap.width();
  const int height = m_Bitmap.height();
  const int hc = width / 2;
  const int hr = height / 2;
  const int hv = static_cast<int>(static_cast<float>(hc) * zoom);
  const int hu = static_cast<int>(static_cast<float>(hr) * zoom);
  // An odd size shows one column or row more than twice the half.
  return panX + hc - hv >= 0 && panY + hr - hu >= 0 && panX + hc + hv + width % 2 <= width &&
         panY + hr + hu + height % 2 <= height;
}

void LOCTImage::DragZoom(QPoint point)
{
  const float zoom = std::clamp(m_Zoom - static_cast<float>(point.y() - m_LastPoint.y()) / 200.0f, 0.1f, 1.0f);
  if (zoom != m_Zoom && ViewInsideImage(zoom, m_PanX, m_PanY)) {
    m_Zoom = zoom;
    Invalidate();
  }
  m_LastPoint = point;
}

void LOCTImage::DragPan(QPoint point)
{
  // The image follows the mouse, one image pixel per window pixel.
  const int panX = m_PanX - (point.x() - m_LastPoint.x());
  const int panY = m_PanY + (point.y() - m_LastPoint.y());
  if ((panX != m_PanX || panY != m_PanY) && ViewInsideImage(m_Zoom, panX, panY)) {
    m_PanX = panX;
    m_PanY = panY;
    Invalidate();
  }
  m_LastPoint = point;
}

// ---- Label brushes ----------------------------------------------------------------------

void LOCTImage::BrushAt(QPoint point, bool paint)
{
  switch (m_MouseMode) {
  case MouseUndefinedRegion: paint ? PaintUndefinedRegion(point) : EraseUndefinedRegion(point); break;
  case MouseVessel: paint ? PaintVessel(point) : EraseVessel(point); break;
  case MouseSEAD: paint ? PaintSEAD(point) : EraseSEAD(point); break;
  default: break;
  }
}

void LOCTImage::PaintVessel(QPoint point)
{
  ApplyLabelBrush(point, MouseVessel, true);
}

void LOCTImage::EraseVessel(QPoint point)
{
  ApplyLabelBrush(point, MouseVessel, false);
}

void LOCTImage::PaintSEAD(QPoint point)
{
  ApplyLabelBrush(point, MouseSEAD, true);
}

void LOCTImage::EraseSEAD(QPoint point)
{
  ApplyLabelBrush(point, MouseSEAD, false);
}

void LOCTImage::ApplyLabelBrush(QPoint point, int labelMode, bool paint)
{
  const bool vessel = labelMode == MouseVessel;
  LabelLayer* labels = vessel ? m_VesselLabels : m_SEADLabels;
  const std::optional<Cell> cell = CellUnder(point);
  SliceAxes axes;
  if (!(vessel ? m_ShowVessel : m_ShowSEAD) || !labels || !cell || !SliceAxesOf(m_Orientation, axes))
    return;
  const float margin = vessel ? m_Style.vesselBrush.margin : m_Style.seadBrush.margin;
  const bool threeD = (vessel ? m_Style.vesselBrush.modification : m_Style.seadBrush.modification) == 1;
  const unsigned short value = paint ? static_cast<unsigned short>(labels->Maximum()) : 0;

  int centre[3];
  centre[axes.column] = cell->column;
  centre[axes.row] = cell->row;
  centre[axes.slice] = m_Position[axes.slice];
  float radius[3];
  int first[3];
  int last[3];
  for (int a = 0; a < 3; ++a) {
    radius[a] = BrushRadius(margin, m_Spacing[a]);
    const int half = a == axes.slice && !threeD ? 0 : BrushHalfExtent(radius[a], m_Size[a]);
    first[a] = std::max(centre[a] - half, 0);
    last[a] = std::min(centre[a] + half, m_Size[a] - 1);
  }
  const size_t sizeX = size_t(m_Size[AxisX]);
  const size_t sizeY = size_t(m_Size[AxisY]);
  for (int z = first[AxisZ]; z <= last[AxisZ]; ++z) {
    const float tz = EllipseTerm(z - centre[AxisZ], radius[AxisZ]);
    for (int y = first[AxisY]; y <= last[AxisY]; ++y) {
      const float ty = EllipseTerm(y - centre[AxisY], radius[AxisY]);
      // The x term only adds: a row already outside stays outside.
      if (ty + tz > 1.0f)
        continue;
      const size_t row = sizeX * (size_t(y) + sizeY * size_t(z));
      for (int x = first[AxisX]; x <= last[AxisX]; ++x)
        if (EllipseTerm(x - centre[AxisX], radius[AxisX]) + ty + tz <= 1.0f)
          labels->Write(row + size_t(x), value);
    }
  }
  (vessel ? m_VesselStroke : m_SEADStroke) = true;
  m_View.ResultEdited(labelMode, m_Orientation);
  RenderSlicePanes();
}

void LOCTImage::PaintUndefinedRegion(QPoint point)
{
  ApplyUndefinedBrush(point, kUndefinedCell);
}

void LOCTImage::EraseUndefinedRegion(QPoint point)
{
  ApplyUndefinedBrush(point, 0);
}

void LOCTImage::ApplyUndefinedBrush(QPoint point, uint8_t value)
{
  const std::optional<Cell> cell = CellUnder(point);
  if (!m_ShowUndefinedRegion || !m_UndefinedMask || m_View.SurfacesFileCount() < 1 || !cell)
    return;
  const bool threeD = m_Style.undefinedRegionBrush.modification == 1;
  const float rx = BrushRadius(m_Style.undefinedRegionBrush.margin, m_Spacing[AxisX]);
  const float rz = BrushRadius(m_Style.undefinedRegionBrush.margin, m_Spacing[AxisZ]);
  const int hx = BrushHalfExtent(rx, m_Size[AxisX]);
  const int hz = BrushHalfExtent(rz, m_Size[AxisZ]);
  // The mask has no depth: XY paints along x on its B-scan, ZY along z on its A-scan, XZ
  // the cell under the cursor; 3-D widens each to the ellipse across the other axis.
  int cx = m_Position[AxisX];
  int cz = m_Position[AxisZ];
  int ex = threeD ? hx : 0;
  int ez = threeD ? hz : 0;
  if (m_Orientation == OrientationXY) {
    cx = cell->column;
    ex = hx;
  } else if (m_Orientation == OrientationZY) {
    cz = cell->column;
    ez = hz;
  } else {
    cx = cell->column;
    cz = cell->row;
  }
  const int sizeX = m_Size[AxisX];
  for (int z = std::max(cz - ez, 0); z <= std::min(cz + ez, m_Size[AxisZ] - 1); ++z)
    for (int x = std::max(cx - ex, 0); x <= std::min(cx + ex, sizeX - 1); ++x)
      if (EllipseTerm(x - cx, rx) + EllipseTerm(z - cz, rz) <= 1.0f)
        m_UndefinedMask[size_t(x) + size_t(sizeX) * size_t(z)] = value;

  m_View.ResultEdited(MouseUndefinedRegion, m_Orientation);
  RenderSlicePanes();
  if (m_ShowThickness)
    m_View.ComputeProjectionThickness(m_ThicknessFrom, m_ThicknessTo);
  m_View.ComposeProjection();
  m_View.Invalidate3DPane();
}

// ---- Markers ----------------------------------------------------------------------------

Point3i LOCTImage::PointFromCell(const Cell& cell) const
{
  SliceAxes axes;
  SliceAxesOf(m_Orientation, axes);
  Point3i p;
  CoordOf(p, axes.column) = ClampTo(axes.column, cell.column);
  CoordOf(p, axes.row) = ClampTo(axes.row, cell.row);
  CoordOf(p, axes.slice) = m_Position[axes.slice];
  return p;
}

size_t LOCTImage::MarkerCount() const
{
  if (!m_Markers)
    return 0;
  return std::min({size_t(std::max(0, m_Markers->count)), m_Markers->points.size(), m_Markers->labels.size()});
}

void LOCTImage::AddMarker(QPoint point)
{
  const std::optional<Cell> cell = CellUnder(point);
  const std::optional<SliceMapping> mapping = Mapping();
  SliceAxes axes;
  if (!m_ShowMarkers || !m_Markers || !cell || !SliceAxesOf(m_Orientation, axes))
    return;
  m_SelectedMarker = -1;
  // The rectangles a paint of the current state draws, whether or not one has happened.
  const size_t count = MarkerCount();
  for (size_t m = 0; m < count; ++m) {
    const Point3i& p = m_Markers->points[m];
    if (CoordOf(p, axes.slice) == m_Position[axes.slice] &&
        mapping->HitRect(CoordOf(p, axes.column), CoordOf(p, axes.row)).Contains(point.x(), point.y())) {
      m_SelectedMarker = static_cast<int>(m);
      return;
    }
  }
  if (count >= size_t(kMaxMarkers)) {
    platform::ShowMessage(numtext::Format("The maximum number of 'Markers' is %d.", kMaxMarkers));
    return;
  }
  // A record read from a file holds only its own markers.
  if (m_Markers->points.size() <= count)
    m_Markers->points.resize(count + 1);
  if (m_Markers->labels.size() <= count)
    m_Markers->labels.resize(count + 1);
  m_Markers->points[count] = PointFromCell(*cell);
  m_Markers->labels[count] = m_Style.markersLabel;
  m_Markers->count = static_cast<int32_t>(count + 1);
  MarkersEdited();
}

void LOCTImage::DragMarker(QPoint point)
{
  const std::optional<Cell> cell = CellUnder(point);
  SliceAxes axes;
  if (!m_ShowMarkers || !cell || m_SelectedMarker < 0 || size_t(m_SelectedMarker) >= MarkerCount() ||
      !SliceAxesOf(m_Orientation, axes))
    return;
  Point3i& p = m_Markers->points[size_t(m_SelectedMarker)];
  CoordOf(p, axes.column) = ClampTo(axes.column, cell->column);
  CoordOf(p, axes.row) = ClampTo(axes.row, cell->row);
  MarkersEdited();
}

void LOCTImage::DeleteMarker()
{
  const size_t count = MarkerCount();
  if (!m_ShowMarkers || m_SelectedMarker < 0 || size_t(m_SelectedMarker) >= count)
    return;
  for (size_t m = size_t(m_SelectedMarker); m + 1 < count; ++m) {
    m_Markers->points[m] = m_Markers->points[m + 1];
    m_Markers->labels[m] = m_Markers->labels[m + 1];
  }
  m_Markers->points[count - 1] = Point3i{};
  m_Markers->labels[count - 1] = "-1";
  m_Markers->count = static_cast<int32_t>(count - 1);
  // The button is still down: a move before its release must not drag the marker that now
  // has the deleted one's index.
  m_SelectedMarker = -1;
  MarkersEdited();
}

void LOCTImage::MarkersEdited()
{
  m_View.ResultEdited(MouseMarkers, m_Orientation);
  InvalidateSlicePanes();
  m_View.Invalidate3DPane();
}

// ---- Splines ----------------------------------------------------------------------------

size_t LOCTImage::SplineCount() const
{
  if (!m_Splines)
    return 0;
  return std::min({size_t(std::max(0, m_Splines->count)), m_Splines->planes.size(),
                   m_Splines->controlPoints.size(), m_Splines->closed.size()});
}

bool LOCTImage::StartSpline(const Point3i& first, const PixelRect& hit)
{
  LSplineSet& set = *m_Splines;
  size_t count = SplineCount();
  if (count >= size_t(kMaxSplines)) {
    platform::ShowMessage(numtext::Format("The maximum number of 'Splines' is %d.", kMaxSplines));
    return false;
  }
  // The newest spline is taken again while it has no points.
  if (count == 0 || !set.controlPoints[count - 1].empty())
    ++count;
  // A record read from a file holds only its own splines.
  if (set.planes.size() < count)
    set.planes.resize(count, 0);
  if (set.controlPoints.size() < count)
    set.controlPoints.resize(count);
  if (set.closed.size() < count)
    set.closed.resize(count, false);
  set.count = static_cast<int32_t>(count);
  const size_t s = count - 1;
  set.planes[s] = m_Orientation;
  set.closed[s] = false;
  // A reused slot may still hold lists: the new spline has exactly its first point.
  set.controlPoints[s] = {first};
  if (m_SplineHitRects) {
    if (m_SplineHitRects->size() < count)
      m_SplineHitRects->resize(count);
    (*m_SplineHitRects)[s] = {hit};
  }
  return true;
}

void LOCTImage::AddSplinePoint(QPoint point)
{
  const std::optional<Cell> cell = CellUnder(point);
  const std::optional<SliceMapping> mapping = Mapping();
  SliceAxes axes;
  if (!m_ShowSplines || !m_Splines || !cell || !SliceAxesOf(m_Orientation, axes))
    return;
  LSplineSet& set = *m_Splines;
  m_SelectedSpline = m_SelectedControlPoint = -1;
  const int slice = m_Position[axes.slice];
  // Control points can be taken only where they are drawn.
  const size_t splines = SplineCount();
  for (size_t s = 0; m_Style.layers.showSplinesMarker && s < splines; ++s) {
    if (set.planes[s] != m_Orientation)
      continue;
    const std::vector<Point3i>& points = set.controlPoints[s];
    for (size_t k = 0; k < points.size(); ++k)
      if (CoordOf(points[k], axes.slice) == slice &&
          mapping->HitRect(CoordOf(points[k], axes.column), CoordOf(points[k], axes.row)).Contains(point.x(), point.y())) {
        m_SelectedSpline = static_cast<int>(s);
        m_SelectedControlPoint = static_cast<int>(k);
        return;
      }
  }

  const Point3i p = PointFromCell(*cell);
  const PixelRect hit = VoxelHitRect(p, axes);
  const bool request = m_NewSplineRequest;
  if (request && !StartSpline(p, hit))
    return;
  const size_t count = SplineCount();
  if (count < 1)
    return;
  const size_t s = count - 1;
  std::vector<Point3i>& points = set.controlPoints[s];
  // Clicks extend the newest spline only on its own slice of its own pane.
  if (set.planes[s] != m_Orientation || set.closed[s] || points.empty() || CoordOf(points.front(), axes.slice) != slice)
    return;
  if (request) {
    m_NewSplineRequest = false;
    m_View.ClearNewSplineRequests();
  } else {
    points.push_back(p);
    if (m_SplineHitRects && s < m_SplineHitRects->size())
      (*m_SplineHitRects)[s].push_back(hit);
  }
  set.ComputeSplineCurve(static_cast<int>(count), static_cast<int>(s));
  SplinesEdited();
}

void LOCTImage::DragSplinePoint(QPoint point)
{
  const std::optional<Cell> cell = CellUnder(point);
  SliceAxes axes;
  if (!m_ShowSplines || !cell || m_SelectedSpline < 0 || size_t(m_SelectedSpline) >= SplineCount() ||
      !SliceAxesOf(m_Orientation, axes))
    return;
  std::vector<Point3i>& points = m_Splines->controlPoints[size_t(m_SelectedSpline)];
  if (m_SelectedControlPoint < 0 || size_t(m_SelectedControlPoint) >= points.size())
    return;
  Point3i& p = points[size_t(m_SelectedControlPoint)];
  CoordOf(p, axes.column) = ClampTo(axes.column, cell->column);
  CoordOf(p, axes.row) = ClampTo(axes.row, cell->row);
  m_Splines->ComputeSplineCurve(m_Splines->count, m_SelectedSpline);
  m_View.ResultEdited(MouseSplines, m_Orientation);
  Invalidate();
  m_View.Invalidate3DPane();
}

void LOCTImage::CloseSpline()
{
  const size_t count = SplineCount();
  if (!m_ShowSplines || count == 0 || m_Splines->controlPoints[count - 1].empty())
    return;
  m_Splines->closed[count - 1] = true;
  m_Splines->ComputeSplineCurve(static_cast<int>(count), static_cast<int>(count - 1));
  // The spline may have been drawn in another pane, which shows it.
  SplinesEdited();
}

void LOCTImage::DeleteSpline()
{
  const size_t count = SplineCount();
  if (!m_ShowSplines || count == 0 || m_SelectedSpline < 0 || size_t(m_SelectedSpline) >= count ||
      m_SelectedControlPoint < 0)
    return;
  LSplineSet& set = *m_Splines;
  const size_t removed = size_t(m_SelectedSpline);
  for (size_t s = removed; s + 1 < count; ++s) {
    set.planes[s] = set.planes[s + 1];
    set.closed[s] = set.closed[s + 1];
    set.controlPoints[s] = std::move(set.controlPoints[s + 1]);
  }
  set.planes[count - 1] = OrientationXY;
  set.closed[count - 1] = false;
  set.controlPoints[count - 1].clear();
  if (m_SplineHitRects && removed < m_SplineHitRects->size()) {
    m_SplineHitRects->erase(m_SplineHitRects->begin() + static_cast<std::ptrdiff_t>(removed));
    m_SplineHitRects->emplace_back();
  }
  // The curves follow their splines down; the freed last one becomes empty.
  for (size_t s = removed; s < count; ++s)
    set.ComputeSplineCurve(static_cast<int>(count), static_cast<int>(s));
  set.ComputeSplineCurve(static_cast<int>(count - 1), -1);
  // The button is still down: a move before its release must not drag a point of the spline
  // that now has the deleted one's index.
  m_SelectedSpline = m_SelectedControlPoint = -1;
  SplinesEdited();
}

void LOCTImage::SplinesEdited()
{
  m_View.ResultEdited(MouseSplines, m_Orientation);
  InvalidateSlicePanes();
  m_View.Invalidate3DPane();
}
