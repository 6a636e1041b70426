#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "app/LButton.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "platform/ColorRefQt.h"
#include "platform/Profile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <gtest/gtest.h>

namespace {

using platform::Profile;

// The small demo folder opened in a view that is never shown; the panels' controls are
// driven as a user would.
class ViewCommandsTest : public fixtures::DemoViewTest {
protected:
  CDlgMenu& Menu() const { return *m_View.MenuPanel(); }
  CDlgData& Data() const { return *m_View.DataPanel(); }
  const LSettings& Settings() const { return m_View.Settings(); }
  // Picks the item with this text as the user does (the handler runs).
  static void Choose(QComboBox* combo, const QString& text)
  {
    const int index = combo->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    combo->setCurrentIndex(index);
    emit combo->activated(index);
  }
  void TurnThicknessOn()
  {
    if (!Settings().ShowThickness)
      Menu().Button(CDlgMenu::kThickness)->click();
    ASSERT_TRUE(Settings().ShowThickness);
  }
};

TEST_F(ViewCommandsTest, EachToggleFlipsItsSettingCheckAndKey)
{
  struct Case {
    bool menu;
    int id;
    bool LSettings::*flag;
    const char* key;
  };
  const Case cases[] = {
    {false, CDlgData::kShowRefSurf, &LSettings::ShowRefSurf, "ShowRefSurf"},
    {false, CDlgData::kShowSurfaces, &LSettings::ShowSurfaces, "ShowSurfaces"},
    {false, CDlgData::kShowProj, &LSettings::ShowProj, "ShowProj"},
    {false, CDlgData::kShowDisc, &LSettings::ShowDisc, "ShowDisc"},
    {false, CDlgData::kShowVessel, &LSettings::ShowVessel, "ShowVessel"},
    {false, CDlgData::kShowSEAD, &LSettings::ShowSEAD, "ShowSEAD"},
    {false, CDlgData::kShowMarkers, &LSettings::ShowMarkers, "ShowMarkers"},
    {false, CDlgData::kShowSplines, &LSettings::ShowSplines, "ShowSplines"},
    {true, CDlgMenu::kGuideLines, &LSettings::ShowGuideLines, "ShowGuideLines"},
    {true, CDlgMenu::kOverlay, &LSettings::ShowOverlay, "ShowOverlay"},
    {true, CDlgMenu::kUndefinedRegion, &LSettings::ShowUndefinedRegion, "ShowUndefinedRegion"},
    {true, CDlgMenu::kThickness, &LSettings::ShowThickness, "ShowThickness"},
    {true, CDlgMenu::kCreateProj, &LSettings::ShowCreateProj, "ShowCreateProj"},
  };
  for (const Case& c : cases) {
    QAbstractButton* control = c.menu ? Menu().Button(c.id) : Data().Button(c.id);
    ASSERT_TRUE(control && control->isEnabled()) << c.key;
    for (int click = 0; click < 2; ++click) {
      const bool before = Settings().*c.flag;
      control->click();
      const bool after = Settings().*c.flag;
      EXPECT_NE(after, before) << c.key;
      EXPECT_EQ(control->isChecked(), after) << c.key;
      EXPECT_EQ(Profile::GetProfileInt(c.key, -1), after ? 1 : 0) << c.key;
    }
  }
}

TEST_F(ViewCommandsTest, TogglesReachThePanes)
{
  QAbstractButton* guideLines = Menu().Button(CDlgMenu::kGuideLines);
  for (int click = 0; click < 2; ++click) {
    guideLines->click();
    for (int o = 1; o <= 3; ++o)
      EXPECT_EQ(m_View.SlicePane(o)->GetShowGuideLines(), Settings().ShowGuideLines) << o;
  }
  QAbstractButton* splines = Data().Button(CDlgData::kShowSplines);
  for (int click = 0; click < 2; ++click) {
    splines->click();
    EXPECT_EQ(Menu().Control(CDlgMenu::kAddSpline)->isEnabled(), Settings().ShowSplines);
  }
  Menu().Button(CDlgMenu::kAddSpline)->setEnabled(true);
  Menu().Button(CDlgMenu::kAddSpline)->click();
  for (int o = 1; o <= 3; ++o)
    EXPECT_TRUE(m_View.SlicePane(o)->GetNewSplineRequest()) << o;
}

TEST_F(ViewCommandsTest, MouseModeFollowsTheComboTextAndShowsItsOptions)
{
  struct Case {
    const char* text;
    int mode;
    const char* profileName;
    std::vector<int> shown;
  };
  const Case cases[] = {
    {"Markers", 9, "Markers", {CDlgMenu::kMarkersLabel, CDlgMenu::kMarkersCombo}},
    {"Pan", 3, "Pan", {}},
    {"Undef. Region", 5, "UndefinedRegion",
     {CDlgMenu::kUndefinedRegionLabel, CDlgMenu::kUndefinedRegionMargin, CDlgMenu::kUndefinedRegionModification}},
    {"Surfaces", 4, "Surfaces", {CDlgMenu::kSurfacesLabel, CDlgMenu::kSurfacesMargin, CDlgMenu::kSurfacesModification}},
    {"Grid Center", 6, "GridCenter", {}},
    {"Splines", 10, "Splines", {CDlgMenu::kAddSpline}},
    {"SEAD", 8, "SEAD", {CDlgMenu::kSEADLabel, CDlgMenu::kSEADMargin, CDlgMenu::kSEADModification}},
  };
  const int slot[] = {CDlgMenu::kSurfacesLabel, CDlgMenu::kSurfacesMargin, CDlgMenu::kSurfacesModification,
                      CDlgMenu::kUndefinedRegionLabel, CDlgMenu::kUndefinedRegionMargin,
                      CDlgMenu::kUndefinedRegionModification, CDlgMenu::kVesselLabel, CDlgMenu::kVesselMargin,
                      CDlgMenu::kVesselModification, CDlgMenu::kSEADLabel, CDlgMenu::kSEADMargin,
                      CDlgMenu::kSEADModification, CDlgMenu::kMarkersLabel, CDlgMenu::kMarkersCombo,
                      CDlgMenu::kAddSpline};
  for (const Case& c : cases) {
    Choose(Menu().Combo(CDlgMenu::kMouse), c.text);
    EXPECT_EQ(Settings().Mouse, c.mode) << c.text;
    EXPECT_EQ(Profile::GetProfileString("Mouse", ""), c.profileName) << c.text;
    EXPECT_EQ(Menu().Combo(CDlgMenu::kMouse)->currentIndex(), c.mode) << c.text;
    for (const int id : slot) {
      const bool expected = std::find(c.shown.begin(), c.shown.end(), id) != c.shown.end();
      EXPECT_EQ(!Menu().Control(id)->isHidden(), expected) << c.text << " control " << id;
    }
  }
}

TEST_F(ViewCommandsTest, SurfaceBoxShowsItsColourOnlyWhileItsSurfaceIsShown)
{
  LButton* box = Data().SurfaceBox(2);
  const uint32_t buttonFace = platform::ToColorRef(Data().palette().color(QPalette::Button));
  ASSERT_NE(Settings().ColorSurface[2], buttonFace);
  const bool first = Settings().ShowSurface[2];
  for (int click = 0; click < 2; ++click) {
    box->click();
    const bool shown = Settings().ShowSurface[2];
    EXPECT_EQ(shown, click == 0 ? !first : first);
    EXPECT_EQ(box->Color(), shown ? Settings().ColorSurface[2] : buttonFace);
    EXPECT_EQ(Profile::GetProfileInt("ShowSurface2", -1), shown ? 1 : 0);
  }
}

TEST_F(ViewCommandsTest, ThicknessSurfacePairRecomputesTheMapWhileShown)
{
  TurnThicknessOn();
  Choose(Menu().Combo(CDlgMenu::kThicknessFrom), "3");
  EXPECT_EQ(m_View.ProjPane()->Thickness().From(), 2) << "recomputed on the From choice alone";
  Choose(Menu().Combo(CDlgMenu::kThicknessTo), "7");
  EXPECT_EQ(Settings().ThicknessSurfaceFrom, 2);
  EXPECT_EQ(Settings().ThicknessSurfaceTo, 6);
  EXPECT_EQ(Profile::GetProfileInt("ThicknessSurfaceFrom", -1), 2);
  EXPECT_EQ(Profile::GetProfileInt("ThicknessSurfaceTo", -1), 6);
  EXPECT_EQ(m_View.ProjPane()->Thickness().From(), 2);
  EXPECT_EQ(m_View.ProjPane()->Thickness().To(), 6);

  // Hidden, the map is left alone; the pair is still stored.
  Menu().Button(CDlgMenu::kThickness)->click();
  Choose(Menu().Combo(CDlgMenu::kThicknessFrom), "1");
  EXPECT_EQ(Settings().ThicknessSurfaceFrom, 0);
  EXPECT_EQ(m_View.ProjPane()->Thickness().From(), 2);
  // Turned on again, the map is computed for the stored pair.
  Menu().Button(CDlgMenu::kThickness)->click();
  EXPECT_EQ(m_View.ProjPane()->Thickness().From(), 0);
}

TEST_F(ViewCommandsTest, GridModeGoesToTheMapOnlyWhileThicknessIsShown)
{
  TurnThicknessOn();
  for (const auto& [text, mode] : {std::pair{"Quality", 1}, {"None", 0}, {"Quantity", 2}}) {
    Choose(Menu().Combo(CDlgMenu::kGrid), text);
    EXPECT_EQ(Settings().GridMode, mode) << text;
    EXPECT_EQ(Profile::GetProfileString("GridMode", ""), text);
    EXPECT_EQ(m_View.ProjPane()->Thickness().Mode(), mode) << text;
  }
}

TEST_F(ViewCommandsTest, CreateProjSurfacePairRecomputesTheProjectionWhileOn)
{
  if (!Settings().ShowCreateProj)
    Menu().Button(CDlgMenu::kCreateProj)->click();
  Choose(Menu().Combo(CDlgMenu::kCreateProjFrom), "2");
  Choose(Menu().Combo(CDlgMenu::kCreateProjTo), "5");
  EXPECT_EQ(Profile::GetProfileInt("CreateProjSurfaceFrom", -1), 1);
  EXPECT_EQ(Profile::GetProfileInt("CreateProjSurfaceTo", -1), 4);
  EXPECT_EQ(m_View.ProjPane()->GetProjectionFrom(), 1);
  EXPECT_EQ(m_View.ProjPane()->GetProjectionTo(), 4);
}

TEST_F(ViewCommandsTest, MenuCombosStoreTheirValues)
{
  Choose(Menu().Combo(CDlgMenu::kMarkersCombo), "1");
  EXPECT_EQ(Settings().MarkersLabel, "0");
  EXPECT_EQ(Profile::GetProfileString("MarkersLabel", ""), "0");
  Choose(Menu().Combo(CDlgMenu::kMarkersCombo), "20");
  EXPECT_EQ(Profile::GetProfileString("MarkersLabel", ""), "19");

  Choose(Menu().Combo(CDlgMenu::kSurfacesMargin), "0.05");
  EXPECT_FLOAT_EQ(Settings().SurfacesMargin, 0.05f);
  EXPECT_EQ(Profile::GetProfileString("SurfacesMargin", ""), "0.05");
  Choose(Menu().Combo(CDlgMenu::kVesselModification), "2D");
  EXPECT_EQ(Settings().VesselModification, 0);
  EXPECT_EQ(Profile::GetProfileString("VesselModification", ""), "2D");

  Choose(Menu().Combo(CDlgMenu::kAvg), "5");
  EXPECT_EQ(Profile::GetProfileInt("AvgSliceNum", -1), 5);
  Menu().Button(CDlgMenu::kReset)->click();
  EXPECT_EQ(Menu().Combo(CDlgMenu::kAvg)->currentText(), "1");
  EXPECT_EQ(Settings().AvgSliceNum, 1);
  EXPECT_TRUE(Settings().Show3DAll);
  EXPECT_EQ(Profile::GetProfileInt("AvgSliceNum", -1), 1);
  EXPECT_EQ(Profile::GetProfileInt("3DBlending", -1), 0);
}

TEST_F(ViewCommandsTest, LateralityChangesTheDisplayOnly)
{
  for (const auto& [text, laterality] : {std::pair{"OS", 2}, {"NA", 0}, {"OD", 1}}) {
    Choose(Data().Combo(CDlgData::kLaterality), text);
    EXPECT_EQ(m_View.GetDisplayedLaterality(), laterality) << text;
  }
  EXPECT_EQ(Profile::GetProfileString("Laterality", "absent"), "absent");
}

}  // namespace
