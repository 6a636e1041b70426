#include "app/CStrataviewApp.h"

#include "app/CMainFrame.h"
#include "app/CStrataviewView.h"
#include "platform/Startup.h"

#include <QScreen>

void CStrataviewApp::ConfigureBeforeConstruction()
{
  platform::ConfigureDefaultSurfaceFormat();
}

CStrataviewApp::CStrataviewApp(int& argc, char** argv) : QApplication(argc, argv)
{
  setApplicationName(QStringLiteral("Strataview"));
  setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
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
  m_Frame->showMaximized();
  return true;
}
