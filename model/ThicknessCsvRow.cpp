#include "model/ThicknessCsvRow.h"

#include "data/CellThickness.h"
#include "data/LGrid.h"
#include "data/LSurfaces.h"
#include "data/NumberText.h"
#include "data/SectorStatistics.h"
#include "data/SurfaceTable.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace {

const char* kFixedHeader =
  "OCT,Laterality,OCTCenterType,OCTSizeX_voxel,OCTSizeY_voxel,OCTSizeZ_voxel,VoxelSizeX_um,"
  "VoxelSizeY_um,VoxelSizeZ_um,PhysicalSizeX_mm,PhysicalSizeY_mm,PhysicalSizeZ_mm,UndefinedRegion_%,"
  "Grid,GridCenter,GridCenterX_pixel,GridCenterZ_pixel,Surfaces,";

// "label.abbreviation" of surface s: the abbreviation is the text between the first "(" and
// the first ")" of its table row's name, or the whole name without "(". A name the table does
// not know stands as the file gave it, so that its columns can be told apart.
std::string SurfaceTag(const LSurfaces& surfaces, int s)
{
  const size_t i = static_cast<size_t>(s);
  const int row = surfaces.labelIndex[i];
  const SurfaceTable::Row& r = SurfaceTable::At(row);
  const std::string given = i < surfaces.nameText.size() ? surfaces.nameText[i] : std::string();
  if (row == SurfaceTable::kUnknownRow && !given.empty())
    return std::string(r.labelCode) + "." + given;
  const std::string_view name = r.name;
  std::string_view abbreviation = name;
  const size_t open = name.find('(');
  if (open != std::string_view::npos) {
    abbreviation = name.substr(open + 1);
    abbreviation = abbreviation.substr(0, abbreviation.find(')'));
  }
  return std::string(r.labelCode) + "." + std::string(abbreviation);
}

void AppendThicknessNames(std::string& out, const char* figure, const ThicknessColumns& columns)
{
  for (const ThicknessColumns::Layer& layer : columns.layers) {
    const std::string pair = std::string(figure) + "Thickness_" + layer.upperTag + "_To_" + layer.lowerTag;
    if (!columns.hasGrid) {
      out += CsvField(pair + "_um") + ",";
      continue;
    }
    for (const std::string& label : columns.regionLabels)
      out += CsvField(pair + "_Region" + label + "_um") + ",";
  }
}

const char* LateralityText(Laterality laterality)
{
  switch (laterality) {
    case LateralityOD: return "OD";
    case LateralityOS: return "OS";
    default: return "NA";
  }
}

const char* CenterTypeText(CenterType type)
{
  switch (type) {
    case CenterMacula: return "Macula";
    case CenterONH: return "ONH";
    default: return "NA";
  }
}

void AppendFixed(std::string& out, float value, int decimals)
{
  numtext::AppendFixed(out, static_cast<double>(value), decimals);
  out += ",";
}

void AppendInt(std::string& out, long long value)
{
  numtext::AppendInt(out, value);
  out += ",";
}

void AppendDescription(std::string& out, const LSurfaces& surfaces)
{
  const LResultHeader& h = surfaces.header;
  out += LateralityText(h.laterality);
  out += ",";
  out += CenterTypeText(h.centerType);
  out += ",";
  for (const int32_t size : {h.sizeX, h.sizeY, h.sizeZ})
    AppendInt(out, size);
  for (const float voxel : {h.voxelSizeX, h.voxelSizeY, h.voxelSizeZ})
    AppendFixed(out, voxel * 1000.0f, 3);
  AppendFixed(out, static_cast<float>(h.sizeX) * h.voxelSizeX, 3);
  AppendFixed(out, static_cast<float>(h.sizeY) * h.voxelSizeY, 3);
  AppendFixed(out, static_cast<float>(h.sizeZ) * h.voxelSizeZ, 3);
}

void AppendUndefinedRegion(std::string& out, const LSurfaces& surfaces)
{
  const size_t cells = surfaces.undefinedMask.size();
  if (cells == 0) {
    out += "NA,";
    return;
  }
  size_t undefined = 0;
  for (const uint8_t m : surfaces.undefinedMask)
    undefined += m == 1 ? 1 : 0;
  numtext::AppendFixed(out, 100.0 * static_cast<double>(undefined) / static_cast<double>(cells), 2);
  out += ",";
}

void AppendGridCenter(std::string& out, const ThicknessColumns& columns, const ThicknessRowNames& names)
{
  if (!columns.hasGrid) {
    out += "NA,NA,NA,";
    return;
  }
  out += CsvField(names.gridCenter) + ",";
  AppendInt(out, names.centerX);
  AppendInt(out, names.centerZ);
}

// True when every surface of the record has a known table row of its own.
bool RowsAreDistinct(const LSurfaces& surfaces)
{
  std::vector<int32_t> rows(surfaces.labelIndex.begin(), surfaces.labelIndex.begin() + surfaces.surfaceCount);
  std::sort(rows.begin(), rows.end());
  return std::find(rows.begin(), rows.end(), SurfaceTable::kUnknownRow) == rows.end() &&
         std::adjacent_find(rows.begin(), rows.end()) == rows.end();
}

