#include "data/ReadableFile.h"

#include "data/Diagnostics.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace readable {

namespace {

// What a name that is not a regular file stands for, as a user reads it.
std::string KindRefused(mode_t mode)
{
  if (S_ISDIR(mode))
    return "is a folder, not a file";
  if (S_ISFIFO(mode))
    return "is a named pipe (FIFO), not a regular file";
  if (S_ISSOCK(mode))
    return "is a socket, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode))
    return "is a device, not a regular file";
  return "is not a regular file";
}

struct HandedOver {
  std::string path;
  int fd = -1;
};
HandedOver g_HandedOver;

ReadableFile Refused(std::string why, int error)
{
  ReadableFile refused;
  refused.refusal = std::move(why);
  errno = error;
  return refused;
}

}  // namespace

void UseHandedOver(const std::string& path, int fd)
{
  g_HandedOver = {path, fd};
}

std::string NameToOpen(const std::string& path)
{
  // Opening the descriptor's own name gives a description of the same file with an offset of
  // its own, so that two readers of it do not move each other's position.
  return g_HandedOver.fd >= 0 && path == g_HandedOver.path ? "/proc/self/fd/" + std::to_string(g_HandedOver.fd)
                                                            : path;
}

bool StillNamesHandedOver(const std::string& path)
{
  if (g_HandedOver.fd < 0 || path != g_HandedOver.path)
    return true;
  struct stat named {}, handed {};
  return ::stat(path.c_str(), &named) == 0 && ::fstat(g_HandedOver.fd, &handed) == 0 &&
         named.st_dev == handed.st_dev && named.st_ino == handed.st_ino;
}

ReadableFile Open(const std::string& path, uint64_t largest)
{
  ReadableFile file;
  file.descriptor = FileDescriptor(::open(NameToOpen(path).c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!file.IsOpen()) {
    const int error = errno;
    // A socket cannot be opened at all; the name says what it is (only for the words).
    struct stat named {};
    if (error == ENXIO && ::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode))
      return Refused(KindRefused(named.st_mode), error);
    return Refused(std::strerror(error), error);
  }
  struct stat status {};
  if (::fstat(file.descriptor.Get(), &status) != 0) {
    const int error = errno;
    return Refused(std::strerror(error), error);
  }
  if (!S_ISREG(status.st_mode))
    return Refused(KindRefused(status.st_mode), S_ISDIR(status.st_mode) ? EISDIR : EINVAL);
  file.size = uint64_t(status.st_size);
  if (file.size > largest)
    return Refused(std::to_string(file.size) + " bytes is larger than a scan of this size needs (at most " +
                       std::to_string(largest) + " bytes)",
                   EFBIG);
  return file;
}

void ReportRefusal(const std::string& path, const ReadableFile& file)
{
  diag::ReportFileFailure(path, file.refusal);
}

Stream OpenStream(const std::string& path, uint64_t largest)
{
  ReadableFile file = Open(path, largest);
  if (!file.IsOpen()) {
    ReportRefusal(path, file);
    return Stream();
  }
  Stream stream(::fdopen(file.descriptor.Get(), "rb"));
  if (stream)
    (void)file.descriptor.Release();  // the stream closes it now
  else
    diag::ReportOpenFailure(path, errno);
  return stream;
}

GzipStream OpenGzip(const std::string& path)
{
  ReadableFile file = Open(path);
  if (!file.IsOpen()) {
    ReportRefusal(path, file);
    return GzipStream();
  }
  GzipStream stream(::gzdopen(file.descriptor.Get(), "rb"));
  if (stream)
    (void)file.descriptor.Release();  // zlib closes it now
  else
    diag::ReportOpenFailure(path, ENOMEM);
  return stream;
}

bool ReadAt(const FileDescriptor& file, void* out, uint64_t bytes, uint64_t offset)
{
  auto* at = static_cast<unsigned char*>(out);
  while (bytes > 0) {
    const ssize_t n = ::pread(file.Get(), at, size_t(std::min<uint64_t>(bytes, 1u << 30)), off_t(offset));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    at += n;
    offset += uint64_t(n);
    bytes -= uint64_t(n);
  }
  return true;
}

bool ReadHead(const std::string& path, uint64_t bytes, std::string& head)
{
  const ReadableFile file = Open(path);
  if (!file.IsOpen()) {
    ReportRefusal(path, file);
    return false;
  }
  head.resize(size_t(std::min(bytes, file.size)));
  if (ReadAt(file.descriptor, head.data(), head.size(), 0))
    return true;
  diag::ReportFileFailure(path, "cannot be read");
  return false;
}

}  // namespace readable
