#include "app/StartupReport.h"

#include "app/CStrataviewView.h"
#include "dialogs/HelpDocument.h"

#include <QLoggingCategory>
#include <filesystem>

namespace {

Q_LOGGING_CATEGORY(lcStartup, "strataview.startup", QtWarningMsg)

const char* Found(const std::string& path)
{
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) ? "found" : "missing";
}

}  // namespace

void ReportProgramFiles(const CStrataviewView& view)
{
  const std::string& folder = view.ExeFolder();
  const std::string help = HelpDocumentPath(folder);
  qCInfo(lcStartup, "program folder \"%s\"", folder.c_str());
  qCInfo(lcStartup, "grid definition \"%s\" %s", view.Workspace().ConfiguredGridPath().c_str(),
         view.GetGridDefinition().loaded ? "loaded" : "not loaded");
  qCInfo(lcStartup, "help document \"%s\" %s", help.c_str(), Found(help));
}

void ReportOpened(const CStrataviewView& view, const std::string& path, bool opened)
{
  const LOCTVolume& scan = view.GetDisplayedVolume();
  if (opened)
    qCInfo(lcStartup, "opened \"%s\": scan \"%s\" of %d x %d x %d voxels", path.c_str(), view.GetScanPath().c_str(),
           scan.sizeX, scan.sizeY, scan.sizeZ);
  else
    qCInfo(lcStartup, "not opened \"%s\"", path.c_str());
}
