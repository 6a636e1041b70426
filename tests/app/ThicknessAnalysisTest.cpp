#include "data/LGrid.h"
#include "data/LGridCenter.h"
#include "data/LGridMap.h"
#include "data/LSurfaces.h"
#include "data/NumberText.h"
#include "data/XmlReadResult.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "model/ThicknessAnalysis.h"
#include "model/ThicknessCsvRow.h"
#include "panes/ThicknessMap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

namespace {

constexpr int kX = 24;
constexpr int kZ = 16;
const char* kGridFolder = STRATAVIEW_SOURCE_DIR "/res/Grid";
const char* kEtdrs = "Grid_Circle_Macula_ETDRS.xml";

std::vector<std::string> Fields(const std::string& line)
{
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, ',');)
    fields.push_back(field);
  return fields;
}

std::vector<std::string> Lines(const std::string& text)
{
  std::vector<std::string> lines;
  std::stringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

// Surface names a surfaces file may give instead of the table's: unknown to the table.
const std::vector<std::string> kUnknownNames = {"Upper", "Middle", "Lower"};

// A 24 x 16 scan of 0.25 x 0.0039 x 0.4 mm with the surfaces ILM, GCL-IPL and IPL-INL (or
// three surfaces of the given names unknown to the table) at random depths, a few of them
// -1, and a few A-scans undefined.
LSurfaces Scan(unsigned seed, const std::vector<std::string>& unknownNames = {})
{
  LResultHeader h = UnknownResultHeader();
  h.version = "4.0.0";
  h.sizeX = kX;
  h.sizeY = 200;
  h.sizeZ = kZ;
  h.voxelSizeX = 0.25f;
  h.voxelSizeY = 0.0039f;
  h.voxelSizeZ = 0.4f;
  h.laterality = LateralityOS;
  h.centerType = CenterMacula;
  LSurfaces s;
  if (unknownNames.empty())
    s.Create(kX, kZ, 3, {5, 7, 8}, {5, 7, 8}, {}, h);
  else
    s.Create(kX, kZ, 3, {0, 0, 0}, {0, 0, 0}, {}, h, unknownNames);
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> depth(20, 60), gap(5, 40), percent(0, 99);
  for (int z = 0; z < kZ; ++z)
    for (int x = 0; x < kX; ++x) {
      const int y = depth(random);
      s.Point(0, x, z).y = percent(random) < 4 ? -1 : y;
      s.Point(1, x, z).y = percent(random) < 4 ? -1 : y + gap(random);
      s.Point(2, x, z).y = y + 2 * gap(random);
      s.undefinedMask[size_t(x + kX * z)] = percent(random) < 5 ? 1 : 0;
    }
  return s;
}

// A folder of surfaces files in a sub-folder and beside files the filter leaves out, with the
// raw depths, masks and sector labels the oracle reads.
class ThicknessAnalysisTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    std::filesystem::create_directories(m_Folder.Path() / "sub");
    AddScan("scan10", 2);
    AddScan("scan2", 1);
    AddScan("sub/scan3", 3);
    ASSERT_TRUE(fixtures::WriteText(m_Folder.File("notes_Surfaces.txt"), "x"));
    m_Request.folder = m_Folder.Path().string();
    m_Request.gridFolder = kGridFolder;
    m_Request.gridName = kNoGridName;
    m_Request.surfacesFilter = "_Surfaces_Vamo.xml";
    m_Request.gridCenterFilter = "_GridCenter_Vamo.xml";
    m_Request.outputPath = m_Out.File("report.csv");
  }

  void AddScan(const std::string& stem, unsigned seed)
  {
    const LSurfaces s = Scan(seed, m_Names);
    ASSERT_EQ(s.WriteXml(m_Folder.File(stem + "_Surfaces_Vamo.xml")), 0);
    m_Scans[stem] = seed;
  }

  // Oracle arguments of a scan: depths, mask and labels (none without a grid), as the oracle
  // expects them, written beside the output.
  std::string OracleArgs(const std::string& stem, const LGrid* grid)
  {
    const LSurfaces s = Scan(m_Scans.at(stem), m_Names);
    std::vector<int32_t> depths;
    for (const Point3i& p : s.points)
      depths.push_back(p.y);
    const std::string base = m_Out.File(std::to_string(m_Scans.at(stem)));
    EXPECT_TRUE(fixtures::WriteBytes(base + ".depth", depths.data(), depths.size() * 4));
    EXPECT_TRUE(fixtures::WriteBytes(base + ".mask", s.undefinedMask.data(), s.undefinedMask.size()));
    std::string labels = "-";
    int regions = 1;
    if (grid) {
      LGridMap map;
      LGrid copy;
      EXPECT_EQ(copy.ReadXml(std::string(kGridFolder) + "/" + kEtdrs), kXmlOk);
      map.SetSize(kX, kZ);
      map.SetSpacing(0.25f, 0.0039f, 0.4f);
      map.SetCenter(kX / 2, kZ / 2);
      map.SetGridCircles(copy.circleCount, copy.circleLabels.data(), copy.radiusFrom.data(), copy.radiusTo.data(),
                         copy.angleFrom.data(), copy.angleTo.data());
      map.Compute();
      labels = base + ".labels";
      EXPECT_TRUE(fixtures::WriteBytes(labels, map.LabelImage(), size_t(kX * kZ) * 2));
      regions = grid->GetRegionCount();
    }
    return " '" + base + ".depth' '" + base + ".mask' '" + labels + "' 3 " + std::to_string(regions) + " 0.0039";
  }

  int RunOracle(const std::vector<std::string>& stems, const LGrid* grid, std::string* output)
  {
    std::string command = "/usr/bin/python3 " STRATAVIEW_SOURCE_DIR "/tests/app/thickness_oracle.py '" +
                          m_Request.outputPath + "'";
    for (const std::string& stem : stems)
      command += OracleArgs(stem, grid);
    return fixtures::RunCommand(command + " 2>&1", output);
  }

  TempDir m_Folder;
  TempDir m_Out;
  std::map<std::string, unsigned> m_Scans;
  std::vector<std::string> m_Names;  // surface names unknown to the table, or none
  ThicknessAnalysisRequest m_Request;
};

