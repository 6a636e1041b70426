// A workspace on a machine short of memory, swept from far too little to enough for each
// road (showing with flattening, saving labels, saving surfaces): every run ends with
// success or the memory message of its task, never an abort, and a run that fails leaves
// the folder's files and what was shown as they were.
#include "data/LOCTVolume.h"
#include "fixtures/DemoFolder.h"
#include "fixtures/DemoWorkspace.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/MemoryLimit.h"
#include "model/LoadMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> FolderFiles(const std::string& folder)
{
  std::map<std::string, std::string> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    files[entry.path().filename().string()] = fixtures::ReadAll(entry.path().string());
  return files;
}

// What the workspace shows, summed up: the scan's voxels and every kind's displayed data.
std::string ShownSummary(const ScanWorkspace& w)
{
  const LResultSlots& s = w.Slots();
  const auto sum = [](const LOCTVolume& v) {
    return v.Voxels() ? std::accumulate(v.Voxels(), v.Voxels() + v.VoxelCount(), uint64_t(0)) : uint64_t(0);
  };
  uint64_t depths = 0;
  for (const Point3i& p : s.surfaces.displayedObject->points)
    depths += uint64_t(p.y + 1);
  return std::to_string(sum(w.GetDisplayedVolume())) + " " + std::to_string(sum(*s.vessel.displayedObject)) + " " +
         std::to_string(sum(*s.sead.displayedObject)) + " " + std::to_string(depths) + " " +
         std::to_string(s.markers.displayedObject->count) + " " + std::to_string(w.Shift().IsFlattened());
}

struct Road {
  const char* name;
  std::vector<std::string> messages;  // those allowed: the memory messages of its tasks
  // Makes full volumes: the sweep's least headroom is too little for it (what a surfaces
  // file takes may fit in the heap's free space, and the allocator's seam limits volumes).
  bool takesVolumes;
  std::function<bool(fixtures::DemoWorkspace&)> run;  // true when it went through
};

bool Save(fixtures::DemoWorkspace& space, ResultKind kind)
{
  const LResultSlots& s = space.workspace.Slots();
  const std::string path = kind == ResultKind::SEAD ? s.sead.pathList.GetAt(s.sead.selected)
                                                    : s.surfaces.pathList.GetAt(s.surfaces.selected);
  SavedFile saved;
  return space.workspace.SaveResult(kind, path, false, saved);
}

}  // namespace

TEST(ScanWorkspaceUnderMemoryLimits, EveryRoadEndsInSuccessOrTheMemoryMessageAndKeepsWhatWas)
{
  if (!fixtures::RunsScenarioHere())
    return;
  ::testing::Test::RecordProperty("memory_limit", fixtures::TightMemory::How());
  const TempDir dir;
  const std::string folder = dir.File("Demo");
  // 3 MiB of voxels per volume: the scan, its flattened copy and each label volume.
  ASSERT_TRUE(fixtures::MakeDemoOfSize(folder, 128, 192, 64));
  using loadmessages::NotEnoughMemory;
  const std::vector<Road> roads = {
      {"flatten and show",
       {NotEnoughMemory("flatten the scan"), NotEnoughMemory("show 'Vessel'"), NotEnoughMemory("show 'SEAD'")},
       true,
       [](fixtures::DemoWorkspace& space) {
         space.workspace.Select(ResultKind::RefSurf, 1);
         return space.workspace.Flatten();
       }},
      {"save SEAD", {NotEnoughMemory("save 'SEAD'"), NotEnoughMemory("show 'SEAD'")}, true,
       [](fixtures::DemoWorkspace& space) { return Save(space, ResultKind::SEAD); }},
      {"save surfaces", {NotEnoughMemory("save 'Surfaces'")}, false,
       [](fixtures::DemoWorkspace& space) { return Save(space, ResultKind::Surfaces); }},
  };
  for (const Road& road : roads) {
    std::set<bool> outcomes;
    // A run that fails keeps everything, and one that succeeds leaves what the next can run
    // on again: one workspace serves the whole sweep.
    fixtures::DemoWorkspace space;
    ASSERT_TRUE(space.OpenAndShow(folder));
    ASSERT_TRUE(space.prompts.messages.empty()) << space.prompts.messages.front();
    for (const uint64_t mebibytes : {0, 1, 2, 3, 4, 6, 8, 12, 16, 24, 32}) {
      SCOPED_TRACE(std::string(road.name) + " with " + std::to_string(mebibytes) + " MiB to spare");
      space.prompts.messages.clear();
      const std::map<std::string, std::string> files = FolderFiles(folder);
      const std::string shown = ShownSummary(space.workspace);
      bool done = false;
      {
        const fixtures::TightMemory tight(mebibytes << 20);
        done = road.run(space);
      }
      outcomes.insert(done);
      for (const std::string& message : space.prompts.messages)
        EXPECT_NE(std::find(road.messages.begin(), road.messages.end(), message), road.messages.end()) << message;
      if (done)
        continue;
      EXPECT_EQ(space.prompts.messages.size(), 1u);
      EXPECT_TRUE(FolderFiles(folder) == files) << "the folder's files changed";
      EXPECT_EQ(ShownSummary(space.workspace), shown) << "what is shown changed";
    }
    // The sweep reaches from too little to enough.
    if (road.takesVolumes) {
      EXPECT_EQ(outcomes, (std::set<bool>{false, true})) << road.name;
    }
  }
}
