#include "platform/InputOnlyTo.h"

#include <QCoreApplication>
#include <QEvent>

namespace platform {
namespace {

bool IsUserInput(QEvent::Type type)
{
  switch (type) {
  case QEvent::MouseButtonPress:
  case QEvent::MouseButtonRelease:
  case QEvent::MouseButtonDblClick:
  case QEvent::MouseMove:
  case QEvent::Wheel:
  case QEvent::KeyPress:
  case QEvent::KeyRelease:
  case QEvent::ContextMenu:
  case QEvent::TouchBegin:
  case QEvent::TouchUpdate:
  case QEvent::TouchEnd:
  case QEvent::TabletPress:
  case QEvent::TabletRelease:
  case QEvent::TabletMove:
  case QEvent::DragEnter:
  case QEvent::DragMove:
  case QEvent::Drop:
    return true;
  default:
    return false;
  }
}

}  // namespace

InputOnlyTo::InputOnlyTo(QWidget* widget) : m_Widget(widget)
{
  QCoreApplication::instance()->installEventFilter(this);
}

InputOnlyTo::~InputOnlyTo()
{
  QCoreApplication::instance()->removeEventFilter(this);
}

bool InputOnlyTo::eventFilter(QObject* watched, QEvent* event)
{
  const QEvent::Type type = event->type();
  // Shortcuts and closing go to actions and windows, never to the one control.
  if (type == QEvent::Shortcut || type == QEvent::ShortcutOverride || type == QEvent::Close) {
    event->ignore();
    return true;
  }
  // Input reaches a window first and is passed on to the widget under it, where it is told
  // apart.
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || !IsUserInput(type))
    return false;
  return m_Widget.isNull() || (widget != m_Widget && !m_Widget->isAncestorOf(widget));
}

}  // namespace platform
