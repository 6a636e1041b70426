// Writing the displayed results back to files: each kind's displayed data is turned back to
// the scan's own depth by the one shift it was shown with, written, approved or not, and
// taken into the kind's file list as if it had been loaded.
#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "data/FileApproval.h"
#include "dialogs/CDlgSave.h"
#include "model/DisplayedObjects.h"
#include "model/LoadMessages.h"
#include "model/SavePaths.h"
#include "model/ScanFolderScan.h"
#include "panes/LOCTImage.h"
#include "platform/Messages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSignalBlocker>
#include <algorithm>
#include <initializer_list>

namespace {

// Where the path stands in the kind's list: its index, or the next free one.
struct SaveTarget {
  int index = -1;
  bool added = false;
};

template <typename Slot>
SaveTarget FindTarget(const Slot& slot, const std::string& path)
{
  const auto& paths = slot.pathList;
  const auto found = std::find(paths.begin(), paths.end(), path);
  if (found != paths.end())
    return {static_cast<int>(found - paths.begin()), false};
  return {slot.count < kSlotCapacity ? slot.count : -1, true};
}

// The list changes only once the file is written, so the list, the objects and the combo
// box keep one index per file even after a failed write.
template <typename Slot>
void TakeTarget(Slot& slot, const SaveTarget& target, const std::string& path)
{
  if (target.added) {
    slot.pathList.Add(path);
    slot.count = slot.pathList.GetSize();
  }
  slot.selected = target.index;
}

std::string FileNameOf(const std::string& path)
{
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Root may write any file, so an approved one is refused here and not only by its mode.
bool MayWriteAll(std::initializer_list<std::string> files)
{
  return std::all_of(files.begin(), files.end(), [](const std::string& f) { return approval::MayOverwrite(f); });
}

bool FailSave(ResultKind kind)
{
  (void)platform::ShowMessage(loadmessages::FileError(kind), platform::kMbOk);
  return false;
}

// Every file takes the approval asked for; a file that keeps the other one is reported, as
// the user would otherwise take a writable file for an approved one.
bool SetApproval(std::initializer_list<std::string> files, bool approved)
{
  bool allSet = true;
  for (const std::string& file : files)
    if (!approval::SetApproved(file, approved)) {
      (void)platform::ShowMessage(loadmessages::ApprovalNotSet(file), platform::kMbOk);
      allSet = false;
    }
  return allSet;
}

// A file of more entries than the panes show was shown in part: writing the shown ones over
// it would drop the others.
template <typename Slot>
bool WouldDropEntries(const Slot& slot, const SaveTarget& target, ResultKind kind, const std::string& path)
{
  if (target.added || slot.objects[size_t(target.index)].count <= kMaxDisplayedMarkers)
    return false;
  (void)platform::ShowMessage(loadmessages::WouldDropEntries(kind, FileNameOf(path)), platform::kMbOk);
  return true;
}

int ComboOf(ResultKind kind)
{
  switch (kind) {
  case ResultKind::Surfaces: return CDlgData::kSurfacesCombo;
  case ResultKind::GridCenter: return CDlgData::kGridCenterCombo;
  case ResultKind::Vessel: return CDlgData::kVesselCombo;
  case ResultKind::SEAD: return CDlgData::kSEADCombo;
  case ResultKind::Markers: return CDlgData::kMarkersCombo;
  default: return CDlgData::kSplinesCombo;
  }
}

// stored := displayed moved back to the scan's depth; rows that came from outside the scan
// when it was shown become 0.
void UnshiftVolume(const LOCTVolume& displayed, const FlatteningShift& shift, LOCTVolume& stored)
{
  const size_t sizeX = size_t(displayed.sizeX), sizeY = size_t(displayed.sizeY);
  const unsigned short* from = displayed.Voxels();
  unsigned short* to = stored.Voxels();
  for (int z = 0; z < displayed.sizeZ; ++z)
    for (int x = 0; x < displayed.sizeX; ++x) {
      const int moved = shift.ToDisplayed(x, 0, z);  // where stored row 0 is shown
      for (int y = 0; y < displayed.sizeY; ++y) {
        const int v = y + moved;
        const size_t slice = size_t(z) * sizeY;
        to[size_t(x) + sizeX * (slice + size_t(y))] =
            v >= 0 && v < displayed.sizeY ? from[size_t(x) + sizeX * (slice + size_t(v))] : 0;
      }
    }
}

Point3i Unshifted(const Point3i& p, const FlatteningShift& shift)
{
  return Point3i{p.x, shift.ToStored(p.x, p.y, p.z), p.z};
}

}  // namespace

void CStrataviewView::ConnectSave()
{
  connect(m_MenuPanel->Button(CDlgMenu::kSave), &QAbstractButton::clicked, this, [this] { RunSaveDialog(); });
}

void CStrataviewView::RunSaveDialog()
{
  CDlgSave dialog(this, *this);
  const auto selectedPath = [this](const auto& slot, ResultKind kind) {
    return slot.count > 0 && slot.selected >= 0 && slot.selected < slot.count ? slot.pathList.GetAt(slot.selected)
                                                                             : savepaths::ProposedPath(kind, m_ScanPath);
  };
  const LResultSlots& s = *m_Slots;
  // Surfaces are only ever saved over a loaded file: without one the row stays empty.
  dialog.savePaths = {s.surfaces.count > 0 ? selectedPath(s.surfaces, ResultKind::Surfaces) : std::string(),
                      selectedPath(s.gridCenter, ResultKind::GridCenter), selectedPath(s.vessel, ResultKind::Vessel),
                      selectedPath(s.sead, ResultKind::SEAD), selectedPath(s.markers, ResultKind::Markers),
                      selectedPath(s.splines, ResultKind::Splines)};
  (void)dialog.Run();
}

void CStrataviewView::ShowSavedFile(ResultKind kind, int index, bool added, const std::string& path)
{
  QComboBox* combo = m_DataPanel->Combo(ComboOf(kind));
  const QSignalBlocker block(combo);
  if (added)
    combo->addItem(QString::fromStdString(scanfolder::Tag(kind, path)));
  combo->setCurrentIndex(index);
  combo->setEnabled(true);
  if (kind == ResultKind::Surfaces)
    m_DataPanel->Button(CDlgData::kShowSurfaces)->setEnabled(true);
}

bool CStrataviewView::SaveSurfaces(const std::string& path, bool approved)
{
  auto& slot = m_Slots->surfaces;
  const SaveTarget target = FindTarget(slot, path);
  if (target.index < 0 || !MayWriteAll({path}))
    return FailSave(ResultKind::Surfaces);
  const LSurfaces& shown = *slot.displayedObject;
  LSurfaces& saved = slot.objects[size_t(target.index)];
  saved.Create(shown.surfaceSizeX, shown.surfaceSizeZ, shown.surfaceCount, shown.labelIndex, shown.nameIndex,
               shown.instance, ViewHeader(m_DisplayedVolume), shown.nameText);
  saved.undefinedMask = shown.undefinedMask;
  for (size_t i = 0; i < shown.points.size() && i < saved.points.size(); ++i)
    saved.points[i] = Unshifted(shown.points[i], m_Shift);
  if (saved.WriteXml(path) != 0)
    return FailSave(ResultKind::Surfaces);
  TakeTarget(slot, target, path);
  const bool approvalSet = SetApproval({path}, approved);
  const std::string fileName = FileNameOf(path);
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetSurfacesFileName(fileName);
    pane.SetSurfacesModifier(saved.header.modifier);
    pane.SetSurfacesApproval(saved.header.approval);
  });
  for (const int orientation : {OrientationXY, OrientationZY, OrientationXZ})
    InvalidateSlicePane(orientation);
  ShowSavedFile(ResultKind::Surfaces, target.index, target.added, path);
  return approvalSet;
}

