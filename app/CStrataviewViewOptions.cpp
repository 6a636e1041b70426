// The Options and Thickness Options commands: the settings go into their dialog and, on
// OK, come back, reach the panes and are written to the profile.
#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "app/LButton.h"
#include "dialogs/CDlgOptions.h"
#include "dialogs/CDlgThicknessOptions.h"
#include "panes/CChildWnd.h"
#include "platform/Dialogs.h"
#include "platform/Messages.h"
#include "platform/WaitCursor.h"

#include <QAbstractButton>
#include <QScrollBar>
#include <algorithm>

namespace {
// The keys the Options command writes, in the order it writes them.
std::vector<std::string> OptionsKeys()
{
  std::vector<std::string> keys = {"ColorRefSurf"};
  for (int i = 0; i < kSettingsSurfaceCount; ++i)
    keys.push_back("ColorSurface" + std::to_string(i));
  for (int i = 0; i < kSettingsSurfaceCount; ++i)
    keys.push_back("ShowUndefinedSurface" + std::to_string(i));
  for (const char* key : {"SurfacesLineWidth", "UserName", "SurfacesModification", "UndefinedRegionModification",
                          "VesselModification", "SEADModification", "ColorCup", "ColorRim", "ColorVessel",
                          "ColorSEAD", "ColorUndefinedRegion", "Color3DBackground", "OpacityUndefinedRegion",
                          "OpacityCup", "OpacityRim", "OpacityVessel", "OpacitySEAD", "ColorSplinesLine",
                          "ColorSplinesMarker", "SplinesLineWidth", "ShowSplinesMarker"})
    keys.emplace_back(key);
  for (int i = 0; i < kSettingsMarkerColorCount; ++i)
    keys.push_back("ColorMarker" + std::to_string(i));
  for (const char* key : {"Window", "WindowCenter", "WindowWidth", "SaveAll", "FrameRate", "DlgDataPos", "SampleURL",
                          "MeshSmoothingVessel", "MeshSmoothingSEAD"})
    keys.emplace_back(key);
  return keys;
}

bool IsZeroOrOne(int value)
{
  return value == 0 || value == 1;
}

// The sample folder's address always ends with a slash, so file names can follow it.
std::string WithTrailingSlash(std::string url)
{
  if (url.empty() || url.back() != '/')
    url += '/';
  return url;
}
}  // namespace

void CStrataviewView::ConnectOptionsCommands()
{
  connect(m_MenuPanel->Button(CDlgMenu::kOptions), &QAbstractButton::clicked, this, [this] { RunOptionsDialog(); });
  for (QAbstractButton* button : m_PaneButtons[PaneProj])
    if (button->property("controlId").toInt() == kThicknessOptionsButtonId)
      connect(button, &QAbstractButton::clicked, this, [this] { OnButtonProjThicknessOptions(); });
}

