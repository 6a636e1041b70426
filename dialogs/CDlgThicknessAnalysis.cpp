#include "dialogs/CDlgThicknessAnalysis.h"

#include "model/CSortStringArray.h"
#include "model/ThicknessAnalysis.h"
#include "dialogs/DialogControls.h"
#include "platform/Dialogs.h"
#include "platform/ExecutableDir.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "platform/WaitCursor.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <system_error>

using dialogcontrols::Named;

namespace {

const char* kKeyGrid = "ThicknessAnalysisGridFileName";
const char* kKeyGridCenter = "ThicknessAnalysisGridCenter";
const char* kKeySurfacesFilter = "FiltersSurfaces";
const char* kKeyGridCenterFilter = "FiltersGridCenter";
const char* kXmlText = "XML";
const char* kImageCenterText = "ImageCenter";

QString Stored(const char* key, const char* defaultValue)
{
  return platform::Profile::GetProfileString(QString::fromLatin1(key), QString::fromLatin1(defaultValue));
}

void Store(const char* key, const std::string& value)
{
  platform::Profile::WriteProfileString(QString::fromLatin1(key), QString::fromStdString(value));
}

std::string Text(const QLineEdit* edit)
{
  return edit->text().toStdString();
}

// The grid definitions of the folder: files whose names contain "Grid_", in natural order.
CSortStringArray GridNames(const std::string& folder)
{
  CSortStringArray names;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    const std::string name = it->path().filename().string();
    if (name.find("Grid_") != std::string::npos && it->is_regular_file(typeError))
      names.Add(name);
  }
  names.SortNatural();
  return names;
}

// The chosen output path with ".csv" appended unless it already ends so, in any letter case.
std::string WithCsvExtension(const std::string& path)
{
  const QString end = QString::fromStdString(path).right(4).toLower();
  return end == QLatin1String(".csv") ? path : path + ".csv";
}

}  // namespace

CDlgThicknessAnalysis::CDlgThicknessAnalysis(QWidget* parent)
  : AnchoredDialog(parent, QSize(341, 372)), m_GridFolder((std::filesystem::path(platform::ExecutableDir()) / "Grid").string())
{
  setObjectName(QStringLiteral("CDlgThicknessAnalysis"));
  setWindowTitle(QStringLiteral("Thickness Analysis"));
  const platform::WaitCursor busy;
  BuildControls();
  const QSignalBlocker blockGrid(m_Grid);
  FillGridList(Stored(kKeyGrid, "Grid_Circle_Macula_ETDRS.xml"));
  const bool xml = Stored(kKeyGridCenter, kImageCenterText) == QLatin1String(kXmlText);
  (xml ? m_Xml : m_ImageCenter)->setChecked(true);
  m_SurfacesFilter->setText(Stored(kKeySurfacesFilter, "_Surfaces_Vamo.xml"));
  m_GridCenterFilter->setText(Stored(kKeyGridCenterFilter, "_GridCenter_Vamo.xml"));
  UpdateEnabling();
}

