#pragma once
#include <QMainWindow>

// The program's one top-level window.
class CMainFrame : public QMainWindow {
  Q_OBJECT
public:
  explicit CMainFrame(QWidget* parent = nullptr);
};