void CStrataviewView::CopySettingsToOptions(CDlgOptions& dialog) const
{
  const LSettings& s = m_Workspace.Settings();
  dialog.surfaceColors[0] = s.ColorRefSurf;
  for (int i = 0; i < kSettingsSurfaceCount; ++i) {
    dialog.surfaceColors[i + 1] = s.ColorSurface[i];
    dialog.showUndefined[i] = s.ShowUndefinedSurface[i] ? 1 : 0;
  }
  dialog.lineWidth = s.SurfacesLineWidth;
  dialog.userName = QString::fromStdString(s.UserName);
  const LSettings::COLORREF regions[CDlgOptions::kRegionColorCount] = {
    s.ColorCup, s.ColorRim, s.ColorVessel, s.ColorSEAD, s.ColorUndefinedRegion, s.Color3DBackground};
  std::copy(std::begin(regions), std::end(regions), dialog.regionColors);
  const int opacities[CDlgOptions::kOpacityCount] = {s.OpacityUndefinedRegion, s.OpacityCup, s.OpacityRim,
                                                     s.OpacityVessel, s.OpacitySEAD};
  std::copy(std::begin(opacities), std::end(opacities), dialog.opacities);
  dialog.splineLineColor = s.ColorSplinesLine;
  dialog.splineMarkerColor = s.ColorSplinesMarker;
  dialog.splineLineWidth = s.SplinesLineWidth;
  dialog.showSplineMarker = s.ShowSplinesMarker ? 1 : 0;
  std::copy(std::begin(s.ColorMarker), std::end(s.ColorMarker), dialog.markerColors);
  if (IsZeroOrOne(s.Window))
    dialog.windowMode = s.Window;
  dialog.windowCenter = s.WindowCenter;
  dialog.windowWidth = s.WindowWidth;
  dialog.maxIntensity = m_Workspace.MaxIntensity();
  if (IsZeroOrOne(s.SaveAll))
    dialog.saveAllMode = s.SaveAll;
  if (IsZeroOrOne(s.DlgDataPos))
    dialog.panelSide = s.DlgDataPos;
  dialog.frameRate = s.FrameRate;
  dialog.sampleURL = QString::fromStdString(s.SampleURL);
  dialog.meshSmoothingVessel = s.MeshSmoothingVessel;
  dialog.meshSmoothingSEAD = s.MeshSmoothingSEAD;
}

void CStrataviewView::TakeSettingsFromOptions(const CDlgOptions& dialog)
{
  LSettings& s = m_Workspace.Settings();
  s.ColorRefSurf = dialog.surfaceColors[0];
  for (int i = 0; i < kSettingsSurfaceCount; ++i) {
    s.ColorSurface[i] = dialog.surfaceColors[i + 1];
    s.ShowUndefinedSurface[i] = dialog.showUndefined[i] != 0;
  }
  s.SurfacesLineWidth = dialog.lineWidth;
  s.UserName = dialog.userName.toStdString();
  LSettings::COLORREF* const regions[CDlgOptions::kRegionColorCount] = {
    &s.ColorCup, &s.ColorRim, &s.ColorVessel, &s.ColorSEAD, &s.ColorUndefinedRegion, &s.Color3DBackground};
  for (int i = 0; i < CDlgOptions::kRegionColorCount; ++i)
    *regions[i] = dialog.regionColors[i];
  int* const opacities[CDlgOptions::kOpacityCount] = {&s.OpacityUndefinedRegion, &s.OpacityCup, &s.OpacityRim,
                                                      &s.OpacityVessel, &s.OpacitySEAD};
  for (int i = 0; i < CDlgOptions::kOpacityCount; ++i)
    *opacities[i] = dialog.opacities[i];
  s.ColorSplinesLine = dialog.splineLineColor;
  s.ColorSplinesMarker = dialog.splineMarkerColor;
  s.SplinesLineWidth = dialog.splineLineWidth;
  if (IsZeroOrOne(dialog.showSplineMarker))
    s.ShowSplinesMarker = dialog.showSplineMarker != 0;
  std::copy(std::begin(dialog.markerColors), std::end(dialog.markerColors), s.ColorMarker);
  if (IsZeroOrOne(dialog.windowMode))
    s.Window = dialog.windowMode;
  if (s.Window == 0) {
    s.WindowWidth = static_cast<float>(m_Workspace.MaxIntensity());
    s.WindowCenter = static_cast<float>(m_Workspace.MaxIntensity()) * 0.5f;
  } else {
    s.WindowCenter = dialog.windowCenter;
    s.WindowWidth = dialog.windowWidth;
  }
  if (IsZeroOrOne(dialog.saveAllMode))
    s.SaveAll = dialog.saveAllMode;
  if (IsZeroOrOne(dialog.panelSide))
    s.DlgDataPos = dialog.panelSide;
  s.FrameRate = dialog.frameRate;
  s.SampleURL = WithTrailingSlash(dialog.sampleURL.toStdString());
  s.MeshSmoothingVessel = dialog.meshSmoothingVessel;
  s.MeshSmoothingSEAD = dialog.meshSmoothingSEAD;
}

