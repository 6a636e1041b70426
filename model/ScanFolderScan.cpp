#include "model/ScanFolderScan.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace scanfolder {
namespace {

const std::vector<const char*> kScanExtensions = {
  ".img", ".raw", ".fds", ".vol", ".oct", ".dicom", ".scanparameters.dat", ".dcm",
  ".mhd", ".mha", ".hdr", ".nii.gz"};
const std::vector<const char*> kXmlExtensions = {".xml"};
const std::vector<const char*> kImageExtensions = {".tif", ".tiff", ".bmp", ".gif", ".jpg", ".jpeg", ".png"};
const std::vector<const char*> kLabelExtensions = {".mhd", ".mha", ".hdr", ".nii.gz"};

const std::vector<const char*>& Extensions(ResultKind kind)
{
  switch (kind) {
    case ResultKind::OCT: return kScanExtensions;
    case ResultKind::Proj:
    case ResultKind::Disc: return kImageExtensions;
    case ResultKind::Vessel:
    case ResultKind::SEAD: return kLabelExtensions;
    default: return kXmlExtensions;
  }
}

bool EndsWith(const std::string& text, const std::string& ending)
{
  return text.size() >= ending.size() && text.compare(text.size() - ending.size(), ending.size(), ending) == 0;
}

std::string Upper(std::string text)
{
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

constexpr const char* kLegacyGridCenter = "_GridCenter.xml";

}  // namespace

std::string FileName(const std::string& path)
{
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HasExtension(const std::string& path, const char* extension)
{
  const std::string ending(extension);
  if (path.size() < ending.size())
    return false;
  return std::equal(ending.begin(), ending.end(), path.end() - static_cast<std::ptrdiff_t>(ending.size()),
                    [](char e, char p) {
                      return std::tolower(static_cast<unsigned char>(e)) ==
                             std::tolower(static_cast<unsigned char>(p));
                    });
}

bool HasScanExtension(const std::string& path)
{
  return std::any_of(kScanExtensions.begin(), kScanExtensions.end(),
                     [&](const char* extension) { return HasExtension(path, extension); });
}

bool IsOfKind(ResultKind kind, const std::string& path)
{
  if (kind == ResultKind::Grid)
    return false;
  if (FileName(path).find(ResultKindFilePart(kind)) == std::string::npos)
    return false;
  const auto& extensions = Extensions(kind);
  return std::any_of(extensions.begin(), extensions.end(),
                     [&](const char* extension) { return HasExtension(path, extension); });
}

std::string CompanionPath(const std::string& path)
{
  static const std::pair<const char*, const char*> kCompanions[] = {
    {".raw", ".mhd"}, {".RAW", ".MHD"}, {".img", ".hdr"}, {".IMG", ".HDR"}};
  for (const auto& [data, header] : kCompanions)
    if (EndsWith(path, data))
      return path.substr(0, path.size() - 4) + header;
  return "";
}

std::string RenamedGridCenterPath(const std::string& path)
{
  if (!EndsWith(FileName(path), kLegacyGridCenter))
    return "";
  return path.substr(0, path.size() - 4) + "_Vamo.xml";
}

std::string Tag(ResultKind kind, const std::string& path)
{
  const std::string name = FileName(path);
  const std::string part = ResultKindFilePart(kind);
  const size_t at = part.empty() ? std::string::npos : name.find(part);
  if (at == std::string::npos)
    return name;
  const size_t start = at + part.size();
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot < start)
    return "";
  return name.substr(start, dot - start);
}

int PreselectedIndex(const std::vector<std::string>& tags)
{
  if (tags.empty())
    return -1;
  int selected = 0;
  for (size_t i = 0; i < tags.size(); ++i)
    if (tags[i] == "Vamo")
      selected = static_cast<int>(i);
  return selected;
}

std::string MeshCachePath(const std::string& path)
{
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of("/\\");
  const bool inName = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (inName ? path.substr(0, dot) : path) + ".vtk";
}

bool ListedBefore(const std::string& a, const std::string& b)
{
  const std::string ua = Upper(a), ub = Upper(b);
  return ua != ub ? ua < ub : a < b;
}

FolderContents SortFolder(std::vector<std::string> paths)
{
  std::sort(paths.begin(), paths.end(), ListedBefore);
  const std::set<std::string> present(paths.begin(), paths.end());
  FolderContents contents;
  for (const std::string& path : paths) {
    if (IsOfKind(ResultKind::OCT, path)) {
      const std::string companion = CompanionPath(path);
      contents.scanPath = !companion.empty() && present.count(companion) ? companion : path;
    }
    for (const ResultKind kind : {ResultKind::RefSurf, ResultKind::Surfaces, ResultKind::Proj, ResultKind::Disc,
                                  ResultKind::Vessel, ResultKind::SEAD, ResultKind::Markers, ResultKind::Splines})
      if (IsOfKind(kind, path))
        contents.lists[static_cast<int>(kind)].push_back(path);
    auto& gridCenters = contents.lists[static_cast<int>(ResultKind::GridCenter)];
    const std::string renamed = RenamedGridCenterPath(path);
    if (!renamed.empty()) {
      contents.renames.emplace_back(path, renamed);
      gridCenters.push_back(renamed);
    } else if (IsOfKind(ResultKind::GridCenter, path)) {
      gridCenters.push_back(path);
    }
  }
  return contents;
}

}  // namespace scanfolder