TEST_F(ThicknessAnalysisTest, NoGridRowsInNaturalOrderMatchTheOracle)
{
  ASSERT_EQ(RunThicknessAnalysis(m_Request), "");
  const std::vector<std::string> lines = Lines(fixtures::ReadAll(m_Request.outputPath));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0],
            "OCT,Laterality,OCTCenterType,OCTSizeX_voxel,OCTSizeY_voxel,OCTSizeZ_voxel,VoxelSizeX_um,VoxelSizeY_um,"
            "VoxelSizeZ_um,PhysicalSizeX_mm,PhysicalSizeY_mm,PhysicalSizeZ_mm,UndefinedRegion_%,Grid,GridCenter,"
            "GridCenterX_pixel,GridCenterZ_pixel,Surfaces,MeanThickness_10.ILM_To_30.GCL-IPL_um,"
            "MeanThickness_30.GCL-IPL_To_40.IPL-INL_um,SDThickness_10.ILM_To_30.GCL-IPL_um,"
            "SDThickness_30.GCL-IPL_To_40.IPL-INL_um,");
  const LSurfaces first = Scan(1);
  size_t undefined = 0;
  for (const uint8_t m : first.undefinedMask)
    undefined += m;
  const std::string description = "scan2,OS,Macula,24,200,16,250.000,3.900,400.000,6.000,0.780,6.400," +
                                  numtext::Format("%.2f", 100.0 * double(undefined) / (kX * kZ)) +
                                  ",None,NA,NA,NA,scan2_Surfaces_Vamo.xml,";
  EXPECT_EQ(lines[1].substr(0, description.size()), description);
  EXPECT_EQ(Fields(lines[2])[0], "scan10");
  EXPECT_EQ(Fields(lines[3])[0], "scan3");
  std::string output;
  EXPECT_EQ(RunOracle({"scan2", "scan10", "sub/scan3"}, nullptr, &output), 0) << output;
}

