#include "dialogs/CDlgOptions.h"

#include "dialogs/ColorButton.h"
#include "dialogs/DialogControls.h"
#include "model/LSettings.h"
#include "platform/WaitCursor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

using dialogcontrols::Named;

namespace {
const int kSurfaceColorIds[CDlgOptions::kSurfaceColorCount] = {
  1047, 1033, 1038, 1040, 1044, 1052, 1057, 1062, 1067, 1069, 1071,
  1073, 1075, 1080, 1086, 1156, 1161, 1167, 1174, 1183, 1193};
const int kShowUndefinedIds[CDlgOptions::kSurfaceColorCount - 1] = {
  1036, 1037, 1039, 1041, 1050, 1055, 1060, 1065, 1068, 1070, 1072, 1074, 1078, 1083, 1088, 1159, 1164, 1171, 1180, 1191};
const int kMarkerColorIds[CDlgOptions::kMarkerColorCount] = {
  1035, 1043, 1046, 1049, 1054, 1059, 1064, 1077, 1079, 1082, 1085, 1097, 1099, 1101, 1158, 1163, 1170, 1179, 1190, 1197};

// The region rows from top to bottom: caption, colour index, colour id, opacity index, slider id.
struct RegionRow {
  const char* caption;
  const char* name;
  int color;
  int colorId;
  int opacity;  // -1: no slider
  int sliderId;
};
const RegionRow kRegionRows[] = {
  {"Undef. Region:", "UNDEFINEDREGION", 4, 1092, 0, 1144}, {"Cup:", "CUP", 0, 1087, 1, 1146},
  {"Rim:", "RIM", 1, 1192, 2, 1147},        {"Vessel:", "VESSEL", 2, 1089, 3, 1148},
  {"SEAD:", "SEAD", 3, 1090, 4, 1149},      {"3D Background:", "3DBACKGROUND", 5, 1093, -1, 0}};

const std::vector<int> kLineWidths = {1, 2, 3, 4, 5};
const std::vector<int> kFrameRates = {5, 10, 15, 20, 25, 30};
const std::vector<int> kSmoothings = {0, 1, 2, 3, 4, 5};

QByteArray IndexedName(const char* stem, int index)
{
  return QByteArray(stem) + QByteArray::number(index);
}

QButtonGroup* AddRadios(QWidget* owner, QGridLayout* grid, int row, const char* const captions[2],
                        const char* const names[2], const int ids[2])
{
  auto* group = new QButtonGroup(owner);
  for (int i = 0; i < 2; ++i) {
    auto* radio = Named(new QRadioButton(QString::fromLatin1(captions[i]), owner), names[i], ids[i]);
    group->addButton(radio, i);
    grid->addWidget(radio, row, i);
  }
  return group;
}
}  // namespace

CDlgOptions::CDlgOptions(QWidget* parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("CDlgOptions"));
  setWindowTitle(QStringLiteral("Options"));
  auto* grid = new QGridLayout(this);
  BuildSurfaces(grid);
  BuildColors(grid);
  BuildSplines(grid);
  BuildMarkers(grid);
  BuildRightColumn(grid);
  BuildButtons(grid);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  SetDefaults();
}

