#include "data/AtomicFile.h"

#include "data/FileDescriptor.h"
#include "data/ReadableFile.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// A link that may be followed stays a link: the file it names is the one replaced.
AtomicFile::AtomicFile(const std::filesystem::path& target, writetarget::WriteOrigin origin)
    : AtomicFile(writetarget::Resolve(target, origin))
{
}

AtomicFile::AtomicFile(writetarget::Destination destination) : m_Target(std::move(destination))
{
  Open();
}

void AtomicFile::Open()
{
  if (m_Target.IsRefused()) {
    m_Failed = true;
    m_Failure = m_Target.refusal;
    errno = EEXIST;
    return;
  }
  m_Fd = writetarget::CreateTemporaryFile(m_Target.folder, m_TempName);
  if (m_Fd < 0) {
    m_TempName.clear();
    Fail(errno);
    return;
  }
  if (::fchmod(m_Fd, writetarget::ModeFor(m_Target)) != 0)
    Fail(errno);
}

void AtomicFile::Fail(int error)
{
  m_Failed = true;
  if (!m_Failure.IsSet())
    m_Failure = writetarget::FailureOf(m_Target, error);
  errno = error;
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
      Fail(written < 0 ? errno : ENOSPC);
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
      Fail(written < 0 ? errno : ENOSPC);
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
    const int error = errno;
    Discard();
    errno = error;
    return false;
  }
  const int folder = m_Target.folder.fd.Get();
  const bool synced = ::fsync(m_Fd) == 0;
  const int syncError = errno;
  const bool closed = ::close(m_Fd) == 0;
  m_Fd = -1;
  if (!synced || !closed || ::renameat(folder, m_TempName.c_str(), folder, m_Target.name.c_str()) != 0) {
    Fail(!synced ? syncError : errno);
    const int error = errno;
    Discard();
    errno = error;
    return false;
  }
  m_TempName.clear();
  // The rename itself reaches the disk only with its folder.
  if (::fsync(folder) != 0) {
    Fail(errno);
    return false;
  }
  return true;
}

void AtomicFile::Discard()
{
  if (m_Fd >= 0) {
    ::close(m_Fd);
    m_Fd = -1;
  }
  if (!m_TempName.empty()) {
    ::unlinkat(m_Target.folder.fd.Get(), m_TempName.c_str(), 0);
    m_TempName.clear();
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
  return CopyFileAtomically(from, writetarget::Resolve(target, origin));
}

int CopyFileAtomically(const std::filesystem::path& from, writetarget::Destination destination)
{
  const FileDescriptor in = readable::Open(from.string()).descriptor;
  if (!in.IsOpen())
    return -1;
  AtomicFile file(std::move(destination));
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
