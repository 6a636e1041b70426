#include "data/FileApproval.h"

#include <sys/stat.h>

namespace approval {
namespace {
constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
}

bool IsApproved(const std::filesystem::path& file)
{
  struct stat st {};
  return ::stat(file.c_str(), &st) == 0 && (st.st_mode & kAnyWrite) == 0;
}

bool SetApproved(const std::filesystem::path& file, bool approved)
{
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0)
    return false;
  const mode_t mode = approved ? (st.st_mode & ~kAnyWrite) : (st.st_mode | S_IWUSR);
  return ::chmod(file.c_str(), mode & 07777) == 0;
}

bool MayOverwrite(const std::filesystem::path& file)
{
  std::error_code ec;
  return !std::filesystem::exists(file, ec) || !IsApproved(file);
}

}  // namespace approval