void CDlgOptions::BuildSurfaces(QGridLayout* grid)
{
  auto* box = new QGroupBox(QStringLiteral("Surfaces"), this);
  auto* rows = new QGridLayout(box);
  rows->addWidget(new QLabel(QStringLiteral("Ref."), box), 0, 1);
  m_SurfaceColors[0] = Named(new ColorButton(box), "IDC_BUTTON_COLOR_REFSURF", kSurfaceColorIds[0]);
  rows->addWidget(m_SurfaceColors[0], 0, 2);
  for (int i = 0; i < kSurfaceColorCount - 1; ++i) {
    const int row = 1 + i % 10;
    const int column = (i / 10) * 2;
    auto* toggle = new QPushButton(QString::number(i + 1), box);
    toggle->setCheckable(true);
    m_ShowUndefined[i] = Named(toggle, IndexedName("IDC_CHECK_SHOW_UNDEFINED_SURFACE", i + 1).constData(),
                               kShowUndefinedIds[i]);
    m_SurfaceColors[i + 1] =
      Named(new ColorButton(box), IndexedName("IDC_BUTTON_COLOR_SURFACE", i + 1).constData(), kSurfaceColorIds[i + 1]);
    rows->addWidget(toggle, row, column);
    rows->addWidget(m_SurfaceColors[i + 1], row, column + 1);
  }
  rows->addWidget(new QLabel(QStringLiteral("Line Width:"), box), 11, 0, 1, 2);
  m_LineWidth = Named(new QComboBox(box), "IDC_COMBO_SURFACES_LINEWIDTH", 1076);
  rows->addWidget(m_LineWidth, 11, 2, 1, 2);
  grid->addWidget(box, 0, 0, 3, 1);
}

void CDlgOptions::BuildColors(QGridLayout* grid)
{
  auto* box = new QGroupBox(QStringLiteral("Colors"), this);
  auto* rows = new QGridLayout(box);
  int row = 0;
  for (const RegionRow& r : kRegionRows) {
    rows->addWidget(new QLabel(QString::fromLatin1(r.caption), box), row, 0);
    m_RegionColors[r.color] =
      Named(new ColorButton(box), (QByteArray("IDC_BUTTON_COLOR_") + r.name).constData(), r.colorId);
    rows->addWidget(m_RegionColors[r.color], row, 1);
    if (r.opacity >= 0) {
      auto* slider = new QSlider(Qt::Horizontal, box);
      slider->setRange(0, 100);
      m_Opacities[r.opacity] = Named(slider, (QByteArray("IDC_SLIDER_OPACITY_") + r.name).constData(), r.sliderId);
      rows->addWidget(slider, row, 2);
    }
    ++row;
  }
  grid->addWidget(box, 0, 1);
}

void CDlgOptions::BuildSplines(QGridLayout* grid)
{
  auto* box = new QGroupBox(QStringLiteral("Splines"), this);
  auto* rows = new QGridLayout(box);
  rows->addWidget(new QLabel(QStringLiteral("Line:"), box), 0, 0);
  m_SplineLineColor = Named(new ColorButton(box), "IDC_BUTTON_COLOR_SPLINES_LINE", 1110);
  rows->addWidget(m_SplineLineColor, 0, 1);
  auto* marker = new QCheckBox(QStringLiteral("Maker:"), box);
  marker->setLayoutDirection(Qt::RightToLeft);
  m_ShowSplineMarker = Named(marker, "IDC_CHECK_SHOW_SPLINES_MARKER", 1113);
  rows->addWidget(marker, 1, 0);
  m_SplineMarkerColor = Named(new ColorButton(box), "IDC_BUTTON_COLOR_SPLINES_MARKER", 1111);
  rows->addWidget(m_SplineMarkerColor, 1, 1);
  rows->addWidget(new QLabel(QStringLiteral("Line Width:"), box), 2, 0);
  m_SplineLineWidth = Named(new QComboBox(box), "IDC_COMBO_SPLINES_LINEWIDTH", 1112);
  rows->addWidget(m_SplineLineWidth, 2, 1);
  grid->addWidget(box, 1, 1);
}

void CDlgOptions::BuildMarkers(QGridLayout* grid)
{
  auto* box = new QGroupBox(QStringLiteral("Markers"), this);
  auto* rows = new QGridLayout(box);
  for (int i = 0; i < kMarkerColorCount; ++i) {
    const int row = i % 10;
    const int column = (i / 10) * 2;
    rows->addWidget(new QLabel(QStringLiteral("%1:").arg(i + 1), box), row, column);
    m_MarkerColors[i] =
      Named(new ColorButton(box), IndexedName("IDC_BUTTON_COLOR_MARKER", i + 1).constData(), kMarkerColorIds[i]);
    rows->addWidget(m_MarkerColors[i], row, column + 1);
  }
  grid->addWidget(box, 0, 2, 2, 1);
}

