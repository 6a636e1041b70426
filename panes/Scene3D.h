#pragma once
// What the 3-D pane shows and how, without OpenGL: the borrowed volume and results, the
// flags and colours, the scene mapping and the camera, the grey of the three volume planes
// and the material every plane cell, surface cell, mesh and sphere takes. L3D draws from
// it; tests read it without a rendering context.
//
// Set... operations only store.
#include "data/ColorRef.h"
#include "data/Point3i.h"
#include "panes/GridRegion.h"
#include "panes/PaneConventions.h"
#include "panes/PaneStyles.h"
#include "panes/PickNames3D.h"
#include "panes/SliceMapping.h"
#include "panes/SliceRender.h"
#include "panes/Trackball.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

class LMarkers;
class LSplineSet;

// A point of the scene: millimetres, the depth stretched by the depth scale, row 0 of a
// B-scan at the top (+Y) and later B-scans nearer the camera (+Z).
struct ScenePoint {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
};

// The unit normal of the triangle p0, p1, p2 (counter-clockwise front), as the lighting reads
// it; a degenerate triangle divides by the smallest float instead of zero. Inline: the 3-D
// pane's buffers take two per grid point of every surface.
inline ScenePoint TriangleNormal(const ScenePoint& p0, const ScenePoint& p1, const ScenePoint& p2)
{
  const float ax = p1.x - p0.x, ay = p1.y - p0.y, az = p1.z - p0.z;
  const float bx = p2.x - p0.x, by = p2.y - p0.y, bz = p2.z - p0.z;
  const float nx = ay * bz - az * by;
  const float ny = az * bx - ax * bz;
  const float nz = ax * by - ay * bx;
  float length = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (length == 0.0f)
    length = std::numeric_limits<float>::min();
  return {nx / length, ny / length, nz / length};
}

// The ambient and the diffuse colour of both faces.
struct Material3D {
  std::array<float, 4> ambient{};
  std::array<float, 4> diffuse{};
  bool operator==(const Material3D& o) const { return ambient == o.ambient && diffuse == o.diffuse; }
  bool operator!=(const Material3D& o) const { return !(*this == o); }
};
// Ambient 0.2 and diffuse 1 times the colour (channels / 255), with the given alpha.
Material3D ColorMaterial(platform::COLORREF color, float alpha);
// The grey g of a plane cell, ambient and diffuse alike.
Material3D GreyMaterial(int grey);
// A fixed colour (guide lines, plane frames, letters): ambient and diffuse alike, alpha 1.
Material3D FlatMaterial(platform::COLORREF color);

enum class SceneFlag : int {
  All,                  // with it off only the background is drawn
  GuideLines,
  Letters,              // the orientation letters
  Blending,             // surfaces blended over what lies behind them
  PlaneXY,
  PlaneZY,
  PlaneXZ,
  Surfaces,
  RefSurface,
  Projection,           // the first surface painted with the en-face projection
  Disc,
  Vessel,
  SEAD,
  Markers,
  Splines,
  SplineControlPoints,
  Count
};

enum class SceneColor : int { RefSurface, Cup, Rim, Vessel, SEAD, SplineLine, SplineControlPoint, Background, Count };

// An orientation letter and where it stands.
struct Letter3D {
  std::string text;
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

class Scene3D {
public:
  static constexpr int kMaxSurfaces = 20;
  static constexpr int kMarkerColors = 20;

  Scene3D();

  // The volume: stores it, allocates the grey buffers, lays out the pick names, computes the
  // half extents and sets the camera back to its default distance without pan.
  void SetVolume(const int size[3], const unsigned short* voxels, const float spacing[3], int bytesPerVoxel);
  // Takes the grey buffers' memory for a volume of the size ahead of SetVolume, which then
  // takes them without asking for more; what is shown stays as it is. False when it cannot
  // be had.
  bool ReservePlanes(const int size[3]);
  // Lets go of the volume and every result: nothing of them is drawn until the next
  // SetVolume. Takes no memory.
  void ForgetVolume();
  // The depth scale 1 (isotropic) or 5; the half extents follow at once, the camera only at
  // the next SetVolume.
  void Set3DIsotropic(bool isotropic);

