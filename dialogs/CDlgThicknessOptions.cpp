#include "dialogs/CDlgThicknessOptions.h"

#include "dialogs/DialogControls.h"
#include "platform/ExecutableDir.h"
#include "platform/WaitCursor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

using dialogcontrols::Named;

namespace {
const char* const kDefaultGrid = "Grid_Circle_Macula_ETDRS.xml";

struct RadioPair {
  const char* caption;
  const char* captions[2];
  const char* names[2];
  int ids[2];
};
const RadioPair kUnitRadios = {"Unit:", {"Auto", "Fixed"}, {"IDC_RADIO_UNIT_AUTO", "IDC_RADIO_UNIT_FIXED"}, {1094, 1096}};
const RadioPair kPaletteRadios = {
  "Palette:", {"Color", "Grayscale"}, {"IDC_RADIO_PALETTE_COLOR", "IDC_RADIO_PALETTE_GRAYSCALE"}, {1102, 1103}};

QButtonGroup* AddRadioRow(QWidget* owner, QGridLayout* grid, int row, const RadioPair& pair)
{
  grid->addWidget(new QLabel(QString::fromLatin1(pair.caption), owner), row, 0);
  auto* group = new QButtonGroup(owner);
  for (int i = 0; i < 2; ++i) {
    auto* radio = Named(new QRadioButton(QString::fromLatin1(pair.captions[i]), owner), pair.names[i], pair.ids[i]);
    group->addButton(radio, i);
    grid->addWidget(radio, row, 1 + i);
  }
  return group;
}

QLineEdit* AddRangeRow(QWidget* owner, QGridLayout* grid, int row, const char* caption, const char* name, int id)
{
  grid->addWidget(new QLabel(QString::fromLatin1(caption), owner), row, 0);
  auto* edit = Named(new QLineEdit(owner), name, id);
  grid->addWidget(edit, row, 1);
  grid->addWidget(new QLabel(QStringLiteral("um"), owner), row, 2);
  return edit;
}
}  // namespace

CDlgThicknessOptions::CDlgThicknessOptions(QWidget* parent) : AnchoredDialog(parent, QSize(360, 320))
{
  setObjectName(QStringLiteral("CDlgThicknessOptions"));
  setWindowTitle(QStringLiteral("Thickness Options"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QStringLiteral("Grid:"), this), 0, 0);
  m_Grid = Named(new QComboBox(this), "IDC_COMBO_GRID", 1105);
  // Only the grid list widens with the dialog: the extra width goes to an empty last column.
  grid->addWidget(m_Grid, 0, 1, 1, 4);
  grid->setColumnStretch(4, 1);
  m_Unit = AddRadioRow(this, grid, 1, kUnitRadios);
  connect(m_Unit, &QButtonGroup::idClicked, this, [this] { ApplyEnablingRule(); });
  m_Min = AddRangeRow(this, grid, 2, "Min:", "IDC_EDIT_THICKNESS_MIN", 1098);
  m_Max = AddRangeRow(this, grid, 3, "Max:", "IDC_EDIT_THICKNESS_MAX", 1100);
  m_Palette = AddRadioRow(this, grid, 4, kPaletteRadios);
  auto* bar = new QCheckBox(QStringLiteral("Bar:"), this);
  bar->setLayoutDirection(Qt::RightToLeft);
  m_Bar = Named(bar, "IDC_CHECK_THICKNESS_BAR", 1104);
  grid->addWidget(bar, 5, 0);
  grid->addWidget(new QLabel(QStringLiteral("Opacity:"), this), 6, 0);
  m_Opacity = Named(new QSlider(Qt::Horizontal, this), "IDC_SLIDER_THICKNESS_OPACITY", 1145);
  m_Opacity->setRange(0, 100);
  grid->addWidget(m_Opacity, 6, 1);
  grid->setRowStretch(7, 1);

  auto* buttons = new QHBoxLayout;
  auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "IDOK", 1);
  auto* defaults = Named(new QPushButton(QStringLiteral("Default"), this), "IDC_BUTTON_DEFAULT", 972);
  auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "IDCANCEL", 2);
  ok->setDefault(true);
  buttons->addStretch();
  for (QPushButton* button : {ok, defaults, cancel})
    buttons->addWidget(button);
  grid->addLayout(buttons, 8, 0, 1, 5);
  connect(ok, &QPushButton::clicked, this, &CDlgThicknessOptions::accept);
  connect(defaults, &QPushButton::clicked, this, [this] { OnDefault(); });
  connect(cancel, &QPushButton::clicked, this, &CDlgThicknessOptions::reject);
}

void CDlgThicknessOptions::OnInitDialog()
{
  const platform::WaitCursor busy;
  exeFolder = QString::fromStdString(platform::ExecutableDir());
  FillGridList();
  dialogcontrols::CheckRadio(m_Unit, unitMode);
  m_Min->setText(dialogcontrols::FloatText(minUm));
  m_Max->setText(dialogcontrols::FloatText(maxUm));
  dialogcontrols::CheckRadio(m_Palette, palette);
  m_Bar->setChecked(showBar != 0);
  m_Opacity->setValue(opacity);
  ApplyEnablingRule();
}

void CDlgThicknessOptions::FillGridList()
{
  m_Grid->clear();
  // Only files count; a sub-folder named like a grid is not one. Listed by name so that
  // the order does not depend on the file system.
  const QStringList names = QDir(exeFolder + QStringLiteral("/Grid")).entryList(QDir::Files, QDir::Name);
  for (const QString& name : names)
    if (name.contains(QStringLiteral("Grid_"), Qt::CaseSensitive))
      m_Grid->addItem(name);
  m_Grid->setCurrentIndex(m_Grid->findText(gridFileName, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void CDlgThicknessOptions::ApplyEnablingRule()
{
  const bool fixed = m_Unit->checkedId() == 1;
  m_Min->setEnabled(fixed);
  m_Max->setEnabled(fixed);
}

void CDlgThicknessOptions::OnDefault()
{
  const platform::WaitCursor busy;
  gridFileName = QString::fromLatin1(kDefaultGrid);
  unitMode = 0;
  minUm = 0.0f;
  maxUm = 0.0f;
  palette = 0;
  showBar = 1;
  opacity = 80;
  OnInitDialog();
}

void CDlgThicknessOptions::accept()
{
  float min = minUm;
  float max = maxUm;
  if (!dialogcontrols::ReadFloatEdit(m_Min, min) || !dialogcontrols::ReadFloatEdit(m_Max, max))
    return;
  gridFileName = m_Grid->currentIndex() >= 0 ? m_Grid->currentText() : QString();
  unitMode = dialogcontrols::CheckedRadio(m_Unit, unitMode);
  minUm = min;
  maxUm = max;
  palette = dialogcontrols::CheckedRadio(m_Palette, palette);
  showBar = m_Bar->isChecked() ? 1 : 0;
  opacity = m_Opacity->value();
  QDialog::accept();
}