void CStrataviewView::RunOptionsDialog()
{
  CDlgOptions dialog(this);
  CopySettingsToOptions(dialog);
  dialog.OnInitDialog();
  if (platform::RunModal(dialog) != platform::kIdOk)
    return;
  const platform::WaitCursor busy;
  TakeSettingsFromOptions(dialog);
  ReplacePanels();
  PushSettingsToPanes();
  for (const std::string& key : OptionsKeys())
    (void)WriteSetting(m_Workspace.Settings(), key);
  RecolorSurfaceBoxes();
}

void CStrataviewView::ReplacePanels()
{
  // Everything is first taken off the view so that a panel changing sides leaves nothing
  // of itself behind where it was.
  std::vector<QWidget*> placed = {m_DataPanel};
  placed.insert(placed.end(), m_PaneHosts.begin(), m_PaneHosts.end());
  placed.insert(placed.end(), m_ScrollBars.begin(), m_ScrollBars.end());
  for (const auto& column : m_PaneButtons)
    placed.insert(placed.end(), column.begin(), column.end());
  for (QWidget* widget : placed) {
    widget->setGeometry(0, 0, 0, 0);
    widget->update();
  }
  PlacePanels();
}

void CStrataviewView::RecolorSurfaceBoxes()
{
  if (m_Workspace.Slots().surfaces.count <= 0 || !m_Workspace.Slots().surfaces.displayedObject)
    return;
  const int shown = std::min(m_Workspace.Slots().surfaces.displayedObject->surfaceCount, CDlgData::kSurfaceBoxCount);
  for (int k = 0; k < shown; ++k)
    if (m_Workspace.Settings().ShowSurface[k])
      m_DataPanel->SurfaceBox(k)->SetColor(m_Workspace.Settings().ColorSurface[k]);
}

void CStrataviewView::OnButtonProjThicknessOptions()
{
  CDlgThicknessOptions dialog;
  const LSettings& s = m_Workspace.Settings();
  dialog.gridFileName = QString::fromStdString(s.GridFileName);
  if (IsZeroOrOne(s.ThicknessUnit))
    dialog.unitMode = s.ThicknessUnit;
  // The view keeps millimetres; the dialog shows micrometres.
  dialog.minUm = s.ThicknessUnitMin * 1000.0f;
  dialog.maxUm = s.ThicknessUnitMax * 1000.0f;
  if (IsZeroOrOne(s.ThicknessPalette))
    dialog.palette = s.ThicknessPalette;
  dialog.showBar = s.ShowThicknessBar ? 1 : 0;
  dialog.opacity = s.ThicknessOpacity;
  dialog.OnInitDialog();
  if (platform::RunModal(dialog) != platform::kIdOk)
    return;

  const platform::WaitCursor busy;
  m_Workspace.Settings().GridFileName = dialog.gridFileName.toStdString();
  if (IsZeroOrOne(dialog.unitMode))
    m_Workspace.Settings().ThicknessUnit = dialog.unitMode;
  if (IsZeroOrOne(dialog.palette))
    m_Workspace.Settings().ThicknessPalette = dialog.palette;
  m_Workspace.Settings().ThicknessUnitMin = dialog.minUm / 1000.0f;
  m_Workspace.Settings().ThicknessUnitMax = dialog.maxUm / 1000.0f;
  m_Workspace.Settings().ShowThicknessBar = dialog.showBar != 0;
  m_Workspace.Settings().ThicknessOpacity = dialog.opacity;
  ApplyGrid();
  for (const char* key : {"GridFileName", "ThicknessUnit", "ThicknessUnitMin", "ThicknessUnitMax", "ThicknessPalette",
                          "ShowThicknessBar", "ThicknessOpacity"})
    (void)WriteSetting(m_Workspace.Settings(), key);
}
