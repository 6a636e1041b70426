#pragma once
// Opens a document or a web page with the desktop's own program for it (xdg-open). One seam,
// so that tests see what would be opened instead of starting a viewer or a browser.
#include <functional>
#include <string>

namespace platform {

// What the desktop answered.
enum class ShellOpenResult {
  Opened,         // a program shows it (or still runs to show it)
  NoProgram,      // no program for its kind is installed (nor xdg-open itself)
  ProgramFailed,  // the desktop's program for it reported a failure
};

using ShellOpenFailed = std::function<void(ShellOpenResult result)>;

// url: "https://…" or "file:///…". Returns at once; `failed` is called, at once or later while
// the event loop runs, when it cannot be opened. Without a desktop environment xdg-open runs
// the viewer it finds until the viewer ends, so only a failure is ever reported.
void ShellOpen(const std::string& url, ShellOpenFailed failed);

using ShellOpenHandler = std::function<ShellOpenResult(const std::string& url)>;

// While alive, every ShellOpen goes to the handler, whose answer is reported at once.
class ScopedShellOpenHook {
public:
  explicit ScopedShellOpenHook(ShellOpenHandler handler);
  ~ScopedShellOpenHook();
  ScopedShellOpenHook(const ScopedShellOpenHook&) = delete;
  ScopedShellOpenHook& operator=(const ScopedShellOpenHook&) = delete;

private:
  ShellOpenHandler m_Previous;
};

}  // namespace platform
