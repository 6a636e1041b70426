#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {
namespace {

ShellOpenHandler& Hook()
{
  static ShellOpenHandler hook;
  return hook;
}

}  // namespace

bool ShellOpen(const std::string& url)
{
  if (Hook())
    return Hook()(url);
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
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
