#include "app/LayoutProfile.h"
#include "app/PaneLayout.h"
#include "fixtures/TempDir.h"
#include "model/ViewLayout.h"
#include "platform/Profile.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr int kMenu = 30;
constexpr int kData = 150;

PaneLayoutInput Input(int layout, int areaWidth, int areaHeight, int side = 0,
                      PhysicalExtent extent = {})
{
  PaneLayoutInput in;
  in.clientWidth = areaWidth + kData;
  in.clientHeight = areaHeight + kMenu;
  in.menuPanelHeight = kMenu;
  in.dataPanelWidth = kData;
  in.dataPanelSide = side;
  in.layout = layout;
  in.extent = extent;
  return in;
}

LayoutRect R(int x, int y, int w, int h)
{
  return {x, y, w, h};
}

TEST(PaneLayout, HorizontalWorkedExample)
{
  const PaneLayoutResult r = ComputePaneLayout(Input(LayoutHorizontal, 1009, 603));
  const int L = kData, T = kMenu;
  EXPECT_EQ(r.paneArea, R(L, T, 1009, 603));
  EXPECT_EQ(r.panes[PaneXY], R(L, T, 487, 300));
  EXPECT_EQ(r.scrollBars[PaneXY], R(L + 487, T, 16, 204));
  EXPECT_EQ(r.buttons[PaneXY].front(), R(L + 487, T + 204, 16, 16));
  EXPECT_EQ(r.buttons[PaneXY].back().y + 16, T + 300);
  EXPECT_EQ(r.panes[PaneZY], R(L, T + 303, 487, 300));
  EXPECT_EQ(r.buttons[PaneZY].front().y, T + 603 - 96);
  EXPECT_EQ(r.panes[PaneXZ], R(L + 506, T, 234, 234));
  EXPECT_EQ(r.scrollBars[PaneXZ], R(L + 740, T, 16, 138));
  EXPECT_EQ(r.panes[PaneProj], R(L + 759, T, 234, 234));
  EXPECT_EQ(r.buttons[PaneProj].front(), R(L + 1009 - 16, T, 16, 16));
  EXPECT_EQ(r.panes[Pane3D], R(L + 506, T + 237, 487, 366));
  EXPECT_EQ(r.buttons[Pane3D].front(), R(L + 993, T + 237, 16, 16));
}

TEST(PaneLayout, DataPanelSideMovesThePaneArea)
{
  const PaneLayoutResult left = ComputePaneLayout(Input(LayoutHorizontal, 800, 600, 0));
  EXPECT_EQ(left.menuPanel, R(0, 0, 950, kMenu));
  EXPECT_EQ(left.dataPanel, R(0, kMenu, kData, 600));
  EXPECT_EQ(left.paneArea, R(kData, kMenu, 800, 600));
  const PaneLayoutResult right = ComputePaneLayout(Input(LayoutHorizontal, 800, 600, 1));
  EXPECT_EQ(right.dataPanel, R(800, kMenu, kData, 600));
  EXPECT_EQ(right.paneArea, R(0, kMenu, 800, 600));
  EXPECT_EQ(right.panes[PaneXY].x, 0);
}

