#pragma once
// The host window of a pane. A pane smaller than its host, or an empty layout cell, shows
// black.
#include <QWidget>

class CChildWnd : public QWidget {
  Q_OBJECT
public:
  explicit CChildWnd(QWidget* parent = nullptr);

protected:
  void paintEvent(QPaintEvent* event) override;
};