  // The view's current position int[3], grid centre int[2] (x, z), window centre and width.
  void SetPosition(int* position) { m_Position = position; }
  void SetGridCenter(int* gridCenter) { m_GridCenter = gridCenter; }
  void SetWindowLevel(float* centre, float* width);
  void SetLaterality(int laterality) { m_Laterality = laterality; }
  void SetMouseMode(int mode) { m_MouseMode = mode; }

  // Results, all borrowed. Surface points lie per (surface, z, x) at
  // (surface * sizeZ + z) * sizeX + x, reference-surface points at z * sizeX + x; the masks
  // have one byte per (x, z) at x + sizeX * z.
  void SetSurfaces(int count, const Point3i* points, const uint8_t* undefinedMask);
  // Points of surface `surface` that changed in place within `region` of the (x, z) grid (an
  // edit, an undo): only what they touch is built again. Handing over surfaces or a volume
  // counts as a change of every point; points changed without either are not seen.
  void SurfacePointsChanged(int surface, const GridRegion& region);
  // The points of a surface changed since the last call, which forgets them.
  GridRegion TakeSurfaceChanges(int surface);
  void SetRefSurface(const Point3i* points) { m_RefSurfacePoints = points; }
  // The en-face projection's colour planes, read at each render.
  void SetProjectionImage(const uint8_t* red, const uint8_t* green, const uint8_t* blue);
  void SetDiscMask(const uint8_t* mask) { m_DiscMask = mask; }
  // Three vertices (x, y, z in voxels) per triangle.
  void SetVesselMesh(size_t vertexCount, const float* vertices);
  void SetSEADMesh(size_t vertexCount, const float* vertices);
  // The labels give each marker's colour number.
  void SetMarkers(const int* count, const Point3i* positions, const std::string* labels);
  // The splines in use and their control points and curves.
  void SetSplines(const int* count, const LSplineSet* splines);
  // The view's own records with the counts it keeps beside them: drawn as above, and edited
  // in place when a double click deletes a marker or a spline (the forms above only draw).
  // The hit rectangles, one list per spline, move with their splines.
  void SetMarkers(int* count, LMarkers* markers);
  void SetSplines(int* count, LSplineSet* splines, std::vector<std::vector<PixelRect>>* hitRects);

  // Settings: the whole style at once, or one option of it.
  void SetStyle(const Scene3DStyle& style);
  void SetAvgSliceNum(int n) { m_AvgSliceNum = n; }
  void SetColorRefSurf(platform::COLORREF c) { SetColor(SceneColor::RefSurface, c); }
  void SetColorCup(platform::COLORREF c) { SetColor(SceneColor::Cup, c); }
  void SetColorRim(platform::COLORREF c) { SetColor(SceneColor::Rim, c); }
  void SetColorVessel(platform::COLORREF c) { SetColor(SceneColor::Vessel, c); }
  void SetColorSEAD(platform::COLORREF c) { SetColor(SceneColor::SEAD, c); }
  void SetColorSplinesLine(platform::COLORREF c) { SetColor(SceneColor::SplineLine, c); }
  void SetColorSplinesMarker(platform::COLORREF c) { SetColor(SceneColor::SplineControlPoint, c); }
  void SetColor3DBackground(platform::COLORREF c) { SetColor(SceneColor::Background, c); }
  void SetColorSurface(int index, platform::COLORREF c);
  void SetColorMarker(int index, platform::COLORREF c);
  void SetOpacityCup(int percent) { m_OpacityCup = percent; }
  void SetOpacityRim(int percent) { m_OpacityRim = percent; }
  void SetSplinesLineWidth(int width) { m_SplinesLineWidth = width; }
  void SetShowGuideLines(bool show) { SetFlag(SceneFlag::GuideLines, show); }
  void SetShow3DAll(bool show) { SetFlag(SceneFlag::All, show); }
  void Set3DBlending(bool on) { SetFlag(SceneFlag::Blending, on); }
  void SetShow3DOCTXY(bool show) { SetFlag(SceneFlag::PlaneXY, show); }
  void SetShow3DOCTZY(bool show) { SetFlag(SceneFlag::PlaneZY, show); }
  void SetShow3DOCTXZ(bool show) { SetFlag(SceneFlag::PlaneXZ, show); }
  void SetShowOverlay(bool show) { SetFlag(SceneFlag::Letters, show); }
  void SetShowSplinesMarker(bool show) { SetFlag(SceneFlag::SplineControlPoints, show); }
  void SetShowUndefinedSurface(int index, bool show);

