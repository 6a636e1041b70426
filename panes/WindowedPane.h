#pragma once
// A 2-D pane with its window: creating the PaneWidget inside a host, placing and sizing it,
// asking it to repaint, and rendering what it shows for the clipboard and image files. The
// slice and the projection panes share this; what they draw is theirs.
#include "panes/CChildWnd.h"
#include "panes/Pane2D.h"
#include "panes/PaneWidget.h"
#include "panes/SliceMapping.h"

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

class WindowedPane : public Pane2D {
public:
  WindowedPane() = default;
  // The host owns the window as its Qt parent, but the window paints from this pane: a pane
  // that goes first takes its window with it.
  ~WindowedPane() override;
  WindowedPane(const WindowedPane&) = delete;
  WindowedPane& operator=(const WindowedPane&) = delete;

  // Sizes the window; from then on the pane's picture is stretched over it.
  void Resize(int width, int height);
  int GetWindowWidth() const { return m_PaneWidth; }
  int GetWindowHeight() const { return m_PaneHeight; }

  // The screen mapping of the window; none while the pane or its window has no pixels.
  virtual std::optional<SliceMapping> Mapping() const = 0;
  // What the window shows, at the window's size; null while there is nothing to show.
  QImage RenderToImage() const;
  // The clipboard gets the pane's rendering; SaveImage places it there as well and writes it
  // to the path in the format of its extension: 0, or -1 with any old file kept.
  void CopyToClipboard() const;
  [[nodiscard]] int SaveImage(const std::string& path) const;

  // While held, a request to draw the pane's picture afresh is only noted; when the last hold
  // is released the picture is drawn once, from the pane's state at that moment. A caller
  // that hands a pane many settings in a row pays for one picture instead of one per setting.
  void HoldRedraws() { ++m_RedrawHolds; }
  void ReleaseRedraws();
  // How often the picture has been drawn afresh, to check that a burst of changes draws once.
  long RedrawCount() const { return m_RedrawCount; }

protected:
  // Whether a redraw asked for now goes ahead (and is counted); while held it is only noted.
  bool BeginRedraw();
  // Draws the pane's picture afresh: what the release of the last hold performs.
  virtual void Redraw() = 0;

  bool IsCreated() const { return m_Created; }
  void SetNotCreated() { m_Created = false; }
  // Places the window at (0, 0) inside the host, creating it there the first time, at the
  // picture's size 1:1 until the next Resize; the pane counts as created from now on.
  void PlaceWindow(CChildWnd* host, QSize picture);
  // Whether a Resize has sized the window since it was placed.
  bool Stretched() const { return m_Stretch; }
  // The window's size as the pane draws into it.
  QSize WindowSize() const;
  void SetWindowCursor(Qt::CursorShape shape);
  // Repaints the whole window, or all of it but a border of the given width.
  void UpdateWindow() const;
  void UpdateWindowInside(int border) const;

private:
  QPointer<PaneWidget> m_Widget;
  bool m_Created = false;
  bool m_Stretch = false;
  QSize m_Picture;
  int m_PaneWidth = 0;
  int m_PaneHeight = 0;
  int m_RedrawHolds = 0;
  bool m_RedrawPending = false;
  long m_RedrawCount = 0;
};

// Holds the redraws of a few panes for its lifetime; its end draws each pane that asked.
class RedrawHold {
public:
  explicit RedrawHold(std::initializer_list<WindowedPane*> panes);
  ~RedrawHold();
  RedrawHold(const RedrawHold&) = delete;
  RedrawHold& operator=(const RedrawHold&) = delete;

private:
  std::vector<WindowedPane*> m_Panes;
};
