// The five panes of the view: creating them with the first scan, sizing them with the
// layout, handing them the settings, and what they ask of the view.
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "panes/CChildWnd.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"

#include <QScrollBar>
#include <QSignalBlocker>

namespace {
constexpr int kOrientationOfSlice[kSlicePaneCount] = {OrientationXY, OrientationZY, OrientationXZ};
}

LOCTImage* CStrataviewView::SlicePane(int orientation) const
{
  for (int slice = 0; slice < kSlicePaneCount; ++slice)
    if (kOrientationOfSlice[slice] == orientation)
      return m_SlicePanes[slice].get();
  return nullptr;
}

void CStrataviewView::ForEachSlicePane(const std::function<void(LOCTImage&)>& handler)
{
  for (auto& pane : m_SlicePanes)
    if (pane)
      handler(*pane);
}

void CStrataviewView::CreatePanes()
{
  for (int slice = 0; slice < kSlicePaneCount; ++slice)
    if (!m_SlicePanes[slice])
      m_SlicePanes[slice] = std::make_unique<LOCTImage>(*this);
  if (!m_ProjPane)
    m_ProjPane = std::make_unique<LProjImage>(*this);
  if (!m_3DPane)
    m_3DPane = new L3D(*this, m_PaneHosts[Pane3D]);
}

void CStrataviewView::ResizePanes(const PaneLayoutResult& placement)
{
  for (int slice = 0; slice < kSlicePaneCount; ++slice)
    if (m_SlicePanes[slice]) {
      m_SlicePanes[slice]->Resize(placement.panes[slice].width, placement.panes[slice].height);
      m_SlicePanes[slice]->Invalidate();
    }
  if (m_ProjPane)
    m_ProjPane->Resize(placement.panes[PaneProj].width, placement.panes[PaneProj].height);
  if (m_3DPane) {
    m_3DPane->Resize(placement.panes[Pane3D].width, placement.panes[Pane3D].height);
    m_3DPane->UpdateProjection();
  }
}

