#pragma once
// Evaluates every surfaces file below a folder in one run and writes the layer thickness
// figures of all of them into one CSV file, over all A-scans or per sector of a grid. The
// choices (grid, grid centre, filters) are kept in the profile after a successful run.
#include "dialogs/AnchoredDialog.h"

#include <string>

class QComboBox;
class QLineEdit;
class QRadioButton;

class CDlgThicknessAnalysis : public AnchoredDialog {
  Q_OBJECT
public:
  explicit CDlgThicknessAnalysis(QWidget* parent = nullptr);

  // The folder the run searches, with its sub-folders.
  void SetFolder(const std::string& folder) { m_Folder = folder; }

  QComboBox* GridCombo() const { return m_Grid; }
  QRadioButton* XmlButton() const { return m_Xml; }
  QRadioButton* ImageCenterButton() const { return m_ImageCenter; }
  QLineEdit* SurfacesFilterEdit() const { return m_SurfacesFilter; }
  QLineEdit* GridCenterFilterEdit() const { return m_GridCenterFilter; }
  QLineEdit* OutputEdit() const { return m_Output; }

public slots:
  // The run; the dialog closes only when it reached its end.
  void accept() override;
  void OnSelChangeGrid();
  void OnBrowseOutput();

private:
  void BuildControls();
  void FillGridList(const QString& storedName);
  void UpdateEnabling();

  std::string m_Folder;
  std::string m_GridFolder;
  QComboBox* m_Grid = nullptr;  // owned by Qt through the dialog, like the controls below
  QRadioButton* m_Xml = nullptr;
  QRadioButton* m_ImageCenter = nullptr;
  QLineEdit* m_SurfacesFilter = nullptr;
  QLineEdit* m_GridCenterFilter = nullptr;
  QLineEdit* m_Output = nullptr;
};
