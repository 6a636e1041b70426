// The 3-D pane's render through the kept picture of its unchanged geometry: a 2-D step
// (another slice, another window, another position) redraws only the planes and the
// surfaces' guide-line cells over it, and a step of a surface edit first draws the rows it
// moved over a picture kept without them.
#define GL_GLEXT_PROTOTYPES
#include "panes/L3D.h"

#include "data/LSplineSet.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <utility>

namespace {

template <typename T>
void Append(std::vector<uint8_t>& out, const T& value)
{
  const auto* bytes = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), bytes, bytes + sizeof value);
}

template <typename T>
void AppendAll(std::vector<uint8_t>& out, const std::vector<T>& values)
{
  Append(out, values.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(values.data());
  out.insert(out.end(), bytes, bytes + values.size() * sizeof(T));
}

}  // namespace

// Blended surfaces add up in drawing order and the reference surface colours its own
// guide-line cells, so both are drawn in full every time.
bool L3D::LayerApplies() const
{
  return m_KeepLayer && Buffered() && Flag(SceneFlag::All) && HasVolume() && !Flag(SceneFlag::Blending) &&
         !(Flag(SceneFlag::RefSurface) && HasRefSurface());
}

bool L3D::RenderFromLayer()
{
  GLint target = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &target);
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  if (!m_Layer.Prepare(viewport[0] + viewport[2], viewport[1] + viewport[3]))
    return false;
  if (Flag(SceneFlag::Surfaces))
    m_Buffers.UpdateSurfaces(*this);
  for (int s = 0; s < kMaxSurfaces; ++s)
    m_EditedRows.Changed(s, m_Buffers.TakeChangedRows(s));
  const std::vector<uint8_t> inputs = LayerInputs();
  m_LastKeptPicture = KeptPicture::Reused;
  if (!m_Layer.Holds(inputs) || !m_EditedRows.PictureCurrent()) {
    DrawKeptPicture(inputs);
    m_GuideTiles.Clear();
  }
  m_Layer.BindFrameFromLayer();
  BeginScene(false);
  DrawSurfaceGuideLines();
  DrawPlanes();
  m_Layer.CopyFrameTo(static_cast<GLuint>(target));
  EndScene();
  return true;
}

void L3D::DrawKeptPicture(const std::vector<uint8_t>& inputs)
{
  if (!m_Layer.HoldsBase(inputs) || !m_EditedRows.BaseCovers()) {
    const Scene3DEditedRows::Rows leftOut = m_EditedRows.SincePicture();
    if (!WorthLeavingOut(leftOut) || !m_Layer.PrepareBase()) {
      m_Layer.BindLayer();
      BeginScene(true);
      DrawGeometry(SceneBuffers3D::Cells::Plain);
      m_Layer.Kept(inputs);
      m_EditedRows.PictureDrawn();
      m_LastKeptPicture = KeptPicture::FromScratch;
      return;
    }
    m_Layer.BindBase();
    BeginScene(true);
    DrawGeometry(SceneBuffers3D::Cells::Plain, leftOut);
    m_Layer.KeptBase(inputs);
    m_EditedRows.BaseDrawn(leftOut);
  }
  m_Layer.BindLayerFromBase();
  BeginScene(false);
  DrawLeftOutRows(m_EditedRows.LeftOut());
  m_Layer.Kept(inputs);
  m_EditedRows.PictureDrawn();
  m_LastKeptPicture = KeptPicture::OverLeftOutRows;
}

// Only rows of some surfaces changed (an edit, the first surface's colours): then the
// picture without them pays for itself from the next step on.
bool L3D::WorthLeavingOut(const Scene3DEditedRows::Rows& rows) const
{
  if (!Flag(SceneFlag::Surfaces))
    return false;
  const int cellRows = Size()[2] - 1;
  long shownRows = 0;
  long changed = 0;
  for (int s = 0; s < SurfaceCount(); ++s) {
    if (!SurfaceShown(s))
      continue;
    shownRows += cellRows;
    changed += rows[static_cast<size_t>(s)].Within(cellRows).Count();
  }
  return changed > 0 && 2 * changed <= shownRows;
}

// In the picture drawn in one go, a pixel keeps the first of the fragments nearest to the
// eye. A left-out cell drawn later takes a pixel of equal depth only from what is drawn after
// it there (a higher stencil value), and a pixel it took tells its own later fragments by its
// value; so each row range is drawn twice: once with ties won over higher values, once with
// ties lost to the rest.
void L3D::DrawLeftOutRows(const Scene3DEditedRows::Rows& rows)
{
  if (!Flag(SceneFlag::Surfaces))
    return;
  glPushAttrib(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ENABLE_BIT);
  glEnable(GL_STENCIL_TEST);
  glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
  const int count = SurfaceCount();
  for (int i = 0; i < count; ++i) {
    const RowRange& out = rows[static_cast<size_t>(i)];
    if (out.Empty() || !SurfaceShown(i))
      continue;
    const GLint value = SurfaceStencil(i, 1);
    glStencilFunc(GL_LESS, value, 0xFF);
    glDepthFunc(GL_LEQUAL);
    m_Buffers.DrawSurface(*this, i, SceneBuffers3D::Cells::Plain, out);
    glStencilFunc(GL_GEQUAL, value, 0xFF);
    glDepthFunc(GL_LESS);
    m_Buffers.DrawSurface(*this, i, SceneBuffers3D::Cells::Plain, out);
  }
  glPopAttrib();
  m_HasMaterial = false;
}

