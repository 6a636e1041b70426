// The display settings reach each pane through one style value: every setting must land on
// the option that draws it, and a pane that has had no settings yet must draw as the
// settings' defaults say.
#include "app/PaneStylesFromSettings.h"
#include "model/LSettings.h"
#include "panes/Scene3D.h"
#include "panes/ThicknessMap.h"
#include "panes/ThicknessPalette.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

// Settings in which every display option holds a value of its own, so that two options
// mixed up cannot both come out right.
LSettings DistinctSettings()
{
  LSettings s;
  platform::COLORREF next = 0x010101;
  auto colour = [&next] { return next += 0x030507; };
  for (int i = 0; i < kSettingsSurfaceCount; ++i) {
    s.ColorSurface[i] = colour();
    s.ShowUndefinedSurface[i] = i % 3 == 1;
  }
  for (auto& c : s.ColorMarker)
    c = colour();
  for (platform::COLORREF* c : {&s.ColorRefSurf, &s.ColorSplinesLine, &s.ColorSplinesMarker, &s.ColorUndefinedRegion,
                                &s.ColorCup, &s.ColorRim, &s.ColorVessel, &s.ColorSEAD, &s.Color3DBackground})
    *c = colour();
  s.OpacityUndefinedRegion = 11;
  s.OpacityCup = 12;
  s.OpacityRim = 13;
  s.OpacityVessel = 14;
  s.OpacitySEAD = 15;
  s.ThicknessOpacity = 16;
  s.AvgSliceNum = 5;
  s.SurfacesLineWidth = 3;
  s.SplinesLineWidth = 4;
  s.ShowSplinesMarker = false;
  s.ShowGuideLines = false;
  s.ShowOverlay = false;
  s.ShowThicknessBar = false;
  s.MarkersLabel = "7";
  s.SurfacesMargin = 0.25f;
  s.UndefinedRegionMargin = 0.5f;
  s.VesselMargin = 0.75f;
  s.SEADMargin = 1.25f;
  s.SurfacesModification = 0;
  s.UndefinedRegionModification = 0;
  s.VesselModification = 1;
  s.SEADModification = 0;
  s.ThicknessPalette = PaletteGrey;
  s.GridMode = GridModeQuantity;
  s.ThicknessUnit = ThicknessUnitFixed;
  s.ThicknessUnitMin = 0.1f;
  s.ThicknessUnitMax = 0.4f;
  s.Show3DAll = false;
  s.ThreeDBlending = true;
  s.ThreeDIsotropic = true;
  s.Show3DOCTXY = true;
  s.Show3DOCTZY = false;
  s.Show3DOCTXZ = true;
  return s;
}

void ExpectLayersFrom(const LSettings& s, const LayerStyle& layers)
{
  EXPECT_EQ(layers.avgSliceNum, s.AvgSliceNum);
  for (int i = 0; i < kSettingsSurfaceCount; ++i) {
    EXPECT_EQ(layers.surfaceColors[i], s.ColorSurface[i]) << "surface " << i;
    EXPECT_EQ(layers.showUndefinedSurface[i], s.ShowUndefinedSurface[i]) << "surface " << i;
  }
  for (int i = 0; i < kSettingsMarkerColorCount; ++i)
    EXPECT_EQ(layers.markerColors[i], s.ColorMarker[i]) << "marker colour " << i;
  EXPECT_EQ(layers.refSurfColor, s.ColorRefSurf);
  EXPECT_EQ(layers.splinesLineColor, s.ColorSplinesLine);
  EXPECT_EQ(layers.splinesMarkerColor, s.ColorSplinesMarker);
  EXPECT_EQ(layers.splinesLineWidth, s.SplinesLineWidth);
  EXPECT_EQ(layers.showSplinesMarker, s.ShowSplinesMarker);
  EXPECT_EQ(layers.showGuideLines, s.ShowGuideLines);
}

