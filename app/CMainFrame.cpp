#include "app/CMainFrame.h"

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent)
{
  setWindowTitle(QStringLiteral("Strataview"));
  setMinimumSize(512, 384);
}
