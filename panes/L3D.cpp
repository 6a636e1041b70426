#include "panes/L3D.h"

#include "panes/PaneImageExport.h"
#include "panes/WithinMemory.h"
#include "platform/Startup.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <QOpenGLContext>
#include <algorithm>
#include <limits>
#include <memory>

L3D::L3D(QWidget* parent) : QOpenGLWidget(parent)
{
  // Shown from the first CreatePane on, even inside a host that is already visible.
  hide();
  // Moves without a button held reach the pane too: it takes the keyboard focus on every move.
  setMouseTracking(true);
}

L3D::~L3D()
{
  ReleaseGl();
  // The base class destroys the context after this object is gone.
  if (context())
    disconnect(context(), nullptr, this, nullptr);
}

void L3D::CreatePane(int width, int height, QWidget* host)
{
  m_Width = std::max(0, width);
  m_Height = std::max(0, height);
  // Nothing of the previous scan is drawn again, and its buffers do not outlive it.
  ReleaseGl();
  ResetSceneState();
  if (host && parentWidget() != host)
    setParent(host);
  setGeometry(0, 0, m_Width, m_Height);
  if (platform::OpenGLWidgetsAvailable())
    show();
  update();
  m_Created = true;
}

void L3D::Resize(int width, int height)
{
  if (!m_Created)
    return;
  m_Width = std::max(0, width);
  m_Height = std::max(0, height);
  setGeometry(0, 0, m_Width, m_Height);
  update();
}

void L3D::UpdateProjection()
{
  if (m_Created)
    update();
}

void L3D::ShowFlag(SceneFlag flag, bool show)
{
  SetFlag(flag, show);
  update();
}

void L3D::ShowSurface(int index, bool show)
{
  SetShowSurface(index, show);
  update();
}

void L3D::ShowSurfacePointsChanged(int surface, const GridRegion& region)
{
  SurfacePointsChanged(surface, region);
  update();
}

void L3D::ShowUndefinedSurface(int index, bool show)
{
  SetShowUndefinedSurface(index, show);
  update();
}

QImage L3D::RenderToImage()
{
  if (!m_Created || !HasVolume() || m_Width < 4 || m_Height < 1 || !platform::OpenGLWidgetsAvailable())
    return {};
  const QImage frame = grabFramebuffer();
  const int width = frame.width() / 4 * 4;
  if (frame.isNull() || width == 0)
    return {};
  return frame.copy(0, 0, width, frame.height()).convertToFormat(QImage::Format_RGB32);
}

void L3D::CopyToClipboard()
{
  const QImage image = RenderToImage();
  if (!image.isNull())
    CopyImageToClipboard(image);
}

int L3D::SaveImage(const std::string& path)
{
  return CopyAndSaveImage(RenderToImage(), path);
}

void L3D::initializeGL()
{
  m_GlutSpheres = platform::EnsureGlutInitialized();
  // A context goes when the window moves to another top-level window; its lists go with it.
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &L3D::ReleaseGl, Qt::UniqueConnection);
}

void L3D::ReleaseGl()
{
  m_EditedRows = Scene3DEditedRows();
  if (!isValid())
    return;
  makeCurrent();
  m_Glyphs.Release();
  m_Buffers.Release();
  m_Layer.Release();
  doneCurrent();
}

bool L3D::HoldsGlResources() const
{
  return m_Glyphs.Held() || m_Buffers.Held() || m_Layer.Held();
}

