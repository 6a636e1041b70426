// The 3-D pane's Save button on a shown window: the picture goes beside the scan under its
// export name, with no dialog.
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "fixtures/DemoFolder.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "panes/CChildWnd.h"
#include "platform/Dialogs.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"
#include "platform/Profile.h"

#include <QAbstractButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

TEST(ViewExport3D, SaveWritesThePictureBesideTheScanWithoutADialog)
{
  const TempDir profile;
  const TempDir scan;
  platform::Profile::SetFolderForTests(QString::fromStdString(profile.Path().string()));
  platform::SetExecutableDirForTests(STRATAVIEW_SOURCE_DIR "/res");
  ASSERT_TRUE(fixtures::MakeSmallDemo(scan.Path().string()));
  std::vector<std::string> messages;
  const platform::ScopedMessageHook quiet([&messages](const std::string& text, unsigned) {
    messages.push_back(text);
    return platform::kIdOk;
  });
  int dialogs = 0;
  const platform::ScopedDialogHook noDialog([&dialogs](const platform::DialogRequest&, QDialog*) {
    ++dialogs;
    return platform::DialogAnswer{};
  });
  CMainFrame frame;
  frame.resize(1200, 800);
  frame.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
  CStrataviewView& view = *frame.View();
  view.OnInitialUpdate();
  ASSERT_TRUE(view.ScanFolder(scan.Path().string()));
  view.RefreshAll();
  QTest::qWait(50);

  const std::string older = scan.File("Demo_Image_3D.tif");
  ASSERT_TRUE(fixtures::WriteText(older, "older export"));
  view.findChild<QAbstractButton*>("IDC_BUTTON_3D_SAVE")->click();
  EXPECT_EQ(dialogs, 0);
  EXPECT_TRUE(messages.empty()) << messages.front();
  const QSize host = view.findChild<CChildWnd*>("PaneHost3D")->size();
  std::string out;
  ASSERT_EQ(fixtures::RunCommand("/usr/bin/python3 -c \"from PIL import Image; im = Image.open('" + older +
                                     "'); print(im.format, im.size[0], im.size[1])\"",
                                 &out),
            0);
  EXPECT_EQ(out, "TIFF " + std::to_string(host.width() / 4 * 4) + " " + std::to_string(host.height()) + "\n");
}

}  // namespace
