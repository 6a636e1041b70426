// Showing and saving in a workspace without any window: the displayed copies of the demo
// folder's results, flattened or not, and the files written back at the depths read.
#include "data/LMarkers.h"
#include "data/LSplines.h"
#include "data/LSurfaces.h"
#include "data/VolumeMemoryLimit.h"
#include "fixtures/DemoWorkspace.h"
#include "fixtures/FixtureFiles.h"
#include "fixtures/ScanFolderFiles.h"
#include "model/LoadMessages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The small demo folder opened and shown unflattened.
class ScanWorkspaceShowing : public ::testing::Test {
protected:
  void SetUp() override
  {
    ASSERT_TRUE(m_Space.OpenDemo());
    m_Space.ShowAll();
    ASSERT_TRUE(m_Space.prompts.messages.empty()) << m_Space.prompts.messages.front();
  }
  ScanWorkspace& W() { return m_Space.workspace; }
  const LResultSlots& Kinds() { return W().Slots(); }
  const LOCTVolume& Read() { return W().GetReadVolume(); }
  const LOCTVolume& Shown() { return W().GetDisplayedVolume(); }
  static unsigned short At(const LOCTVolume& v, int x, int y, int z)
  {
    return v.Voxels()[size_t(x) + size_t(v.sizeX) * (size_t(y) + size_t(v.sizeY) * size_t(z))];
  }
  // As a file combo box does: the chosen file, then the kind shown with it.
  void Choose(ResultKind kind, int selection)
  {
    W().Select(kind, selection);
    if (kind == ResultKind::RefSurf)
      W().ApplyRefSurf(selection);
    else if (kind == ResultKind::Markers)
      W().ApplyMarkers(selection);
  }
  bool Save(ResultKind kind, const std::string& path, bool approved = false)
  {
    SavedFile saved;
    return W().SaveResult(kind, path, approved, saved);
  }

  fixtures::DemoWorkspace m_Space;
};

TEST_F(ScanWorkspaceShowing, FlatteningMovesTheScanAndEveryKindByTheSameSurface)
{
  // Unflattened, the displayed scan is the scan as read, without a copy of its voxels.
  EXPECT_EQ(Shown().Voxels(), Read().Voxels());
  const std::vector<unsigned short> asRead(Read().Voxels(), Read().Voxels() + Read().VoxelCount());
  Choose(ResultKind::RefSurf, 1);
  EXPECT_FALSE(W().Shift().IsFlattened()) << "choosing a surface alone does not flatten";
  m_Space.ShowAll();
  ASSERT_TRUE(W().Shift().IsFlattened());
  EXPECT_NE(Shown().Voxels(), Read().Voxels());
  EXPECT_TRUE(std::equal(asRead.begin(), asRead.end(), Read().Voxels())) << "flattening wrote into the scan as read";

  const LResultSlots& kinds = W().Slots();
  const LRefSurface& reference = kinds.refSurf.objects[0];
  const int row = Read().sizeY / 2;
  for (const auto& [x, z] : {std::pair{10, 3}, std::pair{40, 12}}) {
    const int depth = reference.Point(x, z).y;
    ASSERT_GE(depth, 0);
    EXPECT_EQ(At(Shown(), x, row, z), At(Read(), x, depth, z)) << x << "," << z;
    EXPECT_EQ(kinds.refSurf.displayedObject->Point(x, z).y, row);
    const int surfaceDepth = kinds.surfaces.objects[0].Point(3, x, z).y;
    EXPECT_EQ(kinds.surfaces.displayedObject->Point(3, x, z).y, surfaceDepth + row - depth);
    EXPECT_EQ(W().Shift().ToStored(x, kinds.surfaces.displayedObject->Point(3, x, z).y, z), surfaceDepth);
  }
  const Point3i marker = kinds.markers.objects[0].points[0];
  EXPECT_EQ(kinds.markers.displayedObject->points[0].y, marker.y + row - reference.Point(marker.x, marker.z).y);

  // Choosing "None" hides the reference surface; the scan and the shift stay until the
  // next Flattening.
  Choose(ResultKind::RefSurf, 0);
  EXPECT_TRUE(W().Shift().IsFlattened());
  Choose(ResultKind::Markers, W().Slots().markers.selected);
  EXPECT_EQ(kinds.markers.displayedObject->points[0].y, marker.y + row - reference.Point(marker.x, marker.z).y);
  m_Space.ShowAll();
  EXPECT_FALSE(W().Shift().IsFlattened());
  EXPECT_EQ(Shown().Voxels(), Read().Voxels());
  EXPECT_EQ(kinds.markers.displayedObject->points[0].y, marker.y);
}

