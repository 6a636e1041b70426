#pragma once
// A view for the slice-pane tool tests: it records what the panes ask of it, as text, and
// passes what concerns every slice pane on to the panes registered with it.
#include "SlicePaneTestData.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

using Calls = std::vector<std::string>;

class ToolView : public ViewServices {
public:
  int files = 1;
  bool thickness = false;
  int gridMode = 0;
  std::vector<std::string> calls;
  std::map<int, LOCTImage*> panes;  // by orientation

  int SurfacesFileCount() const override { return files; }
  bool ShowThickness() const override { return thickness; }
  int GridMode() const override { return gridMode; }
  void RenderSlicePane(int o) override { Record("render " + std::to_string(o)); }
  void InvalidateSlicePane(int o) override { Record("invalidate " + std::to_string(o)); }
  void Invalidate3DPane() override { Record("invalidate 3D"); }
  void SetSliceScrollPos(int o, int p) override { Record("scroll " + std::to_string(o) + " " + std::to_string(p)); }
  void ComputeProjectionThickness(int from, int to) override
  {
    Record("thickness " + std::to_string(from) + " " + std::to_string(to));
  }
  void ComputeProjection(int from, int to) override
  {
    Record("projection " + std::to_string(from) + " " + std::to_string(to));
  }
  void ComposeProjection() override { Record("compose"); }
  void InvalidateProjectionPane() override { Record("invalidate projection"); }
  void ClearNewSplineRequests() override
  {
    Record("end new spline");
    for (auto& [orientation, pane] : panes)
      pane->ClearNewSplineRequest();
  }
  void LabelsPainted(int from, int labelMode) override
  {
    (void)from;
    Record("labels " + std::to_string(labelMode));
  }

  bool Saw(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }

private:
  void Record(const std::string& call) { calls.push_back(call); }
};

// Replays the mouse on a pane model as its window would deliver it.
struct Mouse {
  LOCTImage& pane;

  void Press(QPoint p, Qt::MouseButton b = Qt::LeftButton) { pane.MousePress(p, b, b); }
  void MoveHeld(QPoint p, Qt::MouseButton b = Qt::LeftButton) { pane.MouseMove(p, b); }
  void Hover(QPoint p) { pane.MouseMove(p, Qt::NoButton); }
  void Release(QPoint p, Qt::MouseButton b = Qt::LeftButton) { pane.MouseRelease(p, b, Qt::NoButton); }
  void Click(QPoint p, Qt::MouseButton b = Qt::LeftButton)
  {
    Press(p, b);
    Release(p, b);
  }
  // A press, one move with the button held, and the release there.
  void Drag(QPoint from, QPoint to, Qt::MouseButton b = Qt::LeftButton)
  {
    Press(from, b);
    MoveHeld(to, b);
    Release(to, b);
  }
  void DoubleClick(QPoint p)
  {
    Click(p);
    pane.MouseDoubleClick(p, Qt::LeftButton, Qt::LeftButton);
  }
};

// The window point at the centre of a cell of a pane.
inline QPoint CellCentre(const LOCTImage& pane, int column, int row)
{
  const auto m = pane.Mapping();
  return QPoint(m->CentreX(float(column)), m->CentreY(float(row)));
}
