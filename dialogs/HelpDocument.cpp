#include "dialogs/HelpDocument.h"

#include "platform/Messages.h"
#include "platform/ShellOpen.h"
#include "platform/WaitCursor.h"

#include <QFileInfo>
#include <QUrl>

namespace {

// url: what the desktop opens; shown: how the message names it; program: what opens such
// targets, as in "no <program> is installed"; advice: the detail shown when none is.
void OpenWithDesktop(const std::string& url, const std::string& shown, const std::string& program,
                     const std::string& advice)
{
  platform::ShellOpen(url, [shown, program, advice](platform::ShellOpenResult result) {
    if (result == platform::ShellOpenResult::NoProgram)
      platform::ShowMessage("Cannot open " + shown + ": no " + program + " is installed.", platform::kMbOk, advice);
    else
      platform::ShowMessage("Cannot open " + shown + ": the " + program + " could not open it.");
  });
}

}  // namespace

std::string HelpDocumentPath(const std::string& programFolder)
{
  return programFolder + "/Help.pdf";
}

void OpenHelpDocument(const std::string& programFolder)
{
  const platform::WaitCursor busy;
  const std::string path = HelpDocumentPath(programFolder);
  if (!QFileInfo(QString::fromStdString(path)).isFile()) {
    platform::ShowMessage("The help document " + path + " is missing.");
    return;
  }
  OpenWithDesktop(QUrl::fromLocalFile(QString::fromStdString(path)).toString().toStdString(),
                  "the help document " + path, "program for PDF files",
                  "Install a PDF viewer, for example the package evince, to read the guide.");
}

void OpenWebPage(const std::string& url)
{
  const platform::WaitCursor busy;
  OpenWithDesktop(url, url, "web browser", "Install a web browser, for example the package firefox-esr.");
}
