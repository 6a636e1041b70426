#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "app/SettingsProfile.h"
#include "data/LMesh.h"
#include "fixtures/DemoFolder.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "platform/ExecutableDir.h"
#include "platform/Profile.h"

#include <QSettings>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace {

using platform::Profile;

class SettingsTest : public ::testing::Test {
protected:
  void SetUp() override { Profile::SetFolderForTests(QString::fromStdString(m_Dir.Path().string())); }

  // The INI file read from outside, key -> text.
  std::map<std::string, std::string> StoredKeys() const
  {
    QSettings ini(QString::fromStdString(m_Dir.File("Local AppWizard-Generated Applications/Strataview.ini")),
                  QSettings::IniFormat);
    ini.beginGroup("Setting");
    std::map<std::string, std::string> keys;
    for (const QString& key : ini.childKeys())
      keys[key.toStdString()] = ini.value(key).toString().toStdString();
    return keys;
  }

  TempDir m_Dir;
};

// The defaults as the key table gives them, typed independently of the code.
std::map<std::string, std::string> ExpectedDefaults()
{
  std::map<std::string, std::string> e = {
    {"ExeVersion", "3.8.0"}, {"Window", "Auto"}, {"WindowCenter", "0.0"}, {"WindowWidth", "0.0"},
    {"Mouse", "Position"}, {"Layout", "Horizontal"}, {"LayoutPhysicalSizeX", "1.0"},
    {"LayoutPhysicalSizeY", "1.0"}, {"LayoutPhysicalSizeZ", "1.0"}, {"DlgDataPos", "Left"},
    {"OpacityUndefinedRegion", "30"}, {"OpacityCup", "30"}, {"OpacityRim", "30"},
    {"OpacityVessel", "30"}, {"OpacitySEAD", "30"}, {"SurfacesLineWidth", "1"},
    {"SplinesLineWidth", "2"}, {"ShowSplinesMarker", "1"}, {"UserName", "NA"},
    {"SurfacesMargin", "1.00"}, {"UndefinedRegionMargin", "1.00"}, {"VesselMargin", "0.10"},
    {"SEADMargin", "0.10"}, {"SurfacesModification", "3D"}, {"UndefinedRegionModification", "3D"},
    {"VesselModification", "3D"}, {"SEADModification", "3D"}, {"MarkersLabel", "0"},
    {"ShowRefSurf", "1"}, {"ShowSurfaces", "1"}, {"ShowProj", "1"}, {"ShowDisc", "1"},
    {"ShowVessel", "1"}, {"ShowSEAD", "1"}, {"ShowMarkers", "1"}, {"ShowSplines", "1"},
    {"ShowGuideLines", "1"}, {"ShowOverlay", "1"}, {"ShowUndefinedRegion", "1"},
    {"Show3DAll", "1"}, {"3DIsotropic", "0"}, {"3DBlending", "0"}, {"Show3DOCTXY", "0"},
    {"Show3DOCTZY", "0"}, {"Show3DOCTXZ", "0"}, {"AvgSliceNum", "1"}, {"ShowThickness", "0"},
    {"ThicknessSurfaceFrom", "0"}, {"ThicknessSurfaceTo", "0"}, {"GridMode", "None"},
    {"GridFileName", "Grid_Circle_Macula_ETDRS.xml"}, {"ThicknessUnit", "Auto"},
    {"ThicknessUnitMin", "0.0"}, {"ThicknessUnitMax", "0.0"}, {"ThicknessPalette", "Color"},
    {"ShowThicknessBar", "1"}, {"ThicknessOpacity", "80"}, {"ShowCreateProj", "0"},
    {"CreateProjSurfaceFrom", "0"}, {"CreateProjSurfaceTo", "0"}, {"SaveAll", "AVI"},
    {"FrameRate", "15"}, {"MeshSmoothingVessel", "3"}, {"MeshSmoothingSEAD", "3"},
    {"OpenTabCurSel", "Sample"}, {"DlgOpenAutoHide", "1"},
    {"ThicknessAnalysisGridFileName", "Grid_Circle_Macula_ETDRS.xml"},
    {"ThicknessAnalysisGridCenter", "ImageCenter"}, {"FiltersSurfaces", "_Surfaces_Vamo.xml"},
    {"FiltersGridCenter", "_GridCenter_Vamo.xml"}, {"VoxelSizeX", "1.0"}, {"VoxelSizeY", "1.0"},
    {"VoxelSizeZ", "1.0"}};
  const auto colour = [&e](const std::string& key, int r, int g, int b) {
    e[key + "R"] = std::to_string(r);
    e[key + "G"] = std::to_string(g);
    e[key + "B"] = std::to_string(b);
  };
  colour("ColorRefSurf", 255, 153, 255);
  colour("ColorCup", 255, 0, 0);
  colour("ColorRim", 0, 255, 0);
  colour("ColorVessel", 255, 127, 127);
  colour("ColorSEAD", 127, 255, 127);
  colour("ColorUndefinedRegion", 255, 255, 0);
  colour("Color3DBackground", 0, 0, 0);
  colour("ColorSplinesLine", 0, 255, 0);
  colour("ColorSplinesMarker", 0, 127, 0);
  const int table[20][3] = {
    {255, 51, 0}, {255, 204, 0}, {204, 255, 0}, {51, 255, 0}, {0, 255, 128},
    {0, 255, 255}, {0, 128, 255}, {51, 0, 255}, {204, 0, 255}, {255, 0, 204},
    {255, 128, 0}, {255, 255, 0}, {128, 255, 0}, {0, 255, 51}, {0, 255, 204},
    {0, 204, 255}, {0, 51, 255}, {128, 0, 255}, {255, 0, 255}, {255, 0, 128}};
  for (int i = 0; i < 20; ++i) {
    colour("ColorSurface" + std::to_string(i), table[i][0], table[i][1], table[i][2]);
    colour("ColorMarker" + std::to_string(i), table[i][0], table[i][1], table[i][2]);
    e["ShowSurface" + std::to_string(i)] = "1";
    e["ShowUndefinedSurface" + std::to_string(i)] = "0";
  }
  return e;
}

