#include "platform/ShellOpen.h"

#include "platform/Process.h"

#include <QStandardPaths>

namespace platform {
namespace {

ShellOpenHandler& Hook()
{
  static ShellOpenHandler hook;
  return hook;
}

// xdg-open's exit status 3: "a required tool could not be found", which is how it says that
// nothing on this system opens the kind ("no method available for opening …").
constexpr int kXdgOpenNoMethod = 3;

ShellOpenResult ResultOf(const ProgramEnd& end)
{
  if (end.Succeeded())
    return ShellOpenResult::Opened;
  if (end.kind == ProgramEnd::Kind::Exited && end.code == kXdgOpenNoMethod)
    return ShellOpenResult::NoProgram;
  return ShellOpenResult::ProgramFailed;
}

void Report(ShellOpenResult result, const ShellOpenFailed& failed)
{
  if (result != ShellOpenResult::Opened && failed)
    failed(result);
}

}  // namespace

void ShellOpen(const std::string& url, ShellOpenFailed failed)
{
  if (Hook()) {
    Report(Hook()(url), failed);
    return;
  }
  // QDesktopServices would report success as soon as xdg-open had started, before it finds
  // out that nothing can open the file; its exit status is what tells.
  const std::string xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open")).toStdString();
  const bool started = !xdgOpen.empty() && StartProgram(xdgOpen, {url}, [failed](ProgramEnd end) { Report(ResultOf(end), failed); });
  if (!started)
    Report(ShellOpenResult::NoProgram, failed);
}

ScopedShellOpenHook::ScopedShellOpenHook(ShellOpenHandler handler) : m_Previous(std::move(Hook()))
{
  Hook() = std::move(handler);
}

ScopedShellOpenHook::~ScopedShellOpenHook()
{
  Hook() = std::move(m_Previous);
}

}  // namespace platform
