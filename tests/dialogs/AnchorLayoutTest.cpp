#include "dialogs/AnchorLayout.h"
#include "dialogs/DialogAnchoring.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A control at (10, 20), 100 x 30, in a 400 x 300 client area.
const QRect kControl(10, 20, 100, 30);
const QSize kClient(400, 300);

struct AnchorCase {
  const char* name;
  AnchorRule rule;
  QSize client;
  QRect expected;
};

TEST(AnchorLayoutTest, EveryRuleFollowsTheEdgesItNames)
{
  using namespace AnchorRules;
  const AnchorCase cases[] = {
    {"unchanged size keeps the place", kStretchBoth, kClient, kControl},
    {"unchanged size keeps the place", kBottomRight, kClient, kControl},
    {"stretch both, grown", kStretchBoth, {500, 350}, {10, 20, 200, 80}},
    {"stretch both, shrunk", kStretchBoth, {350, 280}, {10, 20, 50, 10}},
    {"stretch across, grown", kStretchAcross, {500, 350}, {10, 20, 200, 30}},
    {"right, grown", kRight, {500, 350}, {110, 20, 100, 30}},
    {"right, shrunk", kRight, {350, 280}, {-40, 20, 100, 30}},
    {"bottom-right, grown", kBottomRight, {500, 350}, {110, 70, 100, 30}},
    {"bottom-right, shrunk", kBottomRight, {350, 280}, {-40, 0, 100, 30}},
    {"bottom-across, grown", kBottomAcross, {500, 350}, {10, 70, 200, 30}},
    {"bottom-across, shrunk", kBottomAcross, {350, 280}, {10, 0, 50, 30}},
    {"bottom-left, grown", kBottomLeft, {500, 350}, {10, 70, 100, 30}},
    {"a client smaller than the gaps gives an empty control, never a negative one", kStretchBoth, {200, 100},
     {10, 20, 0, 0}},
    {"keep size on both edges keeps the recorded place",
     {Anchor::KeepSize, Anchor::KeepSize, Anchor::KeepSize, Anchor::KeepSize}, {500, 350}, kControl},
  };
  const AnchorRecord record = RecordAnchor(kControl, kClient);
  for (const AnchorCase& c : cases)
    EXPECT_EQ(ResolveAnchor(c.rule, record, c.client), c.expected) << c.name;
}

TEST(AnchorLayoutTest, NothingMovesBeforeThePlacesAreRecorded)
{
  QWidget dialog;
  auto* control = new QWidget(&dialog);
  control->setGeometry(kControl);
  DialogAnchoring anchoring;
  anchoring.Add(control, AnchorRules::kBottomRight);

  anchoring.Apply({500, 350});
  EXPECT_EQ(control->geometry(), kControl);

  anchoring.Record(kClient);
  anchoring.Apply({500, 350});
  EXPECT_EQ(control->geometry(), QRect(110, 70, 100, 30));
}

}  // namespace
