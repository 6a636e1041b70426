#pragma once
// Opens a document or a web page with the desktop's own program for it. One seam, so that
// tests see what would be opened instead of starting a viewer or a browser.
#include <functional>
#include <string>

namespace platform {

// url: "https://…" or "file:///…". False when no program could be started for it.
bool ShellOpen(const std::string& url);

using ShellOpenHandler = std::function<bool(const std::string& url)>;

// While alive, every ShellOpen goes to the handler.
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
