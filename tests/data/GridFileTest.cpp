#include "data/LGrid.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string ShippedGrid(const std::string& name)
{
  return std::string(STRATAVIEW_SOURCE_DIR) + "/res/Grid/" + name;
}

std::string GridXml(const std::string& body, const std::string& version = "4.0.0")
{
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<grid><version>" + version +
         "</version>" + body + "</grid>\n";
}

std::string Circle(const std::string& label, const std::string& angle = "")
{
  return "<region><label>" + label + "</label><radius><from>0.5</from><to>1.5</to></radius>" +
         angle + "</region>";
}

class GridFile : public ::testing::Test {
protected:
  std::string Write(const std::string& text)
  {
    const std::string path = m_Dir.File("grid" + std::to_string(m_Files++) + ".xml");
    EXPECT_TRUE(fixtures::WriteText(path, text));
    return path;
  }
  // A grid holding two circle sectors, to see whether a failed read keeps it.
  void LoadTwoCircles(LGrid& grid)
  {
    ASSERT_EQ(grid.ReadXml(Write(GridXml("<laterality>OD</laterality><type>circle</type>"
                                         "<region_num>2</region_num>" +
                                         Circle("a") + Circle("b")))),
              0);
  }

private:
  TempDir m_Dir;
  int m_Files = 0;
};

