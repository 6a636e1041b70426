#include "data/LExecutableList.h"
#include "data/LOCTVolume.h"
#include "dialogs/ExecutableRun.h"
#include "model/LoadMessages.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/SharedFolder.h"
#include "fixtures/TempDir.h"
#include "fixtures/TreeSnapshot.h"
#include "platform/Messages.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

TEST(ExecutableInput, FolderTitleAndInputFollowTheScanName)
{
  const struct {
    const char* scan;
    const char* folder;
    const char* title;
    const char* input;
    bool preparedCopy;
  } cases[] = {
    {"/d/eye.vol", "/d/eye", "eye", "/d/eye/eye_OCT_Vamo.vol", false},
    {"/d/eye.NII.gz", "/d/eye", "eye", "/d/eye/eye_OCT_Vamo.NII.gz", false},
    {"/d/eye/eye_OCT_Vamo.vol", "/d/eye", "eye", "/d/eye/eye_OCT_Vamo.vol", true},
    {"/d/x_OCT_Vamo.d/eye.vol", "/d/x_OCT_Vamo.d/eye", "eye", "/d/x_OCT_Vamo.d/eye/eye_OCT_Vamo.vol", false},
    {"/d/a_OCT.ScanParameters.dat", "/d/a_OCT", "a_OCT", "/d/a_OCT/a_OCT_OCT_Vamo.ScanParameters.dat", false},
  };
  for (const auto& c : cases) {
    const ScanInput input = DeriveScanInput(c.scan);
    EXPECT_EQ(input.folder, c.folder) << c.scan;
    EXPECT_EQ(input.title, c.title) << c.scan;
    EXPECT_EQ(input.input, c.input) << c.scan;
    EXPECT_EQ(input.preparedCopy, c.preparedCopy) << c.scan;
  }
}

