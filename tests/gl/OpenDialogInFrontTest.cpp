// The open dialog stays in front of the main window after an open that does not hide it.
// The first scan shown gives the main window its 3-D pane, for which the window is made anew
// and put on top of every other: the dialog must come back in front of it. The order is the
// X server's own, as xwininfo reads it.
#include "dialogs/CDlgOpen.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/OpenDialogSteps.h"
#include "platform/Dialogs.h"

#include <QAbstractButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The windows on the root window, top first: xwininfo prints the X server's stacking order
// from the top down.
std::vector<unsigned long> StackedTopLevels()
{
  std::string listing;
  EXPECT_EQ(fixtures::RunCommand("xwininfo -root -children", &listing), 0) << listing;
  std::vector<unsigned long> windows;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) {
    const size_t id = line.find("0x");
    if (line.rfind("     0x", 0) == 0 && id != std::string::npos)
      windows.push_back(std::stoul(line.substr(id), nullptr, 16));
  }
  return windows;
}

// Where a window lies in the stack, the top one 0; -1 when it is not there.
long StackPlace(const QWidget& window)
{
  const std::vector<unsigned long> stack = StackedTopLevels();
  const auto found = std::find(stack.begin(), stack.end(), static_cast<unsigned long>(window.winId()));
  return found == stack.end() ? -1 : long(found - stack.begin());
}

TEST(OpenDialogInFront, TheFirstScanOpenedFromTheFileTabLeavesTheDialogInFront)
{
  const fixtures::DemoView demo;
  ASSERT_TRUE(demo.MakeDemo());
  demo.Frame().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&demo.Frame()));
  CDlgOpen& dialog = *demo.View().OpenDialog();
  demo.View().ShowOpenDialog();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  fixtures::ChooseTab(dialog, CDlgOpen::kFileTab);
  ASSERT_LT(StackPlace(dialog), StackPlace(demo.Frame()));

  const std::string scan = demo.Folder() + "/Demo_OCT.mhd";
  const platform::ScopedDialogHook chooseScan(
      [&scan](const platform::DialogRequest&, QDialog*) { return platform::DialogAnswer{true, scan}; });
  dialog.BrowseButton(CDlgOpen::kOCT)->click();
  // The windows are restacked once the event loop has run, which on a loaded machine takes a while.
  const auto dialogInFront = [&] {
    const long place = StackPlace(dialog);
    return place >= 0 && place < StackPlace(demo.Frame());
  };
  const bool inFront = QTest::qWaitFor(dialogInFront, 10000);

  ASSERT_EQ(demo.View().GetScanPath(), scan);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(inFront) << "the dialog " << StackPlace(dialog) << " under the main window "
                       << StackPlace(demo.Frame());
}

}  // namespace
