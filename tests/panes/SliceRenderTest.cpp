#include "SlicePaneTestData.h"

#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

enum Tint : unsigned { kUndefined = 1, kDisc = 2, kVessel = 4, kSEAD = 8, kAllTints = 15 };

struct RenderCase {
  const char* name;
  int orientation;
  int position[3];
  int avgSliceNum;
  float centre;
  float width;
  unsigned tints;
  bool byteVolume = false;
  bool greyMode = false;  // the 256-colour bitmap
};

// Slabs in the middle and at both ends of each axis, window clamps and every tint.
const RenderCase kCases[] = {
    {"xy_single", OrientationXY, {5, 9, 3}, 1, 32768, 65535, 0},
    {"xy_slab3", OrientationXY, {5, 9, 3}, 3, 20000, 15000, 0},
    {"xy_slab5_first", OrientationXY, {5, 9, 0}, 5, 32768, 65535, 0},
    {"xy_slab2_last", OrientationXY, {5, 9, 5}, 2, 32768, 65535, 0},
    {"zy_slab5", OrientationZY, {7, 9, 3}, 5, 30000, 40000, 0},
    {"zy_slab5_last", OrientationZY, {15, 9, 3}, 5, 32768, 65535, 0},
    {"xz_slab3_first", OrientationXZ, {5, 0, 3}, 3, 32768, 65535, 0},
    {"xz_slab5", OrientationXZ, {5, 12, 3}, 5, 25000, 30000, 0},
    {"xz_slab11_last", OrientationXZ, {5, 23, 3}, 11, 32768, 65535, 0},
    {"slab0_counts_as_1", OrientationXY, {5, 9, 3}, 0, 32768, 65535, 0},
    {"slab_negative_counts_as_1", OrientationZY, {7, 9, 3}, -4, 32768, 65535, 0},
    {"slab_beyond_every_slice", OrientationXZ, {5, 12, 3}, 2147483647, 32768, 65535, 0},
    {"position_beyond_volume", OrientationZY, {40, 9, 3}, 3, 32768, 65535, 0},
    {"window_below_range", OrientationXY, {5, 9, 3}, 1, -10, 0, 0},
    {"window_above_range", OrientationXZ, {5, 12, 3}, 3, 70000, 100000, 0},
    {"byte_volume_window_above_max", OrientationXY, {5, 9, 2}, 3, 300, 120, 0, true},
    {"undefined_xy", OrientationXY, {5, 9, 3}, 1, 32768, 65535, kUndefined},
    {"disc_zy", OrientationZY, {7, 9, 3}, 1, 32768, 65535, kDisc},
    {"vessel_xz", OrientationXZ, {5, 12, 3}, 1, 32768, 65535, kVessel},
    {"sead_xy", OrientationXY, {5, 9, 4}, 3, 32768, 65535, kSEAD},
    {"all_tints_xy", OrientationXY, {5, 9, 1}, 3, 20000, 30000, kAllTints},
    {"all_tints_zy", OrientationZY, {11, 9, 3}, 3, 32768, 65535, kAllTints},
    {"all_tints_xz", OrientationXZ, {5, 17, 3}, 5, 32768, 50000, kAllTints},
    {"grey_mode_has_no_slab_or_tints", OrientationXZ, {5, 12, 3}, 5, 32768, 65535, kAllTints, false, true},
};

constexpr platform::COLORREF kUndefinedColor = 0x3366CC;
constexpr platform::COLORREF kCupColor = 0x0000FF;
constexpr platform::COLORREF kRimColor = 0x00FF00;
constexpr platform::COLORREF kVesselColor = 0x7F7FFF;
constexpr platform::COLORREF kSEADColor = 0x20FF7F;
constexpr int kUndefinedOpacity = 40;
constexpr int kCupOpacity = 30;
constexpr int kRimOpacity = 55;
constexpr int kVesselOpacity = 30;
constexpr int kSEADOpacity = 70;

template <typename T>
void WriteRaw(const std::string& path, const std::vector<T>& v)
{
  ASSERT_TRUE(fixtures::WriteBytes(path, v.data(), v.size() * sizeof(T)));
}