// The surface of the record on the table row, or -1.
int SurfaceOnRow(const LSurfaces& surfaces, int row)
{
  for (int s = 0; s < surfaces.surfaceCount; ++s)
    if (surfaces.labelIndex[static_cast<size_t>(s)] == row)
      return s;
  return -1;
}

// The record's surfaces of layer i, -1 for one it does not hold. A record whose own rows
// cannot tell its surfaces apart is taken by position as well.
std::pair<int, int> LayerSurfaces(const LSurfaces& surfaces, const ThicknessColumns& columns, size_t i)
{
  if (columns.byPosition || !RowsAreDistinct(surfaces)) {
    const int upper = static_cast<int>(i);
    return upper + 1 < surfaces.surfaceCount ? std::make_pair(upper, upper + 1) : std::make_pair(-1, -1);
  }
  const ThicknessColumns::Layer& layer = columns.layers[i];
  return {SurfaceOnRow(surfaces, layer.upperRow), SurfaceOnRow(surfaces, layer.lowerRow)};
}

// Means and deviations in millimetres of one layer per region; kNoThickness throughout when
// the record lacks either surface.
void LayerStatistics(const LSurfaces& surfaces, const uint16_t* sectorLabels, std::pair<int, int> layer,
                     int regionCount, float* means, float* sds)
{
  for (int r = 0; r < regionCount; ++r)
    means[r] = sds[r] = kNoThickness;
  const auto [upper, lower] = layer;
  if (upper < 0 || lower < 0)
    return;
  const size_t cells = surfaces.undefinedMask.size();
  std::vector<float> thickness(cells);
  const Point3i* upperPoints = surfaces.points.data() + cells * static_cast<size_t>(upper);
  const Point3i* lowerPoints = surfaces.points.data() + cells * static_cast<size_t>(lower);
  for (size_t i = 0; i < cells; ++i)
    thickness[i] = CellThickness(upperPoints[i].y, lowerPoints[i].y, surfaces.undefinedMask[i],
                                 surfaces.header.voxelSizeY);
  std::vector<uint16_t> everyCell;
  if (!sectorLabels) {
    everyCell.assign(cells, 1);
    sectorLabels = everyCell.data();
  }
  ComputeSectorStatistics(sectorLabels, thickness.data(), cells, regionCount, means, sds);
}

void AppendFigures(std::string& out, const std::vector<float>& figures)
{
  for (const float mm : figures) {
    if (mm == kNoThickness)
      out += "NA,";
    else
      AppendFixed(out, mm * 1000.0f, 2);
  }
}

}  // namespace

ThicknessColumns ColumnsOf(const LSurfaces& first, const LGrid* grid)
{
  ThicknessColumns columns;
  for (int s = 0; s + 1 < first.surfaceCount; ++s)
    columns.layers.push_back({first.labelIndex[static_cast<size_t>(s)], first.labelIndex[static_cast<size_t>(s) + 1],
                              SurfaceTag(first, s), SurfaceTag(first, s + 1)});
  columns.byPosition = !RowsAreDistinct(first);
  if (grid) {
    columns.hasGrid = true;
    const std::string* labels = grid->GetRegionLabels();
    for (int r = 0; labels && r < grid->GetRegionCount(); ++r)
      columns.regionLabels.push_back(labels[r]);
  }
  return columns;
}

std::string ThicknessCsvHeader(const ThicknessColumns& columns)
{
  std::string out = kFixedHeader;
  AppendThicknessNames(out, "Mean", columns);
  AppendThicknessNames(out, "SD", columns);
  out += "\n";
  return out;
}

std::string ThicknessCsvRow(const LSurfaces& surfaces, const uint16_t* sectorLabels,
                            const ThicknessColumns& columns, const ThicknessRowNames& names)
{
  std::string out = CsvField(names.oct) + ",";
  AppendDescription(out, surfaces);
  AppendUndefinedRegion(out, surfaces);
  out += CsvField(names.grid) + ",";
  AppendGridCenter(out, columns, names);
  out += CsvField(names.surfaces) + ",";

  const int regions = columns.RegionCount();
  std::vector<float> means, sds;
  for (size_t i = 0; i < columns.layers.size(); ++i) {
    std::vector<float> layerMeans(static_cast<size_t>(regions)), layerSds(static_cast<size_t>(regions));
    // A grid whose sector map could not be built counts no A-scan.
    if (regions > 0 && (!columns.hasGrid || sectorLabels))
      LayerStatistics(surfaces, columns.hasGrid ? sectorLabels : nullptr, LayerSurfaces(surfaces, columns, i),
                      regions, layerMeans.data(), layerSds.data());
    means.insert(means.end(), layerMeans.begin(), layerMeans.end());
    sds.insert(sds.end(), layerSds.begin(), layerSds.end());
  }
  AppendFigures(out, means);
  AppendFigures(out, sds);
  out += "\n";
  return out;
}

std::string CsvField(const std::string& text)
{
  if (text.find_first_of(",\"\r\n") == std::string::npos)
    return text;
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"')
      quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string StemBeforeFilter(const std::string& path, const std::string& filter)
{
  const size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return filter.empty() ? name : name.substr(0, name.find(filter));
}