void CDlgOptions::BuildRightColumn(QGridLayout* grid)
{
  auto* column = new QWidget(this);
  auto* stack = new QVBoxLayout(column);
  stack->setContentsMargins(0, 0, 0, 0);

  auto* window = new QGroupBox(QStringLiteral("Window"), column);
  auto* windowRows = new QGridLayout(window);
  const char* const windowCaptions[2] = {"Auto", "Fixed"};
  const char* const windowNames[2] = {"IDC_RADIO_WINDOW_AUTO", "IDC_RADIO_WINDOW_FIXED"};
  const int windowIds[2] = {1106, 1107};
  m_WindowMode = AddRadios(window, windowRows, 0, windowCaptions, windowNames, windowIds);
  windowRows->addWidget(new QLabel(QStringLiteral("Center:"), window), 1, 0);
  m_WindowCenter = Named(new QLineEdit(window), "IDC_EDIT_WINDOW_CENTER", 1108);
  windowRows->addWidget(m_WindowCenter, 1, 1);
  windowRows->addWidget(new QLabel(QStringLiteral("Width:"), window), 2, 0);
  m_WindowWidth = Named(new QLineEdit(window), "IDC_EDIT_WINDOW_WIDTH", 1109);
  windowRows->addWidget(m_WindowWidth, 2, 1);
  connect(m_WindowMode, &QButtonGroup::idClicked, this, [this] { ApplyEnablingRules(); });
  stack->addWidget(window);

  auto* saveAll = new QGroupBox(QStringLiteral("Save All"), column);
  auto* saveRows = new QGridLayout(saveAll);
  const char* const saveCaptions[2] = {"AVI", "TIFFs"};
  const char* const saveNames[2] = {"IDC_RADIO_SAVEALL_AVI", "IDC_RADIO_SAVEALL_TIFFS"};
  const int saveIds[2] = {1151, 1152};
  m_SaveAllMode = AddRadios(saveAll, saveRows, 0, saveCaptions, saveNames, saveIds);
  saveRows->addWidget(new QLabel(QStringLiteral("Frame Rate:"), saveAll), 1, 0);
  m_FrameRate = Named(new QComboBox(saveAll), "IDC_COMBO_FRAMERATE", 1185);
  saveRows->addWidget(m_FrameRate, 1, 1);
  connect(m_SaveAllMode, &QButtonGroup::idClicked, this, [this] { ApplyEnablingRules(); });
  stack->addWidget(saveAll);

  auto* smoothing = new QGroupBox(QStringLiteral("Mesh Smoothing"), column);
  auto* smoothingRows = new QGridLayout(smoothing);
  smoothingRows->addWidget(new QLabel(QStringLiteral("Vessel:"), smoothing), 0, 0);
  m_SmoothingVessel = Named(new QComboBox(smoothing), "IDC_COMBO_MESHSMOOTHING_VESSEL", 1187);
  smoothingRows->addWidget(m_SmoothingVessel, 0, 1);
  smoothingRows->addWidget(new QLabel(QStringLiteral("SEAD:"), smoothing), 1, 0);
  m_SmoothingSEAD = Named(new QComboBox(smoothing), "IDC_COMBO_MESHSMOOTHING_SEAD", 1188);
  smoothingRows->addWidget(m_SmoothingSEAD, 1, 1);
  stack->addWidget(smoothing);

  auto* panel = new QGroupBox(QStringLiteral("Property Panel"), column);
  auto* panelRows = new QGridLayout(panel);
  const char* const panelCaptions[2] = {"Left", "Right"};
  const char* const panelNames[2] = {"IDC_RADIO_DLGDATAPOS_LEFT", "IDC_RADIO_DLGDATAPOS_RIGHT"};
  const int panelIds[2] = {1153, 1154};
  m_PanelSide = AddRadios(panel, panelRows, 0, panelCaptions, panelNames, panelIds);
  stack->addWidget(panel);
  stack->addStretch();
  grid->addWidget(column, 0, 3, 3, 1);

  auto* url = new QGroupBox(QStringLiteral("Sample URL"), this);
  m_SampleURL = Named(new QLineEdit(url), "IDC_EDIT_SAMPLEURL", 1150);
  (new QVBoxLayout(url))->addWidget(m_SampleURL);
  grid->addWidget(url, 3, 0, 1, 2);
  auto* user = new QGroupBox(QStringLiteral("User Name"), this);
  m_UserName = Named(new QLineEdit(user), "IDC_EDIT_USERNAME", 961);
  (new QVBoxLayout(user))->addWidget(m_UserName);
  grid->addWidget(user, 4, 0);
}

