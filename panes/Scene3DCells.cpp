// The per-cell rules of the 3-D scene: plane grey and guide colours, surface cells and their
// materials, mesh decimation and marker colours.
#include "panes/Scene3D.h"

#include "data/NumberText.h"
#include "panes/SliceRender.h"

#include <QImage>
#include <algorithm>
#include <cstdlib>

namespace {

bool Near(int a, int b)
{
  return std::abs(a - b) <= 1;
}

}  // namespace

int Scene3D::PlaneIndex(int orientation) const
{
  return orientation == OrientationZY ? 1 : orientation == OrientationXZ ? 2 : 0;
}

bool Scene3D::PlaneSize(int orientation, int& columns, int& rows) const
{
  return SliceImageSize(orientation, m_Size, columns, rows);
}

SliceRenderInput Scene3D::PlaneInput(int orientation) const
{
  SliceRenderInput in;
  in.voxels = m_Voxels;
  std::copy(m_Size, m_Size + 3, in.size);
  in.orientation = orientation;
  std::copy(m_Position, m_Position + 3, in.position);
  in.avgSliceNum = m_AvgSliceNum;
  in.windowCentre = *m_WindowCentre;
  in.windowWidth = *m_WindowWidth;
  return in;
}

std::array<float, 2> Scene3D::KeepWindowInRange()
{
  if (!HasVolume())
    return {0.0f, 0.0f};
  ClampWindow(*m_WindowCentre, *m_WindowWidth, m_Maximum);
  return Window();
}

bool Scene3D::PlaneSlabMeans(int orientation, std::vector<unsigned short>& values) const
{
  int columns = 0;
  int rows = 0;
  return HasVolume() && PlaneSize(orientation, columns, rows) && SliceSlabMeans(PlaneInput(orientation), values);
}

void Scene3D::ComputePlaneGrey(int orientation)
{
  int columns = 0;
  int rows = 0;
  if (!HasVolume() || !PlaneSize(orientation, columns, rows))
    return;
  KeepWindowInRange();
  const SliceRenderInput in = PlaneInput(orientation);
  QImage slice(columns, rows, QImage::Format_RGB32);
  RenderSlice(in, slice);
  std::vector<uint8_t>& grey = m_Grey[static_cast<size_t>(PlaneIndex(orientation))];
  for (int r = 0; r < rows; ++r) {
    const auto* line = reinterpret_cast<const QRgb*>(slice.constScanLine(r));
    uint8_t* out = grey.data() + static_cast<size_t>(r) * static_cast<size_t>(columns);
    for (int c = 0; c < columns; ++c)
      out[c] = static_cast<uint8_t>(qBlue(line[c]));
  }
}

const std::vector<uint8_t>& Scene3D::PlaneGrey(int orientation) const
{
  return m_Grey[static_cast<size_t>(PlaneIndex(orientation))];
}

ScenePoint Scene3D::PlaneCorner(int orientation, int column, int row) const
{
  SliceAxes axes;
  SliceAxesOf(orientation, axes);
  float voxel[3] = {0.0f, 0.0f, 0.0f};
  voxel[axes.column] = static_cast<float>(column);
  voxel[axes.row] = static_cast<float>(row);
  voxel[axes.slice] = static_cast<float>(Position()[static_cast<size_t>(axes.slice)]);
  return Map(voxel[0], voxel[1], voxel[2]);
}

// The grey of the cell's lower corner; with the guide lines on, the cells next to the
// position take the colour of the axis they lie along, and the two cells along every edge
// the plane's frame colour.
Material3D Scene3D::PlaneCellMaterial(int orientation, int column, int row) const
{
  int columns = 0;
  int rows = 0;
  SliceAxes axes;
  if (!PlaneSize(orientation, columns, rows) || !SliceAxesOf(orientation, axes))
    return GreyMaterial(0);
  const std::vector<uint8_t>& grey = PlaneGrey(orientation);
  const size_t cell = static_cast<size_t>(column) + static_cast<size_t>(row) * static_cast<size_t>(columns);
  Material3D m = GreyMaterial(cell < grey.size() ? grey[cell] : 0);
  if (!Flag(SceneFlag::GuideLines))
    return m;
  const std::array<int, 3> p = Position();
  if (Near(column, p[static_cast<size_t>(axes.column)]))
    m = FlatMaterial(kAxisColors[axes.column]);
  else if (Near(row, p[static_cast<size_t>(axes.row)]))
    m = FlatMaterial(kAxisColors[axes.row]);
  if (column < 2 || column >= columns - 3 || row < 2 || row >= rows - 3)
    m = PlaneFrameMaterial(orientation);
  return m;
}

Material3D Scene3D::PlaneFrameMaterial(int orientation) const
{
  SliceAxes axes;
  SliceAxesOf(orientation, axes);
  return FlatMaterial(kAxisColors[axes.slice]);
}

uint64_t Scene3D::PlaneCellName(int orientation, int column, int row) const
{
  switch (orientation) {
  case OrientationZY: return m_Names.PlaneZY(column, row);
  case OrientationXZ: return m_Names.PlaneXZ(column, row);
  default: return m_Names.PlaneXY(column, row);
  }
}

// The colour tables provide for 20 surfaces; a file may hold more, which are not drawn.
int Scene3D::SurfaceCount() const
{
  return m_SurfacePoints ? std::clamp(m_SurfaceCount, 0, kMaxSurfaces) : 0;
}