TEST(PaneLayout, PhysicalExtentLayouts)
{
  // Equal x and z extents: ZY as wide as XY, XZ and projection square.
  const PaneLayoutResult h2 = ComputePaneLayout(Input(LayoutHorizontal2, 1000, 700, 0, {6, 2, 6}));
  EXPECT_EQ(h2.panes[PaneZY].width, h2.panes[PaneXY].width);
  EXPECT_EQ(h2.panes[PaneXZ].width, h2.panes[PaneXZ].height);
  EXPECT_EQ(h2.panes[PaneProj].width, h2.panes[PaneProj].height);
  EXPECT_EQ(h2.panes[PaneXY].width, 315);  // trunc(946 / 3)

  // A tie of the aspect test fills the width: 6:3 == 200:100.
  const PaneLayoutResult tie = ComputePaneLayout(Input(LayoutOCTXZ2, 216, 100, 0, {6, 1, 3}));
  EXPECT_EQ(tie.panes[PaneXZ], R(kData, kMenu, 200, 100));
  const PaneLayoutResult tall = ComputePaneLayout(Input(LayoutOCTXZ2, 216, 300, 0, {6, 1, 3}));
  EXPECT_EQ(tall.panes[PaneXZ], R(kData, kMenu, 200, 100));
  EXPECT_EQ(tall.scrollBars[PaneXZ], R(kData + 200, kMenu, 16, 4));
  const PaneLayoutResult wide = ComputePaneLayout(Input(LayoutProj2, 516, 300, 0, {6, 1, 6}));
  EXPECT_EQ(wide.panes[PaneProj], R(kData, kMenu, 300, 300));
  EXPECT_EQ(wide.buttons[PaneProj].front(), R(kData + 300, kMenu, 16, 16));
  EXPECT_TRUE(wide.panes[PaneXZ].IsEmpty());
}

TEST(PaneLayout, SinglePaneLayoutsHideTheOthers)
{
  const struct { int layout; PaneIndex shown; } cases[] = {
    {LayoutOCTXY, PaneXY}, {LayoutOCTZY, PaneZY}, {LayoutOCTXZ, PaneXZ},
    {LayoutProj, PaneProj}, {Layout3D, Pane3D}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.layout);
    const PaneLayoutResult r = ComputePaneLayout(Input(c.layout, 800, 600));
    for (int p = 0; p < kPaneCount; ++p) {
      if (p == c.shown) {
        EXPECT_EQ(r.panes[p], R(kData, kMenu, 784, 600));
        EXPECT_EQ(r.buttons[p].front().x, kData + 784);
        EXPECT_EQ(r.buttons[p].front().y, p < kSlicePaneCount ? kMenu + 504 : kMenu);
      } else {
        EXPECT_EQ(r.panes[p], LayoutRect{});
        EXPECT_EQ(r.buttons[p].front(), LayoutRect{});
        if (p < kSlicePaneCount) {
          EXPECT_EQ(r.scrollBars[p], LayoutRect{});
        }
      }
    }
  }
}

// Across the area: in wide, short windows the square XZ and projection panes may reach
// below the area (the view clips them), but never past its sides.
bool InsideHorizontally(const LayoutRect& r, const LayoutRect& area)
{
  return r.x >= area.x && r.y >= area.y && r.x + r.width <= area.x + area.width;
}

