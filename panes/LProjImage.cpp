#include "panes/LProjImage.h"

#include "data/VolumeMemoryLimit.h"
#include "panes/EnFaceProjection.h"
#include "panes/ProjectionLayers.h"

#include <algorithm>
#include <cstring>
#include <new>

bool LProjImage::CreatePane(int width, int height, int colorMode, CChildWnd* host)
{
  const int w = std::max(0, width);
  const int h = std::max(0, height);
  const size_t cells = static_cast<size_t>(w) * static_cast<size_t>(h);
  SetNotCreated();
  // The previous scan's results may be gone, or sized for another grid: none of them is
  // composed, measured or painted on until the view hands over the new scan's.
  SetSurfaces(0, nullptr, nullptr);
  m_DiscMask = nullptr;
  if (!TakeReservedCanvas(w, h)) {
    try {
      // Planes of the same size keep their memory, so that the 3-D pane's borrowed planes
      // stay valid across a new scan of the same size.
      m_Red.assign(cells, 0);
      m_Green.assign(cells, 0);
      m_Blue.assign(cells, 0);
      m_Thickness.Allocate(cells);
    } catch (const std::bad_alloc&) {
      return false;
    }
    if (m_Bitmap.size() != QSize(w, h) || !m_Bitmap.isDetached()) {
      QImage bitmap(w, h, QImage::Format_RGB32);
      if (cells > 0 && bitmap.isNull())
        return false;
      m_Bitmap = std::move(bitmap);
    }
  }
  m_Bitmap.fill(Qt::black);
  m_Width = w;
  m_Height = h;
  m_ColorMode = colorMode;
  PlaceWindow(host, QSize(w, h));

  m_ShowProjection = true;
  m_MouseMode = MousePosition;
  m_ShowDisc = m_ShowUndefinedRegion = m_ShowThickness = m_ShowThicknessBar = false;
  m_Thickness.Reset();
  m_ProjectionFrom = m_ProjectionTo = 0;
  return true;
}

