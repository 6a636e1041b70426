// What the panels show after opening a scan is what the panes do: the stored mouse mode in
// the Mouse combo with its editing options, each display toggle pressed as its setting, the
// pane buttons exporting beside the scan, and every layout placing the panes.
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "model/SavePaths.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/FaultyFolder.h"
#include "fixtures/TempDir.h"
#include "panes/CChildWnd.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "platform/Profile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QRegularExpression>
#include <QScrollBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <set>

namespace {

using platform::Profile;
namespace fs = std::filesystem;

using fixtures::StoredSettings;

// A view started on its own profile that opens a scan folder or file the way the open
// dialog does. Messages are recorded; no dialog may open.
class OpenedView {
public:
  OpenedView(const StoredSettings& stored, const std::string& scan, bool folder = true)
    : m_Demo(fixtures::DemoViewOptions().SizeView().CountDialogs().Stored(stored)),
      m_Opened(folder ? m_Demo.OpenFolder(scan) : m_Demo.OpenFile(scan))
  {
  }

  bool Opened() const { return m_Opened; }
  CStrataviewView& View() const { return m_Demo.View(); }
  CDlgMenu& Menu() const { return *View().MenuPanel(); }
  QAbstractButton* Button(const char* name) const { return View().findChild<QAbstractButton*>(name); }
  const std::vector<std::string>& Messages() const { return m_Demo.Messages(); }
  int DialogRequests() const { return m_Demo.DialogRequests(); }

private:
  const fixtures::DemoView m_Demo;
  const bool m_Opened;
};

class ViewShowsSettingsTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(fixtures::MakeSmallDemo(m_Scan.Path().string())); }
  std::string Folder() const { return m_Scan.Path().string(); }

  TempDir m_Scan;
};

TEST_F(ViewShowsSettingsTest, StoredMouseModeIsSelectedWithItsEditingOptions)
{
  const std::vector<int> surfaces = {CDlgMenu::kSurfacesLabel, CDlgMenu::kSurfacesMargin,
                                     CDlgMenu::kSurfacesModification};
  const std::vector<int> undefined = {CDlgMenu::kUndefinedRegionLabel, CDlgMenu::kUndefinedRegionMargin,
                                      CDlgMenu::kUndefinedRegionModification};
  const std::vector<int> vessel = {CDlgMenu::kVesselLabel, CDlgMenu::kVesselMargin, CDlgMenu::kVesselModification};
  const std::vector<int> sead = {CDlgMenu::kSEADLabel, CDlgMenu::kSEADMargin, CDlgMenu::kSEADModification};
  const std::vector<int> markers = {CDlgMenu::kMarkersLabel, CDlgMenu::kMarkersCombo};
  const std::vector<int> splines = {CDlgMenu::kAddSpline};
  std::set<int> slot;
  for (const auto* group : {&surfaces, &undefined, &vessel, &sead, &markers, &splines})
    slot.insert(group->begin(), group->end());

  const struct {
    const char* stored;
    const char* comboText;
    std::vector<int> shown;
  } cases[] = {
    {"Position", "Position", {}},       {"Window", "Window", {}},
    {"Zoom", "Zoom", {}},               {"Pan", "Pan", {}},
    {"Surfaces", "Surfaces", surfaces}, {"UndefinedRegion", "Undef. Region", undefined},
    {"GridCenter", "Grid Center", {}},  {"Vessel", "Vessel", vessel},
    {"SEAD", "SEAD", sead},             {"Markers", "Markers", markers},
    {"Splines", "Splines", splines},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    const OpenedView opened({{"Mouse", c.stored}}, Folder());
    ASSERT_TRUE(opened.Opened());
    EXPECT_EQ(opened.Menu().Combo(CDlgMenu::kMouse)->currentText().toStdString(), c.comboText);
    EXPECT_EQ(Profile::GetProfileString("Mouse", "").toStdString(), c.stored);
    for (const int id : slot) {
      const bool expected = std::find(c.shown.begin(), c.shown.end(), id) != c.shown.end();
      EXPECT_EQ(!opened.Menu().Control(id)->isHidden(), expected) << "control " << id;
    }

    // A click in the B-scan pane does what the combo says.
    CStrataviewView& view = opened.View();
    const int position[3] = {view.Position()[0], view.Position()[1], view.Position()[2]};
    const int centre[2] = {view.Slots().gridCenter.gridCenter[0], view.Slots().gridCenter.gridCenter[1]};
    QWidget* pane = view.findChild<CChildWnd*>("PaneHostXY")->findChild<QWidget*>();
    ASSERT_TRUE(pane);
    QTest::mouseClick(pane, Qt::LeftButton, {}, QPoint(pane->width() / 5, pane->height() / 3));
    const std::string mode = c.stored;
    // Placing the grid centre moves the position there too.
    EXPECT_EQ(view.Position()[0] != position[0] || view.Position()[1] != position[1],
              mode == "Position" || mode == "GridCenter");
    EXPECT_EQ(view.Position()[2], position[2]);
    EXPECT_EQ(view.Slots().gridCenter.gridCenter[0] != centre[0] || view.Slots().gridCenter.gridCenter[1] != centre[1],
              mode == "GridCenter");
  }
}

