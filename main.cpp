#include "app/CStrataviewApp.h"

int main(int argc, char** argv)
{
  CStrataviewApp::ConfigureBeforeConstruction();
  CStrataviewApp app(argc, argv);
  if (!app.InitInstance())
    return 1;
  return app.exec();
}
