#pragma once
// The names the save dialog proposes for a scan's results, and the files written beside a
// label volume.
#include "model/ResultKind.h"

#include <string>
#include <vector>

namespace savepaths {

// The scan path before its "_OCT" part when the file name holds one, else the path without
// the file name's extension (the whole path when the name has none).
std::string Stem(const std::string& scanPath);

// stem + "_GridCenter_Temp.xml", "_Vessel_Temp.mhd", "_SEAD_Temp.mhd",
// "_Markers_Temp.xml" or "_Splines_Temp.xml"; "" for the other kinds.
std::string ProposedPath(ResultKind kind, const std::string& scanPath);

// A label volume is written as a MetaImage header with its data file beside it: a path
// that does not end in ".mhd" (in any letter case) gets that ending, so the data and mesh
// names derive from it.
std::string LabelHeaderPath(const std::string& path);
// The header's data file: its path with ".mhd" replaced by ".raw".
std::string LabelDataPath(const std::string& headerPath);

// The files a save of the kind to the path overwrites with the user's edits: the path, and
// for a label volume's ".mhd" header its data file as well. (A label's mesh cache is the
// program's own, made again from the labels whenever it is older.)
std::vector<std::string> EditedFiles(ResultKind kind, const std::string& path);

}  // namespace savepaths
