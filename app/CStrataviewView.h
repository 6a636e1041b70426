#pragma once
// The main view: owns the scan, every result kind, the panes with their hosts, scroll bars
// and buttons, and both panels, for the life of the process. It paints only its grey
// background; each pane paints itself.
#include "app/CSortStringArray.h"
#include "app/LSettings.h"
#include "app/PaneLayout.h"
#include "app/ResultKind.h"
#include "data/LOCTVolume.h"

#include <QWidget>
#include <array>
#include <memory>
#include <string>

class CDlgData;
class CDlgMenu;
class QAbstractButton;
class QScrollBar;

class CStrataviewView : public QWidget {
  Q_OBJECT
public:
  // The header every result record the view creates carries.
  static const std::array<std::string, 11> kHeaderStrings;

  explicit CStrataviewView(QWidget* parent = nullptr);
  ~CStrataviewView() override;

  // Creates the panels, hosts, scroll bars and buttons, reads the settings, places
  // everything and disables what needs a scan. Runs once; later calls do nothing.
  void OnInitialUpdate();
  bool IsInitialised() const { return m_Initialised; }

  // Places the panels and runs the current layout.
  void PlacePanels();
  // Places the panes in the given layout and records it (combo, profile).
  void RunLayout(int layout);
  // Shows or hides the surfaces overlay (the data panel's check box and the space bar).
  void ToggleShowSurfaces();

  // Read-only accessors for panes and dialogs.
  const LOCTVolume& GetDisplayedVolume() const { return m_DisplayedVolume; }
  int GetFlatteningIndex() const { return m_FlatteningIndex; }
  int GetRefSurfCurSel() const { return Selected(ResultKind::RefSurf); }
  int GetSurfacesCurSel() const { return Selected(ResultKind::Surfaces); }
  int GetProjCurSel() const { return Selected(ResultKind::Proj); }
  int GetDiscCurSel() const { return Selected(ResultKind::Disc); }
  int GetVesselCurSel() const { return Selected(ResultKind::Vessel); }
  int GetSEADCurSel() const { return Selected(ResultKind::SEAD); }
  int GetGridCenterCurSel() const { return Selected(ResultKind::GridCenter); }
  int GetMarkersCurSel() const { return Selected(ResultKind::Markers); }
  int GetSplinesCurSel() const { return Selected(ResultKind::Splines); }
  int GetSurfacesCount() const { return Count(ResultKind::Surfaces); }
  int GetGridMode() const { return m_Settings.GridMode; }
  bool GetShowThickness() const { return m_Settings.ShowThickness; }
  int GetThicknessSurfaceFrom() const { return m_Settings.ThicknessSurfaceFrom; }
  int GetThicknessSurfaceTo() const { return m_Settings.ThicknessSurfaceTo; }

  const LSettings& Settings() const { return m_Settings; }
  CDlgMenu* MenuPanel() const { return m_MenuPanel; }
  CDlgData* DataPanel() const { return m_DataPanel; }
  const std::string& ExeFolder() const { return m_ExeFolder; }

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

private:
  // Per kind: the sorted files, how many were loaded and which one is chosen.
  struct KindState {
    CSortStringArray pathList;
    int count = 0;
    int selected = -1;
  };

  int Selected(ResultKind kind) const { return m_Kinds[static_cast<int>(kind)].selected; }
  int Count(ResultKind kind) const { return m_Kinds[static_cast<int>(kind)].count; }
  void CreatePaneHosts();
  void CreatePaneButtons();
  void ConnectPanels();
  void DisableScanControls();
  void ApplyPlacement(const PaneLayoutResult& placement);

  CDlgMenu* m_MenuPanel = nullptr;  // children of the view, owned by Qt
  CDlgData* m_DataPanel = nullptr;
  std::string m_ScanFolder;
  std::string m_ScanPath;
  LOCTVolume m_ReadVolume;
  LOCTVolume m_DisplayedVolume;
  std::array<QWidget*, kPaneCount> m_PaneHosts{};  // XY, ZY, XZ, projection, 3-D
  std::array<QScrollBar*, kSlicePaneCount> m_ScrollBars{};
  std::array<std::vector<QAbstractButton*>, kPaneCount> m_PaneButtons;  // in layout column order
  std::array<KindState, kResultKindCount> m_Kinds;
  int m_FlatteningIndex = 0;
  int m_Position[3] = {0, 0, 0};
  int m_MaxIntensity = 0;
  LSettings m_Settings;
  std::string m_ExeFolder;
  bool m_Initialised = false;
  int m_DisplayedLaterality = LateralityNA;
  float m_FlatteningFraction = 0.5f;
  bool m_HeaderApproval = false;
};
