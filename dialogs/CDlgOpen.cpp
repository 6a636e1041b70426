#include "dialogs/CDlgOpen.h"

#include "dialogs/ScanActions.h"
#include "platform/DialogUnits.h"
#include "platform/Dialogs.h"
#include "platform/Profile.h"
#include "platform/WaitCursor.h"

#include <QDir>
#include <QFileSystemModel>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStringList>
#include <QTabBar>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace {

const char* const kScanFilter =
  "All OCT Files (*.*)|*.img;*.raw;*.fds;*.vol;*.OCT;*.dicom;*.ScanParameters.dat;*.DICOM;*.dcm;*.mhd;*.mha;*.hdr;"
  "*.nii;*.nii.gz;*.tif;*.tiff|Zeiss Files (*.img;*.raw)|*.img;*.raw|Topcon Files (*.fds)|*.fds|Heidelberg Files "
  "(*.vol)|*.vol|Optovue Files (*.OCT)|*.OCT|Bioptigen Files (*.OCT)|*.OCT|Optos Files (*.dicom)|*.dicom|Canon "
  "Files (*.ScanParameters.dat)|*.ScanParameters.dat|Vamo DICOM Files (*.DICOM)|*.DICOM|Vienna DICOM Files "
  "(*.dcm)|*.dcm|MetaImage Files (*.mhd;*.mha)|*.mhd;*.mha|Analyze Files (*.hdr)|*.hdr|NIFTI Files "
  "(*.nii;*.nii.gz)|*.nii;*.nii.gz|TIFF Files (*.tif;*.tiff)|*.tif;*.tiff||";
const char* const kXmlFilter = "XML Files (*.xml)|*.xml||";
const char* const kImageFilter =
  "All Image Files (*.*)|*.tif;*.tiff;*.bmp;*.gif;*.jpg;*.jpeg;*.png|TIFF Files (*.tif;*.tiff)|*.tif;*.tiff|BMP "
  "Files (*.bmp)|*.bmp|GIF Files (*.gif)|*.gif|JPEG Files (*.jpg;*.jpeg)|*.jpg;*.jpeg|PNG Files (*.png)|*.png||";
const char* const kMetaImageFilter = "MetaImage Files (*.mhd)|*.mhd||";

const char* const kTabNames[3] = {"Sample", "File", "Folder"};
const QSize kMinimumWindow(682, 705);  // pixels, frame included

// Extensions of the scan files that make a folder openable, lower case.
const char* const kFolderScanEndings[] = {".img", ".raw", ".fds", ".vol", ".oct", ".dicom", ".scanparameters.dat",
                                          ".dcm", ".mhd", ".mha", ".hdr", ".nii.gz"};

struct RowSpec {
  const char* caption;
  int groupId;
  int editId;
  int browseId;
  const char* name;  // the row's part of its controls' names
  const char* filter;
  ResultKind kind;
};

const RowSpec kRows[CDlgOpen::kRowCount] = {
  {"OCT Path Name", 912, 1042, 947, "OCT", kScanFilter, ResultKind::OCT},
  {"Ref. Surf. Path Name", 914, 1045, 949, "REFSURF", kXmlFilter, ResultKind::RefSurf},
  {"Surfaces Path Name", 915, 1048, 951, "SURFACES", kXmlFilter, ResultKind::Surfaces},
  {"Proj. Path Name", 917, 1051, 953, "PROJ", kImageFilter, ResultKind::Proj},
  {"Disc Path Name", 920, 1053, 955, "DISC", kImageFilter, ResultKind::Disc},
  {"Vessel Path Name", 922, 1056, 958, "VESSEL", kMetaImageFilter, ResultKind::Vessel},
  {"SEAD Path Name", 924, 1058, 960, "SEAD", kMetaImageFilter, ResultKind::SEAD},
  {"Grid Center Path Name", 926, 1061, 962, "GRIDCENTER", kXmlFilter, ResultKind::GridCenter},
  {"Markers Path Name", 928, 1063, 964, "MARKERS", kXmlFilter, ResultKind::Markers},
  {"Splines Path Name", 930, 1066, 966, "SPLINES", kXmlFilter, ResultKind::Splines},
};

