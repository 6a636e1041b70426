#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "dialogs/CDlgOpen.h"

#include <QAbstractButton>

namespace {

// What the open dialog asks of one result kind.
struct KindOperations {
  ResultKind kind;
  bool (CStrataviewView::*open)(const std::string&);
  void (CStrataviewView::*apply)(int);
  int (CStrataviewView::*selection)() const;
};

const KindOperations kKindOperations[] = {
  {ResultKind::RefSurf, &CStrataviewView::OpenRefSurfFile, &CStrataviewView::ApplyRefSurf,
   &CStrataviewView::GetRefSurfCurSel},
  {ResultKind::Surfaces, &CStrataviewView::OpenSurfacesFile, &CStrataviewView::ApplySurfaces,
   &CStrataviewView::GetSurfacesCurSel},
  {ResultKind::Proj, &CStrataviewView::OpenProjFile, &CStrataviewView::ApplyProj, &CStrataviewView::GetProjCurSel},
  {ResultKind::Disc, &CStrataviewView::OpenDiscFile, &CStrataviewView::ApplyDisc, &CStrataviewView::GetDiscCurSel},
  {ResultKind::Vessel, &CStrataviewView::OpenVesselFile, &CStrataviewView::ApplyVessel,
   &CStrataviewView::GetVesselCurSel},
  {ResultKind::SEAD, &CStrataviewView::OpenSEADFile, &CStrataviewView::ApplySEAD, &CStrataviewView::GetSEADCurSel},
  {ResultKind::GridCenter, &CStrataviewView::OpenGridCenterFile, &CStrataviewView::ApplyGridCenter,
   &CStrataviewView::GetGridCenterCurSel},
  {ResultKind::Markers, &CStrataviewView::OpenMarkersFile, &CStrataviewView::ApplyMarkers,
   &CStrataviewView::GetMarkersCurSel},
  {ResultKind::Splines, &CStrataviewView::OpenSplinesFile, &CStrataviewView::ApplySplines,
   &CStrataviewView::GetSplinesCurSel},
};

const KindOperations* OperationsOf(ResultKind kind)
{
  for (const KindOperations& operations : kKindOperations)
    if (operations.kind == kind)
      return &operations;
  return nullptr;
}

}  // namespace

void CStrataviewView::CreateOpenDialog()
{
  // Hidden until the menu's Open shows it; showing it resets nothing.
  m_OpenDialog = new CDlgOpen(*this, *this);
  m_OpenDialog->OnInitDialog();
  connect(m_MenuPanel->Button(CDlgMenu::kOpen), &QAbstractButton::clicked, this, [this] {
    m_OpenDialog->show();
    m_OpenDialog->raise();
    m_OpenDialog->activateWindow();
  });
}

bool CStrataviewView::OpenResultFile(ResultKind kind, const std::string& path)
{
  const KindOperations* operations = OperationsOf(kind);
  return operations && (this->*operations->open)(path);
}

void CStrataviewView::ApplyChosenFile(ResultKind kind)
{
  if (const KindOperations* operations = OperationsOf(kind))
    (this->*operations->apply)((this->*operations->selection)());
}
