#pragma once
// The main view: a window over the open scan's workspace. It owns the workspace, the panes
// with their hosts, scroll bars and buttons, and both panels, for the life of the process;
// its operations hand what the workspace holds to the panes and controls. It paints only
// its grey background; each pane paints itself.
#include "app/PaneLayout.h"
#include "app/SettingsProfile.h"
#include "app/SliceMotion.h"
#include "app/ViewPrompts.h"
#include "dialogs/ScanActions.h"
#include "model/ScanWorkspace.h"
#include "panes/PaneConventions.h"
#include "panes/SliceMapping.h"
#include "panes/ViewServices.h"
#include "panes/WithinMemory.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CChildWnd;
class CDlgOptions;
class CDlgData;
class CDlgOpen;
class CDlgMenu;
class L3D;
class LOCTImage;
class LProjImage;
class QAbstractButton;
class QComboBox;
class QScrollBar;

class CStrataviewView : public QWidget, public ViewServices, public ScanActions {
  Q_OBJECT
public:
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

  // Before unsaved edits of `kinds` are dropped: true when the operation may go on, because
  // none of them is edited, the user saved every one of them through the save dialog, or
  // chose to discard them. False when the user cancelled or left one unsaved; nothing has
  // changed then. Every operation below that replaces the scan or a kind's file asks this.
  bool MayDropEdits(const std::vector<ResultKind>& kinds) override;

  // Opening a scan. Each returns true once the scan and every result file were read and
  // checked; otherwise it has shown its message (none when the user cancelled) and the
  // previous scan with its results stays as it was. The caller then refreshes the display.
  bool ScanFolder(const std::string& folder) override;
  bool OpenOCTFile(const std::string& path) override;
  bool OpenOCTFileWithoutAsking(const std::string& path) override;
  // One result file for the open scan; on success the kind holds only that file.
  bool OpenRefSurfFile(const std::string& path) { return OpenResultFile(ResultKind::RefSurf, path); }
  bool OpenSurfacesFile(const std::string& path) { return OpenResultFile(ResultKind::Surfaces, path); }
  bool OpenProjFile(const std::string& path) { return OpenResultFile(ResultKind::Proj, path); }
  bool OpenDiscFile(const std::string& path) { return OpenResultFile(ResultKind::Disc, path); }
  bool OpenVesselFile(const std::string& path) { return OpenResultFile(ResultKind::Vessel, path); }
  bool OpenSEADFile(const std::string& path) { return OpenResultFile(ResultKind::SEAD, path); }
  bool OpenGridCenterFile(const std::string& path) { return OpenResultFile(ResultKind::GridCenter, path); }
  bool OpenMarkersFile(const std::string& path) { return OpenResultFile(ResultKind::Markers, path); }
  bool OpenSplinesFile(const std::string& path) { return OpenResultFile(ResultKind::Splines, path); }
  // The one of these for the kind (RefSurf to Splines); false for any other kind.
  bool OpenResultFile(ResultKind kind, const std::string& path) override;
  // Builds the displayed objects from the loaded ones and hands them to the panes,
  // flattening the scan on the chosen reference surface (or not, for "None"). The surface
  // it is flattened on stays the one shift of every kind until the next refresh. Unsaved
  // edits are asked about first. All or nothing: what the panes need is taken before what
  // they show is let go, and when memory runs short the memory message is given and the
  // display (and the scan an open just replaced, with its edits) stays as it was. True when
  // the panes show the open scan.
  bool RefreshAll() override;
  // Each rebuilds one kind's displayed object from file `selection` (or the default object)
  // and hands it to the panes.
  void ApplyOCT();
  void ApplyRefSurf(int selection);
  void ApplyGridCenter(int selection);
  void ApplySurfaces(int selection);
  void ApplyProj(int selection);
  void ApplyDisc(int selection);
  void ApplyVessel(int selection);
  void ApplySEAD(int selection);
  void ApplyMarkers(int selection);
  void ApplySplines(int selection);
  // The one of these for the kind (RefSurf to Splines) on its chosen file, once the kind's
  // unsaved edits were asked about.
  void ApplyChosenFile(ResultKind kind) override;
  // The data panel's file combo boxes: the chosen file of a kind changes.
  void SelectRefSurf();
  void SelectSurfaces();
  void SelectGridCenter();
  void SelectProj();
  void SelectDisc();
  void SelectVessel();
  void SelectSEAD();
  void SelectMarkers();
  void SelectSplines();
  // Hands the display settings (colours, opacities, line widths, flags) to every pane.
  void PushSettingsToPanes();

