#include "data/LSurfaces.h"

#include "data/BScanDepthRows.h"
#include "data/Diagnostics.h"
#include "data/SurfaceTable.h"
#include "data/XmlFile.h"
#include "data/XmlReadResult.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr const char* kRoot = "surfaces";

template <typename T>
T EntryOr(const std::vector<T>& values, int i, T fallback)
{
  return size_t(i) < values.size() ? values[size_t(i)] : fallback;
}

}  // namespace

void LSurfaces::Create(int sizeX, int sizeZ, int count, const std::vector<int32_t>& labels,
                       const std::vector<int32_t>& names, const std::vector<std::string>& instances,
                       const LResultHeader& resultHeader, const std::vector<std::string>& nameTexts)
{
  Free();
  surfaceSizeX = std::max(sizeX, 0);
  surfaceSizeZ = std::max(sizeZ, 0);
  surfaceCount = std::max(count, 0);
  points = UndefinedSurfacePoints(surfaceCount, GridSize());
  undefinedMask.assign(size_t(surfaceSizeZ) * size_t(surfaceSizeX), 0);
  for (int s = 0; s < surfaceCount; ++s) {
    labelIndex.push_back(EntryOr(labels, s, 0));
    nameIndex.push_back(EntryOr(names, s, 0));
    instance.push_back(EntryOr(instances, s, std::string("NA")));
    nameText.push_back(EntryOr(nameTexts, s, std::string()));
  }
  header = resultHeader;
  loaded = true;
}

void LSurfaces::Free()
{
  points.clear();
  undefinedMask.clear();
  labelIndex.clear();
  nameIndex.clear();
  instance.clear();
  nameText.clear();
  loaded = false;
}

int LSurfaces::ReadXml(const std::string& path, uint64_t largest)
{
  BScanDepthRows rows;
  return ReadResultXml(
      path, kRoot, header, [this, &rows](const tinyxml2::XMLElement& root) { return ReadBody(root, rows); }, largest, &rows);
}

int LSurfaces::ReadBody(const tinyxml2::XMLElement& root, const BScanDepthRows& rows)
{
  const SurfaceGridSize size = ReadSurfaceGridSize(root);
  const int count = xmlfile::ChildCount(&root, "surface_num");
  const uint64_t grid = uint64_t(size.x) * uint64_t(size.z);
  if (grid > kMaxResultPoints || grid * uint64_t(count) > kMaxResultPoints)
    return ResultTooLarge(kRoot);
  if (count > 0 && grid == 0) {
    diag::Error("No surface size in surfaces file");
    return kXmlLoadFailed;
  }

  // Read into a fresh record so that a failure leaves this one as it was.
  LSurfaces read;
  read.surfaceSizeX = size.x;
  read.surfaceSizeZ = size.z;
  read.surfaceCount = count;
  read.points = UndefinedSurfacePoints(count, size);
  xmlfile::ElementWalk surfaces(&root, "surface");
  for (int s = 0; s < count; ++s) {
    const tinyxml2::XMLElement* surface = surfaces.Next();
    const char* name = xmlfile::ChildText(surface, "name");
    const int row = SurfaceTable::RowForName(name, SurfaceTable::ShortNumbers::Match);
    read.labelIndex.push_back(row);
    read.nameIndex.push_back(row);
    read.nameText.push_back(name ? name : "");
    read.instance.push_back(xmlfile::ChildString(surface, "instance"));
    ReadSurfaceDepths(surface, size, &read.points[size_t(s) * grid], &rows);
  }
  read.SortByLabel();
  read.ReadUndefinedRegion(root);
  read.loaded = true;
  *this = std::move(read);
  return kXmlOk;
}

