#include "data/LGridCenter.h"
#include "data/LMarkers.h"
#include "data/LOCTVolume.h"
#include "data/LRefSurface.h"
#include "data/LSplines.h"
#include "data/LSurfaces.h"
#include "fixtures/DemoFolder.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace {

// The demo folder must be something the program itself reads without a complaint.
TEST(DemoData, EveryFileReadsBackWithTheScansSizes)
{
  const TempDir dir;
  ASSERT_TRUE(fixtures::MakeSmallDemo(dir.Path().string()));
  const auto file = [&](const char* name) { return dir.File(std::string("Demo_") + name); };

  LOCTVolume scan;
  ASSERT_EQ(scan.ReadScanFile(file("OCT.mhd")), kScanOk);
  EXPECT_EQ(scan.sizeX, 64);
  EXPECT_EQ(scan.sizeY, 96);
  EXPECT_EQ(scan.sizeZ, 17);
  EXPECT_EQ(scan.bytesPerVoxel, 2);
  for (const char* labels : {"Vessel_Vamo.mhd", "SEAD_Vamo.mhd"}) {
    LOCTVolume volume;
    ASSERT_EQ(volume.ReadScanFile(file(labels)), kScanOk) << labels;
    EXPECT_EQ(volume.bytesPerVoxel, 1);
    EXPECT_EQ(volume.sizeY, 96);
  }
  LSurfaces surfaces;
  ASSERT_EQ(surfaces.ReadXml(file("Surfaces_Vamo.xml")), 0);
  EXPECT_EQ(surfaces.surfaceCount, 11);
  EXPECT_EQ(surfaces.surfaceSizeX, 64);
  EXPECT_EQ(surfaces.surfaceSizeZ, 17);
  for (int s = 1; s < surfaces.surfaceCount; ++s)
    EXPECT_GE(surfaces.Point(s, 32, 8).y, surfaces.Point(s - 1, 32, 8).y) << "layers in order";
  LRefSurface reference;
  ASSERT_EQ(reference.ReadXml(file("RefSurf_Vamo.xml")), 0);
  EXPECT_EQ(reference.surfaceSizeX, 64);
  LGridCenter center;
  ASSERT_EQ(center.ReadXml(file("GridCenter_Vamo.xml")), 0);
  EXPECT_EQ(center.centerX, 31);
  LMarkers markers;
  ASSERT_EQ(markers.ReadXml(file("Markers_Vamo.xml")), 0);
  EXPECT_EQ(markers.count, 3);
  LSplines splines;
  ASSERT_EQ(splines.ReadXml(file("Splines_Vamo.xml")), 0);
  EXPECT_EQ(splines.count, 1);
  EXPECT_TRUE(splines.closed[0]);
}

// Options are options, never folder names: help is printed, anything else unknown is refused
// with the usage, and nothing is made in either case.
TEST(DemoData, HelpAndUnknownOptionsMakeNoFolder)
{
  const TempDir dir;
  const struct {
    std::string arguments;
    int status;
    bool usageOnStdout;
  } cases[] = {
    {"--help", 0, true},
    {"-h", 0, true},
    {"out --help", 0, true},
    {"--frobnicate", 2, false},
    {"-x", 2, false},
    {"out --tiny", 2, false},
    {"out --size 9 9", 2, false},
    {"out extra", 2, false},
    {"", 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const std::string command = "cd '" + dir.Path().string() + "' && " + STRATAVIEW_MAKE_DEMO + " " + c.arguments;
    std::string output, stdoutOnly;
    EXPECT_EQ(fixtures::RunCommand(command + " 2>&1", &output), c.status);
    EXPECT_NE(output.find("usage: strataview_make_demo FOLDER"), std::string::npos) << output;
    fixtures::RunCommand(command + " 2>/dev/null", &stdoutOnly);
    EXPECT_EQ(stdoutOnly.find("usage:") != std::string::npos, c.usageOnStdout);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path())) << "no folder made";
  }
}

}  // namespace
