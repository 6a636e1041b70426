#include "model/ResultSaver.h"

#include "data/Diagnostics.h"
#include "data/FileApproval.h"
#include "data/WriteTarget.h"
#include "model/DisplayedObjects.h"
#include "model/LoadMessages.h"
#include "model/SavePaths.h"
#include "model/ScanFolderScan.h"

#include <algorithm>
#include <initializer_list>
#include <type_traits>
#include <utility>

namespace {

// The list changes only once the file is written, so the list, the objects and the combo
// box keep one index per file even after a failed write.
// The files as written are what a later save compares the disk with.
template <typename Slot>
void TakeTarget(Slot& slot, ResultKind kind, SavedFile& saved, const std::string& path)
{
  if (saved.added) {
    slot.pathList.Add(path);
    slot.count = slot.pathList.GetSize();
  }
  slot.selected = saved.index;
  slot.stamps[size_t(saved.index)] = FileStamp::Take(savepaths::EditedFiles(kind, path));
  saved.written = true;
  saved.path = path;
}

// Root may write any file, so an approved one is refused here and not only by its mode. The
// reasons name each approved file.
bool MayWriteAll(std::initializer_list<std::string> files, std::string& reasons)
{
  for (const std::string& file : files)
    if (!approval::MayOverwrite(file))
      reasons += file + " is approved (read-only): it is not saved over.\n";
  return reasons.empty();
}

// The first of the files whose name a save may not write through (another user's link in a
// shared folder, a folder or a pipe), or "".
std::string FirstRefusedName(std::initializer_list<std::string> files)
{
  for (const std::string& file : files)
    if (writetarget::ResolveTarget(file, writetarget::WriteOrigin::kUser).empty())
      return file;
  return "";
}

// stored (a new volume, reading as 0) := displayed moved back to the scan's depth; rows
// that came from outside the scan when it was shown stay 0. Only the voxels that are not 0
// are written, so that labels hold memory only where they are set.
void UnshiftVolume(const LOCTVolume& displayed, const FlatteningShift& shift, LOCTVolume& stored)
{
  const size_t sizeX = size_t(displayed.sizeX), sizeY = size_t(displayed.sizeY);
  const unsigned short* from = displayed.Voxels();
  unsigned short* to = stored.Voxels();
  const WrittenPages written = displayed.WrittenVoxels();  // the other pages are not read
  for (int z = 0; z < displayed.sizeZ; ++z)
    for (int x = 0; x < displayed.sizeX; ++x) {
      const int moved = shift.ToDisplayed(x, 0, z);  // where stored row 0 is shown
      for (int y = std::max(0, -moved); y < displayed.sizeY && y + moved < displayed.sizeY; ++y) {
        const size_t slice = size_t(z) * sizeY;
        const unsigned short* shown = from + size_t(x) + sizeX * (slice + size_t(y + moved));
        if (!written.MayHoldData(shown))
          continue;
        if (const unsigned short value = *shown)
          to[size_t(x) + sizeX * (slice + size_t(y))] = value;
      }
    }
}

Point3i Unshifted(const Point3i& p, const FlatteningShift& shift)
{
  return Point3i{p.x, shift.ToStored(p.x, p.y, p.z), p.z};
}

}  // namespace

ResultSaver::ResultSaver(WorkspacePrompts& prompts, LResultSlots& slots, const FlatteningShift& shift,
                         const LResultHeader& header, const LSettings& settings)
    : m_Prompts(prompts), m_Slots(slots), m_Shift(shift), m_Header(header), m_Settings(settings)
{
}

bool ResultSaver::FailSave(ResultKind kind, const std::string& path, const std::string& reasons)
{
  m_Prompts.ShowMessage(loadmessages::FileError(kind), loadmessages::Detail(path, reasons));
  return false;
}

// Nothing is written when any name of the kind's files is refused; the message names it.
bool ResultSaver::NamesRefused(std::initializer_list<std::string> files)
{
  const std::string refused = FirstRefusedName(files);
  if (refused.empty())
    return false;
  m_Prompts.ShowMessage(loadmessages::NameRefused(refused));
  return true;
}

// Where the path stands in the kind's list: its index, or the next free one (none when the
// kind is full).
template <typename Slot>
bool ResultSaver::FindTarget(const Slot& slot, ResultKind kind, const std::string& path, SavedFile& saved)
{
  const auto& paths = slot.pathList;
  const auto found = std::find(paths.begin(), paths.end(), path);
  saved.added = found == paths.end();
  saved.index = !saved.added ? static_cast<int>(found - paths.begin()) : (slot.count < kSlotCapacity ? slot.count : -1);
  return saved.index >= 0 ||
         FailSave(kind, path, "No more files of the kind can be held: " + std::to_string(kSlotCapacity) + " are.");
}

