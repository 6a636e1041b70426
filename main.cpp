#include "app/CStrataviewApp.h"
#include "data/DecoderHelper.h"
#include "data/ToolkitThreads.h"

int main(int argc, char** argv)
{
  RunToolkitOnCallingThread();
  // Files a toolkit decodes are read by the helper beside the program.
  decoder::UseHelper(decoder::HelperBesideProgram());
  CStrataviewApp::ConfigureBeforeConstruction();
  CStrataviewApp app(argc, argv);
  if (!app.InitInstance())
    return 1;
  return app.exec();
}
