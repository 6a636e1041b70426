#include "data/WriteTarget.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <random>
#include <set>
#include <unistd.h>
#include <utility>
#include <vector>

namespace writetarget {

namespace {

// As many links as the kernel itself follows before it gives up (ELOOP).
constexpr int kMaxLinks = 40;
constexpr const char* kTemporaryPrefix = ".sv-";
constexpr size_t kRandomLength = 6;
constexpr size_t kTemporaryNameLength = 10;  // the prefix and six random characters
constexpr int kTemporaryAttempts = 100;
constexpr time_t kStaleAfterSeconds = 24 * 60 * 60;

// A link on the way to a folder is followed when the user or the system made it: anyone
// else's link could be turned to another folder between any two steps.
bool IsTrustedLink(const struct stat& link)
{
  return link.st_uid == ::geteuid() || link.st_uid == 0;
}

std::string ReadLinkText(int linkFd)
{
  std::array<char, PATH_MAX> text{};
  const ssize_t length = ::readlinkat(linkFd, "", text.data(), text.size());
  return length > 0 && size_t(length) < text.size() ? std::string(text.data(), size_t(length)) : std::string();
}

// The folder's names in reverse order, so the walk takes them from the back.
std::vector<std::string> NamesOf(const std::filesystem::path& path)
{
  std::vector<std::string> names;
  for (const auto& part : path.relative_path())
    if (!part.empty() && part != ".")
      names.push_back(part.string());
  return {names.rbegin(), names.rend()};
}

class FolderWalk {
public:
  FolderWalk(FileDescriptor start, std::filesystem::path shown) : m_Current(std::move(start)), m_Shown(std::move(shown)) {}

