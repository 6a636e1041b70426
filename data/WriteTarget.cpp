#include "data/WriteTarget.h"

#include <fcntl.h>
#include <unistd.h>

namespace writetarget {

namespace {
// As many links as the kernel itself follows before it gives up (ELOOP).
constexpr int kMaxLinks = 40;
}  // namespace

std::filesystem::path FollowLinks(const std::filesystem::path& path)
{
  std::filesystem::path current = path;
  for (int hop = 0; hop < kMaxLinks; ++hop) {
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error)))
      return current;
    const std::filesystem::path next = std::filesystem::read_symlink(current, error);
    if (error)
      return current;
    current = next.is_absolute() ? next : FolderOf(current) / next;
  }
  return current;  // a loop: writing to it fails like opening it does
}

std::filesystem::path FolderOf(const std::filesystem::path& path)
{
  const std::filesystem::path folder = path.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

std::string TemporaryPattern(const std::filesystem::path& folder)
{
  return (folder / ".sv-XXXXXX").string();
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