void Scene3D::SurfaceSteps(int& stepX, int& stepZ) const
{
  stepX = m_Interacting ? std::max(1, m_Size[0] / 30) : 1;
  stepZ = m_Interacting ? std::max(1, m_Size[2] / 30) : 1;
}

const Point3i& Scene3D::RefSurfacePoint(int x, int z) const
{
  const size_t index = static_cast<size_t>(z) * static_cast<size_t>(m_Size[0]) + static_cast<size_t>(x);
  return m_RefSurfacePoints[index];
}

bool Scene3D::Undefined(int x, int z) const
{
  return m_UndefinedMask && m_UndefinedMask[static_cast<size_t>(x) + static_cast<size_t>(m_Size[0]) * z] != 0;
}

bool Scene3D::ShowOverUndefined(int surface) const
{
  return surface >= 0 && surface < kMaxSurfaces && m_ShowUndefinedSurface[static_cast<size_t>(surface)];
}

void Scene3D::CellTriangles(int surface, int x, int z, int x1, int z1, bool& first, bool& second) const
{
  CellTriangles(ShowOverUndefined(surface), x, z, x1, z1, first, second);
}

void Scene3D::CellTriangles(bool overUndefined, int x, int z, int x1, int z1, bool& first, bool& second) const
{
  if (overUndefined) {
    first = second = true;
    return;
  }
  const bool b = !Undefined(x1, z);
  const bool c = !Undefined(x, z1);
  first = b && c && !Undefined(x, z);
  second = b && c && !Undefined(x1, z1);
}

bool Scene3D::ProjectionColours(int surface) const
{
  return surface == 0 && Flag(SceneFlag::Projection) && m_Projection[0] && m_Projection[1] && m_Projection[2];
}

platform::COLORREF Scene3D::OwnCellColor(int surface, size_t cell) const
{
  return ProjectionColours(surface)
             ? platform::MakeColorRef(m_Projection[0][cell], m_Projection[1][cell], m_Projection[2][cell])
             : m_SurfaceColors[static_cast<size_t>(surface)];
}

bool Scene3D::DiscCellColor(int surface, size_t cell, platform::COLORREF& color) const
{
  if (!Flag(SceneFlag::Disc) || !m_DiscMask)
    return false;
  const uint8_t value = m_DiscMask[cell];
  if (!IsDiscCup(value) && !IsDiscRim(value))
    return false;
  color = Color(IsDiscCup(value) ? SceneColor::Cup : SceneColor::Rim);
  if (ProjectionColours(surface)) {
    const float a = OpacityFraction(IsDiscCup(value) ? m_OpacityCup : m_OpacityRim);
    color = platform::MakeColorRef(BlendChannel(m_Projection[0][cell], platform::RedOf(color), a, a),
                                   BlendChannel(m_Projection[1][cell], platform::GreenOf(color), a, a),
                                   BlendChannel(m_Projection[2][cell], platform::BlueOf(color), a, a));
  }
  return true;
}

void Scene3D::SurfaceRowColors(int surface, int z, int count, platform::COLORREF* colors) const
{
  const size_t first = static_cast<size_t>(m_Size[0]) * static_cast<size_t>(z);
  for (int x = 0; x < count; ++x) {
    colors[x] = OwnCellColor(surface, first + static_cast<size_t>(x));
    DiscCellColor(surface, first + static_cast<size_t>(x), colors[x]);
  }
}

void Scene3D::SetSurfaceMaterial(int surface, int z, int x, Material3D& m) const
{
  if (!SurfaceShown(surface))
    return;
  m = ColorMaterial(OwnCellColor(surface, static_cast<size_t>(x) + static_cast<size_t>(m_Size[0]) * z), 0.1f);
}

void Scene3D::SetDiscMaterial(int surface, int z, int x, Material3D& m) const
{
  platform::COLORREF color = 0;
  if (DiscCellColor(surface, static_cast<size_t>(x) + static_cast<size_t>(m_Size[0]) * z, color))
    m = ColorMaterial(color, 0.1f);
}

void Scene3D::SetGuideLineMaterial(int z, int x, Material3D& m) const
{
  if (!Flag(SceneFlag::GuideLines))
    return;
  const std::array<int, 3> p = Position();
  if (Near(x, p[0]))
    m = {{0.0f, 0.2f, 0.0f, 1.0f}, {0.0f, 1.0f, 0.0f, 1.0f}};
  else if (Near(z, p[2]))
    m = {{0.2f, 0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f, 1.0f}};
}

void Scene3D::SetRefSurfaceMaterial(Material3D& m) const
{
  m = ColorMaterial(Color(SceneColor::RefSurface), 1.0f);
}

size_t Scene3D::MeshStep(size_t vertexCount) const
{
  return m_Interacting ? std::max<size_t>(1, vertexCount / 300000) : 1;
}

// The label holds the marker's colour number; a label that is no number from 0 to 19 takes
// the first colour rather than reading past the table.
Material3D Scene3D::MarkerMaterial(int m) const
{
  const int index = numtext::ParseInt(m_MarkerLabels[m]);
  const bool known = index >= 0 && index < kMarkerColors;
  return ColorMaterial(m_MarkerColors[static_cast<size_t>(known ? index : 0)], 1.0f);
}
