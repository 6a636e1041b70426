#pragma once
// The open scan and everything around it, free of any window: the scan as read and as
// shown, the result slots of every kind, the grid definition, the shared position, grid
// centre and window, the flattening shift, the scan's path and folder, and the settings.
// It opens scans and result files, chooses and rebuilds what is shown, and writes each
// edited kind back. It asks the user through its prompts and keeps settings through its
// store; the window over it hands what it holds to the panes and controls.
#include "data/LGrid.h"
#include "data/LImage2D.h"
#include "data/LOCTVolume.h"
#include "model/FlatteningShift.h"
#include "model/LResultSlot.h"
#include "model/LSettings.h"
#include "model/ResultKind.h"
#include "model/ResultSaver.h"
#include "model/ScanLoader.h"
#include "model/SettingsStore.h"
#include "model/UnsavedEdits.h"
#include "model/WorkspacePrompts.h"

#include <functional>
#include <memory>
#include <string>

class ScanWorkspace {
public:
  ScanWorkspace(WorkspacePrompts& prompts, SettingsStore& store);
  ~ScanWorkspace();
  ScanWorkspace(const ScanWorkspace&) = delete;
  ScanWorkspace& operator=(const ScanWorkspace&) = delete;

  // The folder of the program; the grid definitions lie in its "Grid" folder.
  void SetProgramFolder(const std::string& folder) { m_ProgramFolder = folder; }
  const std::string& ProgramFolder() const { return m_ProgramFolder; }

  // Opening. Each returns true once the scan (or the file) was read and checked and taken
  // over; otherwise it has shown its message (none when the user cancelled) and what was
  // open stays as it was. The scan a new one replaced is kept until the new one is shown
  // (Flatten), so that a show that fails can give it back.
  bool ScanFolder(const std::string& folder);
  bool OpenOCTFile(const std::string& path);
  // After an open whose scan could not be shown: the scan it replaced is open again, with
  // its files, chosen files and unsaved edits, as it was shown. False when there is none
  // (no open since the last show).
  bool RestoreReplacedScan();
  // One result file (RefSurf to Splines) for the open scan; the kind then holds only it.
  bool OpenResultFile(ResultKind kind, const std::string& path);

  // Reads the grid definition; a file that cannot be read falls back on the ETDRS grid of
  // the program's "Grid" folder, which the settings then name. False after a message when
  // neither can be used.
  bool LoadGrid(const std::string& path);
  // The grid file the settings name, in the program's "Grid" folder.
  std::string ConfiguredGridPath() const;

  // Showing. Flatten freezes the shift of the chosen reference surface ("None": no shift)
  // for the scan and every kind until it runs again, and rebuilds under it the displayed
  // scan and the displayed object of every kind's chosen file. When memory for them cannot
  // be had it says so and returns false: the shift and everything shown stay as they were.
  // `readyToShow` runs once all of it is made, before anything is taken over: the window
  // takes there what it needs to show them, and false (or memory running short in it) is a
  // shortage like any other. ApplyOCT centres the position and, in Auto window mode, sets
  // the window to the value range.
  bool Flatten(const std::function<bool()>& readyToShow = {});
  void ApplyOCT();
  // Each rebuilds the kind's displayed object from file `selection` (or the default object).
  // Those that return false had nothing to show: no such file (RefSurf: "None"), or (after
  // a message) no memory for it; the displayed object then stays as it was.
  bool ApplyRefSurf(int selection);
  bool ApplyGridCenter(int selection);
  // A stored surface pair the file does not have falls back to its first surface (written).
  bool ApplySurfaces(int selection);
  // Vessel or SEAD.
  bool ApplyLabels(ResultKind kind, int selection);
  // RefSurf or Surfaces: true when a file of the kind is chosen (Flatten showed it).
  bool ShowsChosenFile(ResultKind kind) const;
  // True when the kind's displayed labels fit the displayed scan (Flatten made them).
  bool ShowsLabels(ResultKind kind) const;
  bool ApplyMarkers(int selection);
  bool ApplySplines(int selection);
  // The projection or disc image of file `selection`; null when there is none.
  const LImage2D* ChosenImage(ResultKind kind, int selection) const;
  // A projection between surfaces needs surfaces: without a surfaces file the setting is
  // switched off (and written). True when it was switched off now.
  bool DropCreatedProjectionWithoutSurfaces();
  // The chosen file of a kind (RefSurf: 0 "None", k file k - 1).
  void Select(ResultKind kind, int selection);
  int Selected(ResultKind kind) const;

