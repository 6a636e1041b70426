// The mouse of the 3-D pane: selection-render picks by mouse mode, deletions by double
// click, and the trackball, pan, dolly and wheel moves of the camera.
#include "panes/L3D.h"

#include "panes/WithinMemory.h"
#include "platform/WaitCursor.h"

#include <GL/glu.h>
#include <QMouseEvent>
#include <array>
#include <limits>
#include <new>

namespace {

constexpr GLsizei kSelectBufferSize = 1024;

// The name of the hit record with the smallest minimum depth (the first of equal depths);
// none for no record or an overflowed buffer.
std::optional<uint64_t> NearestName(const std::array<GLuint, kSelectBufferSize>& buffer, GLint hits)
{
  std::optional<uint64_t> nearest;
  GLuint nearestDepth = 0;
  size_t at = 0;
  for (GLint h = 0; h < hits; ++h) {
    if (at + 3 > buffer.size())
      break;
    const GLuint names = buffer[at];
    const GLuint minimumDepth = buffer[at + 1];
    if (names >= 1 && at + 3 + names <= buffer.size() && (!nearest || minimumDepth < nearestDepth)) {
      nearest = buffer[at + 3];
      nearestDepth = minimumDepth;
    }
    at += 3 + static_cast<size_t>(names);
  }
  return nearest;
}

}  // namespace

L3D::L3D(ViewServices& view, QWidget* parent) : L3D(parent)
{
  m_View = &view;
}

// A press, release or move that runs out of memory (a pick's edit, say) ends there, as a 2-D
// pane's does; the selection render gives OpenGL back its own state first.
void L3D::mousePressEvent(QMouseEvent* event)
{
  const QPoint point = event->position().toPoint();
  RunWithinMemory([&] {
    switch (event->button()) {
    case Qt::LeftButton: OnLButtonDown(point); break;
    case Qt::RightButton: OnRButtonDown(point); break;
    case Qt::MiddleButton: OnMButtonDown(point); break;
    default: break;
    }
  });
}

void L3D::mouseReleaseEvent(QMouseEvent* event)
{
  RunWithinMemory([&] {
    switch (event->button()) {
    case Qt::LeftButton: OnLButtonUp(); break;
    case Qt::RightButton: OnRButtonUp(); break;
    case Qt::MiddleButton: OnMButtonUp(); break;
    default: break;
    }
  });
}

// Qt's own handling would take a double click for a second press and pick once more.
void L3D::mouseDoubleClickEvent(QMouseEvent* event)
{
  if (event->button() == Qt::LeftButton)
    RunWithinMemory([&] { OnLButtonDblClk(event->position().toPoint()); });
}

void L3D::mouseMoveEvent(QMouseEvent* event)
{
  RunWithinMemory([&] { OnMouseMove(event->buttons(), event->modifiers(), event->position().toPoint()); });
}

// Every press starts the trackball from its point and ends with the picking flag off, also
// when the mode makes no selection render (markers or splines hidden), so that neither a
// stale trackball vector nor a pick's plain drawing outlives the press.
void L3D::OnLButtonDown(QPoint point)
{
  const platform::WaitCursor wait;
  BeginTrackball(Rotation(), point.x(), point.y(), m_Width, m_Height);
  SetPicking(true);
  switch (MouseModeCode()) {
  case MouseGridCenter: PickGridCenter(point); break;
  case MouseMarkers: PickMarker(point); break;
  case MouseSplines: PickSplinePoint(point); break;
  default: PickPosition(point); break;
  }
  SetPicking(false);
}

void L3D::OnLButtonUp()
{
  const platform::WaitCursor wait;
  Rotation().pendingAngle = 0.0f;
  SetInteracting(false);
  update();
}

void L3D::OnRButtonDown(QPoint point)
{
  const platform::WaitCursor wait;
  Rotation().lastX = point.x();
  Rotation().lastY = point.y();
  SetInteracting(true);
  update();
}

void L3D::OnRButtonUp()
{
  const platform::WaitCursor wait;
  SetInteracting(false);
  update();
}

void L3D::OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint point)
{
  setFocus(Qt::MouseFocusReason);
  TrackMouse(buttons, modifiers, point);
}

void L3D::OnLButtonDblClk(QPoint point)
{
  if (MouseModeCode() == MouseMarkers)
    PickAndDeleteMarker(point);
  else if (MouseModeCode() == MouseSplines)
    PickAndDeleteSpline(point);
}

void L3D::PickPosition(QPoint point)
{
  const std::optional<uint64_t> name = SelectAt(point);
  if (!name) {
    // The left drag that follows rotates the scene, drawn fast.
    SetInteracting(true);
    update();
    return;
  }
  std::array<int, 3> position = Position();
  if (!PickedPosition(*name, position))
    return;
  MovePosition(position);
  AfterPositionChange(true);
}

void L3D::PickGridCenter(QPoint point)
{
  std::array<int, 3> position = Position();
  if (!PickIn(point, PickNames3D::Block::PlaneXZ, PickNames3D::Block::RefSurface, position))
    return;
  MovePosition(position);
  AfterPositionChange(false);
  const bool moved = MoveGridCenter(position[0], position[2]);
  if (!m_View)
    return;
  if (moved)
    m_View->ResultEdited(MouseGridCenter, 0);
  if (m_View->SurfacesFileCount() >= 1 && m_View->ShowThickness() && m_View->GridMode() != 0) {
    m_View->ComputeProjectionThickness(m_View->ThicknessSurfaceFrom(), m_View->ThicknessSurfaceTo());
    m_View->ComposeProjection();
  } else {
    m_View->InvalidateProjectionPane();
  }
}

