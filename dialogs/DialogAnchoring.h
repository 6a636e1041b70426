#pragma once
// Keeps the participating controls of a resizable dialog anchored to its edges: the dialog
// records their places once, at the size its controls were laid out for, and applies the
// layout on every resize. Controls not added keep their place relative to the top-left.
#include "dialogs/AnchorLayout.h"

#include <QPointer>
#include <QWidget>
#include <vector>

class DialogAnchoring {
public:
  // Controls are kept in the order added; each must be a direct child of the dialog.
  void Add(QWidget* control, const AnchorRule& rule);

  // Takes every control's current place in a client area of the given size.
  void Record(const QSize& client);

  // Moves every control to its place for the client size; nothing before Record.
  void Apply(const QSize& client) const;

private:
  struct Entry {
    QPointer<QWidget> control;
    AnchorRule rule;
    AnchorRecord record;
  };
  std::vector<Entry> m_Entries;
  bool m_Recorded = false;
};

// Sets the smallest client size that keeps the whole window, frame included, at least
// windowSize. The frame is known once the window is shown.
void SetMinimumWindowSize(QWidget& window, const QSize& windowSize);
