#pragma once
// A dialog whose controls follow its edges as it is resized, and which cannot be made smaller
// than its minimum window size (frame included). A derived dialog adds its controls to
// Anchoring() with their rules once they stand at the size they were laid out for, then
// calls RecordLayout(); one laid out by a Qt layout that already behaves so adds none.
#include "dialogs/DialogAnchoring.h"

#include <QDialog>

class AnchoredDialog : public QDialog {
  Q_OBJECT
public:
  // The control with the resource id among the dialog's own children, or null.
  QWidget* Control(int id) const;

protected:
  AnchoredDialog(QWidget* parent, QSize minimumWindow) : QDialog(parent), m_MinimumWindow(minimumWindow) {}

  DialogAnchoring& Anchoring() { return m_Anchoring; }
  // Takes the controls' places at the current size and applies them.
  void RecordLayout();

  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

private:
  QSize m_MinimumWindow;
  DialogAnchoring m_Anchoring;
};
