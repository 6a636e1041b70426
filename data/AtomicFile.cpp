#include "data/AtomicFile.h"

#include "data/FileDescriptor.h"
#include "data/ReadableFile.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The mode a newly created file would get, or the target's own mode when it exists, so
// that replacing a file does not change who may read it.
mode_t ModeFor(const std::filesystem::path& target)
{
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0)
    return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

// A link that may be followed stays a link: the file it names is the one replaced.
AtomicFile::AtomicFile(const std::filesystem::path& target, writetarget::WriteOrigin origin)
    : m_Target(writetarget::ResolveTarget(target, origin))
{
  if (m_Target.empty()) {
    m_Failed = true;
    return;
  }
  const std::string pattern = writetarget::TemporaryPattern(writetarget::FolderOf(m_Target));
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  m_Fd = ::mkstemp(name.data());
  if (m_Fd < 0) {
    m_Failed = true;
    return;
  }
  m_TempPath = name.data();
  if (::fchmod(m_Fd, ModeFor(m_Target)) != 0)
    m_Failed = true;
}

AtomicFile::~AtomicFile()
{
  Discard();
}

bool AtomicFile::Write(const void* data, size_t size)
{
  if (!IsOpen())
    return false;
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(m_Fd, bytes, size);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0) {
      m_Failed = true;
      return false;
    }
    bytes += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool AtomicFile::WriteAt(uint64_t offset, const void* data, size_t size)
{
  if (!IsOpen())
    return false;
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::pwrite(m_Fd, bytes, size, static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0) {
      m_Failed = true;
      return false;
    }
    bytes += written;
    offset += static_cast<uint64_t>(written);
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool AtomicFile::Commit()
{
  if (!IsOpen()) {
    Discard();
    return false;
  }
  const bool synced = ::fsync(m_Fd) == 0;
  const bool closed = ::close(m_Fd) == 0;
  m_Fd = -1;
  if (!synced || !closed || ::rename(m_TempPath.c_str(), m_Target.c_str()) != 0) {
    m_Failed = true;
    Discard();
    return false;
  }
  m_TempPath.clear();
  // The rename itself reaches the disk only with its folder.
  return writetarget::SyncToDisk(writetarget::FolderOf(m_Target));
}

void AtomicFile::Discard()
{
  if (m_Fd >= 0) {
    ::close(m_Fd);
    m_Fd = -1;
  }
  if (!m_TempPath.empty()) {
    ::unlink(m_TempPath.c_str());
    m_TempPath.clear();
  }
}

int WriteFileAtomically(const std::filesystem::path& target, std::string_view text,
                        writetarget::WriteOrigin origin)
{
  AtomicFile file(target, origin);
  file.Write(text);
  return file.Commit() ? 0 : -1;
}

int CopyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& target,
                       writetarget::WriteOrigin origin)
{
  const FileDescriptor in = readable::Open(from.string()).descriptor;
  if (!in.IsOpen())
    return -1;
  AtomicFile file(target, origin);
  std::vector<char> chunk(1 << 20);
  for (;;) {
    const ssize_t got = ::read(in.Get(), chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      return -1;  // the temporary goes with the file
    if (got == 0 || !file.Write(chunk.data(), static_cast<size_t>(got)))
      break;
  }
  return file.Commit() ? 0 : -1;
}
