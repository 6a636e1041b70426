#include "panes/ThinPlateSpline.h"

#include <algorithm>
#include <cmath>

namespace {

// U(r) = r^2 ln r, U(0) = 0.
float Kernel(float r)
{
  if (!(r > 0.0f))
    return 0.0f;
  const double d = r;
  return static_cast<float>(d * d * std::log(d));
}

float Distance(float x0, float z0, float x1, float z1)
{
  const float dx = x0 - x1;
  const float dz = z0 - z1;
  return std::sqrt(dx * dx + dz * dz);
}

void SwapRows(FloatMatrix& a, size_t r0, size_t r1)
{
  for (size_t c = 0; c < a.size2(); ++c)
    std::swap(a(r0, c), a(r1, c));
}

// Column j of the left-looking decomposition: eliminate with the columns before it, pick the
// pivot row, scale the part below the diagonal.
void DecomposeColumn(FloatMatrix& a, size_t j, std::vector<size_t>& pivots)
{
  const size_t m = a.size1();
  for (size_t i = 0; i < m; ++i) {
    float sum = 0.0f;
    for (size_t t = 0; t < std::min(i, j); ++t)
      sum += a(i, t) * a(t, j);
    a(i, j) -= sum;
  }
  size_t q = j;
  for (size_t i = j + 1; i < m; ++i)
    if (std::fabs(a(i, j)) > std::fabs(a(q, j)))
      q = i;
  if (q != j) {
    SwapRows(a, q, j);
    std::swap(pivots[q], pivots[j]);
  }
  if (a(j, j) != 0.0f)
    for (size_t i = j + 1; i < m; ++i)
      a(i, j) /= a(j, j);
}

}  // namespace

int SolveLU(FloatMatrix& a, FloatMatrix& b)
{
  const size_t m = a.size1();
  if (a.size2() != m || b.size1() != m)
    return kLUSizeMismatch;
  std::vector<size_t> pivots(m);
  for (size_t i = 0; i < m; ++i)
    pivots[i] = i;
  for (size_t j = 0; j < m; ++j)
    DecomposeColumn(a, j, pivots);
  for (size_t j = 0; j < m; ++j)
    if (a(j, j) == 0.0f)
      return kLUSingular;

  const FloatMatrix given = b;
  for (size_t i = 0; i < m; ++i)
    for (size_t c = 0; c < b.size2(); ++c)
      b(i, c) = given(pivots[i], c);
  for (size_t k = 0; k < m; ++k)
    for (size_t i = k + 1; i < m; ++i)
      for (size_t c = 0; c < b.size2(); ++c)
        b(i, c) -= a(i, k) * b(k, c);
  for (size_t k = m; k-- > 0;) {
    const float inverse = 1.0f / a(k, k);
    for (size_t c = 0; c < b.size2(); ++c)
      b(k, c) *= inverse;
    for (size_t i = 0; i < k; ++i)
      for (size_t c = 0; c < b.size2(); ++c)
        b(i, c) -= a(i, k) * b(k, c);
  }
  return kLUSolved;
}

std::vector<float> FitThinPlateSpline(const std::vector<float>& sampleX, const std::vector<float>& sampleZ,
                                      const std::vector<float>& values, const std::vector<float>& queryX,
                                      const std::vector<float>& queryZ, float lambda)
{
  const size_t n = sampleX.size();
  if (n < 3 || sampleZ.size() != n || values.size() != n || queryZ.size() != queryX.size())
    return {};

  FloatMatrix l(n + 3, n + 3);
  l.clear();
  float distanceSum = 0.0f;
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 1; j < n; ++j) {
      const float r = Distance(sampleX[i], sampleZ[i], sampleX[j], sampleZ[j]);
      l(i, j) = l(j, i) = Kernel(r);
      distanceSum += 2.0f * r;
    }
  // The mean over all n^2 ordered pairs, each point's zero distance to itself included.
  const float alpha = distanceSum / static_cast<float>(n * n);
  FloatMatrix b(n + 3, 1);
  b.clear();
  for (size_t i = 0; i < n; ++i) {
    l(i, i) = alpha * alpha * lambda;
    l(i, n) = l(n, i) = 1.0f;
    l(i, n + 1) = l(n + 1, i) = sampleX[i];
    l(i, n + 2) = l(n + 2, i) = sampleZ[i];
    b(i, 0) = values[i];
  }
  if (SolveLU(l, b) != kLUSolved)
    return {};

  std::vector<float> fitted;
  fitted.reserve(queryX.size());
  for (size_t q = 0; q < queryX.size(); ++q) {
    float f = b(n, 0) + b(n + 1, 0) * queryX[q] + b(n + 2, 0) * queryZ[q];
    for (size_t i = 0; i < n; ++i)
      f += b(i, 0) * Kernel(Distance(sampleX[i], sampleZ[i], queryX[q], queryZ[q]));
    // A nearly singular system can come out as infinities: such a fit is no fit.
    if (!std::isfinite(f))
      return {};
    fitted.push_back(f);
  }
  return fitted;
}
