// The line and cell overlays a slice pane draws over its bitmap.
#include "panes/LOCTImage.h"

#include "data/NumberText.h"
#include "panes/PointAxes.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kFarOutside = 1.0e6f;

QRect ToQRect(const PixelRect& r)
{
  return QRect(r.x, r.y, r.width, r.height);
}

// The colour index a marker's label names; labels that name none ("-1", "25", "x") take 0.
size_t MarkerColorIndex(const std::string& label, size_t colors)
{
  long long index = 0;
  if (!numtext::ParseIntToken(label, index) || index < 0 || index >= static_cast<long long>(colors))
    return 0;
  return static_cast<size_t>(index);
}

}  // namespace

void LOCTImage::PaintOverlays(PaneCanvas& canvas) const
{
  const std::optional<SliceMapping> mapping = Mapping();
  SliceAxes axes;
  if (!mapping || !m_Position || !SliceAxesOf(m_Orientation, axes))
    return;
  const OverlayFrame f{*mapping, axes, WindowSize(), m_Position};
  if (m_ShowSurfaces && m_SurfaceCount > 0 && m_SurfacePoints)
    DrawSurfaces(canvas, f);
  if (m_ShowVessel)
    DrawMeshVertices(canvas, f, m_VesselMesh, m_Style.vessel.color);
  if (m_ShowSEAD)
    DrawMeshVertices(canvas, f, m_SEADMesh, m_Style.sead.color);
  if (m_ShowSplines && m_Splines)
    DrawSplines(canvas, f);
  DrawMarkers(canvas, f);
  if (m_ShowRefSurface && m_RefSurface)
    DrawRefSurface(canvas, f);
  if (m_Style.layers.showGuideLines)
    DrawGuideLines(canvas, f);
  if (m_Style.showOverlay) {
    DrawOrientationLetters(canvas, f.window);
    DrawInfoText(canvas, f);
  }
}

void LOCTImage::DrawSurfaces(PaneCanvas& canvas, const OverlayFrame& f) const
{
  const int shown = std::min(m_SurfaceCount, kMaxSurfaces);
  for (int i = 0; i < shown; ++i) {
    if (!m_ShowSurface[static_cast<size_t>(i)])
      continue;
    if (m_Orientation == OrientationXZ)
      DrawSurfaceCells(canvas, f, i);
    else
      DrawSurfaceLine(canvas, f, i);
  }
}

void LOCTImage::DrawSurfaceLine(PaneCanvas& canvas, const OverlayFrame& f, int surface) const
{
  const size_t i = static_cast<size_t>(surface);
  const bool thicknessPair = m_ShowThickness && (surface == m_ThicknessFrom || surface == m_ThicknessTo);
  canvas.SetPen(m_Style.layers.surfaceColors[i], m_Style.surfacesLineWidth + (thicknessPair ? 1 : 0), PenStyle::Solid);
  const bool overUndefined = m_Style.layers.showUndefinedSurface[i] || !m_UndefinedMask;
  const int sizeX = m_Size[AxisX];
  const int sizeZ = m_Size[AxisZ];
  // The cell (x, z) of column c of the slice: XY runs along x at B-scan Z, ZY along z at A-scan X.
  const bool alongX = f.axes.column == AxisX;
  const int fixedCoord = f.position[alongX ? AxisZ : AxisX];
  const int columns = alongX ? sizeX : sizeZ;
  if (fixedCoord < 0 || fixedCoord >= (alongX ? sizeZ : sizeX))
    return;
  auto cellOf = [&](int c) { return alongX ? size_t(c) + size_t(sizeX) * size_t(fixedCoord) : size_t(fixedCoord) + size_t(sizeX) * size_t(c); };
  auto rowOf = [&](int c) {
    return m_SurfacePoints[((size_t(surface) * size_t(sizeZ)) * size_t(sizeX) + cellOf(c)) * 3 + 1];
  };
  for (int c = 0; c + 1 < columns; ++c) {
    if (!overUndefined && (m_UndefinedMask[cellOf(c)] != 0 || m_UndefinedMask[cellOf(c + 1)] != 0))
      continue;
    const QPoint a(f.mapping.CentreX(float(c)), f.mapping.CentreY(float(rowOf(c))));
    const QPoint b(f.mapping.CentreX(float(c + 1)), f.mapping.CentreY(float(rowOf(c + 1))));
    canvas.Line(a, b);
  }
}

