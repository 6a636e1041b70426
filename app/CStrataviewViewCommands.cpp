// The commands behind the menu and data panels' controls that change what is shown and how
// the mouse acts: each changes a setting, hands it to the panes that use it, sets its
// control and writes its profile key at once.
#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "app/LButton.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "panes/PaneConventions.h"
#include "platform/ColorRefQt.h"
#include "platform/WaitCursor.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSignalBlocker>
#include <string>

namespace {

// The Mouse combo's item texts, in mode order.
const char* const kMouseModeTexts[] = {"Position", "Window", "Zoom", "Pan", "Surfaces", "Undef. Region",
                                        "Grid Center", "Vessel", "SEAD", "Markers", "Splines"};
constexpr int kMouseModeCount = sizeof(kMouseModeTexts) / sizeof(kMouseModeTexts[0]);

int MouseModeOfText(const QString& text)
{
  for (int mode = 0; mode < kMouseModeCount; ++mode)
    if (text == QLatin1String(kMouseModeTexts[mode]))
      return mode;
  return -1;
}

// The number an item of a numbered combo shows; 0 when it shows none.
int ItemNumber(const QComboBox* combo)
{
  return combo->currentText().toInt();
}

void SetCheck(QAbstractButton* check, bool on)
{
  if (check)
    check->setChecked(on);
}

// The edit-options slot's controls that each mouse mode shows; the others are hidden.
struct EditGroup {
  int mode;
  std::initializer_list<int> controls;
};
const EditGroup kEditGroups[] = {
  {MouseSurfaces, {CDlgMenu::kSurfacesLabel, CDlgMenu::kSurfacesMargin, CDlgMenu::kSurfacesModification}},
  {MouseUndefinedRegion,
   {CDlgMenu::kUndefinedRegionLabel, CDlgMenu::kUndefinedRegionMargin, CDlgMenu::kUndefinedRegionModification}},
  {MouseVessel, {CDlgMenu::kVesselLabel, CDlgMenu::kVesselMargin, CDlgMenu::kVesselModification}},
  {MouseSEAD, {CDlgMenu::kSEADLabel, CDlgMenu::kSEADMargin, CDlgMenu::kSEADModification}},
  {MouseMarkers, {CDlgMenu::kMarkersLabel, CDlgMenu::kMarkersCombo}},
  {MouseSplines, {CDlgMenu::kAddSpline}},
};

}  // namespace

