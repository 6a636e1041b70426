#include "dialogs/CDlgOptions.h"
#include "dialogs/CDlgThicknessOptions.h"
#include "dialogs/ColorButton.h"
#include "fixtures/TempDir.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

template <typename Control>
Control* Find(QDialog& dialog, const char* name)
{
  auto* control = dialog.findChild<Control*>(QString::fromLatin1(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

// Every value away from its default, so a value that is lost on the way shows.
void FillUnusual(CDlgOptions& d)
{
  for (int i = 0; i < CDlgOptions::kSurfaceColorCount; ++i)
    d.surfaceColors[i] = platform::MakeColorRef(i, 2 * i, 3 * i);
  for (int i = 0; i < 20; ++i) {
    d.showUndefined[i] = i % 3 == 0;
    d.markerColors[i] = platform::MakeColorRef(200 - i, i, 7);
  }
  for (int i = 0; i < CDlgOptions::kRegionColorCount; ++i)
    d.regionColors[i] = platform::MakeColorRef(10 * i, 1, 2);
  for (int i = 0; i < CDlgOptions::kOpacityCount; ++i)
    d.opacities[i] = 100 - 7 * i;
  d.lineWidth = 4;
  d.splineLineColor = platform::MakeColorRef(1, 2, 3);
  d.splineMarkerColor = platform::MakeColorRef(4, 5, 6);
  d.splineLineWidth = 5;
  d.showSplineMarker = 0;
  d.windowMode = 1;
  d.windowCenter = 100.25f;
  d.windowWidth = 300.0f;
  d.saveAllMode = 1;
  d.panelSide = 1;
  d.frameRate = 25;
  d.meshSmoothingVessel = 0;
  d.meshSmoothingSEAD = 5;
  d.sampleURL = QStringLiteral("http://host/samples");
  d.userName = QStringLiteral("Ann");
}

TEST(OptionsDialogTest, ValuesSurviveTheControlsUnchanged)
{
  CDlgOptions shown;
  FillUnusual(shown);
  CDlgOptions expected;
  FillUnusual(expected);
  shown.OnInitDialog();
  shown.accept();
  ASSERT_EQ(shown.result(), QDialog::Accepted);
  EXPECT_TRUE(std::equal(std::begin(shown.surfaceColors), std::end(shown.surfaceColors), expected.surfaceColors));
  EXPECT_TRUE(std::equal(std::begin(shown.markerColors), std::end(shown.markerColors), expected.markerColors));
  EXPECT_TRUE(std::equal(std::begin(shown.regionColors), std::end(shown.regionColors), expected.regionColors));
  EXPECT_TRUE(std::equal(std::begin(shown.opacities), std::end(shown.opacities), expected.opacities));
  EXPECT_TRUE(std::equal(std::begin(shown.showUndefined), std::end(shown.showUndefined), expected.showUndefined));
  EXPECT_EQ(shown.lineWidth, 4);
  EXPECT_EQ(shown.splineLineColor, expected.splineLineColor);
  EXPECT_EQ(shown.splineMarkerColor, expected.splineMarkerColor);
  EXPECT_EQ(shown.splineLineWidth, 5);
  EXPECT_EQ(shown.showSplineMarker, 0);
  EXPECT_EQ(shown.windowMode, 1);
  EXPECT_FLOAT_EQ(shown.windowCenter, 100.25f);
  EXPECT_FLOAT_EQ(shown.windowWidth, 300.0f);
  EXPECT_EQ(shown.saveAllMode, 1);
  EXPECT_EQ(shown.panelSide, 1);
  EXPECT_EQ(shown.frameRate, 25);
  EXPECT_EQ(shown.meshSmoothingVessel, 0);
  EXPECT_EQ(shown.meshSmoothingSEAD, 5);
  EXPECT_EQ(shown.sampleURL, expected.sampleURL);
  EXPECT_EQ(shown.userName, expected.userName);
}

TEST(OptionsDialogTest, ChangedControlsComeBackOnOk)
{
  CDlgOptions dialog;
  dialog.OnInitDialog();
  Find<ColorButton>(dialog, "IDC_BUTTON_COLOR_SPLINES_MARKER")->SetColor(platform::MakeColorRef(9, 8, 7));
  Find<ColorButton>(dialog, "IDC_BUTTON_COLOR_SURFACE3")->SetColor(platform::MakeColorRef(1, 1, 1));
  Find<QAbstractButton>(dialog, "IDC_CHECK_SHOW_UNDEFINED_SURFACE20")->setChecked(true);
  Find<QSlider>(dialog, "IDC_SLIDER_OPACITY_SEAD")->setValue(100);
  Find<QComboBox>(dialog, "IDC_COMBO_FRAMERATE")->setCurrentIndex(0);
  Find<QAbstractButton>(dialog, "IDC_RADIO_DLGDATAPOS_RIGHT")->click();
  Find<QLineEdit>(dialog, "IDC_EDIT_USERNAME")->setText("Bo");
  dialog.accept();
  EXPECT_EQ(dialog.splineMarkerColor, platform::MakeColorRef(9, 8, 7));
  EXPECT_EQ(dialog.surfaceColors[3], platform::MakeColorRef(1, 1, 1));
  EXPECT_EQ(dialog.showUndefined[19], 1);
  EXPECT_EQ(dialog.opacities[4], 100) << "the sliders reach 100";
  EXPECT_EQ(dialog.frameRate, 5);
  EXPECT_EQ(dialog.panelSide, 1);
  EXPECT_EQ(dialog.userName, "Bo");
}

TEST(OptionsDialogTest, ListsSelectOnlyTheItemThatReadsTheValue)
{
  struct Case {
    int frameRate;
    int index;
  };
  for (const Case c : {Case{15, 2}, Case{30, 5}, Case{7, -1}, Case{12, -1}}) {
    CDlgOptions dialog;
    dialog.frameRate = c.frameRate;
    dialog.OnInitDialog();
    EXPECT_EQ(Find<QComboBox>(dialog, "IDC_COMBO_FRAMERATE")->currentIndex(), c.index) << c.frameRate;
    dialog.accept();
    EXPECT_EQ(dialog.frameRate, c.frameRate) << "a value the list lacks is kept";
  }
}

TEST(OptionsDialogTest, DefaultResetsTheControlsWithoutGrowingTheLists)
{
  for (const int maxIntensity : {0, 65535}) {
    CDlgOptions dialog;
    FillUnusual(dialog);
    dialog.maxIntensity = maxIntensity;
    dialog.OnInitDialog();
    for (int press = 0; press < 2; ++press)
      Find<QAbstractButton>(dialog, "IDC_BUTTON_DEFAULT")->click();
    EXPECT_EQ(Find<QComboBox>(dialog, "IDC_COMBO_FRAMERATE")->count(), 6);
    EXPECT_EQ(Find<QComboBox>(dialog, "IDC_COMBO_SPLINES_LINEWIDTH")->count(), 5);
    EXPECT_EQ(Find<QComboBox>(dialog, "IDC_COMBO_MESHSMOOTHING_SEAD")->count(), 6);
    EXPECT_FALSE(Find<QLineEdit>(dialog, "IDC_EDIT_WINDOW_CENTER")->isEnabled()) << "Auto";
    dialog.accept();
    EXPECT_FLOAT_EQ(dialog.windowCenter, maxIntensity * 0.5f);
    EXPECT_FLOAT_EQ(dialog.windowWidth, float(maxIntensity));
    EXPECT_EQ(dialog.surfaceColors[0], platform::MakeColorRef(255, 153, 255));
    EXPECT_EQ(dialog.regionColors[0], platform::MakeColorRef(255, 0, 0));
    EXPECT_EQ(dialog.opacities[2], 30);
    EXPECT_EQ(dialog.frameRate, 15);
    EXPECT_EQ(dialog.panelSide, 0);
    EXPECT_EQ(dialog.userName, "NA");
  }
}

TEST(OptionsDialogTest, RadiosEnableTheirControls)
{
  CDlgOptions dialog;
  dialog.saveAllMode = 1;
  dialog.OnInitDialog();
  auto* center = Find<QLineEdit>(dialog, "IDC_EDIT_WINDOW_CENTER");
  auto* frameRate = Find<QComboBox>(dialog, "IDC_COMBO_FRAMERATE");
  EXPECT_FALSE(center->isEnabled());
  EXPECT_FALSE(frameRate->isEnabled());
  Find<QAbstractButton>(dialog, "IDC_RADIO_WINDOW_FIXED")->click();
  Find<QAbstractButton>(dialog, "IDC_RADIO_SAVEALL_AVI")->click();
  EXPECT_TRUE(center->isEnabled());
  EXPECT_TRUE(frameRate->isEnabled());
}

TEST(OptionsDialogTest, AWindowThatIsNotANumberKeepsTheDialogOpen)
{
  std::vector<std::string> messages;
  const platform::ScopedMessageHook hook([&](const std::string& text, unsigned) {
    messages.push_back(text);
    return platform::kIdOk;
  });
  CDlgOptions dialog;
  dialog.windowMode = 1;
  dialog.windowCenter = 40.0f;
  dialog.OnInitDialog();
  Find<QLineEdit>(dialog, "IDC_EDIT_WINDOW_CENTER")->setText("wide");
  Find<QLineEdit>(dialog, "IDC_EDIT_USERNAME")->setText("Changed");
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_FLOAT_EQ(dialog.windowCenter, 40.0f);
  EXPECT_EQ(dialog.userName, "NA") << "nothing is taken from a refused dialog";
}

class ThicknessOptionsTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    namespace fs = std::filesystem;
    fs::create_directories(m_Exe.Path() / "Grid" / "Grid_old");
    for (const char* name : {"Grid_Square_Macula_3x3.xml", "Grid_Circle_Macula_ETDRS.xml", "readme.txt", "grid_lower.xml"})
      std::ofstream(m_Exe.Path() / "Grid" / name) << "x";
    platform::SetExecutableDirForTests(m_Exe.Path().string());
  }
  TempDir m_Exe;
};

TEST_F(ThicknessOptionsTest, ListsOnlyGridFilesAndSelectsTheStoredOne)
{
  CDlgThicknessOptions dialog;
  dialog.OnInitDialog();
  auto* grid = Find<QComboBox>(dialog, "IDC_COMBO_GRID");
  ASSERT_EQ(grid->count(), 2);
  EXPECT_EQ(grid->itemText(0), "Grid_Circle_Macula_ETDRS.xml");
  EXPECT_EQ(grid->itemText(1), "Grid_Square_Macula_3x3.xml");
  EXPECT_EQ(grid->currentText(), "Grid_Circle_Macula_ETDRS.xml");

  CDlgThicknessOptions missing;
  missing.gridFileName = "Grid_Gone.xml";
  missing.OnInitDialog();
  EXPECT_EQ(Find<QComboBox>(missing, "IDC_COMBO_GRID")->currentIndex(), -1);
  missing.accept();
  EXPECT_EQ(missing.gridFileName, "") << "no selection gives an empty name";
}

TEST_F(ThicknessOptionsTest, ControlsRoundTripAndDefaultRestores)
{
  CDlgThicknessOptions dialog;
  dialog.gridFileName = "Grid_Square_Macula_3x3.xml";
  dialog.unitMode = 1;
  dialog.minUm = 500.0f;
  dialog.maxUm = 12.5f;
  dialog.palette = 1;
  dialog.showBar = 0;
  dialog.opacity = 100;
  dialog.OnInitDialog();
  EXPECT_TRUE(Find<QLineEdit>(dialog, "IDC_EDIT_THICKNESS_MIN")->isEnabled());
  EXPECT_EQ(Find<QLineEdit>(dialog, "IDC_EDIT_THICKNESS_MIN")->text(), "500");
  dialog.accept();
  EXPECT_EQ(dialog.gridFileName, "Grid_Square_Macula_3x3.xml");
  EXPECT_EQ(dialog.unitMode, 1);
  EXPECT_FLOAT_EQ(dialog.minUm, 500.0f);
  EXPECT_FLOAT_EQ(dialog.maxUm, 12.5f);
  EXPECT_EQ(dialog.palette, 1);
  EXPECT_EQ(dialog.showBar, 0);
  EXPECT_EQ(dialog.opacity, 100);

  Find<QAbstractButton>(dialog, "IDC_BUTTON_DEFAULT")->click();
  EXPECT_FALSE(Find<QLineEdit>(dialog, "IDC_EDIT_THICKNESS_MIN")->isEnabled());
  EXPECT_EQ(Find<QComboBox>(dialog, "IDC_COMBO_GRID")->count(), 2);
  dialog.accept();
  EXPECT_EQ(dialog.gridFileName, "Grid_Circle_Macula_ETDRS.xml");
  EXPECT_EQ(dialog.unitMode, 0);
  EXPECT_FLOAT_EQ(dialog.minUm, 0.0f);
  EXPECT_EQ(dialog.palette, 0);
  EXPECT_EQ(dialog.showBar, 1);
  EXPECT_EQ(dialog.opacity, 80);
}

TEST_F(ThicknessOptionsTest, ARangeThatIsNotANumberKeepsTheDialogOpen)
{
  int messages = 0;
  const platform::ScopedMessageHook hook([&](const std::string&, unsigned) {
    ++messages;
    return platform::kIdOk;
  });
  CDlgThicknessOptions dialog;
  dialog.OnInitDialog();
  Find<QLineEdit>(dialog, "IDC_EDIT_THICKNESS_MAX")->setText("");
  dialog.accept();
  EXPECT_NE(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(messages, 1);
}

}  // namespace
