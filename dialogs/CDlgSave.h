#pragma once
// Writes the edited results back: one row per kind with its path, a "..." button to choose
// another one, "Approval" and "Save". The owner (the view) does the writing; the dialog chooses
// paths, carries the approval and shows which files are approved (read-only).
#include "dialogs/AnchoredDialog.h"

#include <array>
#include <string>

class ScanActions;
class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLineEdit;

class CDlgSave : public AnchoredDialog {
  Q_OBJECT
public:
  // Rows: Surfaces, Grid Center, Vessel, SEAD, Markers, Splines.
  static constexpr int kRowCount = 6;

  CDlgSave(QWidget* parent, ScanActions& owner);

  std::array<std::string, kRowCount> savePaths;  // filled by the view before Run
  std::array<int, kRowCount> approvals{};        // 0/1

  // Shows the paths, marks rows whose file is approved and runs the dialog modally.
  int Run();

  QLineEdit* PathEdit(int row) const { return m_Edits[size_t(row)]; }
  QAbstractButton* BrowseButton(int row) const;
  QCheckBox* ApprovalBox(int row) const { return m_Approvals[size_t(row)]; }
  QAbstractButton* SaveButton(int row) const;

  // The rows' buttons.
  void OnBrowse(int row);
  void OnSave(int row);

private:
  void AnchorControls();
  void OnInitDialog();
  void ShowMembers();

  ScanActions& m_Owner;
  std::array<QGroupBox*, kRowCount> m_Groups{};  // owned by Qt through the dialog
  std::array<QLineEdit*, kRowCount> m_Edits{};
  std::array<QAbstractButton*, kRowCount> m_Browse{};
  std::array<QCheckBox*, kRowCount> m_Approvals{};
  std::array<QAbstractButton*, kRowCount> m_Save{};
  QAbstractButton* m_Close = nullptr;
};