// Surfaces named outside the table are measured pair by pair in the file's order, not each
// against itself.
TEST_F(ThicknessAnalysisTest, UnknownSurfaceNamesAreMeasuredByPosition)
{
  m_Names = kUnknownNames;
  AddScan("scan2", 1);
  AddScan("scan10", 2);
  AddScan("sub/scan3", 3);
  ASSERT_EQ(RunThicknessAnalysis(m_Request), "");
  const std::vector<std::string> lines = Lines(fixtures::ReadAll(m_Request.outputPath));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find(",MeanThickness_NA.Upper_To_NA.Middle_um,MeanThickness_NA.Middle_To_NA.Lower_um,"),
            std::string::npos)
    << lines[0];
  EXPECT_NE(Fields(lines[1])[18], "0.00");
  std::string output;
  EXPECT_EQ(RunOracle({"scan2", "scan10", "sub/scan3"}, nullptr, &output), 0) << output;
}

// The grid figures of the file agree with the oracle and with the projection pane's sector
// figures for the same layer, grid and centre.
TEST_F(ThicknessAnalysisTest, GridRowsAgreeWithTheOracleAndThePane)
{
  m_Request.gridName = kEtdrs;
  ASSERT_EQ(RunThicknessAnalysis(m_Request), "");
  const std::vector<std::string> lines = Lines(fixtures::ReadAll(m_Request.outputPath));
  ASSERT_EQ(lines.size(), 4u);
  LGrid grid;
  ASSERT_EQ(grid.ReadXml(std::string(kGridFolder) + "/" + kEtdrs), kXmlOk);
  const std::vector<std::string> header = Fields(lines[0]);
  EXPECT_EQ(header.size(), 18u + 4u * size_t(grid.GetRegionCount()));
  EXPECT_EQ(header[18], "MeanThickness_10.ILM_To_30.GCL-IPL_Region" + grid.circleLabels[0] + "_um");
  const std::vector<std::string> row = Fields(lines[1]);
  EXPECT_EQ(row[13] + "," + row[14] + "," + row[15] + "," + row[16], std::string(kEtdrs) + ",Image_Center,12,8");
  std::string output;
  EXPECT_EQ(RunOracle({"scan2", "scan10", "sub/scan3"}, &grid, &output), 0) << output;

  const LSurfaces s = Scan(1);
  ThicknessMap pane;
  pane.Allocate(size_t(kX * kZ));
  pane.SetGridMode(GridModeQuantity);
  pane.SetGridCircles(GridCircle, grid.circleCount, grid.circleLabels.data(), grid.radiusFrom.data(),
                      grid.radiusTo.data(), grid.angleFrom.data(), grid.angleTo.data());
  const int centre[2] = {kX / 2, kZ / 2};
  ThicknessInput in;
  in.points = &s.points[0].x;
  in.surfaceCount = 3;
  in.undefinedMask = s.undefinedMask.data();
  in.sizeX = kX;
  in.sizeZ = kZ;
  in.spacingX = 0.25f;
  in.spacingY = 0.0039f;
  in.spacingZ = 0.4f;
  in.gridCenter = centre;
  pane.Compute(in, 1, 2);
  const int regions = grid.GetRegionCount();
  for (int r = 0; r < regions; ++r) {
    SCOPED_TRACE(r);
    const float mean = pane.SectorMean(r);
    const float sd = pane.SectorSD(r);
    EXPECT_EQ(row[size_t(18 + regions + r)], mean == kNoThickness ? "NA" : numtext::Format("%.2f", mean * 1000.0));
    EXPECT_EQ(row[size_t(18 + 3 * regions + r)], sd == kNoThickness ? "NA" : numtext::Format("%.2f", sd * 1000.0));
  }
}

