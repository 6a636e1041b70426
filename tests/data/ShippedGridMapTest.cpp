#include "data/LGrid.h"
#include "data/LGridMap.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kSpacingX = 0.0117f, kSpacingZ = 0.047f;

std::string SourceFile(const std::string& relative)
{
  return std::string(STRATAVIEW_SOURCE_DIR) + "/" + relative;
}

// Hands the grid's arrays to the map by its type, as the callers of the map do.
void SetGrid(LGridMap& map, LGrid& g)
{
  switch (g.type) {
  case GridCircle:
    map.SetGridCircles(g.circleCount, g.circleLabels.data(), g.radiusFrom.data(),
                       g.radiusTo.data(), g.angleFrom.data(), g.angleTo.data());
    break;
  case GridEllipse:
    map.SetGridEllipses(g.ellipseCount, g.ellipseLabels.data(), g.horizontalRadiusFrom.data(),
                        g.horizontalRadiusTo.data(), g.verticalRadiusFrom.data(),
                        g.verticalRadiusTo.data(), g.ellipseAngleFrom.data(),
                        g.ellipseAngleTo.data());
    break;
  case GridSquare:
    map.SetGridRectangles(g.squareCount, g.squareLabels.data(), g.left.data(), g.top.data(),
                          g.right.data(), g.bottom.data());
    break;
  case GridMultisquares:
    map.SetGridRectangleSets(g.groupCount, g.groupLabels.data(), g.groupRegionCount.data(),
                             g.groupRegionLabels.data(), g.groupLeft.data(), g.groupTop.data(),
                             g.groupRight.data(), g.groupBottom.data());
    break;
  default:
    break;
  }
}

struct Plane {
  int width, height, cx, cz;
};

std::vector<uint16_t> MapOf(const std::string& file, const Plane& p)
{
  LGrid grid;
  EXPECT_EQ(grid.ReadXml(SourceFile("res/Grid/" + file)), 0);
  LGridMap map;
  map.SetSize(p.width, p.height);
  map.SetSpacing(kSpacingX, 0.0039f, kSpacingZ);
  map.SetCenter(p.cx, p.cz);
  SetGrid(map, grid);
  map.Compute();
  return std::vector<uint16_t>(map.LabelImage(), map.LabelImage() + p.width * p.height);
}

// Area and boundary length of the ring sector between two ellipses (semi-axes along x and
// z in mm) from polar angle s to t, by integrating r(theta)^2 / 2 and r(theta) d(theta).
struct Shape {
  double area = 0, perimeter = 0;
};

Shape RingSector(double ix, double iz, double ox, double oz, double s, double t)
{
  const double span = s == t ? 360.0 : std::fmod(t - s + 720.0, 360.0);
  auto radius = [](double a, double b, double theta) {
    return a * b / std::hypot(b * std::cos(theta), a * std::sin(theta));
  };
  Shape shape;
  const int steps = 20000;
  const double step = span / steps * kPi / 180.0;
  for (int i = 0; i < steps; ++i) {
    const double theta = s * kPi / 180.0 + (i + 0.5) * step;
    const double ro = radius(ox, oz, theta), ri = ix > 0 ? radius(ix, iz, theta) : 0.0;
    shape.area += (ro * ro - ri * ri) / 2.0 * step;
    shape.perimeter += (ro + ri) * step;
  }
  if (span < 360.0) {
    for (double a : {s, t}) {
      const double theta = a * kPi / 180.0;
      shape.perimeter += radius(ox, oz, theta) - (ix > 0 ? radius(ix, iz, theta) : 0.0);
    }
  }
  return shape;
}

Shape Rectangle(double l, double t, double r, double b)
{
  return {(r - l) * (b - t), 2.0 * ((r - l) + (b - t))};
}

