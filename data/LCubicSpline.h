#pragma once
// A cubic spline through n >= 2 points, parameterised per segment and tied together by the
// ratios of consecutive chord lengths (natural ends when open, cyclic when closed). The
// tangents are ten Jacobi sweeps of the tridiagonal system, which is what every curve of
// the program has always been drawn with.
#include "data/LHermiteSegment.h"

#include <vector>

class LCubicSpline {
public:
  LCubicSpline(const std::vector<int>& u, const std::vector<int>& v, int n);

  void SolveOpen();
  void SolveClosed();
  int CountOpenPoints();
  int CountClosedPoints();
  void RasteriseOpen(std::vector<int>& u, std::vector<int>& v, int& index);
  void RasteriseClosed(std::vector<int>& u, std::vector<int>& v, int& index);

  // Ten Jacobi sweeps on the system held in lower/main/upper; rhs becomes the solution.
  void SolveTridiagonal(std::vector<float>& rhs) const;
  void SolveCyclicTridiagonal(std::vector<float>& rhs) const;

private:
  void Chords(bool closed);
  void Segments(int count);
  int CountPoints(int segments);
  void Rasterise(int segments, std::vector<int>& u, std::vector<int>& v, int& index);

  int m_N;
  std::vector<float> m_U, m_V;          // points
  std::vector<float> m_DU, m_DV;        // chords
  std::vector<float> m_MU, m_MV;        // right-hand sides, then start tangents
  std::vector<float> m_EU, m_EV;        // end tangents
  std::vector<float> m_R;               // chord-length ratios
  std::vector<float> m_Lower, m_Main, m_Upper;
  std::vector<LHermiteSegment> m_Segments;
};