std::string CaseLine(const RenderCase& c)
{
  std::ostringstream s;
  s << "name=" << c.name << " volume=" << (c.byteVolume ? "vol8.u16" : "vol16.u16")
    << " bytes=" << (c.byteVolume ? 1 : 2) << " o=" << c.orientation << " pos=" << c.position[0] << ','
    << c.position[1] << ',' << c.position[2] << " avg=" << (c.greyMode ? 1 : c.avgSliceNum)
    << " centre=" << c.centre << " width=" << c.width;
  const unsigned tints = c.greyMode ? 0 : c.tints;
  if (tints & kUndefined)
    s << " undefined=" << kUndefinedColor << " undefined_opacity=" << kUndefinedOpacity;
  if (tints & kDisc)
    s << " cup=" << kCupColor << " cup_opacity=" << kCupOpacity << " rim=" << kRimColor
      << " rim_opacity=" << kRimOpacity;
  if (tints & kVessel)
    s << " vessel=" << kVesselColor << " vessel_opacity=" << kVesselOpacity << " vessel_bytes=2";
  if (tints & kSEAD)
    s << " sead=" << kSEADColor << " sead_opacity=" << kSEADOpacity << " sead_bytes=1";
  return s.str();
}

void RenderCaseInPane(const RenderCase& c, SliceTestData& data, LOCTImage& pane)
{
  int position[3] = {c.position[0], c.position[1], c.position[2]};
  float centre = c.centre;
  float width = c.width;
  SetUpPane(pane, data, c.orientation, position, &centre, &width, nullptr,
            c.greyMode ? DibColors256 : DibColors24Bit);
  if (c.byteVolume)
    pane.SetVolume(data.size, data.volume8.data(), data.spacing, 1);
  pane.SetAvgSliceNum(c.avgSliceNum);
  pane.SetSurfaces(0, nullptr, data.undefinedMask.data());
  pane.SetDiscMask(data.discMask.data());
  pane.SetVesselVolume(data.vesselLabels.Layer());
  pane.SetSEADVolume(data.seadLabels.Layer());
  pane.SetColorUndefinedRegion(kUndefinedColor);
  pane.SetColorCup(kCupColor);
  pane.SetColorRim(kRimColor);
  pane.SetColorVessel(kVesselColor);
  pane.SetColorSEAD(kSEADColor);
  pane.SetOpacityUndefinedRegion(kUndefinedOpacity);
  pane.SetOpacityCup(kCupOpacity);
  pane.SetOpacityRim(kRimOpacity);
  pane.SetOpacityVessel(kVesselOpacity);
  pane.SetOpacitySEAD(kSEADOpacity);
  // Each Show toggle renders again; the last one leaves the case's full picture.
  pane.ShowUndefinedRegion((c.tints & kUndefined) != 0);
  pane.ShowDisc((c.tints & kDisc) != 0);
  pane.ShowVessel((c.tints & kVessel) != 0);
  pane.ShowSEAD((c.tints & kSEAD) != 0);
  pane.Render();
}

void ExpectBitmap(const QImage& bitmap, const std::string& expected)
{
  ASSERT_EQ(expected.size(), static_cast<size_t>(bitmap.width()) * bitmap.height() * 3);
  for (int r = 0; r < bitmap.height(); ++r)
    for (int c = 0; c < bitmap.width(); ++c) {
      const QRgb p = bitmap.pixel(c, r);
      const auto* e = reinterpret_cast<const unsigned char*>(expected.data()) + (r * bitmap.width() + c) * 3;
      if (qRed(p) != e[0] || qGreen(p) != e[1] || qBlue(p) != e[2]) {
        ADD_FAILURE() << "column " << c << " row " << r << ": (" << qRed(p) << ", " << qGreen(p) << ", "
                      << qBlue(p) << ") instead of (" << int(e[0]) << ", " << int(e[1]) << ", " << int(e[2])
                      << ")";
        return;
      }
    }
}

TEST(SliceRender, MatchesTheSinglePrecisionOracle)
{
  SliceTestData data;
  const TempDir dir;
  WriteRaw(dir.File("vol16.u16"), data.volume16);
  WriteRaw(dir.File("vol8.u16"), data.volume8);
  WriteRaw(dir.File("vessel.u16"), data.vessel);
  WriteRaw(dir.File("sead.u16"), data.sead);
  WriteRaw(dir.File("undefined.u8"), data.undefinedMask);
  WriteRaw(dir.File("disc.u8"), data.discMask);
  std::string cases = std::to_string(data.kX) + " " + std::to_string(data.kY) + " " + std::to_string(data.kZ) + "\n";
  for (const RenderCase& c : kCases)
    cases += CaseLine(c) + "\n";
  ASSERT_TRUE(fixtures::WriteText(dir.File("cases.txt"), cases));
  const std::string script = std::string(STRATAVIEW_SOURCE_DIR) + "/tests/panes/slice_render_oracle.py";
  ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 " + script + " " + dir.Path().string()), 0);

  for (const RenderCase& c : kCases) {
    SCOPED_TRACE(c.name);
    FakeView view;
    LOCTImage pane(view);
    RenderCaseInPane(c, data, pane);
    ExpectBitmap(pane.Bitmap(), fixtures::ReadAll(dir.File(std::string(c.name) + ".rgb")));
  }
}

