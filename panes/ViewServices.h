#pragma once
// What a pane asks of the main view, which owns the scan and every result. The view
// implements it; tests use a fake. Panes never include the view itself.
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
  // Moves the scroll bar of a slice pane, whose value is that pane's slice index, and
  // redraws it; the view is not notified.
  virtual void SetSliceScrollPos(int orientation, int position) = 0;

  // The projection pane after another pane moved the position or the grid centre: its
  // thickness map computed again and its layers composed, or only a repaint. A view without
  // a projection pane (tests) may leave them doing nothing.
  virtual void ComputeProjectionThickness(int /*from*/, int /*to*/) {}
  virtual void ComposeProjection() {}
  virtual void InvalidateProjectionPane() {}
};
