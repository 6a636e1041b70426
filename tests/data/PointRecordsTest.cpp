#include "data/LGridCenter.h"
#include "data/LMarkers.h"
#include "data/LRefSurface.h"
#include "data/LSplines.h"
#include "data/LSurfaces.h"
#include "data/ResultClock.h"
#include "data/XmlReadResult.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ResultXmlText.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <functional>
#include <gtest/gtest.h>

// Grid-centre, markers and splines files, and what every result reader shares.
namespace {

using fixtures::ResultXmlText;

LResultHeader Header()
{
  LResultHeader h;
  for (std::string* text : {&h.version, &h.executableName, &h.executableVersion,
                            &h.executableDate, &h.configuration, &h.authors, &h.institute,
                            &h.comment, &h.modifier})
    *text = "4.1.0";
  return h;
}

// Writes the record to a.xml (well-formed, with a fixed clock) and reads it back.
template <typename Record>
Record ReadBack(const Record& written, const TempDir& dir)
{
  const ScopedFixedClock clock({2026, 1, 2, 3, 4, 5});
  const std::string a = dir.File("a.xml");
  EXPECT_EQ(written.WriteXml(a), 0);
  EXPECT_EQ(fixtures::RunCommand("xmllint --noout " + a), 0);
  Record read;
  EXPECT_EQ(read.ReadXml(a), kXmlOk);
  return read;
}

// A record read back from a.xml writes the same bytes again.
template <typename Record>
void ExpectSameBytesWhenRewritten(const Record& read, const TempDir& dir)
{
  const ScopedFixedClock clock({2026, 1, 2, 3, 4, 5});
  const std::string b = dir.File("b.xml");
  EXPECT_EQ(read.WriteXml(b), 0);
  EXPECT_EQ(fixtures::ReadAll(b), fixtures::ReadAll(dir.File("a.xml")));
}

TEST(ResultReaders, EachKindChecksItsRootAndSurvivesBrokenFiles)
{
  const TempDir dir;
  const struct {
    const char* root;
    std::function<int(const std::string&)> read;
  } kinds[] = {
    {"surfaces", [](const std::string& p) { LSurfaces r; return r.ReadXml(p); }},
    {"reference_surface", [](const std::string& p) { LRefSurface r; return r.ReadXml(p); }},
    {"grid_center", [](const std::string& p) { LGridCenter r; return r.ReadXml(p); }},
    {"markers", [](const std::string& p) { LMarkers r; return r.ReadXml(p); }},
    {"splines", [](const std::string& p) { LSplines r; return r.ReadXml(p); }},
  };
  const std::string path = dir.File("k.xml");
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.root);
    const std::string valid = ResultXmlText(kind.root, "");
    ASSERT_TRUE(fixtures::WriteText(path, valid));
    EXPECT_EQ(kind.read(path), kXmlOk);

    ASSERT_TRUE(fixtures::WriteText(path, ResultXmlText("grid", "")));
    {
      const StdoutCapture out;
      EXPECT_EQ(kind.read(path), kXmlWrongRoot);
      EXPECT_EQ(out.Text(), std::string("Error: No ") + kind.root + " tag\n");
    }
    ASSERT_TRUE(fixtures::WriteText(path, valid.substr(0, valid.size() / 2)));
    const StdoutCapture err(2);
    EXPECT_EQ(kind.read(path), kXmlLoadFailed);
  }
}

TEST(GridCenter, MissingCoordinatesReadAsMinusOne)
{
  const TempDir dir;
  const struct { const char* center; int x; int z; } cases[] = {
    {"", -1, -1}, {"<center/>", -1, -1}, {"<center><x>12</x></center>", 12, -1},
    {"<center><x>12</x><z></z></center>", 12, -1}, {"<center><z>3</z><x>-4</x></center>", -4, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.center);
    const std::string path = dir.File("g.xml");
    ASSERT_TRUE(fixtures::WriteText(path, ResultXmlText("grid_center", c.center)));
    LGridCenter g;
    ASSERT_EQ(g.ReadXml(path), kXmlOk);
    EXPECT_TRUE(g.loaded);
    EXPECT_EQ(g.centerX, c.x);
    EXPECT_EQ(g.centerZ, c.z);
  }
}

