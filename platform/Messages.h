#pragma once
// Message boxes with the caption "Strataview". No code shows a QMessageBox directly, so
// that tests can record every text and answer without a window.
#include <functional>
#include <string>

namespace platform {

// Button sets and answers, with the values the program's callers compare against.
// kMbSaveDiscardCancel asks before unsaved work is dropped: Save, Discard or Cancel.
// kMbOverwriteCancel asks before a file someone else changed is written over: Overwrite or
// Cancel, Cancel the default.
enum MessageType : unsigned {
  kMbOk = 0,
  kMbOkCancel = 1,
  kMbYesNoCancel = 3,
  kMbYesNo = 4,
  kMbSaveDiscardCancel = 5,
  kMbOverwriteCancel = 6
};
enum MessageAnswer : int { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7, kIdSave = 12, kIdDiscard = 13, kIdOverwrite = 14 };

// Shows the text modally and returns the button pressed. The detail, when there is one,
// is shown below the text in a smaller font: which file failed and why.
int ShowMessage(const std::string& text, unsigned type = kMbOk, const std::string& detail = std::string());

using MessageHandler = std::function<int(const std::string& text, unsigned type)>;
using DetailedMessageHandler = std::function<int(const std::string& text, const std::string& detail, unsigned type)>;

// While alive, every ShowMessage goes to the handler instead of a window.
class ScopedMessageHook {
public:
  explicit ScopedMessageHook(MessageHandler handler);
  explicit ScopedMessageHook(DetailedMessageHandler handler);
  ~ScopedMessageHook();
  ScopedMessageHook(const ScopedMessageHook&) = delete;
  ScopedMessageHook& operator=(const ScopedMessageHook&) = delete;

private:
  DetailedMessageHandler m_Previous;
};

}  // namespace platform
