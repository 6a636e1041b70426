// The keyboard's standard accelerators of the main window: Ctrl+O opens the open dialog,
// Ctrl+S the save dialog, Ctrl+Z undoes the last surface edit and F1 opens the help document.
// Each works only where its button would.
#include "app/CDlgMenu.h"
#include "app/CStrataviewView.h"
#include "dialogs/HelpDocument.h"
#include "panes/LOCTImage.h"

#include <QAbstractButton>
#include <QShortcut>

void CStrataviewView::ConnectShortcuts()
{
  const auto add = [this](const QKeySequence& keys, void (CStrataviewView::*operation)()) {
    connect(new QShortcut(keys, this), &QShortcut::activated, this, operation);
  };
  add(QKeySequence(Qt::CTRL | Qt::Key_O), &CStrataviewView::ShowOpenDialog);
  add(QKeySequence(Qt::CTRL | Qt::Key_S), &CStrataviewView::RunSaveDialogIfEnabled);
  add(QKeySequence(Qt::CTRL | Qt::Key_Z), &CStrataviewView::UndoLastSurfaceEdit);
  connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
          [this] { OpenHelpDocument(ExeFolder()); });
}

// Without a scan there is nothing to save, and the Save button is disabled.
void CStrataviewView::RunSaveDialogIfEnabled()
{
  if (m_MenuPanel->Button(CDlgMenu::kSave)->isEnabled())
    RunSaveDialog();
}

// The pane of the latest edit first; once its edits are all undone, the other one's.
void CStrataviewView::UndoLastSurfaceEdit()
{
  const int other = m_LastSurfaceEditPane == OrientationXY ? OrientationZY : OrientationXY;
  for (const int orientation : {m_LastSurfaceEditPane, other})
    if (LOCTImage* pane = SlicePane(orientation); pane && pane->GetUndoDepth() > 0) {
      pane->UndoSurfaceEdit();
      return;
    }
}
