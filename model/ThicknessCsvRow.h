#pragma once
// The lines of the batch thickness CSV file: the header line named after the first surfaces
// file and the grid, and one row per surfaces file with its scan description and the mean and
// standard deviation of every layer, over all A-scans or per grid sector, in micrometres.
// The layer thickness follows the projection pane's rule (CellThickness, SectorStatistics),
// so that the file and the pane always agree.
#include <cstdint>
#include <string>
#include <vector>

class LGrid;
class LSurfaces;

// The thickness columns: one layer per pair of consecutive surfaces of the first file, and the
// grid's region labels (none without a grid). A file's surfaces are found by their surface
// table rows when the first file's rows tell them apart; when it holds names the table does
// not know, or one row twice, the rows say nothing about which surface is which, and every
// file's layer s is its own pair of surfaces s and s + 1.
struct ThicknessColumns {
  struct Layer {
    int upperRow = 0;
    int lowerRow = 0;
    std::string upperTag;  // "label.abbreviation" of the column names
    std::string lowerTag;
  };
  std::vector<Layer> layers;
  bool byPosition = false;
  bool hasGrid = false;
  std::vector<std::string> regionLabels;

  int RegionCount() const { return hasGrid ? static_cast<int>(regionLabels.size()) : 1; }
};

// The columns of a run whose first file is the given one; grid null for none.
ThicknessColumns ColumnsOf(const LSurfaces& first, const LGrid* grid);

// The whole header line with its "\n".
std::string ThicknessCsvHeader(const ThicknessColumns& columns);

// What a row names besides its surfaces file's figures.
struct ThicknessRowNames {
  std::string oct;             // the file name up to the surfaces filter
  std::string surfaces;        // the surfaces file's name
  std::string grid;            // the grid name, "None" for none
  std::string gridCenter;      // the grid-centre file's name or "Image_Center"; unused without a grid
  int centerX = 0;
  int centerZ = 0;
};

// The row of one surfaces file with its "\n". sectorLabels: one per A-scan of the record
// (x + X * z), sector k + 1 for region k; null without a grid. A layer whose two surfaces the
// file does not hold gets "NA" figures, so every row lines up with the header.
std::string ThicknessCsvRow(const LSurfaces& surfaces, const uint16_t* sectorLabels,
                            const ThicknessColumns& columns, const ThicknessRowNames& names);

// The text as one CSV field: quoted, with doubled quotes, only when it holds a comma, a quote
// or a line break.
std::string CsvField(const std::string& text);

// The name of the file at the path (after the last "/") up to the first occurrence of the
// filter; the whole name when the filter is empty or not in it.
std::string StemBeforeFilter(const std::string& path, const std::string& filter);