std::vector<Shape> ShapesOf(const LGrid& g)
{
  std::vector<Shape> shapes;
  for (int i = 0; i < g.circleCount; ++i)
    shapes.push_back(RingSector(g.radiusFrom[i], g.radiusFrom[i], g.radiusTo[i], g.radiusTo[i],
                                g.angleFrom[i], g.angleTo[i]));
  for (int i = 0; i < g.ellipseCount; ++i)
    shapes.push_back(RingSector(g.horizontalRadiusFrom[i], g.verticalRadiusFrom[i],
                                g.horizontalRadiusTo[i], g.verticalRadiusTo[i],
                                g.ellipseAngleFrom[i], g.ellipseAngleTo[i]));
  for (int i = 0; i < g.squareCount; ++i)
    shapes.push_back(Rectangle(g.left[i], g.top[i], g.right[i], g.bottom[i]));
  for (int k = 0; k < g.groupCount; ++k) {
    Shape group;
    for (int i = 0; i < g.groupRegionCount[k]; ++i) {
      const Shape r = Rectangle(g.groupLeft[k][i], g.groupTop[k][i], g.groupRight[k][i],
                                g.groupBottom[k][i]);
      group.area += r.area;
      group.perimeter += r.perimeter;
    }
    shapes.push_back(group);
  }
  return shapes;
}

const char* const kShippedGrids[] = {"Grid_Circle_Macula_ETDRS.xml", "Grid_Ellipse_ONH.xml",
                                     "Grid_Square_Macula_3x3.xml", "Grid_Multisquares_Macula.xml"};

TEST(ShippedGridMap, SectorAreasMatchTheirShapes)
{
  // 7.0 x 7.5 mm around the centre holds every shipped grid whole.
  const Plane plane{600, 160, 300, 80};
  for (const char* file : kShippedGrids) {
    SCOPED_TRACE(file);
    LGrid grid;
    ASSERT_EQ(grid.ReadXml(SourceFile(std::string("res/Grid/") + file)), 0);
    const std::vector<Shape> shapes = ShapesOf(grid);
    std::map<int, int> positions;
    for (uint16_t label : MapOf(file, plane))
      ++positions[label];
    for (size_t k = 0; k < shapes.size(); ++k) {
      SCOPED_TRACE(grid.GetRegionLabels()[k]);
      const double area = positions[static_cast<int>(k) + 1] * double(kSpacingX) * kSpacingZ;
      // Half a position's width all along the boundary: the positions a boundary cuts.
      const double tolerance = shapes[k].perimeter * double(kSpacingZ) / 2.0;
      EXPECT_NEAR(area, shapes[k].area, tolerance);
    }
  }
}

TEST(ShippedGridMap, RingGridsAgreeWithAnIndependentReference)
{
  const struct { const char* file; Plane plane; } cases[] = {
    {"Grid_Circle_Macula_ETDRS.xml", {512, 128, 256, 64}},
    {"Grid_Ellipse_ONH.xml", {384, 100, 150, 40}}};  // off-centre: the grid is cut off
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    const Plane& p = c.plane;
    const std::string expectedPath = dir.File("expected.raw");
    std::string command = "/usr/bin/python3 " + SourceFile("tests/data/grid_sector_oracle.py");
    for (const std::string& argument :
         {SourceFile(std::string("res/Grid/") + c.file), std::to_string(p.width),
          std::to_string(p.height), std::to_string(p.cx), std::to_string(p.cz),
          std::string("0.0117"), std::string("0.047"), expectedPath})
      command += " " + argument;
    std::string output;
    ASSERT_EQ(fixtures::RunCommand(command + " 2>&1", &output), 0) << output;
    const std::string bytes = fixtures::ReadAll(expectedPath);
    ASSERT_EQ(bytes.size(), size_t(p.width) * p.height * 2);
    std::vector<uint16_t> expected(size_t(p.width) * p.height);
    std::memcpy(expected.data(), bytes.data(), bytes.size());

    const std::vector<uint16_t> labels = MapOf(c.file, p);
    std::set<int> compared;
    for (int z = 0; z < p.height; ++z)
      for (int x = 0; x < p.width; ++x) {
        const size_t i = x + size_t(p.width) * z;
        if (expected[i] == 65535)
          continue;
        compared.insert(expected[i]);
        ASSERT_EQ(labels[i], expected[i]) << "position " << x << ", " << z;
      }
    LGrid grid;
    ASSERT_EQ(grid.ReadXml(SourceFile(std::string("res/Grid/") + c.file)), 0);
    EXPECT_EQ(int(compared.size()), grid.GetRegionCount() + 1) << "every sector and the outside";
  }
}

}  // namespace
