#include "dialogs/HelpDocument.h"

#include "platform/Messages.h"
#include "platform/ShellOpen.h"
#include "platform/WaitCursor.h"

#include <QFileInfo>
#include <QUrl>

std::string HelpDocumentPath(const std::string& programFolder)
{
  return programFolder + "/Help.pdf";
}

void OpenHelpDocument(const std::string& programFolder)
{
  const platform::WaitCursor busy;
  const QString path = QString::fromStdString(HelpDocumentPath(programFolder));
  if (!QFileInfo(path).isFile()) {
    platform::ShowMessage("The help document " + path.toStdString() + " is missing.");
    return;
  }
  OpenWithDesktop(QUrl::fromLocalFile(path).toString().toStdString(), path.toStdString());
}

void OpenWithDesktop(const std::string& url, const std::string& shown)
{
  if (!platform::ShellOpen(url))
    platform::ShowMessage("Cannot open " + shown + ".");
}