TEST_F(SettingsTest, FirstStartWritesEveryKeyWithItsDefault)
{
  ResetSettingsProfile();
  std::map<std::string, std::string> stored = StoredKeys();
  ASSERT_EQ(stored.count("SampleURL"), 1u);
  const std::string url = stored["SampleURL"];
  EXPECT_EQ(url.substr(url.size() - 19), "/Strataview_Sample/");
  stored.erase("SampleURL");
  EXPECT_EQ(stored, ExpectedDefaults());

  LSettings read;
  read.AvgSliceNum = 99;
  ReadSettings(read);
  const LSettings defaults;
  EXPECT_EQ(read.AvgSliceNum, 1);
  EXPECT_EQ(read.ColorSurface[7], defaults.ColorSurface[7]);
  EXPECT_EQ(read.ColorSurface[7], 51u | (0u << 8) | (255u << 16));
  EXPECT_EQ(read.Layout, 1);
  EXPECT_EQ(read.SurfacesModification, 1);
  EXPECT_FLOAT_EQ(read.VesselMargin, 0.1f);
}

TEST_F(SettingsTest, VersionRuleKeepsOrResetsEverything)
{
  const struct { const char* stored; bool reset; } cases[] = {
    {"3.8.0", false}, {"3.7.9", true}, {"3.8.0 ", true}, {"", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    Profile::WriteProfileString("ExeVersion", c.stored);
    Profile::WriteProfileInt("FrameRate", 25);
    Profile::WriteProfileString("VoxelSizeX", "3.5");
    Profile::WriteProfileString("Foreign", "kept");
    ResetSettingsProfile();
    EXPECT_EQ(Profile::GetProfileInt("FrameRate", 0), c.reset ? 15 : 25);
    EXPECT_EQ(Profile::GetProfileString("VoxelSizeX", ""), c.reset ? "1.0" : "3.5");
    EXPECT_EQ(Profile::GetProfileString("Foreign", ""), "kept");
    EXPECT_EQ(Profile::GetProfileString("ExeVersion", ""), "3.8.0");
  }
}

TEST_F(SettingsTest, StoredValuesAreReadByTheirStorageRules)
{
  Profile::WriteProfileInt("ColorCupR", 300);      // low 8 bits: 44
  Profile::WriteProfileInt("ColorCupG", -1);       // 255
  Profile::WriteProfileInt("ColorCupB", 256);      // 0
  Profile::WriteProfileString("WindowCenter", "abc");
  Profile::WriteProfileString("WindowWidth", "1.5abc");
  Profile::WriteProfileString("Window", "Fixed");
  Profile::WriteProfileString("ThicknessUnit", "fixed");  // case-sensitive: no match
  Profile::WriteProfileString("Mouse", "Splines");
  Profile::WriteProfileString("Layout", "Proj.2");
  Profile::WriteProfileInt("ShowDisc", 0);
  Profile::WriteProfileInt("ShowProj", 2);
  Profile::WriteProfileInt("3DBlending", 1);
  Profile::WriteProfileString("UserName", "R. Researcher");

  LSettings s;
  ReadSettings(s);
  EXPECT_EQ(s.ColorCup, 44u | (255u << 8));
  EXPECT_EQ(s.WindowCenter, 0.0f);
  EXPECT_EQ(s.WindowWidth, 1.5f);
  EXPECT_EQ(s.Window, 1);
  EXPECT_EQ(s.ThicknessUnit, 0);
  EXPECT_EQ(s.Mouse, 10);
  EXPECT_EQ(s.Layout, 10);
  EXPECT_FALSE(s.ShowDisc);
  EXPECT_TRUE(s.ShowProj) << "neither 0 nor 1 leaves the default";
  EXPECT_TRUE(s.ThreeDBlending);
  EXPECT_EQ(s.UserName, "R. Researcher");
}

// Every value is read within what its control offers, so that a hand-edited or damaged
// profile cannot make a pane index past a table, divide by zero or run without end: a number
// beyond its range reads as the nearest bound (of a list, the nearest entry), text that holds
// no number as the default.
TEST_F(SettingsTest, ValuesReadWithinTheirControlsRange)
{
  const LSettings d;
  const struct {
    const char* key;
    const char* stored;
    std::function<float(const LSettings&)> field;
    float expected;
  } cases[] = {
    {"MeshSmoothingVessel", "2147483647", [](const LSettings& s) { return float(s.MeshSmoothingVessel); }, 5},
    {"MeshSmoothingSEAD", "-2", [](const LSettings& s) { return float(s.MeshSmoothingSEAD); }, 0},
    {"AvgSliceNum", "0", [](const LSettings& s) { return float(s.AvgSliceNum); }, 1},
    {"AvgSliceNum", "4", [](const LSettings& s) { return float(s.AvgSliceNum); }, 3},
    {"AvgSliceNum", "99999999999999999999999", [](const LSettings& s) { return float(s.AvgSliceNum); }, 11},
    {"FrameRate", "0", [](const LSettings& s) { return float(s.FrameRate); }, 5},
    {"FrameRate", "17", [](const LSettings& s) { return float(s.FrameRate); }, 15},
    {"FrameRate", "fast", [](const LSettings& s) { return float(s.FrameRate); }, 15},
    {"OpacityCup", "101", [](const LSettings& s) { return float(s.OpacityCup); }, 100},
    {"OpacitySEAD", "-1", [](const LSettings& s) { return float(s.OpacitySEAD); }, 0},
    {"ThicknessOpacity", "200", [](const LSettings& s) { return float(s.ThicknessOpacity); }, 100},
    {"SurfacesLineWidth", "0", [](const LSettings& s) { return float(s.SurfacesLineWidth); }, 1},
    {"SplinesLineWidth", "1000000", [](const LSettings& s) { return float(s.SplinesLineWidth); }, 5},
    {"ThicknessSurfaceFrom", "20", [](const LSettings& s) { return float(s.ThicknessSurfaceFrom); }, 19},
    {"CreateProjSurfaceTo", "-1", [](const LSettings& s) { return float(s.CreateProjSurfaceTo); }, 0},
    {"ShowProj", "yes", [](const LSettings& s) { return float(s.ShowProj); }, 1},
    {"ColorCupR", "red", [](const LSettings& s) { return float(s.ColorCup & 0xFF); }, 255},
    {"VesselMargin", "1e30", [](const LSettings& s) { return s.VesselMargin; }, 1.5f},
    {"SEADMargin", "-3", [](const LSettings& s) { return s.SEADMargin; }, 0.01f},
    {"SurfacesMargin", "wide", [](const LSettings& s) { return s.SurfacesMargin; }, 1.0f},
    {"UndefinedRegionMargin", "0", [](const LSettings& s) { return s.UndefinedRegionMargin; }, 0.05f},
    {"LayoutPhysicalSizeX", "0", [](const LSettings& s) { return s.LayoutPhysicalSizeX; }, 0.001f},
    {"LayoutPhysicalSizeY", "nan", [](const LSettings& s) { return s.LayoutPhysicalSizeY; }, 1.0f},
    {"LayoutPhysicalSizeZ", "1e300", [](const LSettings& s) { return s.LayoutPhysicalSizeZ; }, 1000.0f},
    {"WindowWidth", "-inf", [](const LSettings& s) { return s.WindowWidth; }, 0.0f},
    {"WindowCenter", "1e9", [](const LSettings& s) { return s.WindowCenter; }, 65535.0f},
    {"ThicknessUnitMax", "-0.5", [](const LSettings& s) { return s.ThicknessUnitMax; }, 0.0f},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " = " + c.stored);
    Profile::WriteProfileString(c.key, c.stored);
    LSettings s;
    ReadSettings(s);
    EXPECT_EQ(c.field(s), c.expected);
    Profile::WriteProfileString(c.key, "");
  }
  Profile::WriteProfileString("MarkersLabel", "25");
  Profile::WriteProfileString("Mouse", "Lasso");
  Profile::WriteProfileString("Layout", "4");
  LSettings s;
  ReadSettings(s);
  EXPECT_EQ(s.MarkersLabel, "0");
  EXPECT_EQ(s.Mouse, d.Mouse);
  EXPECT_EQ(s.Layout, 1);
}

