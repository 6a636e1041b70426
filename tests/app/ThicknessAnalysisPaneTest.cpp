// The thickness analysis against the projection pane's own sector figures.
#include "data/LGrid.h"
#include "data/LSurfaces.h"
#include "data/NumberText.h"
#include "data/XmlReadResult.h"
#include "fixtures/ThicknessAnalysisFixture.h"
#include "panes/ThicknessMap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using fixtures::Fields;
using fixtures::kEtdrs;
using fixtures::kGridFolder;
using fixtures::kX;
using fixtures::kZ;
using fixtures::Lines;
using fixtures::Scan;
using fixtures::ThicknessAnalysisTest;

// The grid figures of the file agree with the oracle and with the projection pane's sector
// figures for the same layer, grid and centre.
TEST_F(ThicknessAnalysisTest, GridRowsAgreeWithTheOracleAndThePane)
{
  m_Request.gridName = kEtdrs;
  ASSERT_EQ(RunThicknessAnalysis(m_Request).message, "");
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

}  // namespace
