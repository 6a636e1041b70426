#pragma once
// A small scan with labels for the slice-pane tests: 16 x 24 x 6, every axis a different
// length, with values that change along every axis, so that a mix-up of axes shows.
#include "panes/LOCTImage.h"
#include "panes/ViewServices.h"
#include "TestLabels.h"

#include <cstdint>
#include <vector>

class FakeView : public ViewServices {
public:
  int SurfacesFileCount() const override { return 0; }
  bool ShowThickness() const override { return false; }
  int GridMode() const override { return 0; }
  void RenderSlicePane(int) override {}
  void InvalidateSlicePane(int) override {}
  void Invalidate3DPane() override {}
  void SetSliceScrollPos(int, int) override {}
};

struct SliceTestData {
  static constexpr int kX = 16;
  static constexpr int kY = 24;
  static constexpr int kZ = 6;
  const int size[3] = {kX, kY, kZ};
  const float spacing[3] = {0.01f, 0.002f, 0.05f};

  std::vector<uint16_t> volume16 = Voxels([](int x, int y, int z) { return (x * 1733 + y * 211 + z * 9973) % 65536; });
  std::vector<uint16_t> volume8 = Voxels([](int x, int y, int z) { return (x * 13 + y * 7 + z * 29) % 256; });
  // Vessel labels of a 16-bit label volume: 0, 1 (barely tints), a half and the maximum.
  std::vector<uint16_t> vessel = Voxels([](int x, int y, int z) {
    const int values[4] = {0, 1, 32768, 65535};
    return values[(x + y + z) % 4];
  });
  // SEAD labels of an 8-bit label volume.
  std::vector<uint16_t> sead = Voxels([](int x, int y, int z) {
    const int values[3] = {0, 128, 255};
    return values[(x * y + z) % 3];
  });
  // The two as the panes take them.
  TestLabels vesselLabels{vessel, size, 2};
  TestLabels seadLabels{sead, size, 1};
  // Only 1 marks a cell as undefined; 2 must not.
  std::vector<uint8_t> undefinedMask = Cells([](int x, int z) { return (x + z) % 3; });
  // Background below 100, rim 100 to 199, cup from 200.
  std::vector<uint8_t> discMask = Cells([](int x, int z) {
    const int values[6] = {0, 99, 100, 199, 200, 255};
    return values[(x * 5 + z * 3) % 6];
  });

  template <typename F>
  static std::vector<uint16_t> Voxels(F f)
  {
    std::vector<uint16_t> v(static_cast<size_t>(kX) * kY * kZ);
    for (int z = 0; z < kZ; ++z)
      for (int y = 0; y < kY; ++y)
        for (int x = 0; x < kX; ++x)
          v[static_cast<size_t>(x + kX * (y + kY * z))] = static_cast<uint16_t>(f(x, y, z));
    return v;
  }
  template <typename F>
  static std::vector<uint8_t> Cells(F f)
  {
    std::vector<uint8_t> v(static_cast<size_t>(kX) * kZ);
    for (int z = 0; z < kZ; ++z)
      for (int x = 0; x < kX; ++x)
        v[static_cast<size_t>(x + kX * z)] = static_cast<uint8_t>(f(x, z));
    return v;
  }
};

// The slice image's size for an orientation of the test volume.
inline void SliceSizeOf(int orientation, int& columns, int& rows)
{
  const int size[3] = {SliceTestData::kX, SliceTestData::kY, SliceTestData::kZ};
  SliceImageSize(orientation, size, columns, rows);
}

// A pane the way the view sets one up when a scan is applied, without a window unless a
// host is given.
inline void SetUpPane(LOCTImage& pane, const SliceTestData& data, int orientation, int* position, float* centre,
                      float* width, CChildWnd* host = nullptr, int colorMode = DibColors24Bit)
{
  int columns = 0;
  int rows = 0;
  SliceSizeOf(orientation, columns, rows);
  pane.CreatePane(columns, rows, colorMode, host);
  pane.SetVolume(data.size, data.volume16.data(), data.spacing, 2);
  pane.SetOrientation(orientation);
  pane.SetPosition(position);
  pane.SetWindowLevel(centre, width);
}
