#pragma once
// A view that asks nothing of the panes: benchmarks time a pane on its own.
#include "panes/ViewServices.h"

class NullView : public ViewServices {
public:
  int SurfacesFileCount() const override { return 1; }
  bool ShowThickness() const override { return false; }
  int GridMode() const override { return 0; }
  void RenderSlicePane(int) override {}
  void InvalidateSlicePane(int) override {}
  void Invalidate3DPane() override {}
  void SetSliceScrollPos(int, int) override {}
};
