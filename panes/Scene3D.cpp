#include "panes/Scene3D.h"

#include "data/LMarkers.h"
#include "data/LOCTVolume.h"
#include "data/LSplineSet.h"
#include "data/VolumeMemoryLimit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <iterator>
#include <utility>

Material3D ColorMaterial(platform::COLORREF color, float alpha)
{
  const float r = static_cast<float>(platform::RedOf(color));
  const float g = static_cast<float>(platform::GreenOf(color));
  const float b = static_cast<float>(platform::BlueOf(color));
  Material3D m;
  m.ambient = {r * 0.0007843137f, g * 0.0007843137f, b * 0.0007843137f, alpha};
  m.diffuse = {r * 0.003921569f, g * 0.003921569f, b * 0.003921569f, alpha};
  return m;
}

Material3D GreyMaterial(int grey)
{
  const float g = static_cast<float>(grey) * 0.003921569f;
  Material3D m;
  m.ambient = {g, g, g, 1.0f};
  m.diffuse = m.ambient;
  return m;
}

Material3D FlatMaterial(platform::COLORREF color)
{
  Material3D m;
  m.ambient = {static_cast<float>(platform::RedOf(color)) / 255.0f,
               static_cast<float>(platform::GreenOf(color)) / 255.0f,
               static_cast<float>(platform::BlueOf(color)) / 255.0f, 1.0f};
  m.diffuse = m.ambient;
  return m;
}

Scene3D::Scene3D()
{
  SetStyle(Scene3DStyle());
}

void Scene3D::SetStyle(const Scene3DStyle& style)
{
  const LayerStyle& layers = style.layers;
  SetAvgSliceNum(layers.avgSliceNum);
  for (int i = 0; i < kMaxSurfaces; ++i) {
    SetColorSurface(i, layers.surfaceColors[static_cast<size_t>(i)]);
    SetShowUndefinedSurface(i, layers.showUndefinedSurface[static_cast<size_t>(i)]);
  }
  for (int i = 0; i < kMarkerColors; ++i)
    SetColorMarker(i, layers.markerColors[static_cast<size_t>(i)]);
  SetColorRefSurf(layers.refSurfColor);
  SetColorSplinesLine(layers.splinesLineColor);
  SetColorSplinesMarker(layers.splinesMarkerColor);
  SetSplinesLineWidth(layers.splinesLineWidth);
  SetShowSplinesMarker(layers.showSplinesMarker);
  SetShowGuideLines(layers.showGuideLines);
  SetColorCup(style.cup.color);
  SetColorRim(style.rim.color);
  SetOpacityCup(style.cup.opacity);
  SetOpacityRim(style.rim.opacity);
  SetColorVessel(style.vesselColor);
  SetColorSEAD(style.seadColor);
  SetColor3DBackground(style.backgroundColor);
  SetShowOverlay(style.showOverlay);
  SetShow3DAll(style.show3DAll);
  Set3DBlending(style.blending);
  Set3DIsotropic(style.isotropic);
  SetShow3DOCTXY(style.showPlaneXY);
  SetShow3DOCTZY(style.showPlaneZY);
  SetShow3DOCTXZ(style.showPlaneXZ);
}

namespace {

// The cells of a grey plane of the orientation through a volume of the size.
size_t GreyCells(int orientation, const int size[3])
{
  int columns = 0;
  int rows = 0;
  SliceImageSize(orientation, size, columns, rows);
  return static_cast<size_t>(std::max(0, columns)) * static_cast<size_t>(std::max(0, rows));
}

}  // namespace

void Scene3D::SetVolume(const int size[3], const unsigned short* voxels, const float spacing[3],
                        int bytesPerVoxel)
{
  std::copy(size, size + 3, m_Size);
  std::copy(spacing, spacing + 3, m_Spacing);
  m_Voxels = voxels;
  ++m_VolumeGeneration;
  m_BytesPerVoxel = bytesPerVoxel;
  m_Maximum = MaximumForBytes(bytesPerVoxel);
  for (int orientation : {OrientationXY, OrientationZY, OrientationXZ}) {
    const size_t plane = static_cast<size_t>(PlaneIndex(orientation));
    const size_t cells = GreyCells(orientation, m_Size);
    std::vector<uint8_t>& grey = m_Grey[plane];
    std::vector<uint8_t>& reserved = m_ReservedGrey[plane];
    if (grey.capacity() < cells && reserved.size() == cells)
      grey.swap(reserved);
    std::vector<uint8_t>().swap(reserved);
    grey.assign(cells, 0);
  }
  m_Names.SetVolumeSize(m_Size);
  AllSurfacePointsChanged();
  ComputeHalfExtents();
  const double s = m_DepthScale;
  const double extents[3] = {static_cast<double>(static_cast<float>(m_Size[0]) * m_Spacing[0]) * 0.5,
                             static_cast<double>(static_cast<float>(m_Size[1]) * m_Spacing[1]) * 0.5 * s,
                             static_cast<double>(static_cast<float>(m_Size[2]) * m_Spacing[2]) * 0.5};
  m_Camera.radius = *std::max_element(extents, extents + 3);
  m_Camera.distance = 2.5 * m_Camera.radius;
  m_Camera.panX = 0.0;
  m_Camera.panY = 0.0;
}

