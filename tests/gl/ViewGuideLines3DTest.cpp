// Stepping through the demo scan's B-scans and columns by their scroll bars, the 3-D pane
// leaves out the guide-line cells that cannot show over its kept picture: each picture must
// be the one drawn with every guide-line cell.
#include "DemoWithGuideLines.h"
#include "PictureChecks.h"

#include <QScrollBar>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

TEST(ViewGuideLines3D, ScrollBarStepsShowEveryGuideLinePixel)
{
  fixtures::DemoView demo;
  ASSERT_TRUE(OpenDemoWithGuideLines(demo));
  CStrataviewView& view = demo.View();
  L3D& pane = *view.Get3DPane();
  for (int s = 0; s < pane.SurfaceCount(); ++s)
    pane.ShowSurface(s, true);
  QScrollBar* bscans = view.findChild<QScrollBar*>("IDC_SCROLL_OCTXY");
  QScrollBar* columns = view.findChild<QScrollBar*>("IDC_SCROLL_OCTZY");
  ASSERT_TRUE(bscans && columns);
  const struct {
    const char* what;
    QScrollBar* bar;
    int to;
  } steps[] = {
      {"the first B-scan", bscans, bscans->minimum()},
      {"the next B-scan", bscans, bscans->minimum() + 1},
      {"the B-scan after", bscans, bscans->minimum() + 2},
      {"the B-scan before", bscans, bscans->minimum() + 1},
      {"the last B-scan", bscans, bscans->maximum()},
      {"the first column", columns, columns->minimum()},
      {"the next column", columns, columns->minimum() + 1},
      {"the last column", columns, columns->maximum()},
      {"the column before", columns, columns->maximum() - 1},
      {"a middle B-scan", bscans, (bscans->minimum() + bscans->maximum()) / 2},
  };
  size_t leftOut = 0;
  for (const auto& step : steps) {
    SCOPED_TRACE(step.what);
    step.bar->setValue(step.to);
    QTest::qWait(20);
    leftOut += ExpectLeftOutCellsChangeNoPixel(pane);
  }
  EXPECT_GT(leftOut, 0u);
}

}  // namespace
