#include "data/LRefSurface.h"
#include "data/XmlReadResult.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ResultXmlText.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

namespace {

using fixtures::ResultXmlText;

std::string RefFile(const std::string& size, const std::string& surfaces)
{
  return ResultXmlText("reference_surface", "<surface_size>" + size + "</surface_size>" + surfaces);
}

TEST(RefSurface, ReadsTheFirstSurfaceMatchedByKeyOnly)
{
  const TempDir dir;
  const std::string depths = "<bscan><y>5</y><y>6</y><y>7</y></bscan><bscan><y/><y>1</y></bscan>";
  const struct { const char* name; int row; const char* warning; } cases[] = {
    {"<name>Reference surface for OCT flattening (REF)</name>", 24, ""},
    {"<name>ILM (ILM)</name>", 5, ""},
    {"<name>1</name>", 0, "Warning: Unknown surface name = '1'\n"},
    {"<name></name>", 0, ""},
    {"", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.File("r.xml");
    ASSERT_TRUE(fixtures::WriteText(path, RefFile("<x>3</x><z>2</z>",
        std::string("<surface>") + c.name + "<instance>i1</instance>" + depths + "</surface>"
        "<surface><name>BM</name><instance>i2</instance><bscan><y>9</y></bscan></surface>")));
    LRefSurface r;
    const StdoutCapture out;
    ASSERT_EQ(r.ReadXml(path), kXmlOk);
    EXPECT_EQ(out.Text(), c.warning);
    EXPECT_TRUE(r.loaded);
    EXPECT_EQ(r.labelIndex, c.row);
    EXPECT_EQ(r.nameIndex, c.row);
    EXPECT_EQ(r.GetInstance(), "i1");
    const std::vector<Point3i> expected = {{0, 5, 0}, {1, 6, 0}, {2, 7, 0},
                                           {0, -1, 1}, {1, -1, 1}, {2, -1, 1}};
    EXPECT_EQ(r.points, expected);
  }
}

TEST(RefSurface, BodiesWithoutSurfacesOrPoints)
{
  const TempDir dir;
  const std::string path = dir.File("r.xml");
  ASSERT_TRUE(fixtures::WriteText(path, RefFile("<x>2</x><z>1</z>", "")));
  LRefSurface r;
  ASSERT_EQ(r.ReadXml(path), kXmlOk);
  EXPECT_EQ(r.points, (std::vector<Point3i>{{0, -1, 0}, {1, -1, 0}}));
  EXPECT_EQ(r.labelIndex, 0);
  EXPECT_EQ(r.instance, "NA");

  ASSERT_TRUE(fixtures::WriteText(path, RefFile("<x>0</x><z>0</z>",
      "<surface><name>REF</name><bscan><y>1</y></bscan></surface>")));
  ASSERT_EQ(r.ReadXml(path), kXmlOk);
  EXPECT_TRUE(r.loaded);
  EXPECT_TRUE(r.points.empty());
  EXPECT_EQ(r.labelIndex, 24);
}

TEST(RefSurface, HugeSizeIsRefused)
{
  const TempDir dir;
  const std::string path = dir.File("r.xml");
  ASSERT_TRUE(fixtures::WriteText(path, RefFile("<x>2000000000</x><z>2000000000</z>", "")));
  LRefSurface r;
  r.Create(1, 1, 24, 24, "old", LResultHeader());
  const StdoutCapture out;
  EXPECT_EQ(r.ReadXml(path), kXmlLoadFailed);
  EXPECT_EQ(out.Text().rfind("Error: ", 0), 0u);
  EXPECT_EQ(r.instance, "old");
  EXPECT_EQ(r.points.size(), 1u);
}

}  // namespace