TEST_F(ThicknessAnalysisTest, GridCentreFilesArePairedInOrder)
{
  m_Request.gridName = kEtdrs;
  m_Request.gridCenterSource = GridCenterSource::Xml;
  const struct { const char* name; int x; int z; } centres[] = {
    {"scan10_GridCenter_Vamo.xml", 5, 6}, {"scan2_GridCenter_Vamo.xml", 7, 3}, {"sub/scan3_GridCenter_Vamo.xml", 9, 9}};
  for (const auto& c : centres) {
    LGridCenter centre;
    centre.Create(c.x, c.z, Scan(1).header);
    ASSERT_EQ(centre.WriteXml(m_Folder.File(c.name)), 0);
  }
  ASSERT_EQ(RunThicknessAnalysis(m_Request), "");
  const std::vector<std::string> lines = Lines(fixtures::ReadAll(m_Request.outputPath));
  ASSERT_EQ(lines.size(), 4u);
  const char* expected[] = {"scan2_GridCenter_Vamo.xml,7,3", "scan10_GridCenter_Vamo.xml,5,6",
                            "scan3_GridCenter_Vamo.xml,9,9"};
  for (int i = 0; i < 3; ++i) {
    const std::vector<std::string> row = Fields(lines[size_t(i + 1)]);
    EXPECT_EQ(row[14] + "," + row[15] + "," + row[16], expected[i]);
  }
}

// Each failure ends the run with its message and keeps the CSV file that was there.
TEST_F(ThicknessAnalysisTest, FailuresKeepTheOldFile)
{
  ASSERT_TRUE(fixtures::WriteText(m_Folder.File("one_GridCenter_Vamo.xml"), "<x/>"));
  ASSERT_TRUE(fixtures::WriteText(m_Request.outputPath, "old"));
  const struct {
    const char* what;
    std::string gridName;
    GridCenterSource source;
    std::string gridCenterFilter;
    std::string output;
    std::string extraSurfaces;
    std::string message;
  } cases[] = {
    {"no grid-centre file", kEtdrs, GridCenterSource::Xml, "_None_", m_Request.outputPath, "",
     "There is no 'Grid Center' xml file. Please select 'Image Center' for 'Grid Center'."},
    {"counts differ", kEtdrs, GridCenterSource::Xml, "_GridCenter_Vamo.xml", m_Request.outputPath, "",
     "The number of 'Surfaces' xml files is not equal to that of 'GridCenter' xml files."},
    {"no output", kNoGridName, GridCenterSource::Xml, "", "", "", "Please input an Output Path Name."},
    {"missing grid", "Grid_Missing.xml", GridCenterSource::ImageCenter, "", m_Request.outputPath, "",
     "File error: 'Grid'"},
    {"not surfaces", kNoGridName, GridCenterSource::ImageCenter, "", m_Request.outputPath, "<grid/>",
     "This is not a 'Surfaces' xml file."},
    {"output folder missing", kNoGridName, GridCenterSource::ImageCenter, "", m_Out.File("no/report.csv"), "",
     "File error: 'Thickness Analysis'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.extraSurfaces.empty()) {
      ASSERT_TRUE(fixtures::WriteText(m_Folder.File("zz_Surfaces_Vamo.xml"), c.extraSurfaces));
    }
    m_Request.gridName = c.gridName;
    m_Request.gridCenterSource = c.source;
    m_Request.gridCenterFilter = c.gridCenterFilter;
    m_Request.outputPath = c.output;
    EXPECT_EQ(RunThicknessAnalysis(m_Request), c.message);
    EXPECT_EQ(fixtures::ReadAll(m_Out.File("report.csv")), "old");
  }
}

