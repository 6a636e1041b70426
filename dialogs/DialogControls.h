#pragma once
// Small helpers the dialogs share to move values between their members and controls.
#include <QString>
#include <initializer_list>
#include <vector>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QWidget;

namespace dialogcontrols {

// Names a control for tests and records its resource id.
template <typename Control>
Control* Named(Control* control, const char* objectName, int id)
{
  control->setObjectName(QString::fromLatin1(objectName));
  control->setProperty("controlId", id);
  return control;
}

// Replaces the items with the numbers and selects the one that reads `value`; none when
// no item does, so the list never shows a value the member does not hold.
void FillNumberCombo(QComboBox* combo, const std::vector<int>& items, int value);
// The number written in the selected item, or `current` when nothing is selected.
int SelectedNumber(const QComboBox* combo, int current);

// Checks the radio with id `index`; none when no radio has it.
void CheckRadio(QButtonGroup* group, int index);
// The checked radio's id, or `current` when none is checked.
int CheckedRadio(const QButtonGroup* group, int current);

// The edit's text as a number written with a decimal point ("12.5"). On anything
// else it says so, puts the focus on the edit and returns false, leaving `value` alone.
bool ReadFloatEdit(QLineEdit* edit, float& value);
// The text a float edit shows.
QString FloatText(float value);

}  // namespace dialogcontrols
