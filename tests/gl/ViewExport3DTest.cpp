// The 3-D pane's Save button on a shown window: the picture goes beside the scan under its
// export name, with no dialog.
#include "app/CStrataviewView.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "panes/CChildWnd.h"

#include <QAbstractButton>
#include <QtTest/QTest>
#include <gtest/gtest.h>

namespace {

TEST(ViewExport3D, SaveWritesThePictureBesideTheScanWithoutADialog)
{
  const fixtures::DemoView demo{fixtures::DemoViewOptions().CountDialogs()};
  ASSERT_TRUE(demo.MakeDemo());
  demo.Frame().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&demo.Frame()));
  ASSERT_TRUE(demo.OpenFolder(demo.Folder()));
  QTest::qWait(50);
  CStrataviewView& view = demo.View();
  const std::vector<std::string>& messages = demo.Messages();

  const std::string older = demo.Scan().File("Demo_Image_3D.tif");
  ASSERT_TRUE(fixtures::WriteText(older, "older export"));
  view.findChild<QAbstractButton*>("IDC_BUTTON_3D_SAVE")->click();
  EXPECT_EQ(demo.DialogRequests(), 0);
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