TEST(PaneStylesFromSettings, EverySliceSettingLandsOnItsOption)
{
  const LSettings s = DistinctSettings();
  const SliceStyle st = SliceStyleFromSettings(s);
  ExpectLayersFrom(s, st.layers);
  EXPECT_EQ(st.undefinedRegion, (TintStyle{s.ColorUndefinedRegion, s.OpacityUndefinedRegion}));
  EXPECT_EQ(st.cup, (TintStyle{s.ColorCup, s.OpacityCup}));
  EXPECT_EQ(st.rim, (TintStyle{s.ColorRim, s.OpacityRim}));
  EXPECT_EQ(st.vessel, (TintStyle{s.ColorVessel, s.OpacityVessel}));
  EXPECT_EQ(st.sead, (TintStyle{s.ColorSEAD, s.OpacitySEAD}));
  EXPECT_EQ(st.surfacesLineWidth, s.SurfacesLineWidth);
  EXPECT_EQ(st.showOverlay, s.ShowOverlay);
  EXPECT_EQ(st.markersLabel, s.MarkersLabel);
  const struct {
    const char* name;
    BrushStyle brush;
    float margin;
    int modification;
  } brushes[] = {{"surfaces", st.surfacesBrush, s.SurfacesMargin, s.SurfacesModification},
                 {"undefined region", st.undefinedRegionBrush, s.UndefinedRegionMargin, s.UndefinedRegionModification},
                 {"vessel", st.vesselBrush, s.VesselMargin, s.VesselModification},
                 {"SEAD", st.seadBrush, s.SEADMargin, s.SEADModification}};
  for (const auto& b : brushes) {
    EXPECT_EQ(b.brush.margin, b.margin) << b.name;
    EXPECT_EQ(b.brush.modification, b.modification) << b.name;
  }
}

TEST(PaneStylesFromSettings, EveryProjectionSettingLandsOnItsOption)
{
  const LSettings s = DistinctSettings();
  const ProjectionStyle st = ProjectionStyleFromSettings(s);
  EXPECT_EQ(st.undefinedRegion, (TintStyle{s.ColorUndefinedRegion, s.OpacityUndefinedRegion}));
  EXPECT_EQ(st.cup, (TintStyle{s.ColorCup, s.OpacityCup}));
  EXPECT_EQ(st.rim, (TintStyle{s.ColorRim, s.OpacityRim}));
  EXPECT_EQ(st.seadColor, s.ColorSEAD);
  EXPECT_EQ(st.thicknessOpacity, s.ThicknessOpacity);
  EXPECT_EQ(st.undefinedRegionBrush.margin, s.UndefinedRegionMargin);
  EXPECT_EQ(st.undefinedRegionBrush.modification, s.UndefinedRegionModification);
  EXPECT_EQ(st.showGuideLines, s.ShowGuideLines);
  EXPECT_EQ(st.showThicknessBar, s.ShowThicknessBar);
  EXPECT_EQ(st.thicknessPalette, s.ThicknessPalette);
  EXPECT_EQ(st.gridMode, s.GridMode);
  EXPECT_EQ(st.thicknessUnit, s.ThicknessUnit);
  EXPECT_EQ(st.thicknessUnitMin, s.ThicknessUnitMin);
  EXPECT_EQ(st.thicknessUnitMax, s.ThicknessUnitMax);
}

