#include "data/StagedWrite.h"

#include "data/AtomicFile.h"
#include "data/WriteTarget.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A staged file is one this process wrote there: a regular file of the user's.
bool IsOwnRegularFile(int folderFd, const std::string& name)
{
  struct stat st {};
  return ::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
         st.st_uid == ::geteuid();
}

bool SyncFile(int folderFd, const std::string& name)
{
  const FileDescriptor file(::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  return file.IsOpen() && ::fsync(file.Get()) == 0;
}

// The library reaches the private folder through the process's own view of the descriptor
// where the system offers one; otherwise by its path.
bool HasDescriptorPaths()
{
  static const bool has = ::access("/proc/self/fd", X_OK) == 0;
  return has;
}

}  // namespace

// One staged file on its way: where it goes, and the old file's second name, kept in the
// private folder until every file has moved, so that a failure half-way can put it back.
struct StagedWrite::Move {
  std::string staged;
  writetarget::Destination destination;
  std::string kept;  // empty: nothing to put back (no old file, or no second name)
};

StagedWrite::StagedWrite(const std::filesystem::path& target, writetarget::WriteOrigin origin)
    : m_TargetName(target.filename().string()), m_Origin(origin)
{
  m_TargetFolder = writetarget::OpenFolderOf(target, m_Failure);
  if (m_Failure.IsSet()) {
    errno = ENOENT;
    return;
  }
  Begin();
}

StagedWrite::StagedWrite(const writetarget::OpenFolder& folder, const std::string& name,
                         writetarget::WriteOrigin origin)
    : m_TargetName(name), m_Origin(origin)
{
  m_TargetFolder = {writetarget::Duplicate(folder.fd), folder.path};
  if (!m_TargetFolder.fd.IsOpen()) {
    const int error = errno;
    m_Failure = {folder.path, std::strerror(error)};
    errno = error;
    return;
  }
  Begin();
}

void StagedWrite::Begin()
{
  writetarget::Destination replaced = writetarget::ResolveIn(m_TargetFolder, m_TargetName, m_Origin);
  if (replaced.IsRefused()) {
    m_Failure = replaced.refusal;
    errno = EEXIST;
    return;
  }
  // Beside the file the target names, so that every move is a rename on one file system.
  m_Parent = std::move(replaced.folder);
  m_Private.fd = writetarget::CreateTemporaryFolder(m_Parent, m_PrivateName);
  if (!IsOpen()) {
    const int error = errno;
    writetarget::Destination beside;
    beside.folder.path = m_Parent.path;
    beside.name = m_TargetName;
    m_Failure = writetarget::FailureOf(beside, error);
    errno = error;
    return;
  }
  m_Private.path = m_Parent.path / m_PrivateName;
}

StagedWrite::~StagedWrite()
{
  if (!IsOpen())
    return;
  for (const std::string& name : writetarget::NamesIn(m_Private.fd.Get()))
    writetarget::RemoveTree(m_Private.fd.Get(), name);
  if (IsPrivateFolderOurs())
    (void)::unlinkat(m_Parent.fd.Get(), m_PrivateName.c_str(), AT_REMOVEDIR);
}

std::filesystem::path StagedWrite::StagedPath() const
{
  if (HasDescriptorPaths())
    return "/proc/self/fd/" + std::to_string(m_Private.fd.Get()) + "/" + m_TargetName;
  return m_Private.path / m_TargetName;
}

bool StagedWrite::WriteBeside(const std::string& name, std::string_view text) const
{
  writetarget::Destination destination;
  destination.folder = {writetarget::Duplicate(m_Private.fd), m_Private.path};
  destination.name = name;
  AtomicFile file(std::move(destination));
  file.Write(text);
  return file.Commit();
}

// The private folder still is the one this write made: nobody put anything in its place.
bool StagedWrite::IsPrivateFolderOurs() const
{
  struct stat named {}, held {};
  return ::fstatat(m_Parent.fd.Get(), m_PrivateName.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
         ::fstat(m_Private.fd.Get(), &held) == 0 && S_ISDIR(named.st_mode) && named.st_dev == held.st_dev &&
         named.st_ino == held.st_ino && named.st_uid == ::geteuid() && (named.st_mode & 077) == 0;
}

bool StagedWrite::Prepare(std::vector<Move>& moves)
{
  const int privateFd = m_Private.fd.Get();
  for (const std::string& name : writetarget::NamesIn(privateFd))
    moves.push_back({name, writetarget::ResolveIn(m_TargetFolder, name, m_Origin), {}});
  // The target goes last: a reader looks for the data files through it.
  const auto target = std::find_if(moves.begin(), moves.end(), [&](const Move& m) { return m.staged == m_TargetName; });
  if (target == moves.end()) {
    m_Failure = {m_TargetFolder.path / m_TargetName, "the file was not written"};
    return false;
  }
  std::iter_swap(target, moves.end() - 1);
  for (size_t i = 0; i < moves.size(); ++i) {
    Move& move = moves[i];
    // A refused name is known before anything has moved.
    if (move.destination.IsRefused()) {
      m_Failure = move.destination.refusal;
      return false;
    }
    if (!IsOwnRegularFile(privateFd, move.staged) || !SyncFile(privateFd, move.staged)) {
      m_Failure = writetarget::FailureOf(move.destination, errno);
      return false;
    }
    // Only a file that is replaced before the target can need putting back.
    const std::string kept = ".old" + std::to_string(i);
    if (move.destination.exists && i + 1 < moves.size() &&
        ::linkat(move.destination.folder.fd.Get(), move.destination.name.c_str(), privateFd, kept.c_str(), 0) == 0)
      move.kept = kept;
  }
  return true;
}

bool StagedWrite::MoveAll(std::vector<Move>& moves)
{
  const int privateFd = m_Private.fd.Get();
  for (size_t i = 0; i < moves.size(); ++i) {
    const writetarget::Destination& to = moves[i].destination;
    if (::renameat(privateFd, moves[i].staged.c_str(), to.folder.fd.Get(), to.name.c_str()) == 0)
      continue;
    m_Failure = writetarget::FailureOf(to, errno);
    // Back as it was: old files return, new names disappear.
    for (size_t k = i; k-- > 0;) {
      const Move& done = moves[k];
      const writetarget::Destination& back = done.destination;
      if (!done.kept.empty())
        (void)::renameat(privateFd, done.kept.c_str(), back.folder.fd.Get(), back.name.c_str());
      else if (!back.exists)
        (void)::unlinkat(back.folder.fd.Get(), back.name.c_str(), 0);
    }
    return false;
  }
  return true;
}

bool StagedWrite::Commit()
{
  if (!IsOpen())
    return false;
  if (!IsPrivateFolderOurs()) {
    m_Failure = {m_Private.path, "the folder the files were written in was replaced"};
    return false;
  }
  std::vector<Move> moves;
  if (!Prepare(moves))
    return false;
  if (!MoveAll(moves))
    return false;
  return std::all_of(moves.begin(), moves.end(),
                     [](const Move& move) { return ::fsync(move.destination.folder.fd.Get()) == 0; });
}
