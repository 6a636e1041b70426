#include "data/RenameNoReplace.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

int RenameNoReplace(const std::string& from, const std::string& to)
{
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return 0;
  if (errno != EINVAL && errno != ENOSYS)
    return errno;
  // File systems without the flag: a hard link fails on an existing name just the same.
  if (link(from.c_str(), to.c_str()) != 0)
    return errno;
  if (unlink(from.c_str()) != 0) {
    const int error = errno;
    unlink(to.c_str());
    return error;
  }
  return 0;
}
