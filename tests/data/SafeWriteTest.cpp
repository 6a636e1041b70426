#include "data/AtomicFile.h"
#include "data/FileApproval.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
