#pragma once
// The batch thickness analysis: every surfaces file below a folder, in natural order, gives
// one row of a CSV file (see ThicknessCsvRow.h), over all A-scans or per sector of a grid
// definition centred at each scan's grid centre or at its image centre.
#include <string>
#include <vector>

class CSortStringArray;

enum class GridCenterSource : int { Xml = 0, ImageCenter = 1 };

struct ThicknessAnalysisRequest {
  std::string folder;             // searched with its sub-folders
  std::string gridFolder;         // the folder of the grid definitions
  std::string gridName;           // a file of gridFolder, or "None" for no grid
  GridCenterSource gridCenterSource = GridCenterSource::ImageCenter;
  std::string surfacesFilter;     // text a surfaces file's path contains
  std::string gridCenterFilter;   // text a grid-centre file's path contains
  std::string outputPath;
};

inline const char* kNoGridName = "None";

// Appends every file below the folder whose full path contains the filter (case-sensitive).
// Folder links are not followed and unreadable folders are skipped.
void ListFilesRecursive(const std::string& folder, const std::string& filter, CSortStringArray& list);

struct ThicknessAnalysisResult {
  std::string message;               // what ended the run; "" when it reached its end
  std::vector<std::string> skipped;  // "'path': why", for each file that could not be read
};

// Runs the analysis and writes the CSV file. A surfaces or grid-centre file that cannot be
// read gets no row and is listed as skipped; the run goes on with the others. The CSV file
// is replaced only by a run that reached its end; a failed run keeps the file that was there.
ThicknessAnalysisResult RunThicknessAnalysis(const ThicknessAnalysisRequest& request);

// The message that names the skipped files of a run.
std::string SkippedFilesMessage(const std::vector<std::string>& skipped);