  // Panel commands: what the menu and data panels' controls change in the display. Each
  // toggle inverts its flag, hands it to the panes, sets its control and writes its key;
  // callers re-applying a stored flag invert it first and then call the toggle.
  void SetMouseMode(int mode);
  // Selects the mode in the Mouse combo too and shows that mode's editing options.
  void SelectMouseMode(int mode);
  void ToggleShowRefSurf();
  void ToggleShowProj();
  void ToggleShowDisc();
  void ToggleShowVessel();
  void ToggleShowSEAD();
  void ToggleShowMarkers();
  void ToggleShowSplines();
  void ToggleShowGuideLines();
  void ToggleShowOverlay();
  void ToggleShowUndefinedRegion();
  void ToggleShowThickness() override;
  void ToggleShowCreateProj();
  void ToggleShowSurface(int index);
  void SetShowSurface(int index, bool show);
  void SetShowThickness(bool show) override { m_Workspace.Settings().ShowThickness = show; }
  // 0 None, 1 Quality, 2 Quantity.
  void SetGridMode(int mode);
  // The menu panel's combo boxes, each reading its selected item's text.
  void SelectAvgSliceNum();
  void SelectThicknessSurfaceFrom();
  void SelectThicknessSurfaceTo();
  void SelectCreateProjSurfaceFrom();
  void SelectCreateProjSurfaceTo();
  void SelectSurfacesMargin();
  void SelectUndefinedRegionMargin();
  void SelectVesselMargin();
  void SelectSEADMargin();
  void SelectSurfacesModification();
  void SelectUndefinedRegionModification();
  void SelectVesselModification();
  void SelectSEADModification();
  void SelectMarkersLabel();
  // The data panel's Laterality combo: the display's laterality only, never stored.
  void SelectLaterality();
  int GetDisplayedLaterality() const { return m_DisplayedLaterality; }
  void ResetDisplay();
  void BeginAddSpline();

  // Options commands: the settings edited in their dialogs, applied to the panes and written.
  static constexpr int kThicknessOptionsButtonId = 355;
  void RunOptionsDialog();
  void OnButtonProjThicknessOptions();

  // What the panes ask of the view.
  int SurfacesFileCount() const override { return GetSurfacesCount(); }
  bool ShowThickness() const override { return Settings().ShowThickness; }
  int GridMode() const override { return Settings().GridMode; }
  int ThicknessSurfaceFrom() const override { return Settings().ThicknessSurfaceFrom; }
  int ThicknessSurfaceTo() const override { return Settings().ThicknessSurfaceTo; }
  void ComputeProjectionThickness(int from, int to) override;
  void ComposeProjection() override;
  void InvalidateProjectionPane() override;
  void ComputeProjection(int from, int to) override;
  void ClearNewSplineRequests() override;
  void LabelsPainted(int orientation, int labelMode) override;
  void RenderSlicePane(int orientation) override;
  void InvalidateSlicePane(int orientation) override;
  void Invalidate3DPane() override;
  void Show2DStepIn3DPane() override;
  void SurfacePointsMoved(int surface, const GridRegion& region) override;
  void ResultEdited(int mouseMode, int orientation) override;
  void SetSliceScrollPos(int orientation, int position) override;

