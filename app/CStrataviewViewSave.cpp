// Saving results: the save dialog proposes a path per kind; the workspace writes the kind
// back at the scan's own depth, and the view shows the written file as the kind's chosen one.
#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgSave.h"
#include "model/SavePaths.h"
#include "model/ScanFolderScan.h"
#include "panes/LOCTImage.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSignalBlocker>

namespace {

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

}  // namespace

void CStrataviewView::ConnectSave()
{
  connect(m_MenuPanel->Button(CDlgMenu::kSave), &QAbstractButton::clicked, this, [this] { RunSaveDialog(); });
}

void CStrataviewView::RunSaveDialog()
{
  CDlgSave dialog(this, *this);
  const std::string& scanPath = m_Workspace.GetScanPath();
  const auto selectedPath = [&scanPath](const auto& slot, ResultKind kind) {
    return slot.count > 0 && slot.selected >= 0 && slot.selected < slot.count ? slot.pathList.GetAt(slot.selected)
                                                                             : savepaths::ProposedPath(kind, scanPath);
  };
  const LResultSlots& s = m_Workspace.Slots();
  // Surfaces are only ever saved over a loaded file: without one the row stays empty.
  dialog.savePaths = {s.surfaces.count > 0 ? selectedPath(s.surfaces, ResultKind::Surfaces) : std::string(),
                      selectedPath(s.gridCenter, ResultKind::GridCenter), selectedPath(s.vessel, ResultKind::Vessel),
                      selectedPath(s.sead, ResultKind::SEAD), selectedPath(s.markers, ResultKind::Markers),
                      selectedPath(s.splines, ResultKind::Splines)};
  (void)dialog.Run();
}

void CStrataviewView::ShowSavedFile(ResultKind kind, const SavedFile& saved)
{
  QComboBox* combo = m_DataPanel->Combo(ComboOf(kind));
  const QSignalBlocker block(combo);
  if (saved.added)
    combo->addItem(QString::fromStdString(scanfolder::Tag(kind, saved.path)));
  combo->setCurrentIndex(saved.index);
  combo->setEnabled(true);
  if (kind == ResultKind::Surfaces)
    m_DataPanel->Button(CDlgData::kShowSurfaces)->setEnabled(true);
}

// The slice panes name the surfaces file they show.
void CStrataviewView::ShowSavedSurfacesFile(const SavedFile& saved)
{
  const LResultHeader& header = m_Workspace.Slots().surfaces.objects[size_t(saved.index)].header;
  const std::string fileName = scanfolder::FileName(saved.path);
  ForEachSlicePane([&](LOCTImage& pane) {
    pane.SetSurfacesFileName(fileName);
    pane.SetSurfacesModifier(header.modifier);
    pane.SetSurfacesApproval(header.approval);
  });
  for (const int orientation : {OrientationXY, OrientationZY, OrientationXZ})
    InvalidateSlicePane(orientation);
}

bool CStrataviewView::SaveResult(ResultKind kind, const std::string& path, bool approved)
{
  SavedFile saved;
  const bool allDone = m_Workspace.SaveResult(kind, path, approved, saved);
  if (!saved.written)
    return false;
  HandOverWithinMemory([&] {
    if (kind == ResultKind::Surfaces)
      ShowSavedSurfacesFile(saved);
    if ((kind == ResultKind::Vessel || kind == ResultKind::SEAD) && PanesCreated())
      HandLabelsToPanes(kind);
    ShowSavedFile(kind, saved);
  });
  return allDone;
}
