#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"
#include "platform/ColorRefQt.h"
#include "platform/Dialogs.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "platform/ShellOpen.h"
#include "platform/UserDataFolder.h"
#include "platform/WaitCursor.h"

#include <QApplication>
#include <QDialog>
#include <QProcess>
#include <QtTest/QTest>
#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <vector>

namespace {

class ProfileTest : public ::testing::Test {
protected:
  void SetUp() override { platform::Profile::SetFolderForTests(QString::fromStdString(m_Dir.Path().string())); }
  std::string IniText() const
  {
    return fixtures::ReadAll(m_Dir.File("Local AppWizard-Generated Applications/Strataview.ini"));
  }
  TempDir m_Dir;
};

TEST_F(ProfileTest, KeysRoundTripExactlyInTheSettingGroup)
{
  using platform::Profile;
  EXPECT_EQ(Profile::GetProfileInt("ColorCupR", 7), 7);
  EXPECT_EQ(Profile::GetProfileString("ExeVersion", "none"), "none");

  Profile::WriteProfileInt("ColorCupR", 255);
  Profile::WriteProfileInt("Negative", -3);
  Profile::WriteProfileInt("ShowSurface", 1);
  Profile::WriteProfileString("ExeVersion", "3.8.0");
  Profile::WriteProfileString("SampleFolder", "C:\\Data\\Sample");

  EXPECT_EQ(Profile::GetProfileInt("ColorCupR", 0), 255);
  EXPECT_EQ(Profile::GetProfileInt("Negative", 0), -3);
  EXPECT_EQ(Profile::GetProfileInt("ShowSurface", 0), 1);
  EXPECT_EQ(Profile::GetProfileString("ExeVersion", ""), "3.8.0");
  EXPECT_EQ(Profile::GetProfileString("SampleFolder", ""), "C:\\Data\\Sample");
  EXPECT_EQ(Profile::GetProfileInt("colorcupr", -1), -1) << "keys are case-sensitive";

  const std::string ini = IniText();
  EXPECT_NE(ini.find("[Setting]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("ColorCupR=255"), std::string::npos) << ini;
  EXPECT_NE(ini.find("ShowSurface=1"), std::string::npos) << "integers, never true/false: " << ini;
}

TEST_F(ProfileTest, IntegersReadLikeTheProfileFunctions)
{
  using platform::Profile;
  Profile::WriteProfileString("Text", "12abc");
  Profile::WriteProfileString("Word", "abc");
  EXPECT_EQ(Profile::GetProfileInt("Text", 0), 12);
  EXPECT_EQ(Profile::GetProfileInt("Word", 5), 0);
}

TEST(ColorRef, PacksRedFirst)
{
  EXPECT_EQ(platform::MakeColorRef(1, 2, 3), 0x030201u);
  const QColor c = platform::ToQColor(0x0000FFu);
  EXPECT_EQ(c, QColor(255, 0, 0));
  EXPECT_EQ(platform::ToColorRef(QColor(10, 20, 30)), platform::MakeColorRef(10, 20, 30));
}

TEST(Seams, MessageHookRecordsTextsAndAnswers)
{
  std::vector<std::string> seen;
  {
    const platform::ScopedMessageHook hook([&](const std::string& text, unsigned type) {
      seen.push_back(text);
      return type == platform::kMbYesNo ? platform::kIdNo : platform::kIdOk;
    });
    EXPECT_EQ(platform::ShowMessage("File error: 'Surfaces'"), platform::kIdOk);
    EXPECT_EQ(platform::ShowMessage("Save?", platform::kMbYesNo), platform::kIdNo);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"File error: 'Surfaces'", "Save?"}));
}

TEST(Seams, DialogHookScriptsChoosersAndModalDialogs)
{
  QDialog dialog;
  dialog.setObjectName("IDD_DLG_SAVE");
  std::vector<platform::DialogKind> kinds;
  const platform::ScopedDialogHook hook([&](const platform::DialogRequest& request, QDialog* modal) {
    kinds.push_back(request.kind);
    platform::DialogAnswer answer;
    answer.accepted = request.kind != platform::DialogKind::Modal || (modal && request.title == "IDD_DLG_SAVE");
    answer.path = "/data/scan_OCT.mhd";
    return answer;
  });
  EXPECT_EQ(platform::GetOpenFileName(nullptr, {}).path, "/data/scan_OCT.mhd");
  EXPECT_TRUE(platform::BrowseForFolder(nullptr, {}).accepted);
  EXPECT_EQ(platform::RunModal(dialog), platform::kIdOk);
  ASSERT_EQ(kinds.size(), 3u);
  EXPECT_EQ(kinds[0], platform::DialogKind::OpenFile);
  EXPECT_EQ(kinds[1], platform::DialogKind::BrowseFolder);
  EXPECT_EQ(kinds[2], platform::DialogKind::Modal);
}

TEST(Seams, WaitCursorEndsWithItsScope)
{
  {
    const platform::WaitCursor busy;
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The files the program writes go to the XDG data folder; an unset or relative
// $XDG_DATA_HOME (which the XDG rules say to ignore) means ~/.local/share.
TEST(UserDataFolder, FollowsTheXdgDataHome)
{
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  const struct {
    const char* dataHome;  // nullptr: unset
    std::string expected;
  } cases[] = {
    {"/data/home", "/data/home/strataview"},
    {"/data/home/", "/data/home/strataview"},
    {nullptr, home + "/.local/share/strataview"},
    {"", home + "/.local/share/strataview"},
    {"relative/share", home + "/.local/share/strataview"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dataHome ? c.dataHome : "(unset)");
    if (c.dataHome)
      ::setenv("XDG_DATA_HOME", c.dataHome, 1);
    else
      ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(platform::UserDataFolder(), c.expected);
  }
  ::unsetenv("XDG_DATA_HOME");
}

// The desktop's answer is xdg-open's exit status, which comes after it has looked for a
// program: a stand-in on PATH answers as xdg-open does where it finds one, none, or one that
// fails, and a PATH without xdg-open at all is no program either.
TEST(ShellOpen, ReportsWhatXdgOpenFoundOnceItHasEnded)
{
  TempDir bin;
  const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
  ::setenv("PATH", bin.Path().c_str(), 1);
  const struct {
    std::optional<int> exitStatus;  // nullopt: no xdg-open on PATH
    std::optional<platform::ShellOpenResult> reported;
  } cases[] = {
    {0, std::nullopt},
    {3, platform::ShellOpenResult::NoProgram},  // "no method available for opening …"
    {4, platform::ShellOpenResult::ProgramFailed},
    {std::nullopt, platform::ShellOpenResult::NoProgram},
  };
  const std::string script = bin.File("xdg-open");
  const std::string url = "file:///data/with space/Help.pdf";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exitStatus ? std::to_string(*c.exitStatus) : "no xdg-open");
    std::filesystem::remove(script);
    std::filesystem::remove(bin.File("opened"));
    if (c.exitStatus) {
      ASSERT_TRUE(fixtures::WriteText(script, "#!/bin/sh\nprintf '%s' \"$*\" >'" + bin.File("opened") + "'\nexit " +
                                                  std::to_string(*c.exitStatus) + "\n"));
      std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }
    std::optional<platform::ShellOpenResult> reported;
    platform::ShellOpen(url, [&reported](platform::ShellOpenResult result) { reported = result; });
    EXPECT_TRUE(QTest::qWaitFor(
      [] {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return qApp->findChild<QProcess*>() == nullptr;
      },
      20000))
      << "ended and reaped";
    EXPECT_EQ(reported, c.reported);
    if (c.exitStatus) {
      EXPECT_EQ(fixtures::ReadAll(bin.File("opened")), url) << "one argument, unchanged";
    }
  }
  ::setenv("PATH", path.c_str(), 1);
}

}  // namespace
