#include "app/PaneLayout.h"

#include "model/ViewLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Fractions are evaluated in single precision and truncated toward zero, as the layouts
// have always been computed; -ffp-contract=off keeps the products unfused.
int Trunc(float value)
{
  return static_cast<int>(value);
}

// The en-face panes of a scan much thinner along z than along x (a single B-scan) are
// still as high as the XZ pane's button column, so that every pane and button shows.
constexpr int kButtonColumnHeight = kPaneButtonSize * kPaneButtonCounts[PaneXZ];

// The z extent raised so that trunc(width * z / (x * across + z * withZ)) is at least one
// button column, but never beyond x (a square scan's proportions); a scan thick enough
// keeps its own.
float LegibleZ(const PhysicalExtent& e, float width, float across, float withZ)
{
  const float wanted = static_cast<float>(kButtonColumnHeight + 1);
  if (width <= wanted * withZ)
    return std::max(e.z, e.x);
  return std::max(e.z, std::min(wanted * across * e.x / (width - wanted * withZ), e.x));
}

bool UsableExtent(float value)
{
  return std::isfinite(value) && value > 0.0f;
}

class LayoutBuilder {
public:
  LayoutBuilder(PaneLayoutResult& result, const LayoutRect& area)
    : m_Result(result), L(area.x), T(area.y), W(area.width), H(area.height) {}

  void Pane(PaneIndex pane, int x, int y, int width, int height)
  {
    m_Result.panes[pane] = Clamped(x, y, width, height);
  }
  void Bar(PaneIndex pane, int x, int y, int height)
  {
    m_Result.scrollBars[pane] = Clamped(x, y, kPaneButtonSize, height);
  }
  void Buttons(PaneIndex pane, int x, int y0)
  {
    for (int i = 0; i < kPaneButtonCounts[pane]; ++i)
      m_Result.buttons[pane][i] = {x, y0 + kPaneButtonSize * i, kPaneButtonSize, kPaneButtonSize};
  }
  // A slice pane with its scroll bar beside it and its buttons below the bar.
  void SlicePane(PaneIndex pane, int x, int y, int width, int height, int barX, int barY,
                 int barHeight, int buttonsY)
  {
    Pane(pane, x, y, width, height);
    Bar(pane, barX, barY, barHeight);
    // A pane too low for its bar keeps its buttons beside it, never above the pane area.
    Buttons(pane, barX, std::max(buttonsY, barY));
  }

  void Horizontal();
  void Vertical();
  void Horizontal2(const PhysicalExtent& e);
  void Vertical2(const PhysicalExtent& e);
  void Single(PaneIndex pane);
  void Aspect(PaneIndex pane, const PhysicalExtent& e);

private:
  static LayoutRect Clamped(int x, int y, int width, int height)
  {
    return {x, y, std::max(width, 0), std::max(height, 0)};
  }
  int H2() const { return Trunc(static_cast<float>(H - 3) * 0.5f); }
  int W2() const { return Trunc(static_cast<float>(W - 9) * 0.5f); }
  int W4() const { return Trunc(static_cast<float>(W - 9) * 0.25f); }
  int W34() const { return Trunc(static_cast<float>(W - 9) * 0.75f); }
  // The XZ, projection and 3-D panes of the right half, shared by Horizontal and Vertical.
  void RightHalf();

  PaneLayoutResult& m_Result;
  const int L, T, W, H;
};

void LayoutBuilder::RightHalf()
{
  const int w2 = W2(), w4 = W4(), w34 = W34();
  SlicePane(PaneXZ, L + w2 + 6, T, w4 - 16, w4 - 16, L + w34 - 10, T, w4 - 112, T + w4 - 112);
  Pane(PaneProj, L + w34 + 9, T, w4 - 16, w4 - 16);
  Buttons(PaneProj, L + W - 16, T);
  Pane(Pane3D, L + w2 + 6, T + w4 - 13, w2 - 13, H - w4 + 13);
  Buttons(Pane3D, L + W - 16, T + w4 - 13);
}

