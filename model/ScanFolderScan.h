#pragma once
// The naming rules by which a scan folder's files are sorted into the scan and the lists of
// the result kinds, and the names derived from a file's name (its combo-box tag, its mesh
// cache, the new name of a grid-centre file of the older naming). Pure text rules: the
// folder itself is read and changed by the view.
#include "model/ResultKind.h"

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace scanfolder {

// The text after the last "/" (or "\", as stored paths may carry) of the path.
std::string FileName(const std::string& path);

// True when the path ends with the extension, letter case ignored.
bool HasExtension(const std::string& path, const char* extension);

// True when the path ends with one of the scan files' extensions, letter case ignored,
// whatever its name holds.
bool HasScanExtension(const std::string& path);

// True when the file is one of the kind's: its name holds the kind's part (letter case
// counts) and its path ends with one of the kind's extensions (letter case ignored). A file
// can be of several kinds, the scan included.
bool IsOfKind(ResultKind kind, const std::string& path);

// The header beside a scan's data file: ".raw" -> ".mhd", ".RAW" -> ".MHD", ".img" ->
// ".hdr", ".IMG" -> ".HDR"; "" for every other ending (mixed case included).
std::string CompanionPath(const std::string& path);

// The name a grid-centre file of the older naming ("p_GridCenter.xml") gets on disk
// ("p_GridCenter_Vamo.xml"); "" when the name does not end with "_GridCenter.xml".
std::string RenamedGridCenterPath(const std::string& path);

// What the kind's combo box shows for the file: the name after the first occurrence of the
// kind's part up to the last "." of the path, or the whole name when the part is missing.
std::string Tag(ResultKind kind, const std::string& path);

// The index of the last tag that is exactly "Vamo", else 0; -1 for no tags.
int PreselectedIndex(const std::vector<std::string>& tags);

// The mesh cache of a label file: its path up to its last "." followed by ".vtk".
std::string MeshCachePath(const std::string& path);

// The order in which a folder's files are taken: by their names with letters upper-cased,
// then as they are. The last scan candidate in this order becomes the scan.
bool ListedBefore(const std::string& a, const std::string& b);

// A folder's files sorted into what the loaders read.
struct FolderContents {
  std::string scanPath;                                   // "" when the folder has no scan
  std::array<std::vector<std::string>, kResultKindCount> lists;  // by ResultKind; OCT and Grid stay empty
  std::vector<std::pair<std::string, std::string>> renames;      // older grid-centre names: from, to
};

// Sorts the paths of a folder's files (every file of the folder, in any order) by the rules
// above. Grid-centre files of the older naming are listed under their new names; the caller
// renames them before anything is read.
FolderContents SortFolder(std::vector<std::string> paths);

}  // namespace scanfolder
