#include "model/ScanWorkspace.h"

#include "data/Diagnostics.h"
#include "data/XmlReadResult.h"
#include "model/DisplayedObjects.h"
#include "model/LoadMessages.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {

const char* const kFallbackGridFile = "Grid_Circle_Macula_ETDRS.xml";

template <typename Slot>
bool HasFile(const Slot& slot, int selection)
{
  return slot.count > 0 && selection >= 0 && selection < std::min(slot.count, kSlotCapacity);
}

// Opens one result file into a fresh slot; the live slot takes it over only when it fits.
template <typename Slot, typename Load>
bool OpenOneFile(Slot& live, const std::string& path, Load load)
{
  auto staged = std::make_unique<Slot>();
  staged->pathList.Add(path);
  if (!load(*staged))
    return false;
  live.TakeLoaded(*staged);
  return true;
}

template <typename Slot>
const auto& ChosenOrDefault(const Slot& slot)
{
  return HasFile(slot, slot.selected) ? slot.objects[size_t(slot.selected)] : *slot.defaultObject;
}

std::string ShowTask(ResultKind kind)
{
  return loadmessages::KindTask("show", kind);
}

const char* const kOpenScanTask = "open the scan";
const char* const kFlattenTask = "flatten the scan";

}  // namespace

// A scan an open replaced, with the kinds that held unsaved edits then.
struct ScanWorkspace::ReplacedScan {
  StagedScan scan;
  std::vector<ResultKind> edited;
};

// What a refresh shows besides the scan and the labels, made aside: the displayed object of
// every kind's chosen file (or default object).
struct ScanWorkspace::StagedKinds {
  bool refSurf = false;  // a reference-surface file is chosen
  LRefSurface refSurfOriginal;
  LRefSurface refSurfShown;
  LGridCenter gridCenter;
  bool surfaces = false;  // a surfaces file is chosen
  LSurfaces surfacesShown;
  LMarkers markers;
  LSplineSet splines;
};

template <typename Operation>
bool ScanWorkspace::WithinMemory(const std::string& task, Operation operation)
{
  try {
    return operation();
  } catch (const std::bad_alloc&) {
    m_Prompts.ShowMessage(loadmessages::NotEnoughMemory(task));
    return false;
  }
}

ScanWorkspace::ScanWorkspace(WorkspacePrompts& prompts, SettingsStore& store) : m_Prompts(prompts), m_Store(store) {}

ScanWorkspace::~ScanWorkspace() = default;

ScanLoader ScanWorkspace::Loader()
{
  return ScanLoader(m_Prompts, m_Settings, m_HeaderApproval);
}

ResultSaver ScanWorkspace::Saver()
{
  return ResultSaver(m_Prompts, *m_Slots, m_Shift, CreatedHeader(), m_Settings);
}

LResultHeader ScanWorkspace::CreatedHeader() const
{
  return CreatedRecordHeader(m_DisplayedVolume, m_HeaderApproval);
}

void ScanWorkspace::WriteSetting(const char* key)
{
  (void)::WriteSetting(m_Settings, key, m_Store);
}

bool ScanWorkspace::ScanFolder(const std::string& folder)
{
  return WithinMemory(kOpenScanTask, [&] {
    ScanLoader loader = Loader();
    auto staged = std::make_unique<ReplacedScan>();
    return loader.StageFolder(folder, staged->scan) && LoadStaged(staged);
  });
}

bool ScanWorkspace::OpenOCTFile(const std::string& path)
{
  return WithinMemory(kOpenScanTask, [&] {
    auto staged = std::make_unique<ReplacedScan>();
    ScanLoader::StageScanFile(path, staged->scan);
    return LoadStaged(staged);
  });
}

bool ScanWorkspace::LoadStaged(std::unique_ptr<ReplacedScan>& staged)
{
  if (!Loader().RunLoaderChain(staged->scan))
    return false;
  staged->edited = m_Unsaved.Among(EditableKinds());
  TradeScan(staged->scan);
  // The scan replaced is kept until the new one is shown, or given back if it cannot be.
  m_Replaced = std::move(staged);
  m_Unsaved.ClearAll();
  return true;
}

