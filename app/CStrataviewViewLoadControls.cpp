// What a load shows in the panels: the caption and the scan's description, the settings in
// the menu panel's boxes, each kind's file list with its chosen entry, and which controls
// can be used. Filling a control by code sends no notification.
#include "app/CStrataviewView.h"

#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/LButton.h"
#include "model/HeaderStrings.h"
#include "model/OctInfoText.h"
#include "model/ScanFolderScan.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <cstdlib>

namespace {

const float kSurfacesMargins[] = {0.05f, 0.10f, 0.20f, 0.40f, 0.60f, 1.00f, 1.50f};
const float kLabelMargins[] = {0.01f, 0.03f, 0.05f, 0.10f, 0.30f, 0.50f, 1.00f, 1.50f};

void Select(QComboBox* combo, int index)
{
  const QSignalBlocker block(combo);
  combo->setCurrentIndex(index);
}

// A margin that is none of the box's values leaves the box as it was.
template <size_t N>
void SelectMargin(QComboBox* combo, const float (&margins)[N], float margin)
{
  for (size_t i = 0; i < N; ++i)
    if (margins[i] == margin)
      Select(combo, static_cast<int>(i));
}

void SetToggle(QAbstractButton* button, bool enabled, bool pressed)
{
  const QSignalBlocker block(button);
  button->setEnabled(enabled);
  button->setChecked(pressed);
}

void FillCombo(QComboBox* combo, ResultKind kind, const CSortStringArray& paths, int selected, bool withNone)
{
  const QSignalBlocker block(combo);
  combo->clear();
  if (withNone)
    combo->addItem(QStringLiteral("None"));
  for (const std::string& path : paths)
    combo->addItem(QString::fromStdString(scanfolder::Tag(kind, path)));
  combo->setCurrentIndex(selected);
}

}  // namespace

void CStrataviewView::ShowScanControls()
{
  if (QWidget* frame = window(); frame && frame != this)
    frame->setWindowTitle(QString::fromStdString(m_Workspace.GetScanPath() + "[*] - " + kHeaderStrings[1] + " (" +
                                                 kHeaderStrings[7] + ")"));
  for (const int id : {CDlgMenu::kGrid, CDlgMenu::kThicknessFrom, CDlgMenu::kThicknessTo,
                       CDlgMenu::kCreateProjFrom, CDlgMenu::kCreateProjTo}) {
    const QSignalBlocker block(m_MenuPanel->Combo(id));
    m_MenuPanel->Combo(id)->clear();
  }
  ShowSettingsInMenu();
  m_DataPanel->OCTInfo()->setPlainText(QString::fromStdString(OctInfoText(m_Workspace.GetReadVolume())));
  for (const int id : {CDlgMenu::kSave, CDlgMenu::kReset, CDlgMenu::kMouse, CDlgMenu::kLayout, CDlgMenu::kAvg,
                       CDlgMenu::kGuideLines, CDlgMenu::kOverlay, CDlgMenu::kExecutables})
    m_MenuPanel->Control(id)->setEnabled(true);
  m_DataPanel->Control(CDlgData::kOCTInfo)->setEnabled(true);
  m_DataPanel->Control(CDlgData::kLaterality)->setEnabled(true);
  for (QScrollBar* bar : m_ScrollBars)
    bar->setEnabled(true);
  for (const auto& column : m_PaneButtons)
    for (QAbstractButton* button : column)
      button->setEnabled(true);
  for (int k = 0; k < CDlgData::kSurfaceBoxCount; ++k) {
    m_DataPanel->SurfaceBox(k)->setText(QString::number(k + 1));
    m_DataPanel->SurfaceBox(k)->setEnabled(false);
  }
}

void CStrataviewView::ShowSettingsInMenu()
{
  const LSettings& s = m_Workspace.Settings();
  Select(m_MenuPanel->Combo(CDlgMenu::kAvg), (s.AvgSliceNum - 1) / 2);
  SelectMargin(m_MenuPanel->Combo(CDlgMenu::kSurfacesMargin), kSurfacesMargins, s.SurfacesMargin);
  SelectMargin(m_MenuPanel->Combo(CDlgMenu::kUndefinedRegionMargin), kSurfacesMargins, s.UndefinedRegionMargin);
  SelectMargin(m_MenuPanel->Combo(CDlgMenu::kVesselMargin), kLabelMargins, s.VesselMargin);
  SelectMargin(m_MenuPanel->Combo(CDlgMenu::kSEADMargin), kLabelMargins, s.SEADMargin);
  Select(m_MenuPanel->Combo(CDlgMenu::kSurfacesModification), s.SurfacesModification);
  Select(m_MenuPanel->Combo(CDlgMenu::kUndefinedRegionModification), s.UndefinedRegionModification);
  Select(m_MenuPanel->Combo(CDlgMenu::kVesselModification), s.VesselModification);
  Select(m_MenuPanel->Combo(CDlgMenu::kSEADModification), s.SEADModification);
  Select(m_MenuPanel->Combo(CDlgMenu::kMarkersCombo), std::atoi(s.MarkersLabel.c_str()));
}

void CStrataviewView::ShowKindControls(ResultKind kind)
{
  switch (kind) {
    case ResultKind::RefSurf: ShowRefSurfControls(); break;
    case ResultKind::Surfaces: ShowSurfacesControls(); break;
    case ResultKind::Proj:
    case ResultKind::Disc: ShowImageControls(kind); break;
    case ResultKind::Vessel:
    case ResultKind::SEAD: ShowLabelControls(kind); break;
    case ResultKind::GridCenter:
    case ResultKind::Markers:
    case ResultKind::Splines: ShowPointControls(kind); break;
    default: break;
  }
}