  // The panes, null until the first scan is shown. Orientation 1 XY, 2 ZY, 3 XZ.
  LOCTImage* SlicePane(int orientation) const;
  LProjImage* ProjPane() const { return m_ProjPane.get(); }
  L3D* Get3DPane() const { return m_3DPane; }
  const int* Position() const { return m_Workspace.Position(); }
  const FlatteningShift& Shift() const { return m_Workspace.Shift(); }

  // Reads the grid definition; a file that cannot be read falls back on the ETDRS grid
  // beside the program. False after a message when neither can be used.
  bool LoadGrid(const std::string& path);
  // Loads the configured grid and hands the thickness-map options to the projection pane.
  void ApplyGrid();

  // Read-only accessors for panes and dialogs.
  const LOCTVolume& GetDisplayedVolume() const { return m_Workspace.GetDisplayedVolume(); }
  int GetFlatteningIndex() const { return Slots().refSurf.flatteningIndex; }
  int GetRefSurfCurSel() const { return Slots().refSurf.selected; }
  int GetSurfacesCurSel() const { return Slots().surfaces.selected; }
  int GetProjCurSel() const { return Slots().proj.selected; }
  int GetDiscCurSel() const { return Slots().disc.selected; }
  int GetVesselCurSel() const { return Slots().vessel.selected; }
  int GetSEADCurSel() const { return Slots().sead.selected; }
  int GetGridCenterCurSel() const { return Slots().gridCenter.selected; }
  int GetMarkersCurSel() const { return Slots().markers.selected; }
  int GetSplinesCurSel() const { return Slots().splines.selected; }
  int GetSurfacesCount() const override { return Slots().surfaces.count; }
  int GetGridMode() const { return Settings().GridMode; }
  bool GetShowThickness() const { return Settings().ShowThickness; }
  int GetThicknessSurfaceFrom() const { return Settings().ThicknessSurfaceFrom; }
  int GetThicknessSurfaceTo() const { return Settings().ThicknessSurfaceTo; }

  // The open scan the view shows.
  ScanWorkspace& Workspace() { return m_Workspace; }
  const ScanWorkspace& Workspace() const { return m_Workspace; }
  const LSettings& Settings() const override { return m_Workspace.Settings(); }
  CDlgMenu* MenuPanel() const { return m_MenuPanel; }
  CDlgData* DataPanel() const { return m_DataPanel; }
  const std::string& ExeFolder() const { return m_Workspace.ProgramFolder(); }
  const std::string& GetScanFolder() const { return m_Workspace.GetScanFolder(); }
  const std::string& GetScanPath() const { return m_Workspace.GetScanPath(); }
  const LOCTVolume& GetReadVolume() const { return m_Workspace.GetReadVolume(); }
  const LResultSlots& Slots() const { return m_Workspace.Slots(); }
  const LGrid& GetGridDefinition() const { return m_Workspace.GetGridDefinition(); }

  // Saving results: the save dialog, and per kind the displayed data written back at the
  // scan's own depth to the path, the file approved (read-only) or not. True when every file
  // of the kind was written; otherwise the kind's message was shown.
  void RunSaveDialog();
  bool SaveSurfaces(const std::string& path, bool approved) { return SaveResult(ResultKind::Surfaces, path, approved); }
  bool SaveGridCenter(const std::string& path, bool approved)
  {
    return SaveResult(ResultKind::GridCenter, path, approved);
  }
  bool SaveVessel(const std::string& path, bool approved) { return SaveResult(ResultKind::Vessel, path, approved); }
  bool SaveSEAD(const std::string& path, bool approved) { return SaveResult(ResultKind::SEAD, path, approved); }
  bool SaveMarkers(const std::string& path, bool approved) { return SaveResult(ResultKind::Markers, path, approved); }
  bool SaveSplines(const std::string& path, bool approved) { return SaveResult(ResultKind::Splines, path, approved); }
  // The one of these for the kind; false for a kind that is not saved.
  bool SaveResult(ResultKind kind, const std::string& path, bool approved) override;

