#pragma once
// The angular part of a ring sector: the arc that runs counter-clockwise from a start angle
// to an end angle, both ends included. Angles are in degrees from the +x direction, with
// 90 degrees pointing to smaller z (up in the en-face image, since z grows downward).
//
// Directions are tested with half-planes bounded by lines through the centre, in single
// precision, and the arc is split at the horizontal axis where it crosses it. The axis is
// used in two forms: exactly horizontal (0 degrees) and with the slight tilt that tan(-pi)
// has in single precision (180 degrees), so that a point on the axis left of the centre
// lies above the 180 line and one right of it lies below.

class AngleArc {
public:
  // Angles already reduced into [0, 360) (see ReduceAngle). Equal angles give the whole
  // circle; an angle that is not a number selects nothing.
  AngleArc(float startDegrees, float endDegrees);

  // Whether the direction of the point (xMm, zMm), an offset from the centre in
  // millimetres, lies on the arc.
  bool Contains(float xMm, float zMm) const;

private:
  bool m_Whole = false;
  int m_StartQuadrant = -1;  // -1: no quadrant, the arc selects nothing
  int m_EndQuadrant = -1;
  bool m_StartNotAfterEnd = true;
  bool m_EndAtZero = false;
  float m_StartSlope = 0.0f;
  float m_EndSlope = 0.0f;
};

// Reduces an angle into [0, 360): 370 gives 10, -30 gives 330, 720 and -360 give 0. A
// reduced angle reduces to itself, so normalising stored angles twice changes nothing.
float ReduceAngle(float degrees);
