#include "app/ExportNames.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

size_t FileNameStart(const std::string& path)
{
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

bool EndsWithNiiGz(const std::string& path)
{
  static const std::string kNiiGz = ".nii.gz";
  if (path.size() < kNiiGz.size())
    return false;
  return std::equal(kNiiGz.begin(), kNiiGz.end(), path.end() - static_cast<long>(kNiiGz.size()),
                    [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

std::string ExportStem(const std::string& scanPath)
{
  const size_t oct = scanPath.find("_OCT", FileNameStart(scanPath));
  if (oct != std::string::npos)
    return scanPath.substr(0, oct);
  const size_t dot = scanPath.find_last_of('.');
  return dot == std::string::npos || dot < FileNameStart(scanPath) ? scanPath : scanPath.substr(0, dot);
}

std::string ExportFolderStem(const std::string& scanPath)
{
  if (scanPath.find("_OCT", FileNameStart(scanPath)) == std::string::npos && EndsWithNiiGz(scanPath))
    return scanPath.substr(0, scanPath.size() - 7);
  return ExportStem(scanPath);
}

std::string PaneImageName(const std::string& stem, const std::string& tag, int index)
{
  std::string name = stem + "_Image_" + tag;
  if (index >= 0) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "_%04d", index);
    name += digits;
  }
  return name + ".tif";
}
