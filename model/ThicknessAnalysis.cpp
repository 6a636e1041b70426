#include "model/ThicknessAnalysis.h"

#include "data/AtomicFile.h"
#include "data/WriteTarget.h"
#include "data/LGrid.h"
#include "data/LGridCenter.h"
#include "data/LGridMap.h"
#include "data/LSurfaces.h"
#include "data/ReadBounds.h"
#include "data/ReadableFile.h"
#include "data/XmlReadResult.h"
#include "model/CSortStringArray.h"
#include "model/LoadMessages.h"
#include "model/ThicknessCsvRow.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const char* kNoGridCenterFile =
  "There is no 'Grid Center' xml file. Please select 'Image Center' for 'Grid Center'.";
const char* kCountsDiffer = "The number of 'Surfaces' xml files is not equal to that of 'GridCenter' xml files.";
const char* kNoOutputPath = "Please input an Output Path Name.";
const char* kOutputFileError = "File error: 'Thickness Analysis'";

std::string FileName(const std::string& path)
{
  return fs::path(path).filename().string();
}

CSortStringArray SortedFiles(const std::string& folder, const std::string& filter)
{
  CSortStringArray list;
  ListFilesRecursive(folder, filter, list);
  list.SortNatural();
  return list;
}

// The sector map of the grid around the centre, on the record's own A-scan plane.
void SetupGridMap(LGridMap& map, LGrid& grid, const LSurfaces& surfaces, int centerX, int centerZ)
{
  const LResultHeader& h = surfaces.header;
  map.SetSize(surfaces.surfaceSizeX, surfaces.surfaceSizeZ);
  map.SetSpacing(h.voxelSizeX, h.voxelSizeY, h.voxelSizeZ);
  map.SetCenter(centerX, centerZ);
  switch (grid.type) {
    case GridCircle:
      map.SetGridCircles(grid.circleCount, grid.circleLabels.data(), grid.radiusFrom.data(), grid.radiusTo.data(),
                         grid.angleFrom.data(), grid.angleTo.data());
      break;
    case GridEllipse:
      map.SetGridEllipses(grid.ellipseCount, grid.ellipseLabels.data(), grid.horizontalRadiusFrom.data(),
                          grid.horizontalRadiusTo.data(), grid.verticalRadiusFrom.data(),
                          grid.verticalRadiusTo.data(), grid.ellipseAngleFrom.data(), grid.ellipseAngleTo.data());
      break;
    case GridSquare:
      map.SetGridRectangles(grid.squareCount, grid.squareLabels.data(), grid.left.data(), grid.top.data(),
                            grid.right.data(), grid.bottom.data());
      break;
    case GridMultisquares:
      map.SetGridRectangleSets(grid.groupCount, grid.groupLabels.data(), grid.groupRegionCount.data(),
                               grid.groupRegionLabels.data(), grid.groupLeft.data(), grid.groupTop.data(),
                               grid.groupRight.data(), grid.groupBottom.data());
      break;
    default: return;
  }
  map.Compute();
}

class AnalysisRun {
public:
  explicit AnalysisRun(const ThicknessAnalysisRequest& request)
    : m_Request(request), m_HasGrid(request.gridName != kNoGridName),
      m_FromXml(m_HasGrid && request.gridCenterSource == GridCenterSource::Xml)
  {
  }

  ThicknessAnalysisResult Run()
  {
    ThicknessAnalysisResult result;
    result.message = Write(result.skipped);
    if (!result.message.empty())
      result.skipped.clear();
    return result;
  }

private:
  // The message that ends the run, or "" once the file is written.
  std::string Write(std::vector<std::string>& skipped)
  {
    const CSortStringArray surfaces = SortedFiles(m_Request.folder, m_Request.surfacesFilter);
    CSortStringArray centres;
    if (m_FromXml)
      centres = SortedFiles(m_Request.folder, m_Request.gridCenterFilter);
    if (m_FromXml && centres.IsEmpty())
      return kNoGridCenterFile;
    if (m_FromXml && centres.GetSize() != surfaces.GetSize())
      return kCountsDiffer;
    if (m_Request.outputPath.empty())
      return kNoOutputPath;
    if (m_HasGrid) {
      const int result = m_Grid.ReadXml((fs::path(m_Request.gridFolder) / m_Request.gridName).string());
      if (result != kXmlOk)
        return loadmessages::ForXmlResult(ResultKind::Grid, result);
    }
    AtomicFile out(m_Request.outputPath, writetarget::WriteOrigin::kUser);
    if (!out.IsOpen())
      return kOutputFileError;
    bool headerWritten = false;
    for (int i = 0; i < surfaces.GetSize(); ++i) {
      std::string line;
      const std::string centre = m_FromXml ? centres[i] : std::string();
      std::string unreadable;
      const std::string why = Row(!headerWritten, surfaces[i], centre, line, unreadable);
      if (!why.empty()) {
        skipped.push_back("'" + unreadable + "': " + why);
        continue;
      }
      headerWritten = true;
      out.Write(line);
    }
    return out.Commit() ? std::string() : kOutputFileError;
  }