void LOCTImage::DrawSurfaceCells(PaneCanvas& canvas, const OverlayFrame& f, int surface) const
{
  const size_t i = static_cast<size_t>(surface);
  const bool overUndefined = m_Style.layers.showUndefinedSurface[i] || !m_UndefinedMask;
  const int sizeX = m_Size[AxisX];
  const int sizeZ = m_Size[AxisZ];
  const int* points = m_SurfacePoints + size_t(surface) * size_t(sizeZ) * size_t(sizeX) * 3;
  for (int z = 0; z < sizeZ; ++z)
    for (int x = 0; x < sizeX; ++x) {
      const size_t cell = size_t(x) + size_t(sizeX) * size_t(z);
      if (points[cell * 3 + 1] != f.position[AxisY] || (!overUndefined && m_UndefinedMask[cell] != 0))
        continue;
      canvas.FillRect(ToQRect(f.mapping.Cell(x, z)), m_Style.layers.surfaceColors[i]);
    }
}

void LOCTImage::DrawMeshVertices(PaneCanvas& canvas, const OverlayFrame& f, const MeshVertices& mesh,
                                 platform::COLORREF color) const
{
  if (!mesh.vertices)
    return;
  const int slice = f.position[f.axes.slice];
  for (size_t k = 0; k < mesh.count; ++k) {
    const float* v = mesh.vertices + 3 * k;
    // A vertex far outside any volume, or NaN, is not drawn (it would not convert to pixels).
    if (!(std::fabs(v[0]) < kFarOutside && std::fabs(v[1]) < kFarOutside && std::fabs(v[2]) < kFarOutside))
      continue;
    if (static_cast<int>(v[f.axes.slice] + 0.5f) != slice)
      continue;
    canvas.FillRect(ToQRect(f.mapping.CellAt(v[f.axes.column], v[f.axes.row])), color);
  }
}

void LOCTImage::DrawSplines(PaneCanvas& canvas, const OverlayFrame& f) const
{
  const LSplineSet& set = *m_Splines;
  const auto& curves = set.GetCurves();
  const size_t count = std::min({size_t(std::max(0, set.count)), set.planes.size(), set.controlPoints.size()});
  const int slice = f.position[f.axes.slice];
  // A spline belongs to this slice by its first control point; one without points to none.
  auto onSlice = [&](size_t s) {
    const auto& points = set.controlPoints[s];
    return set.planes[s] == m_Orientation && !points.empty() && CoordOf(points.front(), f.axes.slice) == slice;
  };
  auto windowPoint = [&](const Point3i& p) {
    return QPoint(f.mapping.CentreX(float(CoordOf(p, f.axes.column))), f.mapping.CentreY(float(CoordOf(p, f.axes.row))));
  };
  auto hitRect = [&](const Point3i& p) { return f.mapping.HitRect(CoordOf(p, f.axes.column), CoordOf(p, f.axes.row)); };

  canvas.SetPen(m_Style.layers.splinesLineColor, m_Style.layers.splinesLineWidth, PenStyle::Solid);
  for (size_t s = 0; s < count; ++s) {
    if (!onSlice(s) || set.controlPoints[s].size() < 2 || s >= curves.size())
      continue;
    const auto& curve = curves[s];
    for (size_t k = 0; k + 1 < curve.size(); ++k)
      canvas.Line(windowPoint(curve[k]), windowPoint(curve[k + 1]));
  }

  if (!m_Style.layers.showSplinesMarker)
    return;
  canvas.SetPen(m_Style.layers.splinesMarkerColor, m_Style.layers.splinesLineWidth, PenStyle::Solid);
  for (size_t s = 0; s < count; ++s) {
    if (!onSlice(s))
      continue;
    const auto& points = set.controlPoints[s];
    std::vector<PixelRect>* rects = m_SplineHitRects && s < m_SplineHitRects->size() ? &(*m_SplineHitRects)[s] : nullptr;
    if (rects && rects->size() < points.size())
      rects->resize(points.size());
    for (size_t k = 0; k < points.size(); ++k) {
      const PixelRect hit = hitRect(points[k]);
      if (rects)
        (*rects)[k] = hit;
      canvas.Ellipse(ToQRect(hit));
    }
  }
}

