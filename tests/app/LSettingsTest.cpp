#include "app/SettingsProfile.h"
#include "fixtures/TempDir.h"
#include "platform/Profile.h"

#include <QSettings>
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

// Values a pane or writer could not use read as the default, so a hand-edited profile
// cannot make a pane index past a table or divide by zero.
TEST_F(SettingsTest, UnusableValuesReadAsDefaults)
{
  const struct { const char* key; int stored; } ints[] = {
    {"AvgSliceNum", 0}, {"FrameRate", 0}, {"OpacityCup", 101}, {"OpacitySEAD", -1},
    {"ThicknessOpacity", 200}, {"SurfacesLineWidth", 0}, {"SplinesLineWidth", -3},
    {"ThicknessSurfaceFrom", 20}, {"CreateProjSurfaceTo", -1}, {"MeshSmoothingSEAD", -2}};
  for (const auto& c : ints)
    Profile::WriteProfileInt(c.key, c.stored);
  Profile::WriteProfileString("MarkersLabel", "25");
  Profile::WriteProfileString("Mouse", "Lasso");
  Profile::WriteProfileString("Layout", "4");

  LSettings s;
  ReadSettings(s);
  const LSettings defaults;
  EXPECT_EQ(s.AvgSliceNum, 1);
  EXPECT_EQ(s.FrameRate, 15);
  EXPECT_EQ(s.OpacityCup, 30);
  EXPECT_EQ(s.OpacitySEAD, 30);
  EXPECT_EQ(s.ThicknessOpacity, 80);
  EXPECT_EQ(s.SurfacesLineWidth, 1);
  EXPECT_EQ(s.SplinesLineWidth, 2);
  EXPECT_EQ(s.ThicknessSurfaceFrom, 0);
  EXPECT_EQ(s.CreateProjSurfaceTo, 0);
  EXPECT_EQ(s.MeshSmoothingSEAD, 3);
  EXPECT_EQ(s.MarkersLabel, "0");
  EXPECT_EQ(s.Mouse, defaults.Mouse);
  EXPECT_EQ(s.Layout, 1);
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
