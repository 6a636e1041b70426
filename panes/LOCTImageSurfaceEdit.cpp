// Surface editing in the XY and ZY slice panes: hovering picks the shown surface nearest to
// the cursor, a press keeps an undo snapshot, a drag moves the picked surface at the pressed
// A-scan (XY) or B-scan (ZY) to the cursor's row and refits its neighbourhood with a
// regularised thin-plate spline, and the right button undoes the last edit.
#include "panes/LOCTImage.h"

#include "panes/BrushGeometry.h"
#include "panes/ThinPlateSpline.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kPickDistance = 5;  // rows
constexpr float kSmoothing = 0.01f;

// Millimetres per voxel for the fit's coordinates; a scan that gave no spacing is fitted in
// voxels, since equal coordinates would leave the fit no solution.
float FitSpacing(float spacing)
{
  return spacing > 0.0f && std::isfinite(spacing) ? spacing : 1.0f;
}

// The samples and query points of one fit.
struct FitPoints {
  std::vector<float> sampleX, sampleZ, values;
  std::vector<float> queryX, queryZ;
  std::vector<std::pair<int, int>> queryCells;  // (x, z) of each query

  void Sample(float x, float z, float value)
  {
    sampleX.push_back(x);
    sampleZ.push_back(z);
    values.push_back(value);
  }
  void Query(float x, float z, int cellX, int cellZ)
  {
    queryX.push_back(x);
    queryZ.push_back(z);
    queryCells.emplace_back(cellX, cellZ);
  }
};

}  // namespace

bool LOCTImage::SurfaceEditingActive() const
{
  return m_ShowSurfaces && m_SurfacePoints && m_Position && m_View.SurfacesFileCount() >= 1 &&
         (m_Orientation == OrientationXY || m_Orientation == OrientationZY) && m_Size[AxisX] > 0 &&
         m_Size[AxisY] > 0 && m_Size[AxisZ] > 0;
}

int& LOCTImage::SurfaceRow(int surface, int x, int z)
{
  const size_t sizeX = size_t(m_Size[AxisX]);
  const size_t sizeZ = size_t(m_Size[AxisZ]);
  return m_SurfacePoints[((size_t(surface) * sizeZ + size_t(z)) * sizeX + size_t(x)) * 3 + 1];
}

void LOCTImage::DragSurface(QPoint point, bool leftHeld)
{
  if (!SurfaceEditingActive()) {
    SetShapeOfCursor(Qt::ArrowCursor);
    return;
  }
  if (!leftHeld) {
    PickSurface(point);
    return;
  }
  const std::optional<Cell> cell = CellUnder(point);
  if (!m_SurfaceEditActive || !cell || m_SelectedSurface < 0 || m_SelectedSurface >= m_SurfaceCount)
    return;
  // The edited A-scan (XY) or B-scan (ZY) stays the one pressed.
  const bool xy = m_Orientation == OrientationXY;
  const int xc = xy ? m_EditPoint[AxisX] : ClampTo(AxisX, m_Position[AxisX]);
  const int zc = xy ? ClampTo(AxisZ, m_Position[AxisZ]) : m_EditPoint[AxisZ];
  m_EditPoint[AxisY] = ClampTo(AxisY, cell->row);
  std::vector<GridRegion> moved(static_cast<size_t>(m_SelectedSurface) + 1);
  if (FitSurfaceAround(m_SelectedSurface, xc, zc, m_EditPoint[AxisY], moved.back()))
    SurfacesEdited(moved);
}

void LOCTImage::PickSurface(QPoint point)
{
  const std::optional<Cell> cell = CellUnder(point);
  if (!cell)
    return;
  const bool xy = m_Orientation == OrientationXY;
  m_EditPoint[xy ? AxisX : AxisZ] = ClampTo(xy ? AxisX : AxisZ, cell->column);
  m_EditPoint[AxisY] = ClampTo(AxisY, cell->row);
  const int x = xy ? m_EditPoint[AxisX] : ClampTo(AxisX, m_Position[AxisX]);
  const int z = xy ? ClampTo(AxisZ, m_Position[AxisZ]) : m_EditPoint[AxisZ];

  m_SelectedSurface = -1;
  int nearest = 0;
  for (int i = 0; i < std::min(m_SurfaceCount, kMaxSurfaces); ++i) {
    if (!m_ShowSurface[size_t(i)])
      continue;
    const int distance = std::abs(SurfaceRow(i, x, z) - m_EditPoint[AxisY]);
    // On equal distances the higher index wins.
    if (m_SelectedSurface < 0 || distance <= nearest) {
      m_SelectedSurface = i;
      nearest = distance;
    }
  }
  if (m_SelectedSurface >= 0 && nearest > kPickDistance)
    m_SelectedSurface = -1;
  SetShapeOfCursor(m_SelectedSurface >= 0 ? Qt::SizeVerCursor : Qt::ArrowCursor);
}

void LOCTImage::BeginSurfaceEdit(QPoint point)
{
  const std::optional<Cell> cell = CellUnder(point);
  if (!SurfaceEditingActive() || !cell || m_SelectedSurface < 0 || m_SelectedSurface >= m_SurfaceCount)
    return;
  SetShapeOfCursor(Qt::SizeVerCursor);
  const bool xy = m_Orientation == OrientationXY;
  m_EditPoint[xy ? AxisX : AxisZ] = ClampTo(xy ? AxisX : AxisZ, cell->column);
  m_EditPoint[AxisY] = ClampTo(AxisY, cell->row);

  const size_t points = size_t(std::max(0, m_SurfaceCount)) * size_t(m_Size[AxisZ]) * size_t(m_Size[AxisX]);
  std::vector<int> rows(points);
  for (size_t i = 0; i < points; ++i)
    rows[i] = m_SurfacePoints[i * 3 + 1];
  if (m_SurfaceUndo.size() >= size_t(kMaxUndo))
    m_SurfaceUndo.pop_front();
  m_SurfaceUndo.push_back(std::move(rows));
  m_SurfaceEditActive = true;
}

