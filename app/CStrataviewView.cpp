#include "app/CStrataviewView.h"

#include "app/CDlgData.h"
#include "app/CDlgMenu.h"
#include "app/LButton.h"
#include "app/LayoutProfile.h"
#include "model/ViewLayout.h"
#include "panes/CChildWnd.h"
#include "panes/L3D.h"
#include "panes/LOCTImage.h"
#include "panes/LProjImage.h"
#include "platform/ExecutableDir.h"
#include "platform/WaitCursor.h"

#include <QComboBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QToolButton>
#include <map>

// Resources of a static library are registered by hand, outside any namespace.
static void InitialiseIconResources()
{
  Q_INIT_RESOURCE(strataview);
}

namespace {

struct PaneButtonSpec {
  int id;
  const char* name;
  const char* icon;
  const char* tip;
  PaneIndex pane;
};

// The 29 pane buttons in their creation order.
const PaneButtonSpec kPaneButtons[] = {
  {107, "IDC_BUTTON_OCTXY_BACKWARD", "backward", "Play Backward", PaneXY},
  {108, "IDC_BUTTON_OCTZY_BACKWARD", "backward", "Play Backward", PaneZY},
  {109, "IDC_BUTTON_OCTXZ_BACKWARD", "backward", "Play Backward", PaneXZ},
  {104, "IDC_BUTTON_OCTXY_FORWARD", "forward", "Play Forward", PaneXY},
  {105, "IDC_BUTTON_OCTZY_FORWARD", "forward", "Play Forward", PaneZY},
  {106, "IDC_BUTTON_OCTXZ_FORWARD", "forward", "Play Forward", PaneXZ},
  {110, "IDC_BUTTON_OCTXY_STOP", "stop", "Stop", PaneXY},
  {111, "IDC_BUTTON_OCTZY_STOP", "stop", "Stop", PaneZY},
  {112, "IDC_BUTTON_OCTXZ_STOP", "stop", "Stop", PaneXZ},
  {113, "IDC_BUTTON_OCTXY_COPY", "copy", "Copy", PaneXY},
  {114, "IDC_BUTTON_OCTZY_COPY", "copy", "Copy", PaneZY},
  {115, "IDC_BUTTON_OCTXZ_COPY", "copy", "Copy", PaneXZ},
  {116, "IDC_BUTTON_OCTXY_SAVE", "save", "Save", PaneXY},
  {117, "IDC_BUTTON_OCTZY_SAVE", "save", "Save", PaneZY},
  {118, "IDC_BUTTON_OCTXZ_SAVE", "save", "Save", PaneXZ},
  {120, "IDC_BUTTON_OCTXY_SAVEALL", "saveall", "Save All", PaneXY},
  {122, "IDC_BUTTON_OCTZY_SAVEALL", "saveall", "Save All", PaneZY},
  {124, "IDC_BUTTON_OCTXZ_SAVEALL", "saveall", "Save All", PaneXZ},
  {130, "IDC_BUTTON_PROJ_COPY", "copy", "Copy", PaneProj},
  {131, "IDC_BUTTON_PROJ_SAVE", "save", "Save", PaneProj},
  {355, "IDC_BUTTON_PROJ_THICKNESSOPTIONS", "thicknessoptions", "Thickness Options", PaneProj},
  {142, "IDC_BUTTON_3D_SHOWALL", "showall", "Show/Hide All", Pane3D},
  {134, "IDC_BUTTON_3D_COPY", "copy", "Copy", Pane3D},
  {136, "IDC_BUTTON_3D_SAVE", "save", "Save", Pane3D},
  {137, "IDC_BUTTON_3D_ISOTROPIC", "isotropic", "Isotropic", Pane3D},
  {138, "IDC_BUTTON_3D_BLENDING", "blending", "Blending", Pane3D},
  {139, "IDC_BUTTON_3D_OCTXY", "octxy", "OCT XY", Pane3D},
  {140, "IDC_BUTTON_3D_OCTZY", "octzy", "OCT ZY", Pane3D},
  {141, "IDC_BUTTON_3D_OCTXZ", "octxz", "OCT XZ", Pane3D},
};

const char* const kPaneHostNames[kPaneCount] = {"PaneHostXY", "PaneHostZY", "PaneHostXZ",
                                                "PaneHostProj", "PaneHost3D"};
const char* const kScrollBarNames[kSlicePaneCount] = {"IDC_SCROLL_OCTXY", "IDC_SCROLL_OCTZY",
                                                      "IDC_SCROLL_OCTXZ"};

QRect ToQRect(const LayoutRect& r)
{
  return QRect(r.x, r.y, r.width, r.height);
}

}  // namespace

CStrataviewView::CStrataviewView(QWidget* parent) : QWidget(parent)
{
  InitialiseIconResources();
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_Workspace.Unsaved().SetListener([this](bool anyUnsaved) { ShowUnsavedInTitle(anyUnsaved); });
}

CStrataviewView::~CStrataviewView() = default;

