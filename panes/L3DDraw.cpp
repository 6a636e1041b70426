// The drawing routines of the 3-D pane, in the order RenderScene calls them.
#include "panes/L3D.h"

#include "data/LSplineSet.h"

#include <GL/gl.h>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <string_view>
#include <vector>

namespace {

void Normal(const ScenePoint& p0, const ScenePoint& p1, const ScenePoint& p2)
{
  const ScenePoint n = TriangleNormal(p0, p1, p2);
  glNormal3f(n.x, n.y, n.z);
}

// Points drawn from client-side arrays (positions, and normals when given). Selection
// renders draw only this way: Mesa keeps every vertex sent between glBegin and glEnd in
// selection mode for good, megabytes a pick.
void DrawArrays(GLenum mode, const float* positions, const float* normals, size_t points)
{
  if (points == 0)
    return;
  glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, positions);
  if (normals) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, 0, normals);
  }
  glDrawArrays(mode, 0, static_cast<GLsizei>(points));
  glPopClientAttrib();
}

void PutPoint(float* out, const ScenePoint& p)
{
  out[0] = p.x;
  out[1] = p.y;
  out[2] = p.z;
}

// Triangles with their normals. An ordinary render draws all of a routine's triangles in one
// glBegin, materials changing between them; a selection render draws each name's triangles
// (a cell's two at most) from arrays of their own, since names change only between draws.
class Triangles {
public:
  explicit Triangles(bool selecting) : m_Selecting(selecting) {}
  ~Triangles() { End(); }
  Triangles(const Triangles&) = delete;
  Triangles& operator=(const Triangles&) = delete;

  // Draws what came before, so that a name can be loaded, in a selection render.
  void BeforeName()
  {
    if (m_Selecting)
      End();
  }
  void Add(const ScenePoint& p0, const ScenePoint& p1, const ScenePoint& p2)
  {
    if (m_Selecting) {
      if (m_Points == kHeld)
        End();
      const ScenePoint n = TriangleNormal(p0, p1, p2);
      for (const ScenePoint* p : {&p0, &p1, &p2}) {
        PutPoint(m_Positions.data() + 3 * m_Points, *p);
        PutPoint(m_Normals.data() + 3 * m_Points, n);
        ++m_Points;
      }
      return;
    }
    if (!m_Open) {
      glBegin(GL_TRIANGLES);
      m_Open = true;
    }
    Normal(p0, p1, p2);
    glVertex3f(p0.x, p0.y, p0.z);
    glVertex3f(p1.x, p1.y, p1.z);
    glVertex3f(p2.x, p2.y, p2.z);
  }
  // A grid cell with corners A (c, r), B (c + 1, r), C (c, r + 1), D (c + 1, r + 1).
  void Cell(const ScenePoint& a, const ScenePoint& b, const ScenePoint& c, const ScenePoint& d)
  {
    Add(c, b, a);
    Add(c, d, b);
  }
  void End()
  {
    DrawArrays(GL_TRIANGLES, m_Positions.data(), m_Normals.data(), m_Points);
    m_Points = 0;
    if (m_Open)
      glEnd();
    m_Open = false;
  }

private:
  static constexpr size_t kHeld = 6;  // the points of a cell
  bool m_Selecting;
  bool m_Open = false;
  std::array<float, 3 * kHeld> m_Positions{};
  std::array<float, 3 * kHeld> m_Normals{};
  size_t m_Points = 0;
};

}  // namespace

void L3D::DrawOrientationLetters()
{
  if (!Flag(SceneFlag::Letters))
    return;
  for (const Letter3D& letter : OrientationLetters()) {
    LoadName(Names().Ignored());
    DrawText3D(letter.x, letter.y, letter.z, "%s", letter.text.c_str());
  }
}

void L3D::DrawText3D(double x, double y, double z, const char* format, ...)
{
  ApplyMaterial(FlatMaterial(0xFFFFFF));
  glRasterPos3f(static_cast<GLfloat>(x), static_cast<GLfloat>(y), static_cast<GLfloat>(z));
  char text[256];
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (written <= 0)
    return;
  const GLsizei length = static_cast<GLsizei>(std::min<size_t>(static_cast<size_t>(written), sizeof text - 1));
  const GLuint lists = m_Glyphs.ListsFor(LetterFontHeight(m_Height), {text, static_cast<size_t>(length)});
  if (lists == 0)
    return;
  glPushAttrib(GL_LIST_BIT);
  glListBase(lists - 32);
  glCallLists(length, GL_UNSIGNED_BYTE, text);
  glPopAttrib();
}