bool Scene3D::ReservePlanes(const int size[3])
{
  try {
    for (int orientation : {OrientationXY, OrientationZY, OrientationXZ}) {
      const size_t plane = static_cast<size_t>(PlaneIndex(orientation));
      const size_t cells = GreyCells(orientation, size);
      if (m_Grey[plane].capacity() >= cells || m_ReservedGrey[plane].size() == cells)
        continue;
      if (!WithinVolumeMemoryLimit(cells))
        return false;
      m_ReservedGrey[plane] = std::vector<uint8_t>(cells, 0);
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void Scene3D::ForgetVolume()
{
  ResetSceneState();
  m_Voxels = nullptr;
}

void Scene3D::Set3DIsotropic(bool isotropic)
{
  m_DepthScale = isotropic ? 1.0f : 5.0f;
  ComputeHalfExtents();
}

void Scene3D::ComputeHalfExtents()
{
  m_Half.x = static_cast<float>(m_Size[0]) * m_Spacing[0] * 0.5f;
  m_Half.y = static_cast<float>(m_Size[1]) * m_Spacing[1] * 0.5f * m_DepthScale;
  m_Half.z = static_cast<float>(m_Size[2]) * m_Spacing[2] * 0.5f;
}

void Scene3D::SetWindowLevel(float* centre, float* width)
{
  m_WindowCentre = centre;
  m_WindowWidth = width;
}

void Scene3D::SetSurfaces(int count, const Point3i* points, const uint8_t* undefinedMask)
{
  m_SurfaceCount = count;
  m_SurfacePoints = points;
  m_UndefinedMask = undefinedMask;
  AllSurfacePointsChanged();
}

void Scene3D::SurfacePointsChanged(int surface, const GridRegion& region)
{
  if (surface >= 0 && surface < kMaxSurfaces)
    m_SurfaceChanges[static_cast<size_t>(surface)].Unite(region);
}

GridRegion Scene3D::TakeSurfaceChanges(int surface)
{
  if (surface < 0 || surface >= kMaxSurfaces)
    return {};
  return std::exchange(m_SurfaceChanges[static_cast<size_t>(surface)], GridRegion());
}

// Larger than any grid; whoever builds from it keeps it within the grid.
void Scene3D::AllSurfacePointsChanged()
{
  constexpr int kEvery = std::numeric_limits<int>::max() / 2;
  m_SurfaceChanges.fill(GridRegion{{0, kEvery}, {0, kEvery}});
}

void Scene3D::SetProjectionImage(const uint8_t* red, const uint8_t* green, const uint8_t* blue)
{
  m_Projection[0] = red;
  m_Projection[1] = green;
  m_Projection[2] = blue;
}

void Scene3D::SetVesselMesh(size_t vertexCount, const float* vertices)
{
  m_VesselVertexCount = vertexCount;
  m_VesselVertices = vertices;
  ++m_MeshGeneration;
}

void Scene3D::SetSEADMesh(size_t vertexCount, const float* vertices)
{
  m_SEADVertexCount = vertexCount;
  m_SEADVertices = vertices;
  ++m_MeshGeneration;
}

void Scene3D::SetMarkers(const int* count, const Point3i* positions, const std::string* labels)
{
  m_MarkerCount = count;
  m_MarkerPositions = positions;
  m_MarkerLabels = labels;
  m_EditableMarkerCount = nullptr;
  m_MarkerRecord = nullptr;
}

void Scene3D::SetSplines(const int* count, const LSplineSet* splines)
{
  m_SplineCount = count;
  m_Splines = splines;
  m_EditableSplineCount = nullptr;
  m_SplineRecord = nullptr;
  m_SplineHitRects = nullptr;
}

void Scene3D::SetMarkers(int* count, LMarkers* markers)
{
  SetMarkers(count, markers ? markers->points.data() : nullptr, markers ? markers->labels.data() : nullptr);
  m_EditableMarkerCount = count;
  m_MarkerRecord = markers;
}

void Scene3D::SetSplines(int* count, LSplineSet* splines, std::vector<std::vector<PixelRect>>* hitRects)
{
  SetSplines(static_cast<const int*>(count), splines);
  m_EditableSplineCount = count;
  m_SplineRecord = splines;
  m_SplineHitRects = hitRects;
}

void Scene3D::SetColorSurface(int index, platform::COLORREF c)
{
  if (index >= 0 && index < kMaxSurfaces)
    m_SurfaceColors[static_cast<size_t>(index)] = c;
}

void Scene3D::SetColorMarker(int index, platform::COLORREF c)
{
  if (index >= 0 && index < kMarkerColors)
    m_MarkerColors[static_cast<size_t>(index)] = c;
}

void Scene3D::SetShowUndefinedSurface(int index, bool show)
{
  if (index >= 0 && index < kMaxSurfaces)
    m_ShowUndefinedSurface[static_cast<size_t>(index)] = show;
}

void Scene3D::SetShowSurface(int index, bool show)
{
  if (index >= 0 && index < kMaxSurfaces)
    m_ShowSurface[static_cast<size_t>(index)] = show;
}

bool Scene3D::SurfaceShown(int index) const
{
  return index >= 0 && index < kMaxSurfaces && m_ShowSurface[static_cast<size_t>(index)];
}

void Scene3D::ResetSceneState()
{
  m_Rotation = Rotation3D();
  m_ShowSurface.fill(false);
  m_ShowUndefinedSurface.fill(false);
  for (SceneFlag f : {SceneFlag::Surfaces, SceneFlag::RefSurface, SceneFlag::Projection, SceneFlag::Disc,
                      SceneFlag::Vessel, SceneFlag::SEAD, SceneFlag::Markers, SceneFlag::Splines})
    SetFlag(f, false);
  // The results of the previous scan may be gone; the view hands over the new ones.
  SetSurfaces(0, nullptr, nullptr);
  SetRefSurface(nullptr);
  SetProjectionImage(nullptr, nullptr, nullptr);
  SetDiscMask(nullptr);
  SetVesselMesh(0, nullptr);
  SetSEADMesh(0, nullptr);
  SetMarkers(nullptr, nullptr, nullptr);
  SetSplines(nullptr, nullptr);
  m_MouseMode = MousePosition;
  m_Laterality = 0;
  m_Interacting = false;
  m_Picking = false;
}

bool Scene3D::HasVolume() const
{
  return m_Voxels && m_Position && m_WindowCentre && m_WindowWidth && m_Size[0] > 0 && m_Size[1] > 0 &&
         m_Size[2] > 0;
}

std::array<float, 2> Scene3D::Window() const
{
  if (!m_WindowCentre || !m_WindowWidth)
    return {0.0f, 0.0f};
  return {*m_WindowCentre, *m_WindowWidth};
}

std::array<int, 3> Scene3D::Position() const
{
  if (!m_Position)
    return {0, 0, 0};
  return {m_Position[0], m_Position[1], m_Position[2]};
}

// With the view's record at hand, at most as many as it has entries.
int Scene3D::MarkerCount() const
{
  if (!m_MarkerCount || !m_MarkerPositions || !m_MarkerLabels)
    return 0;
  if (m_MarkerRecord) {
    const size_t room = std::min(m_MarkerRecord->points.size(), m_MarkerRecord->labels.size());
    return std::clamp(*m_MarkerCount, 0, static_cast<int>(room));
  }
  return std::max(0, *m_MarkerCount);
}

// At most as many as the set has room for, with their curves.
int Scene3D::SplineCount() const
{
  if (!m_SplineCount || !m_Splines)
    return 0;
  const size_t room = std::min(m_Splines->controlPoints.size(), m_Splines->GetCurves().size());
  return std::clamp(*m_SplineCount, 0, static_cast<int>(room));
}

std::array<Letter3D, 4> Scene3D::OrientationLetters() const
{
  const char* minusX = "";
  const char* plusX = "";
  const char* minusZ = "";
  const char* plusZ = "";
  if (m_Laterality == LateralityOD || m_Laterality == LateralityOS) {
    minusX = m_Laterality == LateralityOD ? "T" : "N";
    plusX = m_Laterality == LateralityOD ? "N" : "T";
    minusZ = "S";
    plusZ = "I";
  }
  const double sx = m_Size[0];
  const double sz = m_Size[2];
  const double y = m_Half.y - static_cast<float>(m_Size[1] / 2) * m_Spacing[1] * m_DepthScale;
  const double midX = static_cast<float>(m_Size[0] / 2) * m_Spacing[0] - m_Half.x;
  const double midZ = static_cast<float>(m_Size[2] / 2) * m_Spacing[2] - m_Half.z;
  return {{{minusX, -sx * 0.1 * m_Spacing[0] - m_Half.x, y, midZ},
           {plusX, (sx * 0.1 + sx) * m_Spacing[0] - m_Half.x, y, midZ},
           {minusZ, midX, y, -sz * 0.1 * m_Spacing[2] - m_Half.z},
           {plusZ, midX, y, (sz * 0.1 + sz) * m_Spacing[2] - m_Half.z}}};
}

int Scene3D::LetterFontHeight(int windowHeight) const
{
  if (!(m_Camera.distance > 0.0) || windowHeight <= 0)
    return 0;
  const double height = 600.0 / m_Camera.distance + 0.5;
  return height < windowHeight ? static_cast<int>(height) : windowHeight;
}