void CStrataviewView::OnInitialUpdate()
{
  if (m_Initialised)
    return;
  const platform::WaitCursor busy;
  m_Workspace.SetProgramFolder(platform::ExecutableDir());
  m_MenuPanel = new CDlgMenu(this);
  m_DataPanel = new CDlgData(this);
  m_MenuPanel->show();
  m_DataPanel->show();
  CreatePaneHosts();
  CreatePaneButtons();
  ConnectPanels();
  SetUpNavigation();
  ResetSettingsProfile();
  ReadSettings(m_Workspace.Settings());
  PlacePanels();
  ApplyGrid();
  DisableScanControls();
  CreateOpenDialog();
  ConnectShortcuts();
  m_Initialised = true;
}

void CStrataviewView::CreatePaneHosts()
{
  for (int pane = 0; pane < kPaneCount; ++pane) {
    auto* host = new CChildWnd(this);
    host->setObjectName(QString::fromLatin1(kPaneHostNames[pane]));
    host->setGeometry(0, 0, 0, 0);
    host->show();
    m_PaneHosts[pane] = host;
  }
  for (int slice = 0; slice < kSlicePaneCount; ++slice) {
    auto* bar = new QScrollBar(Qt::Vertical, this);
    bar->setObjectName(QString::fromLatin1(kScrollBarNames[slice]));
    bar->setProperty("controlId", 101 + slice);
    bar->setGeometry(0, 0, 0, 0);
    bar->show();
    m_ScrollBars[slice] = bar;
  }
}

void CStrataviewView::CreatePaneButtons()
{
  // The layouts place each pane's column in this order.
  const std::array<std::vector<int>, kPaneCount> columns = {
    std::vector<int>{107, 104, 110, 113, 116, 120}, {108, 105, 111, 114, 117, 122},
    {109, 106, 112, 115, 118, 124}, {130, 131, 355}, {142, 134, 136, 137, 138, 139, 140, 141}};
  std::map<int, QAbstractButton*> byId;
  for (const PaneButtonSpec& spec : kPaneButtons) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(spec.name));
    button->setProperty("controlId", spec.id);
    button->setIcon(QIcon(QStringLiteral(":/icons/pane_%1.png").arg(QLatin1String(spec.icon))));
    button->setIconSize(QSize(kPaneButtonSize, kPaneButtonSize));
    button->setToolTip(QString::fromLatin1(spec.tip));
    button->setAutoRaise(true);
    button->setGeometry(0, 0, 0, 0);
    button->show();
    byId[spec.id] = button;
  }
  for (int pane = 0; pane < kPaneCount; ++pane)
    for (const int id : columns[pane])
      m_PaneButtons[pane].push_back(byId.at(id));
}

void CStrataviewView::ConnectPanels()
{
  connect(m_MenuPanel->Combo(CDlgMenu::kLayout), &QComboBox::activated, this, [this](int index) {
    const platform::WaitCursor busy;
    RunLayout(index + 1);
  });
  connect(m_DataPanel->Button(CDlgData::kShowSurfaces), &QAbstractButton::clicked, this,
          [this] { ToggleShowSurfaces(); });
  connect(m_DataPanel->Button(CDlgData::kFlattening), &QAbstractButton::clicked, this, [this] { RefreshAll(); });
  const std::pair<int, void (CStrataviewView::*)()> fileCombos[] = {
    {CDlgData::kRefSurfCombo, &CStrataviewView::SelectRefSurf}, {CDlgData::kSurfacesCombo, &CStrataviewView::SelectSurfaces},
    {CDlgData::kGridCenterCombo, &CStrataviewView::SelectGridCenter}, {CDlgData::kProjCombo, &CStrataviewView::SelectProj},
    {CDlgData::kDiscCombo, &CStrataviewView::SelectDisc}, {CDlgData::kVesselCombo, &CStrataviewView::SelectVessel},
    {CDlgData::kSEADCombo, &CStrataviewView::SelectSEAD}, {CDlgData::kMarkersCombo, &CStrataviewView::SelectMarkers},
    {CDlgData::kSplinesCombo, &CStrataviewView::SelectSplines}};
  for (const auto& [id, handler] : fileCombos)
    connect(m_DataPanel->Combo(id), &QComboBox::activated, this, handler);
  ConnectSave();
  ConnectExecutables();
  ConnectCommandControls();
  ConnectAboutButton();
  ConnectOptionsCommands();
}