void LayoutBuilder::Horizontal()
{
  const int h2 = H2(), w2 = W2();
  SlicePane(PaneXY, L, T, w2 - 13, h2, L + w2 - 13, T, h2 - 96, T + h2 - 96);
  // The ZY buttons hang from the bottom of the area, not from the end of the bar.
  SlicePane(PaneZY, L, T + h2 + 3, w2 - 13, h2, L + w2 - 13, T + h2 + 3, h2 - 96, T + H - 96);
  RightHalf();
}

void LayoutBuilder::Vertical()
{
  const int w2 = W2(), w4 = W4();
  SlicePane(PaneXY, L, T, w4 - 16, H, L + w4 - 16, T, H - 96, T + H - 96);
  SlicePane(PaneZY, L + w4 + 3, T, w4 - 16, H, L + w2 - 13, T, H - 96, T + H - 96);
  RightHalf();
}

void LayoutBuilder::Horizontal2(const PhysicalExtent& e)
{
  const float a = static_cast<float>(W - 54);
  const float z = LegibleZ(e, a, 3.0f, 0.0f);
  const float kx = e.x / (e.x * 3.0f);
  const float kz = z / (e.x * 3.0f);
  const float kx2 = kx + kx;
  const float kx3 = kx2 + kx;
  const auto fx = [a](float k) { return Trunc(a * k); };
  const int h2 = H2();
  SlicePane(PaneXY, L, T, fx(kx), h2, L + fx(kx), T, h2 - 96, T + h2 - 96);
  SlicePane(PaneZY, L, T + h2 + 3, fx(kz), h2, L + fx(kz), T + h2 + 3, h2 - 96, T + H - 96);
  SlicePane(PaneXZ, L + 19 + fx(kx), T, fx(kx), fx(kz), L + 19 + fx(kx2), T, fx(kz) - 96,
            T + fx(kz) - 96);
  Pane(PaneProj, L + 38 + fx(kx2), T, fx(kx), fx(kz));
  Buttons(PaneProj, L + 38 + fx(kx3), T);
  Pane(Pane3D, L + 19 + fx(kx), T + 3 + fx(kz), fx(kx2) + 19, H - fx(kz) - 3);
  Buttons(Pane3D, L + 38 + fx(kx3), T + fx(kz) + 3);
}

void LayoutBuilder::Vertical2(const PhysicalExtent& e)
{
  const float a = static_cast<float>(W - 73);
  const float z = LegibleZ(e, a, 3.0f, 1.0f);
  const float total = e.x * 3.0f + z;
  const float kx = e.x / total;
  const float kz = z / total;
  const float kx2 = kx + kx;
  const float kx3 = kx2 + kx;
  const auto fx = [a](float k) { return Trunc(a * k); };
  SlicePane(PaneXY, L, T, fx(kx), H, L + fx(kx), T, H - 96, T + H - 96);
  SlicePane(PaneZY, L + 19 + fx(kx), T, fx(kz), H, L + 19 + fx(kz + kx), T, H - 96, T + H - 96);
  SlicePane(PaneXZ, L + 38 + fx(kz + kx), T, fx(kx), fx(kz), L + 38 + fx(kz + kx2), T,
            fx(kz) - 96, T + fx(kz) - 96);
  Pane(PaneProj, L + 57 + fx(kz + kx2), T, fx(kx), fx(kz));
  Buttons(PaneProj, L + 57 + fx(kz + kx3), T);
  Pane(Pane3D, L + 38 + fx(kz + kx), T + 3 + fx(kz), fx(kx2) + 19, H - fx(kz) - 3);
  Buttons(Pane3D, L + 57 + fx(kz + kx3), T + fx(kz) + 3);
}

void LayoutBuilder::Single(PaneIndex pane)
{
  Pane(pane, L, T, W - 16, H);
  if (pane < kSlicePaneCount) {
    Bar(pane, L + W - 16, T, H - 96);
    Buttons(pane, L + W - 16, T + H - 96);
  } else {
    Buttons(pane, L + W - 16, T);
  }
}

