#pragma once
// The one place where the user chooses what to open: a modeless dialog living as long as
// the main view. The File tab opens a scan file and single result files of each kind, the
// Folder tab a whole scan folder. Every open goes through the view's public operations;
// the dialog never touches a volume or a pane itself.
#include <QDialog>
#include <array>
#include <string>

class CStrataviewView;
class QAbstractButton;
class QFileSystemModel;
class QGroupBox;
class QLineEdit;
class QModelIndex;
class QTabBar;
class QTreeView;

class CDlgOpen : public QDialog {
  Q_OBJECT
public:
  enum Tab : int { kSampleTab = 0, kFileTab = 1, kFolderTab = 2 };
  // The File tab's rows, in the order of `paths`.
  enum Row : int { kOCT, kRefSurf, kSurfaces, kProj, kDisc, kVessel, kSEAD, kGridCenter, kMarkers, kSplines, kRowCount };

  explicit CDlgOpen(CStrataviewView& owner);

  // Reads the tab and "Auto Hide" from the profile and shows the chosen tab's controls.
  void OnInitDialog();

  bool OpenScan(const std::string& path);
  bool OpenFolder(const std::string& path);
  bool OpenResultFile(Row kind, const std::string& path);

  // The current tab's Open; hides the dialog on success when "Auto Hide" is checked.
  void accept() override;
  // Close, Escape and the caption's close box only hide the dialog.
  void reject() override;

  int TabIndex() const { return m_TabIndex; }
  const std::string& FolderPath() const { return m_FolderPath; }
  const std::string& Path(Row row) const { return m_Paths[row]; }
  QTabBar* TabBar() const { return m_Tabs; }
  QTreeView* FolderTree() const { return m_FolderTree; }
  QFileSystemModel* FolderModel() const { return m_FolderModel; }
  QAbstractButton* Button(int id) const;
  QAbstractButton* BrowseButton(Row row) const { return m_Browse[row]; }
  QLineEdit* PathEdit(Row row) const { return m_Edits[row]; }

  // Control ids of the buttons outside the path rows.
  enum ControlId : int { kOpen = 1, kClose = 2, kRefresh = 903, kAutoHide = 976 };

private:
  void CreateControls();
  void CreatePathRow(Row row);
  void OnSelChangeTab(int tab);
  void OnSelChangedFolderTree(const QModelIndex& current);
  void OnRefresh();
  void OnAutoHide();
  void OnBrowse(Row row);
  void UpdateOpenButtons();
  void ShowTabControls();
  void ShowPaths();
  bool FolderHoldsScan() const;

  CStrataviewView& m_Owner;
  int m_TabIndex = kSampleTab;
  std::string m_FolderPath;
  int m_AutoHide = 1;
  std::array<std::string, kRowCount> m_Paths;
  // Children of the dialog, owned by Qt.
  QTabBar* m_Tabs = nullptr;
  QGroupBox* m_FileFrame = nullptr;
  QTreeView* m_FolderTree = nullptr;
  QFileSystemModel* m_FolderModel = nullptr;
  QAbstractButton* m_OpenButton = nullptr;
  QAbstractButton* m_RefreshButton = nullptr;
  QAbstractButton* m_AutoHideButton = nullptr;
  QAbstractButton* m_CloseButton = nullptr;
  std::array<QGroupBox*, kRowCount> m_Groups{};
  std::array<QLineEdit*, kRowCount> m_Edits{};
  std::array<QAbstractButton*, kRowCount> m_Browse{};
};
