#pragma once
#include <QElapsedTimer>
#include <QEvent>
#include <QMainWindow>

class CStrataviewView;

// The program's one top-level window: a hidden menu bar and the main view.
class CMainFrame : public QMainWindow {
  Q_OBJECT
public:
  explicit CMainFrame(QWidget* parent = nullptr);

  CStrataviewView* View() const { return m_View; }

protected:
  // The space bar toggles the surfaces overlay once a surfaces file is loaded; the key
  // still goes on to whatever has the focus.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Closing drops the unsaved edits: the user is asked first and may cancel.
  void closeEvent(QCloseEvent* event) override;
  // A native window made again keeps the maximised state (below).
  bool event(QEvent* event) override;

private:
  void KeepStateOfRemadeWindow(QEvent::Type type);

  CStrataviewView* m_View;  // the central widget, owned by Qt
  // When the native window was last made again while shown, and its state then.
  QElapsedTimer m_RemadeAt;
  Qt::WindowStates m_StateWhenRemade;
};
