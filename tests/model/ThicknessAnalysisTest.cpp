#include "data/LGrid.h"
#include "data/LGridCenter.h"
#include "data/LSurfaces.h"
#include "data/NumberText.h"
#include "data/XmlReadResult.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/PeakResident.h"
#include "fixtures/TempDir.h"
#include "fixtures/ThicknessAnalysisFixture.h"
#include "model/ThicknessAnalysis.h"
#include "model/ThicknessCsvRow.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

using fixtures::Fields;
using fixtures::kEtdrs;
using fixtures::kGridFolder;
using fixtures::kUnknownNames;
using fixtures::kX;
using fixtures::kZ;
using fixtures::Lines;
using fixtures::Scan;
using fixtures::ThicknessAnalysisTest;


TEST_F(ThicknessAnalysisTest, NoGridRowsInNaturalOrderMatchTheOracle)
{
  ASSERT_EQ(RunThicknessAnalysis(m_Request).message, "");
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
  ASSERT_EQ(RunThicknessAnalysis(m_Request).message, "");
  const std::vector<std::string> lines = Lines(fixtures::ReadAll(m_Request.outputPath));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_NE(lines[0].find(",MeanThickness_NA.Upper_To_NA.Middle_um,MeanThickness_NA.Middle_To_NA.Lower_um,"),
            std::string::npos)
    << lines[0];
  EXPECT_NE(Fields(lines[1])[18], "0.00");
  std::string output;
  EXPECT_EQ(RunOracle({"scan2", "scan10", "sub/scan3"}, nullptr, &output), 0) << output;
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
  ASSERT_EQ(RunThicknessAnalysis(m_Request).message, "");
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
    EXPECT_EQ(RunThicknessAnalysis(m_Request).message, c.message);
    EXPECT_EQ(fixtures::ReadAll(m_Out.File("report.csv")), "old");
  }
}

// A file that cannot be read gets no row and is named with why; the others are measured as
// without it, the header line coming from the first file that was read.
TEST_F(ThicknessAnalysisTest, UnreadableFilesAreSkippedAndNamed)
{
  const std::string garbage = m_Folder.File("scan1_Surfaces_Vamo.xml");
  const std::string grid = m_Folder.File("scan4_Surfaces_Vamo.xml");
  const std::string old = m_Folder.File("sub/scan5_Surfaces_Vamo.xml");
  ASSERT_TRUE(fixtures::WriteText(garbage, "<surfaces><version>4.0.0"));
  ASSERT_TRUE(fixtures::WriteText(grid, "<grid><version>4.0.0</version></grid>"));
  ASSERT_TRUE(fixtures::WriteText(old, "<surfaces><version>3.9.0</version></surfaces>"));
  const ThicknessAnalysisResult result = RunThicknessAnalysis(m_Request);
  EXPECT_EQ(result.message, "");
  EXPECT_EQ(result.skipped, (std::vector<std::string>{"'" + garbage + "': File error: 'Surfaces'",
                                                      "'" + grid + "': This is not a 'Surfaces' xml file.",
                                                      "'" + old + "': The XML version is lower than 4.0.0."}));
  const std::vector<std::string> lines = Lines(fixtures::ReadAll(m_Request.outputPath));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].rfind("OCT,Laterality,", 0), 0u);
  EXPECT_EQ(Fields(lines[1])[0], "scan2");
  EXPECT_EQ(Fields(lines[3])[0], "scan3");
  std::string output;
  EXPECT_EQ(RunOracle({"scan2", "scan10", "sub/scan3"}, nullptr, &output), 0) << output;

  // With the centres from grid-centre files, an unreadable one leaves out its pair's row.
  for (const std::string& path : {garbage, grid, old})
    fs::remove(path);
  m_Request.gridName = kEtdrs;
  m_Request.gridCenterSource = GridCenterSource::Xml;
  for (const char* name : {"scan10_GridCenter_Vamo.xml", "sub/scan3_GridCenter_Vamo.xml"}) {
    LGridCenter centre;
    centre.Create(4, 4, Scan(1).header);
    ASSERT_EQ(centre.WriteXml(m_Folder.File(name)), 0);
  }
  const std::string broken = m_Folder.File("scan2_GridCenter_Vamo.xml");
  ASSERT_TRUE(fixtures::WriteText(broken, "not xml"));
  const ThicknessAnalysisResult paired = RunThicknessAnalysis(m_Request);
  EXPECT_EQ(paired.message, "");
  EXPECT_EQ(paired.skipped, std::vector<std::string>{"'" + broken + "': File error: 'Grid Center'"});
  const std::vector<std::string> rows = Lines(fixtures::ReadAll(m_Request.outputPath));
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(Fields(rows[1])[0], "scan10");
  EXPECT_EQ(SkippedFilesMessage(paired.skipped),
            "These files could not be read; the CSV file has no row for them:\n'" + broken +
              "': File error: 'Grid Center'");
}

// With no scan to bound it, a surfaces file is bounded by the grid its own header declares: a
// colleague's sparse file of 3 GB after a real header is refused unread, its row saying why,
// and the other files are measured as without it.
TEST_F(ThicknessAnalysisTest, AFileLargerThanItsDeclaredGridNeedsIsRefusedUnread)
{
  const std::string huge = m_Folder.File("scan1_Surfaces_Vamo.xml");
  ASSERT_EQ(Scan(4).WriteXml(huge), 0);
  constexpr uint64_t kPlantedBytes = uint64_t(3) << 30;
  fs::resize_file(huge, kPlantedBytes);
  fixtures::ResetPeakResident();
  const uint64_t peakBefore = fixtures::PeakResidentBytes();
  const ThicknessAnalysisResult result = RunThicknessAnalysis(m_Request);
  EXPECT_LT(fixtures::PeakResidentBytes(), peakBefore + kPlantedBytes / 4) << "no memory taken for the file";
  EXPECT_EQ(result.message, "");
  ASSERT_EQ(result.skipped.size(), 1u);
  EXPECT_EQ(result.skipped[0].rfind("'" + huge + "': File error: 'Surfaces': 3221225472 bytes is larger than a scan of "
                                                  "this size needs (at most ",
                                    0),
            0u)
      << result.skipped[0];
  EXPECT_EQ(Lines(fixtures::ReadAll(m_Request.outputPath)).size(), 4u) << "a header and a row for each of the others";
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
  EXPECT_EQ(RunThicknessAnalysis(request).message, "");
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
