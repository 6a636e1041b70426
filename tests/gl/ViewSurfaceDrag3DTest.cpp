// A surface dragged in the B-scan pane of a shown view, the drag undone with the right
// button, then the scan flattened: after every step the 3-D pane shows the surfaces as they
// are now, the very picture it draws from scratch when handed them anew, and what its
// cell-by-cell render draws straight from them.
#include "PictureChecks.h"
#include "app/CDlgData.h"
#include "data/LSurfaces.h"
#include "fixtures/DemoView.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/SliceToolsTestView.h"

#include <QComboBox>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

TEST(ViewSurfaceDrag3D, TheThreeDPaneFollowsADragItsUndoAndFlattening)
{
  const fixtures::DemoView demo;
  ASSERT_TRUE(demo.MakeDemo());
  demo.Frame().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&demo.Frame()));
  ASSERT_TRUE(demo.OpenFolder(demo.Folder()));
  QTest::qWait(50);
  CStrataviewView& view = demo.View();
  L3D& pane = *view.Get3DPane();
  const LSurfaces& shown = *view.Slots().surfaces.displayedObject;
  ASSERT_GE(shown.surfaceCount, 1);
  // Every surface, seen from above, so that the B-scan in the middle shows.
  const auto showSurfaces = [&] {
    pane.Show3DAll(true);
    pane.ShowSurfaces(true);
    for (int s = 0; s < shown.surfaceCount; ++s)
      pane.ShowSurface(s, true);
    pane.Rotation().accumulated = Tilted(60.0f, 0.0f);
  };
  showSurfaces();
  const auto fromScratch = [&] {
    pane.SetSurfaces(shown.surfaceCount, shown.points.data(), shown.undefinedMask.data());
    return pane.RenderToImage();
  };
  const QImage before = fromScratch();
  ASSERT_FALSE(before.isNull());

  LOCTImage& bscan = *view.SlicePane(OrientationXY);
  Mouse mouse{bscan};
  const int x = 20;
  const int row = shown.Point(0, x, view.Position()[2]).y;
  ASSERT_GE(row, 0);
  view.SetMouseMode(MouseSurfaces);
  mouse.Hover(CellCentre(bscan, x, row));
  mouse.Press(CellCentre(bscan, x, row));
  for (int by : {6, 10}) {
    SCOPED_TRACE(by);
    const std::vector<Point3i> points = shown.points;
    mouse.MoveHeld(CellCentre(bscan, x, row + by));
    ASSERT_NE(shown.points, points) << "the step moved the surface";
    const QImage kept = pane.RenderToImage();
    EXPECT_EQ(pane.LastKeptPicture(), L3D::KeptPicture::OverLeftOutRows);
    EXPECT_GT(DifferingPixels(before, kept), 0);
    EXPECT_EQ(DifferingPixels(fromScratch(), kept), 0);
  }
  mouse.Release(CellCentre(bscan, x, row + 10));
  mouse.Click(CellCentre(bscan, x, row), Qt::RightButton);
  const QImage undone = pane.RenderToImage();
  EXPECT_EQ(pane.LastKeptPicture(), L3D::KeptPicture::OverLeftOutRows);
  EXPECT_EQ(DifferingPixels(before, undone), 0);
  EXPECT_EQ(DifferingPixels(fromScratch(), undone), 0);

  view.DataPanel()->Combo(CDlgData::kRefSurfCombo)->setCurrentIndex(1);
  view.SelectRefSurf();
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
  EXPECT_TRUE(demo.Messages().empty()) << demo.Messages().front();
}

}  // namespace