TEST(SliceRender, WorkedExamples)
{
  // Window centre 100, width 50: the window's lower edge is black, its middle 128 and its
  // upper edge white. A vessel label of 1 in a 16-bit label volume only darkens to 70 %.
  const int size[3] = {4, 1, 1};
  const float spacing[3] = {1, 1, 1};
  const std::vector<uint16_t> voxels = {75, 100, 125, 95};
  TestLabels vessel({0, 0, 0, 1}, size, 2);
  int position[3] = {0, 0, 0};
  float centre = 100;
  float width = 50;
  FakeView view;
  LOCTImage pane(view);
  pane.CreatePane(4, 1, DibColors24Bit, nullptr);
  pane.SetVolume(size, voxels.data(), spacing, 2);
  pane.SetOrientation(OrientationXY);
  pane.SetPosition(position);
  pane.SetWindowLevel(&centre, &width);
  pane.SetVesselVolume(vessel.Layer());
  pane.ShowVessel(true);
  const int expected[4] = {0, 128, 255, 71};  // 95 is grey 102, then 70 %
  for (int c = 0; c < 4; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(pane.Bitmap().pixel(c, 0), qRgb(expected[c], expected[c], expected[c]));
  }
}

TEST(SliceRender, WindowIsKeptInRangeInTheViewsFloats)
{
  const struct {
    float centre, width;
    int bytes;
    float centreAfter, widthAfter;
  } kWindows[] = {
      {-10, 0, 2, 0, 1},
      {70000, 100000, 2, 65535, 65535},
      {300, 0.5f, 1, 255, 1},
      {std::nanf(""), std::nanf(""), 2, 0, 1},
      {1234.5f, 99.25f, 2, 1234.5f, 99.25f},
  };
  SliceTestData data;
  for (const auto& w : kWindows) {
    SCOPED_TRACE(w.centre);
    int position[3] = {1, 2, 3};
    float centre = w.centre;
    float width = w.width;
    FakeView view;
    LOCTImage pane(view);
    SetUpPane(pane, data, OrientationXY, position, &centre, &width);
    pane.SetVolume(data.size, data.volume16.data(), data.spacing, w.bytes);
    pane.Render();
    EXPECT_EQ(centre, w.centreAfter);
    EXPECT_EQ(width, w.widthAfter);
  }
}

}  // namespace

// The 3-D pane maps a plane's slab means through the grey table itself: both must give the
// pixels of the render, for every orientation, slab and window of the untinted cases.
TEST(SliceRender, SlabMeansThroughTheGreyTableGiveTheRender)
{
  SliceTestData data;
  for (const RenderCase& c : kCases) {
    if (c.tints || c.byteVolume || c.greyMode)
      continue;
    SCOPED_TRACE(c.name);
    SliceRenderInput in;
    in.voxels = data.volume16.data();
    std::copy(data.size, data.size + 3, in.size);
    in.orientation = c.orientation;
    std::copy(c.position, c.position + 3, in.position);
    in.avgSliceNum = c.avgSliceNum;
    in.windowCentre = c.centre;
    in.windowWidth = c.width;
    ClampWindow(in.windowCentre, in.windowWidth, 65535);
    int columns = 0;
    int rows = 0;
    ASSERT_TRUE(SliceImageSize(c.orientation, data.size, columns, rows));
    QImage rendered(columns, rows, QImage::Format_RGB32);
    RenderSlice(in, rendered);
    std::vector<unsigned short> means;
    ASSERT_TRUE(SliceSlabMeans(in, means));
    ASSERT_EQ(means.size(), static_cast<size_t>(columns) * static_cast<size_t>(rows));
    const std::vector<uint8_t> grey = SliceGreyTable(in.windowCentre, in.windowWidth);
    int differing = 0;
    for (int r = 0; r < rows; ++r)
      for (int col = 0; col < columns; ++col)
        differing += qBlue(rendered.pixel(col, r)) != grey[means[static_cast<size_t>(r) * columns + col]];
    EXPECT_EQ(differing, 0);
  }
}