  // Writes the kind's displayed data (Surfaces, GridCenter, Vessel, SEAD, Markers, Splines)
  // at the scan's own depth; see ResultSaver. Saved labels are shown again from the file.
  // What was written holds the kind's edits: it is no longer unsaved. A file of the kind
  // that another program changed since it was read is written over only when the user
  // says so.
  bool SaveResult(ResultKind kind, const std::string& path, bool approved, SavedFile& saved);

  // What it holds.
  const std::string& GetScanFolder() const { return m_ScanFolder; }
  const std::string& GetScanPath() const { return m_ScanPath; }
  // The same object for the workspace's life: it holds whichever scan is open.
  const LOCTVolume& GetReadVolume() const { return *m_ReadVolume; }
  const LOCTVolume& GetDisplayedVolume() const { return m_DisplayedVolume; }
  LResultSlots& Slots() { return *m_Slots; }
  const LResultSlots& Slots() const { return *m_Slots; }
  const LGrid& GetGridDefinition() const { return *m_GridDefinition; }
  // The projection pane borrows the grid's arrays.
  LGrid& GetGridDefinition() { return *m_GridDefinition; }
  // x (A-scan), y (depth row), z (B-scan); the panes write it as the user moves.
  int* Position() { return m_Position; }
  const int* Position() const { return m_Position; }
  int MaxIntensity() const { return m_MaxIntensity; }
  const FlatteningShift& Shift() const { return m_Shift; }
  LSettings& Settings() { return m_Settings; }
  const LSettings& Settings() const { return m_Settings; }
  // The header of a record created for the displayed scan.
  LResultHeader CreatedHeader() const;
  // The kinds edited in the panes since they were saved or read. The panes' edits mark them;
  // a kind is clean again once it is saved, or once its displayed data is rebuilt from its
  // files (a new scan, a new file of the kind, an apply).
  UnsavedEdits& Unsaved() { return m_Unsaved; }
  const UnsavedEdits& Unsaved() const { return m_Unsaved; }

private:
  struct StagedKinds;
  // Runs one operation of the workspace. Memory that cannot be had ends it, wherever it ran
  // short, with the memory message for the task: every operation makes what it changes
  // aside first, so what was shown and held stays as it was.
  template <typename Operation>
  bool WithinMemory(const std::string& task, Operation operation);
  ScanLoader Loader();
  ResultSaver Saver();
  struct ReplacedScan;
  // Runs the chain on what was staged and, when all of it loaded, takes it over; `staged`
  // then holds the scan it replaced.
  bool LoadStaged(std::unique_ptr<ReplacedScan>& staged);
  // Trades the open scan, its files and chosen files with `other`; the displayed objects
  // stay. Takes no memory.
  void TradeScan(StagedScan& other) noexcept;
  // The labels the kind shows for the selection under the shift, made aside. False when
  // memory ran short; volume stays unloaded when the kind has nothing to show.
  bool StageLabels(ResultKind kind, int selection, const FlatteningShift& shift, LOCTVolume& volume,
                   LMesh& mesh) const;
  void ShowStagedLabels(ResultKind kind, const LOCTVolume& volume, LMesh& mesh);
  // The kinds' displayed objects for the selections under the shift, made aside, and their
  // taking over (which takes no memory). Stage throws when memory runs short.
  void StageKinds(const FlatteningShift& shift, const LResultHeader& header, StagedKinds& staged) const;
  void ShowStagedKinds(StagedKinds& staged);
  // The displayed surfaces of the file, with the stored surface pairs it does not have
  // moved back to its first surface (written).
  void ShowSurfaces(LSurfaces& made);
  void ShowGridCenter(LGridCenter& made);
  bool LoadResultFile(ResultKind kind, const std::string& path);
  bool WriteResult(ResultKind kind, const std::string& path, bool approved, SavedFile& saved);
  void WriteSetting(const char* key);

  WorkspacePrompts& m_Prompts;
  SettingsStore& m_Store;
  std::string m_ProgramFolder;
  std::string m_ScanFolder;
  std::string m_ScanPath;
  std::unique_ptr<LOCTVolume> m_ReadVolume = std::make_unique<LOCTVolume>();
  LOCTVolume m_DisplayedVolume;
  std::unique_ptr<LResultSlots> m_Slots = std::make_unique<LResultSlots>();
  std::unique_ptr<LGrid> m_GridDefinition = std::make_unique<LGrid>();
  int m_Position[3] = {0, 0, 0};
  int m_MaxIntensity = 0;
  LSettings m_Settings;
  float m_FlatteningFraction = 0.5f;
  bool m_HeaderApproval = false;
  FlatteningShift m_Shift;  // the one shift of the displayed volume and every kind
  UnsavedEdits m_Unsaved;
  std::unique_ptr<ReplacedScan> m_Replaced;  // the scan the last open replaced, until shown
};
