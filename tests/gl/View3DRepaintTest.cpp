// A 2-D step in a shown view repaints the 3-D pane only when its picture shows what the step
// changed: a window drag only while a plane is shown, a slice step only when a shown plane
// or the guide lines on the shown surfaces mark that coordinate.
#include "DemoWithGuideLines.h"
#include "panes/LOCTImage.h"
#include "panes/SliceToolsTestView.h"

#include <QScrollBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

// Counts the paints one widget gets.
class PaintCount : public QObject {
public:
  explicit PaintCount(QWidget& widget) { widget.installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override
  {
    if (event->type() == QEvent::Paint)
      ++paints;
    return false;
  }
  int paints = 0;
};

TEST(View3DRepaint, TwoDStepsRepaintTheThreeDPaneOnlyWhereItShowsThem)
{
  fixtures::DemoView demo;
  ASSERT_TRUE(OpenDemoWithGuideLines(demo));
  CStrataviewView& view = demo.View();
  L3D& pane = *view.Get3DPane();
  LOCTImage& bscan = *view.SlicePane(OrientationXY);
  pane.ShowSurface(0, true);
  PaintCount count(pane);
  const auto paintsAfter = [&](const std::function<void()>& step) {
    QTest::qWait(50);
    count.paints = 0;
    step();
    QTest::qWait(50);
    return count.paints;
  };
  const auto windowStep = [&] {
    Mouse mouse{bscan};
    const QPoint middle = CellCentre(bscan, 10, 10);
    mouse.Press(middle);
    mouse.MoveHeld(middle + QPoint(8, 3));
    mouse.Release(middle + QPoint(8, 3));
  };
  const auto stepOf = [&](const char* bar) {
    return [&view, bar] {
      QScrollBar* scroll = view.findChild<QScrollBar*>(bar);
      scroll->setValue(scroll->value() + 1);
    };
  };
  view.SetMouseMode(MouseWindow);

  struct Case {
    bool planeXY;
    bool planeXZ;
    std::function<void()> step;
    bool repaints;
    const char* what;
  };
  const Case cases[] = {
      {false, false, windowStep, false, "a window drag with no plane shown"},
      {true, false, windowStep, true, "a window drag with a plane shown"},
      {false, false, stepOf("IDC_SCROLL_OCTXZ"), false, "a depth step: no plane, and guide lines mark x and z"},
      {false, true, stepOf("IDC_SCROLL_OCTXZ"), true, "a depth step with the XZ plane shown"},
      {false, false, stepOf("IDC_SCROLL_OCTXY"), true, "a B-scan step: the guide lines on the surfaces move"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    pane.Show3DOCTXY(c.planeXY);
    pane.Show3DOCTXZ(c.planeXZ);
    const int paints = paintsAfter(c.step);
    if (c.repaints)
      EXPECT_GE(paints, 1);
    else
      EXPECT_EQ(paints, 0);
  }
  pane.ShowGuideLines(false);
  EXPECT_EQ(paintsAfter(stepOf("IDC_SCROLL_OCTXY")), 0) << "without guide lines or planes a step shows nothing new";
}

}  // namespace
