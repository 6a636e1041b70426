// What a colleague who can write a lab folder plants there cannot turn the program's writes
// against its user: every way a file is written (a file written whole as the user's save or
// as the program's own, a label volume staged through the toolkit, the folder the program
// prepares) meets every kind of planted thing, in a shared folder with and without the
// sticky bit. Each write returns, names the path it refuses, and leaves every file outside
// what the user chose as it was; a folder swapped for a link while saves repeat redirects
// none of them.
#include "data/AtomicFile.h"
#include "data/LOCTVolume.h"
#include "data/WriteTarget.h"
#include "fixtures/FaultyFolder.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/SharedFolder.h"
#include "fixtures/TempDir.h"
#include "fixtures/TreeSnapshot.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr auto kUser = writetarget::WriteOrigin::kUser;
constexpr auto kProgram = writetarget::WriteOrigin::kProgram;

// A write of one road to a path: "" when it went through, else the reason it gives.
using Road = std::function<std::string(const std::string& path)>;

std::string WriteWhole(const std::string& path, writetarget::WriteOrigin origin)
{
  AtomicFile file(path, origin);
  file.Write("written");
  return file.Commit() ? "" : file.Failure().Text();
}

// The reasons a toolkit write prints are not kept here: a refusal is seen in the result.
std::string WriteVolume(const std::string& path, writetarget::WriteOrigin origin)
{
  LOCTVolume volume;
  const int size[3] = {4, 3, 2};
  const float spacing[3] = {0.1f, 0.1f, 0.1f};
  if (volume.CreateVolume(size, FormatMetaImage, spacing, 1, LateralityOD, CenterMacula) != 0)
    return "no volume";
  return volume.WriteMetaImage(path, origin) == 0 ? "" : "refused";
}

struct NamedRoad {
  const char* what;
  Road write;
  const char* name;   // the name it writes
  bool namesThePath;  // its reason names the refused path
  bool makesAFolder;
};

const NamedRoad kRoads[] = {
    {"a save the user asked for", [](const std::string& p) { return WriteWhole(p, kUser); }, "s.xml", true, false},
    {"a file the program makes", [](const std::string& p) { return WriteWhole(p, kProgram); }, "s.xml", true, false},
    {"a label volume with its data file", [](const std::string& p) { return WriteVolume(p, kUser); }, "s.mhd", false,
     false},
    {"a volume the program writes (an imported image stack)",
     [](const std::string& p) { return WriteVolume(p, kProgram); }, "s.mhd", false, false},
    {"the folder the program prepares",
     [](const std::string& p) {
       const writetarget::WriteFailure failure = writetarget::MakeOwnFolder(p);
       return failure.IsSet() ? failure.Text() : "";
     },
     "s.xml", true, true},
};

