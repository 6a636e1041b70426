#pragma once
// Edits the thickness-map options of the projection pane: the grid definition file from
// the "Grid" folder beside the program, the colour range (automatic, or fixed between a
// minimum and a maximum in micrometres), the palette, the colour bar and the opacity.
#include "dialogs/AnchoredDialog.h"
#include <QString>

class QAbstractButton;
class QButtonGroup;
class QComboBox;
class QLineEdit;
class QSlider;

class CDlgThicknessOptions : public AnchoredDialog {
  Q_OBJECT
public:
  explicit CDlgThicknessOptions(QWidget* parent = nullptr);

  QString exeFolder;  // set by OnInitDialog
  QString gridFileName = QStringLiteral("Grid_Circle_Macula_ETDRS.xml");
  int unitMode = 0;  // 0 Auto, 1 Fixed
  float minUm = 0.0f;
  float maxUm = 0.0f;
  int palette = 0;  // 0 Color, 1 Grayscale
  int showBar = 1;
  int opacity = 80;

  // Lists the grid files, shows the values in the controls and applies the enabling rule;
  // the caller runs it once the values are filled in, before the dialog is run.
  void OnInitDialog();

public slots:
  // Takes the controls into the values; stays open when Min or Max is not a number.
  void accept() override;

private:
  void OnDefault();
  void FillGridList();
  void ApplyEnablingRule();

  QComboBox* m_Grid = nullptr;  // owned by Qt through the dialog
  QButtonGroup* m_Unit = nullptr;
  QLineEdit* m_Min = nullptr;
  QLineEdit* m_Max = nullptr;
  QButtonGroup* m_Palette = nullptr;
  QAbstractButton* m_Bar = nullptr;
  QSlider* m_Opacity = nullptr;
};
