#include "data/AngleArc.h"
#include "data/LGridMap.h"
#include "data/SectorGeometry.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// The exact rule: the direction lies on the counter-clockwise arc from s to t, ends
// included, except that an arc does not own a start at 90 or 270 degrees (the arc that
// ends there does).
bool OnArc(double theta, double s, double t)
{
  if (s == t)
    return true;
  if (theta == s && (s == 90 || s == 270))
    return false;
  const double along = std::fmod(theta - s + 720.0, 360.0);
  const double span = std::fmod(t - s + 720.0, 360.0);
  return along <= span;
}

TEST(AngleArc, EveryQuadrantPairAgreesWithTheExactArc)
{
  // One arc for every row of the half-plane table, plus arcs ending on the axes.
  const struct { float s, t; } arcs[] = {
    {10, 80},   {80, 10},   {30, 150},  {30, 200},  {30, 300},  {120, 30},  {100, 170},
    {170, 100}, {120, 250}, {120, 300}, {200, 60},  {225, 0},   {200, 120}, {190, 260},
    {260, 190}, {200, 300}, {300, 60},  {315, 0},   {300, 120}, {300, 200}, {280, 350},
    {350, 280}, {0, 90},    {90, 180},  {180, 270}, {270, 0},   {45, 45},   {0, 180},
    {180, 0},   {90, 270},  {270, 90}};
  for (const auto& a : arcs) {
    SCOPED_TRACE(std::to_string(a.s) + " to " + std::to_string(a.t));
    const AngleArc arc(a.s, a.t);
    std::vector<double> directions = {0, 90, 180, 270};
    for (int k = 0; k < 360; ++k)
      directions.push_back(k + 0.5);
    for (double theta : directions) {
      // z grows downward, so a direction of theta has z = -sin(theta).
      const bool axis = std::fmod(theta, 90.0) == 0.0;
      const float x = axis ? static_cast<float>(std::lround(std::cos(theta * kPi / 180)))
                           : static_cast<float>(2.0 * std::cos(theta * kPi / 180));
      const float z = axis ? static_cast<float>(-std::lround(std::sin(theta * kPi / 180)))
                           : static_cast<float>(-2.0 * std::sin(theta * kPi / 180));
      EXPECT_EQ(arc.Contains(x, z), OnArc(theta, a.s, a.t)) << "direction " << theta;
    }
  }
}

