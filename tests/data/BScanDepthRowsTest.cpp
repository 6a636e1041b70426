// Surfaces files whose B-scans are read straight from the text read exactly as the XML
// parser reads them, whatever the B-scans hold and wherever "<bscan" appears in the text.
#include "data/BScanDepthRows.h"
#include "data/LSurfaces.h"
#include "data/SurfaceGridXml.h"
#include "data/XmlFile.h"
#include "data/XmlReadResult.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ResultXmlText.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

namespace {

using fixtures::ResultXmlText;

// A surfaces file of 3 x 2 A-scans and two surfaces: the first with the B-scans given, the
// second written plainly.
std::string SurfacesText(const std::string& bscans, const std::string& beforeSurfaces = "",
                         const std::string& instance = "i")
{
  return ResultXmlText("surfaces",
                       beforeSurfaces + "<surface_size><x>3</x><z>2</z></surface_size><surface_num>2</surface_num>"
                       "<surface><label>10</label><name>ILM</name><instance>" + instance + "</instance>" +
                       bscans + "</surface><surface><label>20</label><name>BM</name><instance>j</instance>\n"
                       "  <bscan>\n    <y>7</y>\n\t<y>8</y>\r\n    <y>9</y>\n  </bscan>\n"
                       "  <bscan><y>-1</y><y>0</y><y>1</y></bscan></surface>");
}

// The depths as the parser's own tree gives them, without any row taken from the text.
std::vector<int32_t> DepthsThroughTheTree(const std::string& path)
{
  tinyxml2::XMLDocument document;
  EXPECT_EQ(xmlfile::Load(document, path), 0);
  const tinyxml2::XMLElement* root = document.RootElement();
  const SurfaceGridSize size = ReadSurfaceGridSize(*root);
  std::vector<int32_t> depths;
  for (const tinyxml2::XMLElement* surface = xmlfile::Child(root, "surface"); surface;
       surface = xmlfile::Next(surface)) {
    std::vector<Point3i> points = UndefinedSurfacePoints(1, size);
    ReadSurfaceDepths(surface, size, points.data());
    for (const Point3i& p : points)
      depths.push_back(p.y);
  }
  return depths;
}

std::vector<int32_t> DepthsOf(const LSurfaces& s)
{
  std::vector<int32_t> depths;
  for (const Point3i& p : s.points)
    depths.push_back(p.y);
  return depths;
}

TEST(BScanDepthRows, SurfacesReadAsTheParserReadsThem)
{
  const TempDir dir;
  const struct {
    const char* what;
    std::string text;
  } cases[] = {
      {"plain", SurfacesText("<bscan><y>1</y><y>-2</y><y>30</y></bscan><bscan>\n<y>4</y> <y>5</y>\t<y>6</y>\n</bscan>")},
      {"fewer and more depths than A-scans",
       SurfacesText("<bscan><y>1</y></bscan><bscan><y>4</y><y>5</y><y>6</y><y>7</y></bscan>")},
      {"white space inside a depth", SurfacesText("<bscan><y> 1</y><y>2 </y><y>3</y></bscan>")},
      {"a sign, a trailing letter", SurfacesText("<bscan><y>+1</y><y>2x</y><y>3</y></bscan>")},
      {"a number beyond int", SurfacesText("<bscan><y>12345678901</y><y>-12345678901</y><y>999999999</y></bscan>")},
      {"empty depths", SurfacesText("<bscan><y></y><y>2</y><y/></bscan><bscan><y>4</y><y/><y>6</y></bscan>")},
      {"empty B-scans", SurfacesText("<bscan></bscan><bscan/><bscan><y>1</y><y>2</y><y>3</y></bscan>")},
      {"an attribute", SurfacesText("<bscan id=\"0\"><y>1</y><y>2</y><y>3</y></bscan><bscan><y>4</y></bscan>")},
      {"another element among the depths", SurfacesText("<bscan><y>1</y><q/><y>2</y><y>3</y></bscan>")},
      {"an element inside a depth", SurfacesText("<bscan><y>1<b/></y><y>2</y><y>3</y></bscan>")},
      {"an element named alike", SurfacesText("<bscans><y>9</y></bscans><bscan><y>1</y><y>2</y><y>3</y></bscan>")},
      {"a B-scan in a comment",
       SurfacesText("<bscan><y>1</y><y>2</y><y>3</y></bscan>", "<!-- <bscan><y>9</y></bscan> -->")},
      {"a B-scan in character data",
       SurfacesText("<bscan><y>1</y><y>2</y><y>3</y></bscan>", "", "<![CDATA[<bscan><y>9</y></bscan>]]>")},
      {"a B-scan in an attribute",
       SurfacesText("<bscan><y>1</y><y>2</y><y>3</y></bscan>", "<note a=\"<bscan><y>9</y></bscan>\"/>")},
      {"B-scans outside the surfaces",
       SurfacesText("<bscan><y>1</y><y>2</y><y>3</y></bscan>", "<bscan><y>9</y><y>9</y><y>9</y></bscan>")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File(std::string(c.what) + ".xml");
    ASSERT_TRUE(fixtures::WriteText(path, c.text));
    LSurfaces read;
    ASSERT_EQ(read.ReadXml(path), kXmlOk);
    EXPECT_EQ(DepthsOf(read), DepthsThroughTheTree(path));
    EXPECT_EQ(read.instance[0], c.what == std::string("a B-scan in character data") ? "<bscan><y>9</y></bscan>" : "i");
  }
}

TEST(BScanDepthRows, OnlyPlainBScansLeaveTheText)
{
  BScanDepthRows rows;
  const std::string compact =
      rows.TakeRows("<s><bscan> <y>1</y>\n<y>-2</y> </bscan><bscan a=\"1\"><y>3</y></bscan><bscan><y> 4</y></bscan>"
                    "<bscanner/><bscan><y>5</y></bscan></s>");
  EXPECT_EQ(compact, "<s><bscan/><bscan a=\"1\"><y>3</y></bscan><bscan><y> 4</y></bscan><bscanner/><bscan/></s>");
  tinyxml2::XMLDocument document;
  ASSERT_EQ(document.Parse(compact.c_str()), tinyxml2::XML_SUCCESS);
  ASSERT_TRUE(rows.Bind(document));
  const tinyxml2::XMLElement* bscan = document.RootElement()->FirstChildElement("bscan");
  const std::vector<int32_t> taken[] = {{1, -2}, {}, {}, {5}};
  for (const std::vector<int32_t>& expected : taken) {
    ASSERT_NE(bscan, nullptr);
    const BScanDepthRows::Row row = rows.RowOf(bscan);
    EXPECT_EQ(std::vector<int32_t>(row.depths, row.depths + row.count), expected);
    bscan = bscan->NextSiblingElement("bscan");
  }
}

// A file that is not well-formed fails as it always did, with the parser's own words about
// the original text (its line numbers included).
TEST(BScanDepthRows, AMalformedFileFailsInTheParsersWords)
{
  const TempDir dir;
  const std::string path = dir.File("s.xml");
  std::string text = SurfacesText("<bscan><y>1</y><y>2</y><y>3</y></bscan>");
  text.insert(text.rfind("</surface>"), "\n\n<broken></surface>");
  ASSERT_TRUE(fixtures::WriteText(path, text));
  std::string plainErr;
  {
    const StdoutCapture err(2);
    tinyxml2::XMLDocument document;
    EXPECT_EQ(xmlfile::Load(document, path), -1);
    plainErr = err.Text();
  }
  const StdoutCapture err(2);
  LSurfaces read;
  EXPECT_EQ(read.ReadXml(path), kXmlLoadFailed);
  EXPECT_EQ(err.Text(), plainErr);
  EXPECT_NE(plainErr.find("XML_ERROR_MISMATCHED_ELEMENT"), std::string::npos);
}

}  // namespace
