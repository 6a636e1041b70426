// The open dialog's commands that hand the chosen folder to another tool: the batch runs of
// the Folder tab and the image-stack import of the File tab.
#include "dialogs/CDlgOpen.h"

#include "data/Diagnostics.h"
#include "data/LOCTVolume.h"
#include "dialogs/CDlgExecutables.h"
#include "dialogs/CDlgThicknessAnalysis.h"
#include "dialogs/CDlgVoxelSize.h"
#include "dialogs/ScanActions.h"
#include "model/ImageStack.h"
#include "model/LoadMessages.h"
#include "model/UnsavedEdits.h"
#include "platform/Dialogs.h"
#include "platform/Messages.h"
#include "platform/WaitCursor.h"

#include <filesystem>

namespace {

std::string MessageFor(ImageStackResult result)
{
  switch (result) {
    case ImageStackResult::kTooFewImages: return "Only 1 B-scan!";
    case ImageStackResult::kDifferentSizes: return "Different image sizes!";
    case ImageStackResult::kUnsupportedDepth: return "Unsupported image bit depth!";
    case ImageStackResult::kNoMemory: return loadmessages::NotEnoughMemory("import the image sequence");
    // An image that cannot be read is said as well, with the reader's reason: stopping
    // without a word would leave the user waiting for a scan.
    default: return "File error: 'OCT'";
  }
}

// A file an earlier import (or anything else) left under the output's names is replaced
// only when the user says so.
bool MayWrite(const std::string& header)
{
  const std::filesystem::path mhd(header);
  std::filesystem::path raw = mhd;
  raw.replace_extension(".raw");
  std::error_code error;
  const std::filesystem::path* existing = std::filesystem::exists(mhd, error)   ? &mhd
                                          : std::filesystem::exists(raw, error) ? &raw
                                                                                : nullptr;
  return !existing || platform::ShowMessage("'" + existing->string() + "' already exists.\nDo you want to replace it?",
                                            platform::kMbYesNo) == platform::kIdYes;
}

}  // namespace

void CDlgOpen::OnExecutables()
{
  CDlgExecutables dialog(this);
  dialog.runMode = kRunOnFolder;
  dialog.folder = m_FolderPath;
  platform::RunModal(dialog);
}

void CDlgOpen::OnThicknessAnalysis()
{
  CDlgThicknessAnalysis dialog(this);
  dialog.SetFolder(m_FolderPath);
  platform::RunModal(dialog);
}

void CDlgOpen::ImportImageSequence()
{
  platform::DialogRequest request;
  request.kind = platform::DialogKind::BrowseFolder;
  request.title = "Select a folder for an image sequence.";
  request.folder = m_StackFolder;
  const platform::DialogAnswer folder = platform::BrowseForFolder(nullptr, request);
  if (!folder.accepted || folder.path.empty())
    return;
  m_StackFolder = folder.path;
  CDlgVoxelSize voxelSize;
  if (platform::RunModal(voxelSize) != platform::kIdOk)
    return;
  // Asked before anything is built or written: the header may be the scan shown, and a user
  // who keeps the edits must find the folder as it was. The open below asks no more.
  if (!m_Owner.MayDropEdits(EditableKinds()))
    return;

  const platform::WaitCursor busy;
  CSortStringArray files;
  ListImageFiles(m_StackFolder, files);
  files.SortNatural();
  const std::string header = SequenceHeaderPath(m_StackFolder);
  {
    LOCTVolume stack;
    const diag::ScopedReasons reasons;
    const ImageStackResult result = BuildImageStack(files, voxelSize.voxelSize, stack);
    if (result != ImageStackResult::kOk) {
      platform::ShowMessage(MessageFor(result), platform::kMbOk, loadmessages::Detail(m_StackFolder, reasons.Text()));
      return;
    }
    if (!MayWrite(header))
      return;
    const int written = stack.WriteMetaImage(header);
    if (written != 0) {
      platform::ShowMessage(written == kWriteNoMemory ? MessageFor(ImageStackResult::kNoMemory) : "File error: 'OCT'",
                            platform::kMbOk, loadmessages::Detail(header, reasons.Text()));
      return;
    }
  }
  if (!m_Owner.OpenOCTFileWithoutAsking(header) || !ShowOpenedScan())
    return;
  m_Paths.fill(std::string());
  m_Paths[kOCT] = header;
  ShowPaths();
  UpdateOpenButtons();
}
