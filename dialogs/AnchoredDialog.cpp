#include "dialogs/AnchoredDialog.h"

QWidget* AnchoredDialog::Control(int id) const
{
  for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (control->property("controlId").toInt() == id)
      return control;
  return nullptr;
}

void AnchoredDialog::RecordLayout()
{
  m_Anchoring.Record(size());
  m_Anchoring.Apply(size());
}

// The frame is known only once the window is shown.
void AnchoredDialog::showEvent(QShowEvent* event)
{
  SetMinimumWindowSize(*this, m_MinimumWindow);
  QDialog::showEvent(event);
}

void AnchoredDialog::resizeEvent(QResizeEvent* event)
{
  QDialog::resizeEvent(event);
  m_Anchoring.Apply(size());
  update();
}