void L3D::DrawReferenceSurface()
{
  if (!Flag(SceneFlag::RefSurface) || !HasRefSurface())
    return;
  Material3D m;
  SetRefSurfaceMaterial(m);
  ApplyMaterial(m);
  int stepX = 1;
  int stepZ = 1;
  SurfaceSteps(stepX, stepZ);
  const int* size = Size();
  Triangles triangles(m_Selecting);
  for (int z = 0; z < size[2] - stepZ; z += stepZ) {
    for (int x = 0; x < size[0] - stepX; x += stepX) {
      if (!Interacting()) {
        SetRefSurfaceMaterial(m);
        SetGuideLineMaterial(z, x, m);
        ApplyMaterial(m);
      }
      triangles.BeforeName();
      LoadName(Names().RefSurfaceCell(x, z));
      triangles.Cell(MapPoint(RefSurfacePoint(x, z)), MapPoint(RefSurfacePoint(x + stepX, z)),
                     MapPoint(RefSurfacePoint(x, z + stepZ)), MapPoint(RefSurfacePoint(x + stepX, z + stepZ)));
    }
  }
}

void L3D::DrawMarkers3D()
{
  if (!Flag(SceneFlag::Markers))
    return;
  const int count = MarkerCount();
  for (int m = 0; m < count; ++m) {
    ApplyMaterial(MarkerMaterial(m));
    LoadName(Names().Marker(m));
    Sphere(MarkerPosition(m));
  }
}

void L3D::DrawSplines3D()
{
  if (!Flag(SceneFlag::Splines))
    return;
  const int count = SplineCount();
  const LSplineSet* splines = Splines();
  glDisable(GL_LIGHTING);
  const platform::COLORREF line = Color(SceneColor::SplineLine);
  glColor3f(platform::RedOf(line) / 255.0f, platform::GreenOf(line) / 255.0f, platform::BlueOf(line) / 255.0f);
  if (SplinesLineWidth() > 0)
    glLineWidth(static_cast<GLfloat>(SplinesLineWidth()));
  LoadName(Names().Ignored());
  for (int s = 0; s < count; ++s) {
    if (splines->controlPoints[static_cast<size_t>(s)].size() <= 1)
      continue;
    const std::vector<Point3i>& curve = splines->GetCurves()[static_cast<size_t>(s)];
    std::vector<float> strip(3 * curve.size());
    for (size_t k = 0; k < curve.size(); ++k)
      PutPoint(strip.data() + 3 * k, MapPoint(curve[k]));
    DrawArrays(GL_LINE_STRIP, strip.data(), nullptr, curve.size());
  }
  glEnable(GL_LIGHTING);
  if (!Flag(SceneFlag::SplineControlPoints))
    return;
  ApplyMaterial(ColorMaterial(Color(SceneColor::SplineControlPoint), 1.0f));
  uint64_t k = 0;
  for (int s = 0; s < count; ++s) {
    for (const Point3i& point : splines->controlPoints[static_cast<size_t>(s)]) {
      LoadName(Names().ControlPoint(k++));
      Sphere(point);
    }
  }
}

void L3D::DrawSEADMesh()
{
  if (Flag(SceneFlag::SEAD))
    DrawMesh(SEADVertices(), SEADVertexCount(), false);
}

void L3D::DrawVesselMesh()
{
  if (Flag(SceneFlag::Vessel))
    DrawMesh(VesselVertices(), VesselVertexCount(), true);
}

void L3D::DrawMesh(const float* vertices, size_t vertexCount, bool vessel)
{
  if (!vertices)
    return;
  if (Buffered()) {
    m_Buffers.DrawMesh(*this, vessel);
    m_HasMaterial = false;
    return;
  }
  ApplyMaterial(ColorMaterial(Color(vessel ? SceneColor::Vessel : SceneColor::SEAD), 1.0f));
  const size_t count = vertexCount / 3;
  const size_t step = MeshStep(vertexCount);
  Triangles triangles(m_Selecting);
  for (size_t t = 0; t < count; t += step) {
    const float* v = vertices + 9 * t;
    triangles.BeforeName();
    LoadName(vessel ? Names().VesselTriangle(t) : Names().SEADTriangle(t));
    // Drawn from the third vertex back to the first.
    triangles.Add(Map(v[6], v[7], v[8]), Map(v[3], v[4], v[5]), Map(v[0], v[1], v[2]));
  }
}

