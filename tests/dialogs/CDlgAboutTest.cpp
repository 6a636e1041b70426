#include "app/CDlgMenu.h"
#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgAbout.h"
#include "dialogs/LStatic.h"
#include "fixtures/TempDir.h"
#include "platform/Dialogs.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "platform/ShellOpen.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// An About box beside a program folder of its own, with every message and every opened
// address recorded.
class CDlgAboutTest : public ::testing::Test {
protected:
  CDlgAboutTest() { platform::SetExecutableDirForTests(m_ExeDir.Path().string() + "/"); }

  void Click(CDlgAbout& about, int id) { qobject_cast<QAbstractButton*>(about.Control(id))->click(); }

  TempDir m_ExeDir;
  std::vector<std::string> m_Messages;
  std::vector<std::string> m_Opened;
  platform::ShellOpenResult m_OpenResult = platform::ShellOpenResult::Opened;
  const platform::ScopedMessageHook m_MessageHook{[this](const std::string& text, unsigned) {
    m_Messages.push_back(text);
    return platform::kIdOk;
  }};
  const platform::ScopedShellOpenHook m_OpenHook{[this](const std::string& url) {
    m_Opened.push_back(url);
    return m_OpenResult;
  }};
};

TEST_F(CDlgAboutTest, ShowsTheCreditsTheNoteInGreenAndThePictureTips)
{
  CDlgAbout about;
  about.creditsText = "Strataview, Version: 3.8.0";
  about.show();

  EXPECT_EQ(about.windowTitle(), "About");
  EXPECT_EQ(qobject_cast<QLabel*>(about.Control(CDlgAbout::kCredits))->text(), "Strataview, Version: 3.8.0");
  auto* note = qobject_cast<LStatic*>(about.Control(CDlgAbout::kNote));
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->text(), "A new coordinate system for output data is used from version 3.8.0. "
                          "Please click 'Help' button for more information.");
  EXPECT_EQ(note->TextColor(), 0u);
  EXPECT_EQ(note->grab().toImage().pixelColor(1, 1), QColor(0, 255, 0));
  EXPECT_EQ(about.Control(CDlgAbout::kProgramPage)->toolTip(), "Strataview");
  EXPECT_FALSE(about.Control(CDlgAbout::kSecondSite)->toolTip().isEmpty());
  EXPECT_FALSE(about.Control(CDlgAbout::kMakerSite)->toolTip().isEmpty());
  EXPECT_EQ(about.exeFolder, m_ExeDir.Path().string()) << "no trailing slash";
}

TEST_F(CDlgAboutTest, PicturesOpenTheirWebPages)
{
  const std::pair<int, const char*> links[] = {{CDlgAbout::kProgramPage, "https://www.strataview.org/vamo-reference-algorithms/"},
                                               {CDlgAbout::kSecondSite, "https://www.octreference.org/"},
                                               {CDlgAbout::kMakerSite, "https://www.strataview.org/"}};
  CDlgAbout about;
  for (const auto& [id, url] : links) {
    m_Opened.clear();
    Click(about, id);
    EXPECT_EQ(m_Opened, std::vector<std::string>{url}) << id;
  }
  EXPECT_TRUE(m_Messages.empty());

  m_OpenResult = platform::ShellOpenResult::NoProgram;
  Click(about, CDlgAbout::kMakerSite);
  ASSERT_EQ(m_Messages.size(), 1u) << "a page the desktop cannot open is said";
  EXPECT_EQ(m_Messages[0], "Cannot open https://www.strataview.org/: no web browser is installed.");
}