TEST(ThicknessAnalysis, EmptyFolderGivesAnEmptyFile)
{
  const TempDir folder;
  ThicknessAnalysisRequest request;
  request.folder = folder.Path().string();
  request.gridName = kNoGridName;
  request.surfacesFilter = "_Surfaces_Vamo.xml";
  request.outputPath = folder.File("out.csv");
  ASSERT_TRUE(fixtures::WriteText(request.outputPath, "old"));
  EXPECT_EQ(RunThicknessAnalysis(request), "");
  EXPECT_EQ(fixtures::ReadAll(request.outputPath), "");
}

// A file that lacks a surface of the first file's layers, or holds them in another order,
// still fills the header's columns, with "NA" for the missing layer; a region without
// counted A-scans gives "NA" and one A-scan a mean without deviation.
TEST(ThicknessCsv, RowsLineUpWithTheHeader)
{
  const LSurfaces first = Scan(1);
  const ThicknessColumns columns = ColumnsOf(first, nullptr);
  LSurfaces partial;
  partial.Create(2, 1, 2, {5, 7}, {5, 7}, {}, first.header);
  partial.Point(0, 0, 0).y = 10;
  partial.Point(1, 0, 0).y = 20;
  ThicknessRowNames names;
  names.oct = "p";
  names.surfaces = "p.xml";
  names.grid = kNoGridName;
  const std::vector<std::string> row = Fields(Lines(ThicknessCsvRow(partial, nullptr, columns, names))[0]);
  ASSERT_EQ(row.size(), 22u);
  EXPECT_EQ(row[12], "0.00");
  // One counted A-scan (the other has no depth): 10 rows of 3.9 um.
  EXPECT_EQ(row[18] + "," + row[19] + "," + row[20] + "," + row[21], "39.00,NA,NA,NA");
}

// Whether the rows are known, unknown or repeated, the same depths give the same figures.
TEST(ThicknessCsv, SurfacesWithoutDistinctRowsAreTakenInTheirOrder)
{
  const auto figures = [](const LSurfaces& s) {
    const std::vector<std::string> row = Fields(Lines(ThicknessCsvRow(s, nullptr, ColumnsOf(s, nullptr), {}))[0]);
    return std::vector<std::string>(row.begin() + 18, row.end());
  };
  const std::vector<std::string> labelled = figures(Scan(1));
  ASSERT_EQ(labelled.size(), 4u);
  EXPECT_EQ(figures(Scan(1, kUnknownNames)), labelled);
  LSurfaces repeated = Scan(1);
  repeated.labelIndex = {5, 5, 8};
  EXPECT_EQ(figures(repeated), labelled);
  // A later file without distinct rows under the columns of a labelled first file.
  const std::vector<std::string> row =
    Fields(Lines(ThicknessCsvRow(Scan(1, kUnknownNames), nullptr, ColumnsOf(Scan(1), nullptr), {}))[0]);
  EXPECT_EQ(std::vector<std::string>(row.begin() + 18, row.end()), labelled);
}

TEST(ThicknessCsv, FieldsAndStems)
{
  const struct { const char* text; const char* field; } fields[] = {
    {"plain", "plain"}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""}, {"two\nlines", "\"two\nlines\""}};
  for (const auto& c : fields)
    EXPECT_EQ(CsvField(c.text), c.field) << c.text;
  const struct { const char* path; const char* filter; const char* stem; } stems[] = {
    {"/d/a_Surfaces_Vamo.xml", "_Surfaces_Vamo.xml", "a"},
    {"/d_Surfaces_Vamo.xml/b.xml", "_Surfaces_Vamo.xml", "b.xml"},
    {"/d/c_Surfaces_Vamo.xml", "", "c_Surfaces_Vamo.xml"},
    {"/d/x_S_y_S_.xml", "_S_", "x"}};
  for (const auto& c : stems)
    EXPECT_EQ(StemBeforeFilter(c.path, c.filter), c.stem) << c.path;
}

}  // namespace
