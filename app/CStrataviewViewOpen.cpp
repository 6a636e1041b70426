// Opening a scan, a folder or one result file: once unsaved edits that would be dropped were
// asked about, the workspace reads and checks them (showing its messages), then the view's
// controls show what it took over.
#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgOpen.h"
#include "model/LoadMessages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSignalBlocker>
#include <new>

void CStrataviewView::CreateOpenDialog()
{
  // Hidden until the menu's Open shows it; showing it resets nothing.
  m_OpenDialog = new CDlgOpen(*this, *this);
  m_OpenDialog->OnInitDialog();
  connect(m_MenuPanel->Button(CDlgMenu::kOpen), &QAbstractButton::clicked, this, &CStrataviewView::ShowOpenDialog);
}

void CStrataviewView::ShowOpenDialog()
{
  m_OpenDialog->show();
  m_OpenDialog->raise();
  m_OpenDialog->activateWindow();
}

bool CStrataviewView::ScanFolder(const std::string& folder)
{
  return MayDropEdits(EditableKinds()) && m_Workspace.ScanFolder(folder) && ShowOpenedScanControls();
}

bool CStrataviewView::OpenOCTFile(const std::string& path)
{
  return MayDropEdits(EditableKinds()) && OpenOCTFileWithoutAsking(path);
}

bool CStrataviewView::OpenOCTFileWithoutAsking(const std::string& path)
{
  return m_Workspace.OpenOCTFile(path) && ShowOpenedScanControls();
}

bool CStrataviewView::ShowOpenedScanControls()
{
  try {
    ShowLoadedScan();
    return true;
  } catch (const std::bad_alloc&) {
    ReopenReplacedScan();
    ShowMemoryMessage("open the scan");
    return false;
  }
}

void CStrataviewView::ReopenReplacedScan()
{
  if (!m_Workspace.RestoreReplacedScan())
    return;
  // The controls show what is open as far as memory lets them; the panes show it anyway.
  try {
    ShowRestoredScan();
  } catch (const std::bad_alloc&) {
  }
}

void CStrataviewView::ShowMemoryMessage(const char* task)
{
  try {
    m_Prompts.ShowMessage(task ? loadmessages::NotEnoughMemory(task) : loadmessages::kPanesEmptiedForMemory);
  } catch (const std::bad_alloc&) {
  }
}

void CStrataviewView::ShowLoadedScan()
{
  ShowScanControls();
  ShowEveryKindsControls();
}

void CStrataviewView::ShowEveryKindsControls()
{
  for (const ResultKind kind : {ResultKind::RefSurf, ResultKind::Surfaces, ResultKind::Proj, ResultKind::Disc,
                                ResultKind::Vessel, ResultKind::SEAD, ResultKind::GridCenter, ResultKind::Markers,
                                ResultKind::Splines})
    ShowKindControls(kind);
}

// The panes still show the scan open again; its load's controls are shown as the display
// left them: the chosen reference surface and the surfaces' boxes and choices.
void CStrataviewView::ShowRestoredScan()
{
  if (!m_Workspace.GetReadVolume().loaded) {  // there was none
    ShowEveryKindsControls();
    DisableScanControls();
    if (QWidget* frame = window(); frame && frame != this)
      frame->setWindowTitle(QStringLiteral("Strataview"));
    return;
  }
  ShowLoadedScan();
  QComboBox* refSurf = m_DataPanel->Combo(CDlgData::kRefSurfCombo);
  {
    const QSignalBlocker block(refSurf);
    refSurf->setCurrentIndex(m_Workspace.Selected(ResultKind::RefSurf));
  }
  if (PanesCreated() && m_Workspace.ShowsChosenFile(ResultKind::Surfaces)) {
    const LSurfaces& shown = *m_Workspace.Slots().surfaces.displayedObject;
    ShowSurfaceBoxes(shown);
    ShowSurfaceChoices(shown.surfaceCount);
  }
}

bool CStrataviewView::OpenResultFile(ResultKind kind, const std::string& path)
{
  if (!MayDropEdits({kind}) || !m_Workspace.OpenResultFile(kind, path))
    return false;
  ShowKindControls(kind);
  return true;
}

void CStrataviewView::ApplyChosenFile(ResultKind kind)
{
  if (MayDropEdits({kind}))
    ShowChosenFile(kind);
}

void CStrataviewView::ShowChosenFile(ResultKind kind)
{
  const int selection = m_Workspace.Selected(kind);
  HandOverWithinMemory([&] {
    switch (kind) {
    case ResultKind::RefSurf: ApplyRefSurf(selection); break;
    case ResultKind::Surfaces: ApplySurfaces(selection); break;
    case ResultKind::Proj: ApplyProj(selection); break;
    case ResultKind::Disc: ApplyDisc(selection); break;
    case ResultKind::Vessel: ApplyVessel(selection); break;
    case ResultKind::SEAD: ApplySEAD(selection); break;
    case ResultKind::GridCenter: ApplyGridCenter(selection); break;
    case ResultKind::Markers: ApplyMarkers(selection); break;
    case ResultKind::Splines: ApplySplines(selection); break;
    default: break;
    }
  });
}