void CStrataviewView::ShowRefSurfControls()
{
  const LRefSurfSlot& slot = m_Workspace.Slots().refSurf;
  const bool any = slot.count > 0;
  FillCombo(m_DataPanel->Combo(CDlgData::kRefSurfCombo), ResultKind::RefSurf, slot.pathList, 0, true);
  SetToggle(m_DataPanel->Button(CDlgData::kShowRefSurf), any, any && m_Workspace.Settings().ShowRefSurf);
  m_DataPanel->Control(CDlgData::kRefSurfCombo)->setEnabled(any);
  m_DataPanel->Control(CDlgData::kFlattening)->setEnabled(any);
}

void CStrataviewView::ShowSurfacesControls()
{
  const auto& slot = m_Workspace.Slots().surfaces;
  const bool any = slot.count > 0;
  FillCombo(m_DataPanel->Combo(CDlgData::kSurfacesCombo), ResultKind::Surfaces, slot.pathList, slot.selected, false);
  const LSettings& s = m_Workspace.Settings();
  SetToggle(m_DataPanel->Button(CDlgData::kShowSurfaces), any, any && s.ShowSurfaces);
  SetToggle(m_MenuPanel->Button(CDlgMenu::kThickness), any, s.ShowThickness);
  SetToggle(m_MenuPanel->Button(CDlgMenu::kCreateProj), any, s.ShowCreateProj);
  m_DataPanel->Control(CDlgData::kSurfacesCombo)->setEnabled(any);
  for (const int id : {CDlgMenu::kGrid, CDlgMenu::kThicknessFrom, CDlgMenu::kThicknessTo, CDlgMenu::kCreateProjFrom,
                       CDlgMenu::kCreateProjTo, CDlgMenu::kUndefinedRegion})
    m_MenuPanel->Control(id)->setEnabled(any);
  // Surfaces make a projection of their own, so the projection can be shown without a file.
  if (any)
    SetToggle(m_DataPanel->Button(CDlgData::kShowProj), true, s.ShowProj);
}

void CStrataviewView::ShowImageControls(ResultKind kind)
{
  const bool proj = kind == ResultKind::Proj;
  const LResultSlot<LImage2D>& slot = proj ? m_Workspace.Slots().proj : m_Workspace.Slots().disc;
  const int checkId = proj ? CDlgData::kShowProj : CDlgData::kShowDisc;
  const int comboId = proj ? CDlgData::kProjCombo : CDlgData::kDiscCombo;
  const bool shown = proj ? m_Workspace.Settings().ShowProj : m_Workspace.Settings().ShowDisc;
  const bool any = slot.count > 0;
  FillCombo(m_DataPanel->Combo(comboId), kind, slot.pathList, slot.selected, false);
  SetToggle(m_DataPanel->Button(checkId), any, any && shown);
  m_DataPanel->Control(comboId)->setEnabled(any);
  if (proj && m_Workspace.Slots().surfaces.count > 0)
    SetToggle(m_DataPanel->Button(checkId), true, shown);
}

void CStrataviewView::ShowLabelControls(ResultKind kind)
{
  const bool vessel = kind == ResultKind::Vessel;
  const LLabelSlot& slot = vessel ? m_Workspace.Slots().vessel : m_Workspace.Slots().sead;
  const int comboId = vessel ? CDlgData::kVesselCombo : CDlgData::kSEADCombo;
  FillCombo(m_DataPanel->Combo(comboId), kind, slot.pathList, slot.selected, false);
  SetToggle(m_DataPanel->Button(vessel ? CDlgData::kShowVessel : CDlgData::kShowSEAD), true,
            vessel ? m_Workspace.Settings().ShowVessel : m_Workspace.Settings().ShowSEAD);
  m_DataPanel->Control(comboId)->setEnabled(slot.count > 0);
}

void CStrataviewView::ShowPointControls(ResultKind kind)
{
  const LSettings& s = m_Workspace.Settings();
  int comboId = CDlgData::kGridCenterCombo;
  const CSortStringArray* paths = &m_Workspace.Slots().gridCenter.pathList;
  int count = m_Workspace.Slots().gridCenter.count;
  int selected = m_Workspace.Slots().gridCenter.selected;
  if (kind == ResultKind::Markers) {
    comboId = CDlgData::kMarkersCombo;
    paths = &m_Workspace.Slots().markers.pathList;
    count = m_Workspace.Slots().markers.count;
    selected = m_Workspace.Slots().markers.selected;
    SetToggle(m_DataPanel->Button(CDlgData::kShowMarkers), true, s.ShowMarkers);
  } else if (kind == ResultKind::Splines) {
    comboId = CDlgData::kSplinesCombo;
    paths = &m_Workspace.Slots().splines.pathList;
    count = m_Workspace.Slots().splines.count;
    selected = m_Workspace.Slots().splines.selected;
    SetToggle(m_DataPanel->Button(CDlgData::kShowSplines), true, s.ShowSplines);
    m_MenuPanel->Control(CDlgMenu::kAddSpline)->setEnabled(s.ShowSplines);
  }
  FillCombo(m_DataPanel->Combo(comboId), kind, *paths, selected, false);
  m_DataPanel->Control(comboId)->setEnabled(count > 0);
}