void CStrataviewView::ConnectCommandControls()
{
  const auto onClick = [this](QAbstractButton* button, void (CStrataviewView::*handler)()) {
    connect(button, &QAbstractButton::clicked, this, [this, handler] {
      const platform::WaitCursor busy;
      (this->*handler)();
    });
  };
  const auto onCombo = [this](QComboBox* combo, void (CStrataviewView::*handler)()) {
    connect(combo, &QComboBox::activated, this, [this, handler] {
      const platform::WaitCursor busy;
      (this->*handler)();
    });
  };
  for (const auto& [id, handler] : {std::pair{int(CDlgData::kShowRefSurf), &CStrataviewView::ToggleShowRefSurf},
                                    {CDlgData::kShowProj, &CStrataviewView::ToggleShowProj},
                                    {CDlgData::kShowDisc, &CStrataviewView::ToggleShowDisc},
                                    {CDlgData::kShowVessel, &CStrataviewView::ToggleShowVessel},
                                    {CDlgData::kShowSEAD, &CStrataviewView::ToggleShowSEAD},
                                    {CDlgData::kShowMarkers, &CStrataviewView::ToggleShowMarkers},
                                    {CDlgData::kShowSplines, &CStrataviewView::ToggleShowSplines}})
    onClick(m_DataPanel->Button(id), handler);
  for (const auto& [id, handler] : {std::pair{int(CDlgMenu::kGuideLines), &CStrataviewView::ToggleShowGuideLines},
                                    {CDlgMenu::kOverlay, &CStrataviewView::ToggleShowOverlay},
                                    {CDlgMenu::kUndefinedRegion, &CStrataviewView::ToggleShowUndefinedRegion},
                                    {CDlgMenu::kThickness, &CStrataviewView::ToggleShowThickness},
                                    {CDlgMenu::kCreateProj, &CStrataviewView::ToggleShowCreateProj},
                                    {CDlgMenu::kReset, &CStrataviewView::ResetDisplay},
                                    {CDlgMenu::kAddSpline, &CStrataviewView::BeginAddSpline}})
    onClick(m_MenuPanel->Button(id), handler);
  for (const auto& [id, handler] :
       {std::pair{int(CDlgMenu::kAvg), &CStrataviewView::SelectAvgSliceNum},
        {CDlgMenu::kThicknessFrom, &CStrataviewView::SelectThicknessSurfaceFrom},
        {CDlgMenu::kThicknessTo, &CStrataviewView::SelectThicknessSurfaceTo},
        {CDlgMenu::kCreateProjFrom, &CStrataviewView::SelectCreateProjSurfaceFrom},
        {CDlgMenu::kCreateProjTo, &CStrataviewView::SelectCreateProjSurfaceTo},
        {CDlgMenu::kSurfacesMargin, &CStrataviewView::SelectSurfacesMargin},
        {CDlgMenu::kUndefinedRegionMargin, &CStrataviewView::SelectUndefinedRegionMargin},
        {CDlgMenu::kVesselMargin, &CStrataviewView::SelectVesselMargin},
        {CDlgMenu::kSEADMargin, &CStrataviewView::SelectSEADMargin},
        {CDlgMenu::kSurfacesModification, &CStrataviewView::SelectSurfacesModification},
        {CDlgMenu::kUndefinedRegionModification, &CStrataviewView::SelectUndefinedRegionModification},
        {CDlgMenu::kVesselModification, &CStrataviewView::SelectVesselModification},
        {CDlgMenu::kSEADModification, &CStrataviewView::SelectSEADModification},
        {CDlgMenu::kMarkersCombo, &CStrataviewView::SelectMarkersLabel}})
    onCombo(m_MenuPanel->Combo(id), handler);
  onCombo(m_DataPanel->Combo(CDlgData::kLaterality), &CStrataviewView::SelectLaterality);
  connect(m_MenuPanel->Combo(CDlgMenu::kMouse), &QComboBox::activated, this, [this] {
    SelectMouseMode(MouseModeOfText(m_MenuPanel->Combo(CDlgMenu::kMouse)->currentText()));
  });
  connect(m_MenuPanel->Combo(CDlgMenu::kGrid), &QComboBox::activated, this, [this](int index) {
    const platform::WaitCursor busy;
    SetGridMode(index);
  });
  for (int k = 0; k < CDlgData::kSurfaceBoxCount; ++k)
    connect(m_DataPanel->SurfaceBox(k), &QAbstractButton::clicked, this, [this, k] {
      const platform::WaitCursor busy;
      ToggleShowSurface(k);
    });
}

void CStrataviewView::SetMouseMode(int mode)
{
  if (mode < 0 || mode >= kMouseModeCount)
    return;
  m_Workspace.Settings().Mouse = mode;
  ForEachSlicePane([mode](LOCTImage& pane) { pane.SetMouseMode(mode); });
  if (m_ProjPane)
    m_ProjPane->SetMouseMode(mode);
  if (m_3DPane)
    m_3DPane->SetMouseMode(mode);
  (void)WriteSetting(m_Workspace.Settings(), "Mouse");
}

void CStrataviewView::SelectMouseMode(int mode)
{
  if (mode < 0 || mode >= kMouseModeCount)
    return;
  SetMouseMode(mode);
  QComboBox* combo = m_MenuPanel->Combo(CDlgMenu::kMouse);
  const QSignalBlocker block(combo);
  combo->setCurrentIndex(mode);
  ShowEditOptions(mode);
}

