#include "data/FileApproval.h"
#include "data/LSurfaces.h"
#include "data/ResultClock.h"
#include "data/XmlFile.h"
#include "data/XmlReadResult.h"
#include "fixtures/CommaLocale.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ResultXmlText.h"
#include "fixtures/StdoutCapture.h"
#include "fixtures/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>

// The header block and the reading and writing steps every result record shares, seen
// through the surfaces record (the reading and writing of its body is tested beside it).
namespace {

using fixtures::ResultXmlText;

const ClockReading kClock {2026, 3, 7, 9, 5, 4};

LResultHeader FullHeader()
{
  LResultHeader h;
  h.version = "4.2.1";
  h.executableName = "Layers & more";
  h.executableVersion = "1.5";
  h.executableDate = "2025-01-02";
  h.configuration = "default";
  h.authors = "A. Author";
  h.institute = "Eye Lab";
  h.comment = " spaced <text> ";
  h.modificationDate = "01/01/2000";
  h.modificationTime = "00:00:00";
  h.modifier = "reader";
  h.approval = true;
  h.format = FormatHeidelberg;
  h.sizeX = 16;
  h.sizeY = 24;
  h.sizeZ = 6;
  h.voxelSizeX = 0.0117f;
  h.voxelSizeY = 0.0039f;
  h.voxelSizeZ = 0.25f;
  h.laterality = LateralityOS;
  h.centerType = CenterONH;
  return h;
}

// A loaded record with one surface that a failed read must leave as it was.
LSurfaces LoadedSurfaces()
{
  LSurfaces s;
  s.Create(2, 1, 1, {5}, {5}, {"kept"}, FullHeader());
  s.Point(0, 1, 0).y = 7;
  return s;
}

TEST(XmlVersion, Rule)
{
  const struct { const char* version; bool passes; } cases[] = {
    {"4.0.0", true}, {"4", true}, {"4.1", true}, {"10", true}, {"3.100.0", true},
    {"4.0.0.7", true}, {"3.8.0", false}, {"3.99.99", false}, {"NA", false}, {"", false},
    {"4.0.-1", false}, {"99999999999.0.0", true}, {"-99999999999", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.version);
    EXPECT_EQ(xmlfile::VersionPasses(c.version), c.passes);
  }
}

TEST(ResultHeader, FailedReadsReportAndKeepWhatTheyMust)
{
  const TempDir dir;
  const struct {
    const char* what;
    std::string text;   // empty: no file at all
    int result;
    const char* out;    // the line on standard output
    const char* err;    // part of the text on standard error
    const char* version;
  } cases[] = {
    {"missing file", "", kXmlLoadFailed, "", "No such file or directory", nullptr},
    {"malformed", "<?xml version=\"1.0\"?>\n<surfaces><version>4.0.0</surfaces>\n",
     kXmlLoadFailed, "", "XML_ERROR_MISMATCHED_ELEMENT", nullptr},
    {"empty file", " ", kXmlLoadFailed, "", "XML_ERROR_EMPTY_DOCUMENT", nullptr},
    {"other root", ResultXmlText("reference_surface", ""), kXmlWrongRoot,
     "Error: No surfaces tag\n", "", "NA"},
    {"root in other case", ResultXmlText("Surfaces", ""), kXmlWrongRoot,
     "Error: No surfaces tag\n", "", "NA"},
    {"old version", ResultXmlText("surfaces", "", "3.8.0"), kXmlOldVersion,
     "Error: XML version < 4.0.0\n", "", "3.8.0"},
    {"NA version", ResultXmlText("surfaces", "", "NA"), kXmlOldVersion,
     "Error: XML version < 4.0.0\n", "", "NA"},
    {"version without text", ResultXmlText("surfaces", "", ""), kXmlOldVersion,
     "Error: XML version < 4.0.0\n", "", "NA"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = dir.File("case.xml");
    std::filesystem::remove(path);
    if (!c.text.empty()) {
      ASSERT_TRUE(fixtures::WriteText(path, c.text));
    }
    LSurfaces s = LoadedSurfaces();
    int result = 0;
    std::string out;
    std::string err;
    {
      const StdoutCapture captureOut(1);
      const StdoutCapture captureErr(2);
      result = s.ReadXml(path);
      out = captureOut.Text();
      err = captureErr.Text();
    }
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(out, c.out);
    EXPECT_NE(err.find(c.err), std::string::npos) << err;
    // The body stays in every case.
    EXPECT_TRUE(s.loaded);
    EXPECT_EQ(s.Point(0, 1, 0).y, 7);
    EXPECT_EQ(s.instance[0], "kept");
    if (c.version) {   // the header is reset
      EXPECT_EQ(s.header.version, c.version);
      EXPECT_EQ(s.header.executableName, "NA");
      EXPECT_EQ(s.header.modifier, "NA");
      EXPECT_FALSE(s.header.approval);
      EXPECT_EQ(s.header.format, FormatNA);
      EXPECT_EQ(s.header.sizeY, 0);
      EXPECT_EQ(s.header.voxelSizeX, 0.0f);
    } else {           // nothing changed
      EXPECT_EQ(s.header.version, "4.2.1");
      EXPECT_EQ(s.header.executableName, "Layers & more");
      EXPECT_TRUE(s.header.approval);
    }
  }
}

TEST(ResultHeader, CodedWordsAndUnitsOnReading)
{
  const TempDir dir;
  const struct {
    const char* scan;    // the content of scan_characteristics
    const char* approval;
    ScanFormat format;
    Laterality eye;
    CenterType center;
    float voxelX;
    bool approved;
  } cases[] = {
    {"<manufacturer>CiRRuS</manufacturer><laterality>od</laterality>"
     "<center_type>MACULA</center_type><voxel_size><unit>um</unit><x>3.5</x></voxel_size>",
     "Y", FormatZeiss, LateralityOD, CenterMacula, 0.0035f, true},
    {"<manufacturer>Spectralis</manufacturer><laterality>OS</laterality>"
     "<center_type>onh</center_type><voxel_size><unit>UM</unit><x>3.5</x></voxel_size>",
     "y", FormatHeidelberg, LateralityOS, CenterONH, 3.5f, true},
    {"<manufacturer>NIFTI</manufacturer><laterality>left</laterality>"
     "<center_type>disc</center_type><voxel_size><x>0.5</x></voxel_size>",
     "yes", FormatNIfTI, LateralityNA, CenterNA, 0.5f, false},
    {"<manufacturer> Topcon</manufacturer><voxel_size><unit>mm</unit><x>abc</x></voxel_size>",
     "n", FormatNA, LateralityNA, CenterNA, 0.0f, false},
    {"", "N", FormatNA, LateralityNA, CenterNA, 0.0f, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.scan);
    const std::string scan = *c.scan ? std::string("<scan_characteristics>") + c.scan +
                                           "<size><x>16</x><y>-3</y></size></scan_characteristics>"
                                     : "";
    const std::string path = dir.File("s.xml");
    ASSERT_TRUE(fixtures::WriteText(path, ResultXmlText("surfaces",
        std::string("<modification><approval>") + c.approval + "</approval></modification>" +
        scan)));
    LSurfaces s;
    ASSERT_EQ(s.ReadXml(path), kXmlOk);
    EXPECT_EQ(s.header.format, c.format);
    EXPECT_EQ(s.header.laterality, c.eye);
    EXPECT_EQ(s.header.centerType, c.center);
    EXPECT_FLOAT_EQ(s.header.voxelSizeX, c.voxelX);
    EXPECT_EQ(s.header.approval, c.approved);
    EXPECT_EQ(s.header.sizeX, *c.scan ? 16 : 0);
    EXPECT_EQ(s.header.executableName, "NA");
    EXPECT_EQ(s.header.modificationDate, "NA");
  }
}

// The header block as a writer prints it, for the header of FullHeader().
const char* const kWrittenHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<surfaces>\n"
    "    <version>4.2.1</version>\n"
    "    <executable>\n"
    "        <name>Layers &amp; more</name>\n"
    "        <version>1.5</version>\n"
    "        <date>2025-01-02</date>\n"
    "        <configuration>default</configuration>\n"
    "        <authors>A. Author</authors>\n"
    "        <institute>Eye Lab</institute>\n"
    "        <comment> spaced &lt;text&gt; </comment>\n"
    "    </executable>\n"
    "    <modification>\n"
    "        <date>03/07/2026</date>\n"
    "        <time>09:05:04</time>\n"
    "        <modifier>reader</modifier>\n"
    "        <approval>Y</approval>\n"
    "    </modification>\n"
    "    <scan_characteristics>\n"
    "        <manufacturer>Heidelberg Engineering</manufacturer>\n"
    "        <size>\n"
    "            <unit>voxel</unit>\n"
    "            <x>16</x>\n"
    "            <y>24</y>\n"
    "            <z>6</z>\n"
    "        </size>\n"
    "        <voxel_size>\n"
    "            <unit>mm</unit>\n"
    "            <x>0.011700</x>\n"
    "            <y>0.003900</y>\n"
    "            <z>0.250000</z>\n"
    "        </voxel_size>\n"
    "        <laterality>OS</laterality>\n"
    "        <center_type>ONH</center_type>\n"
    "    </scan_characteristics>\n"
    "    <unit>voxel</unit>\n";

TEST(ResultHeader, WrittenWithTheClockAndReadBackUnderACommaLocale)
{
  const CommaLocale comma;
  ASSERT_TRUE(comma.Active()) << "no locale with a decimal comma is installed";
  const TempDir dir;
  const std::string path = dir.File("s.xml");
  LSurfaces written;
  written.Create(0, 0, 0, {}, {}, {}, FullHeader());
  {
    const ScopedFixedClock clock(kClock);
    ASSERT_EQ(written.WriteXml(path), 0);
  }
  const std::string text = fixtures::ReadAll(path);
  EXPECT_EQ(text.substr(0, std::string(kWrittenHeader).size()), kWrittenHeader);
  EXPECT_EQ(fixtures::RunCommand("xmllint --noout " + path), 0);

  LSurfaces read;
  ASSERT_EQ(read.ReadXml(path), kXmlOk);
  const LResultHeader& h = read.header;
  const LResultHeader w = FullHeader();
  for (const auto& [got, expected] : {std::pair{h.version, w.version},
       {h.executableName, w.executableName}, {h.executableVersion, w.executableVersion},
       {h.executableDate, w.executableDate}, {h.configuration, w.configuration},
       {h.authors, w.authors}, {h.institute, w.institute}, {h.comment, w.comment},
       {h.modifier, w.modifier}, {h.modificationDate, std::string("03/07/2026")},
       {h.modificationTime, std::string("09:05:04")}})
    EXPECT_EQ(got, expected);
  EXPECT_TRUE(h.approval);
  EXPECT_EQ(h.format, w.format);
  EXPECT_EQ(h.sizeX, 16);
  EXPECT_EQ(h.sizeY, 24);
  EXPECT_EQ(h.sizeZ, 6);
  EXPECT_FLOAT_EQ(h.voxelSizeX, 0.0117f);
  EXPECT_FLOAT_EQ(h.voxelSizeY, 0.0039f);
  EXPECT_FLOAT_EQ(h.voxelSizeZ, 0.25f);
  EXPECT_EQ(h.laterality, w.laterality);
  EXPECT_EQ(h.centerType, w.centerType);
}

TEST(ResultHeader, EmptyStringsAndUnknownCodesWriteElementsWithoutText)
{
  const TempDir dir;
  const std::string path = dir.File("s.xml");
  LResultHeader h = FullHeader();
  h.executableName = "";
  h.format = static_cast<ScanFormat>(13);
  h.laterality = static_cast<Laterality>(3);
  h.centerType = static_cast<CenterType>(-1);
  LSurfaces written;
  written.Create(0, 0, 0, {}, {}, {}, h);
  ASSERT_EQ(written.WriteXml(path), 0);
  const std::string text = fixtures::ReadAll(path);
  for (const char* element : {"<name/>", "<manufacturer/>", "<laterality/>", "<center_type/>"})
    EXPECT_NE(text.find(element), std::string::npos) << element;

  LSurfaces read;
  ASSERT_EQ(read.ReadXml(path), kXmlOk);
  EXPECT_EQ(read.header.executableName, "NA");
  EXPECT_EQ(read.header.format, FormatNA);
  EXPECT_EQ(read.header.laterality, LateralityNA);
  EXPECT_EQ(read.header.centerType, CenterNA);
}

TEST(ResultHeader, FailedWriteKeepsTheOldFile)
{
  const TempDir dir;
  LSurfaces s = LoadedSurfaces();
  const std::string approved = dir.File("approved.xml");
  ASSERT_TRUE(fixtures::WriteText(approved, "old"));
  ASSERT_TRUE(approval::SetApproved(approved, true));
  std::filesystem::create_directory(dir.Path() / "folder");
  // The reason names what failed: the file, or the folder that is missing.
  const struct {
    std::string path, named;
  } cases[] = {{approved, approved}, {dir.File("missing/s.xml"), dir.File("missing")}, {dir.File("folder"), dir.File("folder")}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const StdoutCapture err(2);
    EXPECT_EQ(s.WriteXml(c.path), -1);
    EXPECT_NE(err.Text().find(c.named + ": "), std::string::npos) << err.Text();
  }
  EXPECT_EQ(fixtures::ReadAll(approved), "old");
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()), 2) << "no temporary left";
}

}  // namespace