// "desc|pat;pat|...||" becomes "desc (pat pat);;...". Qt takes the patterns from the last
// parenthesised group, so each description gets its real pattern list appended.
QString QtFilter(const char* listFilter)
{
  const QStringList parts = QString::fromLatin1(listFilter).split(QLatin1Char('|'), Qt::SkipEmptyParts);
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    filters << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')) +
                 QLatin1Char(')');
  return filters.join(QStringLiteral(";;"));
}

bool IsFolderScanName(const std::string& name)
{
  if (name.find("_OCT") == std::string::npos)
    return false;
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return std::any_of(std::begin(kFolderScanEndings), std::end(kFolderScanEndings), [&lower](const char* ending) {
    const std::string tail(ending);
    return lower.size() >= tail.size() && lower.compare(lower.size() - tail.size(), tail.size(), tail) == 0;
  });
}

QPushButton* MakeButton(QWidget* parent, const QString& text, const char* name, int id, const QRect& place)
{
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setProperty("controlId", id);
  button->setGeometry(place);
  return button;
}

}  // namespace

// A window of its own; as the view's child Qt deletes it with the view.
CDlgOpen::CDlgOpen(QWidget& parent, ScanActions& owner)
  : AnchoredDialog(&parent, kMinimumWindow), m_Owner(owner)
{
  setObjectName(QStringLiteral("CDlgOpen"));
  setWindowTitle(QStringLiteral("Open"));
  setModal(false);
  CreateControls();
  AnchorControls();
}

// The tab's area grows with the dialog, the path rows widen, and the buttons on the right
// follow the right edge; "Close" keeps to the bottom-right corner. A control added to a tab
// takes its rule here, before the layout is recorded.
void CDlgOpen::AnchorControls()
{
  Anchoring().Add(m_Tabs, AnchorRules::kStretchAcross);
  for (QWidget* area : {static_cast<QWidget*>(m_SampleTree), static_cast<QWidget*>(m_FileFrame),
                        static_cast<QWidget*>(m_FolderTree)})
    Anchoring().Add(area, AnchorRules::kStretchBoth);
  // The download's status line stays under the growing sample tree.
  Anchoring().Add(m_SampleStatus, AnchorRules::kBottomAcross);
  Anchoring().Add(m_CancelDownload, AnchorRules::kBottomRight);
  for (int row = 0; row < kRowCount; ++row) {
    Anchoring().Add(m_Groups[row], AnchorRules::kStretchAcross);
    Anchoring().Add(m_Edits[row], AnchorRules::kStretchAcross);
  }
  for (QWidget* browse : m_Browse)
    Anchoring().Add(browse, AnchorRules::kRight);
  for (QWidget* button : {m_ImportButton, m_AutoHideButton, m_OpenButton, m_RefreshButton, m_ExecutablesButton,
                          m_ThicknessButton})
    Anchoring().Add(button, AnchorRules::kRight);
  Anchoring().Add(m_CloseButton, AnchorRules::kBottomRight);
  RecordLayout();
}