void CStrataviewView::ShowEditOptions(int mode)
{
  for (const EditGroup& group : kEditGroups)
    for (const int id : group.controls)
      m_MenuPanel->Control(id)->setVisible(group.mode == mode);
}

bool CStrataviewView::FlipShowSetting(bool LSettings::*flag, const char* key, QAbstractButton* check)
{
  const bool on = !(m_Workspace.Settings().*flag);
  m_Workspace.Settings().*flag = on;
  SetCheck(check, on);
  (void)WriteSetting(m_Workspace.Settings(), key);
  return on;
}

void CStrataviewView::ToggleShowRefSurf()
{
  const bool on = FlipShowSetting(&LSettings::ShowRefSurf, "ShowRefSurf", m_DataPanel->Button(CDlgData::kShowRefSurf));
  const int selected = m_Workspace.Slots().refSurf.selected;
  if (selected < 0)
    return;
  const bool show = selected > 0 && on;
  ForEachSlicePane([show](LOCTImage& pane) { pane.ShowRefSurface(show); });
  if (m_3DPane)
    m_3DPane->ShowRefSurface(show);
}

void CStrataviewView::ToggleShowSurfaces()
{
  const bool on = FlipShowSetting(&LSettings::ShowSurfaces, "ShowSurfaces",
                                  m_DataPanel ? m_DataPanel->Button(CDlgData::kShowSurfaces) : nullptr);
  ForEachSlicePane([on](LOCTImage& pane) { pane.ShowSurfaces(on); });
  if (m_3DPane)
    m_3DPane->ShowSurfaces(on);
}

void CStrataviewView::ToggleShowProj()
{
  const bool on = FlipShowSetting(&LSettings::ShowProj, "ShowProj", m_DataPanel->Button(CDlgData::kShowProj));
  // Without a projection to show, the projection stays hidden whatever the check box says.
  const bool show = on && (m_Workspace.Settings().ShowCreateProj || m_Workspace.Slots().proj.count > 0);
  if (m_ProjPane)
    m_ProjPane->ShowProjection(show);
  if (m_3DPane)
    m_3DPane->ShowProjection(show);
}

void CStrataviewView::ToggleShowDisc()
{
  const bool on = FlipShowSetting(&LSettings::ShowDisc, "ShowDisc", m_DataPanel->Button(CDlgData::kShowDisc));
  ForEachSlicePane([on](LOCTImage& pane) { pane.ShowDisc(on); });
  if (m_ProjPane)
    m_ProjPane->ShowDisc(on);
  if (m_3DPane)
    m_3DPane->ShowDisc(on);
}

void CStrataviewView::ToggleShowVessel()
{
  const bool on = FlipShowSetting(&LSettings::ShowVessel, "ShowVessel", m_DataPanel->Button(CDlgData::kShowVessel));
  ForEachSlicePane([on](LOCTImage& pane) { pane.ShowVessel(on); });
  if (m_3DPane)
    m_3DPane->ShowVessel(on);
}

void CStrataviewView::ToggleShowSEAD()
{
  const bool on = FlipShowSetting(&LSettings::ShowSEAD, "ShowSEAD", m_DataPanel->Button(CDlgData::kShowSEAD));
  ForEachSlicePane([on](LOCTImage& pane) { pane.ShowSEAD(on); });
  if (m_3DPane)
    m_3DPane->ShowSEAD(on);
}

void CStrataviewView::ToggleShowMarkers()
{
  const bool on = FlipShowSetting(&LSettings::ShowMarkers, "ShowMarkers", m_DataPanel->Button(CDlgData::kShowMarkers));
  ForEachSlicePane([on](LOCTImage& pane) { pane.ShowMarkers(on); });
  if (m_3DPane)
    m_3DPane->ShowMarkers(on);
}

void CStrataviewView::ToggleShowSplines()
{
  const bool on = FlipShowSetting(&LSettings::ShowSplines, "ShowSplines", m_DataPanel->Button(CDlgData::kShowSplines));
  ForEachSlicePane([on](LOCTImage& pane) { pane.ShowSplines(on); });
  if (m_3DPane)
    m_3DPane->ShowSplines(on);
  m_MenuPanel->Control(CDlgMenu::kAddSpline)->setEnabled(on);
}

