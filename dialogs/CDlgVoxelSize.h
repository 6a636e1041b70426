#pragma once
// Asks for the voxel size of a volume that carries none (a 3-D TIFF scan, or a stack of 2-D
// images), in micrometres.
// It proposes the size last entered, which it keeps in the profile.
#include <QDialog>

class QLineEdit;

class CDlgVoxelSize : public QDialog {
  Q_OBJECT
public:
  explicit CDlgVoxelSize(QWidget* parent = nullptr);

  // X, Y, Z in micrometres: the proposal, then what OK took from the edits.
  float voxelSize[3] = {1.0f, 1.0f, 1.0f};

  QLineEdit* Edit(int axis) const { return m_Edits[axis]; }

public slots:
  // Takes the edits and stores them in the profile; closes only when all three are numbers.
  void accept() override;

private:
  QLineEdit* m_Edits[3] = {};  // owned by Qt through the dialog
};
