#include "data/LGridCenter.h"
#include "data/LMarkers.h"
#include "data/LSplines.h"
#include "data/LSurfaces.h"
#include "data/ResultClock.h"
#include "fixtures/CommaLocale.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/SmallDisk.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <climits>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <optional>

// Every result kind is written byte for byte as the program has always written it: the
// expected files hold the indentation, the empty elements, the escaped characters and the
// number texts that other programs reading these files have seen so far.
namespace {

const ClockReading kClock {2026, 7, 3, 9, 5, 4};

// Header strings that need escaping, an empty one, bytes beyond ASCII, white space kept
// as it is, codes that have no word, and voxel sizes whose "%f" text rounds.
LResultHeader AwkwardHeader()
{
  LResultHeader h;
  h.version = "4.2.0";
  h.executableName = "Seg & <Layers>";
  h.executableVersion = "";
  h.executableDate = "\"quoted\" 'single'";
  h.configuration = "  padded\nsecond line  ";
  h.authors = "J\xc3\xb6rg M\xc3\xbcller";
  h.institute = "]]> and &amp;";
  h.comment = "NA";
  h.modifier = "tester";
  h.approval = true;
  h.format = static_cast<ScanFormat>(13);
  h.sizeX = 3;
  h.sizeY = INT_MAX;
  h.sizeZ = INT_MIN;
  h.voxelSizeX = 0.0117f;
  h.voxelSizeY = 123456.789f;
  h.voxelSizeZ = 0.0078125f;   // an exact tie at six decimals
  h.laterality = LateralityOS;
  h.centerType = static_cast<CenterType>(7);
  return h;
}

LResultHeader PlainHeader()
{
  LResultHeader h;
  h.version = "4.0.0";
  h.modifier = "me";
  h.format = FormatHeidelberg;
  h.sizeX = 3;
  h.sizeY = 496;
  h.sizeZ = 2;
  h.voxelSizeX = 0.005f;
  h.voxelSizeY = 0.0039f;
  h.voxelSizeZ = -0.0000005f;
  h.laterality = LateralityOD;
  h.centerType = CenterMacula;
  return h;
}

LSurfaces Surfaces()
{
  LSurfaces s;
  s.Create(3, 2, 3, {5, 0, 15}, {5, 0, 15}, {"1", "", "<b>"}, AwkwardHeader(),
           {"", "Made-up & kept", ""});
  const int depths[] = {0, 1, -1, 496, 2147483647, -2147483647 - 1, 10, 20, 30};
  int next = 0;
  for (int i = 0; i < 3; ++i)
    for (int z = 0; z < 2; ++z)
      for (int x = 0; x < 3; ++x)
        s.Point(i, x, z).y = depths[next++ % 9];
  s.undefinedMask = {0, 1, 0, 1, 0, 1};
  return s;
}

LSurfaces NoSurfaces()
{
  LSurfaces s;
  s.Create(2, 1, 0, {}, {}, {}, PlainHeader());
  return s;
}

LMarkers Markers()
{
  LMarkers m;
  m.Create(3, 3000, PlainHeader());
  m.labels[0] = "3";
  m.points[0] = {1, 2, 3};
  m.labels[1] = "";
  m.points[1] = {-1, -1, -1};
  m.labels[2] = "a<b & c>d";
  m.points[2] = {INT_MAX, 0, INT_MIN};
  return m;
}

LSplines Splines()
{
  LSplines s;
  s.Create(5, 3000, AwkwardHeader());
  for (int i = 0; i < 5; ++i)
    s.planes[size_t(i)] = i == 4 ? 7 : i;
  s.controlPoints[1] = {{1, 2, 0}, {4, 5, 0}, {-1, 7, 0}};
  s.controlPoints[3] = {{9, 8, 7}};
  s.closed[1] = true;
  return s;
}

LGridCenter GridCenter()
{
  LGridCenter g;
  g.Create(-1, 17, PlainHeader());
  return g;
}

template <typename Record>
std::function<int(const std::string&)> WriterOf(const Record& record)
{
  return [&record](const std::string& path) { return record.WriteXml(path); };
}

TEST(ResultFileBytes, EveryKindWritesTheExpectedBytes)
{
  const LSurfaces surfaces = Surfaces();
  const LSurfaces noSurfaces = NoSurfaces();
  const LMarkers markers = Markers();
  LResultHeader broken = PlainHeader();   // voxel sizes as a damaged file may give them
  broken.voxelSizeX = std::numeric_limits<float>::quiet_NaN();
  broken.voxelSizeY = -std::numeric_limits<float>::infinity();
  broken.voxelSizeZ = 3.0e38f;
  LMarkers noMarkers;
  noMarkers.Create(0, 3000, broken);
  const LSplines splines = Splines();
  const LGridCenter gridCenter = GridCenter();
  const struct {
    const char* expected;
    const char* root;
    const LResultHeader& header;
    std::function<int(const std::string&)> write;
  } cases[] = {
    {"surfaces.xml", "surfaces", surfaces.header, WriterOf(surfaces)},
    {"surfaces_none.xml", "surfaces", noSurfaces.header, WriterOf(noSurfaces)},
    {"markers.xml", "markers", markers.header, WriterOf(markers)},
    {"markers_none.xml", "markers", noMarkers.header, WriterOf(noMarkers)},
    {"splines.xml", "splines", splines.header, WriterOf(splines)},
    {"grid_center.xml", "grid_center", gridCenter.header, WriterOf(gridCenter)},
  };
  const std::string folder = std::string(STRATAVIEW_SOURCE_DIR) + "/tests/fixtures/result-xml/";
  const TempDir dir;
  // The GUI runs under the user's locale; a decimal comma must not reach the file.
  for (const bool comma : {false, true}) {
    std::optional<CommaLocale> locale;
    if (comma && !locale.emplace().Active())
      GTEST_SKIP() << "no locale with a decimal comma is installed";
    const ScopedFixedClock clock(kClock);
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(c.expected) + (comma ? " under a comma locale" : ""));
      const std::string path = dir.File(c.expected);
      ASSERT_EQ(c.write(path), 0);
      EXPECT_EQ(fixtures::ReadAll(path), fixtures::ReadAll(folder + c.expected));
      // An independent parser sees the root and gets the escaped strings back as they were.
      std::string parsed;
      EXPECT_EQ(fixtures::RunCommand(
                    "/usr/bin/python3 -c 'import sys, xml.etree.ElementTree as ET; "
                    "r = ET.parse(sys.argv[1]).getroot(); "
                    "sys.stdout.buffer.write(\"|\".join([r.tag, r.findtext(\"executable/name\"), "
                    "r.findtext(\"executable/date\"), r.findtext(\"executable/configuration\")])"
                    ".encode())' " + path, &parsed), 0);
      EXPECT_EQ(parsed, std::string(c.root) + "|" + c.header.executableName + "|" +
                            c.header.executableDate + "|" + c.header.configuration);
    }
  }
}

// The text goes to the disk while it is made: a disk that fills up half-way through a
// large surfaces file fails the write, names the reason, and keeps the old file whole.
TEST(ResultFileBytes, ADiskFullHalfWayKeepsTheOldFile)
{
  const SmallDisk disk;
  if (!disk.Mounted())
    GTEST_SKIP() << SmallDisk::SkipReason();
  const std::string target = disk.File("e_Surfaces_Vamo.xml");
  ASSERT_TRUE(fixtures::WriteText(target, "old surfaces"));
  ASSERT_TRUE(disk.FillLeaving(400 * 1024));
  LSurfaces s;
  s.Create(64, 48, 11, {}, {}, {}, PlainHeader());   // about 0.8 MB of text
  const StdoutCapture err(2);
  EXPECT_EQ(s.WriteXml(target), -1);
  EXPECT_NE(err.Text().find(target + ": No space left on device"), std::string::npos) << err.Text();
  EXPECT_EQ(fixtures::ReadAll(target), "old surfaces");
  size_t entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(disk.Path()))
    entries += entry.path() != target;
  EXPECT_EQ(entries, 1u) << "the filler alone beside the file: no temporary is left";
}

}  // namespace
