#pragma once
// A regularised thin-plate spline through scattered samples of a height field over the
// (x, z) plane, and the dense LU solver beneath it. Single precision throughout, except the
// kernel r^2 ln r, which is evaluated in double and stored as float.
#include <boost/numeric/ublas/matrix.hpp>

#include <vector>

using FloatMatrix = boost::numeric::ublas::matrix<float>;

enum LUResult : int {
  kLUSolved = 0,
  kLUSingular = 1,
  kLUSizeMismatch = 2,  // B has not as many rows as the square A (or A is not square)
};

// Solves A * X = B in place by a left-looking LU decomposition with partial pivoting (the
// largest magnitude, the lowest row on equal magnitudes). On success B holds X and A its LU
// factors. An LUResult.
[[nodiscard]] int SolveLU(FloatMatrix& a, FloatMatrix& b);

// The spline through the samples (sampleX[i], sampleZ[i]) -> values[i], smoothed by lambda
// times the squared mean sample distance, evaluated at every query point in order. Empty
// when there are fewer than 3 samples, the lists disagree in length, the system is singular
// or a value comes out non-finite.
std::vector<float> FitThinPlateSpline(const std::vector<float>& sampleX, const std::vector<float>& sampleZ,
                                      const std::vector<float>& values, const std::vector<float>& queryX,
                                      const std::vector<float>& queryZ, float lambda);