void ScanWorkspace::TradeScan(StagedScan& other) noexcept
{
  std::swap(m_ScanFolder, other.scanFolder);
  std::swap(m_ScanPath, other.scanPath);
  // The held volume takes the other scan over, voxels shared, instead of being replaced:
  // whoever borrowed the open scan (the executables dialog, which stays open over the scan
  // its run reloaded) reads the new one instead of a freed one.
  LOCTVolume held;
  held.ShareVoxels(*m_ReadVolume);
  m_ReadVolume->ShareVoxels(*other.volume);
  other.volume->ShareVoxels(held);
  m_Slots->TradeLoaded(*other.results);
}

bool ScanWorkspace::RestoreReplacedScan()
{
  if (!m_Replaced)
    return false;
  TradeScan(m_Replaced->scan);
  for (const ResultKind kind : m_Replaced->edited)
    m_Unsaved.Mark(kind);
  m_Replaced.reset();
  return true;
}

bool ScanWorkspace::OpenResultFile(ResultKind kind, const std::string& path)
{
  if (!WithinMemory(loadmessages::KindTask("open", kind), [&] { return LoadResultFile(kind, path); }))
    return false;
  m_Unsaved.Clear(kind);
  return true;
}

bool ScanWorkspace::LoadResultFile(ResultKind kind, const std::string& path)
{
  ScanLoader loader = Loader();
  LOCTVolume& scan = *m_ReadVolume;
  LResultSlots& s = *m_Slots;
  switch (kind) {
  case ResultKind::RefSurf:
    return OpenOneFile(s.refSurf, path, [&](auto& slot) { return loader.LoadRefSurf(slot, scan); });
  case ResultKind::Surfaces:
    return OpenOneFile(s.surfaces, path, [&](auto& slot) { return loader.LoadSurfaces(slot, scan); });
  case ResultKind::Proj: return OpenOneFile(s.proj, path, [&](auto& slot) { return loader.LoadProj(slot, scan); });
  case ResultKind::Disc: return OpenOneFile(s.disc, path, [&](auto& slot) { return loader.LoadDisc(slot, scan); });
  case ResultKind::Vessel: return OpenOneFile(s.vessel, path, [&](auto& slot) { return loader.LoadVessel(slot, scan); });
  case ResultKind::SEAD: return OpenOneFile(s.sead, path, [&](auto& slot) { return loader.LoadSEAD(slot, scan); });
  case ResultKind::GridCenter:
    return OpenOneFile(s.gridCenter, path, [&](auto& slot) { return loader.LoadGridCenter(slot, scan); });
  case ResultKind::Markers:
    return OpenOneFile(s.markers, path, [&](auto& slot) { return loader.LoadMarkers(slot, scan); });
  case ResultKind::Splines:
    return OpenOneFile(s.splines, path, [&](auto& slot) { return loader.LoadSplines(slot, scan); });
  default: return false;
  }
}

std::string ScanWorkspace::ConfiguredGridPath() const
{
  return m_ProgramFolder + "/Grid/" + m_Settings.GridFileName;
}

bool ScanWorkspace::LoadGrid(const std::string& path)
{
  // A grid that is read replaces the held one only when it is whole.
  LGrid configured;
  const int result = configured.ReadXml(path);
  if (result == kXmlOk)
    *m_GridDefinition = std::move(configured);
  if (result != kXmlLoadFailed)
    return true;

  LGrid fallback;
  const std::string fallbackPath = m_ProgramFolder + "/Grid/" + kFallbackGridFile;
  const diag::ScopedReasons reasons;
  const int fallbackResult = fallback.ReadXml(fallbackPath);
  if (fallbackResult != kXmlOk) {
    m_Prompts.ShowMessage(loadmessages::ForXmlResult(ResultKind::Grid, fallbackResult),
                          loadmessages::Detail(fallbackPath, reasons.Text()));
    return false;
  }
  *m_GridDefinition = std::move(fallback);
  // The setting names the grid now held, so it is changed only once that grid is read.
  m_Settings.GridFileName = kFallbackGridFile;
  WriteSetting("GridFileName");
  return true;
}

