#include "panes/LOCTImage.h"

#include "data/VolumeMemoryLimit.h"
#include "panes/PointAxes.h"
#include "panes/QPainterCanvas.h"
#include "panes/SliceFigures.h"
#include "panes/SlicePainting.h"

#include <algorithm>
#include <utility>

namespace {

// The tint of a label layer as drawn: its colour and opacity, the layer's voxels and range.
LabelTint ShownTint(const TintStyle& style, const LabelLayer* labels)
{
  if (!labels || !labels->Voxels())
    return {nullptr, 0, style.color, style.opacity, WrittenPages()};
  return {labels->Voxels(), labels->Maximum(), style.color, style.opacity, labels->Written()};
}

}  // namespace

void LOCTImage::CreatePane(int width, int height, int colorMode, CChildWnd* host)
{
  m_ColorMode = colorMode;
  const QSize size(std::max(0, width), std::max(0, height));
  m_Bitmap = m_ReservedBitmap.size() == size ? std::exchange(m_ReservedBitmap, QImage())
                                             : QImage(size, QImage::Format_RGB32);
  m_Bitmap.fill(Qt::black);

  m_Caption.clear();
  ForgetResults();
  m_Zoom = 1.0f;
  m_PanX = 0;
  m_PanY = 0;
  m_MouseMode = MousePosition;
  m_ShowDisc = m_ShowVessel = m_ShowSEAD = m_ShowSplines = m_ShowMarkers = false;
  m_ShowUndefinedRegion = m_ShowSurfaces = m_ShowRefSurface = m_ShowThickness = false;
  m_ShowSurface.fill(false);
  m_Style.layers.showUndefinedSurface.fill(false);
  m_ThicknessFrom = m_ThicknessTo = 0;
  m_ProjectionFrom = m_ProjectionTo = 0;
  m_ShowCreateProj = false;
  m_Laterality = 0;
  m_SelectedMarker = m_SelectedSpline = m_SelectedControlPoint = -1;
  m_NewSplineRequest = false;
  m_VesselStroke = m_SEADStroke = false;
  PlaceWindow(host, m_Bitmap.size());
}

bool LOCTImage::ReserveCanvas(int width, int height)
{
  const QSize size(std::max(0, width), std::max(0, height));
  if (size.isEmpty() || m_ReservedBitmap.size() == size)
    return true;
  if (!WithinVolumeMemoryLimit(uint64_t(size.width()) * uint64_t(size.height()) * sizeof(QRgb)))
    return false;
  QImage canvas(size, QImage::Format_RGB32);
  if (canvas.isNull())
    return false;
  m_ReservedBitmap = std::move(canvas);
  return true;
}

void LOCTImage::ForgetScan()
{
  ForgetResults();
  m_Voxels = nullptr;
  // Black where that takes no memory: a picture shared with an export keeps its pixels.
  if (m_Bitmap.isDetached())
    m_Bitmap.fill(Qt::black);
}

// The results of the previous scan may be gone, or sized for another grid: nothing of them
// is drawn, edited or undone until the view hands over the new scan's.
void LOCTImage::ForgetResults()
{
  m_SurfaceCount = 0;
  m_SurfacePoints = nullptr;
  m_UndefinedMask = nullptr;
  m_SurfacesFileName.clear();
  m_SurfacesModifier = "NA";
  m_SurfacesApproval = false;
  m_SurfaceUndo.clear();
  m_SelectedSurface = -1;
  m_SurfaceEditActive = false;
  m_RefSurface = nullptr;
  m_DiscMask = nullptr;
  m_LCDR = 0.0f;
  m_VesselLabels = m_SEADLabels = nullptr;
  m_VesselMesh = {};
  m_SEADMesh = {};
  m_Markers = nullptr;
  m_MarkerHitRects.clear();
  m_Splines = nullptr;
  m_SplineHitRects = nullptr;
}

void LOCTImage::SetVolume(const int size[3], const unsigned short* voxels, const float spacing[3],
                          int bytesPerVoxel)
{
  std::copy(size, size + 3, m_Size);
  std::copy(spacing, spacing + 3, m_Spacing);
  m_Voxels = voxels;
  m_BytesPerVoxel = bytesPerVoxel;
  m_Maximum = MaximumForBytes(bytesPerVoxel);
}

void LOCTImage::SetSurfaces(int count, int* points, uint8_t* undefinedMask)
{
  m_SurfaceCount = count;
  m_SurfacePoints = points;
  m_UndefinedMask = undefinedMask;
  // Snapshots of other surfaces cannot be undone onto these.
  m_SurfaceUndo.clear();
  m_SelectedSurface = -1;
  m_SurfaceEditActive = false;
}

void LOCTImage::SetDiscMask(const uint8_t* mask)
{
  m_DiscMask = mask;
  m_LCDR = CupToDiscRatio(mask, size_t(std::max(0, m_Size[0])) * size_t(std::max(0, m_Size[2])));
}

void LOCTImage::SetSplines(LSplineSet* splines, SplineHitRects* hitRects)
{
  m_Splines = splines;
  m_SplineHitRects = hitRects;
  if (!splines || !hitRects)
    return;
  const size_t count = std::min({size_t(std::max(0, splines->count)), splines->planes.size(), splines->controlPoints.size()});
  if (hitRects->size() < count)
    hitRects->resize(count);
  for (size_t i = 0; i < count; ++i) {
    SliceAxes axes;
    if (!SliceAxesOf(splines->planes[i], axes))
      continue;  // a spline without a plane has nothing to hit
    // Entry k belongs to control point k, however often the view hands the splines over.
    std::vector<PixelRect>& rects = (*hitRects)[i];
    rects.clear();
    for (const Point3i& p : splines->controlPoints[i])
      rects.push_back(VoxelHitRect(p, axes));
  }
}