// The nine display toggles whose buttons the refresh after opening sets, with the field
// that holds each and the button that shows it.
struct DisplayToggle {
  const char* key;
  bool LSettings::*flag;
  const char* button;
};
const DisplayToggle kDisplayToggles[] = {
  {"ShowGuideLines", &LSettings::ShowGuideLines, "IDC_CHECK_GUIDELINES"},
  {"ShowOverlay", &LSettings::ShowOverlay, "IDC_CHECK_OVERLAY"},
  {"ShowUndefinedRegion", &LSettings::ShowUndefinedRegion, "IDC_CHECK_UNDEFINEDREGION"},
  {"Show3DAll", &LSettings::Show3DAll, "IDC_BUTTON_3D_SHOWALL"},
  {"3DIsotropic", &LSettings::ThreeDIsotropic, "IDC_BUTTON_3D_ISOTROPIC"},
  {"3DBlending", &LSettings::ThreeDBlending, "IDC_BUTTON_3D_BLENDING"},
  {"Show3DOCTXY", &LSettings::Show3DOCTXY, "IDC_BUTTON_3D_OCTXY"},
  {"Show3DOCTZY", &LSettings::Show3DOCTZY, "IDC_BUTTON_3D_OCTZY"},
  {"Show3DOCTXZ", &LSettings::Show3DOCTXZ, "IDC_BUTTON_3D_OCTXZ"},
};

std::vector<QImage> PanePictures(const CStrataviewView& view)
{
  std::vector<QImage> pictures;
  for (int orientation = 1; orientation <= 3; ++orientation)
    pictures.push_back(view.SlicePane(orientation)->RenderToImage());
  pictures.push_back(view.ProjPane()->RenderToImage());
  return pictures;
}

// Stored on and off in turn (and the other way round, so that each toggle is seen both
// ways next to neighbours in the other state): each button is pressed as its setting, the
// settings and keys stay as stored, and the panes draw what a user gets by pressing the
// buttons of a fresh profile into the same states.
TEST_F(ViewShowsSettingsTest, StoredDisplayTogglesArePressedAsSetAndDrawnSo)
{
  for (const int first : {1, 0}) {
    SCOPED_TRACE(first ? "odd toggles off" : "odd toggles on");
    StoredSettings stored;
    std::vector<bool> wanted;
    for (size_t i = 0; i < std::size(kDisplayToggles); ++i) {
      wanted.push_back((i % 2 == 0) == (first == 1));
      stored[kDisplayToggles[i].key] = wanted.back() ? "1" : "0";
    }
    const OpenedView opened(stored, Folder());
    ASSERT_TRUE(opened.Opened());
    for (size_t i = 0; i < std::size(kDisplayToggles); ++i) {
      const DisplayToggle& t = kDisplayToggles[i];
      QAbstractButton* button = opened.Button(t.button);
      ASSERT_TRUE(button) << t.button;
      EXPECT_TRUE(button->isCheckable()) << t.key;
      EXPECT_EQ(button->isChecked(), wanted[i]) << t.key;
      EXPECT_EQ(opened.View().Settings().*t.flag, wanted[i]) << t.key;
      EXPECT_EQ(Profile::GetProfileInt(t.key, -1), wanted[i] ? 1 : 0) << t.key;
    }
    for (int orientation = 1; orientation <= 3; ++orientation)
      EXPECT_EQ(opened.View().SlicePane(orientation)->GetShowGuideLines(), wanted[0]);
    const std::vector<QImage> storedPictures = PanePictures(opened.View());

    const OpenedView pressed({}, Folder());
    ASSERT_TRUE(pressed.Opened());
    for (size_t i = 0; i < std::size(kDisplayToggles); ++i) {
      QAbstractButton* button = pressed.Button(kDisplayToggles[i].button);
      if (button->isChecked() != wanted[i])
        button->click();
      EXPECT_EQ(pressed.View().Settings().*kDisplayToggles[i].flag, wanted[i]) << kDisplayToggles[i].key;
    }
    const std::vector<QImage> pressedPictures = PanePictures(pressed.View());
    for (size_t pane = 0; pane < storedPictures.size(); ++pane)
      EXPECT_TRUE(storedPictures[pane] == pressedPictures[pane]) << "pane " << pane;
  }
}

