#include "data/AtomicFile.h"
#include "data/FileApproval.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/SharedFolder.h"
#include "fixtures/SmallDisk.h"
#include "fixtures/TempDir.h"

#include <filesystem>
#include <set>
#include <gtest/gtest.h>
#include <csignal>
#include <ctime>
#include <sys/time.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr auto kUser = writetarget::WriteOrigin::kUser;
constexpr auto kProgram = writetarget::WriteOrigin::kProgram;

size_t EntriesIn(const std::filesystem::path& folder)
{
  size_t n = 0;
  for (auto it = std::filesystem::directory_iterator(folder); it != std::filesystem::directory_iterator(); ++it)
    ++n;
  return n;
}

TEST(AtomicFile, ReplacesTheTargetAndKeepsItsMode)
{
  const TempDir dir;
  const std::string target = dir.File("a.xml");
  ASSERT_TRUE(fixtures::WriteText(target, "old"));
  ::chmod(target.c_str(), 0640);

  EXPECT_EQ(WriteFileAtomically(target, "new contents", kUser), 0);
  EXPECT_EQ(fixtures::ReadAll(target), "new contents");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(EntriesIn(dir.Path()), 1u) << "no temporary file is left behind";
}

TEST(AtomicFile, FailureKeepsTheOldFile)
{
  const TempDir dir;
  // A target in a missing folder, and a target that is a folder: both must fail cleanly.
  EXPECT_EQ(WriteFileAtomically(dir.File("missing/a.xml"), "x", kUser), -1);
  std::filesystem::create_directory(dir.Path() / "folder");
  ASSERT_TRUE(fixtures::WriteText(dir.File("folder/inside"), "kept"));
  EXPECT_EQ(WriteFileAtomically(dir.File("folder"), "x", kUser), -1);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "folder"));
  EXPECT_EQ(fixtures::ReadAll(dir.File("folder/inside")), "kept");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u) << "no temporary file is left behind";
}

TEST(AtomicFile, UncommittedWriteLeavesNoTrace)
{
  const TempDir dir;
  const std::string target = dir.File("a.txt");
  ASSERT_TRUE(fixtures::WriteText(target, "old"));
  {
    AtomicFile file(target, kProgram);
    EXPECT_TRUE(file.Write("half"));
  }
  EXPECT_EQ(fixtures::ReadAll(target), "old");
  EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

// A result name may take nearly all of the 255 bytes a name can have: the temporary beside
// it must not need more.
TEST(AtomicFile, NamesUpToTheLongestAreWritten)
{
  for (const size_t length : {size_t(248), size_t(255)}) {
    SCOPED_TRACE(length);
    const TempDir dir;
    const std::string name = "e_Markers_" + std::string(length - 14, 'm') + ".xml";
    ASSERT_EQ(name.size(), length);
    EXPECT_EQ(WriteFileAtomically(dir.File(name), "text", kProgram), 0);
    EXPECT_EQ(fixtures::ReadAll(dir.File(name)), "text");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
  }
}

// A save over the user's own link keeps it a link: the file it names (through a chain,
// relative or absolute, into another folder) takes the new contents, and a dangling link
// gets its file created.
TEST(AtomicFile, SavingOverTheUsersOwnLinkWritesTheFileItNames)
{
  const TempDir dir;
  std::filesystem::create_directory(dir.Path() / "real");
  ASSERT_TRUE(fixtures::WriteText(dir.File("real/a.xml"), "old"));
  std::filesystem::create_symlink("real/a.xml", dir.Path() / "hop.xml");
  std::filesystem::create_symlink(dir.Path() / "hop.xml", dir.Path() / "a.xml");
  std::filesystem::create_symlink("real/new.xml", dir.Path() / "dangling.xml");

  EXPECT_EQ(WriteFileAtomically(dir.File("a.xml"), "new", kUser), 0);
  EXPECT_EQ(WriteFileAtomically(dir.File("dangling.xml"), "created", kUser), 0);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "a.xml"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "hop.xml"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.Path() / "dangling.xml"));
  EXPECT_EQ(fixtures::ReadAll(dir.File("real/a.xml")), "new");
  EXPECT_EQ(fixtures::ReadAll(dir.File("real/new.xml")), "created");
  EXPECT_EQ(EntriesIn(dir.Path() / "real"), 2u) << "no temporary is left beside the file";
}

