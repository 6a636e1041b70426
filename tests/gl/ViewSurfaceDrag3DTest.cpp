// A surface dragged in the B-scan pane of a shown view, the drag undone with the right
// button, then the scan flattened: after every step the 3-D pane shows the surfaces as they
// are now, the very picture it draws from scratch when handed them anew, and what its
// cell-by-cell render draws straight from them.
#include "PictureChecks.h"
#include "app/CDlgData.h"
#include "data/LSurfaces.h"
#include "fixtures/DemoView.h"
#include "model/UnsavedEdits.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/SliceToolsTestView.h"

#include <QComboBox>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

// The demo folder open in a shown frame.
bool ShowDemo(const fixtures::DemoView& demo)
{
  demo.Frame().show();
  if (!demo.MakeDemo() || !QTest::qWaitForWindowExposed(&demo.Frame()) || !demo.OpenFolder(demo.Folder()))
    return false;
  QTest::qWait(50);
  return true;
}

// The view's 3-D pane over the surfaces the view shows.
struct SurfacesIn3D {
  L3D& pane;
  const LSurfaces& shown;

  // Every surface, seen from above at a tilt.
  void Show(float tiltAroundZ) const
  {
    pane.Show3DAll(true);
    pane.ShowSurfaces(true);
    for (int s = 0; s < shown.surfaceCount; ++s)
      pane.ShowSurface(s, true);
    pane.Rotation().accumulated = Tilted(60.0f, tiltAroundZ);
  }
  // The picture drawn when the pane is handed the surfaces anew.
  QImage FromScratch() const
  {
    pane.SetSurfaces(shown.surfaceCount, shown.points.data(), shown.undefinedMask.data());
    return pane.RenderToImage();
  }
  // Drags the first surface in a slice pane from (column, row) down in two steps and
  // releases it: after each step the pane draws only the moved rows over its kept picture,
  // and shows what it draws from scratch, which differs from `before`.
  void ExpectDragFollowed(LOCTImage& slice, int column, int row, const QImage& before) const
  {
    Mouse mouse{slice};
    mouse.Hover(CellCentre(slice, column, row));
    mouse.Press(CellCentre(slice, column, row));
    for (int by : {6, 10}) {
      SCOPED_TRACE(by);
      const std::vector<Point3i> points = shown.points;
      mouse.MoveHeld(CellCentre(slice, column, row + by));
      ASSERT_NE(shown.points, points) << "the step moved the surface";
      const QImage kept = pane.RenderToImage();
      EXPECT_EQ(pane.LastKeptPicture(), L3D::KeptPicture::OverLeftOutRows);
      EXPECT_GT(DifferingPixels(before, kept), 0);
      EXPECT_EQ(DifferingPixels(FromScratch(), kept), 0);
    }
    mouse.Release(CellCentre(slice, column, row + 10));
  }
};

TEST(ViewSurfaceDrag3D, TheThreeDPaneFollowsADragItsUndoAndFlattening)
{
  fixtures::DemoView demo;
  ASSERT_TRUE(ShowDemo(demo));
  CStrataviewView& view = demo.View();
  L3D& pane = *view.Get3DPane();
  const LSurfaces& shown = *view.Slots().surfaces.displayedObject;
  ASSERT_GE(shown.surfaceCount, 1);
  const SurfacesIn3D scene{pane, shown};
  // Seen from straight above the middle B-scan, so that it shows.
  const auto showSurfaces = [&] { scene.Show(0.0f); };
  showSurfaces();
  const auto fromScratch = [&] { return scene.FromScratch(); };
  const QImage before = fromScratch();
  ASSERT_FALSE(before.isNull());

  LOCTImage& bscan = *view.SlicePane(OrientationXY);
  Mouse mouse{bscan};
  const int x = 20;
  const int row = shown.Point(0, x, view.Position()[2]).y;
  ASSERT_GE(row, 0);
  view.SetMouseMode(MouseSurfaces);
  scene.ExpectDragFollowed(bscan, x, row, before);
  mouse.Click(CellCentre(bscan, x, row), Qt::RightButton);
  const QImage undone = pane.RenderToImage();
  EXPECT_EQ(pane.LastKeptPicture(), L3D::KeptPicture::OverLeftOutRows);
  EXPECT_EQ(DifferingPixels(before, undone), 0);
  EXPECT_EQ(DifferingPixels(fromScratch(), undone), 0);

  view.DataPanel()->Combo(CDlgData::kRefSurfCombo)->setCurrentIndex(1);
  view.SelectRefSurf();
  // The edit, though undone, was one: flattening asks first, and the user lets it go.
  demo.AnswerMessages(platform::kIdDiscard);
  view.RefreshAll();
  ASSERT_TRUE(view.Shift().IsFlattened());
  showSurfaces();
  const QImage flattened = pane.RenderToImage();
  EXPECT_GT(DifferingPixels(undone, flattened), 0);
  pane.SetBufferedDrawing(false);
  const Difference d = Compare(pane.RenderToImage(), flattened);
  pane.SetBufferedDrawing(true);
  EXPECT_LE(d.unmatched, flattened.width() * flattened.height() / 5000);
  EXPECT_LT(d.moved, flattened.width() * flattened.height() / 100);
  EXPECT_EQ(demo.Messages(), std::vector<std::string>{UnsavedEditsQuestion({ResultKind::Surfaces})});
}

// A drag across the B-scans in the ZY pane, with the whole neighbourhood bent (3-D mode),
// undone from the B-scan pane, whose snapshot holds every surface.
TEST(ViewSurfaceDrag3D, TheThreeDPaneFollowsADragAcrossBScansAndItsUndoFromAnotherPane)
{
  const fixtures::DemoView demo;
  ASSERT_TRUE(ShowDemo(demo));
  CStrataviewView& view = demo.View();
  const LSurfaces& shown = *view.Slots().surfaces.displayedObject;
  ASSERT_GE(shown.surfaceCount, 1);
  const SurfacesIn3D scene{*view.Get3DPane(), shown};
  scene.Show(30.0f);
  const auto fromScratch = [&] { return scene.FromScratch(); };
  const QImage before = fromScratch();
  ASSERT_FALSE(before.isNull());

  view.SetMouseMode(MouseSurfaces);
  view.SlicePane(OrientationXY)->SetSurfacesModification(1);
  view.SlicePane(OrientationZY)->SetSurfacesModification(1);
  LOCTImage& bscan = *view.SlicePane(OrientationXY);
  Mouse xy{bscan};
  const int x = view.Position()[0];
  const int bscanRow = shown.Point(0, 3, view.Position()[2]).y;
  xy.Hover(CellCentre(bscan, 3, bscanRow));
  xy.Click(CellCentre(bscan, 3, bscanRow));  // a snapshot of every surface, nothing moved

  LOCTImage& across = *view.SlicePane(OrientationZY);
  const int z = 2;
  const int row = shown.Point(0, x, z).y;
  ASSERT_GE(row, 0);
  scene.ExpectDragFollowed(across, z, row, before);
  xy.Click(CellCentre(bscan, 3, bscanRow), Qt::RightButton);
  const QImage undone = scene.pane.RenderToImage();
  EXPECT_EQ(DifferingPixels(before, undone), 0);
  EXPECT_EQ(DifferingPixels(fromScratch(), undone), 0);
  EXPECT_TRUE(demo.Messages().empty()) << demo.Messages().front();
}

}  // namespace
