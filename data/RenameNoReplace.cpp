#include "data/RenameNoReplace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int RenameNoReplace(int folderFd, const std::string& from, const std::string& to)
{
  if (renameat2(folderFd, from.c_str(), folderFd, to.c_str(), RENAME_NOREPLACE) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS)
    return errno;
  // File systems without the flag: a hard link fails on an existing name just the same.
  if (linkat(folderFd, from.c_str(), folderFd, to.c_str(), 0) != 0)
    return errno;
  if (unlinkat(folderFd, from.c_str(), 0) != 0) {
    const int error = errno;
    unlinkat(folderFd, to.c_str(), 0);
    return error;
  }
  return 0;
}