  // There is no scan to bound a surfaces file by, so it is bounded by the grid it declares
  // itself: true with that bound, or false with why it cannot be read (a larger file is
  // refused unread, the row saying so), after the line naming the file.
  static bool SurfacesBound(const std::string& path, uint64_t& bound, std::string& why)
  {
    why = loadmessages::FileError(ResultKind::Surfaces);
    std::string head;
    if (!readable::ReadHead(path, readbounds::kResultHeaderBytes, head))
      return false;
    bound = readbounds::DeclaredSurfacesFileBytes(head);
    const readable::ReadableFile file = readable::Open(path, bound);
    if (file.IsOpen())
      return true;
    readable::ReportRefusal(path, file);
    why += ": " + file.refusal;
    return false;
  }

  // The line of one file (after the header line when `withHeader`), or why it has none, with
  // the file that could not be read.
  std::string Row(bool withHeader, const std::string& surfacesPath, const std::string& centrePath, std::string& line,
                  std::string& unreadable)
  {
    LSurfaces surfaces;
    unreadable = surfacesPath;
    uint64_t bound = 0;
    if (std::string why; !SurfacesBound(surfacesPath, bound, why))
      return why;
    int result = surfaces.ReadXml(surfacesPath, bound);
    if (result != kXmlOk)
      return loadmessages::ForXmlResult(ResultKind::Surfaces, result);
    ThicknessRowNames names;
    names.oct = StemBeforeFilter(surfacesPath, m_Request.surfacesFilter);
    names.surfaces = FileName(surfacesPath);
    names.grid = m_HasGrid ? m_Request.gridName : kNoGridName;
    if (m_FromXml) {
      LGridCenter centre;
      unreadable = centrePath;
      result = centre.ReadXml(centrePath);
      if (result != kXmlOk)
        return loadmessages::ForXmlResult(ResultKind::GridCenter, result);
      names.gridCenter = FileName(centrePath);
      names.centerX = centre.centerX;
      names.centerZ = centre.centerZ;
    } else {
      names.gridCenter = "Image_Center";
      names.centerX = surfaces.header.sizeX / 2;
      names.centerZ = surfaces.header.sizeZ / 2;
    }
    if (m_HasGrid)
      SetupGridMap(m_Map, m_Grid, surfaces, names.centerX, names.centerZ);
    if (withHeader) {
      m_Columns = ColumnsOf(surfaces, m_HasGrid ? &m_Grid : nullptr);
      line = ThicknessCsvHeader(m_Columns);
    }
    line += ThicknessCsvRow(surfaces, m_HasGrid ? m_Map.LabelImage() : nullptr, m_Columns, names);
    return {};
  }

  const ThicknessAnalysisRequest& m_Request;
  const bool m_HasGrid;
  const bool m_FromXml;
  LGrid m_Grid;
  LGridMap m_Map;
  ThicknessColumns m_Columns;
};

}  // namespace

void ListFilesRecursive(const std::string& folder, const std::string& filter, CSortStringArray& list)
{
  std::error_code ec;
  fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    // Hidden files and folders hold no results: a save's temporary left by a killed
    // process would otherwise match the filter.
    if (writetarget::IsHiddenName(it->path().filename().string())) {
      it.disable_recursion_pending();
      continue;
    }
    const std::string path = it->path().string();
    std::error_code typeError;
    if (path.find(filter) != std::string::npos && it->is_regular_file(typeError))
      list.Add(path);
  }
}

ThicknessAnalysisResult RunThicknessAnalysis(const ThicknessAnalysisRequest& request)
{
  return AnalysisRun(request).Run();
}

std::string SkippedFilesMessage(const std::vector<std::string>& skipped)
{
  std::string message = "These files could not be read; the CSV file has no row for them:";
  for (const std::string& line : skipped)
    message += "\n" + line;
  return message;
}