void CDlgOptions::BuildButtons(QGridLayout* grid)
{
  auto* row = new QHBoxLayout;
  auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), "IDOK", 1);
  auto* defaults = Named(new QPushButton(QStringLiteral("Default"), this), "IDC_BUTTON_DEFAULT", 972);
  auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "IDCANCEL", 2);
  ok->setDefault(true);
  row->addStretch();
  for (QPushButton* button : {ok, defaults, cancel})
    row->addWidget(button);
  connect(ok, &QPushButton::clicked, this, &CDlgOptions::accept);
  connect(defaults, &QPushButton::clicked, this, [this] { OnDefault(); });
  connect(cancel, &QPushButton::clicked, this, &CDlgOptions::reject);
  grid->addLayout(row, 5, 0, 1, 4);
}

void CDlgOptions::SetDefaults()
{
  const LSettings d;
  surfaceColors[0] = d.ColorRefSurf;
  for (int i = 0; i < kSurfaceColorCount - 1; ++i) {
    surfaceColors[i + 1] = d.ColorSurface[i];
    showUndefined[i] = d.ShowUndefinedSurface[i] ? 1 : 0;
    markerColors[i] = d.ColorMarker[i];
  }
  lineWidth = d.SurfacesLineWidth;
  userName = QString::fromStdString(d.UserName);
  const COLORREF regions[kRegionColorCount] = {d.ColorCup, d.ColorRim, d.ColorVessel,
                                               d.ColorSEAD, d.ColorUndefinedRegion, d.Color3DBackground};
  std::copy(std::begin(regions), std::end(regions), regionColors);
  const int opacity[kOpacityCount] = {d.OpacityUndefinedRegion, d.OpacityCup, d.OpacityRim, d.OpacityVessel,
                                      d.OpacitySEAD};
  std::copy(std::begin(opacity), std::end(opacity), opacities);
  splineLineColor = d.ColorSplinesLine;
  splineMarkerColor = d.ColorSplinesMarker;
  splineLineWidth = d.SplinesLineWidth;
  showSplineMarker = d.ShowSplinesMarker ? 1 : 0;
  windowMode = 0;
  windowCenter = static_cast<float>(maxIntensity) * 0.5f;
  windowWidth = static_cast<float>(maxIntensity);
  saveAllMode = 0;
  panelSide = 0;
  frameRate = d.FrameRate;
  sampleURL = QString::fromStdString(d.SampleURL);
  meshSmoothingVessel = d.MeshSmoothingVessel;
  meshSmoothingSEAD = d.MeshSmoothingSEAD;
}

