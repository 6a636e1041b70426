// Edits the panes make are kept as unsaved until they are saved or their kind is read again:
// the title bar marks them, and nothing drops them without asking the user first.
#include "app/CStrataviewView.h"

#include "platform/Messages.h"

#include <optional>

namespace {

// The result kind that a mouse tool edits.
std::optional<ResultKind> KindEditedBy(int mouseMode)
{
  switch (mouseMode) {
  case MouseSurfaces:
  case MouseUndefinedRegion: return ResultKind::Surfaces;  // the region is saved with the surfaces
  case MouseGridCenter: return ResultKind::GridCenter;
  case MouseVessel: return ResultKind::Vessel;
  case MouseSEAD: return ResultKind::SEAD;
  case MouseMarkers: return ResultKind::Markers;
  case MouseSplines: return ResultKind::Splines;
  default: return std::nullopt;
  }
}

}  // namespace

void CStrataviewView::ResultEdited(int mouseMode, int orientation)
{
  const std::optional<ResultKind> kind = KindEditedBy(mouseMode);
  if (!kind)
    return;
  if (mouseMode == MouseSurfaces && (orientation == OrientationXY || orientation == OrientationZY))
    m_LastSurfaceEditPane = orientation;
  m_Workspace.Unsaved().Mark(*kind);
}

bool CStrataviewView::MayDropEdits(const std::vector<ResultKind>& kinds)
{
  const std::vector<ResultKind> edited = m_Workspace.Unsaved().Among(kinds);
  if (edited.empty())
    return true;
  switch (platform::ShowMessage(UnsavedEditsQuestion(edited), platform::kMbSaveDiscardCancel)) {
  case platform::kIdDiscard: return true;
  case platform::kIdSave:
    RunSaveDialog();
    return m_Workspace.Unsaved().Among(kinds).empty();
  default: return false;
  }
}

// Qt's convention: the title holds "[*]", shown as "*" while the window is modified.
void CStrataviewView::ShowUnsavedInTitle(bool anyUnsaved)
{
  if (QWidget* frame = window(); frame && frame != this)
    frame->setWindowModified(anyUnsaved);
}
