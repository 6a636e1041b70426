// The 3-D pane relies on a compatibility-profile context, GLU, GLUT spheres and
// selection-mode picking; this checks that the stack under Xvfb provides all of them.
#include "platform/Startup.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <QOpenGLContext>
#include <QOpenGLWidget>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

class PickWidget : public QOpenGLWidget {
public:
  GLint hits = -1;
  GLuint pickedName = 0;
  QSurfaceFormat::OpenGLContextProfile profile = QSurfaceFormat::NoProfile;

protected:
  void paintGL() override
  {
    profile = context()->format().profile();
    GLuint buffer[64] = {};
    glSelectBuffer(64, buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    GLint viewport[4] = {0, 0, width(), height()};
    gluPickMatrix(width() / 2.0, height() / 2.0, 3, 3, viewport);
    gluPerspective(45.0, double(width()) / height(), 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 5, 0, 0, 0, 0, 1, 0);
    glLoadName(7);
    glutSolidSphere(1.0, 16, 16);
    hits = glRenderMode(GL_RENDER);
    if (hits > 0)
      pickedName = buffer[3];  // count, zmin, zmax, then the name stack
  }
};

TEST(OpenGL, CompatibilityContextPicksAGlutSphere)
{
  ASSERT_TRUE(platform::EnsureGlutInitialized()) << "needs an X display (run under xvfb-run)";
  EXPECT_TRUE(platform::EnsureGlutInitialized()) << "a second call must not initialise again";
  PickWidget widget;
  widget.resize(64, 48);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  widget.grabFramebuffer();
  EXPECT_TRUE(widget.isValid());
  EXPECT_EQ(widget.profile, QSurfaceFormat::CompatibilityProfile);
  EXPECT_EQ(widget.hits, 1);
  EXPECT_EQ(widget.pickedName, 7u);
}

}  // namespace