void CStrataviewView::ToggleShowGuideLines()
{
  const bool on = FlipShowSetting(&LSettings::ShowGuideLines, "ShowGuideLines", m_MenuPanel->Button(CDlgMenu::kGuideLines));
  ForEachSlicePane([on](LOCTImage& pane) { pane.ShowGuideLines(on); });
  if (m_ProjPane)
    m_ProjPane->ShowGuideLines(on);
  if (m_3DPane)
    m_3DPane->ShowGuideLines(on);
}

void CStrataviewView::ToggleShowOverlay()
{
  const bool on = FlipShowSetting(&LSettings::ShowOverlay, "ShowOverlay", m_MenuPanel->Button(CDlgMenu::kOverlay));
  ForEachSlicePane([on](LOCTImage& pane) { pane.ShowOverlay(on); });
  if (m_ProjPane)
    m_ProjPane->ShowOverlay(on);
  if (m_3DPane)
    m_3DPane->ShowOverlay(on);
}

void CStrataviewView::ToggleShowUndefinedRegion()
{
  const bool on = FlipShowSetting(&LSettings::ShowUndefinedRegion, "ShowUndefinedRegion",
                                  m_MenuPanel->Button(CDlgMenu::kUndefinedRegion));
  if (m_Workspace.Slots().surfaces.count <= 0)
    return;
  ForEachSlicePane([on](LOCTImage& pane) { pane.ShowUndefinedRegion(on); });
  if (m_ProjPane)
    m_ProjPane->ShowUndefinedRegion(on);
}

// Each flag is inverted and its toggle run, which inverts it back, hands it to the panes,
// sets its control and writes its key.
void CStrataviewView::ReapplyDisplayToggles()
{
  const std::pair<bool LSettings::*, void (CStrataviewView::*)()> menuToggles[] = {
    {&LSettings::ShowGuideLines, &CStrataviewView::ToggleShowGuideLines},
    {&LSettings::ShowOverlay, &CStrataviewView::ToggleShowOverlay},
    {&LSettings::ShowUndefinedRegion, &CStrataviewView::ToggleShowUndefinedRegion}};
  for (const auto& [flag, toggle] : menuToggles) {
    m_Workspace.Settings().*flag = !(m_Workspace.Settings().*flag);
    (this->*toggle)();
  }
  Reapply3DToggles();
}

void CStrataviewView::ToggleShowThickness()
{
  const bool on = FlipShowSetting(&LSettings::ShowThickness, "ShowThickness", m_MenuPanel->Button(CDlgMenu::kThickness));
  if (on) {
    SetGridMode(m_Workspace.Settings().GridMode);
    return;
  }
  if (m_ProjPane) {
    m_ProjPane->ShowThickness(false);
    m_ProjPane->ShowThicknessBar(false);
  }
  ForEachSlicePane([](LOCTImage& pane) { pane.ShowThickness(false); });
}

void CStrataviewView::SetGridMode(int mode)
{
  if (mode < 0 || mode > 2)
    return;
  m_Workspace.Settings().GridMode = mode;
  if (m_Workspace.Settings().ShowThickness && m_ProjPane) {
    // A grid that could not be loaded has no sectors: the map is then drawn without one.
    const bool grid = mode != 0 && m_Workspace.GetGridDefinition().GetRegionCount() > 0;
    m_ProjPane->SetGridMode(grid ? mode : 0);
    if (grid)
      HandGridToProjPane();
    ShowThicknessMap();
  }
  QComboBox* combo = m_MenuPanel->Combo(CDlgMenu::kGrid);
  const QSignalBlocker block(combo);
  combo->setCurrentIndex(mode);
  (void)WriteSetting(m_Workspace.Settings(), "GridMode");
}

