#include "panes/WindowedPane.h"

#include "panes/PaneImageExport.h"

#include <algorithm>

WindowedPane::~WindowedPane()
{
  delete m_Widget.data();
}

void WindowedPane::ReleaseRedraws()
{
  if (m_RedrawHolds == 0 || --m_RedrawHolds > 0 || !m_RedrawPending)
    return;
  m_RedrawPending = false;
  Redraw();
}

bool WindowedPane::BeginRedraw()
{
  if (m_RedrawHolds > 0) {
    m_RedrawPending = true;
    return false;
  }
  ++m_RedrawCount;
  return true;
}

RedrawHold::RedrawHold(std::initializer_list<WindowedPane*> panes) : m_Panes(panes)
{
  for (WindowedPane* pane : m_Panes)
    pane->HoldRedraws();
}

RedrawHold::~RedrawHold()
{
  for (WindowedPane* pane : m_Panes)
    pane->ReleaseRedraws();
}

void WindowedPane::PlaceWindow(CChildWnd* host, QSize picture)
{
  m_Picture = picture;
  m_Stretch = false;
  if (!m_Widget && host) {
    m_Widget = new PaneWidget(*this, host);  // owned by the host, see the destructor
    m_Widget->show();
  }
  if (m_Widget) {
    m_Widget->setGeometry(0, 0, picture.width(), picture.height());
    m_Widget->update();
  }
  m_Created = true;
}

void WindowedPane::Resize(int width, int height)
{
  if (!m_Created)
    return;
  m_PaneWidth = std::max(0, width);
  m_PaneHeight = std::max(0, height);
  if (m_Widget) {
    m_Widget->setGeometry(0, 0, m_PaneWidth, m_PaneHeight);
    m_Widget->update();
  }
  m_Stretch = true;
}

QSize WindowedPane::WindowSize() const
{
  // Until it is sized, the window shows the picture 1:1 at the picture's size.
  return m_Stretch ? QSize(m_PaneWidth, m_PaneHeight) : m_Picture;
}

void WindowedPane::UpdateWindow() const
{
  if (m_Widget)
    m_Widget->update();
}

void WindowedPane::UpdateWindowInside(int border) const
{
  if (m_Widget)
    m_Widget->update(QRect(border, border, m_Widget->width() - 2 * border, m_Widget->height() - 2 * border));
}

void WindowedPane::SetWindowCursor(Qt::CursorShape shape)
{
  if (m_Widget)
    m_Widget->setCursor(shape);
}

QImage WindowedPane::RenderToImage() const
{
  return Mapping() ? RenderPaneImage(*this, WindowSize()) : QImage();
}

void WindowedPane::CopyToClipboard() const
{
  const QImage image = RenderToImage();
  if (!image.isNull())
    CopyImageToClipboard(image);
}

int WindowedPane::SaveImage(const std::string& path) const
{
  return CopyAndSaveImage(RenderToImage(), path);
}