TEST_F(CDlgAboutTest, HelpOpensTheDocumentBesideTheProgramOrSaysItIsMissing)
{
  CDlgAbout about;
  about.show();
  const QRect noteBefore = about.Control(CDlgAbout::kNote)->geometry();
  Click(about, CDlgAbout::kHelp);
  EXPECT_TRUE(m_Opened.empty());
  ASSERT_EQ(m_Messages.size(), 1u);
  EXPECT_NE(m_Messages[0].find(m_ExeDir.File("Help.pdf")), std::string::npos) << m_Messages[0];
  EXPECT_EQ(about.Control(CDlgAbout::kNote)->geometry(), noteBefore);
  EXPECT_TRUE(about.isVisible());

  m_Messages.clear();
  std::ofstream(m_ExeDir.File("Help.pdf")) << "%PDF-1.4\n";
  Click(about, CDlgAbout::kHelp);
  EXPECT_EQ(m_Opened, std::vector<std::string>{"file://" + m_ExeDir.File("Help.pdf")});
  EXPECT_TRUE(m_Messages.empty());

  // Where nothing opens PDF files (or the viewer refuses it), the message names the file and why.
  const std::pair<platform::ShellOpenResult, std::string> failures[] = {
    {platform::ShellOpenResult::NoProgram, ": no program for PDF files is installed."},
    {platform::ShellOpenResult::ProgramFailed, ": the program for PDF files could not open it."}};
  for (const auto& [result, reason] : failures) {
    m_OpenResult = result;
    m_Messages.clear();
    Click(about, CDlgAbout::kHelp);
    EXPECT_EQ(m_Messages, std::vector<std::string>{"Cannot open the help document " + m_ExeDir.File("Help.pdf") + reason});
  }
}

// How a control moves (x, y) and grows (width, height) with the dialog: 0 or 1 of each change.
struct Follow {
  int id;
  int x, y, width, height;
};

TEST_F(CDlgAboutTest, ControlsFollowTheEdgesAndTheMinimumSizeHolds)
{
  const Follow follows[] = {
    {CDlgAbout::kProgramPage, 0, 0, 0, 0}, {CDlgAbout::kCredits, 0, 0, 1, 0}, {CDlgAbout::kNote, 0, 1, 1, 0},
    {CDlgAbout::kSecondSite, 0, 1, 0, 0},  {CDlgAbout::kMakerSite, 1, 1, 0, 0}, {CDlgAbout::kHelp, 0, 1, 0, 0},
    {CDlgAbout::kClose, 1, 1, 0, 0}};
  CDlgAbout about;
  about.show();
  const QSize sizes[] = {{1000, 700}, {1100, 760}, {800, 400}};  // grown, then shrunk
  for (size_t step = 1; step < std::size(sizes); ++step) {
    about.resize(sizes[step - 1]);
    std::vector<QRect> before;
    for (const Follow& f : follows)
      before.push_back(about.Control(f.id)->geometry());
    about.resize(sizes[step]);
    const QSize change = sizes[step] - sizes[step - 1];
    for (size_t i = 0; i < std::size(follows); ++i) {
      const Follow& f = follows[i];
      const QRect expected(before[i].x() + f.x * change.width(), before[i].y() + f.y * change.height(),
                           before[i].width() + f.width * change.width(), before[i].height() + f.height * change.height());
      EXPECT_EQ(about.Control(f.id)->geometry(), expected) << "control " << f.id << ", step " << step;
    }
  }

  about.resize(300, 200);
  EXPECT_EQ(about.frameGeometry().size(), QSize(764, 384)) << "smaller than the minimum is refused";
}

TEST(AboutButtonTest, RunsTheAboutBoxWithTheProgramVersion)
{
  TempDir profile;
  platform::Profile::SetFolderForTests(QString::fromStdString(profile.Path().string()));
  platform::SetExecutableDirForTests(STRATAVIEW_SOURCE_DIR "/res");
  CMainFrame frame;
  CStrataviewView& view = *frame.View();
  view.OnInitialUpdate();

  std::string credits;
  const platform::ScopedDialogHook answer([&](const platform::DialogRequest& request, QDialog* dialog) {
    if (request.title == "CDlgAbout")
      credits = static_cast<CDlgAbout*>(dialog)->creditsText;
    return platform::DialogAnswer{};
  });
  view.MenuPanel()->Button(CDlgMenu::kAbout)->click();
  EXPECT_NE(credits.find("Strataview, Version: 3.8.0, Date: "), std::string::npos) << credits;
}

}  // namespace