TEST_F(ScanWorkspaceShowing, FlattenedResultsAreSavedAtTheDepthsRead)
{
  Choose(ResultKind::RefSurf, 1);
  m_Space.ShowAll();
  ASSERT_TRUE(W().Shift().IsFlattened());
  const std::string surfaces = m_Space.File("e_Surfaces_Saved.xml");
  const std::string markers = m_Space.File("e_Markers_Saved.xml");
  const std::string splines = m_Space.File("mine.xml");
  const std::string vessel = m_Space.File("e_Vessel_Saved.mhd");
  ASSERT_TRUE(Save(ResultKind::Surfaces, surfaces));
  ASSERT_TRUE(Save(ResultKind::Markers, markers));
  ASSERT_TRUE(Save(ResultKind::Splines, splines));
  ASSERT_TRUE(Save(ResultKind::Vessel, vessel));
  EXPECT_TRUE(m_Space.prompts.messages.empty()) << m_Space.prompts.messages.front();

  LSurfaces savedSurfaces;
  ASSERT_EQ(savedSurfaces.ReadXml(surfaces), 0);
  const LSurfaces& readSurfaces = Kinds().surfaces.objects[0];
  EXPECT_EQ(savedSurfaces.points, readSurfaces.points) << "undefined -1 points included";
  EXPECT_EQ(savedSurfaces.undefinedMask, readSurfaces.undefinedMask);
  EXPECT_FALSE(savedSurfaces.header.approval);

  // The entries a record holds: its lists are allocated for more.
  const auto held = [](const auto& list, int count) { return std::vector(list.begin(), list.begin() + count); };
  LMarkers savedMarkers;
  ASSERT_EQ(savedMarkers.ReadXml(markers), 0);
  const LMarkers& readMarkers = Kinds().markers.objects[0];
  const int markerCount = readMarkers.count;
  ASSERT_EQ(savedMarkers.count, markerCount);
  EXPECT_EQ(held(savedMarkers.points, markerCount), held(readMarkers.points, markerCount));
  EXPECT_EQ(held(savedMarkers.labels, markerCount), held(readMarkers.labels, markerCount));

  LSplines savedSplines;
  ASSERT_EQ(savedSplines.ReadXml(splines), 0);
  const LSplines& readSplines = Kinds().splines.objects[0];
  const int splineCount = readSplines.count;
  ASSERT_EQ(savedSplines.count, splineCount);
  EXPECT_EQ(held(savedSplines.controlPoints, splineCount), held(readSplines.controlPoints, splineCount));
  EXPECT_EQ(held(savedSplines.planes, splineCount), held(readSplines.planes, splineCount));
  EXPECT_EQ(held(savedSplines.closed, splineCount), held(readSplines.closed, splineCount));

  // Label rows the flattening moved out of the volume come back as 0; every other voxel
  // is the voxel read.
  LOCTVolume savedVessel;
  ASSERT_EQ(savedVessel.ReadScanFile(vessel), kScanOk);
  const LOCTVolume& readVessel = Kinds().vessel.objects[0];
  ASSERT_EQ(savedVessel.VoxelCount(), readVessel.VoxelCount());
  const FlatteningShift& shift = W().Shift();
  size_t kept = 0;
  for (int z = 0; z < readVessel.sizeZ; ++z)
    for (int x = 0; x < readVessel.sizeX; ++x)
      for (int y = 0; y < readVessel.sizeY; ++y) {
        const size_t i = size_t(x) + size_t(readVessel.sizeX) * (size_t(y) + size_t(readVessel.sizeY) * size_t(z));
        const int shown = shift.ToDisplayed(x, y, z);
        const bool inside = shown >= 0 && shown < readVessel.sizeY;
        ASSERT_EQ(savedVessel.Voxels()[i], inside ? readVessel.Voxels()[i] : 0) << x << "," << y << "," << z;
        kept += inside && readVessel.Voxels()[i] != 0;
      }
  EXPECT_GT(kept, 0u) << "the fixture has labels that survive the round trip";
  EXPECT_TRUE(std::filesystem::exists(m_Space.File("e_Vessel_Saved.raw")));
  EXPECT_TRUE(std::filesystem::exists(m_Space.File("e_Vessel_Saved.vtk")));
}