bool ScanWorkspace::Flatten(const std::function<bool()>& readyToShow)
{
  LRefSurfSlot& ref = m_Slots->refSurf;
  const int file = ref.selected - 1;
  const FlatteningShift shift = HasFile(ref, file)
                                    ? FlatteningShift(ref.objects[size_t(file)], m_ReadVolume->sizeY, m_FlatteningFraction)
                                    : FlatteningShift();
  // Everything the shift moves is made aside first, so that a shortage of memory leaves the
  // shown scan and results, and the shift they were shown with, as they were. Nothing
  // writes the displayed scan: unflattened it is the scan as read.
  LOCTVolume scan, vessel, sead;
  LMesh vesselMesh, seadMesh;
  StagedKinds kinds;
  const bool staged = WithinMemory(kFlattenTask, [&] {
    if (!MakeDisplayedVolume(*m_ReadVolume, shift, scan) ||
        !StageLabels(ResultKind::Vessel, m_Slots->vessel.selected, shift, vessel, vesselMesh) ||
        !StageLabels(ResultKind::SEAD, m_Slots->sead.selected, shift, sead, seadMesh)) {
      m_Prompts.ShowMessage(loadmessages::NotEnoughMemory(kFlattenTask));
      return false;
    }
    StageKinds(shift, CreatedRecordHeader(scan, m_HeaderApproval), kinds);
    if (readyToShow && !readyToShow()) {
      m_Prompts.ShowMessage(loadmessages::NotEnoughMemory(kFlattenTask));
      return false;
    }
    return true;
  });
  if (!staged)
    return false;
  m_Replaced.reset();
  ref.flatteningIndex = ref.selected;
  m_Shift = shift;
  m_DisplayedVolume.ShareVoxels(scan);
  if (vessel.loaded)
    ShowStagedLabels(ResultKind::Vessel, vessel, vesselMesh);
  if (sead.loaded)
    ShowStagedLabels(ResultKind::SEAD, sead, seadMesh);
  ShowStagedKinds(kinds);
  return true;
}

void ScanWorkspace::StageKinds(const FlatteningShift& shift, const LResultHeader& header, StagedKinds& staged) const
{
  const LResultSlots& s = *m_Slots;
  const int refFile = s.refSurf.selected - 1;
  staged.refSurf = HasFile(s.refSurf, refFile);
  if (staged.refSurf)
    MakeDisplayedRefSurface(s.refSurf.objects[size_t(refFile)], shift, header, staged.refSurfOriginal,
                            staged.refSurfShown);
  MakeDisplayedGridCenter(ChosenOrDefault(s.gridCenter), header, staged.gridCenter);
  staged.surfaces = HasFile(s.surfaces, s.surfaces.selected);
  if (staged.surfaces)
    MakeDisplayedSurfaces(s.surfaces.objects[size_t(s.surfaces.selected)], shift, header, staged.surfacesShown);
  (void)MakeDisplayedMarkers(ChosenOrDefault(s.markers), shift, header, staged.markers);
  (void)MakeDisplayedSplines(ChosenOrDefault(s.splines), shift, header, staged.splines);
}

void ScanWorkspace::ShowStagedKinds(StagedKinds& staged)
{
  LResultSlots& s = *m_Slots;
  if (staged.refSurf) {
    *s.refSurf.refSurfOriginal = std::move(staged.refSurfOriginal);
    *s.refSurf.displayedObject = std::move(staged.refSurfShown);
  }
  ShowGridCenter(staged.gridCenter);
  if (staged.surfaces)
    ShowSurfaces(staged.surfacesShown);
  *s.markers.displayedObject = std::move(staged.markers);
  m_Unsaved.Clear(ResultKind::Markers);
  *s.splines.displayedObject = std::move(staged.splines);
  m_Unsaved.Clear(ResultKind::Splines);
}

bool ScanWorkspace::ShowsChosenFile(ResultKind kind) const
{
  const LResultSlots& s = *m_Slots;
  return kind == ResultKind::RefSurf ? HasFile(s.refSurf, s.refSurf.selected - 1)
                                     : HasFile(s.surfaces, s.surfaces.selected);
}

void ScanWorkspace::ApplyOCT()
{
  const LOCTVolume& read = *m_ReadVolume;
  const int size[3] = {read.sizeX, read.sizeY, read.sizeZ};
  for (int axis = 0; axis < 3; ++axis)
    m_Position[axis] = size[axis] / 2;
  m_MaxIntensity = read.bytesPerVoxel == 1 ? 255 : 65535;
  if (m_Settings.Window == 0) {
    m_Settings.WindowWidth = static_cast<float>(m_MaxIntensity);
    m_Settings.WindowCenter = static_cast<float>(m_MaxIntensity) * 0.5f;
  }
}