  void SetFlag(SceneFlag flag, bool on) { m_Flags[static_cast<size_t>(flag)] = on; }
  bool Flag(SceneFlag flag) const { return m_Flags[static_cast<size_t>(flag)]; }
  void SetColor(SceneColor which, platform::COLORREF c) { m_Colors[static_cast<size_t>(which)] = c; }
  platform::COLORREF Color(SceneColor which) const { return m_Colors[static_cast<size_t>(which)]; }
  void SetShowSurface(int index, bool show);
  bool SurfaceShown(int index) const;
  platform::COLORREF SurfaceColor(int index) const { return m_SurfaceColors[static_cast<size_t>(index)]; }

  // A drag under way draws fast; a pick's render draws names without materials.
  void SetInteracting(bool on) { m_Interacting = on; }
  bool Interacting() const { return m_Interacting; }
  void SetPicking(bool on) { m_Picking = on; }
  bool Picking() const { return m_Picking; }
  Rotation3D& Rotation() { return m_Rotation; }
  const Rotation3D& Rotation() const { return m_Rotation; }

  // A new scan: the rotation back to identity, every result hidden and let go of, mouse
  // mode and laterality 0, no drag or pick. Camera, settings and the other flags stay.
  void ResetSceneState();

  // Geometry.
  bool HasVolume() const;  // a volume and the shared position and window are set
  const int* Size() const { return m_Size; }
  ScenePoint HalfExtents() const { return m_Half; }
  float DepthScale() const { return m_DepthScale; }
  const Camera3D& Camera() const { return m_Camera; }
  Camera3D& Camera() { return m_Camera; }
  const PickNames3D& Names() const { return m_Names; }
  int LateralityCode() const { return m_Laterality; }
  int MouseModeCode() const { return m_MouseMode; }
  ScenePoint Map(float x, float y, float z) const
  {
    return {x * m_Spacing[0] - m_Half.x, m_Half.y - y * m_Spacing[1] * m_DepthScale, z * m_Spacing[2] - m_Half.z};
  }
  ScenePoint MapPoint(const Point3i& p) const { return Map(float(p.x), float(p.y), float(p.z)); }
  // The current position, (0, 0, 0) while none is set.
  std::array<int, 3> Position() const;

  // Volume planes, by SliceOrientation. Computing the grey keeps the shared window within
  // the value range and writes it back.
  void ComputePlaneGrey(int orientation);
  const std::vector<uint8_t>& PlaneGrey(int orientation) const;
  // The same window, kept within the value range and written back, as the grey uses it;
  // (0, 0) without a volume.
  std::array<float, 2> KeepWindowInRange();
  // A plane's slab-averaged values before the window maps them to grey, row 0 first; false
  // without a volume.
  bool PlaneSlabMeans(int orientation, std::vector<unsigned short>& values) const;
  // Columns and rows of a plane; false for no orientation.
  bool PlaneSize(int orientation, int& columns, int& rows) const;
  ScenePoint PlaneCorner(int orientation, int column, int row) const;
  Material3D PlaneCellMaterial(int orientation, int column, int row) const;
  Material3D PlaneFrameMaterial(int orientation) const;
  uint64_t PlaneCellName(int orientation, int column, int row) const;

