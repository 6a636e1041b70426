#include "app/ViewPrompts.h"

#include "dialogs/CDlgVoxelSize.h"
#include "model/LoadMessages.h"
#include "platform/Dialogs.h"
#include "platform/Messages.h"

#include <algorithm>

void ViewPrompts::ShowMessage(const std::string& text, const std::string& detail)
{
  (void)platform::ShowMessage(text, platform::kMbOk, detail);
}

bool ViewPrompts::AskOverwriteChanged(const std::string& path)
{
  return platform::ShowMessage(loadmessages::ChangedOnDisk(path), platform::kMbOverwriteCancel, path) ==
         platform::kIdOverwrite;
}

bool ViewPrompts::AskVoxelSize(float micrometres[3])
{
  CDlgVoxelSize dialog;
  if (platform::RunModal(dialog) != platform::kIdOk)
    return false;
  std::copy(dialog.voxelSize, dialog.voxelSize + 3, micrometres);
  return true;
}
