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

bool CMainFrame::event(QEvent* event)
{
  KeepStateOfRemadeWindow(event->type());
  return QMainWindow::event(event);
}

// The first scan shown adds the 3-D pane's OpenGL widget, and Qt then makes the shown
// window's native window again. The new one is mapped without the maximised state, so the
// window manager reports it as a normal window of the screen's size, whose frame lies partly
// off the screen. The state it had is given back when that report follows the remaking (a
// later change of state is the user's own).
void CMainFrame::KeepStateOfRemadeWindow(QEvent::Type type)
{
  constexpr qint64 kReportWithinMs = 2000;
  if (type == QEvent::WinIdChange && isVisible() && internalWinId()) {
    m_StateWhenRemade = windowState();
    m_RemadeAt.start();
  } else if (type == QEvent::WindowStateChange && m_RemadeAt.isValid()) {
    const bool lost = (m_StateWhenRemade & Qt::WindowMaximized) && !(windowState() & Qt::WindowMaximized);
    if (lost && !m_RemadeAt.hasExpired(kReportWithinMs))
      QMetaObject::invokeMethod(this, &CMainFrame::showMaximized, Qt::QueuedConnection);
    m_RemadeAt.invalidate();
  }
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