  // Follows the path from the start, one name at a time; an open folder, or the failure.
  OpenFolder Walk(const std::filesystem::path& path, WriteFailure& failure)
  {
    if (path.is_absolute())
      Restart();
    std::vector<std::string> pending = NamesOf(path);
    int links = 0;
    while (!pending.empty() && m_Current.IsOpen()) {
      const std::string name = pending.back();
      pending.pop_back();
      if (!Step(name, pending, links, failure))
        return {};
    }
    if (!m_Current.IsOpen())
      return Fail(failure, m_Shown, errno);
    // The last folder is opened for reading, so that it can be listed and flushed.
    FileDescriptor folder(::openat(m_Current.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.IsOpen())
      return Fail(failure, m_Shown, errno);
    return {std::move(folder), m_Shown};
  }

private:
  void Restart()
  {
    m_Current = FileDescriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    m_Shown = "/";
  }

  bool Step(const std::string& name, std::vector<std::string>& pending, int& links, WriteFailure& failure)
  {
    const std::filesystem::path shown = m_Shown / name;
    FileDescriptor next(::openat(m_Current.Get(), name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!next.IsOpen() || ::fstat(next.Get(), &st) != 0) {
      Fail(failure, shown, errno);
      return false;
    }
    if (S_ISDIR(st.st_mode)) {
      m_Current = std::move(next);
      m_Shown = name == ".." ? m_Shown.parent_path() : shown;
      return true;
    }
    if (!S_ISLNK(st.st_mode)) {
      failure = {shown, "this is a file, not a folder", true};
      return false;
    }
    if (!IsTrustedLink(st)) {
      failure = {shown, "this is another user's symbolic link: it is not written through", true};
      return false;
    }
    const std::string text = ReadLinkText(next.Get());
    if (text.empty() || ++links > kMaxLinks) {
      Fail(failure, shown, text.empty() ? errno : ELOOP);
      return false;
    }
    const std::filesystem::path target(text);
    if (target.is_absolute())
      Restart();
    for (const std::string& part : NamesOf(target))
      pending.push_back(part);
    return true;
  }

  static OpenFolder Fail(WriteFailure& failure, const std::filesystem::path& path, int error)
  {
    failure = {path, std::strerror(error != 0 ? error : EIO)};
    return {};
  }

  FileDescriptor m_Current;
  std::filesystem::path m_Shown;
};

OpenFolder OpenFolderAt(const OpenFolder& from, const std::filesystem::path& path, WriteFailure& failure)
{
  return FolderWalk(Duplicate(from.fd), from.path).Walk(path, failure);
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

OpenFolder OpenFolderPath(const std::filesystem::path& path, WriteFailure& failure)
{
  return FolderWalk(FileDescriptor(::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC)), path.is_absolute() ? "/" : "")
      .Walk(path, failure);
}

std::string NotAFileReason(mode_t mode)
{
  if (S_ISDIR(mode))
    return "a folder is in the way";
  if (S_ISFIFO(mode))
    return "a named pipe is in the way";
  if (S_ISSOCK(mode))
    return "a socket is in the way";
  return "a device is in the way";
}

Destination Refused(Destination destination, std::string reason)
{
  destination.refusal = {destination.Path(), std::move(reason), true};
  return destination;
}

Destination Failed(Destination destination, int error)
{
  destination.refusal = {destination.Path(), std::strerror(error)};
  return destination;
}

Destination ResolveName(OpenFolder folder, const std::string& name, WriteOrigin origin, int links);

// A link at the name: followed only for the user's own save through the user's own link.
Destination FollowLink(Destination at, WriteOrigin origin, int links)
{
  if (origin != WriteOrigin::kUser)
    return Refused(std::move(at), "this is a symbolic link: a file the program makes is never written through one");
  const FileDescriptor link(::openat(at.folder.fd.Get(), at.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  struct stat st {};
  if (!link.IsOpen() || ::fstat(link.Get(), &st) != 0 || !S_ISLNK(st.st_mode))
    return Refused(std::move(at), "the name changed while it was checked");
  if (st.st_uid != ::geteuid())
    return Refused(std::move(at), "this is another user's symbolic link: it is not written through");
  const std::filesystem::path text(ReadLinkText(link.Get()));
  if (text.empty() || !text.has_filename() || links >= kMaxLinks)
    return Refused(std::move(at), text.empty() ? std::strerror(errno) : "the links lead nowhere or round in a loop");
  WriteFailure failure;
  OpenFolder folder = OpenFolderAt(at.folder, text.parent_path(), failure);
  if (failure.IsSet()) {
    at.refusal = failure;
    return at;
  }
  return ResolveName(std::move(folder), text.filename().string(), origin, links + 1);
}

Destination ResolveName(OpenFolder folder, const std::string& name, WriteOrigin origin, int links)
{
  Destination destination;
  destination.folder = std::move(folder);
  destination.name = name;
  if (name.empty() || name == "." || name == "..")
    return Refused(std::move(destination), "no file name is given");
  if (::fstatat(destination.folder.fd.Get(), name.c_str(), &destination.existing, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? std::move(destination) : Failed(std::move(destination), errno);
  destination.exists = true;
  const mode_t mode = destination.existing.st_mode;
  if (S_ISREG(mode))
    return destination;
  if (S_ISLNK(mode))
    return FollowLink(std::move(destination), origin, links);
  return Refused(std::move(destination), NotAFileReason(mode));
}

bool IsStaleTemporary(const std::string& name, const struct stat& st, time_t now)
{
  return name.size() == kTemporaryNameLength && name.compare(0, 4, kTemporaryPrefix) == 0 &&
         st.st_uid == ::geteuid() && st.st_mtime + kStaleAfterSeconds < now;
}

void RemoveStaleTemporaries(const OpenFolder& folder)
{
  static std::set<std::string> swept;  // one thread writes files: no lock needed
  if (!swept.insert(folder.path.string()).second)
    return;
  const time_t now = std::time(nullptr);
  for (const std::string& name : NamesIn(folder.fd.Get())) {
    struct stat st {};
    if (::fstatat(folder.fd.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && IsStaleTemporary(name, st, now))
      RemoveTree(folder.fd.Get(), name);
  }
}

std::string RandomTemporaryName()
{
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string name = kTemporaryPrefix;
  for (size_t i = 0; i < kRandomLength; ++i)
    name += kLetters[pick(random)];
  return name;
}

// Tries new names until `make` succeeds or fails for another reason than a taken name.
template <typename Make>
bool MakeTemporary(const OpenFolder& folder, std::string& name, Make make)
{
  RemoveStaleTemporaries(folder);
  for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
    name = RandomTemporaryName();
    if (make(name))
      return true;
    if (errno != EEXIST)
      return false;
  }
  return false;
}

}  // namespace

Destination Resolve(const std::filesystem::path& path, WriteOrigin origin)
{
  WriteFailure failure;
  OpenFolder folder = OpenFolderOf(path, failure);
  if (failure.IsSet()) {
    Destination refused;
    refused.folder.path = FolderOf(path);
    refused.name = path.filename().string();
    refused.refusal = failure;
    return refused;
  }
  return ResolveName(std::move(folder), path.filename().string(), origin, 0);
}

Destination ResolveIn(const OpenFolder& folder, const std::string& name, WriteOrigin origin)
{
  return ResolveName({Duplicate(folder.fd), folder.path}, name, origin, 0);
}

OpenFolder OpenFolderOf(const std::filesystem::path& path, WriteFailure& failure)
{
  return OpenFolderPath(FolderOf(path), failure);
}

std::vector<std::string> NamesIn(int folderFd)
{
  std::vector<std::string> names;
  const int listed = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0)
    return names;
  const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(listed));
  if (!dir) {
    ::close(listed);
    return names;
  }
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..")
      names.push_back(name);
  }
  return names;
}

std::filesystem::path ResolveTarget(const std::filesystem::path& path, WriteOrigin origin)
{
  const Destination destination = Resolve(path, origin);
  return destination.refusal.taken ? std::filesystem::path() : destination.Path();
}

mode_t ModeFor(const Destination& destination)
{
  if (destination.exists && S_ISREG(destination.existing.st_mode) && destination.existing.st_uid == ::geteuid())
    return destination.existing.st_mode & 0777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

OpenFolder MakeOwnFolder(const std::filesystem::path& folder, WriteFailure& failure)
{
  failure = {};
  const OpenFolder parent = OpenFolderPath(FolderOf(folder), failure);
  if (failure.IsSet())
    return {};
  const std::string name = folder.filename().string();
  // Readable by the colleagues who may read the scan, writable only by the user.
  const bool created = ::mkdirat(parent.fd.Get(), name.c_str(), 0755) == 0;
  if (!created && errno != EEXIST) {
    Destination at;
    at.folder.path = parent.path;
    at.name = name;
    failure = FailureOf(at, errno);
    return {};
  }
  OpenFolder made{FileDescriptor(::openat(parent.fd.Get(), name.c_str(),
                                          O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)),
                  parent.path / name};
  struct stat st {};
  if (!made.fd.IsOpen() || ::fstat(made.fd.Get(), &st) != 0)
    failure = errno == ELOOP || errno == ENOTDIR ? WriteFailure{folder, "a link or a file is in the way of the folder", true}
                                                 : WriteFailure{folder, std::strerror(errno)};
  else if (st.st_uid != ::geteuid())
    failure = {folder, "the folder belongs to another user: the program prepares its files only in a folder of yours",
               true};
  else if (!created && (st.st_mode & (S_IWGRP | S_IWOTH)))
    failure = {folder,
               "others may write in the folder: the program prepares its files only in a folder only you can write",
               true};
  return failure.IsSet() ? OpenFolder{} : std::move(made);
}

WriteFailure MakeOwnFolder(const std::filesystem::path& folder)
{
  WriteFailure failure;
  (void)MakeOwnFolder(folder, failure);
  return failure;
}

std::filesystem::path FolderOf(const std::filesystem::path& path)
{
  const std::filesystem::path folder = path.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

int CreateTemporaryFile(const OpenFolder& folder, std::string& name)
{
  int fd = -1;
  MakeTemporary(folder, name, [&](const std::string& candidate) {
    fd = ::openat(folder.fd.Get(), candidate.c_str(), O_CREAT | O_EXCL | O_NOFOLLOW | O_WRONLY | O_CLOEXEC, 0600);
    return fd >= 0;
  });
  return fd;
}

FileDescriptor CreateTemporaryFolder(const OpenFolder& folder, std::string& name)
{
  if (!MakeTemporary(folder, name, [&](const std::string& candidate) {
        return ::mkdirat(folder.fd.Get(), candidate.c_str(), 0700) == 0;
      }))
    return {};
  return FileDescriptor(::openat(folder.fd.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

void RemoveTree(int folderFd, const std::string& name)
{
  if (::unlinkat(folderFd, name.c_str(), 0) == 0 || (errno != EISDIR && errno != EPERM))
    return;
  const FileDescriptor inside(::openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!inside.IsOpen())
    return;
  for (const std::string& entry : NamesIn(inside.Get()))
    RemoveTree(inside.Get(), entry);
  (void)::unlinkat(folderFd, name.c_str(), AT_REMOVEDIR);
}

WriteFailure FailureOf(const Destination& destination, int error)
{
  if (error == EACCES || error == EPERM)
    return {destination.folder.path, "the folder is read-only for you: no file can be written in it"};
  if (error == EROFS)
    return {destination.folder.path, "the folder lies on a read-only disk"};
  return {destination.Path(), std::strerror(error != 0 ? error : EIO)};
}

bool IsHiddenName(const std::string& name)
{
  return !name.empty() && name.front() == '.';
}

FileDescriptor Duplicate(const FileDescriptor& fd)
{
  return FileDescriptor(fd.IsOpen() ? ::fcntl(fd.Get(), F_DUPFD_CLOEXEC, 0) : -1);
}

}  // namespace writetarget
