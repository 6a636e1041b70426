#pragma once
// The main view: owns the scan, every result kind, the panes with their hosts, scroll bars
// and buttons, and both panels, for the life of the process. It paints only its grey
// background; each pane paints itself.
#include "app/LResultSlot.h"
#include "app/LSettings.h"
#include "app/PaneLayout.h"
#include "app/ResultKind.h"
#include "data/LGrid.h"
#include "data/LOCTVolume.h"

#include <QWidget>
#include <array>
#include <memory>
#include <string>

class CDlgData;
class CDlgMenu;
class QAbstractButton;
class QComboBox;
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

  // Opening a scan. Each returns true once the scan and every result file were read and
  // checked; otherwise it has shown its message (none when the user cancelled) and the
  // previous scan with its results stays as it was. The caller then refreshes the display.
  bool ScanFolder(const std::string& folder);
  bool OpenOCTFile(const std::string& path);
  // One result file for the open scan; on success the kind holds only that file.
  bool OpenRefSurfFile(const std::string& path);
  bool OpenSurfacesFile(const std::string& path);
  bool OpenProjFile(const std::string& path);
  bool OpenDiscFile(const std::string& path);
  bool OpenVesselFile(const std::string& path);
  bool OpenSEADFile(const std::string& path);
  bool OpenGridCenterFile(const std::string& path);
  bool OpenMarkersFile(const std::string& path);
  bool OpenSplinesFile(const std::string& path);
  // Builds the displayed objects from the loaded ones and hands them to the panes.
  void RefreshAll();

  // Reads the grid definition; a file that cannot be read falls back on the ETDRS grid
  // beside the program. False after a message when neither can be used.
  bool LoadGrid(const std::string& path);
  // Loads the configured grid and hands the thickness-map options to the projection pane.
  void ApplyGrid();

  // Read-only accessors for panes and dialogs.
  const LOCTVolume& GetDisplayedVolume() const { return m_DisplayedVolume; }
  int GetFlatteningIndex() const { return m_Slots->refSurf.flatteningIndex; }
  int GetRefSurfCurSel() const { return m_Slots->refSurf.selected; }
  int GetSurfacesCurSel() const { return m_Slots->surfaces.selected; }
  int GetProjCurSel() const { return m_Slots->proj.selected; }
  int GetDiscCurSel() const { return m_Slots->disc.selected; }
  int GetVesselCurSel() const { return m_Slots->vessel.selected; }
  int GetSEADCurSel() const { return m_Slots->sead.selected; }
  int GetGridCenterCurSel() const { return m_Slots->gridCenter.selected; }
  int GetMarkersCurSel() const { return m_Slots->markers.selected; }
  int GetSplinesCurSel() const { return m_Slots->splines.selected; }
  int GetSurfacesCount() const { return m_Slots->surfaces.count; }
  int GetGridMode() const { return m_Settings.GridMode; }
  bool GetShowThickness() const { return m_Settings.ShowThickness; }
  int GetThicknessSurfaceFrom() const { return m_Settings.ThicknessSurfaceFrom; }
  int GetThicknessSurfaceTo() const { return m_Settings.ThicknessSurfaceTo; }

  const LSettings& Settings() const { return m_Settings; }
  CDlgMenu* MenuPanel() const { return m_MenuPanel; }
  CDlgData* DataPanel() const { return m_DataPanel; }
  const std::string& ExeFolder() const { return m_ExeFolder; }
  const std::string& GetScanFolder() const { return m_ScanFolder; }
  const std::string& GetScanPath() const { return m_ScanPath; }
  const LOCTVolume& GetReadVolume() const { return *m_ReadVolume; }
  const LResultSlots& Slots() const { return *m_Slots; }
  const LGrid& GetGridDefinition() const { return *m_GridDefinition; }

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

private:
  // A scan and its results as a load reads them, taken over only when all of it fits.
  struct StagedScan {
    std::string scanFolder;
    std::string scanPath;
    std::unique_ptr<LOCTVolume> volume = std::make_unique<LOCTVolume>();
    std::unique_ptr<LResultSlots> results = std::make_unique<LResultSlots>();
  };

  bool RunLoaderChain(StagedScan& staged);
  void TakeOverScan(StagedScan& staged);
  bool LoadOCT(StagedScan& staged);
  bool ConvertTiffScan(StagedScan& staged);
  bool LoadRefSurf(LRefSurfSlot& slot, const LOCTVolume& scan);
  bool LoadSurfaces(LShownSlot<LSurfaces>& slot, LOCTVolume& scan);
  bool LoadProj(LResultSlot<LImage2D>& slot, const LOCTVolume& scan);
  bool LoadDisc(LResultSlot<LImage2D>& slot, const LOCTVolume& scan);
  bool LoadVessel(LLabelSlot& slot, const LOCTVolume& scan);
  bool LoadSEAD(LLabelSlot& slot, const LOCTVolume& scan);
  bool LoadLabels(LLabelSlot& slot, ResultKind kind, const LOCTVolume& scan, int smoothing);
  bool LoadGridCenter(LGridCenterSlot& slot, const LOCTVolume& scan);
  bool LoadMarkers(LMarkersSlot& slot, const LOCTVolume& scan);
  bool LoadSplines(LSplinesSlot& slot, const LOCTVolume& scan);
  LResultHeader ViewHeader(const LOCTVolume& scan) const;
  void ShowScanControls();
  void ShowSettingsInMenu();
  void ShowKindControls(ResultKind kind);
  void ShowRefSurfControls();
  void ShowSurfacesControls();
  void ShowImageControls(ResultKind kind);
  void ShowLabelControls(ResultKind kind);
  void ShowPointControls(ResultKind kind);
  void CreatePaneHosts();
  void CreatePaneButtons();
  void ConnectPanels();
  void DisableScanControls();
  void ApplyPlacement(const PaneLayoutResult& placement);

  CDlgMenu* m_MenuPanel = nullptr;  // children of the view, owned by Qt
  CDlgData* m_DataPanel = nullptr;
  std::string m_ScanFolder;
  std::string m_ScanPath;
  std::unique_ptr<LOCTVolume> m_ReadVolume = std::make_unique<LOCTVolume>();
  LOCTVolume m_DisplayedVolume;
  std::array<QWidget*, kPaneCount> m_PaneHosts{};  // XY, ZY, XZ, projection, 3-D
  std::array<QScrollBar*, kSlicePaneCount> m_ScrollBars{};
  std::array<std::vector<QAbstractButton*>, kPaneCount> m_PaneButtons;  // in layout column order
  std::unique_ptr<LResultSlots> m_Slots = std::make_unique<LResultSlots>();
  std::unique_ptr<LGrid> m_GridDefinition = std::make_unique<LGrid>();
  int m_Position[3] = {0, 0, 0};
  int m_MaxIntensity = 0;
  LSettings m_Settings;
  std::string m_ExeFolder;
  bool m_Initialised = false;
  int m_DisplayedLaterality = LateralityNA;
  float m_FlatteningFraction = 0.5f;
  bool m_HeaderApproval = false;
};