  // The open dialog: created hidden with the view, shown by the menu panel's Open.
  CDlgOpen* OpenDialog() const { return m_OpenDialog; }
  void ShowOpenDialog();
  // Ctrl+Z: undoes the last surface edit, as a right click in its slice pane does.
  void UndoLastSurfaceEdit();

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

private:
  // About box: the menu's About button runs it with the program's credits.
  void ConnectAboutButton();
  void RunAboutDialog();

  // RefreshAll and the kind's apply, without the question.
  bool RebuildDisplay();
  // The panes take the workspace's new display: the scan, every kind, the mouse mode and
  // the display toggles.
  void HandDisplayToPanes();
  // Takes what the panes need to show the open scan, before the workspace lets go of what
  // they show. False when it cannot be had.
  bool ReservePanes();
  // After memory ran short while the panes took what the workspace made: none of them keeps
  // anything the workspace let go, and the user is told that they are empty.
  void EmptyPanesForMemory();
  // Hands a kind's new display to the panes (`handOver`), emptying them when memory runs
  // short on the way.
  template <typename HandOver>
  void HandOverWithinMemory(HandOver handOver)
  {
    if (!RunWithinMemory(handOver))
      EmptyPanesForMemory();
  }
  // After an open whose scan could not be shown: the scan it replaced is open again and the
  // controls show it.
  void ReopenReplacedScan();
  void ShowRestoredScan();
  // The controls of the scan just opened; when memory for them runs short, the scan it
  // replaced is open again, the user is told, and false.
  bool ShowOpenedScanControls();
  // The memory message of the task ("show the scan"), or, without a task, that the panes were
  // emptied; dropped when even the memory to show it cannot be had.
  void ShowMemoryMessage(const char* task);
  void ShowChosenFile(ResultKind kind);
  // The main window's title marks unsaved edits.
  void ShowUnsavedInTitle(bool anyUnsaved);
  // Ctrl+O, Ctrl+S, Ctrl+Z and F1.
  void ConnectShortcuts();
  void RunSaveDialogIfEnabled();

  // After a scan was taken over: the controls that show it and every kind's.
  void ShowLoadedScan();
  void ShowEveryKindsControls();
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
  void CreatePanes();
  bool PanesCreated() const;
  void HandGridToProjPane();
  void ResizePanes(const PaneLayoutResult& placement);
  void ApplyLabels(ResultKind kind, int selection);
  void HandLabelsToPanes(ResultKind kind);
  // The panes take the workspace's displayed object of the kind.
  void HandRefSurfToPanes(bool shown);
  void HandSurfacesToPanes();
  void HandMarkersToPanes();
  void HandSplinesToPanes();
  void SelectFromCombo(ResultKind kind, int comboId);
  void ShowThicknessInPanes();
  void ShowSurfaceBoxes(const LSurfaces& surfaces);
  void ShowSurfaceChoices(int surfaceCount);
  template <typename Handler>
  void ForEachSlicePane(const Handler& handler)
  {
    for (auto& pane : m_SlicePanes)
      if (pane)
        handler(*pane);
  }
  // Saving results.
  void ConnectSave();
  void ShowSavedFile(ResultKind kind, const SavedFile& saved);
  void ShowSavedSurfacesFile(const SavedFile& saved);
  // Running the external programs on the open scan, then reloading its results' folder.
  void ConnectExecutables();
  void RunExecutablesDialog();
  // Panel commands' helpers.
  void ConnectCommandControls();
  bool FlipShowSetting(bool LSettings::*flag, const char* key, QAbstractButton* check);
  // Hands the stored Guide Lines, Overlay, Undefined Region and 3-D display flags to the
  // panes and their buttons again.
  void ReapplyDisplayToggles();
  void ShowEditOptions(int mode);
  void ShowThicknessMap();
  void ShowCreatedProjection();
  void RecomputeCreatedProjection();
  void StoreSurfacePair(int LSettings::*field, const char* key, int comboId);
  void StoreMargin(float LSettings::*field, const char* key, int comboId);
  void StoreModification(int LSettings::*field, const char* key, int comboId);

