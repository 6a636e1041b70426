#include "data/LRefSurface.h"

#include "data/BScanDepthRows.h"
#include "data/SurfaceGridXml.h"
#include "data/SurfaceTable.h"
#include "data/XmlFile.h"
#include "data/XmlReadResult.h"

#include <algorithm>

namespace {
constexpr const char* kRoot = "reference_surface";
}

void LRefSurface::Create(int sizeX, int sizeZ, int label, int name,
                         const std::string& instanceText, const LResultHeader& resultHeader)
{
  Free();
  surfaceSizeX = std::max(sizeX, 0);
  surfaceSizeZ = std::max(sizeZ, 0);
  points = UndefinedSurfacePoints(1, {surfaceSizeX, surfaceSizeZ});
  labelIndex = label;
  nameIndex = name;
  instance = instanceText;
  header = resultHeader;
  loaded = true;
}

void LRefSurface::Free()
{
  points.clear();
  loaded = false;
}

int LRefSurface::ReadXml(const std::string& path, uint64_t largest)
{
  BScanDepthRows rows;
  return ReadResultXml(
      path, kRoot, header, [this, &rows](const tinyxml2::XMLElement& root) { return ReadBody(root, rows); }, largest, &rows);
}

int LRefSurface::ReadBody(const tinyxml2::XMLElement& root, const BScanDepthRows& rows)
{
  const SurfaceGridSize size = ReadSurfaceGridSize(root);
  if (uint64_t(size.x) * uint64_t(size.z) > kMaxResultPoints)
    return ResultTooLarge(kRoot);

  LRefSurface read;
  read.surfaceSizeX = size.x;
  read.surfaceSizeZ = size.z;
  read.points = UndefinedSurfacePoints(1, size);
  const tinyxml2::XMLElement* surface = xmlfile::Child(&root, "surface");
  const int row = SurfaceTable::RowForName(xmlfile::ChildText(surface, "name"),
                                           SurfaceTable::ShortNumbers::Ignore);
  read.labelIndex = row;
  read.nameIndex = row;
  read.instance = xmlfile::ChildString(surface, "instance");
  ReadSurfaceDepths(surface, size, read.points.data(), &rows);
  read.loaded = true;
  *this = std::move(read);
  return kXmlOk;
}
