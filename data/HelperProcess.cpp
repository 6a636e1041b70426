#include "data/HelperProcess.h"

#include "data/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

namespace decoder {

namespace {

using Clock = std::chrono::steady_clock;

// Copies a descriptor above the helper's fixed ones, so that no dup2 in the child can
// overwrite a source before it is copied.
constexpr int kFirstFreeFd = 10;

FileDescriptor Raised(int fd)
{
  return FileDescriptor(::fcntl(fd, F_DUPFD_CLOEXEC, kFirstFreeFd));
}

class SpawnSetup {
public:
  SpawnSetup()
  {
    m_Ready = posix_spawn_file_actions_init(&m_Actions) == 0 && posix_spawnattr_init(&m_Attributes) == 0;
  }
  ~SpawnSetup()
  {
    posix_spawn_file_actions_destroy(&m_Actions);
    posix_spawnattr_destroy(&m_Attributes);
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;

  // Standard input from /dev/null, `mapping` as (source, target) pairs, nothing else open;
  // default signal handling and no blocked signals, whatever the program set up.
  bool Prepare(const std::vector<std::pair<int, int>>& mapping)
  {
    if (!m_Ready || posix_spawn_file_actions_addopen(&m_Actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0)
      return false;
    int highest = STDERR_FILENO;
    for (const auto& [source, target] : mapping) {
      if (posix_spawn_file_actions_adddup2(&m_Actions, source, target) != 0)
        return false;
      highest = std::max(highest, target);
    }
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGALRM, SIGCHLD, SIGUSR1, SIGUSR2})
      sigaddset(&defaults, signal);
    sigemptyset(&none);
    return posix_spawn_file_actions_addclosefrom_np(&m_Actions, highest + 1) == 0 &&
           posix_spawnattr_setsigdefault(&m_Attributes, &defaults) == 0 &&
           posix_spawnattr_setsigmask(&m_Attributes, &none) == 0 &&
           posix_spawnattr_setflags(&m_Attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK) == 0;
  }
  const posix_spawn_file_actions_t* Actions() const { return &m_Actions; }
  const posix_spawnattr_t* Attributes() const { return &m_Attributes; }

private:
  bool m_Ready = false;
  posix_spawn_file_actions_t m_Actions{};
  posix_spawnattr_t m_Attributes{};
};

int MillisecondsLeft(Clock::time_point deadline)
{
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
}

// The running helper; killed (when still running) and reaped on every exit path.
class Child {
public:
  // A descriptor for the process (Linux 5.3 on) wakes a wait at its end; without one the
  // end is looked for every millisecond.
  explicit Child(pid_t pid) : m_Pid(pid), m_PidFd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {}
  ~Child()
  {
    if (!m_Reaped) {
      ::kill(m_Pid, SIGKILL);
      Wait();
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // Reaps the helper once it has ended, waiting for its end until the deadline; true then,
  // with its status.
  bool ReapBy(Clock::time_point deadline, int& status)
  {
    while (!TryReap(status)) {
      const int left = MillisecondsLeft(deadline);
      if (left == 0)
        return false;
      if (m_PidFd.IsOpen()) {
        pollfd end{m_PidFd.Get(), POLLIN, 0};
        (void)::poll(&end, 1, left);
      } else {
        const timespec pause{0, 1000000};
        ::nanosleep(&pause, nullptr);
      }
    }
    return true;
  }
  // Whether the helper has ended, leaving it to be reaped.
  bool HasEnded()
  {
    siginfo_t info{};
    return ::waitid(P_PID, id_t(m_Pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == m_Pid;
  }
  // Readable once the helper has ended; -1 where the system has no process descriptors.
  int EndDescriptor() const { return m_PidFd.IsOpen() ? m_PidFd.Get() : -1; }
  int Kill()
  {
    ::kill(m_Pid, SIGKILL);
    return Wait();
  }

private:
  bool TryReap(int& status)
  {
    const pid_t done = ::waitpid(m_Pid, &status, WNOHANG);
    m_Reaped = done == m_Pid;
    return m_Reaped;
  }
  int Wait()
  {
    int status = 0;
    while (::waitpid(m_Pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_Reaped = true;
    return status;
  }

  pid_t m_Pid;
  FileDescriptor m_PidFd;
  bool m_Reaped = false;
};

// The helper's standard output, handed over a complete line at a time.
class LineSplitter {
public:
  explicit LineSplitter(const std::function<void(std::string_view)>& onLine) : m_OnLine(onLine) {}
  void Add(const char* data, size_t size)
  {
    m_Pending.append(data, size);
    size_t start = 0;
    for (size_t end; (end = m_Pending.find('\n', start)) != std::string::npos; start = end + 1)
      m_OnLine(std::string_view(m_Pending).substr(start, end + 1 - start));
    m_Pending.erase(0, start);
  }
  void Finish()
  {
    if (!m_Pending.empty())
      m_OnLine(m_Pending + "\n");
    m_Pending.clear();
  }

private:
  const std::function<void(std::string_view)>& m_OnLine;
  std::string m_Pending;
};

// Reads what a pipe holds into `take`; false once the pipe is at its end.
template <typename Take> bool ReadSome(int fd, Take take)
{
  char buffer[4096];
  const ssize_t n = ::read(fd, buffer, sizeof buffer);
  if (n > 0)
    take(buffer, size_t(n));
  return n > 0 || (n < 0 && errno == EINTR);
}

// Without a process descriptor the helper's end is looked for this often.
constexpr int kEndCheckMilliseconds = 10;

// The helper's output, standard error and result pipes, each handing what it reads on.
class HelperPipes {
public:
  struct Pipe {
    int fd;
    std::function<void(const char*, size_t)> take;
    bool open = true;
  };
  HelperPipes(Pipe output, Pipe error, Pipe result) : m_Pipes{std::move(output), std::move(error), std::move(result)} {}

  bool AnyOpen() const
  {
    return std::any_of(std::begin(m_Pipes), std::end(m_Pipes), [](const Pipe& pipe) { return pipe.open; });
  }
  // Waits up to `milliseconds` for any pipe (or `alsoWake`, unless -1) to be ready and reads
  // those that are; false when nothing was (the wait ran out or was interrupted).
  bool ReadReady(int alsoWake, int milliseconds)
  {
    pollfd fds[kCount + 1];
    for (int i = 0; i < kCount; ++i)
      fds[i] = {m_Pipes[i].open ? m_Pipes[i].fd : -1, POLLIN, 0};
    fds[kCount] = {alsoWake, POLLIN, 0};
    if (::poll(fds, kCount + 1, milliseconds) <= 0)
      return false;
    bool read = false;
    for (int i = 0; i < kCount; ++i)
      if (fds[i].revents) {
        m_Pipes[i].open = ReadSome(m_Pipes[i].fd, m_Pipes[i].take);
        read = true;
      }
    return read || fds[kCount].revents;
  }

private:
  static constexpr int kCount = 3;
  Pipe m_Pipes[kCount];
};

HelperEnd Ended(int status)
{
  HelperEnd end;
  if (WIFSIGNALED(status)) {
    end.kind = HelperEnd::Kind::Signalled;
    end.code = WTERMSIG(status);
  } else {
    end.kind = HelperEnd::Kind::Exited;
    end.code = WEXITSTATUS(status);
  }
  return end;
}

}  // namespace

HelperEnd RunHelper(const std::vector<std::string>& argv, int resultFd, const std::vector<HandedFd>& handed,
                    std::chrono::milliseconds timeout, const HelperLines& onLine)
{
  HelperEnd notStarted;
  int outputPipe[2], errorPipe[2], resultPipe[2];
  if (::pipe2(outputPipe, O_CLOEXEC) != 0) {
    notStarted.code = errno;
    return notStarted;
  }
  FileDescriptor outputRead(outputPipe[0]), outputWrite(outputPipe[1]);
  if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
    notStarted.code = errno;
    return notStarted;
  }
  FileDescriptor errorRead(errorPipe[0]), errorWrite(errorPipe[1]);
  if (::pipe2(resultPipe, O_CLOEXEC) != 0) {
    notStarted.code = errno;
    return notStarted;
  }
  FileDescriptor resultRead(resultPipe[0]), resultWrite(resultPipe[1]);
  // The child's copies, each above the fixed numbers, with the number it gets there.
  std::vector<FileDescriptor> copies;
  std::vector<std::pair<int, int>> mapping;
  const auto hand = [&](int source, int target) {
    copies.push_back(Raised(source));
    mapping.emplace_back(copies.back().Get(), target);
    return copies.back().IsOpen();
  };
  bool raised = hand(outputWrite.Get(), STDOUT_FILENO) && hand(errorWrite.Get(), STDERR_FILENO) &&
                hand(resultWrite.Get(), resultFd);
  for (const HandedFd& fd : handed)
    raised = raised && hand(fd.source, fd.target);
  outputWrite.Reset();
  errorWrite.Reset();
  resultWrite.Reset();
  SpawnSetup setup;
  if (!raised || !setup.Prepare(mapping)) {
    notStarted.code = errno ? errno : EINVAL;
    return notStarted;
  }
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (const int error = posix_spawn(&pid, args[0], setup.Actions(), setup.Attributes(), args.data(), environ)) {
    notStarted.code = error;
    return notStarted;
  }
  Child child(pid);
  // Only the helper holds the write ends now: end of file on all means it is ending.
  copies.clear();

  const Clock::time_point deadline = Clock::now() + timeout;
  LineSplitter lines(onLine.output), errorLines(onLine.error);
  std::string result;
  HelperPipes pipes{{outputRead.Get(), [&](const char* data, size_t size) { lines.Add(data, size); }},
                    {errorRead.Get(), [&](const char* data, size_t size) { errorLines.Add(data, size); }},
                    {resultRead.Get(), [&](const char* data, size_t size) { result.append(data, size); }}};
  // The pipes are read until they are all at their end or the helper has ended, whichever is
  // first: a process the helper started (a sanitizer's symbolizer after a crash, say) may hold
  // a write end after the helper is gone. Once it has ended, all it wrote is in the pipes.
  bool ended = false;
  while (pipes.AnyOpen() && !ended) {
    const int wait = child.EndDescriptor() >= 0 ? MillisecondsLeft(deadline)
                                                : std::min(MillisecondsLeft(deadline), kEndCheckMilliseconds);
    if (!pipes.ReadReady(child.EndDescriptor(), wait) && MillisecondsLeft(deadline) == 0)
      break;  // the time limit
    ended = child.HasEnded();
  }
  if (ended)
    while (pipes.AnyOpen() && MillisecondsLeft(deadline) > 0 && pipes.ReadReady(-1, 0)) {
    }
  lines.Finish();
  errorLines.Finish();
  // The helper has closed its pipes or ended; give it the rest of its time to be reaped.
  int status = 0;
  if (!child.ReapBy(deadline, status)) {
    child.Kill();
    HelperEnd timedOut;
    timedOut.kind = HelperEnd::Kind::TimedOut;
    return timedOut;
  }
  HelperEnd end = Ended(status);
  end.result = std::move(result);
  return end;
}

}  // namespace decoder
