#pragma once
// One cubic Hermite segment of a spline curve, rasterised to integer positions with about
// one point per four positions of its larger extent.
#include <vector>

class LHermiteSegment {
public:
  // Chord (end minus start) and the start and end tangents.
  void Set(float chordU, float chordV, float startU, float startV, float endU, float endV);
  // steps + 1 (a segment always has at least one step).
  int GetPointCount();
  // Writes GetPointCount() points from the start point into u and v at index, advancing it.
  // The first point is the start, the last exactly the end point.
  void Rasterise(float startU, float startV, std::vector<int>& u, std::vector<int>& v, int& index);

private:
  float m_ChordU = 0, m_ChordV = 0;
  float m_StartU = 0, m_StartV = 0;
  float m_EndU = 0, m_EndV = 0;
  int m_Steps = 0;
};
