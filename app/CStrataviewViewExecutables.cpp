#include "app/CStrataviewView.h"

#include "app/CDlgMenu.h"
#include "dialogs/CDlgExecutables.h"
#include "platform/Dialogs.h"

#include <QAbstractButton>

void CStrataviewView::ConnectExecutables()
{
  connect(m_MenuPanel->Button(CDlgMenu::kExecutables), &QAbstractButton::clicked, this,
          [this] { RunExecutablesDialog(); });
}

void CStrataviewView::RunExecutablesDialog()
{
  CDlgExecutables dialog(this);
  dialog.runMode = kRunOnOpenScan;
  dialog.scanPath = m_Workspace.GetScanPath();
  dialog.volume = &GetReadVolume();
  dialog.onScanRun = [this](const std::string& resultFolder) {
    if (ScanFolder(resultFolder))
      RefreshAll();
  };
  platform::RunModal(dialog);
}
