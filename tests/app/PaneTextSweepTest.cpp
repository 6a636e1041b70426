// The info texts of every pane over a sweep of window sizes, from the smallest the frame
// allows to 2560 x 1440, in every layout: the demo scan with every figure shown, the panes
// placed as the view places them and painted on the recording canvas.
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "fixtures/DemoView.h"
#include "model/ViewLayout.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "panes/PaneConventions.h"
#include "panes/RecordingCanvas.h"
#include "panes/TextPlacement.h"

#include <QComboBox>
#include <gtest/gtest.h>

#include <string>

namespace {

const int kWidths[] = {512, 640, 800, 1024, 1280, 1366, 1600, 1920, 2240, 2560};
const int kHeights[] = {384, 480, 600, 720, 768, 900, 1000, 1200, 1440};

class PaneTextSweep : public fixtures::DemoViewTest {
protected:
  PaneTextSweep()
    : DemoViewTest(fixtures::DemoViewOptions().SizeView().Stored({
          {"ShowSurfaces", "1"}, {"ShowOverlay", "1"}, {"ShowDisc", "1"}, {"ShowVessel", "1"},
          {"ShowSEAD", "1"}, {"ShowMarkers", "1"}, {"ShowSplines", "1"}, {"ShowThickness", "1"},
          {"ShowThicknessBar", "1"}, {"GridMode", "Quantity"}, {"ThicknessSurfaceFrom", "0"},
          {"ThicknessSurfaceTo", "3"}}))
  {
  }

  // The layout as the menu panel's combo box chooses it.
  void ChooseLayout(int layout)
  {
    QComboBox* combo = m_View.MenuPanel()->Combo(CDlgMenu::kLayout);
    combo->setCurrentIndex(layout - 1);
    emit combo->activated(layout - 1);
  }
  // The window at this size, its panels and panes placed for it.
  void PlaceAt(int width, int height)
  {
    m_Demo.Frame().resize(width, height);
    m_View.resize(width, height);
    m_View.PlacePanels();
  }
  RecordingCanvas SliceTexts(int orientation) const
  {
    RecordingCanvas canvas;
    m_View.SlicePane(orientation)->PaintOverlays(canvas);
    return canvas;
  }
};

TEST_F(PaneTextSweep, NoInfoTextCoversAnotherInAnyPaneAtAnyWindowSize)
{
  for (int layout = 1; layout <= kViewLayoutCount; ++layout) {
    ChooseLayout(layout);
    for (const int width : kWidths)
      for (const int height : kHeights) {
        SCOPED_TRACE(testing::Message() << "layout " << layout << ", " << width << " x " << height);
        PlaceAt(width, height);
        for (const int orientation : {OrientationXY, OrientationZY, OrientationXZ}) {
          SCOPED_TRACE(orientation);
          EXPECT_EQ(OverlappingPair(SliceTexts(orientation).InkedLines()), "");
        }
        RecordingCanvas projection;
        m_View.ProjPane()->PaintOverlays(projection);
        EXPECT_EQ(OverlappingPair(projection.InkedLines()), "") << "projection pane";
      }
  }
}

// Where the XZ pane is narrow (the "Horizontal" layout at 1600 x 1000 and 1280 x 720), the
// caption and the surfaces file are not cut off where the position text starts: they lie
// under it, whole.
TEST_F(PaneTextSweep, InANarrowPaneTheFileNameLiesWholeUnderThePositionText)
{
  ChooseLayout(LayoutHorizontal);
  for (const QSize window : {QSize(1600, 1000), QSize(1280, 720)}) {
    SCOPED_TRACE(testing::Message() << window.width() << " x " << window.height());
    PlaceAt(window.width(), window.height());
    const std::vector<CanvasOp> texts = SliceTexts(OrientationXZ).Of(CanvasOp::Text, 0xFFFFFF);
    const auto find = [&texts](const std::string& start) {
      for (const CanvasOp& op : texts)
        if (op.font == CanvasFont::Info && op.text.compare(0, start.size(), start) == 0)
          return op;
      ADD_FAILURE() << "no text starts with " << start;
      return CanvasOp();
    };
    const CanvasOp caption = find("Demo_OCT.mhd\nDemo_Surfaces_Vamo.xml");
    const CanvasOp position = find("(");
    RecordingCanvas measure;
    EXPECT_TRUE(TextPlacement::Fits(measure, caption.rect, caption.text)) << caption.text;
    EXPECT_GE(caption.rect.top(), TextPlacement::BottomOfLines(measure, position.rect, position.text));
  }
}

}  // namespace
