#include "data/DataFileFolder.h"

#include "data/Diagnostics.h"

#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Whether path is folder itself followed by at least one more name.
bool Below(const fs::path& folder, const fs::path& path)
{
  auto inPath = path.begin();
  for (const fs::path& name : folder) {
    if (name.empty())
      continue;  // a trailing separator
    if (inPath == path.end() || *inPath != name)
      return false;
    ++inPath;
  }
  return inPath != path.end();
}

// Whether the path, once every link on the way is followed, lies below the folder's own
// place (the folder followed through its links as well).
bool LeadsBelow(const fs::path& folder, const fs::path& path)
{
  std::error_code error;
  const fs::path realFolder = fs::canonical(folder, error);
  const fs::path realPath = error ? fs::path() : fs::weakly_canonical(path, error);
  return !error && Below(realFolder, realPath);
}

}  // namespace

bool DataFileInHeaderFolder(const std::string& headerPath, const fs::path& dataPath)
{
  std::error_code error;
  const fs::path header = fs::absolute(headerPath, error).lexically_normal();
  const fs::path folder = header.parent_path();
  const fs::path data = fs::absolute(dataPath, error).lexically_normal();
  if (error || !Below(folder, data)) {
    diag::ReportFileFailure(dataPath.string(), "lies outside the folder of its header " + headerPath +
                                                   "; a data file is read only from that folder or below it");
    return false;
  }
  if (!LeadsBelow(folder, data)) {
    diag::ReportFileFailure(dataPath.string(), "is a link out of the folder of its header " + headerPath +
                                                   "; a data file is read only from that folder or below it");
    return false;
  }
  return true;
}

bool ListedFileInFolder(const std::string& folder, const fs::path& path)
{
  std::error_code error;
  if (LeadsBelow(fs::absolute(folder, error).lexically_normal(), fs::absolute(path, error).lexically_normal()))
    return true;
  // The user's own link leads where the user made it lead.
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && link.st_uid == ::geteuid())
    return true;
  diag::ReportFileFailure(path.string(), "is a link out of the folder " + folder +
                                             " that is not yours; a file found in a folder is read only from that "
                                             "folder or below it, or through a link of your own");
  return false;
}
