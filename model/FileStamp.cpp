#include "model/FileStamp.h"

#include <sys/stat.h>

FileStamp::Seen FileStamp::Look(const std::string& path)
{
  Seen seen;
  seen.path = path;
  struct stat status {};
  // A link of the user's own is saved through, so the file it names is the one that counts.
  if (::stat(path.c_str(), &status) != 0)
    return seen;
  seen.present = true;
  seen.size = static_cast<uint64_t>(status.st_size);
  seen.modifiedNs = int64_t(status.st_mtim.tv_sec) * 1000000000 + int64_t(status.st_mtim.tv_nsec);
  return seen;
}

FileStamp FileStamp::Take(const std::vector<std::string>& paths)
{
  FileStamp stamp;
  for (const std::string& path : paths)
    stamp.m_Files.push_back(Look(path));
  return stamp;
}

std::string FileStamp::FirstChanged() const
{
  for (const Seen& then : m_Files) {
    const Seen now = Look(then.path);
    if (now.present && (!then.present || now.size != then.size || now.modifiedNs != then.modifiedNs))
      return then.path;
  }
  return "";
}