void CDlgThicknessAnalysis::BuildControls()
{
  auto* layout = new QVBoxLayout(this);
  auto* gridBox = new QGroupBox(QStringLiteral("Grid"), this);
  m_Grid = Named(new QComboBox(gridBox), "IDC_COMBO_GRID", 1105);
  (new QVBoxLayout(gridBox))->addWidget(m_Grid);
  layout->addWidget(gridBox);

  auto* centreBox = new QGroupBox(QStringLiteral("Grid Center"), this);
  m_Xml = Named(new QRadioButton(QStringLiteral("XML"), centreBox), "IDC_RADIO_XML", 1115);
  m_ImageCenter = Named(new QRadioButton(QStringLiteral("Image Center"), centreBox), "IDC_RADIO_IMAGECENTER", 1116);
  auto* centreLayout = new QHBoxLayout(centreBox);
  centreLayout->addWidget(m_Xml);
  centreLayout->addWidget(m_ImageCenter);
  centreLayout->addStretch();  // the choices keep their place as the dialog widens
  layout->addWidget(centreBox);

  auto* filterBox = new QGroupBox(QStringLiteral("Filters"), this);
  auto* filters = new QGridLayout(filterBox);
  m_SurfacesFilter = Named(new QLineEdit(filterBox), "IDC_EDIT_FILTER_SURFACES", 1137);
  m_GridCenterFilter = Named(new QLineEdit(filterBox), "IDC_EDIT_FILTER_GRIDCENTER", 1140);
  filters->addWidget(new QLabel(QStringLiteral("Surfaces: "), filterBox), 0, 0);
  filters->addWidget(m_SurfacesFilter, 0, 1);
  filters->addWidget(new QLabel(QStringLiteral("Grid Center: "), filterBox), 1, 0);
  filters->addWidget(m_GridCenterFilter, 1, 1);
  layout->addWidget(filterBox);

  auto* outputBox = new QGroupBox(QStringLiteral("Output Path Name (.csv)"), this);
  m_Output = Named(new QLineEdit(outputBox), "IDC_EDIT_OUTPUT", 1117);
  m_Output->setReadOnly(true);
  auto* browse = Named(new QPushButton(QStringLiteral("..."), outputBox), "IDC_BUTTON_OUTPUT", 1118);
  auto* outputLayout = new QHBoxLayout(outputBox);
  outputLayout->addWidget(m_Output);
  outputLayout->addWidget(browse);
  layout->addWidget(outputBox);
  layout->addStretch();

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &CDlgThicknessAnalysis::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CDlgThicknessAnalysis::reject);
  connect(browse, &QPushButton::clicked, this, &CDlgThicknessAnalysis::OnBrowseOutput);
  connect(m_Grid, &QComboBox::currentIndexChanged, this, &CDlgThicknessAnalysis::OnSelChangeGrid);
  connect(m_Xml, &QRadioButton::toggled, this, &CDlgThicknessAnalysis::UpdateEnabling);
}

void CDlgThicknessAnalysis::FillGridList(const QString& storedName)
{
  m_Grid->addItem(QString::fromLatin1(kNoGridName));
  for (const std::string& name : GridNames(m_GridFolder))
    m_Grid->addItem(QString::fromStdString(name));
  m_Grid->setCurrentIndex(std::max(0, m_Grid->findText(storedName)));
}

// The grid-centre choice matters only with a grid, and its filter only for grid-centre files.
// Both follow the grid selected, so a stored grid that is gone does not enable them.
void CDlgThicknessAnalysis::UpdateEnabling()
{
  const bool grid = m_Grid->currentText() != QLatin1String(kNoGridName);
  m_Xml->setEnabled(grid);
  m_ImageCenter->setEnabled(grid);
  m_GridCenterFilter->setEnabled(grid && m_Xml->isChecked());
}

void CDlgThicknessAnalysis::OnSelChangeGrid()
{
  UpdateEnabling();
}

void CDlgThicknessAnalysis::OnBrowseOutput()
{
  platform::DialogRequest request;
  request.kind = platform::DialogKind::SaveFile;
  request.fileName = "*.csv";
  request.filter = "CSV Files (*.csv)";
  const platform::DialogAnswer answer = platform::GetSaveFileName(this, request);
  if (answer.accepted && !answer.path.empty())
    m_Output->setText(QString::fromStdString(WithCsvExtension(answer.path)));
}

void CDlgThicknessAnalysis::accept()
{
  const platform::WaitCursor busy;
  ThicknessAnalysisRequest request;
  request.folder = m_Folder;
  request.gridFolder = m_GridFolder;
  request.gridName = m_Grid->currentText().toStdString();
  request.gridCenterSource = m_Xml->isChecked() ? GridCenterSource::Xml : GridCenterSource::ImageCenter;
  request.surfacesFilter = Text(m_SurfacesFilter);
  request.gridCenterFilter = Text(m_GridCenterFilter);
  request.outputPath = Text(m_Output);
  const ThicknessAnalysisResult result = RunThicknessAnalysis(request);
  if (!result.message.empty()) {
    platform::ShowMessage(result.message);
    return;
  }
  if (!result.skipped.empty())
    platform::ShowMessage(SkippedFilesMessage(result.skipped));
  Store(kKeyGrid, request.gridName);
  Store(kKeyGridCenter, m_Xml->isChecked() ? kXmlText : kImageCenterText);
  Store(kKeySurfacesFilter, request.surfacesFilter);
  Store(kKeyGridCenterFilter, request.gridCenterFilter);
  QDialog::accept();
}