TEST_F(GridFile, ShippedGridsRead)
{
  const struct {
    const char* file;
    GridType type;
    int count;
    const char* first;
    const char* last;
  } cases[] = {
    {"Grid_Circle_Macula_ETDRS.xml", GridCircle, 9, "Central", "Outer Right"},
    {"Grid_Ellipse_ONH.xml", GridEllipse, 5, "Central", "Ring Right"},
    {"Grid_Square_Macula_3x3.xml", GridSquare, 9, "Upper Left", "Lower Right"},
    {"Grid_Multisquares_Macula.xml", GridMultisquares, 4, "Central", "Sides"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    LGrid grid;
    ASSERT_EQ(grid.ReadXml(ShippedGrid(c.file)), 0);
    EXPECT_TRUE(grid.loaded);
    EXPECT_EQ(grid.type, c.type);
    EXPECT_EQ(grid.version, "4.0.0");
    EXPECT_EQ(grid.laterality, LateralityNA);
    ASSERT_EQ(grid.GetRegionCount(), c.count);
    EXPECT_EQ(grid.GetRegionLabels()[0], c.first);
    EXPECT_EQ(grid.GetRegionLabels()[c.count - 1], c.last);
  }

  LGrid etdrs;
  ASSERT_EQ(etdrs.ReadXml(ShippedGrid("Grid_Circle_Macula_ETDRS.xml")), 0);
  EXPECT_EQ(etdrs.radiusFrom,
            (std::vector<float>{0, 0.5f, 0.5f, 0.5f, 0.5f, 1.5f, 1.5f, 1.5f, 1.5f}));
  EXPECT_EQ(etdrs.radiusTo, (std::vector<float>{0.5f, 1.5f, 1.5f, 1.5f, 1.5f, 3, 3, 3, 3}));
  EXPECT_EQ(etdrs.angleFrom, (std::vector<float>{0, 45, 135, 225, 315, 45, 135, 225, 315}));
  EXPECT_EQ(etdrs.angleTo, (std::vector<float>{0, 135, 225, 315, 45, 135, 225, 315, 45}));

  LGrid sets;
  ASSERT_EQ(sets.ReadXml(ShippedGrid("Grid_Multisquares_Macula.xml")), 0);
  EXPECT_EQ(sets.groupRegionCount, (std::vector<int32_t>{1, 1, 1, 2}));
  EXPECT_EQ(sets.groupRegionLabels[3], (std::vector<std::string>{"Left", "Right"}));
  EXPECT_EQ(sets.groupLeft[3], (std::vector<float>{-1.5f, 0.5f}));
}

TEST_F(GridFile, RegionsAndGroupsAsTheFileGivesThem)
{
  LGrid grid;
  ASSERT_EQ(grid.ReadXml(Write(GridXml(
                "<type>circle</type><region_num>3</region_num>" + Circle("one") +
                Circle("two", "<angle><from>-45</from><to>45</to></angle>") + Circle("three") +
                Circle("beyond the count")))),
            0);
  EXPECT_EQ(grid.circleLabels, (std::vector<std::string>{"one", "two", "three"}));
  EXPECT_EQ(grid.angleFrom, (std::vector<float>{0, -45, 0})) << "no angle reads 0 to 0";
  EXPECT_EQ(grid.angleTo, (std::vector<float>{0, 45, 0}));

  ASSERT_EQ(grid.ReadXml(Write(GridXml(
                "<type>MultiSquares</type><group_num>3</group_num>"
                "<group><label>g1</label><region_num>2</region_num>"
                "<region><label>r1</label><left>-1</left><top>-2</top><right>3</right>"
                "<bottom>4</bottom></region><region/></group>"
                "<group><label>g2</label><region_num>3</region_num><region/></group>"))),
            0);
  EXPECT_EQ(grid.type, GridMultisquares);
  EXPECT_EQ(grid.groupCount, 3);
  EXPECT_EQ(grid.groupLabels, (std::vector<std::string>{"g1", "g2", "NA"}));
  EXPECT_EQ(grid.groupRegionCount, (std::vector<int32_t>{2, 3, 0})) << "a missing group is empty";
  EXPECT_EQ(grid.groupRegionLabels[0], (std::vector<std::string>{"r1", "NA"}));
  EXPECT_EQ(grid.groupLeft[0], (std::vector<float>{-1, 0}));
  EXPECT_EQ(grid.groupTop[0], (std::vector<float>{-2, 0}));
  EXPECT_EQ(grid.groupRight[0], (std::vector<float>{3, 0}));
  EXPECT_EQ(grid.groupBottom[0], (std::vector<float>{4, 0}));
  EXPECT_EQ(grid.groupRegionLabels[1], (std::vector<std::string>{"NA", "NA", "NA"}));
  EXPECT_TRUE(grid.circleLabels.empty()) << "the old type's arrays are gone";
  EXPECT_EQ(grid.GetRegionLabels(), grid.groupLabels.data());
}

TEST_F(GridFile, TypeAndLateralityWords)
{
  const struct {
    const char* type;
    const char* eye;
    GridType grid;
    Laterality laterality;
  } cases[] = {
    {"Circle", "OD", GridCircle, LateralityOD},
    {"ELLIPSE", "os", GridEllipse, LateralityOS},
    {"square", "NA", GridSquare, LateralityNA},
    {"rectangle", "left", GridNone, LateralityNA},
    {"", "", GridNone, LateralityNA}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    LGrid grid;
    ASSERT_EQ(grid.ReadXml(Write(GridXml(std::string("<type>") + c.type + "</type><laterality>" +
                                         c.eye + "</laterality><region_num>1</region_num>"))),
              0);
    EXPECT_EQ(grid.type, c.grid);
    EXPECT_EQ(grid.laterality, c.laterality);
    EXPECT_EQ(grid.GetRegionCount(), c.grid == GridNone ? 0 : 1);
    EXPECT_EQ(grid.GetRegionLabels() == nullptr, c.grid == GridNone);
  }
}

TEST_F(GridFile, FailedReadsKeepTheLoadedGrid)
{
  const char* const noRoot = "Error: No grid tag\n";
  const char* const oldVersion = "Error: XML version < 4.0.0\n";
  const char* const tooMany = "Error: Too many elements in grid file\n";
  const struct {
    const char* what;
    std::string text;
    int result;
    const char* message;
    const char* version;
  } cases[] = {
    {"missing file", "", -1, "", "4.0.0"},
    {"not well-formed", "<grid><version>4.0.0</version>", -1, "", "4.0.0"},
    {"empty file", "", -1, "", "4.0.0"},
    {"other root", "<grids><version>4.0.0</version></grids>", -2, noRoot, "NA"},
    {"root in another case", "<Grid><version>4.0.0</version></Grid>", -2, noRoot, "NA"},
    {"old version", GridXml("<type>square</type>", "3.8.0"), -3, oldVersion, "3.8.0"},
    {"no version", "<grid><type>square</type></grid>", -3, oldVersion, "NA"},
    {"huge region count", GridXml("<type>circle</type><region_num>2000000000</region_num>"), -1,
     tooMany, "4.0.0"},
    {"huge group region count",
     GridXml("<type>multisquares</type><group_num>1</group_num><group><region_num>99999999"
             "</region_num></group>"),
     -1, tooMany, "4.0.0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    LGrid grid;
    LoadTwoCircles(grid);
    const std::string path =
        c.what == std::string("missing file") ? "/nonexistent/grid.xml" : Write(c.text);
    StdoutCapture out;
    EXPECT_EQ(grid.ReadXml(path), c.result);
    EXPECT_EQ(out.Text(), c.message);
    EXPECT_TRUE(grid.loaded);
    EXPECT_EQ(grid.type, GridCircle);
    EXPECT_EQ(grid.circleLabels, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(grid.version, c.version);
    EXPECT_EQ(grid.laterality, c.result == -1 ? LateralityOD : LateralityNA);
  }
}

TEST_F(GridFile, RectanglesOfAllGroupsAreBounded)
{
  // Each group within the limit, all of them together beyond it.
  std::string groups;
  const int perGroup = LGrid::kMaxRegions;
  const int groupCount = LGrid::kMaxGroupRectangles / perGroup + 1;
  for (int g = 0; g < groupCount; ++g)
    groups += "<group><region_num>" + std::to_string(perGroup) + "</region_num></group>";
  LGrid grid;
  StdoutCapture out;
  EXPECT_EQ(grid.ReadXml(Write(GridXml("<type>multisquares</type><group_num>" +
                                       std::to_string(groupCount) + "</group_num>" + groups))),
            -1);
  EXPECT_EQ(out.Text(), "Error: Too many elements in grid file\n");
  EXPECT_FALSE(grid.loaded);
}

TEST_F(GridFile, NegativeCountReadsAsNoRegions)
{
  LGrid grid;
  ASSERT_EQ(grid.ReadXml(Write(GridXml("<type>square</type><region_num>-4</region_num>"
                                       "<region><label>x</label></region>"))),
            0);
  EXPECT_EQ(grid.squareCount, 0);
  EXPECT_TRUE(grid.squareLabels.empty());
}

}  // namespace
