#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "app/ExportNames.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "panes/CChildWnd.h"
#include "panes/LOCTImage.h"

#include <QAbstractButton>
#include <QScrollBar>
#include <gtest/gtest.h>
#include <sstream>

namespace {

TEST(ExportNamesTest, StemsOfScanPaths)
{
  struct Case {
    const char* path;
    const char* stem;
    const char* folderStem;
  };
  const Case cases[] = {
    {"/data/eye1_OCT.img", "/data/eye1", "/data/eye1"},
    {"/data/vol.nii.gz", "/data/vol.nii", "/data/vol"},
    {"/data/VOL.NII.GZ", "/data/VOL.NII", "/data/VOL"},
    {"/data/eye_OCT.nii.gz", "/data/eye", "/data/eye"},
    {"/scans_OCT/vol.img", "/scans_OCT/vol", "/scans_OCT/vol"},  // "_OCT" only counts in the file name
    {"/data.d/vol", "/data.d/vol", "/data.d/vol"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExportStem(c.path), c.stem) << c.path;
    EXPECT_EQ(ExportFolderStem(c.path), c.folderStem) << c.path;
  }
  EXPECT_EQ(PaneImageName("/data/vol.nii", "OCTXY", 5), "/data/vol.nii_Image_OCTXY_0005.tif");
  EXPECT_EQ(PaneImageName("/data/eye1", "Proj", -1), "/data/eye1_Image_Proj.tif");
}

// The small demo folder opened in a view that is never shown.
class NavigationTest : public fixtures::DemoViewTest {
protected:
  NavigationTest() : DemoViewTest(fixtures::DemoViewOptions().SizeView()) {}
  QScrollBar* Bar(const char* name) const { return m_View.findChild<QScrollBar*>(name); }
  QPoint Centre(const char* host) const { return m_View.findChild<CChildWnd*>(host)->geometry().center(); }
  int Count(int axis) const
  {
    const LOCTVolume& v = m_View.GetDisplayedVolume();
    return axis == 0 ? v.sizeX : axis == 1 ? v.sizeY : v.sizeZ;
  }
  QImage Picture(int orientation) const { return m_View.SlicePane(orientation)->RenderToImage(); }
};

TEST_F(NavigationTest, ScrollBarMovesThePositionAndTheRenderedSlice)
{
  QScrollBar* bar = Bar("IDC_SCROLL_OCTXY");
  const int nz = Count(2);
  ASSERT_GT(nz, 4);
  const QImage middle = Picture(1);
  bar->setValue(3);
  EXPECT_EQ(m_View.Position()[2], 3);
  const QImage third = Picture(1);
  EXPECT_NE(third, middle);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(m_View.Position()[2], 3 + std::max(1, nz / 10)) << "a page is a tenth of the slices";
  bar->triggerAction(QAbstractSlider::SliderPageStepSub);
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(m_View.Position()[2], 2);
  bar->setValue(3);
  EXPECT_EQ(Picture(1), third) << "the slice shown follows the bar";

  QScrollBar* zy = Bar("IDC_SCROLL_OCTZY");
  zy->setValue(Count(0) + 10);
  EXPECT_EQ(m_View.Position()[0], Count(0) - 1) << "the bar's range bounds the coordinate";
}

TEST_F(NavigationTest, WheelAndArrowKeysStepTheSliceUnderTheCursor)
{
  struct Case {
    const char* host;
    const char* bar;
    int axis;
    int start;  // -1: the last slice
    bool wheel;
    int input;  // wheel delta or key
    int expected;
  };
  const Case cases[] = {
    {"PaneHostXY", "IDC_SCROLL_OCTXY", 2, 5, true, 120, 4},
    {"PaneHostXY", "IDC_SCROLL_OCTXY", 2, 5, true, -120, 6},
    {"PaneHostXY", "IDC_SCROLL_OCTXY", 2, 5, true, 240, 5},
    {"PaneHostXY", "IDC_SCROLL_OCTXY", 2, 0, true, 120, 0},
    {"PaneHostXY", "IDC_SCROLL_OCTXY", 2, -1, true, -120, -1},
    {"PaneHostZY", "IDC_SCROLL_OCTZY", 0, -1, false, Qt::Key_Right, -1},
    {"PaneHostZY", "IDC_SCROLL_OCTZY", 0, 5, false, Qt::Key_Up, 4},
    {"PaneHostXZ", "IDC_SCROLL_OCTXZ", 1, 5, false, Qt::Key_Down, 6},
    {"PaneHostXZ", "IDC_SCROLL_OCTXZ", 1, 0, false, Qt::Key_Left, 0},
    {"PaneHostProj", "IDC_SCROLL_OCTXY", 2, 5, false, Qt::Key_Left, 5},
    {"PaneHostProj", "IDC_SCROLL_OCTXY", 2, 5, true, 120, 5},
  };
  for (const Case& c : cases) {
    const int last = Count(c.axis) - 1;
    Bar(c.bar)->setValue(c.start < 0 ? last : c.start);
    const int before[3] = {m_View.Position()[0], m_View.Position()[1], m_View.Position()[2]};
    if (c.wheel)
      m_View.OnWheel(c.input, Centre(c.host));
    else
      m_View.OnArrowKey(c.input, Centre(c.host));
    const int expected = c.expected < 0 ? last : c.expected;
    EXPECT_EQ(m_View.Position()[c.axis], expected) << c.host << " " << c.input << " from " << c.start;
    EXPECT_EQ(Bar(c.bar)->value(), expected) << c.host << " " << c.input;
    for (int axis = 0; axis < 3; ++axis) {
      if (axis != c.axis) {
        EXPECT_EQ(m_View.Position()[axis], before[axis]) << c.host << " moved axis " << axis;
      }
    }
  }
}

TEST_F(NavigationTest, PlaybackStepsAndWrapsOnEachTick)
{
  struct Case {
    int state;
    int start;  // -1: the last slice
    int expected;
  };
  const Case cases[] = {
    {PlayingForward, 4, 5}, {PlayingForward, -1, 0}, {PlayingBackward, 0, -1}, {PlayingBackward, 4, 3}, {Stopped, 4, 4},
  };
  const int last = Count(2) - 1;
  for (const Case& c : cases) {
    Bar("IDC_SCROLL_OCTXY")->setValue(c.start < 0 ? last : c.start);
    m_View.OnButtonPlay(0, c.state);
    m_View.OnPlaybackTimer(0);
    EXPECT_EQ(m_View.Position()[2], c.expected < 0 ? last : c.expected) << c.state << " from " << c.start;
    EXPECT_EQ(Bar("IDC_SCROLL_OCTXY")->value(), m_View.Position()[2]);
  }
  m_View.OnButtonPlay(0, PlayingForward);
  m_View.RefreshAll();
  EXPECT_EQ(m_View.Motion(0).playback, Stopped) << "a new scan stops the playback";
}

TEST_F(NavigationTest, SaveAllWritesEverySliceAsAFrameAndReturnsToTheSlice)
{
  Bar("IDC_SCROLL_OCTZY")->setValue(17);
  const int nx = Count(0);
  m_View.OnButtonPlay(1, PlayingForward);
  m_View.OnButtonSaveAll(1);
  EXPECT_EQ(m_View.Motion(1).playback, Stopped) << "the sequence owns the coordinate";
  for (int tick = 0; tick <= 2 * nx && m_View.Motion(1).saveAllRunning; ++tick) {
    m_View.OnSaveAllTimer(1);
    ASSERT_GE(m_View.Position()[0], 0);
    ASSERT_LT(m_View.Position()[0], nx);
  }
  ASSERT_FALSE(m_View.Motion(1).saveAllRunning);
  EXPECT_EQ(m_View.Position()[0], 17);
  EXPECT_EQ(Bar("IDC_SCROLL_OCTZY")->value(), 17);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();

  const std::string movie = ExportStem(m_View.GetScanPath()) + "_Image_OCTZY_All.avi";
  std::string probe;
  ASSERT_EQ(fixtures::RunCommand("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                 "stream=nb_read_frames,width,height -of csv=p=0 '" + movie + "'", &probe),
            0);
  const LOCTImage& pane = *m_View.SlicePane(2);
  std::ostringstream expected;
  expected << pane.GetWindowWidth() << "," << pane.GetWindowHeight() << "," << nx;
  EXPECT_EQ(probe.substr(0, probe.find_last_not_of("\n\r ") + 1), expected.str());
}

TEST_F(NavigationTest, ThreeDButtonsInvertTheirFlagAndStoreIt)
{
  struct Case {
    const char* button;
    bool LSettings::*field;
  };
  const Case cases[] = {
    {"IDC_BUTTON_3D_SHOWALL", &LSettings::Show3DAll}, {"IDC_BUTTON_3D_ISOTROPIC", &LSettings::ThreeDIsotropic},
    {"IDC_BUTTON_3D_BLENDING", &LSettings::ThreeDBlending}, {"IDC_BUTTON_3D_OCTXY", &LSettings::Show3DOCTXY},
    {"IDC_BUTTON_3D_OCTZY", &LSettings::Show3DOCTZY}, {"IDC_BUTTON_3D_OCTXZ", &LSettings::Show3DOCTXZ},
  };
  for (const Case& c : cases) {
    const bool before = m_View.Settings().*c.field;
    m_View.findChild<QAbstractButton*>(c.button)->click();
    EXPECT_EQ(m_View.Settings().*c.field, !before) << c.button;
    LSettings stored;
    ReadSettings(stored);
    EXPECT_EQ(stored.*c.field, !before) << c.button << " in the profile";
  }
}

}  // namespace
