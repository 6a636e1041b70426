#pragma once
// What a pane asks of the main view, which owns the scan and every result. The view
// implements it; tests use a fake. Panes never include the view itself.
#include "panes/GridRegion.h"

class ViewServices {
public:
  virtual ~ViewServices() = default;

  // The figures the slice panes' info text needs from the view.
  virtual int SurfacesFileCount() const = 0;
  virtual bool ShowThickness() const = 0;
  virtual int GridMode() const = 0;
  // The surface pair of the thickness map, for a pane that recomputes it.
  virtual int ThicknessSurfaceFrom() const { return 0; }
  virtual int ThicknessSurfaceTo() const { return 0; }

  // After a pane changed shared state: render the slice pane of an orientation again (its
  // slice or its burnt-in labels changed), or only repaint it; repaint the 3-D pane.
  virtual void RenderSlicePane(int orientation) = 0;
  virtual void InvalidateSlicePane(int orientation) = 0;
  virtual void Invalidate3DPane() = 0;
  // After a change of only the position or the window: the 3-D pane repaints when its
  // picture shows what changed.
  virtual void Show2DStepIn3DPane() { Invalidate3DPane(); }
  // A surface edit (or its undo) in a slice pane moved points of `surface` within `region`
  // of the (x, z) grid in place: the 3-D pane builds again only what they touch. A view
  // without a 3-D pane may leave it doing nothing.
  virtual void SurfacePointsMoved(int /*surface*/, const GridRegion& /*region*/) {}
  // Moves the scroll bar of a slice pane, whose value is that pane's slice index, and
  // redraws it; the view is not notified.
  virtual void SetSliceScrollPos(int orientation, int position) = 0;

  // What another pane changes beyond the slice panes. A view that hosts no projection pane,
  // or a single slice pane (tests, benchmarks), may leave them doing nothing.
  // The projection pane: its thickness map or its projection between two surfaces computed
  // again, its layers composed, or only a repaint.
  virtual void ComputeProjectionThickness(int /*from*/, int /*to*/) {}
  virtual void ComputeProjection(int /*from*/, int /*to*/) {}
  virtual void ComposeProjection() {}
  virtual void InvalidateProjectionPane() {}
  // A spline was started: the new-spline request ends in every slice pane.
  virtual void ClearNewSplineRequests() {}
  // A brush stroke in the slice pane of an orientation changed the vessel or SEAD labels
  // (labelMode MouseVessel or MouseSEAD): the other slice panes draw their volume figure again.
  virtual void LabelsPainted(int /*orientation*/, int /*labelMode*/) {}
  // The tool of a MouseMode (Surfaces, UndefinedRegion, GridCenter, Vessel, SEAD, Markers or
  // Splines) changed the displayed results it edits, in the slice pane of `orientation` (0:
  // the projection or the 3-D pane). The view keeps them as unsaved until they are saved.
  virtual void ResultEdited(int /*mouseMode*/, int /*orientation*/) {}
};
