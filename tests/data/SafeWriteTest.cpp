#include "data/AtomicFile.h"
#include "data/FileApproval.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/SmallDisk.h"
#include "fixtures/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

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

  EXPECT_EQ(WriteFileAtomically(target, "new contents"), 0);
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
  EXPECT_EQ(WriteFileAtomically(dir.File("missing/a.xml"), "x"), -1);
  std::filesystem::create_directory(dir.Path() / "folder");
  ASSERT_TRUE(fixtures::WriteText(dir.File("folder/inside"), "kept"));
  EXPECT_EQ(WriteFileAtomically(dir.File("folder"), "x"), -1);
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
    AtomicFile file(target);
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
    EXPECT_EQ(WriteFileAtomically(dir.File(name), "text"), 0);
    EXPECT_EQ(fixtures::ReadAll(dir.File(name)), "text");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
  }
}

// A link keeps being a link: the file it names (through a chain, relative or absolute,
// into another folder) takes the new contents, and a dangling link gets its file created.
TEST(AtomicFile, WritingOverALinkWritesTheFileItNames)
{
  const TempDir dir;
  std::filesystem::create_directory(dir.Path() / "real");
  ASSERT_TRUE(fixtures::WriteText(dir.File("real/a.xml"), "old"));
  std::filesystem::create_symlink("real/a.xml", dir.Path() / "hop.xml");
  std::filesystem::create_symlink(dir.Path() / "hop.xml", dir.Path() / "a.xml");
  std::filesystem::create_symlink("real/new.xml", dir.Path() / "dangling.xml");

  EXPECT_EQ(WriteFileAtomically(dir.File("a.xml"), "new"), 0);
  EXPECT_EQ(WriteFileAtomically(dir.File("dangling.xml"), "created"), 0);
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
  EXPECT_EQ(WriteFileAtomically(target, std::string(64 * 1024, 'x')), -1);
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
    AtomicFile file(target);
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
