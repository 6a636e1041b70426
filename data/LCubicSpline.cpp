#include "data/LCubicSpline.h"

#include <cmath>

namespace {
constexpr int kJacobiSweeps = 10;
}

LCubicSpline::LCubicSpline(const std::vector<int>& u, const std::vector<int>& v, int n)
  : m_N(n), m_U(n), m_V(n), m_DU(n), m_DV(n), m_MU(n), m_MV(n), m_EU(n), m_EV(n), m_R(n),
    m_Lower(n), m_Main(n), m_Upper(n), m_Segments(n)
{
  for (int i = 0; i < n; ++i) {
    m_U[i] = static_cast<float>(u[i]);
    m_V[i] = static_cast<float>(v[i]);
  }
}

// Chords to the next point (around the ring when closed) and the ratios of their lengths.
void LCubicSpline::Chords(bool closed)
{
  const int chords = closed ? m_N : m_N - 1;
  for (int i = 0; i < chords; ++i) {
    const int next = (i + 1) % m_N;
    m_DU[i] = m_U[next] - m_U[i];
    m_DV[i] = m_V[next] - m_V[i];
  }
  const auto length = [this](int i) { return std::sqrt(m_DU[i] * m_DU[i] + m_DV[i] * m_DV[i]); };
  if (closed) {
    for (int i = 0; i < m_N; ++i)
      m_R[i] = length(i) / length((i + 1) % m_N);
  } else {
    for (int i = 0; i + 2 < m_N; ++i)
      m_R[i] = length(i) / length(i + 1);
    m_R[m_N - 2] = 1.0f;
  }
}

void LCubicSpline::SolveOpen()
{
  Chords(false);
  const int last = m_N - 1;
  m_Main[0] = 2.0f;
  m_Upper[0] = m_R[0];
  m_MU[0] = 3.0f * m_DU[0];
  m_MV[0] = 3.0f * m_DV[0];
  for (int i = 1; i < last; ++i) {
    const float r = m_R[i - 1];
    m_Lower[i] = 1.0f;
    m_Main[i] = 2.0f * r * (r + 1.0f);
    m_Upper[i] = r * r * m_R[i];
    m_MU[i] = 3.0f * (r * r * m_DU[i] + m_DU[i - 1]);
    m_MV[i] = 3.0f * (r * r * m_DV[i] + m_DV[i - 1]);
  }
  m_Lower[last] = 1.0f;
  m_Main[last] = 2.0f * m_R[last - 1];
  m_MU[last] = 3.0f * m_DU[last - 1];
  m_MV[last] = 3.0f * m_DV[last - 1];
  SolveTridiagonal(m_MU);
  SolveTridiagonal(m_MV);
  Segments(m_N - 1);
}

void LCubicSpline::SolveClosed()
{
  Chords(true);
  for (int i = 0; i < m_N; ++i) {
    const int previous = (i + m_N - 1) % m_N;
    const float r = m_R[previous];
    m_Lower[i] = 1.0f;
    m_Main[i] = 2.0f * r * (r + 1.0f);
    m_Upper[i] = r * r * m_R[i];
    m_MU[i] = 3.0f * (r * r * m_DU[i] + m_DU[previous]);
    m_MV[i] = 3.0f * (r * r * m_DV[i] + m_DV[previous]);
  }
  SolveCyclicTridiagonal(m_MU);
  SolveCyclicTridiagonal(m_MV);
  Segments(m_N);
}

// Segment i runs from point i along chord i, from tangent m_i to r_i * m_(i+1).
void LCubicSpline::Segments(int count)
{
  for (int i = 0; i < count; ++i) {
    const int next = (i + 1) % m_N;
    m_EU[i] = m_R[i] * m_MU[next];
    m_EV[i] = m_R[i] * m_MV[next];
    m_Segments[i].Set(m_DU[i], m_DV[i], m_MU[i], m_MV[i], m_EU[i], m_EV[i]);
  }
}

void LCubicSpline::SolveTridiagonal(std::vector<float>& rhs) const
{
  const int last = m_N - 1;
  std::vector<float> x(m_N), next(m_N);
  for (int i = 0; i < m_N; ++i)
    x[i] = rhs[i] / m_Main[i];
  for (int sweep = 0; sweep < kJacobiSweeps; ++sweep) {
    next[0] = (rhs[0] - m_Upper[0] * x[1]) / m_Main[0];
    for (int i = 1; i < last; ++i)
      next[i] = (rhs[i] - m_Lower[i] * x[i - 1] - m_Upper[i] * x[i + 1]) / m_Main[i];
    next[last] = (rhs[last] - m_Lower[last] * x[last - 1]) / m_Main[last];
    x.swap(next);
  }
  rhs = x;
}

void LCubicSpline::SolveCyclicTridiagonal(std::vector<float>& rhs) const
{
  std::vector<float> x(m_N), next(m_N);
  for (int i = 0; i < m_N; ++i)
    x[i] = rhs[i] / m_Main[i];
  for (int sweep = 0; sweep < kJacobiSweeps; ++sweep) {
    for (int i = 0; i < m_N; ++i) {
      const int previous = (i + m_N - 1) % m_N;
      const int following = (i + 1) % m_N;
      next[i] = (rhs[i] - m_Lower[i] * x[previous] - m_Upper[i] * x[following]) / m_Main[i];
    }
    x.swap(next);
  }
  rhs = x;
}

int LCubicSpline::CountPoints(int segments)
{
  int total = 0;
  for (int i = 0; i < segments; ++i)
    total += m_Segments[i].GetPointCount();
  return total;
}

int LCubicSpline::CountOpenPoints()
{
  return CountPoints(m_N - 1);
}

int LCubicSpline::CountClosedPoints()
{
  return CountPoints(m_N);
}

void LCubicSpline::Rasterise(int segments, std::vector<int>& u, std::vector<int>& v, int& index)
{
  for (int i = 0; i < segments; ++i)
    m_Segments[i].Rasterise(m_U[i], m_V[i], u, v, index);
}

void LCubicSpline::RasteriseOpen(std::vector<int>& u, std::vector<int>& v, int& index)
{
  Rasterise(m_N - 1, u, v, index);
}

void LCubicSpline::RasteriseClosed(std::vector<int>& u, std::vector<int>& v, int& index)
{
  Rasterise(m_N, u, v, index);
}