bool ScanWorkspace::ApplyRefSurf(int selection)
{
  LRefSurfSlot& slot = m_Slots->refSurf;
  const int file = selection - 1;
  if (!HasFile(slot, file))
    return false;
  return WithinMemory(ShowTask(ResultKind::RefSurf), [&] {
    LRefSurface original, shown;
    MakeDisplayedRefSurface(slot.objects[size_t(file)], m_Shift, CreatedHeader(), original, shown);
    *slot.refSurfOriginal = std::move(original);
    *slot.displayedObject = std::move(shown);
    return true;
  });
}

bool ScanWorkspace::ApplyGridCenter(int selection)
{
  LGridCenterSlot& slot = m_Slots->gridCenter;
  const LGridCenter& source = HasFile(slot, selection) ? slot.objects[size_t(selection)] : *slot.defaultObject;
  return WithinMemory(ShowTask(ResultKind::GridCenter), [&] {
    LGridCenter made;
    MakeDisplayedGridCenter(source, CreatedHeader(), made);
    ShowGridCenter(made);
    return true;
  });
}

void ScanWorkspace::ShowGridCenter(LGridCenter& made)
{
  LGridCenterSlot& slot = m_Slots->gridCenter;
  *slot.displayedObject = std::move(made);
  slot.gridCenter[0] = slot.displayedObject->centerX;
  slot.gridCenter[1] = slot.displayedObject->centerZ;
  m_Unsaved.Clear(ResultKind::GridCenter);
}

bool ScanWorkspace::ApplySurfaces(int selection)
{
  auto& slot = m_Slots->surfaces;
  if (!HasFile(slot, selection))
    return false;
  return WithinMemory(ShowTask(ResultKind::Surfaces), [&] {
    LSurfaces made;
    MakeDisplayedSurfaces(slot.objects[size_t(selection)], m_Shift, CreatedHeader(), made);
    ShowSurfaces(made);
    return true;
  });
}

void ScanWorkspace::ShowSurfaces(LSurfaces& made)
{
  LSurfaces& shown = *m_Slots->surfaces.displayedObject;
  shown = std::move(made);
  m_Unsaved.Clear(ResultKind::Surfaces);
  for (const auto& [field, key] :
       {std::pair<int LSettings::*, const char*>{&LSettings::ThicknessSurfaceFrom, "ThicknessSurfaceFrom"},
        {&LSettings::ThicknessSurfaceTo, "ThicknessSurfaceTo"},
        {&LSettings::CreateProjSurfaceFrom, "CreateProjSurfaceFrom"},
        {&LSettings::CreateProjSurfaceTo, "CreateProjSurfaceTo"}})
    if (m_Settings.*field >= shown.surfaceCount) {
      m_Settings.*field = 0;
      WriteSetting(key);
    }
}

const LImage2D* ScanWorkspace::ChosenImage(ResultKind kind, int selection) const
{
  const LResultSlot<LImage2D>& slot = kind == ResultKind::Proj ? m_Slots->proj : m_Slots->disc;
  return HasFile(slot, selection) ? &slot.objects[size_t(selection)] : nullptr;
}

bool ScanWorkspace::DropCreatedProjectionWithoutSurfaces()
{
  if (m_Slots->surfaces.count > 0 || !m_Settings.ShowCreateProj)
    return false;
  m_Settings.ShowCreateProj = false;
  WriteSetting("ShowCreateProj");
  return true;
}

bool ScanWorkspace::StageLabels(ResultKind kind, int selection, const FlatteningShift& shift, LOCTVolume& volume,
                                LMesh& mesh) const
{
  const LLabelSlot& slot = kind == ResultKind::Vessel ? m_Slots->vessel : m_Slots->sead;
  const bool file = HasFile(slot, selection);
  const LOCTVolume& source = file ? slot.objects[size_t(selection)] : *slot.defaultObject;
  const LMesh& sourceMesh = file ? slot.meshes[size_t(selection)] : *slot.defaultMesh;
  if (!source.loaded || source.VoxelCount() != m_ReadVolume->VoxelCount())
    return true;  // nothing to show
  return MakeDisplayedLabels(source, sourceMesh, shift, volume, mesh);
}

void ScanWorkspace::ShowStagedLabels(ResultKind kind, const LOCTVolume& volume, LMesh& mesh)
{
  LLabelSlot& slot = kind == ResultKind::Vessel ? m_Slots->vessel : m_Slots->sead;
  slot.displayedObject->ShareVoxels(volume);
  *slot.displayedMesh = std::move(mesh);
  slot.displayedLayer->Show(slot.displayedObject.get());
}

