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
};
