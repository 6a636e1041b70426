#include "data/DataFileFolder.h"

#include "data/Diagnostics.h"

#include <system_error>

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
  const fs::path realFolder = fs::canonical(folder, error);
  const fs::path realData = error ? fs::path() : fs::weakly_canonical(data, error);
  if (error || !Below(realFolder, realData)) {
    diag::ReportFileFailure(dataPath.string(), "is a link out of the folder of its header " + headerPath +
                                                   "; a data file is read only from that folder or below it");
    return false;
  }
  return true;
}
