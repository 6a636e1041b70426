#include "platform/Dialogs.h"

#include "platform/Messages.h"

#include <QDialog>
#include <QFileDialog>

namespace platform {
namespace {

DialogHandler& Hook()
{
  static DialogHandler hook;
  return hook;
}

QString Q(const std::string& text)
{
  return QString::fromStdString(text);
}

// The hook sees the kind of call whatever the caller left in the request.
DialogAnswer AskHook(const DialogRequest& request, DialogKind kind)
{
  DialogRequest asked = request;
  asked.kind = kind;
  return Hook()(asked, nullptr);
}

// The default suffix after a dot when the file name (not its folder) has no dot.
DialogAnswer WithDefaultSuffix(DialogAnswer answer, const std::string& suffix)
{
  const size_t nameStart = answer.path.find_last_of('/') + 1;
  if (answer.accepted && !suffix.empty() && nameStart < answer.path.size() &&
      answer.path.find('.', nameStart) == std::string::npos)
    answer.path += "." + suffix;
  return answer;
}

DialogAnswer FromPath(const QString& path)
{
  DialogAnswer answer;
  answer.accepted = !path.isEmpty();
  answer.path = path.toStdString();
  return answer;
}

}  // namespace

DialogAnswer GetOpenFileName(QWidget* parent, const DialogRequest& request)
{
  if (Hook())
    return AskHook(request, DialogKind::OpenFile);
  return FromPath(QFileDialog::getOpenFileName(parent, Q(request.title), Q(request.folder),
                                               Q(request.filter)));
}

DialogAnswer GetSaveFileName(QWidget* parent, const DialogRequest& request)
{
  if (Hook())
    return WithDefaultSuffix(AskHook(request, DialogKind::SaveFile), request.defaultSuffix);
  QString start = Q(request.folder);
  if (!request.fileName.empty())
    start = start.isEmpty() ? Q(request.fileName) : start + QLatin1Char('/') + Q(request.fileName);
  // The chooser adds the suffix itself, so that its overwrite question names the final file.
  QFileDialog chooser(parent, Q(request.title), start, Q(request.filter));
  chooser.setAcceptMode(QFileDialog::AcceptSave);
  chooser.setDefaultSuffix(Q(request.defaultSuffix));
  const bool chosen = chooser.exec() == QDialog::Accepted && !chooser.selectedFiles().isEmpty();
  return WithDefaultSuffix(FromPath(chosen ? chooser.selectedFiles().first() : QString()), request.defaultSuffix);
}

DialogAnswer BrowseForFolder(QWidget* parent, const DialogRequest& request)
{
  if (Hook())
    return AskHook(request, DialogKind::BrowseFolder);
  return FromPath(QFileDialog::getExistingDirectory(parent, Q(request.title), Q(request.folder)));
}

int RunModal(QDialog& dialog)
{
  if (Hook()) {
    DialogRequest request;
    request.kind = DialogKind::Modal;
    request.title = dialog.objectName().toStdString();
    return Hook()(request, &dialog).accepted ? kIdOk : kIdCancel;
  }
  return dialog.exec() == QDialog::Accepted ? kIdOk : kIdCancel;
}

ScopedDialogHook::ScopedDialogHook(DialogHandler handler) : m_Previous(std::move(Hook()))
{
  Hook() = std::move(handler);
}

ScopedDialogHook::~ScopedDialogHook()
{
  Hook() = std::move(m_Previous);
}

}  // namespace platform