void L3D::PickMarker(QPoint point)
{
  std::array<int, 3> position = Position();
  if (!Flag(SceneFlag::Markers) ||
      !PickIn(point, PickNames3D::Block::Markers, PickNames3D::Block::Markers, position))
    return;
  MovePosition(position);
  AfterPositionChange(true);
}

void L3D::PickSplinePoint(QPoint point)
{
  std::array<int, 3> position = Position();
  if (!Flag(SceneFlag::Splines) ||
      !PickIn(point, PickNames3D::Block::ControlPoints, PickNames3D::Block::ControlPoints, position))
    return;
  MovePosition(position);
  AfterPositionChange(true);
}

void L3D::PickAndDeleteMarker(QPoint point)
{
  if (!Flag(SceneFlag::Markers))
    return;
  const std::optional<uint64_t> name = SelectAt(point);
  uint64_t m = 0;
  if (name && Names().Classify(*name, m) == PickNames3D::Block::Markers && DeleteMarker(static_cast<int>(m)))
    AfterDeletion(MouseMarkers);
}

void L3D::PickAndDeleteSpline(QPoint point)
{
  if (!Flag(SceneFlag::Splines))
    return;
  const std::optional<uint64_t> name = SelectAt(point);
  uint64_t k = 0;
  if (name && Names().Classify(*name, k) == PickNames3D::Block::ControlPoints &&
      DeleteSpline(SplineOfControlPoint(k)))
    AfterDeletion(MouseSplines);
}

void L3D::TrackMouse(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint point)
{
  Rotation3D& rotation = Rotation();
  if (buttons.testFlag(Qt::LeftButton)) {
    RotateTrackball(rotation, point.x(), point.y(), m_Width, m_Height);
    SetInteracting(true);
    update();
    return;
  }
  const int dx = point.x() - rotation.lastX;
  const int dy = point.y() - rotation.lastY;
  const bool right = buttons.testFlag(Qt::RightButton);
  if (buttons.testFlag(Qt::MiddleButton) || (right && modifiers.testFlag(Qt::ShiftModifier)))
    PanCamera(Camera(), dx, dy, m_Width, m_Height);
  else if (right)
    DollyCamera(Camera(), dy, m_Height);
  else
    return;
  SetInteracting(true);
  UpdateProjection();
  rotation.lastX = point.x();
  rotation.lastY = point.y();
}

void L3D::ZoomByWheel(int delta)
{
  ZoomCameraByWheel(Camera(), delta);
  UpdateProjection();
}

// Drawn with the drag's fast drawing off: a press during a right or middle drag would
// otherwise pick against planes drawn as single quads, all named by their first cell.
std::optional<uint64_t> L3D::SelectAt(QPoint point)
{
  if (!m_Created || !HasVolume() || !isValid() || m_Width <= 0 || m_Height <= 0 || !(Camera().radius > 0.0))
    return std::nullopt;
  makeCurrent();
  const qreal ratio = devicePixelRatioF();
  glViewport(0, 0, static_cast<GLsizei>(m_Width * ratio), static_cast<GLsizei>(m_Height * ratio));
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  GLint viewport[4] = {0, 0, 0, 0};
  glGetIntegerv(GL_VIEWPORT, viewport);
  std::array<GLuint, kSelectBufferSize> buffer{};
  glSelectBuffer(kSelectBufferSize, buffer.data());
  glRenderMode(GL_SELECT);
  glInitNames();
  glPushName(0);
  gluPickMatrix(point.x() * ratio, viewport[3] - point.y() * ratio, 1.0, 1.0, viewport);
  ApplyCamera();
  glMatrixMode(GL_MODELVIEW);
  const bool interacting = Interacting();
  SetInteracting(false);
  const bool rendered = RunWithinMemory([this] { RenderScene(); });
  SetInteracting(interacting);
  if (!rendered)
    EndListBeingCompiled();
  const GLint hits = glRenderMode(GL_RENDER);
  ApplyProjection();
  doneCurrent();
  if (!rendered)
    throw std::bad_alloc();
  const std::optional<uint64_t> name = NearestName(buffer, hits);
  // Names beyond what OpenGL holds are all loaded as its largest, which means nothing.
  if (name && *name == std::numeric_limits<GLuint>::max())
    return Names().Ignored();
  return name;
}

bool L3D::PickIn(QPoint point, PickNames3D::Block first, PickNames3D::Block last, std::array<int, 3>& position)
{
  const std::optional<uint64_t> name = SelectAt(point);
  uint64_t offset = 0;
  if (!name)
    return false;
  const PickNames3D::Block block = Names().Classify(*name, offset);
  return block >= first && block <= last && PickedPosition(*name, position);
}

void L3D::AfterPositionChange(bool invalidateProjection)
{
  update();
  if (!m_View)
    return;
  for (int orientation : {OrientationXY, OrientationZY, OrientationXZ})
    m_View->RenderSlicePane(orientation);
  const std::array<int, 3> p = Position();
  m_View->SetSliceScrollPos(OrientationXY, p[2]);
  m_View->SetSliceScrollPos(OrientationZY, p[0]);
  m_View->SetSliceScrollPos(OrientationXZ, p[1]);
  if (invalidateProjection)
    m_View->InvalidateProjectionPane();
}

void L3D::AfterDeletion(int mouseMode)
{
  update();
  if (!m_View)
    return;
  m_View->ResultEdited(mouseMode, 0);
  for (int orientation : {OrientationXY, OrientationZY, OrientationXZ})
    m_View->InvalidateSlicePane(orientation);
}