// The thickness map between the chosen surfaces, and its surfaces marked in the slices.
void CStrataviewView::ShowThicknessMap()
{
  const int from = m_Workspace.Settings().ThicknessSurfaceFrom;
  const int to = m_Workspace.Settings().ThicknessSurfaceTo;
  m_ProjPane->ComputeThickness(from, to);
  m_ProjPane->ShowThickness(true);
  m_ProjPane->ShowThicknessBar(m_Workspace.Settings().ShowThicknessBar);
  ForEachSlicePane([from, to](LOCTImage& pane) {
    pane.SetThicknessSurfaces(from, to);
    pane.ShowThickness(true);
  });
}

void CStrataviewView::ToggleShowCreateProj()
{
  const bool on = FlipShowSetting(&LSettings::ShowCreateProj, "ShowCreateProj", m_MenuPanel->Button(CDlgMenu::kCreateProj));
  if (!m_ProjPane)
    return;
  const int from = m_Workspace.Settings().CreateProjSurfaceFrom;
  const int to = m_Workspace.Settings().CreateProjSurfaceTo;
  const bool files = m_Workspace.Slots().proj.count > 0;
  ForEachSlicePane([on, files, from, to](LOCTImage& pane) {
    if (on || files)
      pane.SetProjectionSurfaces(from, to);
    pane.SetShowCreateProj(on);
  });
  if (on) {
    m_ProjPane->ComputeProjection(from, to);
    ShowCreatedProjection();
  } else if (files) {
    ApplyProj(m_Workspace.Slots().proj.selected);  // the chosen file's image back in the pane
  } else {
    m_ProjPane->ShowProjection(false);
    if (m_3DPane)
      m_3DPane->ShowProjection(false);
  }
}

void CStrataviewView::ShowCreatedProjection()
{
  m_ProjPane->ShowProjection(m_Workspace.Settings().ShowProj);
  if (!m_3DPane)
    return;
  m_3DPane->SetProjectionImage(m_ProjPane->GetRedPlane(), m_ProjPane->GetGreenPlane(), m_ProjPane->GetBluePlane());
  m_3DPane->ShowProjection(m_Workspace.Settings().ShowProj);
}

void CStrataviewView::ToggleShowSurface(int index)
{
  if (index < 0 || index >= kSettingsSurfaceCount)
    return;
  SetShowSurface(index, !m_Workspace.Settings().ShowSurface[index]);
}

void CStrataviewView::SetShowSurface(int index, bool show)
{
  if (index < 0 || index >= kSettingsSurfaceCount)
    return;
  LSettings& settings = m_Workspace.Settings();
  settings.ShowSurface[index] = show;
  ForEachSlicePane([index, show](LOCTImage& pane) { pane.ShowSurface(index, show); });
  if (m_3DPane)
    m_3DPane->ShowSurface(index, show);
  LButton* box = m_DataPanel->SurfaceBox(index);
  box->SetColor(show ? settings.ColorSurface[index] : platform::ToColorRef(m_DataPanel->palette().color(QPalette::Button)));
  (void)WriteSetting(settings, "ShowSurface" + std::to_string(index));
}

void CStrataviewView::SelectAvgSliceNum()
{
  const int number = ItemNumber(m_MenuPanel->Combo(CDlgMenu::kAvg));
  if (number < 1)
    return;
  m_Workspace.Settings().AvgSliceNum = number;
  ForEachSlicePane([number](LOCTImage& pane) {
    pane.SetAvgSliceNum(number);
    pane.Render();
  });
  if (m_3DPane) {
    m_3DPane->SetAvgSliceNum(number);
    m_3DPane->update();
  }
  (void)WriteSetting(m_Workspace.Settings(), "AvgSliceNum");
}

void CStrataviewView::StoreSurfacePair(int LSettings::*field, const char* key, int comboId)
{
  const int number = ItemNumber(m_MenuPanel->Combo(comboId));
  if (number < 1)
    return;
  m_Workspace.Settings().*field = number - 1;
  (void)WriteSetting(m_Workspace.Settings(), key);
}

