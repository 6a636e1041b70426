#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgExecutables.h"
#include "fixtures/DemoView.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "platform/Dialogs.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ListOf(int count)
{
  std::string xml = "<executables><version>4.0.0</version>";
  for (int i = 0; i < count; ++i)
    xml += "<executable><name>tool" + std::to_string(i) + "</name><argv>record.sh</argv><argv>[OCT]</argv>"
           "<argv_description/><argv_description>input</argv_description></executable>";
  return xml + "</executables>";
}

class ExecutablesDialog : public ::testing::Test {
protected:
  void SetUp() override { platform::SetExecutableDirForTests(m_Programs.Path().string()); }
  void TearDown() override { platform::SetExecutableDirForTests(""); }
  void WriteList(const std::string& text)
  {
    ASSERT_TRUE(fixtures::WriteText(m_Programs.File("Executables.xml"), text));
  }

  TempDir m_Programs;
  std::vector<std::string> m_Messages;
  const platform::ScopedMessageHook m_Hook{[this](const std::string& text, unsigned) {
    m_Messages.push_back(text);
    return int(platform::kIdOk);
  }};
};

TEST_F(ExecutablesDialog, RowsShowTheFirstFiveAndFailedListsEnableNothing)
{
  const struct {
    const char* what;
    std::string text;
    int shown;
    std::vector<std::string> messages;
  } cases[] = {
    {"three", ListOf(3), 3, {}},
    {"seven", ListOf(7), 5, {}},
    {"unreadable", "<executables>", 0, {"File error: 'Executables'"}},
    {"wrong root", "<grid><version>4.0.0</version></grid>", 0, {"This is not a 'Executables' xml file."}},
    {"old version", "<executables><version>3.0.0</version></executables>", 0,
     {"The XML version is lower than 4.0.0."}},
  };
  for (const auto& c : cases) {
    WriteList(c.text);
    m_Messages.clear();
    CDlgExecutables dialog(nullptr);
    EXPECT_EQ(m_Messages, c.messages) << c.what;
    for (int row = 0; row < CDlgExecutables::kRows; ++row) {
      EXPECT_EQ(dialog.RunButton(row)->isEnabled(), row < c.shown) << c.what << " row " << row;
      EXPECT_EQ(dialog.NameEdit(row)->text().toStdString(), row < c.shown ? "tool" + std::to_string(row) : "")
          << c.what << " row " << row;
    }
  }
}

// The dialog stays open over the reloaded view, so a second run reads the scan the view
// holds now.
TEST_F(ExecutablesDialog, TheViewsButtonRunsOnTheOpenScanAndReloadsItsResultsFolderAgainAndAgain)
{
  const fixtures::DemoView demo{fixtures::DemoViewOptions().KeepMessageHook()};
  ASSERT_TRUE(demo.MakeDemo());
  const std::string log = m_Programs.File("log");
  ASSERT_TRUE(fixtures::WriteText(m_Programs.File("record.sh"), "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + log + "'\n"));
  fs::permissions(m_Programs.File("record.sh"), fs::perms::owner_all);
  WriteList(ListOf(1));

  ASSERT_TRUE(demo.OpenFolder(demo.Folder()));
  CStrataviewView& view = demo.View();
  platform::SetExecutableDirForTests(m_Programs.Path().string());

  const platform::ScopedDialogHook runTwice([](const platform::DialogRequest& request, QDialog* dialog) {
    EXPECT_EQ(request.title, "CDlgExecutables");
    QPushButton* run = dialog->findChild<QPushButton*>("IDC_BUTTON_RUN1");
    run->click();
    run->click();
    return platform::DialogAnswer{};
  });
  view.MenuPanel()->Button(CDlgMenu::kExecutables)->click();
  const std::string results = (demo.Scan().Path() / "Demo_OCT").string();
  const std::string input = results + "/Demo_OCT_OCT_Vamo.mhd";
  EXPECT_EQ(fixtures::ReadAll(log), input + "\n" + input + "\n");
  EXPECT_EQ(view.GetScanFolder(), results);
  EXPECT_EQ(view.GetScanPath(), input);
  EXPECT_TRUE(view.GetDisplayedVolume().loaded);
  EXPECT_TRUE(m_Messages.empty()) << m_Messages.front();
}

// A program that crashes leaves the view on the scan it showed: its results folder is not
// opened as if it had made them.
TEST_F(ExecutablesDialog, AProgramThatCrashesIsReportedAndNothingIsReloaded)
{
  const fixtures::DemoView demo{fixtures::DemoViewOptions().KeepMessageHook()};
  ASSERT_TRUE(demo.MakeDemo());
  ASSERT_TRUE(fixtures::WriteText(m_Programs.File("record.sh"), "#!/bin/sh\nkill -ABRT $$\n"));
  fs::permissions(m_Programs.File("record.sh"), fs::perms::owner_all);
  WriteList(ListOf(1));
  ASSERT_TRUE(demo.OpenFolder(demo.Folder()));
  CStrataviewView& view = demo.View();
  const std::string scan = view.GetScanPath();
  platform::SetExecutableDirForTests(m_Programs.Path().string());

  const platform::ScopedDialogHook run([](const platform::DialogRequest&, QDialog* dialog) {
    QTest::mouseClick(dialog->findChild<QPushButton*>("IDC_BUTTON_RUN1"), Qt::LeftButton);
    return platform::DialogAnswer{};
  });
  view.MenuPanel()->Button(CDlgMenu::kExecutables)->click();
  EXPECT_EQ(m_Messages, std::vector<std::string>{"The executable ended with signal 6."});
  EXPECT_EQ(view.GetScanPath(), scan);
  EXPECT_EQ(view.GetScanFolder(), demo.Folder());
}

}  // namespace