TEST(PaneStylesFromSettings, EveryScene3DSettingReachesTheScene)
{
  const LSettings s = DistinctSettings();
  Scene3D scene;
  scene.SetStyle(Scene3DStyleFromSettings(s));

  EXPECT_EQ(scene.AvgSliceNum(), s.AvgSliceNum);
  for (int i = 0; i < kSettingsSurfaceCount; ++i) {
    EXPECT_EQ(scene.SurfaceColor(i), s.ColorSurface[i]) << "surface " << i;
    EXPECT_EQ(scene.ShowOverUndefined(i), s.ShowUndefinedSurface[i]) << "surface " << i;
  }
  const struct {
    SceneColor which;
    platform::COLORREF expected;
  } colours[] = {{SceneColor::RefSurface, s.ColorRefSurf},       {SceneColor::Cup, s.ColorCup},
                 {SceneColor::Rim, s.ColorRim},                  {SceneColor::Vessel, s.ColorVessel},
                 {SceneColor::SEAD, s.ColorSEAD},                {SceneColor::SplineLine, s.ColorSplinesLine},
                 {SceneColor::SplineControlPoint, s.ColorSplinesMarker}, {SceneColor::Background, s.Color3DBackground}};
  for (const auto& c : colours)
    EXPECT_EQ(scene.Color(c.which), c.expected) << static_cast<int>(c.which);
  EXPECT_EQ(scene.OpacityCup(), s.OpacityCup);
  EXPECT_EQ(scene.OpacityRim(), s.OpacityRim);
  EXPECT_EQ(scene.SplinesLineWidth(), s.SplinesLineWidth);
  const struct {
    SceneFlag flag;
    bool expected;
  } flags[] = {{SceneFlag::SplineControlPoints, s.ShowSplinesMarker}, {SceneFlag::GuideLines, s.ShowGuideLines},
               {SceneFlag::Letters, s.ShowOverlay},     {SceneFlag::All, s.Show3DAll},
               {SceneFlag::Blending, s.ThreeDBlending}, {SceneFlag::PlaneXY, s.Show3DOCTXY},
               {SceneFlag::PlaneZY, s.Show3DOCTZY},     {SceneFlag::PlaneXZ, s.Show3DOCTXZ}};
  for (const auto& f : flags)
    EXPECT_EQ(scene.Flag(f.flag), f.expected) << static_cast<int>(f.flag);
  EXPECT_EQ(scene.DepthScale(), 1.0f) << "isotropic";
}

// The panes cannot see the settings, so their own defaults are written apart from the
// settings' table; a colour, opacity or width changed in one place only shows here.
TEST(PaneStylesFromSettings, APaneWithoutSettingsDrawsAsTheDefaultSettingsSay)
{
  const LSettings defaults;
  const SliceStyle slice = SliceStyleFromSettings(defaults);
  const SliceStyle bareSlice;
  const LayerStyle& a = slice.layers;
  const LayerStyle& b = bareSlice.layers;
  EXPECT_EQ(a.avgSliceNum, b.avgSliceNum);
  EXPECT_EQ(a.surfaceColors, b.surfaceColors);
  EXPECT_EQ(a.markerColors, b.markerColors);
  EXPECT_EQ(a.showUndefinedSurface, b.showUndefinedSurface);
  EXPECT_EQ(a.refSurfColor, b.refSurfColor);
  EXPECT_EQ(a.splinesLineColor, b.splinesLineColor);
  EXPECT_EQ(a.splinesMarkerColor, b.splinesMarkerColor);
  EXPECT_EQ(a.splinesLineWidth, b.splinesLineWidth);
  EXPECT_EQ(a.showSplinesMarker, b.showSplinesMarker);
  EXPECT_EQ(a.showGuideLines, b.showGuideLines);
  for (const auto& [name, fromSettings, bare] :
       {std::tuple{"undefined region", slice.undefinedRegion, bareSlice.undefinedRegion},
        std::tuple{"cup", slice.cup, bareSlice.cup}, std::tuple{"rim", slice.rim, bareSlice.rim},
        std::tuple{"vessel", slice.vessel, bareSlice.vessel}, std::tuple{"SEAD", slice.sead, bareSlice.sead}})
    EXPECT_EQ(fromSettings, bare) << name;
  EXPECT_EQ(slice.surfacesLineWidth, bareSlice.surfacesLineWidth);

  const ProjectionStyle projection = ProjectionStyleFromSettings(defaults);
  EXPECT_EQ(projection.thicknessOpacity, ProjectionStyle().thicknessOpacity);
  EXPECT_EQ(Scene3DStyleFromSettings(defaults).backgroundColor, Scene3DStyle().backgroundColor);
}

}  // namespace
