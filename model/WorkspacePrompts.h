#pragma once
// What the open scan asks of the user while it loads and saves: a message with an OK button,
// whether a file changed on disk may be overwritten, and the voxel size of a scan file that
// carries none. The window behind it answers with
// its message boxes and dialog; tests answer without one.
#include <string>

class WorkspacePrompts {
public:
  virtual ~WorkspacePrompts() = default;

  // Shows the text with an OK button and, below it, the detail (which file failed and why;
  // may be empty); returns once the user has read it.
  virtual void ShowMessage(const std::string& text, const std::string& detail) = 0;
  void ShowMessage(const std::string& text) { ShowMessage(text, std::string()); }
  // Asks whether a file that changed on disk since it was read (path) may be overwritten
  // with the edits; false when the user cancelled.
  virtual bool AskOverwriteChanged(const std::string& path) = 0;
  // Asks the voxel size in micrometres (x, y, z), proposing the one last entered, and fills
  // it in; false when the user cancelled.
  virtual bool AskVoxelSize(float micrometres[3]) = 0;
};