void CDlgOpen::CreateControls()
{
  const DialogUnits du;
  resize(du.X(505), du.Y(345));
  m_Tabs = new QTabBar(this);
  m_Tabs->setObjectName(QStringLiteral("IDC_TAB_OPEN"));
  m_Tabs->setProperty("controlId", 902);
  m_Tabs->setGeometry(du.Rect(7, 7, 437, 12));
  m_Tabs->setExpanding(false);
  for (const int tab : {kSampleTab, kFileTab, kFolderTab})
    m_Tabs->setTabData(m_Tabs->addTab(QString::fromLatin1(kTabNames[tab])), tab);
  connect(m_Tabs, &QTabBar::currentChanged, this, &CDlgOpen::OnSelChangeTab);

  m_FileFrame = new QGroupBox(this);
  m_FileFrame->setObjectName(QStringLiteral("IDC_STATIC_FILE"));
  m_FileFrame->setProperty("controlId", 910);
  m_FileFrame->setGeometry(du.Rect(7, 15, 436, 323));
  for (int row = 0; row < kRowCount; ++row)
    CreatePathRow(Row(row));
  CreateSampleControls();

  m_FolderModel = new QFileSystemModel(this);
  m_FolderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  m_FolderModel->setRootPath(QStringLiteral("/"));
  m_FolderTree = new QTreeView(this);
  m_FolderTree->setObjectName(QStringLiteral("IDC_TREE_FOLDER"));
  m_FolderTree->setProperty("controlId", 901);
  m_FolderTree->setGeometry(du.Rect(7, 19, 436, 319));
  m_FolderTree->setModel(m_FolderModel);
  m_FolderTree->setHeaderHidden(true);
  for (int column = 1; column < m_FolderModel->columnCount(); ++column)
    m_FolderTree->hideColumn(column);
  connect(m_FolderTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { OnSelChangedFolderTree(current); });

  m_AutoHideButton = MakeButton(this, QStringLiteral("Auto Hide"), "IDC_CHECK_AUTOHIDE", kAutoHide,
                                du.Rect(448, 7, 50, 14));
  m_AutoHideButton->setCheckable(true);
  connect(m_AutoHideButton, &QAbstractButton::clicked, this, &CDlgOpen::OnAutoHide);
  auto* open = MakeButton(this, QStringLiteral("Open"), "IDOK", kOpen, du.Rect(448, 25, 50, 28));
  open->setDefault(true);
  m_OpenButton = open;
  connect(m_OpenButton, &QAbstractButton::clicked, this, &CDlgOpen::accept);
  m_RefreshButton = MakeButton(this, QStringLiteral("Refresh"), "IDC_BUTTON_REFRESH", kRefresh,
                               du.Rect(448, 57, 50, 28));
  connect(m_RefreshButton, &QAbstractButton::clicked, this, &CDlgOpen::OnRefresh);
  m_CloseButton = MakeButton(this, QStringLiteral("Close"), "IDCANCEL", kClose, du.Rect(448, 310, 50, 28));
  connect(m_CloseButton, &QAbstractButton::clicked, this, &CDlgOpen::reject);
  CreateFolderToolButtons();
}

void CDlgOpen::CreatePathRow(Row row)
{
  const DialogUnits du;
  const RowSpec& spec = kRows[row];
  const int top = row == kOCT ? 24 : 54 + 30 * (row - 1);
  const QString name = QString::fromLatin1(spec.name);
  m_Groups[row] = new QGroupBox(QString::fromLatin1(spec.caption), this);
  m_Groups[row]->setObjectName(QStringLiteral("IDC_STATIC_") + name);
  m_Groups[row]->setProperty("controlId", spec.groupId);
  m_Groups[row]->setGeometry(du.Rect(12, top, 426, 27));
  m_Edits[row] = new QLineEdit(this);
  m_Edits[row]->setObjectName(QStringLiteral("IDC_EDIT_") + name);
  m_Edits[row]->setProperty("controlId", spec.editId);
  m_Edits[row]->setReadOnly(true);
  m_Edits[row]->setGeometry(du.Rect(18, top + 10, row == kOCT ? 386 : 400, 12));
  m_Browse[row] = MakeButton(this, QStringLiteral("..."), ("IDC_BUTTON_" + name).toLatin1().constData(),
                             spec.browseId, du.Rect(row == kOCT ? 404 : 418, top + 10, 14, 12));
  connect(m_Browse[row], &QAbstractButton::clicked, this, [this, row] { OnBrowse(row); });
}

void CDlgOpen::CreateFolderToolButtons()
{
  const DialogUnits du;
  m_ImportButton = MakeButton(this, QStringLiteral("\\"), "IDC_BUTTON_OCT_SEQUENCE", kImportSequence,
                              du.Rect(418, 34, 14, 12));
  m_ImportButton->setToolTip(QStringLiteral("Import Image Stack"));
  connect(m_ImportButton, &QAbstractButton::clicked, this, &CDlgOpen::ImportImageSequence);
  m_ExecutablesButton = MakeButton(this, QStringLiteral("Executables"), "IDC_BUTTON_EXECUTABLES", kExecutables,
                                   du.Rect(448, 89, 50, 28));
  connect(m_ExecutablesButton, &QAbstractButton::clicked, this, &CDlgOpen::OnExecutables);
  m_ThicknessButton = MakeButton(this, QStringLiteral("Thickness\nAnalysis"), "IDC_BUTTON_THICKNESS_ANALYSIS",
                                 kThicknessAnalysis, du.Rect(448, 121, 50, 28));
  connect(m_ThicknessButton, &QAbstractButton::clicked, this, &CDlgOpen::OnThicknessAnalysis);
}