void L3D::paintGL()
{
  if (RunWithinMemory([this] {
        ApplyProjection();
        RenderScene();
      })) {
    m_PaintedPositionAndWindow = PositionAndWindowShown();
    return;
  }
  // The scene's buffers could not be had: this frame shows the background, and what was
  // built of them goes, so that the next paint builds them anew.
  EndListBeingCompiled();
  m_Buffers.Release();
  m_Layer.Release();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// A display list that a draw cut short was compiling is closed, so that what follows is drawn
// again rather than recorded.
void L3D::EndListBeingCompiled()
{
  GLint list = 0;
  glGetIntegerv(GL_LIST_INDEX, &list);
  if (list != 0)
    glEndList();
}

std::array<float, 5> L3D::PositionAndWindowShown() const
{
  std::array<float, 5> shown = {-1.0f, -1.0f, -1.0f, -1.0f, -1.0f};
  if (!Flag(SceneFlag::All) || !HasVolume())
    return shown;
  const bool guides = Flag(SceneFlag::GuideLines);
  const bool xy = Flag(SceneFlag::PlaneXY);
  const bool zy = Flag(SceneFlag::PlaneZY);
  const bool xz = Flag(SceneFlag::PlaneXZ);
  const bool cells = (Flag(SceneFlag::Surfaces) && SurfaceCount() > 0) || (Flag(SceneFlag::RefSurface) && HasRefSurface());
  const std::array<bool, 3> axisShown = {zy || (guides && (xy || xz || cells)), xz || (guides && (xy || zy)),
                                         xy || (guides && (zy || xz || cells))};
  const std::array<int, 3> p = Position();
  for (size_t axis = 0; axis < 3; ++axis)
    if (axisShown[axis])
      shown[axis] = static_cast<float>(p[axis]);
  if (xy || zy || xz) {
    const std::array<float, 2> window = Window();
    shown[3] = window[0];
    shown[4] = window[1];
  }
  return shown;
}

void L3D::ShowPositionAndWindow()
{
  if (!m_PaintedPositionAndWindow || *m_PaintedPositionAndWindow != PositionAndWindowShown())
    update();
}

void L3D::ApplyProjection()
{
  const qreal ratio = devicePixelRatioF();
  glViewport(0, 0, static_cast<GLsizei>(m_Width * ratio), static_cast<GLsizei>(m_Height * ratio));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  const Camera3D& camera = Camera();
  // A pane hidden by a layout has no size, and without a volume there is no camera.
  if (m_Width > 0 && m_Height > 0 && camera.radius > 0.0)
    ApplyCamera();
  glMatrixMode(GL_MODELVIEW);
}

void L3D::ApplyCamera()
{
  const Camera3D& camera = Camera();
  gluPerspective(45.0, static_cast<double>(m_Width) / m_Height, camera.NearPlane(), camera.FarPlane());
  gluLookAt(0.0, 0.0, camera.distance, camera.panX, camera.panY, 0.0, 0.0, 1.0, 0.0);
}

void L3D::ApplyMaterial(const Material3D& m)
{
  if (m_HasMaterial && m == m_Material)
    return;
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m.ambient.data());
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.diffuse.data());
  m_Material = m;
  m_HasMaterial = true;
}

void L3D::LoadName(uint64_t name)
{
  if (m_Selecting)
    glLoadName(static_cast<GLuint>(std::min<uint64_t>(name, std::numeric_limits<GLuint>::max())));
}

void L3D::Sphere(const Point3i& position)
{
  const ScenePoint p = MapPoint(position);
  glTranslatef(p.x, p.y, p.z);
  if (m_GlutSpheres) {
    glutSolidSphere(SphereRadius(), 10, 10);
  } else {
    const std::unique_ptr<GLUquadric, void (*)(GLUquadric*)> quadric(gluNewQuadric(), gluDeleteQuadric);
    if (quadric)
      gluSphere(quadric.get(), SphereRadius(), 10, 10);
  }
  glTranslatef(-p.x, -p.y, -p.z);
}

void L3D::RenderScene()
{
  GLint mode = GL_RENDER;
  glGetIntegerv(GL_RENDER_MODE, &mode);
  m_Selecting = mode == GL_SELECT;
  m_HasMaterial = false;
  if (!m_Selecting)
    m_LastKeptPicture = KeptPicture::NotKept;
  if (LayerApplies() && RenderFromLayer())
    return;
  BeginScene(true);
  DrawGeometry(SceneBuffers3D::Cells::All);
  DrawPlanes();
  EndScene();
}

void L3D::BeginScene(bool clear)
{
  glShadeModel(GL_SMOOTH);
  glEnable(GL_DEPTH_TEST);
  if (clear) {
    const platform::COLORREF background = Color(SceneColor::Background);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(platform::RedOf(background) / 255.0f, platform::GreenOf(background) / 255.0f,
                 platform::BlueOf(background) / 255.0f, 1.0f);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  }
  // The destination alpha stays 1, as in a window without alpha bits, so that surfaces
  // blended with GL_DST_ALPHA add their colour to what lies behind them.
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  glLightfv(GL_LIGHT0, GL_AMBIENT, white);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, white);

  // A drag's moves are folded into the accumulated rotation as they come.
  glMultMatrixf(Rotation().accumulated.data());
}

void L3D::DrawGeometry(SceneBuffers3D::Cells cells, const Scene3DEditedRows::Rows& leftOut)
{
  if (!Flag(SceneFlag::All) || !HasVolume())
    return;
  DrawOrientationLetters();
  DrawReferenceSurface();
  DrawMarkers3D();
  DrawSplines3D();
  DrawSEADMesh();
  DrawVesselMesh();
  DrawSurfaces(cells, leftOut);
}

void L3D::DrawPlanes()
{
  if (!Flag(SceneFlag::All) || !HasVolume())
    return;
  DrawPlaneXY();
  DrawPlaneZY();
  DrawPlaneXZ();
}

void L3D::EndScene()
{
  glFlush();
  glDisable(GL_LIGHTING);
  glDisable(GL_LIGHT0);
  glDisable(GL_DEPTH_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  SetPicking(false);
}