void LOCTImage::SetStyle(const SliceStyle& style)
{
  m_Style = style;
}

void LOCTImage::SetColorSurface(int index, platform::COLORREF c)
{
  if (index >= 0 && index < kMaxSurfaces)
    m_Style.layers.surfaceColors[static_cast<size_t>(index)] = c;
}

void LOCTImage::SetColorMarker(int index, platform::COLORREF c)
{
  if (index >= 0 && index < kMaxSurfaces)
    m_Style.layers.markerColors[static_cast<size_t>(index)] = c;
}

void LOCTImage::SetShowUndefinedSurface(int index, bool show)
{
  if (index >= 0 && index < kMaxSurfaces)
    m_Style.layers.showUndefinedSurface[static_cast<size_t>(index)] = show;
}

void LOCTImage::ShowGuideLines(bool show)
{
  m_Style.layers.showGuideLines = show;
  // The frame appears or goes: the whole window.
  UpdateWindow();
}

void LOCTImage::ShowOverlay(bool show)
{
  m_Style.showOverlay = show;
  Invalidate();
}

void LOCTImage::ShowMarkers(bool show)
{
  m_ShowMarkers = show;
  Invalidate();
}

void LOCTImage::ShowRefSurface(bool show)
{
  m_ShowRefSurface = show;
  Invalidate();
}

void LOCTImage::ShowSplines(bool show)
{
  m_ShowSplines = show;
  Invalidate();
}

void LOCTImage::ShowSurfaces(bool show)
{
  m_ShowSurfaces = show;
  Invalidate();
}

void LOCTImage::ShowThickness(bool show)
{
  m_ShowThickness = show;
  Invalidate();
}

void LOCTImage::ShowSurface(int index, bool show)
{
  if (index >= 0 && index < kMaxSurfaces)
    m_ShowSurface[static_cast<size_t>(index)] = show;
  Invalidate();
}

void LOCTImage::ShowUndefinedSurface(int index, bool show)
{
  SetShowUndefinedSurface(index, show);
  Invalidate();
}

void LOCTImage::ShowDisc(bool show)
{
  m_ShowDisc = show;
  RenderIfCreated();
}

void LOCTImage::ShowVessel(bool show)
{
  m_ShowVessel = show;
  RenderIfCreated();
}

void LOCTImage::ShowSEAD(bool show)
{
  m_ShowSEAD = show;
  RenderIfCreated();
}

void LOCTImage::ShowUndefinedRegion(bool show)
{
  m_ShowUndefinedRegion = show;
  RenderIfCreated();
}

void LOCTImage::RenderIfCreated()
{
  if (IsCreated())
    Render();
}

void LOCTImage::Render()
{
  if (!IsCreated() || !m_Voxels || !m_Position || !m_WindowCentre || !m_WindowWidth)
    return;
  // The window is clamped at once even while the picture waits: others may read the settings
  // it writes back before the held picture is drawn.
  ClampWindow(*m_WindowCentre, *m_WindowWidth, m_Maximum);
  if (!BeginRedraw())
    return;

  SliceRenderInput in;
  in.voxels = m_Voxels;
  std::copy(m_Size, m_Size + 3, in.size);
  in.orientation = m_Orientation;
  std::copy(m_Position, m_Position + 3, in.position);
  in.avgSliceNum = m_Style.layers.avgSliceNum;
  in.greyOnly = m_ColorMode == DibColors256;
  in.windowCentre = *m_WindowCentre;
  in.windowWidth = *m_WindowWidth;
  // A tint is drawn while its flag is on and its data are there.
  const SliceStyle& st = m_Style;
  in.undefinedRegion = {m_ShowUndefinedRegion ? m_UndefinedMask : nullptr, st.undefinedRegion.color,
                        st.undefinedRegion.opacity};
  const uint8_t* disc = m_ShowDisc ? m_DiscMask : nullptr;
  in.cup = {disc, st.cup.color, st.cup.opacity};
  in.rim = {disc, st.rim.color, st.rim.opacity};
  in.vessel = ShownTint(st.vessel, m_ShowVessel ? m_VesselLabels : nullptr);
  in.sead = ShownTint(st.sead, m_ShowSEAD ? m_SEADLabels : nullptr);
  RenderSlice(in, m_Bitmap);
  Invalidate();
}

void LOCTImage::Invalidate()
{
  if (m_Style.layers.showGuideLines)
    UpdateWindowInside(2);
  else
    UpdateWindow();
}

std::optional<SliceMapping> LOCTImage::Mapping() const
{
  if (!IsCreated())
    return std::nullopt;
  const QSize window = WindowSize();
  return SliceMapping::Make(m_Bitmap.width(), m_Bitmap.height(), m_Zoom, m_PanX, m_PanY, window.width(),
                            window.height());
}

void LOCTImage::Paint(QPainter& painter) const
{
  const std::optional<SliceMapping> mapping = Mapping();
  if (!mapping)
    return;
  const QSize window = WindowSize();
  // Cells stay sharp when stretched.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  painter.setRenderHint(QPainter::Antialiasing, false);
  if (Stretched())
    DrawVisiblePart(painter, m_Bitmap, *mapping, window);
  else
    painter.drawImage(0, 0, m_Bitmap);
  QPainterCanvas canvas(painter);
  PaintOverlays(canvas);
}
