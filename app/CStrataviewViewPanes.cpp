// The five panes of the view: creating them with the first scan, sizing them with the
// layout, handing them the settings, and what they ask of the view.
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "app/PaneStylesFromSettings.h"
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
  const LSettings& s = m_Workspace.Settings();
  const bool loaded = m_Workspace.GetDisplayedVolume().loaded;
  const SliceStyle sliceStyle = SliceStyleFromSettings(s);
  ForEachSlicePane([&sliceStyle, &s, loaded](LOCTImage& pane) {
    pane.SetStyle(sliceStyle);
    pane.SetMouseMode(s.Mouse);
    if (loaded)
      pane.Render();
  });
  if (m_ProjPane) {
    m_ProjPane->SetStyle(ProjectionStyleFromSettings(s));
    m_ProjPane->SetMouseMode(s.Mouse);
    if (loaded)
      m_ProjPane->Compose();
  }
  if (m_3DPane) {
    m_3DPane->SetStyle(Scene3DStyleFromSettings(s));
    m_3DPane->SetMouseMode(s.Mouse);
    if (loaded)
      m_3DPane->update();
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

void CStrataviewView::Show2DStepIn3DPane()
{
  if (m_3DPane)
    m_3DPane->ShowPositionAndWindow();
}

void CStrataviewView::SurfacePointsMoved(int surface, const GridRegion& region)
{
  if (m_3DPane)
    m_3DPane->ShowSurfacePointsChanged(surface, region);
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