void LayoutBuilder::Aspect(PaneIndex pane, const PhysicalExtent& e)
{
  const int available = W - 16;
  if (available <= 0 || H <= 0)
    return;
  int width = available;
  int height = H;
  if (e.x / e.z < static_cast<float>(available) / static_cast<float>(H))
    width = std::max(Trunc(e.x * static_cast<float>(H) / e.z), std::min(kPaneButtonSize, available));
  else
    height = std::max(Trunc(e.z * static_cast<float>(available) / e.x), std::min(kButtonColumnHeight, H));
  Pane(pane, L, T, width, height);
  if (pane == PaneXZ) {
    Bar(pane, L + width, T, height - 96);
    Buttons(pane, L + width, std::max(T + height - 96, T));
  } else {
    Buttons(pane, L + width, T);
  }
}

}  // namespace

PhysicalExtent ScanPhysicalExtent(bool loaded, const int size[3], const float spacing[3],
                                  const PhysicalExtent& stored)
{
  if (!loaded)
    return stored;
  // A scan without a usable voxel size (one B-scan stores a slice spacing of 0) is laid out
  // by its voxel counts, as if every voxel were 1 mm wide.
  const bool usable = UsableExtent(spacing[0]) && UsableExtent(spacing[1]) && UsableExtent(spacing[2]);
  PhysicalExtent extent;
  float* const axes[3] = {&extent.x, &extent.y, &extent.z};
  for (int axis = 0; axis < 3; ++axis)
    *axes[axis] = static_cast<float>(size[axis]) * (usable ? spacing[axis] : 1.0f);
  return extent;
}

PaneLayoutResult ComputePaneLayout(const PaneLayoutInput& in)
{
  PaneLayoutResult result;
  for (int pane = 0; pane < kPaneCount; ++pane)
    result.buttons[pane].resize(kPaneButtonCounts[pane]);

  const int menuHeight = std::clamp(in.menuPanelHeight, 0, std::max(in.clientHeight, 0));
  const int columnHeight = std::max(in.clientHeight - menuHeight, 0);
  result.menuPanel = {0, 0, std::max(in.clientWidth, 0), menuHeight};
  const bool dataOnRight = in.dataPanelSide == 1;
  const int dataX = dataOnRight ? in.clientWidth - in.dataPanelWidth : 0;
  result.dataPanel = {std::max(dataX, 0), menuHeight, std::max(in.dataPanelWidth, 0), columnHeight};
  const int left = dataOnRight ? 0 : in.dataPanelWidth;
  const int right = dataOnRight ? in.clientWidth - in.dataPanelWidth : in.clientWidth;
  result.paneArea = {left, menuHeight, std::max(right - left, 0), columnHeight};
  if (result.paneArea.IsEmpty())
    return result;

  const PhysicalExtent& e = in.extent;
  if (UsesPhysicalExtent(in.layout) && !(UsableExtent(e.x) && UsableExtent(e.z)))
    return result;

  LayoutBuilder builder(result, result.paneArea);
  switch (in.layout) {
    case LayoutHorizontal: builder.Horizontal(); break;
    case LayoutHorizontal2: builder.Horizontal2(e); break;
    case LayoutVertical: builder.Vertical(); break;
    case LayoutVertical2: builder.Vertical2(e); break;
    case LayoutOCTXY: builder.Single(PaneXY); break;
    case LayoutOCTZY: builder.Single(PaneZY); break;
    case LayoutOCTXZ: builder.Single(PaneXZ); break;
    case LayoutOCTXZ2: builder.Aspect(PaneXZ, e); break;
    case LayoutProj: builder.Single(PaneProj); break;
    case LayoutProj2: builder.Aspect(PaneProj, e); break;
    case Layout3D: builder.Single(Pane3D); break;
    default: break;
  }
  return result;
}
