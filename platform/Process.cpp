#include "platform/Process.h"

#include <QCoreApplication>
#include <QProcess>
#include <cerrno>
#include <memory>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

// posix_spawn file actions released on every exit path.
class SpawnActions {
public:
  SpawnActions() { m_Ready = posix_spawn_file_actions_init(&m_Actions) == 0; }
  ~SpawnActions()
  {
    if (m_Ready)
      posix_spawn_file_actions_destroy(&m_Actions);
  }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;

  bool StdinFromNull()
  {
    return m_Ready && posix_spawn_file_actions_addopen(&m_Actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0;
  }
  const posix_spawn_file_actions_t* Get() const { return &m_Actions; }

private:
  posix_spawn_file_actions_t m_Actions{};
  bool m_Ready = false;
};

ProgramEnd WaitForEnd(pid_t child)
{
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  ProgramEnd end;
  if (WIFSIGNALED(status)) {
    end.kind = ProgramEnd::Kind::Signalled;
    end.code = WTERMSIG(status);
  } else {
    end.kind = ProgramEnd::Kind::Exited;
    end.code = WEXITSTATUS(status);
  }
  return end;
}

}  // namespace

ProgramEnd RunProgram(const std::string& program, const std::vector<std::string>& arguments)
{
  // A relative name would be looked up in the working folder; only absolute paths run.
  if (program.empty() || program.front() != '/')
    return ProgramEnd();
  SpawnActions actions;
  if (!actions.StdinFromNull())
    return ProgramEnd();
  std::vector<std::string> texts;
  texts.reserve(arguments.size() + 1);
  texts.push_back(program);
  texts.insert(texts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  argv.reserve(texts.size() + 1);
  for (std::string& text : texts)
    argv.push_back(text.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), actions.Get(), nullptr, argv.data(), environ) != 0)
    return ProgramEnd();
  return WaitForEnd(child);
}

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments, ProgramEnded ended)
{
  if (program.empty() || program.front() != '/' || !QCoreApplication::instance())
    return false;
  auto process = std::make_unique<QProcess>();
  process->setProgram(QString::fromStdString(program));
  QStringList texts;
  for (const std::string& argument : arguments)
    texts << QString::fromStdString(argument);
  process->setArguments(texts);
  process->setStandardInputFile(QProcess::nullDevice());
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  QProcess* running = process.get();
  QObject::connect(running, &QProcess::finished, running,
                   [running, ended = std::move(ended)](int code, QProcess::ExitStatus status) {
                     ProgramEnd end;  // QProcess does not tell which signal ended it
                     end.kind = status == QProcess::CrashExit ? ProgramEnd::Kind::Signalled : ProgramEnd::Kind::Exited;
                     end.code = status == QProcess::CrashExit ? 0 : code;
                     running->deleteLater();
                     if (ended)
                       ended(end);
                   });
  running->start();
  if (!running->waitForStarted())
    return false;
  // The application owns it until it has ended, so that it is reaped and its end reported.
  process.release()->setParent(QCoreApplication::instance());
  return true;
}

}  // namespace platform
