#include "dialogs/CDlgVoxelSize.h"

#include "dialogs/DialogControls.h"
#include "platform/Profile.h"
#include "platform/WaitCursor.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {
const char* const kKeys[3] = {"VoxelSizeX", "VoxelSizeY", "VoxelSizeZ"};
const char* const kEditNames[3] = {"IDC_EDIT_VOXELSIZE_X", "IDC_EDIT_VOXELSIZE_Y", "IDC_EDIT_VOXELSIZE_Z"};
const int kEditIds[3] = {1200, 1201, 1202};
}  // namespace

CDlgVoxelSize::CDlgVoxelSize(QWidget* parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("CDlgVoxelSize"));
  setWindowTitle(QStringLiteral("Voxel Size"));
  const platform::WaitCursor busy;
  auto* grid = new QGridLayout(this);
  const char* const heads[3] = {"X", "Y", "Z"};
  for (int axis = 0; axis < 3; ++axis) {
    // A stored text that is not a number proposes 0.
    voxelSize[axis] = platform::Profile::GetProfileString(QString::fromLatin1(kKeys[axis]), QStringLiteral("1.0"))
                        .toFloat();
    grid->addWidget(new QLabel(QString::fromLatin1(heads[axis]), this), 0, 2 * axis, Qt::AlignCenter);
    m_Edits[axis] = new QLineEdit(QString::number(voxelSize[axis]), this);
    m_Edits[axis]->setObjectName(QString::fromLatin1(kEditNames[axis]));
    m_Edits[axis]->setProperty("controlId", kEditIds[axis]);
    grid->addWidget(m_Edits[axis], 1, 2 * axis);
    grid->addWidget(new QLabel(axis < 2 ? QStringLiteral("x") : QStringLiteral("um3"), this), 1, 2 * axis + 1);
  }
  grid->addWidget(new QLabel(QStringLiteral("* Visualization only: Any numbers\n  Analysis: Correct numbers"), this),
                  2, 0, 1, 6);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  grid->addWidget(buttons, 3, 0, 1, 6);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDlgVoxelSize::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDlgVoxelSize::reject);
}

void CDlgVoxelSize::accept()
{
  const platform::WaitCursor busy;
  // The numbers read so far are kept even when a later edit is refused.
  for (int axis = 0; axis < 3; ++axis) {
    bool number = false;
    const float value = m_Edits[axis]->text().trimmed().toFloat(&number);
    if (number)
      voxelSize[axis] = value;
    platform::Profile::WriteProfileString(QString::fromLatin1(kKeys[axis]),
                                          QString::asprintf("%f", static_cast<double>(voxelSize[axis])));
  }
  // The first edit that holds no number says so and takes the focus; the dialog stays open.
  for (int axis = 0; axis < 3; ++axis)
    if (!dialogcontrols::ReadFloatEdit(m_Edits[axis], voxelSize[axis]))
      return;
  QDialog::accept();
}
