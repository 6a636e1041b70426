#pragma once
// The camera and the rotation of the 3-D pane, and how the mouse moves them: the virtual
// trackball (left drag), pan (middle drag, or right drag with Shift), dolly (right drag) and
// the wheel. Window points are in pixels of a window of width W and height H, y downwards.
#include <array>

// The camera: R the largest half extent, the eye at (0, 0, distance) looking at
// (panX, panY, 0) with up (0, 1, 0), a perspective of 45 degrees vertical field of view.
struct Camera3D {
  double radius = 0.0;
  double distance = 0.0;
  double panX = 0.0;
  double panY = 0.0;
  double NearPlane() const { return 0.01 * radius; }
  double FarPlane() const { return 100.0 * radius; }
};

// The accumulated trackball rotation (OpenGL column order), the rotation of the last move of
// a drag, the trackball's previous and current vectors and the last mouse point.
struct Rotation3D {
  std::array<float, 16> accumulated{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  float pendingAngle = 0.0f;  // degrees
  std::array<float, 3> pendingAxis{};
  std::array<float, 3> previous{};
  std::array<float, 3> current{};
  int lastX = 0;
  int lastY = 0;
};

// The unit vector on the trackball's sphere over a window point; null for a window without
// pixels.
std::array<float, 3> TrackballVector(int x, int y, int width, int height);

// A left press: the drag that may follow rotates from this point.
void BeginTrackball(Rotation3D& rotation, int x, int y, int width, int height);

// A left drag's move: the rotation from the previous vector to the point's, 90 degrees per
// unit of their distance about their cross product, is folded in front of the accumulated
// rotation at once, so that a repaint for another reason (or none at all) neither repeats
// nor loses a move.
void RotateTrackball(Rotation3D& rotation, int x, int y, int width, int height);

// The accumulated rotation after the pending rotation in front of it, as glRotatef followed by
// glMultMatrixf of the accumulated rotation composes them. An axis of no length turns nothing.
std::array<float, 16> RotatedInFront(const std::array<float, 16>& accumulated, float angleDegrees,
                                     const std::array<float, 3>& axis);

// A middle drag (or right drag with Shift) by (dx, dy) pixels, x rightwards, y downwards: the
// point looked at moves against the drag, 5 R per window width or height, within +-2 R.
void PanCamera(Camera3D& camera, int dx, int dy, int width, int height);
// A right drag by dy pixels downwards brings the camera nearer, 10 R per window height,
// within R to 10 R.
void DollyCamera(Camera3D& camera, int dy, int height);
// One wheel notch (a delta of exactly +120 or -120) moves the camera 0.5 R nearer or farther,
// within R to 10 R; other deltas leave the distance.
void ZoomCameraByWheel(Camera3D& camera, int delta);