// A file of more entries than the panes show was shown in part: writing the shown ones over
// it would drop the others.
template <typename Slot>
bool ResultSaver::WouldDropEntries(const Slot& slot, const SavedFile& saved, ResultKind kind, const std::string& path)
{
  if (saved.added || slot.objects[size_t(saved.index)].count <= kMaxDisplayedMarkers)
    return false;
  m_Prompts.ShowMessage(loadmessages::WouldDropEntries(kind, scanfolder::FileName(path)));
  return true;
}

// A listed file that another program changed since it was read (or saved) is written over
// only when the user says so; a new name has nothing of anyone's to lose.
template <typename Slot>
bool ResultSaver::MayOverwriteChanges(const Slot& slot, const SavedFile& saved)
{
  if (saved.added)
    return true;
  const std::string changed = slot.stamps[size_t(saved.index)].FirstChanged();
  return changed.empty() || m_Prompts.AskOverwriteChanged(changed);
}

// Every file takes the approval asked for; a file that keeps the other one is reported, as
// the user would otherwise take a writable file for an approved one.
bool ResultSaver::SetApproval(std::initializer_list<std::string> files, bool approved)
{
  bool allSet = true;
  for (const std::string& file : files)
    if (!approval::SetApproved(file, approved)) {
      m_Prompts.ShowMessage(loadmessages::ApprovalNotSet(file));
      allSet = false;
    }
  return allSet;
}

// The steps every XML kind shares: find the path's entry, refuse what may not be written,
// fill the entry's record from the displayed data (under the program's header, with what the
// scan does not know kept from the shown record), write it, list it and approve it.
template <typename Slot, typename Fill>
bool ResultSaver::SaveXml(Slot& slot, ResultKind kind, const std::string& path, bool approved, SavedFile& saved,
                          Fill fill)
{
  if (!FindTarget(slot, kind, path, saved) || NamesRefused({path}))
    return false;
  std::string approvedFiles;
  if (!MayWriteAll({path}, approvedFiles))
    return FailSave(kind, path, approvedFiles);
  if constexpr (std::is_same_v<Slot, LMarkersSlot> || std::is_same_v<Slot, LSplinesSlot>)
    if (WouldDropEntries(slot, saved, kind, path))
      return false;
  if (!MayOverwriteChanges(slot, saved))
    return false;
  // Made aside: the entry keeps what its file holds until the new file is written.
  std::remove_reference_t<decltype(slot.objects.front())> stored;
  fill(stored, KeepFieldsTheScanLacks(m_Header, slot.displayedObject->header));
  const diag::ScopedReasons reasons;
  if (stored.WriteXml(path) != 0)
    return FailSave(kind, path, reasons.Text());
  slot.objects[size_t(saved.index)] = std::move(stored);
  TakeTarget(slot, kind, saved, path);
  return SetApproval({path}, approved);
}

bool ResultSaver::SaveSurfaces(const std::string& path, bool approved, SavedFile& saved)
{
  const LSurfaces& shown = *m_Slots.surfaces.displayedObject;
  return SaveXml(m_Slots.surfaces, ResultKind::Surfaces, path, approved, saved, [&](LSurfaces& stored, const LResultHeader& header) {
    stored.Create(shown.surfaceSizeX, shown.surfaceSizeZ, shown.surfaceCount, shown.labelIndex, shown.nameIndex,
                  shown.instance, header, shown.nameText);
    stored.undefinedMask = shown.undefinedMask;
    for (size_t i = 0; i < shown.points.size() && i < stored.points.size(); ++i)
      stored.points[i] = Unshifted(shown.points[i], m_Shift);
  });
}

bool ResultSaver::SaveGridCenter(const std::string& path, bool approved, SavedFile& saved)
{
  const int* centre = m_Slots.gridCenter.gridCenter;
  return SaveXml(m_Slots.gridCenter, ResultKind::GridCenter, path, approved, saved,
                 [&](LGridCenter& stored, const LResultHeader& header) { stored.Create(centre[0], centre[1], header); });
}