// The buttons that need surfaces cannot be used without them, but still show the stored
// setting that applies once surfaces are opened.
TEST_F(ViewShowsSettingsTest, WithoutSurfacesTheirButtonsStillShowTheSettings)
{
  const OpenedView opened({{"ShowThickness", "1"}, {"ShowCreateProj", "1"}, {"ShowUndefinedRegion", "1"}},
                          Folder() + "/Demo_OCT.mhd", false);
  ASSERT_TRUE(opened.Opened());
  ASSERT_EQ(opened.View().GetSurfacesCount(), 0);
  for (const int id : {CDlgMenu::kThickness, CDlgMenu::kCreateProj, CDlgMenu::kUndefinedRegion}) {
    EXPECT_FALSE(opened.Menu().Button(id)->isEnabled()) << id;
    EXPECT_TRUE(opened.Menu().Button(id)->isChecked()) << id;
  }
}

TEST_F(ViewShowsSettingsTest, ThreeDButtonsShowTheirFlagAfterEachPress)
{
  const OpenedView opened({}, Folder());
  ASSERT_TRUE(opened.Opened());
  for (size_t i = 3; i < std::size(kDisplayToggles); ++i) {
    const DisplayToggle& t = kDisplayToggles[i];
    QAbstractButton* button = opened.Button(t.button);
    for (int press = 0; press < 2; ++press) {
      button->click();
      EXPECT_EQ(button->isChecked(), opened.View().Settings().*t.flag) << t.key;
      EXPECT_EQ(Profile::GetProfileInt(t.key, -1), button->isChecked() ? 1 : 0) << t.key;
    }
  }
  // Reset brings the defaults back, and the buttons with them.
  opened.Menu().Button(CDlgMenu::kReset)->click();
  EXPECT_TRUE(opened.Button("IDC_BUTTON_3D_SHOWALL")->isChecked());
  for (const char* name : {"IDC_BUTTON_3D_ISOTROPIC", "IDC_BUTTON_3D_BLENDING", "IDC_BUTTON_3D_OCTXY",
                           "IDC_BUTTON_3D_OCTZY", "IDC_BUTTON_3D_OCTXZ"})
    EXPECT_FALSE(opened.Button(name)->isChecked()) << name;
}

// Reads an exported image with an independent reader and compares it with the pane's picture.
void ExpectFileShows(const std::string& path, const QImage& picture)
{
  ASSERT_TRUE(fs::exists(path)) << path;
  const std::string dump = path + ".rgb";
  const std::string command = "/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + path +
                              "'); assert im.format == 'TIFF', im.format; open('" + dump +
                              "', 'wb').write(im.convert('RGB').tobytes()); print(im.size[0], im.size[1])\"";
  std::string size;
  ASSERT_EQ(fixtures::RunCommand(command, &size), 0) << path;
  EXPECT_EQ(size, std::to_string(picture.width()) + " " + std::to_string(picture.height()) + "\n") << path;
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
  std::string expected;
  for (int y = 0; y < rgb.height(); ++y)
    expected.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), size_t(rgb.width()) * 3);
  EXPECT_TRUE(fixtures::ReadAll(dump) == expected) << path << ": the file holds another picture";
  fs::remove(dump);
}

