// Opening a scan, a folder or one result file: once unsaved edits that would be dropped were
// asked about, the workspace reads and checks them (showing its messages), then the view's
// controls show what it took over.
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgOpen.h"

#include <QAbstractButton>

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
  if (!MayDropEdits(EditableKinds()) || !m_Workspace.ScanFolder(folder))
    return false;
  ShowLoadedScan();
  return true;
}

bool CStrataviewView::OpenOCTFile(const std::string& path)
{
  return MayDropEdits(EditableKinds()) && OpenOCTFileWithoutAsking(path);
}

bool CStrataviewView::OpenOCTFileWithoutAsking(const std::string& path)
{
  if (!m_Workspace.OpenOCTFile(path))
    return false;
  ShowLoadedScan();
  return true;
}

void CStrataviewView::ShowLoadedScan()
{
  ShowScanControls();
  for (const ResultKind kind : {ResultKind::RefSurf, ResultKind::Surfaces, ResultKind::Proj, ResultKind::Disc,
                                ResultKind::Vessel, ResultKind::SEAD, ResultKind::GridCenter, ResultKind::Markers,
                                ResultKind::Splines})
    ShowKindControls(kind);
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
}