TEST(ExecutableBatch, PreparedCopiesAndDataFilesOfListedHeadersAreLeftOut)
{
  const struct {
    const char* what;
    std::vector<std::string> scans;
    std::vector<std::string> batch;
  } cases[] = {
    {"header pairs", {"/f/a.img", "/f/a.mhd", "/f/a.raw"}, {"/f/a.img", "/f/a.mhd"}},
    {"second batch",
     {"/f/a.nii.gz", "/f/a/a_OCT_Vamo.nii.gz", "/f/b.mhd", "/f/b.raw", "/f/b/b_OCT_Vamo.mhd",
      "/f/b/b_OCT_Vamo.raw", "/f/c/c_OCT_Vamo.vol"},
     {"/f/a.nii.gz", "/f/b.mhd", "/f/c/c_OCT_Vamo.vol"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BatchScans(c.scans), c.batch) << c.what;
}

// A folder of programs whose path holds blanks and quotes, a list of them, and a scan.
class ExecutableRun : public ::testing::Test {
protected:
  void SetUp() override
  {
    m_Programs = m_Dir.File("tools \"q\" $dir");
    m_Scans = m_Dir.File("scans; it's");
    fs::create_directories(m_Programs + "/bin");
    fs::create_directories(m_Scans);
    WriteProgram("record.sh", "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" >> '" + Log() + "'\n", fs::perms::owner_all);
    WriteProgram("plain.sh", "#!/bin/sh\nexit 0\n", fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(fixtures::WriteText(Scan(), "scan bytes"));
  }

  void WriteProgram(const std::string& name, const std::string& text, fs::perms perms)
  {
    const std::string path = m_Programs + "/bin/" + name;
    ASSERT_TRUE(fixtures::WriteText(path, text));
    fs::permissions(path, perms);
  }

  // One executable of the given arguments per entry; argv_description "input" when the
  // argument starts with '<'.
  void ReadList(const std::vector<std::vector<std::string>>& executables)
  {
    std::string xml = "<executables><version>4.0.0</version>";
    for (size_t i = 0; i < executables.size(); ++i) {
      xml += "<executable><name>tool" + std::to_string(i) + "</name>";
      for (const std::string& a : executables[i]) {
        const bool input = !a.empty() && a[0] == '<';
        xml += "<argv>" + std::string(input ? a.substr(1) : a) + "</argv><argv_description>" +
               (input ? "input" : "") + "</argv_description>";
      }
      xml += "</executable>";
    }
    const std::string path = m_Dir.File("Executables.xml");
    ASSERT_TRUE(fixtures::WriteText(path, xml + "</executables>"));
    ASSERT_EQ(m_List.Read(path), 0);
  }

  std::string Log() const { return m_Dir.File("log"); }
  std::string Scan() const { return m_Scans + "/my eye.vol"; }
  // A run on the scan that its prepared folder stops: one message naming the folder, no
  // folder reported, nothing started.
  void ExpectRefusedNaming(const std::string& scan, const std::string& preparedFolder)
  {
    m_Messages.clear();
    std::string folder = "unchanged";
    EXPECT_FALSE(RunOnScan(m_List, 0, m_Programs, scan, m_Volume, folder));
    EXPECT_EQ(folder, "unchanged");
    ASSERT_EQ(m_Messages.size(), 1u);
    EXPECT_NE(m_Messages[0].find(preparedFolder), std::string::npos) << m_Messages[0];
    EXPECT_FALSE(std::filesystem::exists(Log())) << "nothing was started";
  }
  std::vector<std::string> Logged() const
  {
    std::vector<std::string> lines;
    std::string text = fixtures::ReadAll(Log());
    for (size_t at; (at = text.find('\n')) != std::string::npos; text.erase(0, at + 1))
      lines.push_back(text.substr(0, at));
    return lines;
  }

  TempDir m_Dir;
  std::string m_Programs;
  std::string m_Scans;
  LExecutableList m_List;
  LOCTVolume m_Volume;
  std::vector<std::string> m_Messages;
  platform::ScopedMessageHook m_Hook{[this](const std::string& text, unsigned) {
    m_Messages.push_back(text);
    return int(platform::kIdOk);
  }};
};

TEST_F(ExecutableRun, ArgumentsArriveWholeAndTheResultsFolderIsTheScans)
{
  ReadList({{"bin/record.sh", "<[OCT]", "[OCT]_Surfaces_Vamo.xml", "--out=[OCT]_x.xml", "[oct]",
             "a \"b\" ; c", ""}});
  std::string folder;
  ASSERT_TRUE(RunOnScan(m_List, 0, m_Programs, Scan(), m_Volume, folder));
  const std::string results = m_Scans + "/my eye";
  EXPECT_EQ(folder, results);
  EXPECT_EQ(fixtures::ReadAll(results + "/my eye_OCT_Vamo.vol"), "scan bytes");
  EXPECT_EQ(Logged(), (std::vector<std::string>{m_Programs + "/bin/record.sh", results + "/my eye_OCT_Vamo.vol",
                                                  results + "/my eye_Surfaces_Vamo.xml",
                                                  "--out=" + results + "/my eye_x.xml", "[oct]", "a \"b\" ; c", ""}));
  EXPECT_TRUE(m_Messages.empty());
}

TEST_F(ExecutableRun, ProgramsThatCannotStartAreReportedOnTheOpenScan)
{
  const struct {
    const char* what;
    std::vector<std::string> argv;
    std::string message;
  } cases[] = {
    {"missing", {"bin/none", "[OCT]"}, "bin/none\" \"" + m_Scans + "/my eye/my eye_OCT_Vamo.vol\" '"},
    {"not executable", {"bin/plain.sh"}, "bin/plain.sh\" '"},
    {"a folder", {"bin"}, "bin\" '"},
    {"no arguments", {}, "\" '"},
  };
  for (const auto& c : cases) {
    ReadList({c.argv});
    m_Messages.clear();
    std::string folder = "unchanged";
    EXPECT_FALSE(RunOnScan(m_List, 0, m_Programs, Scan(), m_Volume, folder)) << c.what;
    EXPECT_EQ(folder, "unchanged") << c.what;
    EXPECT_EQ(m_Messages, std::vector<std::string>{"CreateProcess failed: '\"" + m_Programs + "/" + c.message})
        << c.what;
  }
}

// A program that crashes or ends with a status other than 0 has not made its results: the
// run says how it ended and gives no folder to load; a batch names each scan it failed on
// and goes on with the others.
TEST_F(ExecutableRun, AProgramThatFailsIsReportedAndItsResultsAreNotTaken)
{
  WriteProgram("status.sh", "#!/bin/sh\nexit 7\n", fs::perms::owner_all);
  WriteProgram("crash.sh", "#!/bin/sh\nkill -SEGV $$\n", fs::perms::owner_all);
  WriteProgram("picky.sh", "#!/bin/sh\ncase \"$1\" in *scan2*) exit 2;; esac\n", fs::perms::owner_all);
  const struct {
    const char* program;
    const char* message;
  } cases[] = {
    {"bin/status.sh", "The executable ended with exit status 7."},
    {"bin/crash.sh", "The executable ended with signal 11."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.program);
    ReadList({{c.program, "<[OCT]"}});
    m_Messages.clear();
    std::string folder = "unchanged";
    EXPECT_FALSE(RunOnScan(m_List, 0, m_Programs, Scan(), m_Volume, folder));
    EXPECT_EQ(folder, "unchanged");
    EXPECT_EQ(m_Messages, std::vector<std::string>{c.message});
  }

  ASSERT_TRUE(fixtures::WriteText(m_Scans + "/scan2.vol", "x"));
  ASSERT_TRUE(fixtures::WriteText(m_Scans + "/scan3.vol", "x"));
  ReadList({{"bin/picky.sh", "<[OCT]"}, {"bin/status.sh", "[OCT]"}});
  m_Messages.clear();
  RunOnFolder(m_List, 0, m_Programs, m_Scans);
  EXPECT_EQ(m_Messages, std::vector<std::string>{"'" + m_Scans + "/scan2.vol': The executable ended with exit status 2."});
  m_Messages.clear();
  RunOnFolder(m_List, 1, m_Programs, m_Scans);
  EXPECT_EQ(m_Messages, std::vector<std::string>{"'" + Scan() + "': The executable ended with exit status 7.\n'" +
                                                 m_Scans + "/scan2.vol': The executable ended with exit status 7.\n'" +
                                                 m_Scans + "/scan3.vol': The executable ended with exit status 7."});
}

TEST_F(ExecutableRun, AMissingInputStopsTheRunWithItsMessage)
{
  const std::vector<std::string> needsSurfaces{"bin/record.sh", "<[OCT]_Surfaces_Vamo.xml"};
  ReadList({needsSurfaces, needsSurfaces, needsSurfaces});
  const std::string missing = m_Scans + "/my eye/my eye_Surfaces_Vamo.xml";
  const std::string messages[] = {"'" + missing + "' does not exist.",
                                  "'" + missing + "' does not exist. Please first run 'tool0'.",
                                  "'" + missing + "' does not exist."};
  for (int k = 0; k < 3; ++k) {
    m_Messages.clear();
    std::string folder;
    EXPECT_FALSE(RunOnScan(m_List, k, m_Programs, Scan(), m_Volume, folder));
    EXPECT_EQ(m_Messages, std::vector<std::string>{messages[k]}) << k;
  }
  m_Messages.clear();
  ASSERT_TRUE(fixtures::WriteText(m_Dir.File("other.vol"), "x"));
  RunOnFolder(m_List, 1, m_Programs, m_Dir.Path().string());
  EXPECT_EQ(m_Messages.size(), 1u) << "the batch ends at the first scan";
  EXPECT_FALSE(fs::exists(Log())) << "nothing was started";
}

// In a shared folder a colleague may have put a link where a scan's results folder or its
// prepared copy goes, to have the program's input or results land elsewhere: the run stops
// with a message naming the folder, nothing is written through the link and nothing is
// started.
TEST_F(ExecutableRun, ALinkWhereThePreparedInputGoesStopsTheRun)
{
  ReadList({{"bin/record.sh", "<[OCT]"}});
  for (const std::string planted : {"eye", "eye/eye_OCT_Vamo.vol"}) {
    SCOPED_TRACE(planted);
    const SharedFolder shared;
    if (!shared.Ready())
      GTEST_SKIP() << SharedFolder::SkipReason();
    const TempDir elsewhere;
    ASSERT_TRUE(fixtures::WriteText(shared.File("eye.vol"), "scan bytes"));
    if (planted != "eye") {
      fs::create_directory(shared.Path() / "eye");
      fs::permissions(shared.Path() / "eye", fs::perms::all);
    }
    ASSERT_TRUE(shared.PlantLink(planted, planted == "eye" ? elsewhere.Path() : elsewhere.Path() / "copy.vol"));
    // Her link at the folder's name, or a folder she may write: the folder is refused.
    ExpectRefusedNaming(shared.File("eye.vol"), shared.File("eye"));
    EXPECT_TRUE(fs::is_empty(elsewhere.Path()));
  }
}

// The folder where the prepared input goes is one the program made for the user, or one of
// the user's that nobody else may write: a colleague's folder under that name (which she
// could change before the program reads it), or the user's folder open to others, stops
// the run with a message naming it; nothing is written there and nothing is started.
TEST_F(ExecutableRun, ThePreparedFolderIsTheUsersAlone)
{
  ReadList({{"bin/record.sh", "<[OCT]"}});
  for (const bool hers : {true, false}) {
    SCOPED_TRACE(hers ? "her folder" : "the user's folder that others may write");
    const SharedFolder shared(0775);
    if (!shared.Ready())
      GTEST_SKIP() << SharedFolder::SkipReason();
    ASSERT_TRUE(fixtures::WriteText(shared.File("eye.vol"), "scan bytes"));
    if (hers) {
      ASSERT_TRUE(shared.PlantFolder("eye"));
    } else {
      fs::create_directory(shared.Path() / "eye");
      fs::permissions(shared.Path() / "eye", fs::perms::all);
    }
    ExpectRefusedNaming(shared.File("eye.vol"), shared.File("eye"));
    EXPECT_TRUE(fs::is_empty(shared.Path() / "eye"));
  }
}

// Whether no folder of the colleague's below the folder holds anything: what the program
// writes never lands where she could change it.
bool HerFoldersAreEmpty(const fs::path& folder)
{
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    if (entry.is_directory() && !entry.is_symlink() && OwnerOf(entry.path()) == SharedFolder::kColleague &&
        !fs::is_empty(entry.path()))
      return false;
  return true;
}

// The user's prepared folder lies in a folder others may write, without the sticky bit: a
// colleague may rename it away and put a link to a private folder of the user's, or a folder
// of her own, in its place, again and again, while the inputs are prepared (a copied scan,
// and a header with its data file written anew). Each goes into the user's own folder,
// wherever it has gone, or is refused: the private folder never changes, and her folder
// receives nothing she could change before the program reads it.
TEST_F(ExecutableRun, APreparedFolderSwappedWhileInputsArePreparedIsNeverRedirected)
{
  const SharedFolder shared(0775);
  if (!shared.Ready())
    GTEST_SKIP() << SharedFolder::SkipReason();
  const TempDir mine;
  fs::permissions(mine.Path(), fs::perms::owner_all);
  ASSERT_TRUE(fixtures::WriteText(mine.File("eye_OCT_Vamo.vol"), "precious"));
  const std::string before = fixtures::TreeSnapshot(mine.Path());
  const int size[3] = {4, 3, 2};
  const float spacing[3] = {0.1f, 0.1f, 0.1f};
  ASSERT_EQ(m_Volume.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityOD, CenterMacula), 0);
  std::fill(m_Volume.Voxels(), m_Volume.Voxels() + m_Volume.VoxelCount(), 7);
  const struct {
    const char* what;
    std::function<std::unique_ptr<FolderSwapper>()> swap;
  } kSwaps[] = {
      {"a link to a private folder", [&] { return std::make_unique<FolderSwapper>(shared, "eye", mine.Path()); }},
      {"a folder of hers", [&] { return std::make_unique<FolderSwapper>(shared, "eye", FolderSwapper::ForHers{"hers"}); }},
  };
  const struct {
    const char* scan;
    const LOCTVolume* volume;
  } kInputs[] = {{"eye.vol", nullptr}, {"eye.mhd", &m_Volume}};
  for (const auto& swap : kSwaps) {
    for (const auto& input : kInputs) {
      SCOPED_TRACE(std::string(swap.what) + ", " + input.scan);
      for (const char* name : {"eye", "eye.real", "hers"})
        fs::remove_all(shared.Path() / name);
      ASSERT_TRUE(fixtures::WriteText(shared.File(input.scan), "scan bytes"));
      const ScanInput prepared = DeriveScanInput(shared.File(input.scan));
      ASSERT_TRUE(PrepareScanInput(shared.File(input.scan), prepared, input.volume)) << "the folder is the user's";
      int written = 0;
      {
        const std::unique_ptr<FolderSwapper> swapper = swap.swap();
        ASSERT_TRUE(swapper->Running());
        for (int round = 0; round < 150; ++round)
          written += PrepareScanInput(shared.File(input.scan), prepared, input.volume) ? 1 : 0;
      }
      EXPECT_EQ(fixtures::TreeSnapshot(mine.Path()), before);
      EXPECT_TRUE(HerFoldersAreEmpty(shared.Path()));
      EXPECT_GT(written, 0) << "some found the user's own folder";
    }
  }
}

TEST_F(ExecutableRun, AFolderRunVisitsEveryScanOnceInNaturalOrder)
{
  for (const char* name : {"scan10.vol", "scan2.vol", "sub/Scan1.vol", "notes.txt"}) {
    fs::create_directories(fs::path(m_Scans + "/" + name).parent_path());
    ASSERT_TRUE(fixtures::WriteText(m_Scans + "/" + name, name));
  }
  // A colleague's link that leads out of the folder (to a private scan, say) is not one of
  // its scans (only root may give a link away; a link of the user's own would be followed).
  const TempDir elsewhere;
  ASSERT_TRUE(fixtures::WriteText(elsewhere.File("private.vol"), "private scan"));
  const std::string linked = m_Scans + "/linked.vol";
  fs::create_symlink(elsewhere.File("private.vol"), linked);
  if (::lchown(linked.c_str(), SharedFolder::kColleague, SharedFolder::kColleague) != 0)
    fs::remove(linked);
  ReadList({{"bin/record.sh", "<[OCT]"}, {"bin/none", "[OCT]"}});
  const std::vector<std::string> runs{m_Scans + "/my eye/my eye_OCT_Vamo.vol", m_Scans + "/scan2/scan2_OCT_Vamo.vol",
                                      m_Scans + "/scan10/scan10_OCT_Vamo.vol",
                                      m_Scans + "/sub/Scan1/Scan1_OCT_Vamo.vol"};
  for (int batch = 0; batch < 2; ++batch) {
    fs::remove(Log());
    RunOnFolder(m_List, 0, m_Programs, m_Scans);
    std::vector<std::string> inputs;
    const std::vector<std::string> logged = Logged();
    for (size_t i = 1; i < logged.size(); i += 2)
      inputs.push_back(logged[i]);
    EXPECT_EQ(inputs, runs) << "batch " << batch;
  }
  EXPECT_FALSE(fs::exists(m_Scans + "/linked")) << "no copy of the private scan";
  RunOnFolder(m_List, 1, m_Programs, m_Scans);
  EXPECT_TRUE(m_Messages.empty()) << "a program that cannot start is skipped silently";
}

}  // namespace
