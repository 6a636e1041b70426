#include "platform/UserDataFolder.h"

#include <QDir>

namespace platform {

std::string UserDataFolder()
{
  // A relative $XDG_DATA_HOME is invalid and to be ignored, so it cannot make the folder
  // depend on where the program was started.
  QString base = qEnvironmentVariable("XDG_DATA_HOME");
  if (!QDir::isAbsolutePath(base))
    base = QDir::homePath() + QStringLiteral("/.local/share");
  return QDir::cleanPath(base + QStringLiteral("/strataview")).toStdString();
}

}  // namespace platform
