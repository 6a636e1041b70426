// The mouse arithmetic of the 3-D pane: the trackball's vectors and rotation, pan, dolly and
// the wheel, in a window wider than high so that a mix-up of width and height shows.
#include "panes/Trackball.h"

#include <gtest/gtest.h>

namespace {

constexpr int kW = 400;
constexpr int kH = 200;

void ExpectVector(const std::array<float, 3>& actual, float x, float y, float z)
{
  EXPECT_NEAR(actual[0], x, 1e-6f);
  EXPECT_NEAR(actual[1], y, 1e-6f);
  EXPECT_NEAR(actual[2], z, 1e-6f);
}

TEST(Trackball, AWindowPointLiesOnTheUnitSphere)
{
  const struct {
    int x, y;
    float vx, vy, vz;
  } cases[] = {
    {kW / 2, kH / 2, 0.0f, 0.0f, 1.0f},                    // the middle faces the eye
    {kW, kH / 2, 1.0f, 0.0f, 6.1e-17f},                    // the right edge lies on the rim
    {0, 0, -0.70710678f, 0.70710678f, 0.0f},               // beyond the rim: on it
    {3 * kW / 4, kH / 2, 0.57735027f, 0.0f, 0.81649658f},  // half way out: cos(pi / 4)
    {3 * kW / 4, kH / 4, 0.59883458f, 0.59883458f, 0.53178407f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    ExpectVector(TrackballVector(c.x, c.y, kW, kH), c.vx, c.vy, c.vz);
  }
  ExpectVector(TrackballVector(5, 5, 0, kH), 0.0f, 0.0f, 0.0f);
}

// From the middle to the right edge: 90 * sqrt(2) degrees about y, folded into the
// accumulated rotation at once.
TEST(Trackball, AMoveRotatesAboutTheCrossProductByItsDistance)
{
  Rotation3D rotation;
  BeginTrackball(rotation, kW / 2, kH / 2, kW, kH);
  RotateTrackball(rotation, kW, kH / 2, kW, kH);
  EXPECT_NEAR(rotation.pendingAngle, 127.279221f, 1e-4f);
  ExpectVector(rotation.pendingAxis, 0.0f, 1.0f, 0.0f);
  ExpectVector(rotation.previous, 1.0f, 0.0f, 0.0f);
  EXPECT_EQ(rotation.lastX, kW);
  EXPECT_EQ(rotation.lastY, kH / 2);
  const float c = -0.60569987f;  // cos 127.28 degrees
  const float s = 0.79569320f;
  const std::array<float, 16> expected = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
  for (size_t i = 0; i < 16; ++i)
    EXPECT_NEAR(rotation.accumulated[i], expected[i], 1e-5f) << i;

  // A move to the same point turns nothing more.
  const std::array<float, 16> before = rotation.accumulated;
  RotateTrackball(rotation, kW, kH / 2, kW, kH);
  EXPECT_EQ(rotation.pendingAngle, 0.0f);
  EXPECT_EQ(rotation.accumulated, before);
}

// R is 2; the camera starts at 2.5 R unless a case says otherwise.
TEST(Trackball, CameraMovesStayWithinTheirLimits)
{
  enum Move { Pan, Dolly, Wheel };
  const struct {
    const char* what;
    Move move;
    int dx, dy;  // pixels, or the wheel delta in dy
    double panX, panY, distance;
    double start = 5.0;
  } cases[] = {
    {"pan a tenth of the width right", Pan, kW / 10, 0, -1.0, 0.0, 5.0},
    {"pan a tenth of the height down", Pan, 0, kH / 10, 0.0, 1.0, 5.0},
    {"pan the whole width right", Pan, kW, 0, -4.0, 0.0, 5.0},
    {"pan the whole height up", Pan, 0, -kH, 0.0, -4.0, 5.0},
    {"dolly a tenth of the height down", Dolly, 0, kH / 10, 0.0, 0.0, 3.0},
    {"dolly the whole height down", Dolly, 0, kH, 0.0, 0.0, 2.0},
    {"dolly the whole height up", Dolly, 0, -kH, 0.0, 0.0, 20.0},
    {"one notch forward", Wheel, 0, 120, 0.0, 0.0, 4.0},
    {"one notch back", Wheel, 0, -120, 0.0, 0.0, 6.0},
    {"two notches in one message", Wheel, 0, 240, 0.0, 0.0, 5.0},
    {"part of a notch", Wheel, 0, 60, 0.0, 0.0, 5.0},
    {"a notch forward at R", Wheel, 0, 120, 0.0, 0.0, 2.0, 2.0},
    {"a notch forward short of R", Wheel, 0, 120, 0.0, 0.0, 2.0, 2.5},
    {"a notch back at 10 R", Wheel, 0, -120, 0.0, 0.0, 20.0, 20.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Camera3D camera;
    camera.radius = 2.0;
    camera.distance = c.start;
    switch (c.move) {
    case Pan: PanCamera(camera, c.dx, c.dy, kW, kH); break;
    case Dolly: DollyCamera(camera, c.dy, kH); break;
    case Wheel: ZoomCameraByWheel(camera, c.dy); break;
    }
    EXPECT_DOUBLE_EQ(camera.panX, c.panX);
    EXPECT_DOUBLE_EQ(camera.panY, c.panY);
    EXPECT_DOUBLE_EQ(camera.distance, c.distance);
  }
}

}  // namespace