QAbstractButton* CDlgOpen::Button(int id) const
{
  switch (id) {
  case kOpen: return m_OpenButton;
  case kClose: return m_CloseButton;
  case kRefresh: return m_RefreshButton;
  case kAutoHide: return m_AutoHideButton;
  case kExecutables: return m_ExecutablesButton;
  case kThicknessAnalysis: return m_ThicknessButton;
  case kImportSequence: return m_ImportButton;
  default: return nullptr;
  }
}

void CDlgOpen::OnInitDialog()
{
  const platform::WaitCursor busy;
  const QString stored = platform::Profile::GetProfileString(QStringLiteral("OpenTabCurSel"), QStringLiteral("Sample"));
  m_TabIndex = kSampleTab;
  for (int tab = kSampleTab; tab <= kFolderTab; ++tab)
    if (stored == QLatin1String(kTabNames[tab]))
      m_TabIndex = tab;
  {
    const QSignalBlocker quiet(m_Tabs);
    for (int shown = 0; shown < m_Tabs->count(); ++shown)
      if (m_Tabs->tabData(shown).toInt() == m_TabIndex)
        m_Tabs->setCurrentIndex(shown);
  }
  ShowTabControls();
  UpdateOpenButtons();
  BuildSampleTree();
  const QModelIndex home = m_FolderModel->index(QDir::homePath());
  m_FolderTree->expand(m_FolderModel->index(QStringLiteral("/")));
  m_FolderTree->scrollTo(home);
  m_AutoHide = platform::Profile::GetProfileInt(QStringLiteral("DlgOpenAutoHide"), 1) != 0 ? 1 : 0;
  m_AutoHideButton->setChecked(m_AutoHide == 1);
  ShowPaths();
}

void CDlgOpen::OnSelChangeTab(int tab)
{
  m_TabIndex = m_Tabs->tabData(tab).toInt();
  ShowTabControls();
  UpdateOpenButtons();
  platform::Profile::WriteProfileString(QStringLiteral("OpenTabCurSel"), QString::fromLatin1(kTabNames[m_TabIndex]));
}

void CDlgOpen::OnSelChangedFolderTree(const QModelIndex& current)
{
  m_FolderPath = current.isValid() ? m_FolderModel->filePath(current).toStdString() : std::string();
  UpdateOpenButtons();
}

void CDlgOpen::OnRefresh()
{
  const platform::WaitCursor busy;
  if (m_TabIndex == kSampleTab) {
    BuildSampleTree();
  } else if (m_TabIndex == kFileTab) {
    for (std::string& path : m_Paths)
      path.clear();
    ShowPaths();
  } else if (m_TabIndex == kFolderTab) {
    m_FolderTree->selectionModel()->clearCurrentIndex();
    m_FolderTree->selectionModel()->clearSelection();
    m_FolderPath.clear();
    m_FolderTree->collapseAll();
    m_FolderModel->setRootPath(QString());
    m_FolderModel->setRootPath(QStringLiteral("/"));
    m_FolderTree->expand(m_FolderModel->index(QStringLiteral("/")));
  }
  UpdateOpenButtons();
}

void CDlgOpen::OnAutoHide()
{
  m_AutoHide = m_AutoHideButton->isChecked() ? 1 : 0;
  platform::Profile::WriteProfileInt(QStringLiteral("DlgOpenAutoHide"), m_AutoHide);
}

void CDlgOpen::OnBrowse(Row row)
{
  platform::DialogRequest request;
  request.kind = platform::DialogKind::OpenFile;
  request.filter = QtFilter(kRows[row].filter).toStdString();
  // Beside the row's file; a result row without one starts beside the scan.
  const std::string& near = m_Paths[row].empty() ? m_Paths[kOCT] : m_Paths[row];
  if (!near.empty())
    request.folder = std::filesystem::path(near).parent_path().string();
  const platform::DialogAnswer answer = platform::GetOpenFileName(nullptr, request);
  if (!answer.accepted)
    return;
  const platform::WaitCursor busy;
  // A path is kept only once it is open, so the rows always name what the view shows and
  // the result rows are offered only for an open scan.
  if (row == kOCT) {
    if (!OpenScan(answer.path))
      return;
    m_Paths.fill(std::string());
  } else if (!OpenResultFile(row, answer.path)) {
    return;
  }
  m_Paths[row] = answer.path;
  ShowPaths();
  UpdateOpenButtons();
}

bool CDlgOpen::OpenScan(const std::string& path)
{
  return m_Owner.OpenOCTFile(path) && ShowOpenedScan();
}