void CStrataviewView::SelectThicknessSurfaceFrom()
{
  StoreSurfacePair(&LSettings::ThicknessSurfaceFrom, "ThicknessSurfaceFrom", CDlgMenu::kThicknessFrom);
  if (m_Workspace.Settings().ShowThickness && m_ProjPane)
    ShowThicknessMap();
}

void CStrataviewView::SelectThicknessSurfaceTo()
{
  StoreSurfacePair(&LSettings::ThicknessSurfaceTo, "ThicknessSurfaceTo", CDlgMenu::kThicknessTo);
  if (m_Workspace.Settings().ShowThickness && m_ProjPane)
    ShowThicknessMap();
}

void CStrataviewView::SelectCreateProjSurfaceFrom()
{
  StoreSurfacePair(&LSettings::CreateProjSurfaceFrom, "CreateProjSurfaceFrom", CDlgMenu::kCreateProjFrom);
  RecomputeCreatedProjection();
}

void CStrataviewView::SelectCreateProjSurfaceTo()
{
  StoreSurfacePair(&LSettings::CreateProjSurfaceTo, "CreateProjSurfaceTo", CDlgMenu::kCreateProjTo);
  RecomputeCreatedProjection();
}

// The slices mark the new pair too, so that they show the surfaces the projection is made
// between.
void CStrataviewView::RecomputeCreatedProjection()
{
  if (!m_Workspace.Settings().ShowCreateProj || !m_ProjPane)
    return;
  const int from = m_Workspace.Settings().CreateProjSurfaceFrom;
  const int to = m_Workspace.Settings().CreateProjSurfaceTo;
  ForEachSlicePane([from, to](LOCTImage& pane) { pane.SetProjectionSurfaces(from, to); });
  m_ProjPane->ComputeProjection(from, to);
  ShowCreatedProjection();
}

void CStrataviewView::StoreMargin(float LSettings::*field, const char* key, int comboId)
{
  bool ok = false;
  const float margin = m_MenuPanel->Combo(comboId)->currentText().toFloat(&ok);
  if (!ok)
    return;
  m_Workspace.Settings().*field = margin;
  (void)WriteSetting(m_Workspace.Settings(), key);
}

void CStrataviewView::SelectSurfacesMargin()
{
  StoreMargin(&LSettings::SurfacesMargin, "SurfacesMargin", CDlgMenu::kSurfacesMargin);
  const float margin = m_Workspace.Settings().SurfacesMargin;
  ForEachSlicePane([margin](LOCTImage& pane) { pane.SetSurfacesMargin(margin); });
}

void CStrataviewView::SelectUndefinedRegionMargin()
{
  StoreMargin(&LSettings::UndefinedRegionMargin, "UndefinedRegionMargin", CDlgMenu::kUndefinedRegionMargin);
  const float margin = m_Workspace.Settings().UndefinedRegionMargin;
  ForEachSlicePane([margin](LOCTImage& pane) { pane.SetUndefinedRegionMargin(margin); });
  if (m_ProjPane)
    m_ProjPane->SetUndefinedRegionMargin(margin);
}

void CStrataviewView::SelectVesselMargin()
{
  StoreMargin(&LSettings::VesselMargin, "VesselMargin", CDlgMenu::kVesselMargin);
  const float margin = m_Workspace.Settings().VesselMargin;
  ForEachSlicePane([margin](LOCTImage& pane) { pane.SetVesselMargin(margin); });
}

void CStrataviewView::SelectSEADMargin()
{
  StoreMargin(&LSettings::SEADMargin, "SEADMargin", CDlgMenu::kSEADMargin);
  const float margin = m_Workspace.Settings().SEADMargin;
  ForEachSlicePane([margin](LOCTImage& pane) { pane.SetSEADMargin(margin); });
}

void CStrataviewView::StoreModification(int LSettings::*field, const char* key, int comboId)
{
  m_Workspace.Settings().*field = m_MenuPanel->Combo(comboId)->currentText() == QLatin1String("3D") ? 1 : 0;
  (void)WriteSetting(m_Workspace.Settings(), key);
}