TEST(GridCenter, RoundTrip)
{
  const TempDir dir;
  LGridCenter g;
  g.Create(255, 63, Header());
  const LGridCenter read = ReadBack(g, dir);
  ExpectSameBytesWhenRewritten(read, dir);
  EXPECT_EQ(read.centerX, 255);
  EXPECT_EQ(read.centerZ, 63);
  EXPECT_NE(fixtures::ReadAll(dir.File("a.xml")).find("<unit>pixel</unit>"), std::string::npos);
}

TEST(Markers, CountsAndElementsThatDisagree)
{
  const TempDir dir;
  const std::string marker = "<marker><label>3</label><x>1</x><y>2</y><z>3</z></marker>";
  const struct {
    const char* what;
    std::string body;
    std::vector<std::string> labels;
    std::vector<Point3i> points;
  } cases[] = {
    {"fewer elements than the count",
     "<marker_num>3</marker_num><marker><label></label><y>7</y></marker>" + marker,
     {"NA", "3", "NA"}, {{-1, 7, -1}, {1, 2, 3}, {-1, -1, -1}}},
    {"more elements than the count", "<marker_num>1</marker_num>" + marker + marker,
     {"3"}, {{1, 2, 3}}},
    {"negative count", "<marker_num>-2</marker_num>" + marker, {}, {}},
    {"no count", marker, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File("m.xml");
    ASSERT_TRUE(fixtures::WriteText(path, ResultXmlText("markers", c.body)));
    LMarkers m;
    ASSERT_EQ(m.ReadXml(path), kXmlOk);
    EXPECT_EQ(m.count, int(c.labels.size()));
    EXPECT_EQ(m.labels, c.labels);
    EXPECT_EQ(m.points, c.points);
  }
}

TEST(Markers, CreatedWithCapacityRoundTripsToItsCount)
{
  const TempDir dir;
  LMarkers m;
  m.Create(2, 3000, Header());
  m.labels[0] = "0";
  m.labels[1] = "19";
  m.points[0] = {4, 5, 6};
  m.points[2] = {7, 7, 7};   // beyond the count: not written
  LMarkers read = ReadBack(m, dir);
  EXPECT_EQ(read.count, 2);
  EXPECT_EQ(read.points, (std::vector<Point3i>{{4, 5, 6}, {-1, -1, -1}}));
  EXPECT_EQ(read.labels, (std::vector<std::string>{"0", "19"}));
  ExpectSameBytesWhenRewritten(read, dir);

  read.labels[0] = "";   // written without text, read back as "NA"
  EXPECT_EQ(ReadBack(read, dir).labels, (std::vector<std::string>{"NA", "19"}));
}

TEST(Splines, CodedWordsAndCounts)
{
  const TempDir dir;
  const std::string point = "<point><x>1</x><y>2</y><z>3</z></point>";
  const struct {
    const char* what;
    std::string body;
    std::vector<int32_t> planes;
    std::vector<bool> closed;
    std::vector<std::vector<Point3i>> points;
  } cases[] = {
    {"plane and closed words",
     "<spline_num>6</spline_num>"
     "<spline><plane>XY</plane><closed>Y</closed></spline>"
     "<spline><plane>Xy</plane><closed>y</closed></spline>"
     "<spline><plane>xz</plane><closed>yes</closed></spline>"
     "<spline><plane>ZY</plane><closed>N</closed></spline>"
     "<spline><plane>YX</plane><closed></closed></spline>"
     "<spline><plane></plane></spline>",
     {1, 1, 3, 2, 0, 0}, {true, true, false, false, false, false}, {{}, {}, {}, {}, {}, {}}},
    {"fewer splines than the count",
     "<spline_num>2</spline_num><spline><plane>XY</plane><point_num>1</point_num>" + point +
         "<closed>Y</closed></spline>",
     {1, 0}, {true, false}, {{{1, 2, 3}}, {}}},
    {"point counts that disagree",
     "<spline_num>2</spline_num><spline><point_num>0</point_num>" + point + point + point +
         "</spline><spline><point_num>3</point_num>" + point + "<point><x>5</x></point></spline>",
     {0, 0}, {false, false}, {{}, {{1, 2, 3}, {5, -1, -1}, {-1, -1, -1}}}},
    {"negative counts", "<spline_num>-1</spline_num><spline/>", {}, {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File("s.xml");
    ASSERT_TRUE(fixtures::WriteText(path, ResultXmlText("splines", c.body)));
    LSplines s;
    ASSERT_EQ(s.ReadXml(path), kXmlOk);
    EXPECT_EQ(s.count, int(c.planes.size()));
    EXPECT_EQ(s.planes, c.planes);
    EXPECT_EQ(s.closed, c.closed);
    EXPECT_EQ(s.controlPoints, c.points);
  }
}

TEST(Splines, CreatedWithCapacityRoundTripsToItsCount)
{
  const TempDir dir;
  LSplines s;
  s.Create(3, 3000, Header());
  s.planes[0] = 2;
  s.controlPoints[0] = {{1, 2, 3}, {4, 5, 6}};
  s.closed[0] = true;
  s.controlPoints[1] = {{-1, 0, 9}};
  s.planes[2] = 3;
  LSplines read = ReadBack(s, dir);
  EXPECT_EQ(read.count, 3);
  EXPECT_EQ(read.planes, (std::vector<int32_t>{2, 0, 3}));
  EXPECT_EQ(read.controlPoints, (std::vector<std::vector<Point3i>>{
                                    {{1, 2, 3}, {4, 5, 6}}, {{-1, 0, 9}}, {}}));
  EXPECT_EQ(read.closed, (std::vector<bool>{true, false, false}));
  ExpectSameBytesWhenRewritten(read, dir);

  read.planes[1] = 7;   // no word: written without text, read back as 0
  EXPECT_EQ(ReadBack(read, dir).planes, (std::vector<int32_t>{2, 0, 3}));
  EXPECT_NE(fixtures::ReadAll(dir.File("a.xml")).find("<plane/>"), std::string::npos);
}

TEST(ResultReaders, HugeCountsAreRefusedBeforeAllocating)
{
  const TempDir dir;
  const std::string spline = "<spline><point_num>600000</point_num></spline>";
  const struct {
    const char* root;
    std::string body;
    std::function<int(const std::string&)> read;
  } cases[] = {
    {"markers", "<marker_num>1000000000</marker_num>",
     [](const std::string& p) { LMarkers m; m.Create(1, 1, {}); return m.ReadXml(p); }},
    {"splines", "<spline_num>1000000000</spline_num>",
     [](const std::string& p) { LSplines s; s.Create(1, 1, {}); return s.ReadXml(p); }},
    {"splines", "<spline_num>1</spline_num><spline><point_num>1000000000</point_num></spline>",
     [](const std::string& p) { LSplines s; s.Create(1, 1, {}); return s.ReadXml(p); }},
    {"splines", "<spline_num>2</spline_num>" + spline + spline,
     [](const std::string& p) { LSplines s; s.Create(1, 1, {}); return s.ReadXml(p); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    const std::string path = dir.File("h.xml");
    ASSERT_TRUE(fixtures::WriteText(path, ResultXmlText(c.root, c.body)));
    const StdoutCapture out;
    EXPECT_EQ(c.read(path), kXmlLoadFailed);
    EXPECT_EQ(out.Text().rfind("Error: ", 0), 0u) << out.Text();
  }
}

}  // namespace