bool CDlgOpen::OpenFolder(const std::string& path)
{
  return m_Owner.ScanFolder(path) && ShowOpenedScan();
}

bool CDlgOpen::ShowOpenedScan()
{
  const bool shown = m_Owner.RefreshAll();
  KeepInFront();
  return shown;
}

// The main window comes to the front when it is made anew for the 3-D pane, with the first
// scan shown: a dialog that stays open after an open is put back in front of it.
void CDlgOpen::KeepInFront()
{
  if (!isVisible())
    return;
  raise();
  activateWindow();
}

bool CDlgOpen::OpenResultFile(Row kind, const std::string& path)
{
  const RowSpec& spec = kRows[kind];
  if (kind == kOCT)
    return OpenScan(path);
  if (!m_Owner.OpenResultFile(spec.kind, path))
    return false;
  m_Owner.ApplyChosenFile(spec.kind);
  if (kind == kGridCenter)
    RecomputeThicknessSectors();
  KeepInFront();
  return true;
}

// The sector statistics of a shown thickness map follow the new grid centre: the thickness
// display is turned on again, which recomputes the map around it.
void CDlgOpen::RecomputeThicknessSectors()
{
  const LSettings& settings = m_Owner.Settings();
  if (m_Owner.GetSurfacesCount() > 0 && settings.ShowThickness && settings.GridMode != 0) {
    m_Owner.SetShowThickness(false);
    m_Owner.ToggleShowThickness();
  }
}

void CDlgOpen::accept()
{
  const platform::WaitCursor busy;
  bool opened = false;
  if (m_TabIndex == kSampleTab)
    opened = OpenSample();
  else if (m_TabIndex == kFileTab)
    opened = OpenScan(m_Paths[kOCT]);
  else if (m_TabIndex == kFolderTab)
    opened = OpenFolder(m_FolderPath);
  if (opened && m_AutoHide == 1) {
    setFocus();
    hide();
  }
}

void CDlgOpen::reject()
{
  hide();
}

void CDlgOpen::UpdateOpenButtons()
{
  const bool scanChosen = !m_Paths[kOCT].empty();
  for (int row = kRefSurf; row < kRowCount; ++row)
    m_Browse[row]->setEnabled(scanChosen);
  m_Browse[kOCT]->setEnabled(true);
  m_ImportButton->setEnabled(true);
  m_ExecutablesButton->setEnabled(!m_FolderPath.empty());
  m_ThicknessButton->setEnabled(!m_FolderPath.empty());
  if (m_TabIndex == kSampleTab)
    m_OpenButton->setEnabled(m_SampleDepth == 3);
  else if (m_TabIndex == kFileTab)
    m_OpenButton->setEnabled(false);
  else if (m_TabIndex == kFolderTab)
    m_OpenButton->setEnabled(FolderHoldsScan());
}

void CDlgOpen::ShowTabControls()
{
  const bool file = m_TabIndex == kFileTab;
  m_FileFrame->setVisible(file);
  for (int row = 0; row < kRowCount; ++row) {
    m_Groups[row]->setVisible(file);
    m_Edits[row]->setVisible(file);
    m_Browse[row]->setVisible(file);
  }
  m_ImportButton->setVisible(file);
  m_FolderTree->setVisible(m_TabIndex == kFolderTab);
  m_SampleTree->setVisible(m_TabIndex == kSampleTab);
  m_SampleStatus->setVisible(m_TabIndex == kSampleTab);
  m_ExecutablesButton->setVisible(m_TabIndex == kFolderTab);
  m_ThicknessButton->setVisible(m_TabIndex == kFolderTab);
  m_AutoHideButton->setEnabled(!file);
}

void CDlgOpen::ShowPaths()
{
  for (int row = 0; row < kRowCount; ++row)
    m_Edits[row]->setText(QString::fromStdString(m_Paths[row]));
}

// Only the folder's own files count, not those of its subfolders.
bool CDlgOpen::FolderHoldsScan() const
{
  if (m_FolderPath.empty())
    return false;
  std::error_code error;
  for (std::filesystem::directory_iterator it(m_FolderPath, error), end; !error && it != end; it.increment(error)) {
    std::error_code kindError;
    if (!it->is_directory(kindError) && IsFolderScanName(it->path().filename().string()))
      return true;
  }
  return false;
}
