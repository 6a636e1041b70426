#include "platform/Messages.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {
namespace {

MessageHandler& Hook()
{
  static MessageHandler hook;
  return hook;
}

int ShowBox(const std::string& text, unsigned type)
{
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  switch (type) {
    case kMbOkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case kMbYesNoCancel: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case kMbYesNo: buttons = QMessageBox::Yes | QMessageBox::No; break;
    default: break;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Strataview"), QString::fromStdString(text),
                  buttons, QApplication::activeWindow());
  switch (box.exec()) {
    case QMessageBox::Cancel: return kIdCancel;
    case QMessageBox::Yes: return kIdYes;
    case QMessageBox::No: return kIdNo;
    default: return kIdOk;
  }
}

}  // namespace

int ShowMessage(const std::string& text, unsigned type)
{
  if (Hook())
    return Hook()(text, type);
  return ShowBox(text, type);
}

ScopedMessageHook::ScopedMessageHook(MessageHandler handler) : m_Previous(std::move(Hook()))
{
  Hook() = std::move(handler);
}

ScopedMessageHook::~ScopedMessageHook()
{
  Hook() = std::move(m_Previous);
}

}  // namespace platform
