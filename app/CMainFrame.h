#pragma once
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

private:
  CStrataviewView* m_View;  // the central widget, owned by Qt
};
