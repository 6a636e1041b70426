#include "app/CMainFrame.h"
#include "platform/Startup.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char** argv)
{
  platform::ConfigureDefaultSurfaceFormat();
  QApplication app(argc, argv);
  platform::UseCNumericLocale();
  platform::EnsureGlutInitialized();

  CMainFrame frame;
  // Fill the screen even where no window manager honours the maximised state.
  frame.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
  frame.showMaximized();
  return app.exec();
}