// A guide-line cell shows where its surface's own triangle won the depth test: same depth,
// and the stencil naming that surface.
void L3D::DrawSurfaceGuideLines()
{
  if (!Flag(SceneFlag::Surfaces) || !Flag(SceneFlag::GuideLines))
    return;
  glPushAttrib(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ENABLE_BIT);
  glDepthFunc(GL_EQUAL);
  glDepthMask(GL_FALSE);
  glEnable(GL_STENCIL_TEST);
  glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
  const GuideCellTiles* tiles = GuideTiles();
  const int count = SurfaceCount();
  for (int i = 0; i < count; ++i) {
    if (!SurfaceShown(i))
      continue;
    glStencilFunc(GL_EQUAL, SurfaceStencil(i, 0), kSurfaceStencilMask);
    m_Buffers.DrawSurface(*this, i, SceneBuffers3D::Cells::GuideLines, {0, SceneBuffers3D::kAllRows}, tiles);
  }
  glPopAttrib();
  m_HasMaterial = false;
}

const GuideCellTiles* L3D::GuideTiles()
{
  if (!m_SkipUnseenGuideCells) {
    m_GuideTiles.Clear();
    return nullptr;
  }
  if (!m_GuideTiles.Built()) {
    // A guide-line cell of surface s passes where the stencil's surface bits name s.
    GuideCellTiles::SurfacesOfValue surfacesOf{};
    for (int s = 0; s < kMaxSurfaces; ++s)
      for (GLuint part = 0; part <= (~kSurfaceStencilMask & 0xFFu); ++part)
        surfacesOf[static_cast<size_t>(SurfaceStencil(s, 0)) | part] = uint32_t{1} << s;
    m_GuideTiles.Build(m_Layer.KeptStencil(), m_Layer.Width(), m_Layer.Height(), surfacesOf);
  }
  if (!m_GuideTiles.Built())
    return nullptr;
  std::array<double, 16> modelview{};
  std::array<double, 16> projection{};
  std::array<GLint, 4> viewport{};
  glGetDoublev(GL_MODELVIEW_MATRIX, modelview.data());
  glGetDoublev(GL_PROJECTION_MATRIX, projection.data());
  glGetIntegerv(GL_VIEWPORT, viewport.data());
  m_GuideTiles.SetTransform(modelview, projection, {viewport[0], viewport[1], viewport[2], viewport[3]});
  return &m_GuideTiles;
}

// Everything the letters, markers, splines, meshes and surfaces are drawn from that the
// surfaces' buffers do not track themselves.
std::vector<uint8_t> L3D::LayerInputs() const
{
  std::vector<uint8_t> in;
  std::array<GLfloat, 16> projection{};
  glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
  Append(in, projection);
  Append(in, Rotation().accumulated);
  for (int f = 0; f < static_cast<int>(SceneFlag::Count); ++f) {
    const auto flag = static_cast<SceneFlag>(f);
    if (flag != SceneFlag::PlaneXY && flag != SceneFlag::PlaneZY && flag != SceneFlag::PlaneXZ &&
        flag != SceneFlag::GuideLines)
      in.push_back(Flag(flag));
  }
  for (int c = 0; c < static_cast<int>(SceneColor::Count); ++c)
    Append(in, Color(static_cast<SceneColor>(c)));
  Append(in, SurfaceCount());
  for (int s = 0; s < kMaxSurfaces; ++s) {
    Append(in, SurfaceColor(s));
    in.push_back(SurfaceShown(s));
    in.push_back(ShowOverUndefined(s));
  }
  Append(in, Map(0.0f, 0.0f, 0.0f));
  Append(in, Map(1.0f, 1.0f, 1.0f));
  Append(in, OpacityCup());
  Append(in, OpacityRim());
  Append(in, SplinesLineWidth());
  Append(in, LetterFontHeight(m_Height));
  for (const Letter3D& letter : OrientationLetters()) {
    in.insert(in.end(), letter.text.begin(), letter.text.end());
    Append(in, std::array<double, 3>{letter.x, letter.y, letter.z});
  }
  Append(in, MeshGeneration());
  Append(in, VesselVertices());
  Append(in, VesselVertexCount());
  Append(in, SEADVertices());
  Append(in, SEADVertexCount());
  Append(in, SphereRadius());
  Append(in, MarkerCount());
  for (int m = 0; m < MarkerCount(); ++m) {
    Append(in, MarkerPosition(m));
    Append(in, MarkerMaterial(m));
  }
  if (const LSplineSet* splines = Splines()) {
    const int count = SplineCount();
    Append(in, count);
    for (int s = 0; s < count; ++s) {
      AppendAll(in, splines->controlPoints[static_cast<size_t>(s)]);
      AppendAll(in, splines->GetCurves()[static_cast<size_t>(s)]);
    }
  }
  return in;
}
