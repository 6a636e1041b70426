#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/LButton.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "fixtures/DemoFolder.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"
#include "platform/Profile.h"

#include <QComboBox>
#include <algorithm>
#include <vector>
#include <gtest/gtest.h>

namespace {

// The small demo folder opened in a view that is never shown.
class ViewApplyTest : public ::testing::Test {
protected:
  void SetUp() override
  {
    platform::Profile::SetFolderForTests(QString::fromStdString(m_Profile.Path().string()));
    ASSERT_TRUE(fixtures::MakeSmallDemo(m_Scan.Path().string()));
    platform::SetExecutableDirForTests(STRATAVIEW_SOURCE_DIR "/res");  // its Grid folder
    m_Frame.resize(1200, 800);
    m_View.OnInitialUpdate();
    ASSERT_TRUE(m_View.ScanFolder(m_Scan.Path().string()));
    m_View.RefreshAll();
  }
  const LOCTVolume& Read() const { return m_View.GetReadVolume(); }
  const LOCTVolume& Shown() const { return m_View.GetDisplayedVolume(); }
  static unsigned short At(const LOCTVolume& v, int x, int y, int z)
  {
    return v.Voxels()[size_t(x) + size_t(v.sizeX) * (size_t(y) + size_t(v.sizeY) * size_t(z))];
  }

  std::vector<std::string> m_Messages;
  const platform::ScopedMessageHook m_Quiet{[this](const std::string& text, unsigned) {
    m_Messages.push_back(text);
    return platform::kIdOk;
  }};
  TempDir m_Profile;
  TempDir m_Scan;
  CMainFrame m_Frame;
  CStrataviewView& m_View = *m_Frame.View();
};

TEST(ViewApplyBeforeAScan, SelectingAFileBeforeTheScanIsShownDoesNothing)
{
  const TempDir profile;
  const TempDir scan;
  platform::Profile::SetFolderForTests(QString::fromStdString(profile.Path().string()));
  platform::SetExecutableDirForTests(STRATAVIEW_SOURCE_DIR "/res");
  ASSERT_TRUE(fixtures::MakeSmallDemo(scan.Path().string()));
  CMainFrame frame;
  CStrataviewView& view = *frame.View();
  view.OnInitialUpdate();
  ASSERT_TRUE(view.ScanFolder(scan.Path().string()));
  view.DataPanel()->Combo(CDlgData::kRefSurfCombo)->setCurrentIndex(1);
  view.SelectRefSurf();
  view.SelectSurfaces();
  view.SelectMarkers();
  view.SelectVessel();
  EXPECT_EQ(view.ProjPane(), nullptr);
  view.RefreshAll();
  EXPECT_NE(view.ProjPane(), nullptr);
}

TEST_F(ViewApplyTest, EveryKindReachesThePanes)
{
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
  ASSERT_TRUE(Shown().loaded);
  EXPECT_FALSE(m_View.Shift().IsFlattened());
  for (int o = 1; o <= 3; ++o)
    ASSERT_NE(m_View.SlicePane(o), nullptr);
  ASSERT_NE(m_View.ProjPane(), nullptr);
  ASSERT_NE(m_View.Get3DPane(), nullptr);
  EXPECT_EQ(m_View.Position()[0], 32);
  EXPECT_EQ(m_View.Position()[1], 48);
  EXPECT_EQ(m_View.Position()[2], 8);
  EXPECT_EQ(At(Shown(), 5, 40, 3), At(Read(), 5, 40, 3)) << "not flattened: a copy";

  const LResultSlots& kinds = m_View.Slots();
  EXPECT_EQ(kinds.surfaces.displayedObject->surfaceCount, 11);
  EXPECT_EQ(kinds.surfaces.displayedObject->header.executableName, "Strataview");
  EXPECT_EQ(kinds.markers.DisplayedMarkerCount(), 3);
  EXPECT_EQ(kinds.splines.DisplayedSplineCount(), 1);
  EXPECT_FALSE(kinds.splines.displayedObject->GetCurves()[0].empty());
  EXPECT_EQ(kinds.gridCenter.gridCenter[0], 31);
  EXPECT_EQ(kinds.vessel.displayedObject->VoxelCount(), Read().VoxelCount());
  EXPECT_GT(kinds.vessel.displayedMesh->GetTriangleVertexCount(), 0u);
  EXPECT_EQ(m_View.MenuPanel()->Combo(CDlgMenu::kGrid)->count(), 3);
  EXPECT_EQ(m_View.MenuPanel()->Combo(CDlgMenu::kThicknessTo)->count(), 11);
  EXPECT_EQ(m_View.DataPanel()->SurfaceBox(0)->text(), "1. ILM");
  EXPECT_FALSE(m_View.DataPanel()->SurfaceBox(11)->isEnabled());
}

TEST_F(ViewApplyTest, FlatteningMovesTheScanAndEveryKindByTheSameSurface)
{
  // Unflattened, the displayed scan is the scan as read, without a copy of its voxels.
  EXPECT_EQ(Shown().Voxels(), Read().Voxels());
  const std::vector<unsigned short> asRead(Read().Voxels(), Read().Voxels() + Read().VoxelCount());
  QComboBox* combo = m_View.DataPanel()->Combo(CDlgData::kRefSurfCombo);
  combo->setCurrentIndex(1);
  m_View.SelectRefSurf();
  EXPECT_FALSE(m_View.Shift().IsFlattened()) << "choosing a surface alone does not flatten";
  m_View.RefreshAll();
  ASSERT_TRUE(m_View.Shift().IsFlattened());
  EXPECT_NE(Shown().Voxels(), Read().Voxels());
  EXPECT_TRUE(std::equal(asRead.begin(), asRead.end(), Read().Voxels())) << "flattening wrote into the scan as read";

  const LResultSlots& kinds = m_View.Slots();
  const LRefSurface& reference = kinds.refSurf.objects[0];
  const int row = Read().sizeY / 2;
  for (const auto& [x, z] : {std::pair{10, 3}, std::pair{40, 12}}) {
    const int depth = reference.Point(x, z).y;
    ASSERT_GE(depth, 0);
    EXPECT_EQ(At(Shown(), x, row, z), At(Read(), x, depth, z)) << x << "," << z;
    EXPECT_EQ(kinds.refSurf.displayedObject->Point(x, z).y, row);
    const int surfaceDepth = kinds.surfaces.objects[0].Point(3, x, z).y;
    EXPECT_EQ(kinds.surfaces.displayedObject->Point(3, x, z).y, surfaceDepth + row - depth);
    EXPECT_EQ(m_View.Shift().ToStored(x, kinds.surfaces.displayedObject->Point(3, x, z).y, z), surfaceDepth);
  }
  const Point3i marker = kinds.markers.objects[0].points[0];
  EXPECT_EQ(kinds.markers.displayedObject->points[0].y, marker.y + row - reference.Point(marker.x, marker.z).y);

  // Choosing "None" hides the reference surface; the scan and the shift stay until the
  // next Flattening.
  combo->setCurrentIndex(0);
  m_View.SelectRefSurf();
  EXPECT_TRUE(m_View.Shift().IsFlattened());
  m_View.SelectMarkers();
  EXPECT_EQ(kinds.markers.displayedObject->points[0].y, marker.y + row - reference.Point(marker.x, marker.z).y);
  m_View.RefreshAll();
  EXPECT_FALSE(m_View.Shift().IsFlattened());
  EXPECT_EQ(Shown().Voxels(), Read().Voxels());
  EXPECT_EQ(kinds.markers.displayedObject->points[0].y, marker.y);
}

}  // namespace