void CStrataviewView::PushSettingsToPanes()
{
  const LSettings& s = m_Settings;
  const bool loaded = m_DisplayedVolume.loaded;
  ForEachSlicePane([&s, loaded](LOCTImage& pane) {
    pane.SetAvgSliceNum(s.AvgSliceNum);
    pane.SetColorUndefinedRegion(s.ColorUndefinedRegion);
    pane.SetColorRefSurf(s.ColorRefSurf);
    pane.SetColorSplinesLine(s.ColorSplinesLine);
    pane.SetColorSplinesMarker(s.ColorSplinesMarker);
    for (int i = 0; i < kSettingsSurfaceCount; ++i) {
      pane.SetColorSurface(i, s.ColorSurface[i]);
      pane.SetShowUndefinedSurface(i, s.ShowUndefinedSurface[i]);
      pane.SetColorMarker(i, s.ColorMarker[i]);
    }
    pane.SetColorCup(s.ColorCup);
    pane.SetColorRim(s.ColorRim);
    pane.SetColorVessel(s.ColorVessel);
    pane.SetColorSEAD(s.ColorSEAD);
    pane.SetOpacityUndefinedRegion(s.OpacityUndefinedRegion);
    pane.SetOpacityCup(s.OpacityCup);
    pane.SetOpacityRim(s.OpacityRim);
    pane.SetOpacityVessel(s.OpacityVessel);
    pane.SetOpacitySEAD(s.OpacitySEAD);
    pane.SetSurfacesLineWidth(s.SurfacesLineWidth);
    pane.SetSurfacesModification(s.SurfacesModification);
    pane.SetSurfacesMargin(s.SurfacesMargin);
    pane.SetUndefinedRegionModification(s.UndefinedRegionModification);
    pane.SetUndefinedRegionMargin(s.UndefinedRegionMargin);
    pane.SetVesselModification(s.VesselModification);
    pane.SetVesselMargin(s.VesselMargin);
    pane.SetSEADModification(s.SEADModification);
    pane.SetSEADMargin(s.SEADMargin);
    pane.SetSplinesLineWidth(s.SplinesLineWidth);
    pane.SetShowSplinesMarker(s.ShowSplinesMarker);
    pane.SetMarkersLabel(s.MarkersLabel);
    pane.SetMouseMode(s.Mouse);
    pane.SetShowGuideLines(s.ShowGuideLines);
    pane.SetShowOverlay(s.ShowOverlay);
    if (loaded)
      pane.Render();
  });
  if (m_ProjPane) {
    LProjImage& p = *m_ProjPane;
    p.SetColorCup(s.ColorCup);
    p.SetColorRim(s.ColorRim);
    p.SetColorUndefinedRegion(s.ColorUndefinedRegion);
    p.SetColorSEAD(s.ColorSEAD);
    p.SetOpacityUndefinedRegion(s.OpacityUndefinedRegion);
    p.SetOpacityCup(s.OpacityCup);
    p.SetOpacityRim(s.OpacityRim);
    p.SetThicknessOpacity(s.ThicknessOpacity);
    p.SetShowGuideLines(s.ShowGuideLines);
    p.SetShowThicknessBar(s.ShowThicknessBar);
    p.SetUndefinedRegionModification(s.UndefinedRegionModification);
    p.SetUndefinedRegionMargin(s.UndefinedRegionMargin);
    p.SetThicknessPalette(s.ThicknessPalette);
    p.SetGridMode(s.GridMode);
    p.SetThicknessUnit(s.ThicknessUnit, s.ThicknessUnitMin, s.ThicknessUnitMax);
    p.SetMouseMode(s.Mouse);
    if (loaded)
      p.Compose();
  }
  if (m_3DPane) {
    L3D& d = *m_3DPane;
    d.SetAvgSliceNum(s.AvgSliceNum);
    d.SetColorRefSurf(s.ColorRefSurf);
    d.SetColorCup(s.ColorCup);
    d.SetColorRim(s.ColorRim);
    d.SetColorVessel(s.ColorVessel);
    d.SetColorSEAD(s.ColorSEAD);
    d.SetColorSplinesLine(s.ColorSplinesLine);
    d.SetColorSplinesMarker(s.ColorSplinesMarker);
    d.SetColor3DBackground(s.Color3DBackground);
    for (int i = 0; i < kSettingsSurfaceCount; ++i) {
      d.SetColorSurface(i, s.ColorSurface[i]);
      d.SetShowUndefinedSurface(i, s.ShowUndefinedSurface[i]);
      d.SetColorMarker(i, s.ColorMarker[i]);
    }
    d.SetOpacityCup(s.OpacityCup);
    d.SetOpacityRim(s.OpacityRim);
    d.SetSplinesLineWidth(s.SplinesLineWidth);
    d.SetShowSplinesMarker(s.ShowSplinesMarker);
    d.SetShowGuideLines(s.ShowGuideLines);
    d.SetShowOverlay(s.ShowOverlay);
    d.SetShow3DAll(s.Show3DAll);
    d.Set3DBlending(s.ThreeDBlending);
    d.Set3DIsotropic(s.ThreeDIsotropic);
    d.SetShow3DOCTXY(s.Show3DOCTXY);
    d.SetShow3DOCTZY(s.Show3DOCTZY);
    d.SetShow3DOCTXZ(s.Show3DOCTXZ);
    d.SetMouseMode(s.Mouse);
    if (loaded)
      d.update();
  }
}

void CStrataviewView::RenderSlicePane(int orientation)
{
  if (LOCTImage* pane = SlicePane(orientation))
    pane->Render();
}

void CStrataviewView::InvalidateSlicePane(int orientation)
{
  if (LOCTImage* pane = SlicePane(orientation))
    pane->Invalidate();
}

void CStrataviewView::Invalidate3DPane()
{
  if (m_3DPane)
    m_3DPane->update();
}

void CStrataviewView::SetSliceScrollPos(int orientation, int position)
{
  for (int slice = 0; slice < kSlicePaneCount; ++slice)
    if (kOrientationOfSlice[slice] == orientation) {
      const QSignalBlocker block(m_ScrollBars[slice]);
      m_ScrollBars[slice]->setValue(position);
    }
}

void CStrataviewView::ComputeProjectionThickness(int from, int to)
{
  if (m_ProjPane)
    m_ProjPane->ComputeThickness(from, to);
}

void CStrataviewView::ComposeProjection()
{
  if (m_ProjPane)
    m_ProjPane->Compose();
}

void CStrataviewView::InvalidateProjectionPane()
{
  if (m_ProjPane)
    m_ProjPane->Invalidate();
}

void CStrataviewView::ComputeProjection(int from, int to)
{
  if (m_ProjPane)
    m_ProjPane->ComputeProjection(from, to);
}

void CStrataviewView::ClearNewSplineRequests()
{
  ForEachSlicePane([](LOCTImage& pane) { pane.ClearNewSplineRequest(); });
}

void CStrataviewView::LabelsPainted(int orientation, int /*labelMode*/)
{
  // The other panes' volume figures follow the shared layer; they only need drawing.
  for (int slice = 0; slice < kSlicePaneCount; ++slice)
    if (m_SlicePanes[slice] && kOrientationOfSlice[slice] != orientation)
      m_SlicePanes[slice]->Invalidate();
}