bool CStrataviewView::SaveGridCenter(const std::string& path, bool approved)
{
  auto& slot = m_Slots->gridCenter;
  const SaveTarget target = FindTarget(slot, path);
  if (target.index < 0 || !MayWriteAll({path}))
    return FailSave(ResultKind::GridCenter);
  LGridCenter& saved = slot.objects[size_t(target.index)];
  saved.Create(slot.gridCenter[0], slot.gridCenter[1], ViewHeader(m_DisplayedVolume));
  if (saved.WriteXml(path) != 0)
    return FailSave(ResultKind::GridCenter);
  TakeTarget(slot, target, path);
  const bool approvalSet = SetApproval({path}, approved);
  ShowSavedFile(ResultKind::GridCenter, target.index, target.added, path);
  return approvalSet;
}

bool CStrataviewView::SaveMarkers(const std::string& path, bool approved)
{
  auto& slot = m_Slots->markers;
  const SaveTarget target = FindTarget(slot, path);
  if (target.index < 0 || !MayWriteAll({path}))
    return FailSave(ResultKind::Markers);
  if (WouldDropEntries(slot, target, ResultKind::Markers, path))
    return false;
  const LMarkers& shown = *slot.displayedObject;
  LMarkers& saved = slot.objects[size_t(target.index)];
  const int count = std::clamp(slot.DisplayedMarkerCount(), 0,
                               static_cast<int>(std::min(shown.points.size(), shown.labels.size())));
  saved.Create(count, kMaxDisplayedMarkers, ViewHeader(m_DisplayedVolume));
  for (int j = 0; j < count; ++j) {
    saved.points[size_t(j)] = Unshifted(shown.points[size_t(j)], m_Shift);
    saved.labels[size_t(j)] = shown.labels[size_t(j)];
  }
  if (saved.WriteXml(path) != 0)
    return FailSave(ResultKind::Markers);
  TakeTarget(slot, target, path);
  const bool approvalSet = SetApproval({path}, approved);
  ShowSavedFile(ResultKind::Markers, target.index, target.added, path);
  return approvalSet;
}

