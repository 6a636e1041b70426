#include "SurfaceFitOracle.h"

#include "panes/ThinPlateSpline.h"

#include <gtest/gtest.h>
#include <random>

namespace {

FloatMatrix MatrixOf(size_t rows, size_t cols, const std::vector<float>& values)
{
  FloatMatrix m(rows, cols);
  for (size_t r = 0; r < rows; ++r)
    for (size_t c = 0; c < cols; ++c)
      m(r, c) = values[r * cols + c];
  return m;
}

std::vector<float> ValuesOf(const FloatMatrix& m)
{
  std::vector<float> v;
  for (size_t r = 0; r < m.size1(); ++r)
    for (size_t c = 0; c < m.size2(); ++c)
      v.push_back(m(r, c));
  return v;
}

}  // namespace

TEST(SolveLU, SmallSystemsByTheirOutcome)
{
  const struct {
    const char* what;
    size_t rows;
    std::vector<float> a;
    size_t rowsB;
    std::vector<float> b;
    int result;
    std::vector<float> solution;  // B afterwards
    std::vector<float> factors;   // A afterwards; empty: not checked
  } kCases[] = {
      {"zero on the diagonal: solved after a swap", 2, {0, 1, 1, 0}, 2, {3, 5}, kLUSolved, {5, 3}, {1, 0, 0, 1}},
      // Equal magnitudes pivot on the lower index: no swap, L21 = 1, U22 = 3 - 2.
      {"equal pivots take the first row", 2, {1, 2, 1, 3}, 2, {4, 5}, kLUSolved, {2, 1}, {1, 2, 1, 1}},
      {"a zero column", 2, {1, 0, 2, 0}, 2, {1, 1}, kLUSingular, {1, 1}, {}},
      {"B with a row too many", 2, {1, 0, 0, 1}, 3, {1, 2, 3}, kLUSizeMismatch, {1, 2, 3}, {1, 0, 0, 1}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    FloatMatrix a = MatrixOf(c.rows, c.rows, c.a);
    FloatMatrix b = MatrixOf(c.rowsB, 1, c.b);
    EXPECT_EQ(SolveLU(a, b), c.result);
    if (c.result != kLUSingular) {
      EXPECT_EQ(ValuesOf(b), c.solution);
    }
    if (!c.factors.empty()) {
      EXPECT_EQ(ValuesOf(a), c.factors);
    }
  }
  FloatMatrix wide(2, 3);
  FloatMatrix b(2, 1);
  EXPECT_EQ(SolveLU(wide, b), kLUSizeMismatch);
}

TEST(SolveLU, MatchesNumpyOnRandomSystems)
{
  std::mt19937 random(7);
  std::uniform_real_distribution<float> value(-4.0f, 4.0f);
  std::vector<std::string> cases;
  std::vector<std::pair<FloatMatrix, FloatMatrix>> systems;
  for (size_t m : {9u, 12u}) {
    std::vector<float> a(m * m), b(m * 2);
    for (float& v : a)
      v = value(random);
    for (float& v : b)
      v = value(random);
    systems.emplace_back(MatrixOf(m, m, a), MatrixOf(m, 2, b));
    std::string line = "lu " + std::to_string(m) + " 2";
    AppendNumbers(line, a);
    AppendNumbers(line, b);
    cases.push_back(line);
  }
  const auto expected = RunSurfaceFitOracle(cases);
  for (size_t i = 0; i < systems.size(); ++i) {
    auto& [a, b] = systems[i];
    ASSERT_EQ(SolveLU(a, b), kLUSolved);
    const std::vector<float> x = ValuesOf(b);
    ASSERT_EQ(x.size(), expected[i].size());
    for (size_t k = 0; k < x.size(); ++k)
      EXPECT_NEAR(x[k], expected[i][k], 1e-3 * std::max(1.0, std::abs(expected[i][k]))) << "entry " << k;
  }
}

namespace {

struct FitCase {
  const char* what;
  std::vector<float> x, z, v;
};

}  // namespace

TEST(FitThinPlateSpline, MatchesScipyThinPlateInterpolation)
{
  const FitCase kCases[] = {
      // A 3 x 3 stencil in mm with one point pulled far up.
      {"stencil", {0.0f, 0.04f, 0.08f, 0.0f, 0.04f, 0.08f, 0.0f, 0.04f, 0.08f},
       {0.0f, 0.0f, 0.0f, 0.1f, 0.1f, 0.1f, 0.2f, 0.2f, 0.2f},
       {10, 11, 12, 11, 20, 13, 12, 13, 14}},
      // One B-scan: two rows of samples one unit apart.
      {"two rows", {0.0f, 0.05f, 0.1f, 0.0f, 0.05f, 0.1f}, {0, 0, 0, 1, 1, 1}, {5, 2, 7, 5, 2, 7}},
      // A stencil clamped at the edge repeats its samples.
      {"repeated samples", {0.0f, 0.0f, 0.03f, 0.0f, 0.0f, 0.03f, 0.0f, 0.0f, 0.03f},
       {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.2f, 0.2f, 0.2f},
       {3, 3, 4, 3, 3, 4, 6, 6, 8}},
  };
  std::vector<std::string> lines;
  std::vector<float> qx, qz;
  for (int i = 0; i <= 6; ++i)
    for (int j = 0; j <= 4; ++j) {
      qx.push_back(0.015f * float(i));
      qz.push_back(0.05f * float(j));
    }
  for (const FitCase& c : kCases) {
    std::string line = "tps " + std::to_string(c.x.size()) + " " + std::to_string(qx.size()) + " 0.01";
    for (size_t i = 0; i < c.x.size(); ++i)
      AppendNumbers(line, std::vector<float>{c.x[i], c.z[i], c.v[i]});
    for (size_t q = 0; q < qx.size(); ++q)
      AppendNumbers(line, std::vector<float>{qx[q], qz[q]});
    lines.push_back(line);
  }
  const auto expected = RunSurfaceFitOracle(lines);
  for (size_t i = 0; i < std::size(kCases); ++i) {
    SCOPED_TRACE(kCases[i].what);
    const std::vector<float> fitted = FitThinPlateSpline(kCases[i].x, kCases[i].z, kCases[i].v, qx, qz, 0.01f);
    ASSERT_EQ(fitted.size(), expected[i].size());
    for (size_t q = 0; q < fitted.size(); ++q)
      EXPECT_NEAR(fitted[q], expected[i][q], 2e-3) << "query " << q;
  }
}

TEST(FitThinPlateSpline, NoFitIsEmpty)
{
  const std::vector<float> q = {0.5f};
  const struct {
    const char* what;
    std::vector<float> x, z, v;
  } kCases[] = {
      {"two samples", {0, 1}, {0, 1}, {1, 2}},
      // All samples on one line: the linear part has no solution across it.
      {"samples in a line", {0, 1, 2, 3}, {0, 0, 0, 0}, {1, 2, 3, 4}},
      {"lists of different lengths", {0, 1, 0}, {0, 0, 1}, {1, 2}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_TRUE(FitThinPlateSpline(c.x, c.z, c.v, q, q, 0.01f).empty());
  }
}