  // Options commands (helpers).
  void ConnectOptionsCommands();
  void CopySettingsToOptions(CDlgOptions& dialog) const;
  void TakeSettingsFromOptions(const CDlgOptions& dialog);
  void ReplacePanels();
  void RecolorSurfaceBoxes();

  ViewPrompts m_Prompts;
  ProfileSettingsStore m_Profile;
  ScanWorkspace m_Workspace{m_Prompts, m_Profile};
  CDlgMenu* m_MenuPanel = nullptr;  // children of the view, owned by Qt
  CDlgData* m_DataPanel = nullptr;
  std::array<CChildWnd*, kPaneCount> m_PaneHosts{};  // XY, ZY, XZ, projection, 3-D
  std::array<QScrollBar*, kSlicePaneCount> m_ScrollBars{};
  std::array<std::vector<QAbstractButton*>, kPaneCount> m_PaneButtons;  // in layout column order
  SplineHitRects m_SplineHitRects = SplineHitRects(kMaxSplines);  // the slice panes' spline hit rectangles
  bool m_Initialised = false;
  int m_DisplayedLaterality = LateralityNA;
  std::array<std::unique_ptr<LOCTImage>, kSlicePaneCount> m_SlicePanes;  // XY, ZY, XZ
  std::unique_ptr<LProjImage> m_ProjPane;
  L3D* m_3DPane = nullptr;  // a child of its host, owned by Qt
  // Navigation, playback and image export: the slice scroll bars, wheel, arrow keys and the
  // pane buttons. Slice 0 XY (coordinate z), 1 ZY (x), 2 XZ (y); pane as PaneIndex.
public:
  // After the slice's coordinate changed: renders its pane, invalidates the others and
  // sets its scroll bar.
  void UpdateSliceXY() { UpdateSlice(PaneXY); }
  void UpdateSliceZY() { UpdateSlice(PaneZY); }
  void UpdateSliceXZ() { UpdateSlice(PaneXZ); }
  void UpdateSlice(int slice);
  // The wheel turned, or an arrow key pressed, with the cursor at a view point: steps the
  // slice pane there (a delta of exactly +120 back, -120 on); over the 3-D pane the wheel
  // zooms. Anything else does nothing.
  void OnWheel(int delta, QPoint viewPoint);
  void OnArrowKey(int key, QPoint viewPoint);
  void OnButtonPlay(int slice, int state);
  void OnButtonCopy(int pane);
  void OnButtonSave(int pane);
  void OnButtonSaveAll(int slice);
  // The 3-D pane's display toggles, by the flag's profile key ("Show3DAll", "3DIsotropic",
  // "3DBlending", "Show3DOCTXY", "Show3DOCTZY", "Show3DOCTXZ").
  void OnButton3DToggle(const std::string& key);
  // The ticks of the timers.
  void OnPlaybackTimer(int slice);
  void OnSaveAllTimer(int slice);
  const SliceMotion& Motion(int slice) const { return m_Motion[slice]; }
  // A new scan: stops every playback and ends every Save All.
  void StopSliceMotion();

protected:
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  void SetUpNavigation();
  // Each stored 3-D display flag handed to the pane and its button again, in button order.
  void Reapply3DToggles();
  int SliceAt(QPoint viewPoint) const;
  int SliceCount(int slice) const;
  int& SliceCoordinate(int slice);
  void StepSlice(int slice, int step);
  void CaptureSaveAllFrame(int slice);
  void EndSaveAll(int slice);
  std::array<SliceMotion, kSlicePaneCount> m_Motion;

  // The open dialog: a window of its own, owned by Qt through the view.
  void CreateOpenDialog();
  CDlgOpen* m_OpenDialog = nullptr;
  // The slice pane (XY or ZY) of the latest surface edit, which Ctrl+Z undoes first.
  int m_LastSurfaceEditPane = OrientationXY;
};