mode_t NewFileMode()
{
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The user's private folder (0700) with a file in it: what a planted link aims at.
class PrivateCanary {
public:
  PrivateCanary()
  {
    ::chmod(m_Dir.Path().c_str(), 0700);
    std::filesystem::create_directory(m_Dir.Path() / "sub");
    for (const char* name : {"s.xml", "s.mhd", "s.raw", "sub/s.xml", "sub/s.mhd", "sub/s.raw"})
      fixtures::WriteText(m_Dir.File(name), "precious");
    m_Before = fixtures::TreeSnapshot(m_Dir.Path());
  }
  const std::filesystem::path& Path() const { return m_Dir.Path(); }
  std::string File(const std::string& name) const { return m_Dir.File(name); }
  bool Unchanged() const { return fixtures::TreeSnapshot(m_Dir.Path()) == m_Before; }

private:
  TempDir m_Dir;
  std::string m_Before;
};

enum class Planted { kPipe, kSocket, kFolder, kColleaguesLink, kHardLinkToHers, kHerFile };

struct PlantedCase {
  const char* what;
  Planted planted;
  bool refused;     // for writes of files; the prepared folder is refused in every case
  const char* reason;
};

const PlantedCase kPlanted[] = {
    {"a named pipe", Planted::kPipe, true, "pipe"},
    {"a socket", Planted::kSocket, true, "socket"},
    {"a folder", Planted::kFolder, true, "a folder is in the way"},
    {"the colleague's link to the user's private file", Planted::kColleaguesLink, true, "symbolic link"},
    {"a second name of the colleague's setuid file", Planted::kHardLinkToHers, false, ""},
    {"the colleague's file, writable by all", Planted::kHerFile, false, ""},
};

bool Plant(const SharedFolder& shared, const SharedFolder& hers, const PrivateCanary& canary, Planted planted,
           const std::string& name)
{
  switch (planted) {
    case Planted::kPipe: return shared.PlantPipe(name);
    case Planted::kSocket: return shared.PlantSocket(name);
    case Planted::kFolder: return shared.PlantFolder(name);
    case Planted::kColleaguesLink: return shared.PlantLink(name, canary.File("s.xml"));
    case Planted::kHardLinkToHers: return shared.PlantHardLink(name, hers.File("hers.xml"));
    case Planted::kHerFile: return shared.PlantFile(name, "hers", 0666);
  }
  return false;
}

TEST(SharedWriteRoads, PlantedThingsNeverTurnAWriteAgainstTheUser)
{
  for (const mode_t folderMode : {mode_t(01775), mode_t(0775)})
    for (const NamedRoad& road : kRoads)
      for (const PlantedCase& c : kPlanted) {
        SCOPED_TRACE(std::string(road.what) + " over " + c.what + (folderMode & S_ISVTX ? ", sticky" : ", not sticky"));
        const SharedFolder shared(folderMode);
        if (!shared.Ready())
          GTEST_SKIP() << SharedFolder::SkipReason();
        const SharedFolder hers(0755);
        ASSERT_TRUE(hers.GiveToColleague());
        ASSERT_TRUE(hers.PlantFile("hers.xml", "hers", 06777));
        const PrivateCanary canary;
        const std::string name = road.name;
        ASSERT_TRUE(Plant(shared, hers, canary, c.planted, name));
        const std::string herFolder = fixtures::TreeSnapshot(hers.Path());
        const std::string target = shared.File(name);

        const std::string reason = road.write(target);

        const bool isFolderRoad = road.makesAFolder;
        const bool refused = c.refused || isFolderRoad;
        EXPECT_EQ(!reason.empty(), refused) << reason;
        if (refused && road.namesThePath) {
          EXPECT_NE(reason.find(target), std::string::npos) << reason;
        }
        if (refused && road.namesThePath && !isFolderRoad) {
          EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        }
        EXPECT_TRUE(canary.Unchanged());
        EXPECT_EQ(fixtures::TreeSnapshot(hers.Path()), herFolder) << "her own file is never written";
        if (!refused) {
          // The result is the user's own file, with the mode a new file of the user gets.
          struct stat st {};
          ASSERT_EQ(::lstat(target.c_str(), &st), 0);
          EXPECT_TRUE(S_ISREG(st.st_mode));
          EXPECT_EQ(st.st_uid, ::geteuid());
          EXPECT_EQ(st.st_mode & 07777, NewFileMode());
        }
        for (const auto& entry : std::filesystem::directory_iterator(shared.Path()))
          EXPECT_FALSE(writetarget::IsHiddenName(entry.path().filename().string())) << "a temporary is left";
      }
}

// The user's own file keeps its mode when saved over; the folder the program prepares is
// taken when it is the user's own and only the user can write it.
TEST(SharedWriteRoads, TheUsersOwnFileAndFolderAreKept)
{
  const TempDir dir;
  const std::string own = dir.File("own.xml");
  ASSERT_TRUE(fixtures::WriteText(own, "old"));
  ::chmod(own.c_str(), 0640);
  EXPECT_EQ(WriteWhole(own, kUser), "");
  struct stat st {};
  ASSERT_EQ(::stat(own.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  const std::string prepared = dir.File("prepared");
  EXPECT_FALSE(writetarget::MakeOwnFolder(prepared).IsSet()) << "made";
  EXPECT_FALSE(writetarget::MakeOwnFolder(prepared).IsSet()) << "taken again";
  ::chmod(prepared.c_str(), 0777);
  const writetarget::WriteFailure open = writetarget::MakeOwnFolder(prepared);
  EXPECT_NE(open.Text().find(prepared), std::string::npos);
  EXPECT_NE(open.reason.find("others may write"), std::string::npos) << open.reason;
}

// A colleague's link at a folder of the path is refused wherever it stands on the path;
// the user's own link to a folder is followed.
TEST(SharedWriteRoads, LinksOnTheWayAreFollowedWhenTheyAreTheUsers)
{
  const SharedFolder shared(0775);
  if (!shared.Ready())
    GTEST_SKIP() << SharedFolder::SkipReason();
  const PrivateCanary canary;
  ASSERT_TRUE(shared.PlantLink("hers", canary.Path()));
  for (const NamedRoad& road : kRoads) {
    SCOPED_TRACE(road.what);
    for (const char* path : {"hers/s.xml", "hers/sub/s.xml"})
      EXPECT_NE(road.write(shared.File(path)), "");
  }
  EXPECT_TRUE(canary.Unchanged());

  const TempDir mine;
  std::filesystem::create_symlink(mine.Path(), shared.Path() / "mine");
  EXPECT_EQ(WriteWhole(shared.File("mine/s.xml"), kUser), "");
  EXPECT_EQ(fixtures::ReadAll(mine.File("s.xml")), "written");
}

// A read-only folder is named as the reason, not the file the user sees as writable.
TEST(SharedWriteRoads, AReadOnlyFolderIsNamedAsTheReason)
{
  const TempDir dir;
  FaultyFolder faulty(dir.Path() / "scan");
  if (!faulty.Ready())
    GTEST_SKIP() << faulty.Why();
  const std::string file = dir.File("scan/kept.xml");  // writable, in a folder that is not
  ASSERT_TRUE(fixtures::WriteText(file, "old"));
  ASSERT_TRUE(faulty.MakeReadOnly());
  for (const NamedRoad& road : kRoads) {
    SCOPED_TRACE(road.what);
    const std::string reason = road.write(dir.File(std::string("scan/") + road.name));
    if (road.namesThePath) {
      EXPECT_EQ(reason.rfind(dir.File("scan") + ": ", 0), 0u) << reason;
    }
    EXPECT_NE(reason, "");
  }
  AtomicFile write(file, kUser);
  EXPECT_FALSE(write.Commit());
  EXPECT_NE(write.Failure().reason.find("read-only"), std::string::npos) << write.Failure().reason;
  EXPECT_EQ(fixtures::ReadAll(file), "old");
}

// The colleague swaps her folder in the shared folder for a link to the user's private
// folder and back, again and again, while the user saves into it (into the folder itself
// and into a folder below it) on every road: each save goes into her real folder or is
// refused, and the private folder never changes.
TEST(SharedWriteRoads, AFolderSwappedForALinkWhileSavesRepeatRedirectsNone)
{
  for (const mode_t folderMode : {mode_t(01775), mode_t(0775)}) {
    SCOPED_TRACE(folderMode & S_ISVTX ? "sticky" : "not sticky");
    const SharedFolder shared(folderMode);
    if (!shared.Ready())
      GTEST_SKIP() << SharedFolder::SkipReason();
    const PrivateCanary canary;
    int written = 0;
    {
      const FolderSwapper swapper(shared, "scan", canary.Path());
      ASSERT_TRUE(swapper.Running());
      for (int round = 0; round < 150; ++round)
        for (const NamedRoad& road : kRoads)
          for (const std::string folder : {"scan/", "scan/sub/"})  // her folder has no "sub": the private one has
            written += road.write(shared.File(folder + road.name)).empty() ? 1 : 0;
    }
    EXPECT_TRUE(canary.Unchanged());
    EXPECT_GT(written, 0) << "some saves found her real folder";
  }
}

}  // namespace