// On a full disk the write fails, the old file keeps every byte and no temporary stays.
TEST(AtomicFile, AFullDiskKeepsTheOldFile)
{
  const SmallDisk disk;
  if (!disk.Mounted())
    GTEST_SKIP() << SmallDisk::SkipReason();
  const std::string target = disk.File("e_Markers_Vamo.xml");
  ASSERT_TRUE(fixtures::WriteText(target, "old markers"));
  ASSERT_TRUE(disk.FillLeaving(0));
  EXPECT_EQ(WriteFileAtomically(target, std::string(64 * 1024, 'x'), kUser), -1);
  EXPECT_EQ(fixtures::ReadAll(target), "old markers");
  EXPECT_EQ(EntriesIn(disk.Path()), 2u) << "the file and the filler alone";
}

// A process killed in the middle of a save leaves the old file whole and at most a hidden
// temporary with a short name, which no folder scan takes for a result.
TEST(AtomicFile, AKilledSaveLeavesTheOldFileAndAHiddenTemporary)
{
  const TempDir dir;
  const std::string target = dir.File("e_Surfaces_Vamo.xml");
  ASSERT_TRUE(fixtures::WriteText(target, "old"));
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    AtomicFile file(target, kProgram);
    (void)file.Write("half of the new");
    ::raise(SIGKILL);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(fixtures::ReadAll(target), "old");
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
    const std::string name = entry.path().filename().string();
    if (name != "e_Surfaces_Vamo.xml") {
      EXPECT_EQ(name.rfind(".sv-", 0), 0u) << name;
    }
  }
}

