#pragma once
// Writing the displayed results back to files: each kind's displayed data is turned back to
// the scan's own depth by the one shift it was shown with, written, approved or not, and
// taken into the kind's file list as if it had been loaded. Failures show the kind's
// message through the prompts.
#include "data/LResultHeader.h"
#include "model/FlatteningShift.h"
#include "model/LResultSlot.h"
#include "model/LSettings.h"
#include "model/ResultKind.h"
#include "model/WorkspacePrompts.h"

#include <initializer_list>
#include <string>

// Where a save put its file in the kind's list.
struct SavedFile {
  int index = -1;        // the file's entry, now the chosen one
  bool added = false;    // appended as a new entry (otherwise found in the list)
  bool written = false;  // the data file is on disk and listed, whatever came after
  std::string path;      // as written and listed (a label volume's with its ".mhd")
};

class ResultSaver {
public:
  // header: the header every written record carries; settings give the meshes' smoothing.
  ResultSaver(WorkspacePrompts& prompts, LResultSlots& slots, const FlatteningShift& shift,
              const LResultHeader& header, const LSettings& settings);

  // Each writes the kind's displayed data to the path and sets its approval. True when every
  // file of the kind was written and took the approval asked for; otherwise a message was
  // shown. A label volume's path gets ".mhd" when it has no such ending.
  bool SaveSurfaces(const std::string& path, bool approved, SavedFile& saved);
  bool SaveGridCenter(const std::string& path, bool approved, SavedFile& saved);
  bool SaveMarkers(const std::string& path, bool approved, SavedFile& saved);
  bool SaveSplines(const std::string& path, bool approved, SavedFile& saved);
  // Vessel or SEAD; the label file's mesh is rebuilt and cached beside it.
  bool SaveLabels(ResultKind kind, const std::string& path, bool approved, SavedFile& saved);

private:
  // The kind's message, with the path and why it failed.
  bool FailSave(ResultKind kind, const std::string& path, const std::string& reasons);
  bool NamesRefused(std::initializer_list<std::string> files);
  bool MakeStoredLabels(ResultKind kind, const LOCTVolume& shown, LOCTVolume& stored, LMesh& mesh,
                        std::string& meshText) const;
  template <typename Slot>
  bool FindTarget(const Slot& slot, ResultKind kind, const std::string& path, SavedFile& saved);
  template <typename Slot, typename Fill>
  bool SaveXml(Slot& slot, ResultKind kind, const std::string& path, bool approved, SavedFile& saved, Fill fill);
  template <typename Slot>
  bool MayOverwriteChanges(const Slot& slot, const SavedFile& saved);
  template <typename Slot>
  bool WouldDropEntries(const Slot& slot, const SavedFile& saved, ResultKind kind, const std::string& path);
  bool SetApproval(std::initializer_list<std::string> files, bool approved);

  WorkspacePrompts& m_Prompts;
  LResultSlots& m_Slots;
  const FlatteningShift& m_Shift;
  LResultHeader m_Header;
  const LSettings& m_Settings;
};