// A pane of the size it shows needs nothing more: its planes keep their memory.
bool LProjImage::ReserveCanvas(int width, int height)
{
  const int w = std::max(0, width);
  const int h = std::max(0, height);
  if ((w == m_Width && h == m_Height && IsCreated()) || (m_Reserved && m_Reserved->width == w && m_Reserved->height == h))
    return true;
  const size_t cells = static_cast<size_t>(w) * static_cast<size_t>(h);
  // Three planes, the thickness map's cells and the bitmap.
  constexpr uint64_t kBytesPerCell = 3 + sizeof(float) + 2 + sizeof(uint16_t) + sizeof(QRgb);
  if (!WithinVolumeMemoryLimit(uint64_t(cells) * kBytesPerCell))
    return false;
  try {
    auto canvas = std::make_unique<Canvas>();
    canvas->width = w;
    canvas->height = h;
    canvas->red.assign(cells, 0);
    canvas->green.assign(cells, 0);
    canvas->blue.assign(cells, 0);
    canvas->thickness = ThicknessMap::MakeCells(cells);
    canvas->bitmap = QImage(w, h, QImage::Format_RGB32);
    if (cells > 0 && canvas->bitmap.isNull())
      return false;
    m_Reserved = std::move(canvas);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool LProjImage::TakeReservedCanvas(int width, int height) noexcept
{
  if (!m_Reserved || m_Reserved->width != width || m_Reserved->height != height)
    return false;
  m_Red.swap(m_Reserved->red);
  m_Green.swap(m_Reserved->green);
  m_Blue.swap(m_Reserved->blue);
  m_Thickness.Adopt(m_Reserved->thickness);
  m_Bitmap.swap(m_Reserved->bitmap);
  m_Reserved.reset();
  return true;
}

void LProjImage::ForgetScan()
{
  SetNotCreated();
  SetSurfaces(0, nullptr, nullptr);
  m_DiscMask = nullptr;
  m_Voxels = nullptr;
}

void LProjImage::SetVolume(const int size[3], const unsigned short* voxels, const float spacing[3],
                           int bytesPerVoxel)
{
  std::copy(size, size + 3, m_Size);
  std::copy(spacing, spacing + 3, m_Spacing);
  m_Voxels = voxels;
  m_Maximum = MaximumForBytes(bytesPerVoxel);
}

void LProjImage::SetSurfaces(int count, const int* points, uint8_t* undefinedMask)
{
  m_SurfaceCount = count;
  m_SurfacePoints = points;
  m_UndefinedMask = undefinedMask;
  m_ShowUndefinedRegion = true;
}

void LProjImage::SetStyle(const ProjectionStyle& style)
{
  m_Style = style;
  m_ShowGuideLines = style.showGuideLines;
  m_ShowThicknessBar = style.showThicknessBar;
  m_Palette.Build(style.thicknessPalette);
  m_Thickness.SetGridMode(style.gridMode);
  m_Thickness.SetUnit(style.thicknessUnit, style.thicknessUnitMin, style.thicknessUnitMax);
}

void LProjImage::SetThicknessPalette(int type)
{
  m_Style.thicknessPalette = type;
  m_Palette.Build(type);
}

void LProjImage::SetGridMode(int mode)
{
  m_Style.gridMode = mode;
  m_Thickness.SetGridMode(mode);
}

void LProjImage::SetThicknessUnit(int unit, float minimum, float maximum)
{
  m_Style.thicknessUnit = unit;
  m_Style.thicknessUnitMin = minimum;
  m_Style.thicknessUnitMax = maximum;
  m_Thickness.SetUnit(unit, minimum, maximum);
}

void LProjImage::SetProjectionImage(const uint8_t* red, const uint8_t* green, const uint8_t* blue)
{
  if (!red || !green || !blue)
    return;
  std::memcpy(m_Red.data(), red, m_Red.size());
  std::memcpy(m_Green.data(), green, m_Green.size());
  std::memcpy(m_Blue.data(), blue, m_Blue.size());
}

bool LProjImage::HasVolumeOfPaneSize() const
{
  // The masks and surfaces are the volume's; they fit the planes only when the sizes agree.
  return IsCreated() && m_Size[0] == m_Width && m_Size[2] == m_Height && m_Width > 0 && m_Height > 0;
}

void LProjImage::ComputeProjection(int from, int to)
{
  if (!HasVolumeOfPaneSize())
    return;
  const EnFaceVolume volume{m_Voxels, m_Size[0], m_Size[1], m_Size[2], m_Maximum};
  const EnFaceSurfaces surfaces{m_SurfacePoints, m_SurfaceCount};
  if (!ComputeEnFaceProjection(volume, surfaces, from, to, m_Red.data()))
    return;
  m_ProjectionFrom = from;
  m_ProjectionTo = to;
  m_Green = m_Red;
  m_Blue = m_Red;
}

void LProjImage::ComputeThickness(int from, int to)
{
  if (!HasVolumeOfPaneSize())
    return;
  ThicknessInput in;
  in.points = m_SurfacePoints;
  in.surfaceCount = m_SurfaceCount;
  in.undefinedMask = m_UndefinedMask;
  in.sizeX = m_Size[0];
  in.sizeZ = m_Size[2];
  in.spacingX = m_Spacing[0];
  in.spacingY = m_Spacing[1];
  in.spacingZ = m_Spacing[2];
  in.position = m_Position;
  in.gridCenter = m_GridCenter;
  m_Thickness.Compute(in, from, to);
}

void LProjImage::Compose()
{
  if (!IsCreated() || !BeginRedraw())
    return;
  const bool masksFit = HasVolumeOfPaneSize();
  ProjectionLayers layers;
  layers.colorMode = m_ColorMode;
  layers.red = m_Red.data();
  layers.green = m_Green.data();
  layers.blue = m_Blue.data();
  layers.showProjection = m_ShowProjection;
  if (masksFit && m_ShowUndefinedRegion)
    layers.undefinedRegion = m_UndefinedMask;
  layers.undefinedColor = m_Style.undefinedRegion.color;
  layers.undefinedOpacity = m_Style.undefinedRegion.opacity;
  if (masksFit && m_ShowDisc)
    layers.disc = m_DiscMask;
  layers.cupColor = m_Style.cup.color;
  layers.cupOpacity = m_Style.cup.opacity;
  layers.rimColor = m_Style.rim.color;
  layers.rimOpacity = m_Style.rim.opacity;
  if (m_ShowThickness)
    layers.thickness = &m_Thickness;
  layers.undefinedMask = masksFit ? m_UndefinedMask : nullptr;
  layers.palette = &m_Palette;
  layers.thicknessOpacity = m_Style.thicknessOpacity;
  ComposeLayers(layers, m_Bitmap);
  Invalidate();
}

void LProjImage::SetGridCircles(int gridType, int count, const std::string* labels, float* radiusFrom,
                                float* radiusTo, float* angleFrom, float* angleTo)
{
  m_Thickness.SetGridCircles(gridType, count, labels, radiusFrom, radiusTo, angleFrom, angleTo);
}

void LProjImage::SetGridEllipses(int gridType, int count, const std::string* labels, float* horizontalFrom,
                                 float* horizontalTo, float* verticalFrom, float* verticalTo, float* angleFrom,
                                 float* angleTo)
{
  m_Thickness.SetGridEllipses(gridType, count, labels, horizontalFrom, horizontalTo, verticalFrom, verticalTo,
                              angleFrom, angleTo);
}

void LProjImage::SetGridRectangles(int gridType, int count, const std::string* labels, const float* left,
                                   const float* top, const float* right, const float* bottom)
{
  m_Thickness.SetGridRectangles(gridType, count, labels, left, top, right, bottom);
}

void LProjImage::SetGridRectangleSets(int gridType, int groupCount, const std::string* groupLabels,
                                      const int32_t* regionCount, const std::vector<std::string>* regionLabels,
                                      const std::vector<float>* left, const std::vector<float>* top,
                                      const std::vector<float>* right, const std::vector<float>* bottom)
{
  m_Thickness.SetGridRectangleSets(gridType, groupCount, groupLabels, regionCount, regionLabels, left, top, right,
                                   bottom);
}

void LProjImage::ShowGuideLines(bool show)
{
  m_ShowGuideLines = show;
  Invalidate();
}

void LProjImage::ShowOverlay(bool show)
{
  m_ShowOverlay = show;
  Invalidate();
}

void LProjImage::ShowThicknessBar(bool show)
{
  m_ShowThicknessBar = show;
  Invalidate();
}

void LProjImage::ShowProjection(bool show)
{
  m_ShowProjection = show;
  Compose();
}

void LProjImage::ShowDisc(bool show)
{
  m_ShowDisc = show;
  Compose();
}

void LProjImage::ShowUndefinedRegion(bool show)
{
  m_ShowUndefinedRegion = show;
  Compose();
}

void LProjImage::ShowThickness(bool show)
{
  m_ShowThickness = show;
  Compose();
}

void LProjImage::Invalidate() const
{
  UpdateWindow();
}

std::optional<SliceMapping> LProjImage::Mapping() const
{
  if (!IsCreated())
    return std::nullopt;
  // The whole image always fills the window: no zoom, no pan.
  const QSize window = WindowSize();
  return SliceMapping::Make(m_Width, m_Height, 1.0f, 0, 0, window.width(), window.height());
}
