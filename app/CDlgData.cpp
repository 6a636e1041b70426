#include "app/CDlgData.h"

#include "app/LButton.h"
#include "platform/DialogUnits.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

const std::array<int, CDlgData::kSurfaceBoxCount> CDlgData::kSurfaceBoxIds = {
  950, 965, 981, 985, 989, 992, 994, 999, 1002, 1004,
  1006, 1007, 1009, 1011, 1013, 1015, 1017, 1019, 1021, 1022};

CDlgData::CDlgData(QWidget* parent) : QWidget(parent)
{
  setFont(DialogUnits::PanelFont());
  const DialogUnits du;
  m_PanelSize = QSize(du.X(103), du.Y(390));

  for (const auto& [title, x, y, w, h] : {std::make_tuple("Data", 1, 1, 101, 141),
                                          std::make_tuple("Surfaces", 1, 145, 101, 121),
                                          std::make_tuple("OCT Info.", 1, 269, 101, 60)}) {
    auto* group = new QGroupBox(QString::fromLatin1(title), this);
    group->setGeometry(du.Rect(x, y, w, h));
    group->lower();
  }

  AddKindRow(kShowRefSurf, "IDC_CHECK_REFSURF", kRefSurfCombo, "IDC_COMBO_REFSURF", 10, "Ref. Surf.");
  auto* flattening = new QPushButton(QStringLiteral("Flattening"), this);
  flattening->setGeometry(du.Rect(4, 22, 96, 12));
  Register(kFlattening, "IDC_BUTTON_FLATTENING", flattening);
  AddKindRow(kShowSurfaces, "IDC_CHECK_SURFACES", kSurfacesCombo, "IDC_COMBO_SURFACES", 36, "Surfaces");
  auto* gridLabel = new QLabel(QStringLiteral("Grid Center"), this);
  gridLabel->setGeometry(du.Rect(4, 51, 37, 10));
  Register(kGridCenterLabel, "IDC_STATIC_GRIDCENTER", gridLabel);
  auto* gridCombo = new QComboBox(this);
  gridCombo->setGeometry(du.Rect(41, 49, 58, 12));
  Register(kGridCenterCombo, "IDC_COMBO_GRIDCENTER", gridCombo);
  AddKindRow(kShowProj, "IDC_CHECK_PROJ", kProjCombo, "IDC_COMBO_PROJ", 62, "Proj.");
  AddKindRow(kShowDisc, "IDC_CHECK_DISC", kDiscCombo, "IDC_COMBO_DISC", 75, "Disc");
  AddKindRow(kShowVessel, "IDC_CHECK_VESSEL", kVesselCombo, "IDC_COMBO_VESSEL", 88, "Vessel");
  AddKindRow(kShowSEAD, "IDC_CHECK_SEAD", kSEADCombo, "IDC_COMBO_SEAD", 101, "SEAD");
  AddKindRow(kShowMarkers, "IDC_CHECK_MARKERS", kMarkersCombo, "IDC_COMBO_MARKERS", 114, "Markers");
  AddKindRow(kShowSplines, "IDC_CHECK_SPLINES", kSplinesCombo, "IDC_COMBO_SPLINES", 127, "Splines");

  for (int k = 0; k < kSurfaceBoxCount; ++k) {
    auto* box = new LButton(this);
    box->setText(QString::number(k + 1));
    box->setGeometry(du.Rect(k < 10 ? 4 : 52, 154 + 11 * (k % 10), 47, 10));
    Register(kSurfaceBoxIds[k], QStringLiteral("IDC_BUTTON_SURFACE%1").arg(k + 1), box);
    m_SurfaceBoxes[k] = box;
  }

  auto* info = new QPlainTextEdit(this);
  info->setReadOnly(true);
  info->setGeometry(du.Rect(4, 278, 95, 35));
  Register(kOCTInfo, "IDC_EDIT_OCTINFO", info);
  auto* lateralityLabel = new QLabel(QStringLiteral("- Laterality:"), this);
  lateralityLabel->setGeometry(du.Rect(7, 316, 33, 8));
  auto* laterality = new QComboBox(this);
  laterality->setGeometry(du.Rect(40, 314, 27, 12));
  laterality->addItems({"OD", "OS", "NA"});
  Register(kLaterality, "IDC_COMBO_LATERALITY", laterality);
}

void CDlgData::AddKindRow(int checkId, const QString& checkName, int comboId, const QString& comboName,
                          int y, const QString& caption)
{
  const DialogUnits du;
  auto* check = new QCheckBox(caption, this);
  check->setGeometry(du.Rect(4, y, 37, 12));
  Register(checkId, checkName, check);
  auto* combo = new QComboBox(this);
  combo->setGeometry(du.Rect(41, y, 58, 12));
  Register(comboId, comboName, combo);
}

void CDlgData::Register(int id, const QString& name, QWidget* control)
{
  control->setObjectName(name);
  control->setProperty("controlId", id);
  m_Controls[id] = control;
}

QWidget* CDlgData::Control(int id) const
{
  const auto it = m_Controls.find(id);
  return it == m_Controls.end() ? nullptr : it->second;
}

QAbstractButton* CDlgData::Button(int id) const
{
  return qobject_cast<QAbstractButton*>(Control(id));
}

QComboBox* CDlgData::Combo(int id) const
{
  return qobject_cast<QComboBox*>(Control(id));
}

QPlainTextEdit* CDlgData::OCTInfo() const
{
  return qobject_cast<QPlainTextEdit*>(Control(kOCTInfo));
}
