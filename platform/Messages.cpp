#include "platform/Messages.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace platform {
namespace {

DetailedMessageHandler& Hook()
{
  static DetailedMessageHandler hook;
  return hook;
}

int ShowBox(const std::string& text, unsigned type, const std::string& detail)
{
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  switch (type) {
    case kMbOkCancel: buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
    case kMbYesNoCancel: buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
    case kMbYesNo: buttons = QMessageBox::Yes | QMessageBox::No; break;
    case kMbSaveDiscardCancel: buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel; break;
    default: break;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Strataview"), QString::fromStdString(text),
                  buttons, QApplication::activeWindow());
  // What failed and why, below the text; selectable, so that it can be quoted in a report.
  if (!detail.empty()) {
    box.setInformativeText(QString::fromStdString(detail));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Wide enough that a path is not broken at every "/".
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
      label->setMinimumWidth(label->fontMetrics().averageCharWidth() * 60);
  }
  if (type == kMbSaveDiscardCancel)
    box.setDefaultButton(QMessageBox::Save);
  QPushButton* overwrite = nullptr;
  if (type == kMbOverwriteCancel) {
    overwrite = box.addButton(QStringLiteral("Overwrite"), QMessageBox::AcceptRole);
    box.setDefaultButton(box.addButton(QMessageBox::Cancel));
  }
  const int pressed = box.exec();
  if (overwrite && box.clickedButton() == overwrite)
    return kIdOverwrite;
  switch (pressed) {
    case QMessageBox::Cancel: return kIdCancel;
    case QMessageBox::Yes: return kIdYes;
    case QMessageBox::No: return kIdNo;
    case QMessageBox::Save: return kIdSave;
    case QMessageBox::Discard: return kIdDiscard;
    default: return kIdOk;
  }
}

}  // namespace

int ShowMessage(const std::string& text, unsigned type, const std::string& detail)
{
  if (Hook())
    return Hook()(text, detail, type);
  return ShowBox(text, type, detail);
}

ScopedMessageHook::ScopedMessageHook(MessageHandler handler)
    : ScopedMessageHook(DetailedMessageHandler(
          [handler = std::move(handler)](const std::string& text, const std::string&, unsigned type) {
            return handler(text, type);
          }))
{
}

ScopedMessageHook::ScopedMessageHook(DetailedMessageHandler handler) : m_Previous(std::move(Hook()))
{
  Hook() = std::move(handler);
}

ScopedMessageHook::~ScopedMessageHook()
{
  Hook() = std::move(m_Previous);
}

}  // namespace platform