void CStrataviewView::SelectSurfacesModification()
{
  StoreModification(&LSettings::SurfacesModification, "SurfacesModification", CDlgMenu::kSurfacesModification);
  const int modification = m_Workspace.Settings().SurfacesModification;
  ForEachSlicePane([modification](LOCTImage& pane) { pane.SetSurfacesModification(modification); });
}

void CStrataviewView::SelectUndefinedRegionModification()
{
  StoreModification(&LSettings::UndefinedRegionModification, "UndefinedRegionModification",
                     CDlgMenu::kUndefinedRegionModification);
  const int modification = m_Workspace.Settings().UndefinedRegionModification;
  ForEachSlicePane([modification](LOCTImage& pane) { pane.SetUndefinedRegionModification(modification); });
  if (m_ProjPane)
    m_ProjPane->SetUndefinedRegionModification(modification);
}

void CStrataviewView::SelectVesselModification()
{
  StoreModification(&LSettings::VesselModification, "VesselModification", CDlgMenu::kVesselModification);
  const int modification = m_Workspace.Settings().VesselModification;
  ForEachSlicePane([modification](LOCTImage& pane) { pane.SetVesselModification(modification); });
}

void CStrataviewView::SelectSEADModification()
{
  StoreModification(&LSettings::SEADModification, "SEADModification", CDlgMenu::kSEADModification);
  const int modification = m_Workspace.Settings().SEADModification;
  ForEachSlicePane([modification](LOCTImage& pane) { pane.SetSEADModification(modification); });
}

void CStrataviewView::SelectMarkersLabel()
{
  const int number = ItemNumber(m_MenuPanel->Combo(CDlgMenu::kMarkersCombo));
  if (number < 1 || number > kSettingsMarkerColorCount)
    return;
  m_Workspace.Settings().MarkersLabel = std::to_string(number - 1);
  const std::string& label = m_Workspace.Settings().MarkersLabel;
  ForEachSlicePane([&label](LOCTImage& pane) { pane.SetMarkersLabel(label); });
  (void)WriteSetting(m_Workspace.Settings(), "MarkersLabel");
}

void CStrataviewView::SelectLaterality()
{
  const QString text = m_DataPanel->Combo(CDlgData::kLaterality)->currentText();
  m_DisplayedLaterality = text == QLatin1String("OD") ? LateralityOD
                          : text == QLatin1String("OS") ? LateralityOS
                                                        : LateralityNA;
  const int laterality = m_DisplayedLaterality;
  ForEachSlicePane([laterality](LOCTImage& pane) {
    pane.SetLaterality(laterality);
    pane.Invalidate();
  });
  if (m_3DPane) {
    m_3DPane->SetLaterality(laterality);
    m_3DPane->update();
  }
}

void CStrataviewView::ResetDisplay()
{
  if (!MayDropEdits(EditableKinds()))
    return;
  m_Workspace.Settings().Show3DAll = true;
  m_Workspace.Settings().ThreeDBlending = false;
  m_Workspace.Settings().ThreeDIsotropic = false;
  m_Workspace.Settings().Show3DOCTXY = false;
  m_Workspace.Settings().Show3DOCTZY = false;
  m_Workspace.Settings().Show3DOCTXZ = false;
  for (const char* key : {"Show3DAll", "3DBlending", "3DIsotropic", "Show3DOCTXY", "Show3DOCTZY", "Show3DOCTXZ"})
    (void)WriteSetting(m_Workspace.Settings(), key);
  QComboBox* avg = m_MenuPanel->Combo(CDlgMenu::kAvg);
  {
    const QSignalBlocker block(avg);
    avg->setCurrentIndex(0);
  }
  SelectAvgSliceNum();
  RebuildDisplay();
}

void CStrataviewView::BeginAddSpline()
{
  ForEachSlicePane([](LOCTImage& pane) { pane.RequestNewSpline(); });
}