bool Overlap(const LayoutRect& a, const LayoutRect& b)
{
  return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// Over many window sizes and every layout: nothing negative, shown panes inside the pane
// area and apart from each other, button columns contiguous under their bars.
TEST(PaneLayout, SweepKeepsEveryRectangleSane)
{
  for (int layout = 1; layout <= kViewLayoutCount; ++layout)
    for (int w = 0; w <= 1900; w += 97)
      for (int h = 0; h <= 1200; h += 83) {
        const PaneLayoutResult r = ComputePaneLayout(Input(layout, w, h, (w + h) % 2, {6.0f, 2.0f, 4.5f}));
        SCOPED_TRACE(testing::Message() << "layout " << layout << " " << w << "x" << h);
        for (int p = 0; p < kPaneCount; ++p) {
          ASSERT_GE(r.panes[p].width, 0);
          ASSERT_GE(r.panes[p].height, 0);
          if (!r.panes[p].IsEmpty() && w >= 400 && h >= 300) {
            EXPECT_TRUE(InsideHorizontally(r.panes[p], r.paneArea)) << "pane " << p;
          }
          for (int q = p + 1; q < kPaneCount; ++q) {
            EXPECT_FALSE(Overlap(r.panes[p], r.panes[q])) << p << " and " << q;
          }
          for (size_t i = 1; i < r.buttons[p].size(); ++i) {
            if (!r.buttons[p][i].IsEmpty()) {
              EXPECT_EQ(r.buttons[p][i].y, r.buttons[p][i - 1].y + 16);
            }
          }
        }
        for (int s = 0; s < kSlicePaneCount; ++s) {
          ASSERT_GE(r.scrollBars[s].height, 0);
          if (r.scrollBars[s].height > 0 && s != PaneZY) {
            EXPECT_EQ(r.buttons[s].front().y, r.scrollBars[s].y + r.scrollBars[s].height);
          }
        }
      }
}

TEST(PaneLayout, UnusableExtentOrSizePlacesNothing)
{
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const PhysicalExtent bad[] = {{0, 1, 1}, {1, 1, 0}, {-2, 1, 1}, {nan, 1, 1}};
  for (const int layout : {LayoutHorizontal2, LayoutVertical2, LayoutOCTXZ2, LayoutProj2})
    for (const PhysicalExtent& e : bad) {
      const PaneLayoutResult r = ComputePaneLayout(Input(layout, 800, 600, 0, e));
      for (int p = 0; p < kPaneCount; ++p) {
        EXPECT_EQ(r.panes[p], LayoutRect{}) << layout;
      }
    }
  PaneLayoutInput tiny = Input(LayoutHorizontal, 0, 0);
  tiny.clientWidth = 40;   // narrower than the data panel
  tiny.clientHeight = 10;  // lower than the menu panel
  const PaneLayoutResult r = ComputePaneLayout(tiny);
  EXPECT_EQ(r.menuPanel, R(0, 0, 40, 10));
  EXPECT_EQ(r.dataPanel.height, 0);
  EXPECT_TRUE(r.paneArea.IsEmpty());
  EXPECT_EQ(r.panes[PaneXY], LayoutRect{});
  EXPECT_EQ(ComputePaneLayout(Input(0, 800, 600)).panes[PaneXY], LayoutRect{});
  EXPECT_EQ(ComputePaneLayout(Input(12, 800, 600)).panes[PaneXY], LayoutRect{});
}

TEST(ViewLayoutNames, ProfileAndComboNames)
{
  EXPECT_EQ(ViewLayoutProfileName(LayoutProj), "Proj.");
  EXPECT_EQ(ViewLayoutComboText(LayoutOCTXZ2), "OCT XZ2");
  EXPECT_EQ(ViewLayoutFromProfileName("3D"), Layout3D);
  EXPECT_EQ(ViewLayoutFromProfileName("horizontal"), 0);
  EXPECT_EQ(ViewLayoutProfileName(0), "");
}

TEST(LayoutProfileTest, WritesTheNameAndTheExtentOfExtentLayouts)
{
  const TempDir dir;
  platform::Profile::SetFolderForTests(QString::fromStdString(dir.Path().string()));
  using platform::Profile;
  WriteLayoutToProfile(LayoutVertical, {2, 3, 4});
  EXPECT_EQ(Profile::GetProfileString("Layout", ""), "Vertical");
  EXPECT_EQ(Profile::GetProfileString("LayoutPhysicalSizeX", "none"), "none");
  WriteLayoutToProfile(LayoutHorizontal2, {6.144f, 2.0f, 0.5f});
  EXPECT_EQ(Profile::GetProfileString("Layout", ""), "Horizontal2");
  EXPECT_EQ(Profile::GetProfileString("LayoutPhysicalSizeX", ""), "6.144000");
  EXPECT_EQ(Profile::GetProfileString("LayoutPhysicalSizeZ", ""), "0.500000");
}

TEST(LayoutProfileTest, ScanExtentIsSizeTimesVoxelSize)
{
  const int size[3] = {512, 1024, 128};
  const float spacing[3] = {0.012f, 0.002f, 0.047f};
  const PhysicalExtent stored{1, 1, 1};
  const PhysicalExtent scan = ScanPhysicalExtent(true, size, spacing, stored);
  EXPECT_EQ(scan.x, 512.0f * 0.012f);
  EXPECT_EQ(scan.z, 128.0f * 0.047f);
  EXPECT_EQ(ScanPhysicalExtent(false, size, spacing, stored).x, 1.0f);
}

}  // namespace
