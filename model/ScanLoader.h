#pragma once
// Reading a scan and its results: the folder's files sorted by kind, then the scan and every
// result file read into fresh slots and checked against the scan. Every failure shows its
// message through the prompts and stops the chain; what was read is only staged, so the
// open scan stays as it was until the whole chain has succeeded.
#include "data/Diagnostics.h"
#include "data/LOCTVolume.h"
#include "model/LResultSlot.h"
#include "model/LSettings.h"
#include "model/ScanFolderScan.h"
#include "model/WorkspacePrompts.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// A scan and its results as a load reads them, taken over only when all of it fits.
struct StagedScan {
  std::string scanFolder;
  std::string scanPath;
  std::unique_ptr<LOCTVolume> volume = std::make_unique<LOCTVolume>();
  std::unique_ptr<LResultSlots> results = std::make_unique<LResultSlots>();
};

class ScanLoader {
public:
  // The settings give the label meshes' smoothing; the approval goes into every created record.
  ScanLoader(WorkspacePrompts& prompts, const LSettings& settings, bool headerApproval);

  // The folder's scan and its files of every kind; older grid-centre files are renamed on
  // disk first. False after a message when a rename fails.
  bool StageFolder(const std::string& folder, StagedScan& staged);
  // One scan file with no result files.
  static void StageScanFile(const std::string& path, StagedScan& staged);
  // The scan, then every kind in loading order; stops at the first failure.
  bool RunLoaderChain(StagedScan& staged);

  // Each reads the kind's listed files into its slot and chooses one; the kinds with a
  // default object fill it when there is no file. False after the kind's message.
  bool LoadOCT(StagedScan& staged);
  bool LoadRefSurf(LRefSurfSlot& slot, const LOCTVolume& scan);
  // Also gives the scan the centre type of the chosen file.
  bool LoadSurfaces(LShownSlot<LSurfaces>& slot, LOCTVolume& scan);
  bool LoadProj(LResultSlot<LImage2D>& slot, const LOCTVolume& scan);
  bool LoadDisc(LResultSlot<LImage2D>& slot, const LOCTVolume& scan);
  bool LoadVessel(LLabelSlot& slot, const LOCTVolume& scan);
  bool LoadSEAD(LLabelSlot& slot, const LOCTVolume& scan);
  bool LoadGridCenter(LGridCenterSlot& slot, const LOCTVolume& scan);
  bool LoadMarkers(LMarkersSlot& slot, const LOCTVolume& scan);
  bool LoadSplines(LSplinesSlot& slot, const LOCTVolume& scan);

private:
  bool Fail(const std::string& message, const std::string& detail = std::string());
  // The message with the path and the reasons printed while they were collected.
  bool FailOn(const std::string& message, const std::string& path, const diag::ScopedReasons& reasons);
  bool AllInFolder(const std::string& folder, const scanfolder::FolderContents& contents);
  bool RenameOlderNames(const std::vector<std::pair<std::string, std::string>>& renames);
  bool ConvertTiffScan(StagedScan& staged);
  bool LoadImages(LResultSlot<LImage2D>& slot, ResultKind kind, const LOCTVolume& scan);
  bool LoadLabels(LLabelSlot& slot, ResultKind kind, const LOCTVolume& scan, int smoothing);
  template <typename Record, typename ReadOne>
  bool ReadKindFiles(LResultSlot<Record>& slot, ResultKind kind, ReadOne readOne);
  template <typename Record>
  std::string ReadAndTellWhenCut(Record& record, const std::string& path, ResultKind kind, const LOCTVolume& scan);

  WorkspacePrompts& m_Prompts;
  const LSettings& m_Settings;
  bool m_HeaderApproval;
};