  // Surfaces and the reference surface.
  int SurfaceCount() const;  // the shown range: at most kMaxSurfaces
  // Cell steps along x and z: about 30 cells per axis during a drag, else 1.
  void SurfaceSteps(int& stepX, int& stepZ) const;
  const Point3i& SurfacePoint(int surface, int x, int z) const
  {
    return m_SurfacePoints[(static_cast<size_t>(surface) * static_cast<size_t>(m_Size[2]) + static_cast<size_t>(z)) *
                               static_cast<size_t>(m_Size[0]) +
                           static_cast<size_t>(x)];
  }
  const Point3i& RefSurfacePoint(int x, int z) const;
  bool HasRefSurface() const { return m_RefSurfacePoints != nullptr; }
  bool Undefined(int x, int z) const;
  bool ShowOverUndefined(int surface) const;
  // Which triangles of a surface cell from (x, z) to (x1, z1) are drawn: (C, B, A) only when
  // A, B and C lie outside the undefined region, (C, D, B) only when B, C and D do, unless
  // the surface is shown over the undefined region.
  void CellTriangles(int surface, int x, int z, int x1, int z1, bool& first, bool& second) const;
  // The same for any surface with the given show-over-undefined flag.
  void CellTriangles(bool overUndefined, int x, int z, int x1, int z1, bool& first, bool& second) const;
  // Each leaves the material as it is where its rule does not apply.
  void SetSurfaceMaterial(int surface, int z, int x, Material3D& m) const;
  void SetDiscMaterial(int surface, int z, int x, Material3D& m) const;
  // The colours of the cells x = 0 .. count - 1 in row z of a shown surface, whose materials
  // both rules above give them: ColorMaterial(colour, 0.1).
  void SurfaceRowColors(int surface, int z, int count, platform::COLORREF* colors) const;
  void SetGuideLineMaterial(int z, int x, Material3D& m) const;
  void SetRefSurfaceMaterial(Material3D& m) const;

  // Meshes: the vertex count and vertices, and which triangles a render draws (every k-th).
  size_t VesselVertexCount() const { return m_VesselVertices ? m_VesselVertexCount : 0; }
  const float* VesselVertices() const { return m_VesselVertices; }
  size_t SEADVertexCount() const { return m_SEADVertices ? m_SEADVertexCount : 0; }
  const float* SEADVertices() const { return m_SEADVertices; }
  size_t MeshStep(size_t vertexCount) const;
  // Counts every hand-over of a mesh, so that copies made from one can tell they are stale.
  uint64_t MeshGeneration() const { return m_MeshGeneration; }
  // Counts every hand-over of a volume.
  uint64_t VolumeGeneration() const { return m_VolumeGeneration; }

  // What the colour rules of the surface cells read beside the flags and colours.
  const uint8_t* ProjectionPlane(int channel) const { return m_Projection[channel]; }
  const uint8_t* DiscMask() const { return m_DiscMask; }
  const uint8_t* UndefinedMask() const { return m_UndefinedMask; }
  int OpacityCup() const { return m_OpacityCup; }
  int OpacityRim() const { return m_OpacityRim; }
  int AvgSliceNum() const { return m_AvgSliceNum; }
  // The window as the planes' grey reads it: (0, 0) while none is set.
  std::array<float, 2> Window() const;

  // Markers and splines.
  int MarkerCount() const;
  const Point3i& MarkerPosition(int m) const { return m_MarkerPositions[m]; }
  Material3D MarkerMaterial(int m) const;
  float SphereRadius() const { return m_Half.x / 50.0f; }
  int SplineCount() const;
  const LSplineSet* Splines() const { return m_Splines; }
  int SplinesLineWidth() const { return m_SplinesLineWidth; }

  // Picking. The position a picked name stands for, starting from the current one, each
  // coordinate kept within the volume: a stored point may lie outside it (an undefined
  // surface point, a result made for another scan size). False for a name that stands for
  // nothing drawn.
  bool PickedPosition(uint64_t name, std::array<int, 3>& position) const;
  // The spline holding control point k of the running count over all splines, spline by
  // spline; -1 for none.
  int SplineOfControlPoint(uint64_t k) const;
  // Write the view's position and grid centre (x, z), when they are set; the grid centre's
  // tells whether it changed.
  void MovePosition(const std::array<int, 3>& position);
  bool MoveGridCenter(int x, int z);
  // Remove marker m, or spline j with its control points, hit rectangles and curve, from the
  // view's records: later entries move down one, the freed last entry is emptied and the
  // counts drop by one. False when there is no such entry or no record to edit.
  bool DeleteMarker(int m);
  bool DeleteSpline(int j);