bool ScanWorkspace::ApplyLabels(ResultKind kind, int selection)
{
  return WithinMemory(ShowTask(kind), [&] {
    LOCTVolume volume;
    LMesh mesh;
    if (!StageLabels(kind, selection, m_Shift, volume, mesh)) {
      m_Prompts.ShowMessage(loadmessages::NotEnoughMemory(ShowTask(kind)));
      return false;
    }
    if (!volume.loaded)
      return false;
    ShowStagedLabels(kind, volume, mesh);
    m_Unsaved.Clear(kind);
    return true;
  });
}

bool ScanWorkspace::ShowsLabels(ResultKind kind) const
{
  const LOCTVolume& shown = kind == ResultKind::Vessel ? *m_Slots->vessel.displayedObject : *m_Slots->sead.displayedObject;
  return shown.loaded && shown.VoxelCount() == m_DisplayedVolume.VoxelCount();
}

bool ScanWorkspace::ApplyMarkers(int selection)
{
  LMarkersSlot& slot = m_Slots->markers;
  const LMarkers& source = HasFile(slot, selection) ? slot.objects[size_t(selection)] : *slot.defaultObject;
  return WithinMemory(ShowTask(ResultKind::Markers), [&] {
    LMarkers made;
    (void)MakeDisplayedMarkers(source, m_Shift, CreatedHeader(), made);
    *slot.displayedObject = std::move(made);
    m_Unsaved.Clear(ResultKind::Markers);
    return true;
  });
}

bool ScanWorkspace::ApplySplines(int selection)
{
  LSplinesSlot& slot = m_Slots->splines;
  const LSplines& source = HasFile(slot, selection) ? slot.objects[size_t(selection)] : *slot.defaultObject;
  return WithinMemory(ShowTask(ResultKind::Splines), [&] {
    LSplineSet made;
    (void)MakeDisplayedSplines(source, m_Shift, CreatedHeader(), made);
    *slot.displayedObject = std::move(made);
    m_Unsaved.Clear(ResultKind::Splines);
    return true;
  });
}

namespace {
// The kind's chosen-file field, handed to visit.
template <typename Slots, typename Visit>
auto WithSelected(Slots& s, ResultKind kind, Visit visit)
{
  switch (kind) {
  case ResultKind::RefSurf: return visit(s.refSurf.selected);
  case ResultKind::Surfaces: return visit(s.surfaces.selected);
  case ResultKind::Proj: return visit(s.proj.selected);
  case ResultKind::Disc: return visit(s.disc.selected);
  case ResultKind::Vessel: return visit(s.vessel.selected);
  case ResultKind::SEAD: return visit(s.sead.selected);
  case ResultKind::GridCenter: return visit(s.gridCenter.selected);
  case ResultKind::Markers: return visit(s.markers.selected);
  default: return visit(s.splines.selected);
  }
}
}  // namespace

void ScanWorkspace::Select(ResultKind kind, int selection)
{
  WithSelected(*m_Slots, kind, [selection](int& selected) { selected = selection; });
}

int ScanWorkspace::Selected(ResultKind kind) const
{
  return WithSelected(*m_Slots, kind, [](const int& selected) { return selected; });
}

bool ScanWorkspace::SaveResult(ResultKind kind, const std::string& path, bool approved, SavedFile& saved)
{
  const bool allWritten = WithinMemory(loadmessages::KindTask("save", kind),
                                       [&] { return WriteResult(kind, path, approved, saved); });
  // Once the data file is on disk it holds the edits, whatever failed after it (the approval,
  // a label's mesh cache, which only follows from the labels).
  if (saved.written)
    m_Unsaved.Clear(kind);
  return allWritten;
}

bool ScanWorkspace::WriteResult(ResultKind kind, const std::string& path, bool approved, SavedFile& saved)
{
  ResultSaver saver = Saver();
  switch (kind) {
  case ResultKind::Surfaces: return saver.SaveSurfaces(path, approved, saved);
  case ResultKind::GridCenter: return saver.SaveGridCenter(path, approved, saved);
  case ResultKind::Markers: return saver.SaveMarkers(path, approved, saved);
  case ResultKind::Splines: return saver.SaveSplines(path, approved, saved);
  case ResultKind::Vessel:
  case ResultKind::SEAD: {
    const bool allWritten = saver.SaveLabels(kind, path, approved, saved);
    // What was written is shown from now on, its mesh cache written or not.
    if (saved.written)
      (void)ApplyLabels(kind, saved.index);
    return allWritten;
  }
  default: return false;
  }
}
