#include "panes/Trackball.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

float Length(const std::array<float, 3>& v)
{
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

}  // namespace

std::array<float, 3> TrackballVector(int x, int y, int width, int height)
{
  if (width <= 0 || height <= 0)
    return {0.0f, 0.0f, 0.0f};
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  std::array<float, 3> v;
  v[0] = (2.0f * static_cast<float>(x) - w) / w;
  v[1] = (h - 2.0f * static_cast<float>(y)) / h;
  const float d = std::sqrt(v[0] * v[0] + v[1] * v[1]);
  v[2] = static_cast<float>(std::cos(static_cast<double>(std::min(d, 1.0f)) * kPi / 2.0));
  const float length = Length(v);
  for (float& c : v)
    c /= length;
  return v;
}

void BeginTrackball(Rotation3D& rotation, int x, int y, int width, int height)
{
  rotation.lastX = x;
  rotation.lastY = y;
  rotation.previous = TrackballVector(x, y, width, height);
}

void RotateTrackball(Rotation3D& rotation, int x, int y, int width, int height)
{
  const std::array<float, 3>& p = rotation.previous;
  const std::array<float, 3> c = TrackballVector(x, y, width, height);
  const std::array<float, 3> difference = {c[0] - p[0], c[1] - p[1], c[2] - p[2]};
  rotation.current = c;
  rotation.pendingAngle = 90.0f * Length(difference);
  rotation.pendingAxis = {p[1] * c[2] - p[2] * c[1], p[2] * c[0] - p[0] * c[2], p[0] * c[1] - p[1] * c[0]};
  rotation.accumulated = RotatedInFront(rotation.accumulated, rotation.pendingAngle, rotation.pendingAxis);
  rotation.previous = c;
  rotation.lastX = x;
  rotation.lastY = y;
}

std::array<float, 16> RotatedInFront(const std::array<float, 16>& accumulated, float angleDegrees,
                                     const std::array<float, 3>& axis)
{
  const float length = Length(axis);
  if (!(length > 1.0e-4f) || angleDegrees == 0.0f)
    return accumulated;
  const float x = axis[0] / length;
  const float y = axis[1] / length;
  const float z = axis[2] / length;
  const double radians = static_cast<double>(angleDegrees) * kPi / 180.0;
  const float s = static_cast<float>(std::sin(radians));
  const float c = static_cast<float>(std::cos(radians));
  const float t = 1.0f - c;
  // Row-major r[row][column] of the rotation about the unit axis.
  const float r[3][3] = {{x * x * t + c, x * y * t - z * s, x * z * t + y * s},
                         {y * x * t + z * s, y * y * t + c, y * z * t - x * s},
                         {x * z * t - y * s, y * z * t + x * s, z * z * t + c}};
  // Column order: element (row, column) at column * 4 + row.
  std::array<float, 16> product = accumulated;
  for (int column = 0; column < 4; ++column)
    for (int row = 0; row < 3; ++row)
      product[static_cast<size_t>(column * 4 + row)] = r[row][0] * accumulated[static_cast<size_t>(column * 4)] +
                                                       r[row][1] * accumulated[static_cast<size_t>(column * 4 + 1)] +
                                                       r[row][2] * accumulated[static_cast<size_t>(column * 4 + 2)];
  return product;
}

void PanCamera(Camera3D& camera, int dx, int dy, int width, int height)
{
  if (width <= 0 || height <= 0)
    return;
  const double r = camera.radius;
  camera.panX -= static_cast<double>(static_cast<float>(dx)) * r / width * 5.0;
  camera.panY -= static_cast<double>(static_cast<float>(-dy)) * r / height * 5.0;
  camera.panX = std::clamp(camera.panX, -2.0 * r, 2.0 * r);
  camera.panY = std::clamp(camera.panY, -2.0 * r, 2.0 * r);
}

void DollyCamera(Camera3D& camera, int dy, int height)
{
  if (height <= 0)
    return;
  const double r = camera.radius;
  camera.distance -= static_cast<double>(static_cast<float>(dy)) * r / height * 10.0;
  camera.distance = std::clamp(camera.distance, r, 10.0 * r);
}

void ZoomCameraByWheel(Camera3D& camera, int delta)
{
  const double r = camera.radius;
  if (delta == 120)
    camera.distance -= 0.5 * r;
  else if (delta == -120)
    camera.distance += 0.5 * r;
  camera.distance = std::clamp(camera.distance, r, 10.0 * r);
}
