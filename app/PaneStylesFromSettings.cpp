#include "app/PaneStylesFromSettings.h"

#include <algorithm>
#include <iterator>

namespace {
static_assert(kSettingsSurfaceCount == pane_defaults::kLayerColorCount);
static_assert(kSettingsMarkerColorCount == pane_defaults::kLayerColorCount);

using LayerColors = std::array<platform::COLORREF, pane_defaults::kLayerColorCount>;
using LayerFlags = std::array<bool, pane_defaults::kLayerColorCount>;

template <typename Array, typename Value, size_t N>
Array ToArray(const Value (&values)[N])
{
  Array out{};
  std::copy(std::begin(values), std::end(values), out.begin());
  return out;
}
LayerStyle LayerStyleFromSettings(const LSettings& s)
{
  LayerStyle st;
  st.avgSliceNum = s.AvgSliceNum;
  st.surfaceColors = ToArray<LayerColors>(s.ColorSurface);
  st.markerColors = ToArray<LayerColors>(s.ColorMarker);
  st.showUndefinedSurface = ToArray<LayerFlags>(s.ShowUndefinedSurface);
  st.refSurfColor = s.ColorRefSurf;
  st.splinesLineColor = s.ColorSplinesLine;
  st.splinesMarkerColor = s.ColorSplinesMarker;
  st.splinesLineWidth = s.SplinesLineWidth;
  st.showSplinesMarker = s.ShowSplinesMarker;
  st.showGuideLines = s.ShowGuideLines;
  return st;
}
}  // namespace

SliceStyle SliceStyleFromSettings(const LSettings& s)
{
  SliceStyle st;
  st.layers = LayerStyleFromSettings(s);
  st.undefinedRegion = {s.ColorUndefinedRegion, s.OpacityUndefinedRegion};
  st.cup = {s.ColorCup, s.OpacityCup};
  st.rim = {s.ColorRim, s.OpacityRim};
  st.vessel = {s.ColorVessel, s.OpacityVessel};
  st.sead = {s.ColorSEAD, s.OpacitySEAD};
  st.surfacesLineWidth = s.SurfacesLineWidth;
  st.showOverlay = s.ShowOverlay;
  st.markersLabel = s.MarkersLabel;
  st.surfacesBrush = {s.SurfacesMargin, s.SurfacesModification};
  st.undefinedRegionBrush = {s.UndefinedRegionMargin, s.UndefinedRegionModification};
  st.vesselBrush = {s.VesselMargin, s.VesselModification};
  st.seadBrush = {s.SEADMargin, s.SEADModification};
  return st;
}

ProjectionStyle ProjectionStyleFromSettings(const LSettings& s)
{
  ProjectionStyle st;
  st.undefinedRegion = {s.ColorUndefinedRegion, s.OpacityUndefinedRegion};
  st.cup = {s.ColorCup, s.OpacityCup};
  st.rim = {s.ColorRim, s.OpacityRim};
  st.seadColor = s.ColorSEAD;
  st.thicknessOpacity = s.ThicknessOpacity;
  st.showGuideLines = s.ShowGuideLines;
  st.showThicknessBar = s.ShowThicknessBar;
  st.undefinedRegionBrush = {s.UndefinedRegionMargin, s.UndefinedRegionModification};
  st.thicknessPalette = s.ThicknessPalette;
  st.gridMode = s.GridMode;
  st.thicknessUnit = s.ThicknessUnit;
  st.thicknessUnitMin = s.ThicknessUnitMin;
  st.thicknessUnitMax = s.ThicknessUnitMax;
  return st;
}

Scene3DStyle Scene3DStyleFromSettings(const LSettings& s)
{
  Scene3DStyle st;
  st.layers = LayerStyleFromSettings(s);
  st.cup = {s.ColorCup, s.OpacityCup};
  st.rim = {s.ColorRim, s.OpacityRim};
  st.vesselColor = s.ColorVessel;
  st.seadColor = s.ColorSEAD;
  st.backgroundColor = s.Color3DBackground;
  st.showOverlay = s.ShowOverlay;
  st.show3DAll = s.Show3DAll;
  st.blending = s.ThreeDBlending;
  st.isotropic = s.ThreeDIsotropic;
  st.showPlaneXY = s.Show3DOCTXY;
  st.showPlaneZY = s.Show3DOCTZY;
  st.showPlaneXZ = s.Show3DOCTXZ;
  return st;
}
