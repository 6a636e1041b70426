#pragma once
// The open scan's questions answered by the program's message boxes and voxel-size dialog.
#include "model/WorkspacePrompts.h"

class ViewPrompts : public WorkspacePrompts {
public:
  using WorkspacePrompts::ShowMessage;
  void ShowMessage(const std::string& text, const std::string& detail) override;
  bool AskOverwriteChanged(const std::string& path) override;
  bool AskVoxelSize(float micrometres[3]) override;
};
