#include "app/CStrataviewApp.h"

#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "app/StartupReport.h"
#include "platform/Startup.h"
#include "platform/WaitCursor.h"

#include <QScreen>
#include <filesystem>

void CStrataviewApp::ConfigureBeforeConstruction()
{
  platform::ConfigureDefaultSurfaceFormat();
}

CStrataviewApp::CStrataviewApp(int& argc, char** argv) : QApplication(argc, argv)
{
  setApplicationName(QStringLiteral("Strataview"));
  setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
  // Ties the windows to the installed desktop entry (its name, icon and file types).
  setDesktopFileName(QStringLiteral("org.strataview.Strataview"));
  platform::UseCNumericLocale();
  platform::EnsureGlutInitialized();
}

CStrataviewApp::~CStrataviewApp() = default;

bool CStrataviewApp::InitInstance()
{
  m_Frame = std::make_unique<CMainFrame>();
  // Fill the screen even where no window manager honours the maximised state.
  m_Frame->setGeometry(primaryScreen()->availableGeometry());
  m_Frame->View()->OnInitialUpdate();
  ReportProgramFiles(*m_Frame->View());
  m_Frame->showMaximized();
  const QStringList args = arguments();
  if (args.size() > 1)
    OpenDocument(args.at(1).toStdString());
  return true;
}

void CStrataviewApp::OpenDocument(const std::string& path)
{
  const platform::WaitCursor busy;
  CStrataviewView& view = *m_Frame->View();
  std::error_code error;
  const bool opened = std::filesystem::is_directory(path, error) ? view.ScanFolder(path) : view.OpenOCTFile(path);
  if (opened)
    view.RefreshAll();
  ReportOpened(view, path, opened);
}
