#include "dialogs/DialogControls.h"

#include "platform/Messages.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace dialogcontrols {

void FillNumberCombo(QComboBox* combo, const std::vector<int>& items, int value)
{
  const QSignalBlocker block(combo);
  combo->clear();
  for (const int item : items)
    combo->addItem(QString::asprintf("%d", item));
  combo->setCurrentIndex(combo->findText(QString::asprintf("%d", value)));
}

int SelectedNumber(const QComboBox* combo, int current)
{
  bool number = false;
  const int value = combo->currentText().toInt(&number);
  return combo->currentIndex() >= 0 && number ? value : current;
}

void CheckRadio(QButtonGroup* group, int index)
{
  if (QAbstractButton* radio = group->button(index)) {
    radio->setChecked(true);
    return;
  }
  const bool exclusive = group->exclusive();
  group->setExclusive(false);
  for (QAbstractButton* radio : group->buttons())
    radio->setChecked(false);
  group->setExclusive(exclusive);
}

int CheckedRadio(const QButtonGroup* group, int current)
{
  const int checked = group->checkedId();
  return checked >= 0 ? checked : current;
}

bool ReadFloatEdit(QLineEdit* edit, float& value)
{
  bool number = false;
  const float read = edit->text().trimmed().toFloat(&number);
  if (!number) {
    platform::ShowMessage("Please enter a number.");
    edit->setFocus();
    edit->selectAll();
    return false;
  }
  value = read;
  return true;
}

QString FloatText(float value)
{
  return QString::number(static_cast<double>(value), 'g', 6);
}

}  // namespace dialogcontrols
