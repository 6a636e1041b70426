#include "data/AngleArc.h"

#include <cmath>

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

// A boundary of exactly 90 or 270 degrees would be a vertical line of infinite slope; it is
// turned a thousandth of a degree counter-clockwise. A point straight above the centre
// therefore lies on an arc that ends at 90 but not on one that starts there.
float AvoidVertical(float degrees)
{
  if (degrees == 90.0f)
    return 90.001f;
  if (degrees == 270.0f)
    return 270.001f;
  return degrees;
}

// A boundary at exactly 180 degrees is the horizontal axis itself. Its single-precision
// tangent would tilt it, and an arc from 0 to 180 would then lose its own start, the
// axis right of the centre.
float Slope(float degrees)
{
  return degrees == 180.0f ? 0.0f : std::tan(-degrees * kDegreesToRadians);
}

// The horizontal axis as the 180-degree line: tan(-pi) in single precision is about
// -8.74e-8, not 0, which tells the two halves of the axis apart.
float TiltedAxisSlope()
{
  static const float slope = std::tan(-3.1415927f);
  return slope;
}

int StartQuadrant(float s)
{
  if (s >= 0.0f && s <= 90.0f)
    return 0;
  if (s > 90.0f && s < 180.0f)
    return 1;
  if (s >= 180.0f && s <= 270.0f)
    return 2;
  if (s > 270.0f && s < 360.0f)
    return 3;
  return -1;
}

int EndQuadrant(float t)
{
  if (t >= 0.0f && t <= 90.0f)
    return 0;
  if (t > 90.0f && t <= 180.0f)
    return 1;
  if (t > 180.0f && t <= 270.0f)
    return 2;
  if (t > 270.0f && t <= 360.0f)
    return 3;
  return -1;
}

}  // namespace

float ReduceAngle(float degrees)
{
  float reduced = std::fmod(degrees, 360.0f);  // exact, with the sign of degrees
  if (reduced < 0.0f)
    reduced += 360.0f;
  // A tiny negative angle rounds to 360 when 360 is added.
  return reduced >= 360.0f ? 0.0f : reduced;
}

AngleArc::AngleArc(float startDegrees, float endDegrees)
{
  const float s = AvoidVertical(startDegrees);
  const float t = AvoidVertical(endDegrees);
  m_Whole = s == t;
  m_StartQuadrant = StartQuadrant(s);
  m_EndQuadrant = EndQuadrant(t);
  m_StartNotAfterEnd = s <= t;
  m_EndAtZero = t == 0.0f;
  m_StartSlope = Slope(s);
  m_EndSlope = Slope(t);
}

bool AngleArc::Contains(float xMm, float zMm) const
{
  if (m_Whole)
    return true;
  if (m_StartQuadrant < 0 || m_EndQuadrant < 0)
    return false;

  // "Up" is on or above a line (towards smaller z), "down" on or below it.
  const float startLine = m_StartSlope * xMm;
  const float endLine = m_EndSlope * xMm;
  const float tiltedAxis = TiltedAxisSlope() * xMm;
  const bool sUp = zMm <= startLine, sDown = zMm >= startLine;
  const bool tUp = zMm <= endLine, tDown = zMm >= endLine;
  const bool up0 = zMm <= 0.0f, down0 = zMm >= 0.0f;
  const bool up180 = zMm <= tiltedAxis, down180 = zMm >= tiltedAxis;

  // The counter-clockwise arc from start to end as half-planes, split at the horizontal
  // axis where the arc crosses it.
  switch (m_StartQuadrant * 4 + m_EndQuadrant) {
  case 0 * 4 + 0:
    return m_StartNotAfterEnd ? sUp && tDown
                              : (sUp && up180) || (down180 && down0) || (up0 && tDown);
  case 0 * 4 + 1: return sUp && tUp;
  case 0 * 4 + 2: return (sUp && up180) || (down180 && tUp);
  case 0 * 4 + 3: return (sUp && up180) || (down180 && tDown);
  case 1 * 4 + 0: return (sDown && up180) || (down180 && down0) || (up0 && tDown);
  case 1 * 4 + 1:
    return m_StartNotAfterEnd ? sDown && tUp
                              : (sDown && up180) || (down180 && down0) || (up0 && tUp);
  case 1 * 4 + 2: return (sDown && up180) || (down180 && tUp);
  case 1 * 4 + 3: return (sDown && up180) || (down180 && tDown);
  // An arc from the lower left to exactly 0 degrees ends on the right half of the axis;
  // "on or above 0 and on or below the end" would take the left half as well.
  case 2 * 4 + 0: return (sDown && down0) || (!m_EndAtZero && up0 && tDown);
  case 2 * 4 + 1: return (sDown && down0) || (up0 && tUp);
  case 2 * 4 + 2:
    return m_StartNotAfterEnd ? sDown && tUp
                              : (sDown && down0) || (up0 && up180) || (down180 && tUp);
  case 2 * 4 + 3: return sDown && tDown;
  case 3 * 4 + 0: return (sUp && down0) || (!m_EndAtZero && up0 && tDown);
  case 3 * 4 + 1: return (sUp && down0) || (up0 && tUp);
  case 3 * 4 + 2: return (sUp && down0) || (up0 && up180) || (down180 && tUp);
  case 3 * 4 + 3:
    return m_StartNotAfterEnd ? sUp && tDown
                              : (sUp && down0) || (up0 && up180) || (down180 && tDown);
  default: return false;
  }
}