void LOCTImage::DrawMarkers(PaneCanvas& canvas, const OverlayFrame& f) const
{
  const size_t count = m_Markers ? std::min({size_t(std::max(0, m_Markers->count)), m_Markers->points.size(),
                                             m_Markers->labels.size()})
                                 : 0;
  // A marker not drawn now cannot be hit, whatever slice it was drawn on before.
  m_MarkerHitRects.assign(count, PixelRect{});
  if (!m_ShowMarkers)
    return;
  const int slice = f.position[f.axes.slice];
  for (size_t m = 0; m < count; ++m) {
    const Point3i& p = m_Markers->points[m];
    if (CoordOf(p, f.axes.slice) != slice)
      continue;
    canvas.SetPen(m_Style.layers.markerColors[MarkerColorIndex(m_Markers->labels[m], m_Style.layers.markerColors.size())], 2, PenStyle::Solid);
    const PixelRect hit = f.mapping.HitRect(CoordOf(p, f.axes.column), CoordOf(p, f.axes.row));
    m_MarkerHitRects[m] = hit;
    canvas.Ellipse(ToQRect(hit));
  }
}

void LOCTImage::DrawRefSurface(PaneCanvas& canvas, const OverlayFrame& f) const
{
  const LRefSurface& ref = *m_RefSurface;
  const int sizeX = m_Size[AxisX];
  const int sizeZ = m_Size[AxisZ];
  if (ref.surfaceSizeX != sizeX || ref.surfaceSizeZ != sizeZ || ref.points.size() != size_t(sizeX) * size_t(sizeZ))
    return;
  if (m_Orientation == OrientationXZ) {
    for (int z = 0; z < sizeZ; ++z)
      for (int x = 0; x < sizeX; ++x)
        if (ref.Point(x, z).y == f.position[AxisY])
          canvas.FillRect(ToQRect(f.mapping.Cell(x, z)), m_Style.layers.refSurfColor);
    return;
  }
  const bool alongX = f.axes.column == AxisX;
  const int fixedCoord = f.position[alongX ? AxisZ : AxisX];
  if (fixedCoord < 0 || fixedCoord >= (alongX ? sizeZ : sizeX))
    return;
  auto rowOf = [&](int c) { return alongX ? ref.Point(c, fixedCoord).y : ref.Point(fixedCoord, c).y; };
  canvas.SetPen(m_Style.layers.refSurfColor, m_Style.surfacesLineWidth, PenStyle::Dotted);
  const int columns = alongX ? sizeX : sizeZ;
  for (int c = 0; c + 1 < columns; ++c)
    canvas.Line(QPoint(f.mapping.CentreX(float(c)), f.mapping.CentreY(float(rowOf(c)))),
                QPoint(f.mapping.CentreX(float(c + 1)), f.mapping.CentreY(float(rowOf(c + 1)))));
}

void LOCTImage::DrawGuideLines(PaneCanvas& canvas, const OverlayFrame& f) const
{
  const int w = f.window.width();
  const int h = f.window.height();
  const int y = f.mapping.CentreY(float(f.position[f.axes.row]));
  const int x = f.mapping.CentreX(float(f.position[f.axes.column]));
  canvas.SetPen(kAxisColors[f.axes.row], 1, PenStyle::Solid);
  canvas.Line(QPoint(0, y), QPoint(w, y));
  canvas.SetPen(kAxisColors[f.axes.column], 1, PenStyle::Solid);
  canvas.Line(QPoint(x, 0), QPoint(x, h));

  // The frame, two pixels wide along every edge, in the colour of the slice axis.
  canvas.SetPen(kAxisColors[f.axes.slice], 1, PenStyle::Solid);
  for (int i : {0, 1}) {
    canvas.Line(QPoint(0, i), QPoint(w, i));
    canvas.Line(QPoint(0, h - 1 - i), QPoint(w, h - 1 - i));
    canvas.Line(QPoint(i, 0), QPoint(i, h));
    canvas.Line(QPoint(w - 1 - i, 0), QPoint(w - 1 - i, h));
  }
}
