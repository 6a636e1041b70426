#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "fixtures/DemoView.h"
#include "platform/Profile.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QScrollBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

class ViewTest : public ::testing::Test {
protected:
  QWidget* Find(const char* name) const { return m_Frame.findChild<QWidget*>(QString::fromLatin1(name)); }

  const fixtures::DemoView m_Demo{fixtures::DemoViewOptions().FrameSize(1280, 800).KeepMessageHook()};
  CMainFrame& m_Frame = m_Demo.Frame();
};

TEST_F(ViewTest, FreshViewHasNoScanAndOnlyOpenOptionsAboutEnabled)
{
  const CStrataviewView& view = *m_Frame.View();
  EXPECT_TRUE(view.IsInitialised());
  EXPECT_EQ(view.GetRefSurfCurSel(), 0);
  EXPECT_EQ(view.GetFlatteningIndex(), 0);
  EXPECT_EQ(view.GetSurfacesCount(), 0);
  for (const int selected : {view.GetSurfacesCurSel(), view.GetProjCurSel(), view.GetDiscCurSel(),
                             view.GetVesselCurSel(), view.GetSEADCurSel(), view.GetGridCenterCurSel(),
                             view.GetMarkersCurSel(), view.GetSplinesCurSel()})
    EXPECT_EQ(selected, -1);
  EXPECT_FALSE(view.GetDisplayedVolume().loaded);

  for (const char* name : {"IDC_BUTTON_OPEN", "IDC_BUTTON_OPTIONS", "IDC_BUTTON_ABOUT"}) {
    ASSERT_NE(Find(name), nullptr) << name;
    EXPECT_TRUE(Find(name)->isEnabled()) << name;
  }
  for (const char* name : {"IDC_BUTTON_SAVE", "IDC_COMBO_LAYOUT", "IDC_COMBO_MOUSE", "IDC_CHECK_THICKNESS",
                           "IDC_BUTTON_EXECUTABLES", "IDC_CHECK_SURFACES", "IDC_COMBO_REFSURF",
                           "IDC_BUTTON_FLATTENING", "IDC_BUTTON_SURFACE20", "IDC_SCROLL_OCTXZ",
                           "IDC_BUTTON_3D_OCTXZ", "IDC_BUTTON_PROJ_THICKNESSOPTIONS"}) {
    ASSERT_NE(Find(name), nullptr) << name;
    EXPECT_FALSE(Find(name)->isEnabled()) << name;
  }
  EXPECT_TRUE(Find("IDC_BUTTON_ADDSPLINE")->isHidden());
  EXPECT_TRUE(Find("IDC_COMBO_SURFACES_MARGIN")->isHidden());
  EXPECT_EQ(m_Frame.View()->findChildren<QScrollBar*>(QString(), Qt::FindDirectChildrenOnly).size(), 3);
  EXPECT_EQ(Find("IDC_BUTTON_OCTXY_SAVEALL")->toolTip(), "Save All");
  EXPECT_EQ(Find("IDC_BUTTON_3D_SHOWALL")->toolTip(), "Show/Hide All");
  EXPECT_EQ(m_Frame.minimumSize(), QSize(512, 384));
  EXPECT_EQ(m_Frame.windowTitle(), "Strataview");
}

TEST_F(ViewTest, PanesAreLaidOutAndTheLayoutIsRecorded)
{
  m_Frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_Frame));
  const QWidget* xy = Find("PaneHostXY");
  ASSERT_NE(xy, nullptr);
  EXPECT_GT(xy->width(), 100);
  EXPECT_GT(xy->height(), 100);
  EXPECT_EQ(platform::Profile::GetProfileString("Layout", ""), "Horizontal");

  auto* layout = qobject_cast<QComboBox*>(Find("IDC_COMBO_LAYOUT"));
  layout->setEnabled(true);
  layout->setCurrentIndex(4);
  emit layout->activated(4);  // "OCT XY"
  EXPECT_EQ(platform::Profile::GetProfileString("Layout", ""), "OCTXY");
  EXPECT_EQ(Find("PaneHostZY")->width(), 0);
  EXPECT_GT(Find("PaneHostXY")->width(), xy->parentWidget()->width() / 2);
}

TEST_F(ViewTest, SpaceBarDoesNothingWithoutSurfaces)
{
  const bool before = m_Frame.View()->Settings().ShowSurfaces;
  QTest::keyClick(m_Frame.View(), Qt::Key_Space);
  EXPECT_EQ(m_Frame.View()->Settings().ShowSurfaces, before);
}

}  // namespace