// A stored surface pair that the shown surfaces file does not have falls back to its first
// surface, in the settings and in the store; a pair it has stays as it was, unwritten.
TEST_F(ScanWorkspaceShowing, SurfacePairsBeyondTheShownFileFallBackAndAreWritten)
{
  const int surfaces = Kinds().surfaces.objects[0].surfaceCount;
  ASSERT_EQ(surfaces, 11);
  const struct {
    int LSettings::*field;
    const char* key;
    int stored;
    int shown;
  } cases[] = {{&LSettings::ThicknessSurfaceFrom, "ThicknessSurfaceFrom", 3, 3},
               {&LSettings::ThicknessSurfaceTo, "ThicknessSurfaceTo", 15, 0},
               {&LSettings::CreateProjSurfaceFrom, "CreateProjSurfaceFrom", 11, 0},
               {&LSettings::CreateProjSurfaceTo, "CreateProjSurfaceTo", 10, 10}};
  m_Space.store.ints.clear();
  for (const auto& c : cases)
    W().Settings().*c.field = c.stored;
  ASSERT_TRUE(W().ApplySurfaces(Kinds().surfaces.selected));
  for (const auto& c : cases) {
    EXPECT_EQ(W().Settings().*c.field, c.shown) << c.key;
    EXPECT_EQ(m_Space.store.ints.count(c.key), c.stored == c.shown ? 0u : 1u) << c.key;
    EXPECT_EQ(m_Space.store.GetInt(c.key, -1), c.stored == c.shown ? -1 : 0) << c.key;
  }
  EXPECT_FALSE(W().ApplySurfaces(-1)) << "no file, nothing shown";
}

// A projection between surfaces is switched off (and written) only when the scan has no
// surfaces file.
// Without memory for a full volume, flattening, showing a label file on a flattened scan and
// saving labels each say so and keep what was: the shift, the scan and labels shown (their
// voxels the very same), the label files and their list.
TEST_F(ScanWorkspaceShowing, AFullVolumeThatFindsNoMemoryKeepsWhatWasShown)
{
  const unsigned short* scanShown = Shown().Voxels();
  const LOCTVolume& vessel = *Kinds().vessel.displayedObject;
  const unsigned short* vesselShown = vessel.Voxels();
  const int listed = Kinds().vessel.count;
  std::vector<std::string>& messages = m_Space.prompts.messages;
  {
    const ScopedVolumeMemoryLimit noRoom(0);
    W().Select(ResultKind::RefSurf, 1);
    EXPECT_FALSE(W().Flatten());
    EXPECT_FALSE(W().Shift().IsFlattened());
    EXPECT_EQ(Kinds().refSurf.flatteningIndex, 0);
    EXPECT_EQ(Shown().Voxels(), scanShown);
    EXPECT_EQ(vessel.Voxels(), vesselShown);
    EXPECT_FALSE(Save(ResultKind::Vessel, m_Space.File("Demo/Demo_Vessel_New.mhd")));
    EXPECT_FALSE(fs::exists(m_Space.File("Demo/Demo_Vessel_New.mhd")));
    EXPECT_EQ(Kinds().vessel.count, listed);
  }
  ASSERT_TRUE(W().Flatten());
  const unsigned short* flattenedShown = vessel.Voxels();
  {
    const ScopedVolumeMemoryLimit noRoom(0);
    EXPECT_FALSE(W().ApplyLabels(ResultKind::Vessel, 0));
    EXPECT_EQ(vessel.Voxels(), flattenedShown);
  }
  EXPECT_EQ(messages, (std::vector<std::string>{loadmessages::NotEnoughMemory("flatten the scan"),
                                                loadmessages::NotEnoughMemory("save 'Vessel'"),
                                                loadmessages::NotEnoughMemory("show 'Vessel'")}));
}