// The kept picture's surfaces (all cells in their own colours) mark their pixels in the
// stencil, for the guide-line cells drawn over them later and for rows left out of the
// picture and drawn over it later.
void L3D::DrawSurfaces(SceneBuffers3D::Cells cells, const Scene3DEditedRows::Rows& leftOut)
{
  if (!Flag(SceneFlag::Surfaces))
    return;
  const bool blending = Flag(SceneFlag::Blending);
  if (blending) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    glDisable(GL_DEPTH_TEST);
  }
  const int count = SurfaceCount();
  const bool buffered = Buffered();
  if (buffered)
    m_Buffers.UpdateSurfaces(*this);
  const bool marking = cells == SceneBuffers3D::Cells::Plain;
  if (marking) {
    glEnable(GL_STENCIL_TEST);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  }
  for (int i = 0; i < count; ++i) {
    if (!SurfaceShown(i))
      continue;
    if (!buffered) {
      DrawSurface(i);
      continue;
    }
    const RowRange& out = leftOut[static_cast<size_t>(i)];
    if (out.Empty()) {
      glStencilFunc(GL_ALWAYS, SurfaceStencil(i, 1), 0xFF);
      m_Buffers.DrawSurface(*this, i, cells);
      continue;
    }
    glStencilFunc(GL_ALWAYS, SurfaceStencil(i, 0), 0xFF);
    m_Buffers.DrawSurface(*this, i, cells, {0, out.first - 1});
    glStencilFunc(GL_ALWAYS, SurfaceStencil(i, 2), 0xFF);
    m_Buffers.DrawSurface(*this, i, cells, {out.last + 1, SceneBuffers3D::kAllRows});
  }
  if (marking)
    glDisable(GL_STENCIL_TEST);
  m_HasMaterial = false;
  if (blending) {
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
  }
}

void L3D::DrawSurface(int surface)
{
  Material3D m = ColorMaterial(SurfaceColor(surface), 0.1f);
  ApplyMaterial(m);
  int stepX = 1;
  int stepZ = 1;
  SurfaceSteps(stepX, stepZ);
  const bool materials = !Interacting() && !Picking();
  const int* size = Size();
  Triangles triangles(m_Selecting);
  for (int z = 0; z < size[2] - stepZ; z += stepZ) {
    for (int x = 0; x < size[0] - stepX; x += stepX) {
      if (materials) {
        SetSurfaceMaterial(surface, z, x, m);
        SetDiscMaterial(surface, z, x, m);
        SetGuideLineMaterial(z, x, m);
        ApplyMaterial(m);
      }
      const int x1 = x + stepX;
      const int z1 = z + stepZ;
      bool first = false;
      bool second = false;
      CellTriangles(surface, x, z, x1, z1, first, second);
      if (!first && !second)
        continue;
      triangles.BeforeName();
      LoadName(Names().SurfaceCell(surface, x, z));
      const ScenePoint pa = MapPoint(SurfacePoint(surface, x, z));
      const ScenePoint pb = MapPoint(SurfacePoint(surface, x1, z));
      const ScenePoint pc = MapPoint(SurfacePoint(surface, x, z1));
      const ScenePoint pd = MapPoint(SurfacePoint(surface, x1, z1));
      if (first)
        triangles.Add(pc, pb, pa);
      if (second)
        triangles.Add(pc, pd, pb);
    }
  }
}

void L3D::DrawPlaneXY()
{
  DrawPlane(OrientationXY, SceneFlag::PlaneXY);
}

void L3D::DrawPlaneZY()
{
  DrawPlane(OrientationZY, SceneFlag::PlaneZY);
}

void L3D::DrawPlaneXZ()
{
  DrawPlane(OrientationXZ, SceneFlag::PlaneXZ);
}

// During a drag a plane is one quad in its frame colour; a pick's render draws the cells
// without their grey.
void L3D::DrawPlane(int orientation, SceneFlag flag)
{
  int columns = 0;
  int rows = 0;
  if (!Flag(flag) || !PlaneSize(orientation, columns, rows) || columns < 2 || rows < 2)
    return;
  if (Buffered() && m_Buffers.DrawPlane(*this, orientation)) {
    m_HasMaterial = false;
    return;
  }
  const bool plain = Interacting() || Picking();
  if (plain)
    ApplyMaterial(PlaneFrameMaterial(orientation));
  else
    ComputePlaneGrey(orientation);
  Triangles triangles(m_Selecting);
  if (Interacting()) {
    LoadName(PlaneCellName(orientation, 0, 0));
    triangles.Cell(PlaneCorner(orientation, 0, 0), PlaneCorner(orientation, columns - 1, 0),
                   PlaneCorner(orientation, 0, rows - 1), PlaneCorner(orientation, columns - 1, rows - 1));
    return;
  }
  for (int r = 0; r + 1 < rows; ++r) {
    for (int c = 0; c + 1 < columns; ++c) {
      if (!plain)
        ApplyMaterial(PlaneCellMaterial(orientation, c, r));
      triangles.BeforeName();
      LoadName(PlaneCellName(orientation, c, r));
      triangles.Cell(PlaneCorner(orientation, c, r), PlaneCorner(orientation, c + 1, r),
                     PlaneCorner(orientation, c, r + 1), PlaneCorner(orientation, c + 1, r + 1));
    }
  }
}