// In a folder others can write, a link under the written name may have been planted to
// make the program overwrite someone's file. Files the program makes on its own never go
// through a link; a save the user asked for follows a link only when it is the user's own,
// in any folder, so the user's own links keep working. Whatever is refused leaves the link
// and its file alone.
TEST(AtomicFile, LinksInAFolderOthersCanWrite)
{
  const struct {
    const char* what;
    mode_t folderMode;
    bool colleagueLink;   // planted by the colleague, else made by the user
    bool colleagueOwnsFolder;
    writetarget::WriteOrigin origin;
    bool followed;
  } kCases[] = {
      {"save over a colleague's link in a sticky shared folder", 01775, true, false, kUser, false},
      {"the same in a sticky world-writable folder", 01777, true, false, kUser, false},
      {"save over the user's own link there", 01775, false, false, kUser, true},
      {"save over the folder owner's link", 01775, true, true, kUser, false},
      {"save over a colleague's link in a folder that is not sticky", 0775, true, false, kUser, false},
      {"save over the user's own link in a folder that is not sticky", 0775, false, false, kUser, true},
      {"the program's own file over a colleague's link", 01775, true, false, kProgram, false},
      {"the program's own file over the user's own link", 01775, false, false, kProgram, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const SharedFolder shared(c.folderMode);
    if (!shared.Ready())
      GTEST_SKIP() << SharedFolder::SkipReason();
    const TempDir elsewhere;
    const std::string victim = elsewhere.File("precious.xml");
    ASSERT_TRUE(fixtures::WriteText(victim, "precious"));
    if (c.colleagueLink) {
      ASSERT_TRUE(shared.PlantLink("s_Markers_Vamo.xml", victim));
    } else {
      std::filesystem::create_symlink(victim, shared.Path() / "s_Markers_Vamo.xml");
    }
    if (c.colleagueOwnsFolder) {
      ASSERT_TRUE(shared.GiveToColleague());
    }
    const std::string target = shared.File("s_Markers_Vamo.xml");

    EXPECT_EQ(WriteFileAtomically(target, "new", c.origin), c.followed ? 0 : -1);
    EXPECT_EQ(fixtures::ReadAll(victim), c.followed ? "new" : "precious");
    EXPECT_TRUE(std::filesystem::is_symlink(target)) << "the link itself stays";
    EXPECT_EQ(EntriesIn(shared.Path()), 1u) << "no temporary is left";
    EXPECT_EQ(EntriesIn(elsewhere.Path()), 1u);
  }
}

// A name that is not a regular file (a planted pipe, a folder) is never written, and a
// dangling link of a colleague's gets no file created where it points.
TEST(AtomicFile, NamesThatAreNotFilesAreRefused)
{
  const SharedFolder shared;
  if (!shared.Ready())
    GTEST_SKIP() << SharedFolder::SkipReason();
  const TempDir elsewhere;
  ASSERT_TRUE(shared.PlantPipe("s_Vessel_Vamo.vtk"));
  ASSERT_TRUE(shared.PlantLink("s_Splines_Vamo.xml", elsewhere.Path() / "created.xml"));
  for (const auto origin : {kUser, kProgram}) {
    EXPECT_EQ(WriteFileAtomically(shared.File("s_Vessel_Vamo.vtk"), "x", origin), -1);
    EXPECT_EQ(WriteFileAtomically(shared.File("s_Splines_Vamo.xml"), "x", origin), -1);
  }
  EXPECT_FALSE(std::filesystem::exists(elsewhere.Path() / "created.xml"));
  EXPECT_EQ(EntriesIn(shared.Path()), 2u);
}

// Temporaries of this user that a killed save or download left more than a day ago go when
// the folder is next written; younger ones (a save still running) and other users' stay.
TEST(AtomicFile, TemporariesOlderThanADayAreRemovedAtTheNextWrite)
{
  const SharedFolder shared;
  if (!shared.Ready())
    GTEST_SKIP() << SharedFolder::SkipReason();
  const auto makeOld = [](const std::string& path) {
    const struct timeval twoDaysAgo[2] = {{std::time(nullptr) - 2 * 86400, 0}, {std::time(nullptr) - 2 * 86400, 0}};
    return ::lutimes(path.c_str(), twoDaysAgo) == 0;
  };
  ASSERT_TRUE(fixtures::WriteText(shared.File(".sv-aB3dE6"), "killed save"));
  ASSERT_TRUE(makeOld(shared.File(".sv-aB3dE6")));
  std::filesystem::create_directory(shared.Path() / ".sv-Dir123");  // a staged write's folder
  ASSERT_TRUE(fixtures::WriteText(shared.File(".sv-Dir123/s_Vessel_Vamo.raw"), "half"));
  ASSERT_TRUE(makeOld(shared.File(".sv-Dir123")));
  ASSERT_TRUE(fixtures::WriteText(shared.File(".sv-young1"), "running save"));
  ASSERT_TRUE(shared.PlantLink(".sv-Other1", "/nonexistent"));
  ASSERT_TRUE(makeOld(shared.File(".sv-Other1")));
  ASSERT_TRUE(fixtures::WriteText(shared.File(".sv-keeps-longer-name"), "not ours"));
  ASSERT_TRUE(makeOld(shared.File(".sv-keeps-longer-name")));

  ASSERT_EQ(WriteFileAtomically(shared.File("s_Markers_Vamo.xml"), "markers", kUser), 0);
  std::set<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(shared.Path()))
    left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{".sv-young1", ".sv-Other1", ".sv-keeps-longer-name", "s_Markers_Vamo.xml"}));
}

TEST(FileApproval, WriteBitsAreTheApproval)
{
  const TempDir dir;
  const std::string file = dir.File("s.xml");
  EXPECT_FALSE(approval::IsApproved(file));
  EXPECT_TRUE(approval::MayOverwrite(file));
  ASSERT_TRUE(fixtures::WriteText(file, "x"));
  ::chmod(file.c_str(), 0644);
  EXPECT_FALSE(approval::IsApproved(file));

  ASSERT_TRUE(approval::SetApproved(file, true));
  struct stat st {};
  ::stat(file.c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0444u);
  EXPECT_TRUE(approval::IsApproved(file));
  EXPECT_FALSE(approval::MayOverwrite(file)) << "holds for root too, who ignores the bits";

  ::chmod(file.c_str(), 0404);  // read bits alone: still approved
  EXPECT_TRUE(approval::IsApproved(file));
  ::chmod(file.c_str(), 0424);  // a group write bit withdraws approval
  EXPECT_FALSE(approval::IsApproved(file));

  ASSERT_TRUE(approval::SetApproved(file, true));
  ASSERT_TRUE(approval::SetApproved(file, false));
  EXPECT_FALSE(approval::IsApproved(file));
  EXPECT_FALSE(approval::SetApproved(dir.File("none"), true));
}

}  // namespace
