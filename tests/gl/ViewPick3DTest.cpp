// Picks in the 3-D pane of a shown view, through the window's own mouse events, after the
// pane has painted from its buffers and kept picture: a double click deletes the marker or
// the whole spline under it, and selection renders keep no memory.
#include "WindowPoint3D.h"
#include "data/LMarkers.h"
#include "data/LSplines.h"
#include "fixtures/DemoView.h"
#include "fixtures/HeapInUse.h"
#include "fixtures/ScanFolderFiles.h"
#include "model/ViewLayout.h"
#include "panes/L3D.h"

#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// Demo scan: 64 x 96 x 17. Everything picked lies on the B-scan nearest the eye, above the
// retina, so that nothing else is in front of it in the scene seen from the front.
constexpr int kFrontZ = 16;
constexpr int kTopY = 3;
const Point3i kMarkers[] = {{16, kTopY, kFrontZ}, {48, kTopY, kFrontZ}};
const Point3i kSplinePoints[2][2] = {{{24, kTopY, kFrontZ}, {30, kTopY, kFrontZ}},
                                     {{36, kTopY, kFrontZ}, {42, kTopY, kFrontZ}}};

// The demo's markers and splines replaced by the ones above.
bool WriteMarkersAndSplines(const std::string& folder)
{
  LMarkers markers;
  markers.Create(2, 2, fixtures::ResultHeader());
  markers.points = {kMarkers[0], kMarkers[1]};
  markers.labels = {"0", "3"};
  LSplines splines;
  splines.Create(2, 2, fixtures::ResultHeader());
  for (int s = 0; s < 2; ++s) {
    splines.planes[s] = OrientationXY;
    splines.controlPoints[s] = {kSplinePoints[s][0], kSplinePoints[s][1]};
  }
  return markers.WriteXml(folder + "/Demo_Markers_Vamo.xml") == 0 &&
         splines.WriteXml(folder + "/Demo_Splines_Vamo.xml") == 0;
}

// The demo folder with those markers and splines, open in a shown frame whose 3-D pane is
// drawn in the 3-D layout with everything shown, from its buffers and kept picture.
class ViewPick3D : public ::testing::Test {
protected:
  void SetUp() override
  {
    demo.Frame().show();
    ASSERT_TRUE(demo.MakeDemo());
    ASSERT_TRUE(WriteMarkersAndSplines(demo.Folder()));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&demo.Frame()));
    ASSERT_TRUE(demo.OpenFolder(demo.Folder()));
    view.RunLayout(Layout3D);
    QTest::qWait(50);
    pane = view.Get3DPane();
    ASSERT_NE(pane, nullptr);
    ASSERT_TRUE(pane->isVisible());
    ASSERT_TRUE(pane->Flag(SceneFlag::All) && pane->Flag(SceneFlag::Markers) && pane->Flag(SceneFlag::Splines) &&
                pane->Flag(SceneFlag::Surfaces));
    ASSERT_EQ(pane->MarkerCount(), 2);
    ASSERT_EQ(pane->SplineCount(), 2);
    ASSERT_FALSE(pane->RenderToImage().isNull());
    ASSERT_NE(pane->LastKeptPicture(), L3D::KeptPicture::NotKept);
  }
  QPoint At(const Point3i& p) const { return WindowPoint(*pane, float(p.x), float(p.y), float(p.z)); }
  int Markers() const { return view.Slots().markers.displayedObject->count; }
  int Splines() const { return view.Slots().splines.displayedObject->count; }

  fixtures::DemoView demo;
  CStrataviewView& view = demo.View();
  L3D* pane = nullptr;  // made by the first scan shown
};

TEST_F(ViewPick3D, ADoubleClickDeletesTheMarkerOrTheSplineUnderIt)
{
  view.SelectMouseMode(MouseMarkers);
  QTest::mouseDClick(pane, Qt::LeftButton, Qt::NoModifier, At(kMarkers[1]));
  ASSERT_EQ(Markers(), 1);
  EXPECT_EQ(view.Slots().markers.displayedObject->points[0], kMarkers[0]);
  EXPECT_FALSE(pane->RenderToImage().isNull());

  view.SelectMouseMode(MouseSplines);
  QTest::mouseDClick(pane, Qt::LeftButton, Qt::NoModifier, At(kSplinePoints[0][1]));
  ASSERT_EQ(Splines(), 1);
  EXPECT_EQ(view.Slots().splines.displayedObject->controlPoints[0],
            (std::vector<Point3i>{kSplinePoints[1][0], kSplinePoints[1][1]}));
  EXPECT_EQ(Markers(), 1);
  EXPECT_TRUE(demo.Messages().empty()) << demo.Messages().front();
}

// Between the 200th and the 1000th pick the heap may move by allocator noise only; a
// selection render that kept a few kilobytes would add megabytes.
TEST_F(ViewPick3D, SelectionRendersKeepNoMemory)
{
  // One surface is drawn as every other, and a thousand renders take a tenth of the time.
  for (int s = 1; s < pane->SurfaceCount(); ++s)
    view.SetShowSurface(s, false);
  const QPoint marker = At(kMarkers[0]);
  const std::optional<uint64_t> first = pane->SelectAt(marker);
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(*first, pane->Names().Marker(0));
  size_t after200 = 0;
  for (int pick = 1; pick < 1000; ++pick) {
    if (pick == 200)
      after200 = fixtures::HeapInUse();
    ASSERT_EQ(pane->SelectAt(marker), first);
  }
  const long grown = static_cast<long>(fixtures::HeapInUse()) - static_cast<long>(after200);
  EXPECT_LT(grown, 1L << 20) << grown << " bytes more after 800 picks";
}

}  // namespace
