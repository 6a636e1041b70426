#include "platform/Startup.h"

#include <GL/freeglut.h>
#include <QGuiApplication>
#include <QSurfaceFormat>
#include <clocale>
#include <cstdlib>

namespace platform {

void ConfigureDefaultSurfaceFormat()
{
  QSurfaceFormat format;
  format.setRenderableType(QSurfaceFormat::OpenGL);
  format.setProfile(QSurfaceFormat::CompatibilityProfile);
  format.setDepthBufferSize(24);
  QSurfaceFormat::setDefaultFormat(format);
}

void UseCNumericLocale()
{
  std::setlocale(LC_NUMERIC, "C");
}

bool EnsureGlutInitialized()
{
  static const bool available = [] {
    const char* display = std::getenv("DISPLAY");
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !display || !*display)
      return false;
    int argc = 1;
    char name[] = "strataview";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    return true;
  }();
  return available;
}

bool OpenGLWidgetsAvailable()
{
  const QString name = QGuiApplication::platformName();
  return name != QLatin1String("offscreen") && !name.startsWith(QLatin1String("minimal"));
}

}  // namespace platform
