#include "data/LSurfaces.h"
#include "data/ResultClock.h"
#include "data/SurfaceTable.h"
#include "data/XmlReadResult.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ResultXmlText.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

namespace {

using fixtures::ResultXmlText;

LResultHeader Header()
{
  LResultHeader h;
  for (std::string* text : {&h.version, &h.executableName, &h.executableVersion,
                            &h.executableDate, &h.configuration, &h.authors, &h.institute,
                            &h.comment, &h.modifier})
    *text = "4.0.0";
  return h;
}

std::string Surface(const std::string& name, const std::string& instance, const std::string& bscans)
{
  return "<surface><label>999</label><name>" + name + "</name><instance>" + instance +
         "</instance>" + bscans + "</surface>";
}

TEST(SurfaceTable, NamesMatchRows)
{
  const struct { const char* name; int row; bool warns; } cases[] = {
    {"ILM", 5, false}, {"ib_rpe", 18, false}, {"IS/OS junction", 15, false},
    {"RNFL-GCL", 6, false}, {"C-SL", 21, false}, {"REF", 24, false},
    {"1", 5, false}, {"2", 7, false}, {"3", 8, false}, {"4", 9, false}, {"5", 10, false},
    {"6", 14, false}, {"7", 15, false}, {"8", 18, false}, {"9", 19, false},
    {"10", 0, true}, {"RPE", 0, true}, {"NA", 0, false},
    {"Retina (RET)", 0, false}, {"Internal limiting membrane", 0, false},
    {"", 0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const StdoutCapture out;
    EXPECT_EQ(SurfaceTable::RowForName(c.name, SurfaceTable::ShortNumbers::Match), c.row);
    EXPECT_EQ(out.Text(), c.warns ? std::string("Warning: Unknown surface name = '") + c.name + "'\n"
                                  : std::string());
  }
  EXPECT_EQ(SurfaceTable::RowForName(nullptr, SurfaceTable::ShortNumbers::Match), 0);
  // Without short numbers a bare number matches nothing.
  const StdoutCapture out;
  EXPECT_EQ(SurfaceTable::RowForName("1", SurfaceTable::ShortNumbers::Ignore), 0);
  EXPECT_EQ(out.Text(), "Warning: Unknown surface name = '1'\n");
}

// Every row written by the writer reads back as its own row, with its depths and instance.
TEST(Surfaces, EveryTableRowRoundTrips)
{
  const TempDir dir;
  const int n = SurfaceTable::kRowCount;
  std::vector<int32_t> rows;
  std::vector<std::string> instances;
  for (int i = 0; i < n; ++i) {
    rows.push_back(i);
    instances.push_back(i == 3 ? "" : "inst" + std::to_string(i));
  }
  LSurfaces written;
  written.Create(3, 2, n, rows, rows, instances, Header());
  for (int s = 0; s < n; ++s)
    written.Point(s, s % 3, s % 2).y = 100 + s;
  written.undefinedMask[1 + 1 * 3] = 1;
  const std::string path = dir.File("s.xml");
  ASSERT_EQ(written.WriteXml(path), 0);
  EXPECT_EQ(fixtures::RunCommand("xmllint --noout " + path), 0);

  LSurfaces read;
  ASSERT_EQ(read.ReadXml(path), kXmlOk);
  ASSERT_EQ(read.surfaceCount, n);
  EXPECT_EQ(read.surfaceSizeX, 3);
  EXPECT_EQ(read.surfaceSizeZ, 2);
  EXPECT_EQ(read.labelIndex, rows);
  EXPECT_EQ(read.nameIndex, rows);
  EXPECT_EQ(read.points, written.points);
  EXPECT_EQ(read.undefinedMask, written.undefinedMask);
  instances[3] = "NA";
  EXPECT_EQ(read.instance, instances);
}

TEST(Surfaces, ReadingOrdersByLabelStably)
{
  const TempDir dir;
  const std::string bscan = "<bscan><y>1</y><y>2</y></bscan>";
  const struct {
    const char* what;
    std::string surfaces;
    std::vector<int32_t> rows;
    std::vector<std::string> instances;
  } cases[] = {
    {"IS/OS before ILM",
     Surface("IS/OS junction (IS/OSJ)", "a", "<bscan><y>10</y></bscan>") +
         Surface("ILM (ILM)", "b", "<bscan><y>20</y></bscan>"),
     {5, 15}, {"b", "a"}},
    {"unknown names after ILM",
     Surface("ILM (ILM)", "a", "<bscan><y>10</y></bscan>") +
         Surface("Foo", "b", "<bscan><y>20</y></bscan>") +
         Surface("Bar", "c", "<bscan><y>30</y></bscan>"),
     {0, 0, 5}, {"b", "c", "a"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int n = static_cast<int>(c.rows.size());
    const std::string path = dir.File("s.xml");
    ASSERT_TRUE(fixtures::WriteText(path, ResultXmlText("surfaces",
        "<surface_size><x>1</x><z>1</z></surface_size><surface_num>" + std::to_string(n) +
        "</surface_num>" + c.surfaces)));
    LSurfaces s;
    {
      const StdoutCapture quiet;
      ASSERT_EQ(s.ReadXml(path), kXmlOk);
    }
    EXPECT_EQ(s.labelIndex, c.rows);
    EXPECT_EQ(s.nameIndex, c.rows);
    EXPECT_EQ(s.instance, c.instances);
    for (int i = 0; i < n; ++i)   // the depths moved with their surface
      EXPECT_EQ(s.Point(i, 0, 0).y, 10 * (1 + (c.instances[size_t(i)][0] - 'a')));
  }
}

TEST(Surfaces, MissingElementsReadAsUndefined)
{
  const TempDir dir;
  const std::string path = dir.File("s.xml");
  // Three surfaces claimed, two present; the first B-scan starts with an empty y; the
  // second has one y too few; one y too many is ignored; the undefined region holds one
  // A-scan in range, one at x = X, one with a negative z and one without z.
  ASSERT_TRUE(fixtures::WriteText(path, ResultXmlText("surfaces",
      "<surface_size><x>3</x><z>2</z></surface_size><surface_num>3</surface_num>" +
      Surface("ILM", "", "<bscan><y/><y>4</y><y>5</y></bscan><bscan><y>6</y><y>7</y></bscan>") +
      Surface("BM", "x", "<bscan><y>1</y><y></y><y>3</y><y>9</y></bscan>") +
      "<undefined_region><ascan><x>2</x><z>1</z></ascan><ascan><x>3</x><z>0</z></ascan>"
      "<ascan><x>0</x><z>-1</z></ascan><ascan><x>1</x></ascan></undefined_region>")));
  LSurfaces s;
  ASSERT_EQ(s.ReadXml(path), kXmlOk);
  ASSERT_EQ(s.surfaceCount, 3);
  // The surface without an element is row 0 and comes first.
  EXPECT_EQ(s.labelIndex, (std::vector<int32_t>{0, 5, 20}));
  EXPECT_EQ(s.instance, (std::vector<std::string>{"NA", "NA", "x"}));
  const int expected[3][2][3] = {{{-1, -1, -1}, {-1, -1, -1}},
                                 {{-1, -1, -1}, {6, 7, -1}},
                                 {{1, -1, 3}, {-1, -1, -1}}};
  for (int i = 0; i < 3; ++i)
    for (int z = 0; z < 2; ++z)
      for (int x = 0; x < 3; ++x) {
        SCOPED_TRACE(testing::Message() << "surface " << i << " x " << x << " z " << z);
        EXPECT_EQ(s.Point(i, x, z), (Point3i{x, expected[i][z][x], z}));
      }
  EXPECT_EQ(s.undefinedMask, (std::vector<uint8_t>{0, 0, 0, 0, 0, 1}));
}

TEST(Surfaces, NoSurfacesStillReadsTheMask)
{
  const TempDir dir;
  const std::string path = dir.File("s.xml");
  ASSERT_TRUE(fixtures::WriteText(path, ResultXmlText("surfaces",
      "<surface_size><x>2</x><z>2</z></surface_size><surface_num>0</surface_num>"
      "<undefined_region><ascan><x>1</x><z>0</z></ascan></undefined_region>")));
  LSurfaces s;
  ASSERT_EQ(s.ReadXml(path), kXmlOk);
  EXPECT_TRUE(s.loaded);
  EXPECT_EQ(s.surfaceCount, 0);
  EXPECT_TRUE(s.points.empty());
  EXPECT_EQ(s.undefinedMask, (std::vector<uint8_t>{0, 1, 0, 0}));
}

// A file read and written again is the same file, byte for byte, including names the table
// does not know.
TEST(Surfaces, RewritingAReadFileChangesNothing)
{
  const TempDir dir;
  const ScopedFixedClock clock({2026, 12, 31, 23, 59, 58});
  LSurfaces first;
  first.Create(2, 2, 2, {0, 18}, {0, 18}, {"NA", "2"}, Header(), {"Choroid-sclera (CSI)", ""});
  first.Point(0, 1, 1).y = 33;
  first.Point(1, 0, 0).y = 12;
  first.undefinedMask[2] = 1;
  const std::string a = dir.File("a.xml");
  const std::string b = dir.File("b.xml");
  ASSERT_EQ(first.WriteXml(a), 0);
  const std::string text = fixtures::ReadAll(a);
  EXPECT_NE(text.find("<name>Choroid-sclera (CSI)</name>"), std::string::npos);
  EXPECT_NE(text.find("<name>Inner boundary of RPE (IB_RPE)</name>"), std::string::npos);

  LSurfaces second;
  {
    const StdoutCapture out;
    ASSERT_EQ(second.ReadXml(a), kXmlOk);
    EXPECT_EQ(out.Text(), "Warning: Unknown surface name = 'Choroid-sclera (CSI)'\n");
  }
  EXPECT_EQ(second.labelIndex, (std::vector<int32_t>{0, 18}));
  ASSERT_EQ(second.WriteXml(b), 0);
  EXPECT_EQ(fixtures::ReadAll(b), text);
}

TEST(Surfaces, CountsBeyondTheLimitsAreRefusedBeforeAllocating)
{
  const TempDir dir;
  const struct { const char* x; const char* z; const char* n; } cases[] = {
    {"2147483647", "2147483647", "2147483647"},
    {"100000", "100000", "0"},
    {"1024", "1024", "100"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << " x " << c.z << " x " << c.n);
    const std::string path = dir.File("s.xml");
    ASSERT_TRUE(fixtures::WriteText(path, ResultXmlText("surfaces",
        std::string("<surface_size><x>") + c.x + "</x><z>" + c.z + "</z></surface_size>"
        "<surface_num>" + c.n + "</surface_num>")));
    LSurfaces s;
    s.Create(1, 1, 1, {5}, {5}, {"old"}, LResultHeader());
    const StdoutCapture out;
    EXPECT_EQ(s.ReadXml(path), kXmlLoadFailed);
    EXPECT_EQ(out.Text().rfind("Error: ", 0), 0u) << out.Text();
    EXPECT_TRUE(s.loaded);
    EXPECT_EQ(s.instance, (std::vector<std::string>{"old"}));
  }
}

TEST(Surfaces, SurfacesWithoutAGridAreRefused)
{
  const TempDir dir;
  const struct { const char* what; std::string size; int result; } cases[] = {
    {"no surface_size", "", kXmlLoadFailed},
    {"x is 0", "<surface_size><x>0</x><z>3</z></surface_size>", kXmlLoadFailed},
    {"z is missing", "<surface_size><x>4</x></surface_size>", kXmlLoadFailed},
    {"a grid", "<surface_size><x>4</x><z>3</z></surface_size>", kXmlOk},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File("s.xml");
    ASSERT_TRUE(fixtures::WriteText(path, ResultXmlText("surfaces", c.size +
        "<surface_num>2</surface_num>" + Surface("ILM (ILM)", "a", "<bscan><y>1</y></bscan>"))));
    LSurfaces s;
    const StdoutCapture out;
    EXPECT_EQ(s.ReadXml(path), c.result);
    if (c.result != kXmlOk) {
      EXPECT_EQ(out.Text(), "Error: No surface size in surfaces file\n");
    }
  }
}

}  // namespace
