#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/LButton.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "data/LabelLayer.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "panes/PaneConventions.h"

#include <QAbstractButton>
#include <QComboBox>
#include <algorithm>
#include <optional>
#include <vector>
#include <gtest/gtest.h>

namespace {

// The small demo folder opened in a view that is never shown.
class ViewApplyTest : public fixtures::DemoViewTest {
protected:
  const LOCTVolume& Read() const { return m_View.GetReadVolume(); }
  const LOCTVolume& Shown() const { return m_View.GetDisplayedVolume(); }
  static unsigned short At(const LOCTVolume& v, int x, int y, int z)
  {
    return v.Voxels()[size_t(x) + size_t(v.sizeX) * (size_t(y) + size_t(v.sizeY) * size_t(z))];
  }
};

TEST(ViewApplyBeforeAScan, SelectingAFileBeforeTheScanIsShownDoesNothing)
{
  const fixtures::DemoView demo{fixtures::DemoViewOptions().KeepMessageHook()};
  ASSERT_TRUE(demo.MakeDemo());
  CStrataviewView& view = demo.View();
  ASSERT_TRUE(view.ScanFolder(demo.Folder()));
  // A grid centre chosen while the thickness map would show sectors has no map to redraw yet.
  view.Workspace().Settings().ShowThickness = true;
  view.Workspace().Settings().GridMode = 2;
  view.DataPanel()->Combo(CDlgData::kRefSurfCombo)->setCurrentIndex(1);
  view.SelectRefSurf();
  view.SelectSurfaces();
  view.SelectGridCenter();
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

TEST_F(ViewApplyTest, BrushStrokesWriteTheShownLabelsAloneAndKeepTheirFigureAndTheSavedFile)
{
  const LLabelSlot& vessel = m_View.Slots().vessel;
  const LOCTVolume& read = vessel.objects[size_t(vessel.selected)];
  const LOCTVolume& shown = *vessel.displayedObject;
  // Unflattened, the labels as read are shown without a copy of their voxels.
  ASSERT_EQ(shown.Voxels(), read.Voxels());
  const std::vector<unsigned short> asRead(read.Voxels(), read.Voxels() + read.VoxelCount());
  const auto recount = [&] { return CountLabelled(shown.Voxels(), shown.VoxelCount(), vessel.displayedLayer->Maximum()); };
  EXPECT_EQ(vessel.displayedLayer->LabelledCount(), recount());

  if (!m_View.Settings().ShowVessel)
    m_View.ToggleShowVessel();
  m_View.SetMouseMode(MouseVessel);
  LOCTImage& bscan = *m_View.SlicePane(OrientationXY);
  bscan.Resize(400, 300);  // the window's pixels, as its layout gives them
  const std::optional<SliceMapping> mapping = bscan.Mapping();
  ASSERT_TRUE(mapping);
  const auto cell = [&](int column, int row) { return QPoint(mapping->CentreX(float(column)), mapping->CentreY(float(row))); };
  // A painted stroke, then an erasing one across labels as read.
  const int y = read.sizeY / 2;
  const auto stroke = [&](Qt::MouseButton button, int from, int to) {
    bscan.MousePress(cell(from, y), button, button);
    for (int x = from + 1; x <= to; ++x)
      bscan.MouseMove(cell(x, y), button);
    bscan.MouseRelease(cell(to, y), button, Qt::NoButton);
  };
  stroke(Qt::LeftButton, 5, 20);
  stroke(Qt::RightButton, 30, 50);

  EXPECT_NE(shown.Voxels(), read.Voxels()) << "the first stroke copies the labels shown";
  EXPECT_TRUE(std::equal(asRead.begin(), asRead.end(), read.Voxels())) << "a stroke wrote into the labels as read";
  const std::vector<unsigned short> painted(shown.Voxels(), shown.Voxels() + shown.VoxelCount());
  EXPECT_NE(painted, asRead);
  EXPECT_EQ(vessel.displayedLayer->LabelledCount(), recount()) << "the figure drifted from a full count";

  const std::string path = m_Scan.File("e_Vessel_Painted.mhd");
  ASSERT_TRUE(m_View.SaveVessel(path, false));
  LOCTVolume saved;
  ASSERT_EQ(saved.ReadScanFile(path), kScanOk);
  ASSERT_EQ(saved.VoxelCount(), painted.size());
  EXPECT_TRUE(std::equal(painted.begin(), painted.end(), saved.Voxels()));
}

}  // namespace

// Showing a scan hands the panes their data and settings in many steps, most of which ask for
// the 2-D pictures again; each slice picture and the projection are drawn once, at the end,
// and what they show is what a fresh draw of the finished panes shows.
TEST(ViewApplyDrawing, ShowingAScanDrawsEach2DPaneOnceAndShowsItsFinishedState)
{
  const fixtures::StoredSettings everyTintOn = {
    {"ShowGuideLines", "1"}, {"ShowOverlay", "1"}, {"ShowUndefinedRegion", "1"}, {"ShowDisc", "1"},
    {"ShowVessel", "1"},     {"ShowSEAD", "1"},    {"ShowThickness", "1"},       {"GridMode", "2"},
    {"Mouse", "Surfaces"}};
  for (const fixtures::StoredSettings& stored : {fixtures::StoredSettings{}, everyTintOn}) {
    SCOPED_TRACE(stored.size());
    const fixtures::DemoView demo{fixtures::DemoViewOptions().SizeView().Stored(stored)};
    ASSERT_TRUE(demo.OpenDemo());
    CStrataviewView& view = demo.View();
    std::vector<WindowedPane*> panes = {view.ProjPane()};
    for (int orientation : {OrientationXY, OrientationZY, OrientationXZ})
      panes.push_back(view.SlicePane(orientation));
    const auto expectDrawnOnceSince = [&](const std::vector<long>& before) {
      for (size_t i = 0; i < panes.size(); ++i)
        EXPECT_EQ(panes[i]->RedrawCount(), before[i] + 1) << "pane " << i;
      // Drawn afresh from the panes' finished state, the pictures stay as they were.
      const QImage projection = view.ProjPane()->Bitmap().copy();
      view.ProjPane()->Compose();
      EXPECT_EQ(view.ProjPane()->Bitmap(), projection);
      for (int orientation : {OrientationXY, OrientationZY, OrientationXZ}) {
        LOCTImage& slice = *view.SlicePane(orientation);
        const QImage picture = slice.Bitmap().copy();
        slice.Render();
        EXPECT_EQ(slice.Bitmap(), picture) << "orientation " << orientation;
      }
    };
    expectDrawnOnceSince(std::vector<long>(panes.size(), 0));

    // Flattening on the first reference surface shows the scan again the same way.
    view.DataPanel()->Combo(CDlgData::kRefSurfCombo)->setCurrentIndex(1);
    view.SelectRefSurf();
    std::vector<long> before;
    for (const WindowedPane* pane : panes)
      before.push_back(pane->RedrawCount());
    view.DataPanel()->Button(CDlgData::kFlattening)->click();
    ASSERT_EQ(view.GetFlatteningIndex(), 1);
    expectDrawnOnceSince(before);
    EXPECT_TRUE(demo.Messages().empty());
  }
}