TEST_F(ViewShowsSettingsTest, PaneSaveWritesBesideTheScanUnderItsExportNameWithoutADialog)
{
  const OpenedView opened({}, Folder());
  ASSERT_TRUE(opened.Opened());
  CStrataviewView& view = opened.View();
  view.findChild<QScrollBar*>("IDC_SCROLL_OCTXY")->setValue(5);
  view.findChild<QScrollBar*>("IDC_SCROLL_OCTZY")->setValue(17);
  view.findChild<QScrollBar*>("IDC_SCROLL_OCTXZ")->setValue(40);
  // An older export of the same name is replaced.
  ASSERT_TRUE(fixtures::WriteText(Folder() + "/Demo_Image_Proj.tif", "older export"));
  const struct {
    const char* button;
    const char* file;
    QImage picture;
  } cases[] = {
    {"IDC_BUTTON_OCTXY_SAVE", "Demo_Image_OCTXY_0005.tif", view.SlicePane(1)->RenderToImage()},
    {"IDC_BUTTON_OCTZY_SAVE", "Demo_Image_OCTZY_0017.tif", view.SlicePane(2)->RenderToImage()},
    {"IDC_BUTTON_OCTXZ_SAVE", "Demo_Image_OCTXZ_0040.tif", view.SlicePane(3)->RenderToImage()},
    {"IDC_BUTTON_PROJ_SAVE", "Demo_Image_Proj.tif", view.ProjPane()->RenderToImage()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    opened.Button(c.button)->click();
    ExpectFileShows(Folder() + "/" + c.file, c.picture);
  }
  EXPECT_EQ(opened.DialogRequests(), 0);
  EXPECT_TRUE(opened.Messages().empty()) << opened.Messages().front();
}

// A Save that cannot be written, because the scan's folder is read-only or its disk is
// full, says so and leaves the older export of that name as it was, with nothing beside it.
TEST(PaneSaveFailure, AFailedWriteKeepsTheOlderFileAndSaysSo)
{
  const struct {
    const char* fault;
    bool (FaultyFolder::*cause)();
  } cases[] = {{"read-only folder", &FaultyFolder::MakeReadOnly}, {"full disk", &FaultyFolder::FillUp}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    const TempDir dir;
    const std::string folder = dir.File("scan");
    FaultyFolder faulty(folder);
    if (!faulty.Ready())
      GTEST_SKIP() << faulty.Why();
    ASSERT_TRUE(fixtures::MakeSmallDemo(folder));
    const std::string older = folder + "/Demo_Image_OCTXY_0008.tif";
    ASSERT_TRUE(fixtures::WriteText(older, "older export"));
    const OpenedView opened({}, folder);
    ASSERT_TRUE(opened.Opened());
    if (c.cause == &FaultyFolder::FillUp && !faulty.CanFillUp()) {
      std::cout << "[  SKIPPED ] " << c.fault << ": only root can mount a small disk to fill\n";
      continue;
    }
    ASSERT_TRUE((faulty.*c.cause)());
    const auto listing = [&folder] {
      std::set<std::string> names;
      for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
      return names;
    };
    const std::set<std::string> before = listing();
    opened.Button("IDC_BUTTON_OCTXY_SAVE")->click();
    EXPECT_EQ(fixtures::ReadAll(older), "older export");
    EXPECT_EQ(listing(), before) << "nothing is left behind";
    ASSERT_EQ(opened.Messages().size(), 1u);
    EXPECT_NE(opened.Messages().front().find(older), std::string::npos) << opened.Messages().front();
    EXPECT_EQ(opened.DialogRequests(), 0);
  }
}

// The real one-B-scan Heidelberg file stores a slice spacing of 0. Every layout places the
// panes it shows with room to draw in, and no pane or button covers another.
TEST(ZeroSpacingLayouts, EveryLayoutGivesItsPanesARectangle)
{
  const TempDir dir;
  const std::string scan = fixtures::CopySample("heidelberg_valid.vol", dir.Path().string());
  const OpenedView opened({}, scan, false);
  ASSERT_TRUE(opened.Opened());
  const LOCTVolume& volume = opened.View().GetDisplayedVolume();
  ASSERT_EQ(volume.sizeZ, 1);
  ASSERT_EQ(volume.spacingZ, 0.0f) << "the sample no longer has the spacing this is about";
  const char* const hosts[kPaneCount] = {"PaneHostXY", "PaneHostZY", "PaneHostXZ", "PaneHostProj", "PaneHost3D"};
  const std::vector<int> all = {PaneXY, PaneZY, PaneXZ, PaneProj, Pane3D};
  const std::vector<int> shown[] = {all,      all,      all,        all,        {PaneXY}, {PaneZY},
                                    {PaneXZ}, {PaneXZ}, {PaneProj}, {PaneProj}, {Pane3D}};
  QComboBox* layouts = opened.Menu().Combo(CDlgMenu::kLayout);
  ASSERT_EQ(layouts->count(), 11);
  for (int index = 0; index < layouts->count(); ++index) {
    SCOPED_TRACE(layouts->itemText(index).toStdString());
    layouts->setCurrentIndex(index);
    emit layouts->activated(index);
    std::vector<std::pair<std::string, QRect>> placed;
    for (const int pane : shown[index]) {
      const QRect place = opened.View().findChild<CChildWnd*>(hosts[pane])->geometry();
      EXPECT_GE(place.width(), 16) << hosts[pane];
      EXPECT_GE(place.height(), 16) << hosts[pane];
      EXPECT_TRUE(opened.View().rect().contains(place.topLeft())) << hosts[pane];
      placed.emplace_back(hosts[pane], place);
    }
    const auto buttons =
      opened.View().findChildren<QAbstractButton*>(QRegularExpression("^IDC_BUTTON_"), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(buttons.size(), 29);
    for (QAbstractButton* button : buttons)
      if (!button->geometry().isEmpty())
        placed.emplace_back(button->objectName().toStdString(), button->geometry());
    for (size_t i = 0; i < placed.size(); ++i)
      for (size_t j = i + 1; j < placed.size(); ++j)
        EXPECT_FALSE(placed[i].second.intersects(placed[j].second)) << placed[i].first << " and " << placed[j].first;
  }
  EXPECT_TRUE(opened.Messages().empty());
}

TEST(LabelSavePath, TheHeaderEndingCountsInAnyLetterCase)
{
  const struct {
    const char* typed;
    const char* header;
    const char* data;
  } cases[] = {
    {"/d/x_Vessel_A.mhd", "/d/x_Vessel_A.mhd", "/d/x_Vessel_A.raw"},
    {"/d/x_Vessel_A.MHD", "/d/x_Vessel_A.MHD", "/d/x_Vessel_A.raw"},
    {"/d/x_Vessel_A.Mhd", "/d/x_Vessel_A.Mhd", "/d/x_Vessel_A.raw"},
    {"/d/x_Vessel_A", "/d/x_Vessel_A.mhd", "/d/x_Vessel_A.raw"},
    {"/d/x_Vessel_A.xml", "/d/x_Vessel_A.xml.mhd", "/d/x_Vessel_A.xml.raw"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(savepaths::LabelHeaderPath(c.typed), c.header) << c.typed;
    EXPECT_EQ(savepaths::LabelDataPath(savepaths::LabelHeaderPath(c.typed)), c.data) << c.typed;
  }
}

// Typed in capitals, the vessel labels are written under that name with their data and
// mesh files beside them, and read back by an independent reader.
TEST_F(ViewShowsSettingsTest, VesselLabelsSavedAsCapitalMHDKeepTheName)
{
  const OpenedView opened({}, Folder());
  ASSERT_TRUE(opened.Opened());
  const std::string header = Folder() + "/Demo_Vessel_Upper.MHD";
  ASSERT_TRUE(opened.View().SaveVessel(header, false));
  EXPECT_TRUE(fs::exists(header));
  EXPECT_TRUE(fs::exists(Folder() + "/Demo_Vessel_Upper.raw"));
  EXPECT_TRUE(fs::exists(Folder() + "/Demo_Vessel_Upper.vtk"));
  EXPECT_FALSE(fs::exists(header + ".mhd"));
  std::string dims;
  ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 -c \"import vtk; r = vtk.vtkMetaImageReader(); r.SetFileName('" +
                                     header + "'); r.Update(); print(*r.GetOutput().GetDimensions())\"",
                                 &dims),
            0);
  EXPECT_EQ(dims, "64 96 17\n");
  EXPECT_TRUE(opened.Messages().empty()) << opened.Messages().front();
}

}  // namespace
