#include "data/WriteTarget.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace writetarget {

namespace {

// As many links as the kernel itself follows before it gives up (ELOOP).
constexpr int kMaxLinks = 40;
constexpr const char* kTemporaryPrefix = ".sv-";
constexpr size_t kTemporaryNameLength = 10;  // the prefix and mkstemp's six characters
constexpr time_t kStaleAfterSeconds = 24 * 60 * 60;

// A folder where others may create names but not remove this user's: there a link may have
// been planted by anyone who can write the folder.
bool IsSharedSticky(const struct stat& folder)
{
  return (folder.st_mode & S_ISVTX) && (folder.st_mode & (S_IWGRP | S_IWOTH));
}

// The kernel's protected symlinks rule, with group-writable folders counted as shared too
// (lab shares are writable by a group): a link is followed when it belongs to the user,
// when its folder is not a shared sticky one, or when it belongs to the folder's owner.
bool MayFollow(const std::filesystem::path& link, const struct stat& linkStat)
{
  if (linkStat.st_uid == ::geteuid())
    return true;
  struct stat folder {};
  if (::stat(FolderOf(link).c_str(), &folder) != 0)
    return false;
  return !IsSharedSticky(folder) || folder.st_uid == linkStat.st_uid;
}

bool IsStaleTemporary(const std::string& name, const struct stat& st, time_t now)
{
  return name.size() == kTemporaryNameLength && name.compare(0, 4, kTemporaryPrefix) == 0 &&
         st.st_uid == ::geteuid() && st.st_mtime + kStaleAfterSeconds < now;
}

void RemoveStaleTemporaries(const std::filesystem::path& folder)
{
  static std::set<std::string> swept;  // one thread writes files: no lock needed
  if (!swept.insert(folder.string()).second)
    return;
  const time_t now = std::time(nullptr);
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    struct stat st {};
    const std::string name = it->path().filename().string();
    if (::lstat(it->path().c_str(), &st) != 0 || !IsStaleTemporary(name, st, now))
      continue;
    std::error_code ignored;
    std::filesystem::remove_all(it->path(), ignored);  // removes links, never what they name
  }
}

}  // namespace

std::filesystem::path ResolveTarget(const std::filesystem::path& path, WriteOrigin origin)
{
  std::filesystem::path current = path;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0)
      return errno == ENOENT ? current : std::filesystem::path();
    if (S_ISREG(st.st_mode))
      return current;
    if (!S_ISLNK(st.st_mode) || origin != WriteOrigin::kUser || !MayFollow(current, st))
      return {};
    std::error_code error;
    const std::filesystem::path next = std::filesystem::read_symlink(current, error);
    if (error)
      return {};
    current = next.is_absolute() ? next : FolderOf(current) / next;
  }
  return {};  // a loop
}

bool MakeRealFolder(const std::filesystem::path& folder)
{
  if (::mkdir(folder.c_str(), 0777) == 0)
    return true;
  if (errno != EEXIST)
    return false;
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0)
    return false;
  if (S_ISDIR(st.st_mode))
    return true;
  errno = EEXIST;
  return false;
}

std::filesystem::path FolderOf(const std::filesystem::path& path)
{
  const std::filesystem::path folder = path.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

std::string TemporaryPattern(const std::filesystem::path& folder)
{
  RemoveStaleTemporaries(folder);
  return (folder / (std::string(kTemporaryPrefix) + "XXXXXX")).string();
}

bool IsHiddenName(const std::string& name)
{
  return !name.empty() && name.front() == '.';
}

bool SyncToDisk(const std::filesystem::path& path)
{
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

}  // namespace writetarget