void CStrataviewView::DisableScanControls()
{
  for (const int id : {CDlgMenu::kSave, CDlgMenu::kThickness, CDlgMenu::kGrid, CDlgMenu::kThicknessFrom,
                       CDlgMenu::kThicknessTo, CDlgMenu::kCreateProj, CDlgMenu::kCreateProjFrom,
                       CDlgMenu::kCreateProjTo, CDlgMenu::kMouse, CDlgMenu::kLayout, CDlgMenu::kAvg,
                       CDlgMenu::kReset, CDlgMenu::kGuideLines, CDlgMenu::kOverlay,
                       CDlgMenu::kUndefinedRegion, CDlgMenu::kExecutables})
    m_MenuPanel->Control(id)->setEnabled(false);
  for (const int id : {CDlgMenu::kSurfacesLabel, CDlgMenu::kSurfacesMargin, CDlgMenu::kSurfacesModification,
                       CDlgMenu::kUndefinedRegionLabel, CDlgMenu::kUndefinedRegionMargin,
                       CDlgMenu::kUndefinedRegionModification, CDlgMenu::kVesselLabel,
                       CDlgMenu::kVesselMargin, CDlgMenu::kVesselModification, CDlgMenu::kSEADLabel,
                       CDlgMenu::kSEADMargin, CDlgMenu::kSEADModification, CDlgMenu::kMarkersLabel,
                       CDlgMenu::kMarkersCombo, CDlgMenu::kAddSpline})
    m_MenuPanel->Control(id)->hide();
  for (const int id : {CDlgData::kShowRefSurf, CDlgData::kRefSurfCombo, CDlgData::kShowSurfaces,
                       CDlgData::kSurfacesCombo, CDlgData::kShowProj, CDlgData::kProjCombo,
                       CDlgData::kShowDisc, CDlgData::kDiscCombo, CDlgData::kShowVessel,
                       CDlgData::kVesselCombo, CDlgData::kShowSEAD, CDlgData::kSEADCombo,
                       CDlgData::kGridCenterCombo, CDlgData::kShowMarkers, CDlgData::kMarkersCombo,
                       CDlgData::kShowSplines, CDlgData::kSplinesCombo, CDlgData::kFlattening,
                       CDlgData::kOCTInfo, CDlgData::kLaterality})
    m_DataPanel->Control(id)->setEnabled(false);
  for (int k = 0; k < CDlgData::kSurfaceBoxCount; ++k)
    m_DataPanel->SurfaceBox(k)->setEnabled(false);
  for (QScrollBar* bar : m_ScrollBars)
    bar->setEnabled(false);
  for (const auto& column : m_PaneButtons)
    for (QAbstractButton* button : column)
      button->setEnabled(false);
}

void CStrataviewView::PlacePanels()
{
  RunLayout(m_Workspace.Settings().Layout);
}

void CStrataviewView::RunLayout(int layout)
{
  LSettings& settings = m_Workspace.Settings();
  const PhysicalExtent stored{settings.LayoutPhysicalSizeX, settings.LayoutPhysicalSizeY, settings.LayoutPhysicalSizeZ};
  const LOCTVolume& shown = m_Workspace.GetDisplayedVolume();
  const int size[3] = {shown.sizeX, shown.sizeY, shown.sizeZ};
  const float spacing[3] = {shown.spacingX, shown.spacingY, shown.spacingZ};
  PaneLayoutInput input;
  input.clientWidth = width();
  input.clientHeight = height();
  input.menuPanelHeight = m_MenuPanel->PanelSize().height();
  input.dataPanelWidth = m_DataPanel->PanelSize().width();
  input.dataPanelSide = settings.DlgDataPos;
  input.layout = layout;
  input.extent = ScanPhysicalExtent(shown.loaded, size, spacing, stored);
  ApplyPlacement(ComputePaneLayout(input));
  if (!IsViewLayout(layout))
    return;
  settings.Layout = layout;
  const QSignalBlocker block(m_MenuPanel->Combo(CDlgMenu::kLayout));
  m_MenuPanel->Combo(CDlgMenu::kLayout)->setCurrentIndex(layout - 1);
  WriteLayoutToProfile(layout, input.extent);
}

void CStrataviewView::ApplyPlacement(const PaneLayoutResult& placement)
{
  m_MenuPanel->setGeometry(ToQRect(placement.menuPanel));
  m_DataPanel->setGeometry(ToQRect(placement.dataPanel));
  for (int pane = 0; pane < kPaneCount; ++pane) {
    m_PaneHosts[pane]->setGeometry(ToQRect(placement.panes[pane]));
    for (size_t i = 0; i < m_PaneButtons[pane].size(); ++i)
      m_PaneButtons[pane][i]->setGeometry(ToQRect(placement.buttons[pane][i]));
  }
  for (int slice = 0; slice < kSlicePaneCount; ++slice)
    m_ScrollBars[slice]->setGeometry(ToQRect(placement.scrollBars[slice]));
  ResizePanes(placement);
}

void CStrataviewView::paintEvent(QPaintEvent*)
{
  QPainter painter(this);
  painter.fillRect(rect(), QColor(128, 128, 128));
}

void CStrataviewView::resizeEvent(QResizeEvent* event)
{
  QWidget::resizeEvent(event);
  if (!m_Initialised)
    return;
  const platform::WaitCursor busy;
  PlacePanels();
}

void CStrataviewView::mouseMoveEvent(QMouseEvent* event)
{
  setFocus();
  QWidget::mouseMoveEvent(event);
}
