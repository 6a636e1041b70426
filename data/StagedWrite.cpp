#include "data/StagedWrite.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {

bool SyncToDisk(const std::filesystem::path& file)
{
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

// A staged file may replace what lies at the destination only when that is a file (or
// nothing): renaming over a folder fails, and it must fail before anything has moved.
bool MayReplace(const std::filesystem::path& destination)
{
  struct stat st {};
  if (::lstat(destination.c_str(), &st) != 0)
    return errno == ENOENT;
  return !S_ISDIR(st.st_mode);
}

}  // namespace

StagedWrite::StagedWrite(std::filesystem::path target) : m_Target(std::move(target))
{
  std::filesystem::path folder = m_Target.parent_path();
  if (folder.empty())
    folder = ".";
  std::string pattern = (folder / ("." + m_Target.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  if (::mkdtemp(name.data()))
    m_Folder = name.data();
}

StagedWrite::~StagedWrite()
{
  std::error_code ignored;
  if (IsOpen())
    std::filesystem::remove_all(m_Folder, ignored);
}

bool StagedWrite::Commit()
{
  if (!IsOpen())
    return false;
  const std::filesystem::path destinationFolder = m_Target.parent_path();
  std::vector<std::filesystem::path> staged;
  std::error_code error;
  for (std::filesystem::directory_iterator it(m_Folder, error), end; !error && it != end;
       it.increment(error))
    staged.push_back(it->path());
  if (error)
    return false;
  // The target goes last: a reader looks for the data files through it.
  const auto target = std::find(staged.begin(), staged.end(), StagedPath());
  if (target == staged.end())
    return false;
  std::iter_swap(target, staged.end() - 1);

  for (const auto& file : staged)
    if (!std::filesystem::is_regular_file(file) || !SyncToDisk(file) ||
        !MayReplace(destinationFolder / file.filename()))
      return false;
  for (const auto& file : staged)
    if (::rename(file.c_str(), (destinationFolder / file.filename()).c_str()) != 0)
      return false;
  return true;
}