void LSurfaces::SortByLabel()
{
  if (std::is_sorted(labelIndex.begin(), labelIndex.end()))
    return;
  std::vector<int> order(static_cast<size_t>(surfaceCount));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [this](int a, int b) { return labelIndex[size_t(a)] < labelIndex[size_t(b)]; });
  const size_t grid = size_t(surfaceSizeX) * size_t(surfaceSizeZ);
  LSurfaces sorted;
  sorted.points.reserve(points.size());
  for (const int s : order) {
    const auto first = points.begin() + std::ptrdiff_t(size_t(s) * grid);
    sorted.points.insert(sorted.points.end(), first, first + std::ptrdiff_t(grid));
    sorted.labelIndex.push_back(labelIndex[size_t(s)]);
    sorted.nameIndex.push_back(nameIndex[size_t(s)]);
    sorted.instance.push_back(std::move(instance[size_t(s)]));
    sorted.nameText.push_back(std::move(nameText[size_t(s)]));
  }
  points = std::move(sorted.points);
  labelIndex = std::move(sorted.labelIndex);
  nameIndex = std::move(sorted.nameIndex);
  instance = std::move(sorted.instance);
  nameText = std::move(sorted.nameText);
}

void LSurfaces::ReadUndefinedRegion(const tinyxml2::XMLElement& root)
{
  undefinedMask.assign(size_t(surfaceSizeZ) * size_t(surfaceSizeX), 0);
  const tinyxml2::XMLElement* region = xmlfile::Child(&root, "undefined_region");
  for (const tinyxml2::XMLElement* ascan = xmlfile::Child(region, "ascan"); ascan;
       ascan = xmlfile::Next(ascan)) {
    if (!xmlfile::ChildText(ascan, "x") || !xmlfile::ChildText(ascan, "z"))
      continue;
    const int x = xmlfile::ChildInt(ascan, "x", 0);
    const int z = xmlfile::ChildInt(ascan, "z", 0);
    if (x >= 0 && x < surfaceSizeX && z >= 0 && z < surfaceSizeZ)
      undefinedMask[size_t(x) + size_t(z) * size_t(surfaceSizeX)] = 1;
  }
}

bool LSurfaces::IsConsistent() const
{
  const size_t grid = size_t(std::max(surfaceSizeX, 0)) * size_t(std::max(surfaceSizeZ, 0));
  const size_t count = size_t(std::max(surfaceCount, 0));
  return points.size() == grid * count && undefinedMask.size() == grid &&
         labelIndex.size() >= count && nameIndex.size() >= count && instance.size() >= count;
}

int LSurfaces::WriteXml(const std::string& path) const
{
  if (!IsConsistent()) {
    diag::Error("The surfaces record does not match its sizes");
    return -1;
  }
  return WriteResultXml(path, kRoot, header,
                        [this](XmlWriter& out) { WriteBody(out); });
}

void LSurfaces::WriteBody(XmlWriter& out) const
{
  out.Text("unit", "voxel");
  out.Open("surface_size");
  out.Int("x", surfaceSizeX);
  out.Int("z", surfaceSizeZ);
  out.Close();
  out.Int("surface_num", surfaceCount);
  const size_t grid = size_t(surfaceSizeX) * size_t(surfaceSizeZ);
  for (int s = 0; s < surfaceCount; ++s) {
    out.Open("surface");
    const std::string& kept = EntryOr(nameText, s, std::string());
    const int nameRow = nameIndex[size_t(s)];
    out.Text("label", SurfaceTable::At(labelIndex[size_t(s)]).labelCode);
    out.Text("name", nameRow == SurfaceTable::kUnknownRow && !kept.empty()
                         ? kept
                         : std::string(SurfaceTable::At(nameRow).name));
    out.Text("instance", instance[size_t(s)]);
    WriteSurfaceDepths(out, GridSize(), &points[size_t(s) * grid]);
    out.Close();
  }
  out.Open("undefined_region");
  for (int32_t z = 0; z < surfaceSizeZ; ++z)
    for (int32_t x = 0; x < surfaceSizeX; ++x)
      if (undefinedMask[size_t(x) + size_t(z) * size_t(surfaceSizeX)] == 1) {
        out.Open("ascan");
        out.Int("x", x);
        out.Int("z", z);
        out.Close();
      }
  out.Close();
}
