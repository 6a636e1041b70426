#pragma once
// What the open and save dialogs ask of the window that holds the open scan: open a scan, a
// folder or one result file, ask before unsaved edits are dropped, show a kind's chosen file,
// save a kind, read the settings and how many surface files there are, and show the
// thickness map again. The dialogs know no more of the window than this.
#include "model/LSettings.h"
#include "model/ResultKind.h"

#include <string>
#include <vector>

class ScanActions {
public:
  // Each first asks, as MayDropEdits does, about the edits the new scan would drop, and
  // returns true once the scan and every result file were read and checked; otherwise it has
  // shown its message (none when the user cancelled) and the previous scan stays as it was.
  virtual bool ScanFolder(const std::string& folder) = 0;
  virtual bool OpenOCTFile(const std::string& path) = 0;
  // OpenOCTFile for a caller that asked MayDropEdits of every editable kind itself, before
  // work of its own that must not happen unless the user agreed (the image-stack import
  // writes the file it then opens): the question is not asked a second time.
  virtual bool OpenOCTFileWithoutAsking(const std::string& path) = 0;
  // Before unsaved edits of `kinds` are dropped: asks the user (Save, Discard, Cancel) when
  // any of them is edited; true when the caller may go on, false when nothing may change.
  virtual bool MayDropEdits(const std::vector<ResultKind>& kinds) = 0;
  // One result file (RefSurf to Splines) for the open scan; on success the kind holds only it.
  virtual bool OpenResultFile(ResultKind kind, const std::string& path) = 0;
  // Shows everything again after a new scan; true when the display shows it. Otherwise it
  // has shown its message (none when the user kept unsaved edits), and when memory for the
  // display ran short the scan the new one replaced is open and shown again.
  virtual bool RefreshAll() = 0;
  // Shows the kind's chosen file (RefSurf to Splines).
  virtual void ApplyChosenFile(ResultKind kind) = 0;
  // Writes the kind's displayed data (Surfaces, GridCenter, Vessel, SEAD, Markers, Splines)
  // to the path, approved or not; true when every file of the kind was written.
  virtual bool SaveResult(ResultKind kind, const std::string& path, bool approved) = 0;
  virtual int GetSurfacesCount() const = 0;
  // The thickness display: set stores the flag only; the toggle inverts it and redraws, so
  // setting it off and toggling recomputes a shown map around the current grid centre.
  virtual void SetShowThickness(bool show) = 0;
  virtual void ToggleShowThickness() = 0;
  virtual const LSettings& Settings() const = 0;

protected:
  ~ScanActions() = default;
};
