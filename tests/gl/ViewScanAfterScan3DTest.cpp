// The 3-D pane of a shown view as scans of other sizes are opened one after another: each
// scan is drawn and picked as in a view that never showed another, nothing of the previous
// one is kept, and a scan of micrometre voxels letters its sides no taller than the pane.
#include "PictureChecks.h"
#include "app/CDlgData.h"
#include "data/LOCTVolume.h"
#include "fixtures/DemoView.h"
#include "fixtures/HeapInUse.h"
#include "model/ViewLayout.h"
#include "panes/L3D.h"

#include <QComboBox>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

// A frame showing the folder in the 3-D layout, seen at a tilt, not painted yet; false when
// it did not open.
bool ShowIn3D(const fixtures::DemoView& demo, const std::string& folder)
{
  if (!demo.OpenFolder(folder))
    return false;
  CStrataviewView& view = demo.View();
  view.RunLayout(Layout3D);
  view.Get3DPane()->Rotation().accumulated = Tilted(40.0f, 25.0f);
  return true;
}

struct Seen {
  QImage picture;
  std::vector<std::optional<uint64_t>> names;  // picked at a grid of points over the pane
};

Seen SeenIn(L3D& pane)
{
  Seen seen{pane.RenderToImage(), {}};
  for (int i = 1; i < 5; ++i)
    for (int j = 1; j < 5; ++j)
      seen.names.push_back(pane.SelectAt(QPoint(pane.GetWindowWidth() * i / 5, pane.GetWindowHeight() * j / 5)));
  return seen;
}

TEST(ViewScanAfterScan3D, EachScanIsDrawnAndPickedAsInAViewOfItsOwn)
{
  const fixtures::DemoView demo;
  demo.Frame().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&demo.Frame()));
  ASSERT_TRUE(demo.MakeDemo());
  const TempDir other;
  ASSERT_TRUE(fixtures::MakeDemoOfSize(other.Path().string(), 40, 60, 9));
  const std::string folders[] = {demo.Folder(), other.Path().string(), demo.Folder()};

  std::vector<Seen> seen;
  for (const std::string& folder : folders) {
    SCOPED_TRACE(folder);
    ASSERT_TRUE(ShowIn3D(demo, folder));
    L3D& pane = *demo.View().Get3DPane();
    if (!seen.empty()) {
      EXPECT_FALSE(pane.HoldsGlResources()) << "kept from the scan before";
    }
    seen.push_back(SeenIn(pane));
    EXPECT_EQ(pane.LastKeptPicture(), L3D::KeptPicture::FromScratch);
    EXPECT_TRUE(pane.HoldsGlResources());
  }
  ASSERT_FALSE(seen[0].picture.isNull());
  EXPECT_GT(DifferingPixels(seen[0].picture, seen[1].picture), 0);
  EXPECT_EQ(DifferingPixels(seen[0].picture, seen[2].picture), 0);
  EXPECT_EQ(seen[0].names, seen[2].names);

  const fixtures::DemoView alone;
  alone.Frame().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&alone.Frame()));
  ASSERT_TRUE(ShowIn3D(alone, other.Path().string()));
  const Seen own = SeenIn(*alone.View().Get3DPane());
  EXPECT_EQ(DifferingPixels(own.picture, seen[1].picture), 0);
  EXPECT_EQ(own.names, seen[1].names);
  EXPECT_TRUE(demo.Messages().empty()) << demo.Messages().front();
}

// 10 x 15 x 2 voxels of 1 um put the camera a tenth of a millimetre from the scan, where the
// letters' height of 600 pixels per millimetre of distance comes to 6400 pixels.
TEST(ViewScanAfterScan3D, AScanOfMicrometreVoxelsIsLetteredWithinThePane)
{
  const fixtures::DemoView demo;
  demo.Frame().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&demo.Frame()));
  LOCTVolume tiny;
  const int size[3] = {10, 15, 2};
  const float spacing[3] = {0.001f, 0.001f, 0.001f};
  EXPECT_EQ(tiny.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityNA, CenterNA), 0);
  for (uint64_t i = 0; i < tiny.VoxelCount(); ++i)
    tiny.Voxels()[i] = static_cast<unsigned short>(i * 7 % 256);
  const std::string path = demo.Scan().File("Tiny_OCT.mhd");
  ASSERT_EQ(tiny.WriteMetaImage(path), 0);

  const size_t before = fixtures::HeapInUse();
  ASSERT_TRUE(demo.OpenFile(path));
  CStrataviewView& view = demo.View();
  view.RunLayout(Layout3D);
  QComboBox* laterality = view.DataPanel()->Combo(CDlgData::kLaterality);
  laterality->setCurrentText("OD");
  view.SelectLaterality();
  L3D& pane = *view.Get3DPane();
  ASSERT_TRUE(pane.Flag(SceneFlag::Letters));
  ASSERT_LT(pane.Camera().distance, 0.1);
  EXPECT_EQ(pane.LetterFontHeight(pane.GetWindowHeight()), pane.GetWindowHeight());
  const QImage picture = pane.RenderToImage();
  ASSERT_FALSE(picture.isNull());
  // Glyphs 6400 pixels high held hundreds of megabytes; within the pane, a few.
  const long grown = static_cast<long>(fixtures::HeapInUse()) - static_cast<long>(before);
  EXPECT_LT(grown, 64L << 20) << grown << " bytes held after the scan was shown";
  EXPECT_TRUE(demo.Messages().empty()) << demo.Messages().front();
}

}  // namespace
