// What a picked name of the 3-D scene stands for, and the deletions a double click makes.
#include "panes/Scene3D.h"

#include "data/LMarkers.h"
#include "data/LSplineSet.h"

#include <algorithm>

namespace {

// A coordinate within 0 to size - 1; truncated towards zero like the stored mesh vertices.
int WithinAxis(double value, int size)
{
  if (!(value >= 0.0))
    return 0;
  if (value >= static_cast<double>(size - 1))
    return std::max(0, size - 1);
  return static_cast<int>(value);
}

// Entries first..count-2 take the entry after them; the last in use becomes the freed one.
template <typename List, typename Entry>
void RemoveEntry(List& list, size_t first, size_t count, const Entry& freed)
{
  for (size_t k = first; k + 1 < count; ++k)
    list[k] = list[k + 1];
  list[count - 1] = freed;
}

}  // namespace

bool Scene3D::PickedPosition(uint64_t name, std::array<int, 3>& position) const
{
  uint64_t n = 0;
  const PickNames3D::Block block = m_Names.Classify(name, n);
  const uint64_t cellsX = m_Names.CellsX();
  const uint64_t cellsZ = m_Names.CellsZ();
  double p[3] = {static_cast<double>(position[0]), static_cast<double>(position[1]),
                 static_cast<double>(position[2])};
  const auto take = [&p](const Point3i& point) {
    p[0] = point.x;
    p[1] = point.y;
    p[2] = point.z;
  };
  switch (block) {
  case PickNames3D::Block::PlaneXY:
    p[0] = static_cast<double>(n % cellsX);
    p[1] = static_cast<double>(n / cellsX);
    break;
  case PickNames3D::Block::PlaneZY:
    p[1] = static_cast<double>(n / cellsZ);
    p[2] = static_cast<double>(n % cellsZ);
    break;
  case PickNames3D::Block::PlaneXZ:
    p[2] = static_cast<double>(n / cellsX);
    p[0] = static_cast<double>(n % cellsX);
    break;
  case PickNames3D::Block::Surfaces: {
    const uint64_t cells = cellsZ * cellsX;
    const uint64_t surface = n / cells;
    const uint64_t cell = n % cells;
    if (surface >= static_cast<uint64_t>(SurfaceCount()))
      return false;
    take(SurfacePoint(static_cast<int>(surface), static_cast<int>(cell % cellsX), static_cast<int>(cell / cellsX)));
    break;
  }
  case PickNames3D::Block::RefSurface:
    if (!HasRefSurface())
      return false;
    take(RefSurfacePoint(static_cast<int>(n % cellsX), static_cast<int>(n / cellsX)));
    break;
  case PickNames3D::Block::Vessel:
  case PickNames3D::Block::SEAD: {
    const bool vessel = block == PickNames3D::Block::Vessel;
    const float* vertices = vessel ? VesselVertices() : SEADVertices();
    const size_t triangles = (vessel ? VesselVertexCount() : SEADVertexCount()) / 3;
    if (!vertices || n >= triangles)
      return false;
    const float* v = vertices + 9 * n;
    p[0] = v[0];
    p[1] = v[1];
    p[2] = v[2];
    break;
  }
  case PickNames3D::Block::Markers:
    if (n >= static_cast<uint64_t>(MarkerCount()))
      return false;
    take(MarkerPosition(static_cast<int>(n)));
    break;
  case PickNames3D::Block::ControlPoints: {
    const int spline = SplineOfControlPoint(n);
    if (spline < 0)
      return false;
    uint64_t before = 0;
    for (int s = 0; s < spline; ++s)
      before += m_Splines->controlPoints[static_cast<size_t>(s)].size();
    take(m_Splines->controlPoints[static_cast<size_t>(spline)][static_cast<size_t>(n - before)]);
    break;
  }
  case PickNames3D::Block::None:
    return false;
  }
  for (int axis = 0; axis < 3; ++axis)
    position[static_cast<size_t>(axis)] = WithinAxis(p[axis], m_Size[axis]);
  return true;
}

int Scene3D::SplineOfControlPoint(uint64_t k) const
{
  const int count = SplineCount();
  for (int s = 0; s < count; ++s) {
    const uint64_t points = m_Splines->controlPoints[static_cast<size_t>(s)].size();
    if (k < points)
      return s;
    k -= points;
  }
  return -1;
}

void Scene3D::MovePosition(const std::array<int, 3>& position)
{
  if (m_Position)
    std::copy(position.begin(), position.end(), m_Position);
}

bool Scene3D::MoveGridCenter(int x, int z)
{
  if (!m_GridCenter || (m_GridCenter[0] == x && m_GridCenter[1] == z))
    return false;
  m_GridCenter[0] = x;
  m_GridCenter[1] = z;
  return true;
}

bool Scene3D::DeleteMarker(int m)
{
  const int count = MarkerCount();
  if (!m_MarkerRecord || !m_EditableMarkerCount || m < 0 || m >= count)
    return false;
  const size_t n = static_cast<size_t>(count);
  RemoveEntry(m_MarkerRecord->points, static_cast<size_t>(m), n, Point3i{-1, -1, -1});
  RemoveEntry(m_MarkerRecord->labels, static_cast<size_t>(m), n, std::string("-1"));
  *m_EditableMarkerCount = count - 1;
  m_MarkerRecord->count = count - 1;
  return true;
}

bool Scene3D::DeleteSpline(int j)
{
  LSplineSet* splines = m_SplineRecord;
  const int count = SplineCount();
  if (!splines || !m_EditableSplineCount || j < 0 || j >= count ||
      std::min(splines->planes.size(), splines->closed.size()) < static_cast<size_t>(count))
    return false;
  const size_t n = static_cast<size_t>(count);
  const size_t first = static_cast<size_t>(j);
  RemoveEntry(splines->planes, first, n, int32_t{OrientationXY});
  RemoveEntry(splines->closed, first, n, false);
  RemoveEntry(splines->controlPoints, first, n, std::vector<Point3i>());
  if (m_SplineHitRects && m_SplineHitRects->size() >= n)
    RemoveEntry(*m_SplineHitRects, first, n, std::vector<PixelRect>());
  // Each curve follows from its control points: computed again, the moved curves come out as
  // they were and the freed entry's is empty. Each call also stores the new count.
  for (int k = j; k < count; ++k)
    splines->ComputeSplineCurve(count - 1, k);
  *m_EditableSplineCount = count - 1;
  return true;
}
