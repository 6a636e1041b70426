#include "app/CStrataviewApp.h"

#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "app/StartupReport.h"
#include "platform/Startup.h"
#include "platform/WaitCursor.h"

#include <QOpenGLWidget>
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

// The 3-D pane is an OpenGL widget, made with the first scan. Qt gives a window that holds
// one a native window of another kind; for a window already shown it makes the native window
// again, and the new one is mapped without the maximised state: the window manager then
// shows a normal window of the screen's size with its title bar above the screen. An OpenGL
// widget inside the window while it is first shown gives it that kind from the start.
void CStrataviewApp::ShowMaximizedReadyForOpenGL(QWidget& window)
{
  QOpenGLWidget forTheKindOfWindow(&window);
  forTheKindOfWindow.hide();
  window.showMaximized();
}

QIcon CStrataviewApp::ProgramIcon()
{
  QIcon icon;
  for (const int size : {16, 22, 24, 32, 48, 64, 128, 256})
    icon.addFile(QStringLiteral(":/desktop/icons/strataview_%1.png").arg(size), QSize(size, size));
  return icon;
}

bool CStrataviewApp::InitInstance()
{
  m_Frame = std::make_unique<CMainFrame>();
  setWindowIcon(ProgramIcon());
  // The window manager maximises the window with its frame on the screen. Only the size is
  // given, for a screen without a window manager: a position of (0, 0) would be the window's
  // own, and would put the frame's title above the screen.
  m_Frame->resize(primaryScreen()->availableGeometry().size());
  m_Frame->View()->OnInitialUpdate();
  ReportProgramFiles(*m_Frame->View());
  ShowMaximizedReadyForOpenGL(*m_Frame);
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
  ReportOpened(view, path, opened && view.RefreshAll());
}
