#include "panes/LProjImage.h"

#include "panes/EnFaceProjection.h"
#include "panes/PaneImageExport.h"
#include "panes/ProjectionLayers.h"

#include <algorithm>
#include <cstring>
#include <new>

LProjImage::~LProjImage()
{
  // The host owns the window as its Qt parent, but the window paints from this pane: a pane
  // that goes first takes its window with it.
  delete m_Widget.data();
}

bool LProjImage::CreatePane(int width, int height, int colorMode, CChildWnd* host)
{
  const int w = std::max(0, width);
  const int h = std::max(0, height);
  const size_t cells = static_cast<size_t>(w) * static_cast<size_t>(h);
  m_Created = false;
  try {
    // Planes of the same size keep their memory, so that the 3-D pane's borrowed planes stay
    // valid across a new scan of the same size.
    m_Red.assign(cells, 0);
    m_Green.assign(cells, 0);
    m_Blue.assign(cells, 0);
    m_Thickness.Allocate(cells);
  } catch (const std::bad_alloc&) {
    return false;
  }
  QImage bitmap(w, h, QImage::Format_RGB32);
  if (cells > 0 && bitmap.isNull())
    return false;
  bitmap.fill(Qt::black);
  m_Bitmap = std::move(bitmap);
  m_Width = w;
  m_Height = h;
  m_ColorMode = colorMode;

  if (!m_Widget && host) {
    m_Widget = new PaneWidget(*this, host);  // owned by the host, see the destructor
    m_Widget->show();
  }
  if (m_Widget) {
    m_Widget->setGeometry(0, 0, w, h);
    m_Widget->update();
  }

  m_Created = true;
  m_ShowProjection = true;
  m_Stretch = false;
  m_MouseMode = MousePosition;
  m_ShowDisc = m_ShowUndefinedRegion = m_ShowThickness = m_ShowThicknessBar = false;
  m_Thickness.Reset();
  m_ProjectionFrom = m_ProjectionTo = 0;
  return true;
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
  return m_Created && m_Size[0] == m_Width && m_Size[2] == m_Height && m_Width > 0 && m_Height > 0;
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
  if (!m_Created)
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
  layers.undefinedColor = m_UndefinedColor;
  layers.undefinedOpacity = m_UndefinedOpacity;
  if (masksFit && m_ShowDisc)
    layers.disc = m_DiscMask;
  layers.cupColor = m_CupColor;
  layers.cupOpacity = m_CupOpacity;
  layers.rimColor = m_RimColor;
  layers.rimOpacity = m_RimOpacity;
  if (m_ShowThickness)
    layers.thickness = &m_Thickness;
  layers.undefinedMask = masksFit ? m_UndefinedMask : nullptr;
  layers.palette = &m_Palette;
  layers.thicknessOpacity = m_ThicknessOpacity;
  ComposeLayers(layers, m_Bitmap);
  Invalidate();
}

void LProjImage::Resize(int width, int height)
{
  if (!m_Created)
    return;
  m_PaneWidth = std::max(0, width);
  m_PaneHeight = std::max(0, height);
  if (m_Widget) {
    m_Widget->setGeometry(0, 0, m_PaneWidth, m_PaneHeight);
    m_Widget->update();
  }
  m_Stretch = true;
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
  if (m_Widget)
    m_Widget->update();
}

QSize LProjImage::WindowSize() const
{
  // Until it is sized, the window shows the bitmap 1:1 at the bitmap's size.
  return m_Stretch ? QSize(m_PaneWidth, m_PaneHeight) : m_Bitmap.size();
}

std::optional<SliceMapping> LProjImage::Mapping() const
{
  if (!m_Created)
    return std::nullopt;
  // The whole image always fills the window: no zoom, no pan.
  const QSize window = WindowSize();
  return SliceMapping::Make(m_Width, m_Height, 1.0f, 0, 0, window.width(), window.height());
}

QImage LProjImage::RenderToImage() const
{
  return Mapping() ? RenderPaneImage(*this, WindowSize()) : QImage();
}

void LProjImage::CopyToClipboard() const
{
  const QImage image = RenderToImage();
  if (!image.isNull())
    CopyImageToClipboard(image);
}

int LProjImage::SaveImage(const std::string& path) const
{
  return CopyAndSaveImage(RenderToImage(), path);
}
