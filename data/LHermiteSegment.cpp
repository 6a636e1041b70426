#include "data/LHermiteSegment.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

void LHermiteSegment::Set(float chordU, float chordV, float startU, float startV, float endU, float endV)
{
  m_ChordU = chordU;
  m_ChordV = chordV;
  m_StartU = startU;
  m_StartV = startV;
  m_EndU = endU;
  m_EndV = endV;
  const int extent = std::max(std::abs(static_cast<int>(chordU)), std::abs(static_cast<int>(chordV)));
  m_Steps = static_cast<int>(static_cast<double>(extent) * 0.25);
}

int LHermiteSegment::GetPointCount()
{
  if (m_Steps == 0)
    m_Steps = 1;
  return m_Steps + 1;
}

void LHermiteSegment::Rasterise(float startU, float startV, std::vector<int>& u, std::vector<int>& v, int& index)
{
  const int count = GetPointCount();
  u[index] = static_cast<int>(startU);
  v[index] = static_cast<int>(startV);
  ++index;
  const double step = 1.0 / m_Steps;
  for (int k = 1; k < count; ++k) {
    // The last step lands exactly on the end point, so that the next segment (which starts
    // there) and a closed curve's return to its first point join without a gap.
    const double g = (k == m_Steps) ? 1.0 : step * k;
    const double h = (3.0 - 2.0 * g) * g * g;
    const double l = g - 1.0;
    const double t0 = l * g * l;
    const double t1 = g * g * l;
    u[index] = static_cast<int>(startU + h * m_ChordU + t0 * m_StartU + t1 * m_EndU);
    v[index] = static_cast<int>(startV + h * m_ChordV + t0 * m_StartV + t1 * m_EndV);
    ++index;
  }
}
