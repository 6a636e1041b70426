#pragma once
// Where the panels, the five panes, the three slice scroll bars and the 29 pane buttons go
// in the view's client area, for every ViewLayout. A pure function of the sizes, so that
// the arithmetic is tested without windows; the view applies the result to its widgets.
#include <array>
#include <vector>

struct LayoutRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool IsEmpty() const { return width <= 0 || height <= 0; }
  bool operator==(const LayoutRect& o) const
  {
    return x == o.x && y == o.y && width == o.width && height == o.height;
  }
};

// The panes in the order the view keeps them.
enum PaneIndex : int { PaneXY = 0, PaneZY = 1, PaneXZ = 2, PaneProj = 3, Pane3D = 4 };
constexpr int kPaneCount = 5;
constexpr int kSlicePaneCount = 3;
constexpr int kPaneButtonSize = 16;
// Buttons in each pane's column: six per slice pane, three for the projection, eight for 3-D.
constexpr int kPaneButtonCounts[kPaneCount] = {6, 6, 6, 3, 8};

// The physical size of the scan in millimetres along x, y and z.
struct PhysicalExtent {
  float x = 1.0f;
  float y = 1.0f;
  float z = 1.0f;
};

// The scan's extent (size times voxel size, in single precision) when a scan is shown,
// otherwise the stored one. A scan with a voxel size that is not a positive number takes
// its voxel counts as its extent.
PhysicalExtent ScanPhysicalExtent(bool loaded, const int size[3], const float spacing[3],
                                  const PhysicalExtent& stored);

struct PaneLayoutInput {
  int clientWidth = 0;
  int clientHeight = 0;
  int menuPanelHeight = 0;
  int dataPanelWidth = 0;
  int dataPanelSide = 0;  // 0 left, 1 right
  int layout = 0;         // a ViewLayout; other values place no pane
  PhysicalExtent extent;
};

struct PaneLayoutResult {
  LayoutRect menuPanel;
  LayoutRect dataPanel;
  LayoutRect paneArea;
  std::array<LayoutRect, kPaneCount> panes{};
  std::array<LayoutRect, kSlicePaneCount> scrollBars{};
  std::array<std::vector<LayoutRect>, kPaneCount> buttons;  // kPaneButtonCounts[i] each
};

// Every rectangle for the input. Sizes never come out negative: a formula that would give
// a negative width or height gives 0, and an extent-driven layout with a zero, negative or
// non-finite extent places nothing (empty rectangles). Where the area allows, the XZ and
// projection panes of the extent layouts are at least as high as the XZ button column, and
// a slice pane's buttons never stand above its top.
PaneLayoutResult ComputePaneLayout(const PaneLayoutInput& input);
