#pragma once
// The one place where the user chooses what to open: a modeless dialog living as long as
// the main view. The Sample tab downloads and opens a sample scan, the File tab opens a scan
// file and single result files of each kind, the Folder tab a whole scan folder. Every open
// goes through the owner's operations (the view's); the dialog never touches a volume or a pane
// itself.
#include "dialogs/AnchoredDialog.h"
#include "dialogs/CWebGrab.h"

#include <array>
#include <string>

class ScanActions;
class QAbstractButton;
class QFileSystemModel;
class QGroupBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QTabBar;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

class CDlgOpen : public AnchoredDialog {
  Q_OBJECT
public:
  enum Tab : int { kSampleTab = 0, kFileTab = 1, kFolderTab = 2 };
  // The File tab's rows, in the order of `paths`.
  enum Row : int { kOCT, kRefSurf, kSurfaces, kProj, kDisc, kVessel, kSEAD, kGridCenter, kMarkers, kSplines, kRowCount };

  // A window of the parent, deleted with it; the owner carries out what the user chooses.
  CDlgOpen(QWidget& parent, ScanActions& owner);

  // Reads the tab and "Auto Hide" from the profile and shows the chosen tab's controls.
  void OnInitDialog();

  bool OpenScan(const std::string& path);
  bool OpenFolder(const std::string& path);
  bool OpenResultFile(Row kind, const std::string& path);
  // Opens the sample file, fetched from the "Sample URL" first unless a copy of the right
  // size is in the "Sample" folder of the user's data folder; false after a message.
  bool DownloadSample(const std::string& fileName);

  // The current tab's Open; hides the dialog on success when "Auto Hide" is checked.
  void accept() override;
  // Close, Escape and the caption's close box only hide the dialog.
  void reject() override;

  int TabIndex() const { return m_TabIndex; }
  const std::string& FolderPath() const { return m_FolderPath; }
  const std::string& Path(Row row) const { return m_Paths[row]; }
  QTabBar* TabBar() const { return m_Tabs; }
  QTreeView* FolderTree() const { return m_FolderTree; }
  QTreeWidget* SampleTree() const { return m_SampleTree; }
  QLabel* SampleStatus() const { return m_SampleStatus; }
  // Shown in the status line while a sample downloads.
  QAbstractButton* CancelDownloadButton() const { return m_CancelDownload; }
  // Tests only: how slow a sample download may be before it is given up.
  void SetDownloadPace(const DownloadPace& pace) { m_DownloadPace = pace; }
  int SampleDepth() const { return m_SampleDepth; }
  QFileSystemModel* FolderModel() const { return m_FolderModel; }
  QAbstractButton* Button(int id) const;
  QAbstractButton* BrowseButton(Row row) const { return m_Browse[row]; }
  QLineEdit* PathEdit(Row row) const { return m_Edits[row]; }

  // Control ids of the buttons outside the path rows.
  enum ControlId : int {
    kOpen = 1,
    kClose = 2,
    kRefresh = 903,
    kAutoHide = 976,
    kExecutables = 997,
    kThicknessAnalysis = 1114,
    kImportSequence = 1138,  // the "\" beside the OCT row
  };

  // The Folder tab's batch runs over every scan below the chosen folder.
  void OnExecutables();
  void OnThicknessAnalysis();
  // Stacks a folder of 2-D images, one per B-scan, into a scan written beside the folder
  // and opens it.
  void ImportImageSequence();

private:
  void CreateControls();
  void AnchorControls();
  void CreatePathRow(Row row);
  void CreateSampleControls();
  void BuildSampleTree();
  void OnSelChangedSampleTree(QTreeWidgetItem* current);
  bool OpenSample();
  enum class Fetch { kDone, kFailed, kCancelled };
  Fetch FetchSample(const std::string& folder, const std::string& name, const std::string& dataName);
  void CreateFolderToolButtons();
  void OnSelChangeTab(int tab);
  void OnSelChangedFolderTree(const QModelIndex& current);
  void OnRefresh();
  void OnAutoHide();
  void OnBrowse(Row row);
  void UpdateOpenButtons();
  void ShowTabControls();
  void ShowPaths();
  bool FolderHoldsScan() const;
  // After the owner opened a scan: shows it and keeps the dialog in front; true when the
  // owner shows it (otherwise it said why, and shows the scan it had open).
  bool ShowOpenedScan();
  void RecomputeThicknessSectors();
  void KeepInFront();

  ScanActions& m_Owner;
  int m_TabIndex = kSampleTab;
  // Levels from the sample tree's root down to the selected item (3: a file), 0 when
  // nothing is selected, and their texts, root first.
  int m_SampleDepth = 0;
  std::array<std::string, 3> m_SamplePath;
  std::string m_FolderPath;
  std::string m_StackFolder;  // the folder of the last image-stack import, proposed next time
  int m_AutoHide = 1;
  std::array<std::string, kRowCount> m_Paths;
  // Children of the dialog, owned by Qt.
  QTabBar* m_Tabs = nullptr;
  QGroupBox* m_FileFrame = nullptr;
  QTreeView* m_FolderTree = nullptr;
  QTreeWidget* m_SampleTree = nullptr;
  QLabel* m_SampleStatus = nullptr;  // how a download goes
  QAbstractButton* m_CancelDownload = nullptr;
  DownloadPace m_DownloadPace;
  QFileSystemModel* m_FolderModel = nullptr;
  QAbstractButton* m_OpenButton = nullptr;
  QAbstractButton* m_RefreshButton = nullptr;
  QAbstractButton* m_AutoHideButton = nullptr;
  QAbstractButton* m_CloseButton = nullptr;
  QAbstractButton* m_ExecutablesButton = nullptr;
  QAbstractButton* m_ThicknessButton = nullptr;
  QAbstractButton* m_ImportButton = nullptr;
  std::array<QGroupBox*, kRowCount> m_Groups{};
  std::array<QLineEdit*, kRowCount> m_Edits{};
  std::array<QAbstractButton*, kRowCount> m_Browse{};
};
