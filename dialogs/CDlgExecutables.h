#pragma once
// The list of external analysis programs, one row per program with a "Run" button, run on
// the open scan or on every scan below a folder.
#include "dialogs/AnchoredDialog.h"

#include <functional>
#include <string>

#include "data/LExecutableList.h"
#include "dialogs/ExecutableRun.h"

class QLineEdit;
class QPushButton;

class CDlgExecutables : public AnchoredDialog {
  Q_OBJECT
public:
  static constexpr int kRows = 5;

  // Reads "Executables.xml" beside the program and fills the rows; a list that cannot be
  // read has been reported and leaves every row empty and its button disabled.
  explicit CDlgExecutables(QWidget* owner);

  // Set by the opener before the dialog runs.
  int runMode = kRunOnOpenScan;
  std::string scanPath;                  // the open scan (on the open scan)
  const LOCTVolume* volume = nullptr;    // the open scan as read (on the open scan)
  std::string folder;                    // the folder whose scans are run (on a folder)
  // Called with the results' folder once a program has run on the open scan.
  std::function<void(const std::string& resultFolder)> onScanRun;

  QPushButton* RunButton(int row) const { return m_RunButtons[row]; }
  QLineEdit* NameEdit(int row) const { return m_NameEdits[row]; }

  // Runs executable k in the run mode, under the wait cursor.
  void RunExecutable(int k);

private:
  void BuildRows();
  void ReadList();

  LExecutableList m_List;
  std::string m_ProgramFolder;
  QLineEdit* m_NameEdits[kRows] = {};      // owned by Qt through the dialog
  QPushButton* m_RunButtons[kRows] = {};   // owned by Qt through the dialog
};
