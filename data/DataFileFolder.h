#pragma once
// Where a header's data file may lie. A header that names its voxels' file (or whose data
// file is found beside it by name) could otherwise name any file the user can read: planted
// in a shared folder, it would show the user's private file as a scan, and the executables'
// copy of the scan would then write those bytes into the shared folder. Every file the suite
// and this program write lies in its header's folder or below it; nothing else is read.
#include <filesystem>
#include <string>

// True when `dataPath` lies in the folder of `headerPath` or below it, both as written (no
// ".." out of it, no absolute path elsewhere) and once every link on the way is followed (a
// link in the folder that points out of it is refused). Otherwise false, after a line on
// standard error naming the data file and why it is not read.
bool DataFileInHeaderFolder(const std::string& headerPath, const std::filesystem::path& dataPath);
