#include "data/LExecutableList.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

std::string ListXml(const std::string& body, const std::string& version = "4.0.0")
{
  return "<?xml version=\"1.0\"?>\n<executables><version>" + version + "</version>" + body +
         "</executables>\n";
}

std::string Executable(const std::string& name)
{
  return "<executable><name>" + name + "</name><argc>2</argc><argv>bin/" + name +
         "</argv><argv>[OCT]</argv><argv_description>program</argv_description>"
         "<argv_description>input</argv_description></executable>";
}

std::string Repeat(const std::string& text, int times)
{
  std::string all;
  for (int i = 0; i < times; ++i)
    all += text;
  return all;
}

class ExecutableList : public ::testing::Test {
protected:
  std::string Write(const std::string& text)
  {
    const std::string path = m_Dir.File("Executables" + std::to_string(m_Files++) + ".xml");
    EXPECT_TRUE(fixtures::WriteText(path, text));
    return path;
  }

private:
  TempDir m_Dir;
  int m_Files = 0;
};

TEST_F(ExecutableList, CountsComeFromTheCountElementsOrTheElementsPresent)
{
  const struct {
    const char* what;
    std::string body;
    std::vector<std::string> names;
  } cases[] = {
    {"count given", "<executable_num>3</executable_num>" + Executable("a") + Executable("b") +
                        Executable("c"), {"a", "b", "c"}},
    {"count missing", Repeat(Executable("x"), 7), std::vector<std::string>(7, "x")},
    {"fewer elements than the count", "<executable_num>2</executable_num>" + Executable("a"),
     {"a", "NA"}},
    {"empty count reads 0", "<executable_num/>" + Executable("a"), {}},
    {"negative count reads 0", "<executable_num>-5</executable_num>" + Executable("a"), {}},
  };
  for (const auto& c : cases) {
    LExecutableList list;
    ASSERT_EQ(list.Read(Write(ListXml(c.body))), 0) << c.what;
    EXPECT_TRUE(list.loaded) << c.what;
    EXPECT_EQ(list.version, "4.0.0") << c.what;
    ASSERT_EQ(list.GetCount(), int(c.names.size())) << c.what;
    for (int i = 0; i < list.GetCount(); ++i)
      EXPECT_EQ(list.GetName(i), c.names[size_t(i)]) << c.what;
  }
}

TEST_F(ExecutableList, ArgumentsAndDescriptionsDefaultToEmpty)
{
  LExecutableList list;
  ASSERT_EQ(list.Read(Write(ListXml(
                "<executable><name/><argv>p</argv><argv>[OCT]</argv><argv/><argv>x y</argv>"
                "<argv_description>program</argv_description></executable>"
                "<executable><name>b</name><argc/><argv>q</argv></executable>"))),
            0);
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list.GetName(0), "");
  ASSERT_EQ(list.GetArgc(0), 4);
  const std::vector<std::string> argv{"p", "[OCT]", "", "x y"};
  const std::vector<std::string> descriptions{"program", "", "", ""};
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(list.GetArgv(0, j), argv[size_t(j)]);
    EXPECT_EQ(list.GetArgvDescription(0, j), descriptions[size_t(j)]);
  }
  EXPECT_EQ(list.GetArgc(1), 0);
}

TEST_F(ExecutableList, FailuresGiveTheirCodeAndLineAndKeepTheOldList)
{
  const struct {
    const char* what;
    std::string text;
    int result;
    const char* line;
  } cases[] = {
    {"not XML", "<executables><version>4.0.0</version>", -1, "Error: fopen\n"},
    {"wrong root", "<?xml version=\"1.0\"?><grid><version>4.0.0</version></grid>", -2,
     "Error: No executables tag\n"},
    {"no version", "<executables>" + Executable("a") + "</executables>", -3,
     "Error: XML version < 4.0.0\n"},
    {"old version", ListXml(Executable("a"), "3.9.9"), -3, "Error: XML version < 4.0.0\n"},
    {"too many executables", ListXml("<executable_num>2000000000</executable_num>"), -1,
     "Error: Too many elements in executables file\n"},
    {"too many executable elements", ListXml(Repeat("<executable/>", 1001)), -1,
     "Error: Too many elements in executables file\n"},
    {"too many arguments", ListXml("<executable><argc>99999999</argc></executable>"), -1,
     "Error: Too many elements in executables file\n"},
    {"too many argv elements", ListXml("<executable>" + Repeat("<argv>a</argv>", 1001) +
                                       "</executable>"), -1,
     "Error: Too many elements in executables file\n"},
  };
  for (const auto& c : cases) {
    LExecutableList list;
    ASSERT_EQ(list.Read(Write(ListXml(Executable("kept")))), 0);
    StdoutCapture out;
    EXPECT_EQ(list.Read(Write(c.text)), c.result) << c.what;
    EXPECT_NE(out.Text().find(c.line), std::string::npos) << c.what << ": " << out.Text();
    ASSERT_EQ(list.GetCount(), 1) << c.what;
    EXPECT_EQ(list.GetName(0), "kept") << c.what;
  }
  LExecutableList missing;
  StdoutCapture out;
  EXPECT_EQ(missing.Read(Write("") + ".absent"), -1);
  EXPECT_FALSE(missing.loaded);
  EXPECT_NE(out.Text().find("Error: fopen\n"), std::string::npos);
}

}  // namespace