void LOCTImage::UndoSurfaceEdit()
{
  if (!SurfaceEditingActive() || m_SurfaceUndo.empty())
    return;
  const std::vector<int> rows = std::move(m_SurfaceUndo.back());
  m_SurfaceUndo.pop_back();
  const size_t points = size_t(std::max(0, m_SurfaceCount)) * size_t(m_Size[AxisZ]) * size_t(m_Size[AxisX]);
  if (rows.size() != points)
    return;
  const size_t sizeX = size_t(m_Size[AxisX]);
  const size_t perSurface = sizeX * size_t(m_Size[AxisZ]);
  std::vector<GridRegion> moved(size_t(std::max(0, m_SurfaceCount)));
  for (size_t i = 0; i < points; ++i) {
    int& y = m_SurfacePoints[i * 3 + 1];
    if (y == rows[i])
      continue;
    y = rows[i];
    const size_t inSurface = i % perSurface;
    moved[i / perSurface].Add(int(inSurface % sizeX), int(inSurface / sizeX));
  }
  SurfacesEdited(moved);
}

bool LOCTImage::FitSurfaceAround(int surface, int xc, int zc, int row, GridRegion& moved)
{
  const int sizeX = m_Size[AxisX];
  const int sizeZ = m_Size[AxisZ];
  const int hx = BrushHalfExtent(BrushRadius(m_Style.surfacesBrush.margin, m_Spacing[AxisX]), sizeX);
  const int hz = BrushHalfExtent(BrushRadius(m_Style.surfacesBrush.margin, m_Spacing[AxisZ]), sizeZ);
  const float mmX = FitSpacing(m_Spacing[AxisX]);
  const float mmZ = FitSpacing(m_Spacing[AxisZ]);
  // The dragged point takes the cursor's row; the others keep theirs. Nothing is written
  // before the fit has succeeded.
  const auto valueAt = [&](int x, int z) {
    return static_cast<float>(x == xc && z == zc ? row : SurfaceRow(surface, x, z));
  };
  const auto clampX = [&](int x) { return std::clamp(x, 0, sizeX - 1); };
  const auto clampZ = [&](int z) { return std::clamp(z, 0, sizeZ - 1); };
  const int steps[3] = {-1, 0, 1};

  FitPoints fit;
  if (m_Style.surfacesBrush.modification == 1) {
    for (int j : steps)
      for (int i : steps) {
        const int x = clampX(xc + i * hx);
        const int z = clampZ(zc + j * hz);
        fit.Sample(float(x) * mmX, float(z) * mmZ, valueAt(x, z));
      }
    for (int z = std::max(zc - hz, 0); z <= std::min(zc + hz, sizeZ - 1); ++z)
      for (int x = std::max(xc - hx, 0); x <= std::min(xc + hx, sizeX - 1); ++x)
        fit.Query(float(x) * mmX, float(z) * mmZ, x, z);
  } else if (m_Orientation == OrientationXY) {
    // One B-scan: the second coordinate only spreads the samples into two rows.
    for (int k : {0, 1})
      for (int i : steps) {
        const int x = clampX(xc + i * hx);
        fit.Sample(float(x) * mmX, float(k), valueAt(x, zc));
      }
    for (int x = std::max(xc - hx, 0); x <= std::min(xc + hx, sizeX - 1); ++x)
      fit.Query(float(x) * mmX, 0.0f, x, zc);
  } else {
    for (int k : {0, 1})
      for (int j : steps) {
        const int z = clampZ(zc + j * hz);
        fit.Sample(float(k), float(z) * mmZ, valueAt(xc, z));
      }
    for (int z = std::max(zc - hz, 0); z <= std::min(zc + hz, sizeZ - 1); ++z)
      fit.Query(0.0f, float(z) * mmZ, xc, z);
  }

  const std::vector<float> fitted =
      FitThinPlateSpline(fit.sampleX, fit.sampleZ, fit.values, fit.queryX, fit.queryZ, kSmoothing);
  if (fitted.empty())
    return false;
  const float deepest = static_cast<float>(m_Size[AxisY] - 1);
  for (size_t q = 0; q < fitted.size(); ++q) {
    const auto [x, z] = fit.queryCells[q];
    // Clamped before the conversion, so that no value leaves the int range.
    SurfaceRow(surface, x, z) = static_cast<int>(std::clamp(fitted[q] + 0.5f, 0.0f, deepest));
    moved.Add(x, z);
  }
  return true;
}

void LOCTImage::SurfacesEdited(const std::vector<GridRegion>& moved)
{
  m_View.ResultEdited(MouseSurfaces, m_Orientation);
  InvalidateSlicePanes();
  for (size_t surface = 0; surface < moved.size(); ++surface)
    if (!moved[surface].Empty())
      m_View.SurfacePointsMoved(int(surface), moved[surface]);
  m_View.Invalidate3DPane();
  if (m_ShowThickness)
    m_View.ComputeProjectionThickness(m_ThicknessFrom, m_ThicknessTo);
  if (m_ShowCreateProj)
    m_View.ComputeProjection(m_ProjectionFrom, m_ProjectionTo);
  if (m_ShowThickness || m_ShowCreateProj)
    m_View.ComposeProjection();
}