bool CStrataviewView::SaveSplines(const std::string& path, bool approved)
{
  auto& slot = m_Slots->splines;
  const SaveTarget target = FindTarget(slot, path);
  if (target.index < 0 || !MayWriteAll({path}))
    return FailSave(ResultKind::Splines);
  if (WouldDropEntries(slot, target, ResultKind::Splines, path))
    return false;
  const LSplineSet& shown = *slot.displayedObject;
  LSplineSet& saved = slot.objects[size_t(target.index)];
  const int count = std::clamp(slot.DisplayedSplineCount(), 0,
                               static_cast<int>(std::min({shown.planes.size(), shown.closed.size(),
                                                          shown.controlPoints.size()})));
  saved.Create(count, kMaxSplines, ViewHeader(m_DisplayedVolume));
  for (size_t j = 0; j < size_t(count); ++j) {
    saved.planes[j] = shown.planes[j];
    saved.closed[j] = shown.closed[j];
    for (const Point3i& p : shown.controlPoints[j])
      saved.controlPoints[j].push_back(Unshifted(p, m_Shift));
  }
  if (saved.WriteXml(path) != 0)
    return FailSave(ResultKind::Splines);
  TakeTarget(slot, target, path);
  const bool approvalSet = SetApproval({path}, approved);
  ShowSavedFile(ResultKind::Splines, target.index, target.added, path);
  return approvalSet;
}

bool CStrataviewView::SaveVessel(const std::string& path, bool approved)
{
  return SaveLabels(m_Slots->vessel, ResultKind::Vessel, path, approved);
}

bool CStrataviewView::SaveSEAD(const std::string& path, bool approved)
{
  return SaveLabels(m_Slots->sead, ResultKind::SEAD, path, approved);
}

bool CStrataviewView::SaveLabels(LLabelSlot& slot, ResultKind kind, const std::string& requested, bool approved)
{
  const std::string path = savepaths::LabelHeaderPath(requested);
  const std::string data = savepaths::LabelDataPath(path);
  const std::string mesh = scanfolder::MeshCachePath(path);
  const SaveTarget target = FindTarget(slot, path);
  const LOCTVolume& shown = *slot.displayedObject;
  if (target.index < 0 || !shown.loaded || !MayWriteAll({path, data, mesh}))
    return FailSave(kind);
  LOCTVolume& saved = slot.objects[size_t(target.index)];
  const int size[3] = {shown.sizeX, shown.sizeY, shown.sizeZ};
  const float spacing[3] = {shown.spacingX, shown.spacingY, shown.spacingZ};
  saved.CreateVolume(size, shown.format, spacing, shown.bytesPerVoxel, shown.laterality, shown.centerType);
  UnshiftVolume(shown, m_Shift, saved);
  if (saved.WriteMetaImage(path) != 0)
    return FailSave(kind);
  TakeTarget(slot, target, path);
  LMesh& savedMesh = slot.meshes[size_t(target.index)];
  savedMesh.SetLabelVolume(size, spacing, saved.Voxels(), saved.bytesPerVoxel);
  savedMesh.Build(true, kind == ResultKind::Vessel ? m_Settings.MeshSmoothingVessel : m_Settings.MeshSmoothingSEAD);
  if (kind == ResultKind::Vessel)
    ApplyVessel(target.index);
  else
    ApplySEAD(target.index);
  // The volume is written and shown from now on: the list and the combo box name it even
  // when its mesh cache cannot be written.
  ShowSavedFile(kind, target.index, target.added, path);
  if (savedMesh.WriteVtk(mesh) != 0) {
    (void)SetApproval({path, data}, approved);
    return FailSave(kind);
  }
  return SetApproval({path, data, mesh}, approved);
}

bool CStrataviewView::SaveResult(ResultKind kind, const std::string& path, bool approved)
{
  using Saver = bool (CStrataviewView::*)(const std::string&, bool);
  const std::pair<ResultKind, Saver> savers[] = {
    {ResultKind::Surfaces, &CStrataviewView::SaveSurfaces}, {ResultKind::GridCenter, &CStrataviewView::SaveGridCenter},
    {ResultKind::Vessel, &CStrataviewView::SaveVessel},     {ResultKind::SEAD, &CStrataviewView::SaveSEAD},
    {ResultKind::Markers, &CStrataviewView::SaveMarkers},   {ResultKind::Splines, &CStrataviewView::SaveSplines},
  };
  for (const auto& [savedKind, saver] : savers)
    if (savedKind == kind)
      return (this->*saver)(path, approved);
  return false;
}
