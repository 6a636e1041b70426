#include "platform/ExecutableDir.h"

#include <QCoreApplication>

namespace platform {
namespace {
std::string& Override()
{
  static std::string folder;
  return folder;
}
}  // namespace

std::string ExecutableDir()
{
  if (!Override().empty())
    return Override();
  return QCoreApplication::applicationDirPath().toStdString();
}

void SetExecutableDirForTests(const std::string& folder)
{
  Override() = folder;
}

}  // namespace platform
