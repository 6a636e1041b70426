#include "model/SavePaths.h"

#include <algorithm>
#include <cctype>

namespace savepaths {

namespace {

constexpr const char* kHeaderEnding = ".mhd";
constexpr size_t kHeaderEndingSize = 4;

size_t FileNameStart(const std::string& path)
{
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? 0 : slash + 1;
}

// ".mhd" in any letter case: "x.MHD" is a header already.
bool EndsWithHeader(const std::string& path)
{
  if (path.size() <= kHeaderEndingSize)
    return false;
  return std::equal(kHeaderEnding, kHeaderEnding + kHeaderEndingSize, path.end() - kHeaderEndingSize,
                    [](char ending, char c) { return ending == std::tolower(static_cast<unsigned char>(c)); });
}

}  // namespace

std::string Stem(const std::string& scanPath)
{
  const size_t name = FileNameStart(scanPath);
  const size_t oct = scanPath.find("_OCT", name);
  if (oct != std::string::npos)
    return scanPath.substr(0, oct);
  // Only a dot of the file name ends the stem: a dotted folder name must not move the
  // results into its parent folder.
  const size_t dot = scanPath.find_last_of('.');
  return dot != std::string::npos && dot >= name ? scanPath.substr(0, dot) : scanPath;
}

std::string ProposedPath(ResultKind kind, const std::string& scanPath)
{
  const char* ending = "";
  switch (kind) {
  case ResultKind::GridCenter: ending = "_GridCenter_Temp.xml"; break;
  case ResultKind::Vessel: ending = "_Vessel_Temp.mhd"; break;
  case ResultKind::SEAD: ending = "_SEAD_Temp.mhd"; break;
  case ResultKind::Markers: ending = "_Markers_Temp.xml"; break;
  case ResultKind::Splines: ending = "_Splines_Temp.xml"; break;
  default: return "";
  }
  return Stem(scanPath) + ending;
}

std::string LabelHeaderPath(const std::string& path)
{
  return EndsWithHeader(path) ? path : path + kHeaderEnding;
}

std::string LabelDataPath(const std::string& headerPath)
{
  return headerPath.substr(0, headerPath.size() - kHeaderEndingSize) + ".raw";
}

std::vector<std::string> EditedFiles(ResultKind kind, const std::string& path)
{
  if ((kind == ResultKind::Vessel || kind == ResultKind::SEAD) && EndsWithHeader(path))
    return {path, LabelDataPath(path)};
  return {path};
}

}  // namespace savepaths