bool ResultSaver::SaveMarkers(const std::string& path, bool approved, SavedFile& saved)
{
  const LMarkers& shown = *m_Slots.markers.displayedObject;
  const int count = std::clamp(m_Slots.markers.DisplayedMarkerCount(), 0,
                               static_cast<int>(std::min(shown.points.size(), shown.labels.size())));
  return SaveXml(m_Slots.markers, ResultKind::Markers, path, approved, saved, [&](LMarkers& stored, const LResultHeader& header) {
    stored.Create(count, kMaxDisplayedMarkers, header);
    for (size_t j = 0; j < size_t(count); ++j) {
      stored.points[j] = Unshifted(shown.points[j], m_Shift);
      stored.labels[j] = shown.labels[j];
    }
  });
}

bool ResultSaver::SaveSplines(const std::string& path, bool approved, SavedFile& saved)
{
  const LSplineSet& shown = *m_Slots.splines.displayedObject;
  const int count = std::clamp(m_Slots.splines.DisplayedSplineCount(), 0,
                               static_cast<int>(std::min({shown.planes.size(), shown.closed.size(),
                                                          shown.controlPoints.size()})));
  return SaveXml(m_Slots.splines, ResultKind::Splines, path, approved, saved, [&](LSplineSet& stored, const LResultHeader& header) {
    stored.Create(count, kMaxSplines, header);
    for (size_t j = 0; j < size_t(count); ++j) {
      stored.planes[j] = shown.planes[j];
      stored.closed[j] = shown.closed[j];
      for (const Point3i& p : shown.controlPoints[j])
        stored.controlPoints[j].push_back(Unshifted(p, m_Shift));
    }
  });
}

bool ResultSaver::SaveLabels(ResultKind kind, const std::string& requested, bool approved, SavedFile& saved)
{
  LLabelSlot& slot = kind == ResultKind::Vessel ? m_Slots.vessel : m_Slots.sead;
  const std::string path = savepaths::LabelHeaderPath(requested);
  const std::string data = savepaths::LabelDataPath(path);
  const std::string mesh = scanfolder::MeshCachePath(path);
  if (!FindTarget(slot, kind, path, saved) || NamesRefused({path, data, mesh}))
    return false;
  const LOCTVolume& shown = *slot.displayedObject;
  if (!shown.loaded)
    return FailSave(kind, path, "No labels are shown.");
  std::string approvedFiles;
  if (!MayWriteAll({path, data, mesh}, approvedFiles))
    return FailSave(kind, path, approvedFiles);
  if (!MayOverwriteChanges(slot, saved))
    return false;
  // The labels and their mesh are made aside and written together: when memory or the disk
  // runs short nothing of the kind changes, neither the edits on screen, nor the list, nor
  // any file (and of a new name nothing is left).
  LOCTVolume stored;
  LMesh storedMesh;
  std::string meshText;
  const std::string noMemory = loadmessages::NotEnoughMemory(loadmessages::KindTask("save", kind));
  if (!MakeStoredLabels(kind, shown, stored, storedMesh, meshText)) {
    m_Prompts.ShowMessage(noMemory);
    return false;
  }
  const diag::ScopedReasons reasons;
  const int written =
      stored.WriteMetaImage(path, writetarget::WriteOrigin::kUser, {{scanfolder::FileName(mesh), meshText}});
  if (written == kWriteNoMemory) {
    m_Prompts.ShowMessage(noMemory, loadmessages::Detail(path, reasons.Text()));
    return false;
  }
  if (written != 0)
    return FailSave(kind, path, reasons.Text());
  slot.objects[size_t(saved.index)].ShareVoxels(stored);
  slot.meshes[size_t(saved.index)] = std::move(storedMesh);  // borrows the voxels the object now holds
  TakeTarget(slot, kind, saved, path);
  return SetApproval({path, data, mesh}, approved);
}

// The displayed labels at the scan's own depth, their mesh and its cache text.
bool ResultSaver::MakeStoredLabels(ResultKind kind, const LOCTVolume& shown, LOCTVolume& stored, LMesh& mesh,
                                   std::string& meshText) const
{
  const int size[3] = {shown.sizeX, shown.sizeY, shown.sizeZ};
  const float spacing[3] = {shown.spacingX, shown.spacingY, shown.spacingZ};
  if (stored.CreateVolume(size, shown.format, spacing, shown.bytesPerVoxel, shown.laterality, shown.centerType) != 0)
    return false;
  UnshiftVolume(shown, m_Shift, stored);
  mesh.SetLabelVolume(size, spacing, stored.Voxels(), stored.bytesPerVoxel);
  const int smoothing = kind == ResultKind::Vessel ? m_Settings.MeshSmoothingVessel : m_Settings.MeshSmoothingSEAD;
  return mesh.Build(true, smoothing, stored.WrittenVoxels()) && mesh.CacheText(meshText) == 0;
}