  // The letters T, N, S and I around the volume, by laterality, and their font height in
  // pixels, which shrinks as the camera moves away; never taller than the window that shows
  // them, since a scan a fraction of a millimetre wide brings the camera that close.
  std::array<Letter3D, 4> OrientationLetters() const;
  int LetterFontHeight(int windowHeight) const;

private:
  void ComputeHalfExtents();
  void AllSurfacePointsChanged();
  int PlaneIndex(int orientation) const;
  // What a plane's grey is rendered from; needs a volume.
  SliceRenderInput PlaneInput(int orientation) const;
  // Whether the first surface is coloured by the projection.
  bool ProjectionColours(int surface) const;
  // A surface cell's colour before the disc: the projection's or the surface's own.
  platform::COLORREF OwnCellColor(int surface, size_t cell) const;
  // The cup's or the rim's colour (blended into the projection's) where the disc lies; false
  // elsewhere, leaving `color` as it is.
  bool DiscCellColor(int surface, size_t cell, platform::COLORREF& color) const;

  // Volume, borrowed.
  const unsigned short* m_Voxels = nullptr;
  int m_Size[3] = {0, 0, 0};
  float m_Spacing[3] = {0.0f, 0.0f, 0.0f};
  int m_BytesPerVoxel = 0;
  int m_Maximum = 0;
  float m_DepthScale = 5.0f;
  ScenePoint m_Half;
  Camera3D m_Camera;
  PickNames3D m_Names;
  std::array<std::vector<uint8_t>, 3> m_Grey;  // XY, ZY, XZ: columns * rows each
  std::array<std::vector<uint8_t>, 3> m_ReservedGrey;  // made by ReservePlanes for the next SetVolume

  // Shared state, owned by the view.
  int* m_Position = nullptr;
  int* m_GridCenter = nullptr;
  float* m_WindowCentre = nullptr;
  float* m_WindowWidth = nullptr;

  // Results, borrowed.
  int m_SurfaceCount = 0;
  const Point3i* m_SurfacePoints = nullptr;
  const uint8_t* m_UndefinedMask = nullptr;
  const Point3i* m_RefSurfacePoints = nullptr;
  const uint8_t* m_Projection[3] = {nullptr, nullptr, nullptr};
  const uint8_t* m_DiscMask = nullptr;
  size_t m_VesselVertexCount = 0;
  const float* m_VesselVertices = nullptr;
  size_t m_SEADVertexCount = 0;
  const float* m_SEADVertices = nullptr;
  const int* m_MarkerCount = nullptr;
  const Point3i* m_MarkerPositions = nullptr;
  const std::string* m_MarkerLabels = nullptr;
  const int* m_SplineCount = nullptr;
  const LSplineSet* m_Splines = nullptr;
  // The same records when the view hands them over for editing.
  int* m_EditableMarkerCount = nullptr;
  LMarkers* m_MarkerRecord = nullptr;
  int* m_EditableSplineCount = nullptr;
  LSplineSet* m_SplineRecord = nullptr;
  std::vector<std::vector<PixelRect>>* m_SplineHitRects = nullptr;
  // Per surface, the points changed since the 3-D pane last built from them.
  std::array<GridRegion, kMaxSurfaces> m_SurfaceChanges;

  // Flags and settings.
  std::array<bool, static_cast<size_t>(SceneFlag::Count)> m_Flags{};
  std::array<bool, kMaxSurfaces> m_ShowSurface{};
  std::array<bool, kMaxSurfaces> m_ShowUndefinedSurface{};
  std::array<platform::COLORREF, static_cast<size_t>(SceneColor::Count)> m_Colors{};
  std::array<platform::COLORREF, kMaxSurfaces> m_SurfaceColors{};
  std::array<platform::COLORREF, kMarkerColors> m_MarkerColors{};
  // The constructor applies the default style to these and the colours and flags above.
  int m_AvgSliceNum = 0;
  int m_OpacityCup = 0;
  int m_OpacityRim = 0;
  int m_SplinesLineWidth = 0;
  int m_Laterality = 0;
  int m_MouseMode = MousePosition;

  bool m_Interacting = false;
  bool m_Picking = false;
  Rotation3D m_Rotation;
  uint64_t m_MeshGeneration = 0;
  uint64_t m_VolumeGeneration = 0;
};