// A damaged profile, with huge, out-of-range and garbage values among ten thousand
// foreign keys, is read once at start (read again per key, it took minutes) and used within
// range: opening a scan whose labels have no mesh cache builds each mesh with five smoothing
// passes, not two thousand million.
TEST_F(SettingsTest, ADamagedProfileIsReadOnceAndUsedWithinRange)
{
  std::string ini = "[Setting]\nExeVersion=3.8.0\nMeshSmoothingVessel=2147483647\n"
                    "MeshSmoothingSEAD=99999999999999999999999\nAvgSliceNum=many\nFrameRate=1000000000000\n"
                    "VesselMargin=1e38\nLayoutPhysicalSizeX=-1\nOpacityVessel=-2147483648\n";
  for (int i = 0; i < 10000; ++i)
    ini += "Foreign" + std::to_string(i) + "=" + std::string(20, 'x') + "\n";
  std::filesystem::create_directories(m_Dir.File("Local AppWizard-Generated Applications"));
  ASSERT_TRUE(fixtures::WriteText(m_Dir.File("Local AppWizard-Generated Applications/Strataview.ini"), ini));
  const TempDir scan;
  ASSERT_TRUE(fixtures::MakeSmallDemo(scan.Path().string()));
  platform::SetExecutableDirForTests(STRATAVIEW_SOURCE_DIR "/res");
  const auto frame = std::make_unique<CMainFrame>();
  CStrataviewView& view = *frame->View();
  view.OnInitialUpdate();
  const LSettings& s = view.Settings();
  EXPECT_EQ(s.MeshSmoothingVessel, 5);
  EXPECT_EQ(s.MeshSmoothingSEAD, 5);
  EXPECT_EQ(s.AvgSliceNum, 1);
  EXPECT_EQ(s.FrameRate, 30);
  EXPECT_EQ(s.VesselMargin, 1.5f);
  EXPECT_EQ(s.LayoutPhysicalSizeX, 0.001f);
  EXPECT_EQ(s.OpacityVessel, 0);

  ASSERT_TRUE(view.ScanFolder(scan.Path().string()));
  view.RefreshAll();
  const auto& vessel = view.Slots().vessel;
  ASSERT_EQ(vessel.count, 1);
  const LOCTVolume& labels = vessel.objects[0];
  const int size[3] = {labels.sizeX, labels.sizeY, labels.sizeZ};
  const float spacing[3] = {labels.spacingX, labels.spacingY, labels.spacingZ};
  LMesh fivePasses;
  fivePasses.SetLabelVolume(size, spacing, labels.Voxels(), labels.bytesPerVoxel);
  EXPECT_TRUE(fivePasses.Build(true, 5));
  const LMesh& built = vessel.meshes[0];
  ASSERT_EQ(built.GetVertexCount(), fivePasses.GetVertexCount());
  ASSERT_GT(built.GetVertexCount(), 0u);
  EXPECT_TRUE(std::equal(built.GetVertices(), built.GetVertices() + 3 * built.GetVertexCount(),
                         fivePasses.GetVertices()));
}

