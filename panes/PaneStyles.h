#pragma once
// How each pane draws: the display settings as one value per pane, which the view builds
// from the user's settings and hands over whole. A default-constructed style is what a pane
// draws with before any settings reach it.
#include "data/ColorRef.h"

#include <array>
#include <string>

// A region tinted over the image: its colour and its opacity in percent.
struct TintStyle {
  platform::COLORREF color = 0;
  int opacity = 0;
  bool operator==(const TintStyle& o) const { return color == o.color && opacity == o.opacity; }
};

// An editing brush: its radius in mm; modification 0 changes the current slice (or cell)
// only, 1 its neighbours too.
struct BrushStyle {
  float margin = 1.0f;
  int modification = 1;
};

// The tints all three panes draw.
namespace pane_defaults {
constexpr int kLayerColorCount = 20;
constexpr int kTintOpacity = 30;
constexpr TintStyle kUndefinedRegion{0x00FFFF, kTintOpacity};
constexpr TintStyle kCup{0x0000FF, kTintOpacity};
constexpr TintStyle kRim{0x00FF00, kTintOpacity};
constexpr TintStyle kVessel{0x7F7FFF, kTintOpacity};
constexpr TintStyle kSEAD{0x7FFF7F, kTintOpacity};
}  // namespace pane_defaults

// What the slice panes and the 3-D pane draw alike: the slab, the layer surfaces, the
// reference surface, the markers and the splines, and the guide lines.
struct LayerStyle {
  int avgSliceNum = 1;
  // Per surface and per marker colour number; the surfaces and the markers start from the
  // same table.
  std::array<platform::COLORREF, pane_defaults::kLayerColorCount> surfaceColors = platform::kDefaultColorTable;
  std::array<platform::COLORREF, pane_defaults::kLayerColorCount> markerColors = platform::kDefaultColorTable;
  // Surfaces drawn also over the undefined region.
  std::array<bool, pane_defaults::kLayerColorCount> showUndefinedSurface{};
  platform::COLORREF refSurfColor = 0xFF99FF;
  platform::COLORREF splinesLineColor = 0x00FF00;
  platform::COLORREF splinesMarkerColor = 0x007F00;
  int splinesLineWidth = 2;
  bool showSplinesMarker = true;
  bool showGuideLines = true;
};

// The slice panes.
struct SliceStyle {
  LayerStyle layers;
  TintStyle undefinedRegion = pane_defaults::kUndefinedRegion;
  TintStyle cup = pane_defaults::kCup;
  TintStyle rim = pane_defaults::kRim;
  TintStyle vessel = pane_defaults::kVessel;
  TintStyle sead = pane_defaults::kSEAD;
  int surfacesLineWidth = 1;
  bool showOverlay = true;
  // The label new markers get.
  std::string markersLabel = "-1";
  BrushStyle surfacesBrush;
  BrushStyle undefinedRegionBrush;
  BrushStyle vesselBrush;
  BrushStyle seadBrush;
};

// The en-face projection pane.
struct ProjectionStyle {
  TintStyle undefinedRegion = pane_defaults::kUndefinedRegion;
  TintStyle cup = pane_defaults::kCup;
  TintStyle rim = pane_defaults::kRim;
  // Kept with the other colours; this pane draws no SEAD labels.
  platform::COLORREF seadColor = pane_defaults::kSEAD.color;
  int thicknessOpacity = 80;
  bool showGuideLines = true;
  bool showThicknessBar = false;
  BrushStyle undefinedRegionBrush;
  // Applied at the next thickness computation.
  int thicknessPalette = 0;  // 0 colour, 1 grey
  int gridMode = 0;          // 0 none, 1 quality, 2 quantity
  int thicknessUnit = 0;     // 0 auto, 1 fixed between the minimum and the maximum (mm)
  float thicknessUnitMin = 0.0f;
  float thicknessUnitMax = 0.0f;
};

// The 3-D pane.
struct Scene3DStyle {
  LayerStyle layers;
  TintStyle cup = pane_defaults::kCup;
  TintStyle rim = pane_defaults::kRim;
  platform::COLORREF vesselColor = pane_defaults::kVessel.color;
  platform::COLORREF seadColor = pane_defaults::kSEAD.color;
  platform::COLORREF backgroundColor = 0x000000;
  bool showOverlay = false;  // the orientation letters
  bool show3DAll = true;
  bool blending = false;
  bool isotropic = false;
  bool showPlaneXY = false;
  bool showPlaneZY = false;
  bool showPlaneXZ = false;
};