TEST(ScanWorkspaceProjection, ACreatedProjectionNeedsSurfaces)
{
  for (const bool withSurfaces : {true, false}) {
    SCOPED_TRACE(withSurfaces ? "with surfaces" : "without surfaces");
    fixtures::DemoWorkspace space;
    const std::string folder = space.File("scan");
    ASSERT_TRUE(fixtures::WriteFullFolder(folder));
    if (!withSurfaces)
      fs::remove(folder + "/s_Surfaces_Vamo.xml");
    ASSERT_TRUE(space.OpenAndShow(folder));
    ScanWorkspace& w = space.workspace;
    space.store.ints.clear();
    w.Settings().ShowCreateProj = true;
    EXPECT_EQ(w.DropCreatedProjectionWithoutSurfaces(), !withSurfaces);
    EXPECT_EQ(w.Settings().ShowCreateProj, withSurfaces);
    EXPECT_EQ(space.store.GetInt("ShowCreateProj", -1), withSurfaces ? -1 : 0);
    EXPECT_FALSE(w.DropCreatedProjectionWithoutSurfaces()) << "already off, or surfaces there";
    EXPECT_NE(w.ChosenImage(ResultKind::Proj, 0), nullptr);
    EXPECT_EQ(w.ChosenImage(ResultKind::Disc, 1), nullptr);
  }
}

}  // namespace

// Every kind the user saves asks before writing over its file when another program changed
// it since it was read (a label volume also when only its data file changed), naming that
// file: Cancel writes nothing and keeps the edits unsaved, Overwrite saves, and the file as
// saved is the one a later save compares with.
TEST_F(ScanWorkspaceShowing, EveryKindAsksBeforeSavingOverAFileChangedOnDisk)
{
  const auto selected = [](const auto& slot) { return slot.pathList.GetAt(slot.selected); };
  const auto dataFile = [](const std::string& header) { return header.substr(0, header.size() - 4) + ".raw"; };
  const struct {
    ResultKind kind;
    std::string file;
    std::string rewritten;
  } cases[] = {
      {ResultKind::Surfaces, selected(Kinds().surfaces), selected(Kinds().surfaces)},
      {ResultKind::GridCenter, selected(Kinds().gridCenter), selected(Kinds().gridCenter)},
      {ResultKind::Vessel, selected(Kinds().vessel), selected(Kinds().vessel)},
      {ResultKind::SEAD, selected(Kinds().sead), dataFile(selected(Kinds().sead))},
      {ResultKind::Markers, selected(Kinds().markers), selected(Kinds().markers)},
      {ResultKind::Splines, selected(Kinds().splines), selected(Kinds().splines)},
  };
  fixtures::RecordingPrompts& prompts = m_Space.prompts;
  for (const auto& c : cases) {
    SCOPED_TRACE(ResultKindName(c.kind));
    const std::string theirs = fixtures::ReadAll(c.rewritten) + "\n";
    ASSERT_TRUE(fixtures::WriteText(c.rewritten, theirs));
    W().Unsaved().Mark(c.kind);
    prompts.changedFiles.clear();

    prompts.overwriteChanged = false;
    EXPECT_FALSE(Save(c.kind, c.file));
    EXPECT_EQ(prompts.changedFiles, std::vector<std::string>{c.rewritten});
    EXPECT_EQ(fixtures::ReadAll(c.rewritten), theirs);
    EXPECT_TRUE(W().Unsaved().Has(c.kind));

    prompts.overwriteChanged = true;
    EXPECT_TRUE(Save(c.kind, c.file));
    EXPECT_NE(fixtures::ReadAll(c.rewritten), theirs);
    EXPECT_FALSE(W().Unsaved().Has(c.kind));
    EXPECT_TRUE(Save(c.kind, c.file));
    EXPECT_EQ(prompts.changedFiles.size(), 2u) << "the file as saved was taken for a changed one";
  }
  EXPECT_TRUE(prompts.messages.empty()) << prompts.messages.front();
}
