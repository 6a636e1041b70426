#pragma once
// File choosers and modal dialogs. Every call goes through one seam so that tests can
// script the user's answer (a path, OK or Cancel) without opening a window.
#include <functional>
#include <string>

class QDialog;
class QWidget;

namespace platform {

enum class DialogKind { OpenFile, SaveFile, BrowseFolder, Modal };

struct DialogRequest {
  DialogKind kind = DialogKind::Modal;
  std::string title;       // the chooser's caption, or the dialog's objectName for Modal
  std::string folder;      // the folder the chooser starts in
  std::string fileName;    // proposed name (SaveFile)
  std::string filter;      // Qt filter text, e.g. "Images (*.tif *.png)"
  std::string defaultSuffix;  // SaveFile: added, after a dot, to a name typed without one ("xml")
};

struct DialogAnswer {
  bool accepted = false;   // OK pressed (IDOK); false for Cancel
  std::string path;        // the chosen file or folder
};

// Each returns the user's choice; an empty, unaccepted answer on Cancel. A saved file's name
// without an extension gets the request's default suffix.
DialogAnswer GetOpenFileName(QWidget* parent, const DialogRequest& request);
DialogAnswer GetSaveFileName(QWidget* parent, const DialogRequest& request);
DialogAnswer BrowseForFolder(QWidget* parent, const DialogRequest& request);

// Runs the dialog modally; kIdOk (1) when accepted, kIdCancel (2) otherwise.
int RunModal(QDialog& dialog);

using DialogHandler = std::function<DialogAnswer(const DialogRequest& request, QDialog* dialog)>;

// While alive, every call above goes to the handler. For Modal requests the handler gets
// the dialog itself (already built), may set its controls, and says whether OK was pressed.
class ScopedDialogHook {
public:
  explicit ScopedDialogHook(DialogHandler handler);
  ~ScopedDialogHook();
  ScopedDialogHook(const ScopedDialogHook&) = delete;
  ScopedDialogHook& operator=(const ScopedDialogHook&) = delete;

private:
  DialogHandler m_Previous;
};

}  // namespace platform