TEST(AngleArc, ReduceAngleIsIdempotent)
{
  const struct { float in, out; } cases[] = {
    {370, 10}, {-30, 330}, {720, 0}, {-360, 0}, {360, 0}, {-45, 315}, {400, 40},
    {359.5f, 359.5f}, {-1e-6f, 0}, {0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(ReduceAngle(c.in), c.out);
    EXPECT_EQ(ReduceAngle(ReduceAngle(c.in)), c.out);
  }
  EXPECT_TRUE(std::isnan(ReduceAngle(NAN)));
}

// One ring sector of a circle grid, held like an LGrid holds it.
struct Circle {
  std::vector<float> from, to, start, end;
  std::vector<std::string> labels;
  void Add(float f, float t, float s, float e)
  {
    from.push_back(f);
    to.push_back(t);
    start.push_back(s);
    end.push_back(e);
    labels.push_back("NA");
  }
};

struct Map {
  static constexpr int kWidth = 200, kHeight = 60, kCx = 100, kCz = 30;
  LGridMap map;
  explicit Map(float sx = 0.0117f, float sz = 0.047f)
  {
    map.SetSize(kWidth, kHeight);
    map.SetSpacing(sx, 0.0039f, sz);
    map.SetCenter(kCx, kCz);
  }
  void Compute(Circle& c)
  {
    map.SetGridCircles(static_cast<int>(c.from.size()), c.labels.data(), c.from.data(),
                       c.to.data(), c.start.data(), c.end.data());
    map.Compute();
  }
  int At(int dx, int dz) const { return map.LabelImage()[(kCx + dx) + kWidth * (kCz + dz)]; }
  std::vector<uint16_t> Labels() const
  {
    return std::vector<uint16_t>(map.LabelImage(), map.LabelImage() + kWidth * kHeight);
  }
};

TEST(GridMap, DiscAtRealisticSpacingIsAnEllipseInPositions)
{
  Map m;
  Circle c;
  c.Add(0.0f, 0.5f, 0, 0);
  m.Compute(c);
  // 0.5 / 0.0117 = 42.7 positions across, 0.5 / 0.047 = 10.6 down.
  EXPECT_EQ(m.At(0, 0), 1) << "the centre belongs to a disc";
  EXPECT_EQ(m.At(42, 0), 1);
  EXPECT_EQ(m.At(-42, 0), 1);
  EXPECT_EQ(m.At(43, 0), 0);
  EXPECT_EQ(m.At(-43, 0), 0);
  EXPECT_EQ(m.At(0, 10), 1);
  EXPECT_EQ(m.At(0, -10), 1);
  EXPECT_EQ(m.At(0, 11), 0);
  EXPECT_EQ(m.At(0, -11), 0);
}

TEST(GridMap, QuarterFromZeroToNinetyIsUpperRight)
{
  Map m;
  Circle c;
  c.Add(0.2f, 0.5f, 0, 90);
  m.Compute(c);
  for (int dz = -Map::kCz; dz < Map::kHeight - Map::kCz; ++dz)
    for (int dx = -Map::kCx; dx < Map::kWidth - Map::kCx; ++dx) {
      const float x = dx * 0.0117f, z = dz * 0.047f;
      const float e = x * x / 0.25f + z * z / 0.25f;
      const bool inRing = e <= 1.0f && e >= 0.16f;
      if (std::fabs(e - 1.0f) < 1e-3f || std::fabs(e - 0.16f) < 1e-3f)
        continue;
      ASSERT_EQ(m.At(dx, dz), inRing && dx >= 0 && dz <= 0 ? 1 : 0) << dx << "," << dz;
    }
}

TEST(GridMap, CallersAnglesAndRadiiAreNormalisedOnce)
{
  Map m;
  Circle c;
  c.Add(2.0f, 1.0f, -45, 400);
  c.Add(0.0f, 0.3f, -360, 90);
  c.Add(0.0f, 0.3f, 720, -30);
  m.Compute(c);
  EXPECT_EQ(c.from, (std::vector<float>{1.0f, 0.0f, 0.0f}));
  EXPECT_EQ(c.to, (std::vector<float>{2.0f, 0.3f, 0.3f}));
  EXPECT_EQ(c.start, (std::vector<float>{315, 0, 0}));
  EXPECT_EQ(c.end, (std::vector<float>{40, 90, 330}));

  // The same grid computed again (the arrays now normalised) gives the same sectors.
  const std::vector<uint16_t> first = m.Labels();
  m.map.SetSize(Map::kWidth, Map::kHeight);
  m.Compute(c);
  EXPECT_EQ(m.Labels(), first);
  EXPECT_EQ(m.At(5, -2), 3) << "a start angle of -360 selects from 0 degrees on";
}

// Sectors sharing boundaries, at spacings where the boundary points are exact: the
// ETDRS layout with 0.5, 1.5 and 3.0 mm at 4, 12 and 24 positions across, 2, 6 and 12 down.
TEST(GridMap, BoundaryPositionsBelongToTheLaterSector)
{
  Map m(0.125f, 0.25f);
  Circle c;
  c.Add(0.0f, 0.5f, 0, 0);  // 1 centre
  for (float r : {0.5f, 1.5f})
    for (float a : {45.0f, 135.0f, 225.0f, 315.0f})
      c.Add(r, r == 0.5f ? 1.5f : 3.0f, a, a + 90.0f);  // 2-5 inner, 6-9 outer
  m.Compute(c);
  const struct { int dx, dz, label; const char* what; } cases[] = {
    {0, 0, 1, "centre"},
    {3, 0, 1, "inside the centre disc"},
    {4, 0, 5, "0.5 mm to the right: inner right"},
    {0, -2, 2, "0.5 mm up: inner superior"},
    {-4, 0, 3, "0.5 mm left: inner left"},
    {0, 2, 4, "0.5 mm down: inner inferior"},
    {12, 0, 9, "1.5 mm to the right: outer right"},
    {24, 0, 9, "3.0 mm to the right"},
    {25, 0, 0, "beyond 3.0 mm"},
    {0, -12, 6, "3.0 mm up"},
    {0, -13, 0, "beyond 3.0 mm up"},
    {4, -2, 5, "45 degrees: inner right (315 to 45) is later than inner superior"},
    {-4, -2, 3, "135 degrees: left is later than superior"},
    {-4, 2, 4, "225 degrees: inferior is later than left"},
    {4, 2, 5, "315 degrees: right is later than inferior"},
    {10, -5, 9, "45 degrees in the outer ring"},
    {-10, -5, 7, "135 degrees in the outer ring"},
    {-10, 5, 8, "225 degrees in the outer ring"},
    {10, 5, 9, "315 degrees in the outer ring"},
    {5, -2, 5, "38.7 degrees"},
    {4, -3, 2, "56.3 degrees"}};
  for (const auto& k : cases)
    EXPECT_EQ(m.At(k.dx, k.dz), k.label) << k.what;
}

TEST(GridMap, StraightUpBelongsToTheSectorEndingAtNinety)
{
  for (bool endsThere : {true, false}) {
    Map m;
    Circle c;
    c.Add(0.1f, 0.5f, endsThere ? 0.0f : 90.0f, endsThere ? 90.0f : 180.0f);
    m.Compute(c);
    EXPECT_EQ(m.At(0, -5), endsThere ? 1 : 0);
  }
}

TEST(GridMap, ArcFromLowerLeftToZeroLeavesTheLeftAxisOut)
{
  Map m(0.1f, 0.1f);
  Circle c;
  c.Add(0.0f, 1.0f, 225, 360);
  m.Compute(c);
  EXPECT_EQ(m.At(-5, 0), 0) << "180 degrees is not on the arc from 225 to 360";
  EXPECT_EQ(m.At(5, 0), 1) << "0 degrees is its end";
  EXPECT_EQ(m.At(0, 5), 1) << "270 degrees";
  EXPECT_EQ(m.At(-3, 5), 1) << "239 degrees";
}

TEST(GridMap, EllipseSectors)
{
  Map m(0.05f, 0.1f);
  std::vector<float> hf{0, 1.0f}, ht{1.0f, 2.0f}, vf{0, 2.0f}, vt{2.0f, 2.5f}, s{0, 0}, e{0, 0};
  std::vector<std::string> labels{"a", "b"};
  m.map.SetGridEllipses(1, labels.data(), hf.data(), ht.data(), vf.data(), vt.data(),
                        s.data(), e.data());
  m.map.Compute();
  EXPECT_EQ(m.At(0, 0), 1) << "an ellipse without a hole holds its centre";
  EXPECT_EQ(m.At(20, 0), 1) << "1 mm along x";
  EXPECT_EQ(m.At(21, 0), 0);
  EXPECT_EQ(m.At(0, 20), 1) << "2 mm along z";
  EXPECT_EQ(m.At(0, 21), 0);
  EXPECT_EQ(m.At(-20, 0), 1);
  EXPECT_EQ(m.At(0, -20), 1);
}

TEST(GridMap, Rectangles)
{
  Map m(0.01f, 0.1f);
  const float left[] = {-1}, top[] = {-1}, right[] = {1}, bottom[] = {1};
  const std::string labels[] = {"a"};
  m.map.SetGridRectangles(1, labels, left, top, right, bottom);
  m.map.Compute();
  const uint16_t* image = m.map.LabelImage();
  for (int z = 0; z < Map::kHeight; ++z)
    for (int x = 0; x < Map::kWidth; ++x)
      ASSERT_EQ(image[x + Map::kWidth * z], x >= 0 && x <= 200 && z >= 20 && z <= 40 ? 1 : 0)
          << x << "," << z;

  // Left beyond right covers nothing; nothing is exchanged.
  Map empty(0.01f, 0.1f);
  const float wrongLeft[] = {1}, wrongRight[] = {-1};
  empty.map.SetGridRectangles(1, labels, wrongLeft, top, wrongRight, bottom);
  empty.map.Compute();
  EXPECT_EQ(empty.Labels(), std::vector<uint16_t>(Map::kWidth * Map::kHeight, 0));
}

TEST(GridMap, RectangleSetsWriteTheGroupNumber)
{
  Map m(0.1f, 0.1f);
  const std::vector<std::string> groupLabels{"one", "two"};
  const int32_t counts[] = {2, 1};
  const std::vector<std::string> regionLabels[] = {{"a", "b"}, {"c"}};
  const std::vector<float> left[] = {{-3, 1}, {-0.5f}}, top[] = {{-1, -1}, {-0.5f}},
                           right[] = {{-1, 3}, {0.5f}}, bottom[] = {{1, 1}, {0.5f}};
  m.map.SetGridRectangleSets(2, groupLabels.data(), counts, regionLabels, left, top, right,
                             bottom);
  m.map.Compute();
  EXPECT_EQ(m.At(-20, 0), 1);
  EXPECT_EQ(m.At(20, 0), 1);
  EXPECT_EQ(m.At(0, 0), 2);
  EXPECT_EQ(m.At(0, 8), 0);
  for (uint16_t label : m.Labels())
    ASSERT_LE(label, 2);
}

TEST(GridMap, ComputeWithoutImageOrSpacingDoesNothing)
{
  Circle c;
  c.Add(0.0f, 1.0f, -45, 45);
  LGridMap noImage;
  noImage.SetSpacing(0.01f, 0.01f, 0.01f);
  noImage.SetGridCircles(1, c.labels.data(), c.from.data(), c.to.data(), c.start.data(),
                         c.end.data());
  noImage.Compute();
  EXPECT_EQ(noImage.LabelImage(), nullptr);

  for (const float sz : {0.0f, -0.047f, NAN}) {
    SCOPED_TRACE(sz);
    Map m(0.0117f, sz);
    m.Compute(c);
    EXPECT_EQ(m.Labels(), std::vector<uint16_t>(Map::kWidth * Map::kHeight, 0));
    EXPECT_EQ(c.start.front(), -45.0f) << "the caller's grid is left as it is";
  }

  Map noSetter;
  noSetter.map.Compute();
  EXPECT_EQ(noSetter.Labels(), std::vector<uint16_t>(Map::kWidth * Map::kHeight, 0));
}

TEST(GridMap, SecondComputePaintsOverTheFirst)
{
  Map m;
  Circle small, large;
  small.Add(0.0f, 0.2f, 0, 0);
  large.Add(0.3f, 0.5f, 0, 0);
  m.Compute(small);
  m.Compute(large);
  EXPECT_EQ(m.At(0, 0), 1) << "kept from the first map";
  EXPECT_EQ(m.At(30, 0), 1) << "written by the second";
  m.map.SetSize(Map::kWidth, Map::kHeight);
  EXPECT_EQ(m.At(0, 0), 0) << "SetSize clears";
}

}  // namespace
