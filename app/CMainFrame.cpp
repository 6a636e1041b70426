#include "app/CMainFrame.h"

#include "app/CStrataviewView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent), m_View(new CStrataviewView(this))
{
  setWindowTitle(QStringLiteral("Strataview"));
  setMinimumSize(512, 384);
  menuBar()->hide();
  setCentralWidget(m_View);
  qApp->installEventFilter(this);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
  if (m_View->MayDropEdits(EditableKinds()))
    event->accept();
  else
    event->ignore();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space &&
      !static_cast<QKeyEvent*>(event)->isAutoRepeat() && m_View->GetSurfacesCount() > 0)
    m_View->ToggleShowSurfaces();
  return QMainWindow::eventFilter(watched, event);
}
