#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "app/LButton.h"
#include "app/SettingsProfile.h"
#include "dialogs/CDlgOptions.h"
#include "dialogs/CDlgThicknessOptions.h"
#include "dialogs/ColorButton.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "panes/ThicknessPalette.h"
#include "platform/Dialogs.h"
#include "platform/Profile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

template <typename Control>
Control* Find(QWidget& parent, const char* name)
{
  auto* control = parent.findChild<Control*>(QString::fromLatin1(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

std::string Key(const char* key)
{
  return platform::Profile::GetProfileString(QString::fromLatin1(key), QStringLiteral("<none>")).toStdString();
}

// Answers the options dialogs with the given edit of their controls, then OK or Cancel.
template <typename Dialog>
platform::DialogHandler Answer(std::function<void(Dialog&)> edit, bool ok)
{
  return [edit, ok](const platform::DialogRequest&, QDialog* shown) {
    platform::DialogAnswer answer;
    auto* dialog = qobject_cast<Dialog*>(shown);
    if (!dialog)
      return answer;
    edit(*dialog);
    if (!ok)
      return answer;
    dialog->accept();
    answer.accepted = dialog->result() == QDialog::Accepted;
    return answer;
  };
}

// A view that was never shown; any message it gives fails the test.
class ViewOptionsTest : public ::testing::Test {
protected:
  void OpenDemo() { ASSERT_TRUE(m_Demo.OpenDemo()); }
  void RunOptions(std::function<void(CDlgOptions&)> edit, bool ok = true)
  {
    const platform::ScopedDialogHook hook(Answer<CDlgOptions>(std::move(edit), ok));
    m_View.MenuPanel()->Button(CDlgMenu::kOptions)->click();
  }
  void RunThicknessOptions(std::function<void(CDlgThicknessOptions&)> edit, bool ok = true)
  {
    const platform::ScopedDialogHook hook(Answer<CDlgThicknessOptions>(std::move(edit), ok));
    Find<QAbstractButton>(m_View, "IDC_BUTTON_PROJ_THICKNESSOPTIONS")->click();
  }
  // Everything the profile holds, to show that nothing was written.
  std::string ProfileText() const
  {
    std::string all;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_Demo.Profile().Path()))
      if (entry.is_regular_file()) {
        std::ostringstream text;
        text << std::ifstream(entry.path()).rdbuf();
        all += text.str();
      }
    return all;
  }

  const fixtures::DemoView m_Demo{fixtures::DemoViewOptions().KeepMessageHook()};
  CStrataviewView& m_View = m_Demo.View();
};

TEST_F(ViewOptionsTest, AutoWindowBeforeAnyScanIsStoredAsZero)
{
  RunOptions([](CDlgOptions& d) { Find<QAbstractButton>(d, "IDC_RADIO_WINDOW_AUTO")->click(); });
  EXPECT_EQ(m_View.Settings().WindowCenter, 0.0f);
  EXPECT_EQ(Key("Window"), "Auto");
  EXPECT_EQ(Key("WindowCenter"), "0.0");
  EXPECT_EQ(Key("WindowWidth"), "0.0");
}

TEST_F(ViewOptionsTest, OkStoresWritesAndRedrawsThePanes)
{
  OpenDemo();
  const QImage before = m_View.SlicePane(OrientationXY)->Bitmap().copy();
  RunOptions([](CDlgOptions& d) {
    Find<QAbstractButton>(d, "IDC_RADIO_WINDOW_FIXED")->click();
    Find<QLineEdit>(d, "IDC_EDIT_WINDOW_CENTER")->setText("100.25");
    Find<QLineEdit>(d, "IDC_EDIT_WINDOW_WIDTH")->setText("20");
    Find<ColorButton>(d, "IDC_BUTTON_COLOR_SPLINES_MARKER")->SetColor(platform::MakeColorRef(9, 8, 7));
    Find<ColorButton>(d, "IDC_BUTTON_COLOR_SURFACE1")->SetColor(platform::MakeColorRef(1, 2, 3));
    Find<QAbstractButton>(d, "IDC_CHECK_SHOW_UNDEFINED_SURFACE2")->setChecked(true);
    Find<QAbstractButton>(d, "IDC_RADIO_SAVEALL_TIFFS")->click();
  });
  const LSettings& s = m_View.Settings();
  EXPECT_FLOAT_EQ(s.WindowCenter, 100.25f);
  EXPECT_FLOAT_EQ(s.WindowWidth, 20.0f);
  EXPECT_TRUE(s.ShowUndefinedSurface[1]);
  EXPECT_EQ(Key("Window"), "Fixed");
  EXPECT_EQ(Key("WindowCenter"), "100.2");
  EXPECT_EQ(Key("SaveAll"), "TIFFs");
  EXPECT_EQ(Key("ShowUndefinedSurface1"), "1");
  EXPECT_EQ(Key("ColorSplinesMarkerR"), "9");
  EXPECT_EQ(Key("ColorSplinesMarkerB"), "7");
  EXPECT_NE(m_View.SlicePane(OrientationXY)->Bitmap(), before) << "the new window is drawn at once";
  EXPECT_EQ(m_View.DataPanel()->SurfaceBox(0)->Color(), platform::MakeColorRef(1, 2, 3));

  LSettings next;
  ReadSettings(next);
  EXPECT_EQ(next.ColorSplinesMarker, platform::MakeColorRef(9, 8, 7)) << "read back at the next start";
}

TEST_F(ViewOptionsTest, CancelChangesNothing)
{
  OpenDemo();
  const std::string profile = ProfileText();
  const QImage before = m_View.SlicePane(OrientationXY)->Bitmap().copy();
  const LSettings settings = m_View.Settings();
  const auto edit = [](auto& d) {
    Find<QAbstractButton>(d, "IDC_BUTTON_DEFAULT")->click();
    for (QLineEdit* edit : d.template findChildren<QLineEdit*>())
      edit->setText("7");
  };
  RunOptions(edit, false);
  RunThicknessOptions(edit, false);
  EXPECT_EQ(ProfileText(), profile);
  EXPECT_EQ(m_View.SlicePane(OrientationXY)->Bitmap(), before);
  EXPECT_EQ(m_View.Settings().WindowWidth, settings.WindowWidth);
  EXPECT_EQ(m_View.Settings().UserName, settings.UserName);
  EXPECT_EQ(m_View.Settings().ThicknessUnitMin, settings.ThicknessUnitMin);
}

TEST_F(ViewOptionsTest, TheSampleAddressEndsWithASlash)
{
  struct Case {
    const char* entered;
    const char* stored;
  };
  for (const Case c : {Case{"", "/"}, Case{"http://h/p", "http://h/p/"}, Case{"http://h/p/", "http://h/p/"}}) {
    RunOptions([&c](CDlgOptions& d) { Find<QLineEdit>(d, "IDC_EDIT_SAMPLEURL")->setText(c.entered); });
    EXPECT_EQ(m_View.Settings().SampleURL, c.stored);
    EXPECT_EQ(Key("SampleURL"), c.stored);
  }
}

TEST_F(ViewOptionsTest, TheDataPanelMovesSidesAtOnce)
{
  OpenDemo();
  m_View.resize(1200, 760);  // a view never shown is not laid out by its frame
  m_View.PlacePanels();
  const int leftX = m_View.DataPanel()->geometry().x();
  const int paneLeftX = Find<QWidget>(m_View, "PaneHostXY")->geometry().x();
  RunOptions([](CDlgOptions& d) { Find<QAbstractButton>(d, "IDC_RADIO_DLGDATAPOS_RIGHT")->click(); });
  EXPECT_EQ(Key("DlgDataPos"), "Right");
  EXPECT_GT(m_View.DataPanel()->geometry().x(), leftX);
  EXPECT_LT(Find<QWidget>(m_View, "PaneHostXY")->geometry().x(), paneLeftX);
  EXPECT_GE(m_View.DataPanel()->geometry().x(), Find<QWidget>(m_View, "PaneHostXY")->geometry().right());
}

TEST_F(ViewOptionsTest, ThicknessOptionsAreKeptInMillimetresAndApplied)
{
  OpenDemo();
  RunThicknessOptions([](CDlgThicknessOptions& d) {
    Find<QAbstractButton>(d, "IDC_RADIO_UNIT_FIXED")->click();
    Find<QLineEdit>(d, "IDC_EDIT_THICKNESS_MIN")->setText("500");
    Find<QLineEdit>(d, "IDC_EDIT_THICKNESS_MAX")->setText("900");
  });
  EXPECT_FLOAT_EQ(m_View.Settings().ThicknessUnitMin, 0.5f);

  QString shownMin;
  RunThicknessOptions([&shownMin](CDlgThicknessOptions& d) {
    shownMin = Find<QLineEdit>(d, "IDC_EDIT_THICKNESS_MIN")->text();
    Find<QLineEdit>(d, "IDC_EDIT_THICKNESS_MIN")->setText("250");
    Find<QComboBox>(d, "IDC_COMBO_GRID")->setCurrentText("Grid_Square_Macula_3x3.xml");
    Find<QAbstractButton>(d, "IDC_RADIO_PALETTE_GRAYSCALE")->click();
  });
  EXPECT_EQ(shownMin, "500");
  EXPECT_EQ(Key("ThicknessUnit"), "Fixed");
  EXPECT_EQ(Key("ThicknessUnitMin"), "0.250000");
  EXPECT_EQ(Key("ThicknessUnitMax"), "0.900000");
  EXPECT_EQ(Key("ThicknessPalette"), "Grayscale");
  EXPECT_EQ(Key("GridFileName"), "Grid_Square_Macula_3x3.xml");
  EXPECT_EQ(m_View.GetGridDefinition().type, GridSquare) << "the chosen grid is loaded";
  EXPECT_EQ(m_View.ProjPane()->Palette().Type(), PaletteGrey) << "and handed to the projection pane";
}

}  // namespace