TEST_F(SettingsTest, WritersStoreEachKindAndReadBack)
{
  LSettings s;
  s.WindowCenter = 127.5f;
  s.ThicknessUnitMax = 0.35f;
  s.ColorMarker[19] = 1u | (2u << 8) | (3u << 16);
  s.ShowUndefinedSurface[4] = true;
  s.GridMode = 2;
  s.SEADModification = 0;
  s.ThreeDIsotropic = true;
  s.MarkersLabel = "12";
  for (const char* key : {"WindowCenter", "ThicknessUnitMax", "ColorMarker19", "ShowUndefinedSurface4",
                          "GridMode", "SEADModification", "3DIsotropic", "MarkersLabel"})
    EXPECT_TRUE(WriteSetting(s, key)) << key;
  EXPECT_FALSE(WriteSetting(s, "NoSuchKey"));
  EXPECT_FALSE(WriteSetting(s, "VoxelSizeX")) << "the dialogs' keys have no field here";

  const std::map<std::string, std::string> stored = StoredKeys();
  EXPECT_EQ(stored.at("WindowCenter"), "127.5");
  EXPECT_EQ(stored.at("ThicknessUnitMax"), "0.350000");
  EXPECT_EQ(stored.at("ColorMarker19G"), "2");
  EXPECT_EQ(stored.at("ShowUndefinedSurface4"), "1");
  EXPECT_EQ(stored.at("GridMode"), "Quantity");
  EXPECT_EQ(stored.at("SEADModification"), "2D");
  EXPECT_EQ(stored.at("3DIsotropic"), "1");

  LSettings back;
  ReadSettings(back);
  EXPECT_EQ(back.WindowCenter, 127.5f);
  EXPECT_EQ(back.ThicknessUnitMax, 0.35f);
  EXPECT_EQ(back.ColorMarker[19], s.ColorMarker[19]);
  EXPECT_TRUE(back.ShowUndefinedSurface[4]);
  EXPECT_EQ(back.GridMode, 2);
  EXPECT_EQ(back.SEADModification, 0);
  EXPECT_TRUE(back.ThreeDIsotropic);
  EXPECT_EQ(back.MarkersLabel, "12");
  EXPECT_EQ(MouseModeProfileName(6), "GridCenter");
  EXPECT_EQ(MouseModeProfileName(11), "");
}

}  // namespace