void CDlgOptions::OnInitDialog()
{
  const platform::WaitCursor busy;
  for (int i = 0; i < kSurfaceColorCount; ++i)
    m_SurfaceColors[i]->SetColor(surfaceColors[i]);
  for (int i = 0; i < kSurfaceColorCount - 1; ++i)
    m_ShowUndefined[i]->setChecked(showUndefined[i] != 0);
  dialogcontrols::FillNumberCombo(m_LineWidth, kLineWidths, lineWidth);
  for (int i = 0; i < kRegionColorCount; ++i)
    m_RegionColors[i]->SetColor(regionColors[i]);
  for (int i = 0; i < kOpacityCount; ++i)
    m_Opacities[i]->setValue(opacities[i]);
  m_SplineLineColor->SetColor(splineLineColor);
  m_SplineMarkerColor->SetColor(splineMarkerColor);
  m_ShowSplineMarker->setChecked(showSplineMarker != 0);
  dialogcontrols::FillNumberCombo(m_SplineLineWidth, kLineWidths, splineLineWidth);
  for (int i = 0; i < kMarkerColorCount; ++i)
    m_MarkerColors[i]->SetColor(markerColors[i]);
  dialogcontrols::CheckRadio(m_WindowMode, windowMode);
  m_WindowCenter->setText(dialogcontrols::FloatText(windowCenter));
  m_WindowWidth->setText(dialogcontrols::FloatText(windowWidth));
  dialogcontrols::CheckRadio(m_SaveAllMode, saveAllMode);
  dialogcontrols::FillNumberCombo(m_FrameRate, kFrameRates, frameRate);
  dialogcontrols::FillNumberCombo(m_SmoothingVessel, kSmoothings, meshSmoothingVessel);
  dialogcontrols::FillNumberCombo(m_SmoothingSEAD, kSmoothings, meshSmoothingSEAD);
  dialogcontrols::CheckRadio(m_PanelSide, panelSide);
  m_SampleURL->setText(sampleURL);
  m_UserName->setText(userName);
  ApplyEnablingRules();
}

void CDlgOptions::ApplyEnablingRules()
{
  const bool fixedWindow = m_WindowMode->checkedId() == 1;
  m_WindowCenter->setEnabled(fixedWindow);
  m_WindowWidth->setEnabled(fixedWindow);
  m_FrameRate->setEnabled(m_SaveAllMode->checkedId() != 1);
}

void CDlgOptions::OnDefault()
{
  SetDefaults();
  OnInitDialog();
}

bool CDlgOptions::StoreControls()
{
  float center = windowCenter;
  float width = windowWidth;
  if (!dialogcontrols::ReadFloatEdit(m_WindowCenter, center) || !dialogcontrols::ReadFloatEdit(m_WindowWidth, width))
    return false;
  for (int i = 0; i < kSurfaceColorCount; ++i)
    surfaceColors[i] = m_SurfaceColors[i]->Color();
  for (int i = 0; i < kRegionColorCount; ++i)
    regionColors[i] = m_RegionColors[i]->Color();
  splineLineColor = m_SplineLineColor->Color();
  splineMarkerColor = m_SplineMarkerColor->Color();
  for (int i = 0; i < kMarkerColorCount; ++i)
    markerColors[i] = m_MarkerColors[i]->Color();
  for (int i = 0; i < kSurfaceColorCount - 1; ++i)
    showUndefined[i] = m_ShowUndefined[i]->isChecked() ? 1 : 0;
  for (int i = 0; i < kOpacityCount; ++i)
    opacities[i] = m_Opacities[i]->value();
  lineWidth = dialogcontrols::SelectedNumber(m_LineWidth, lineWidth);
  splineLineWidth = dialogcontrols::SelectedNumber(m_SplineLineWidth, splineLineWidth);
  frameRate = dialogcontrols::SelectedNumber(m_FrameRate, frameRate);
  meshSmoothingVessel = dialogcontrols::SelectedNumber(m_SmoothingVessel, meshSmoothingVessel);
  meshSmoothingSEAD = dialogcontrols::SelectedNumber(m_SmoothingSEAD, meshSmoothingSEAD);
  showSplineMarker = m_ShowSplineMarker->isChecked() ? 1 : 0;
  windowMode = dialogcontrols::CheckedRadio(m_WindowMode, windowMode);
  windowCenter = center;
  windowWidth = width;
  saveAllMode = dialogcontrols::CheckedRadio(m_SaveAllMode, saveAllMode);
  panelSide = dialogcontrols::CheckedRadio(m_PanelSide, panelSide);
  sampleURL = m_SampleURL->text();
  userName = m_UserName->text();
  return true;
}

void CDlgOptions::accept()
{
  const platform::WaitCursor busy;
  if (StoreControls())
    QDialog::accept();
}
