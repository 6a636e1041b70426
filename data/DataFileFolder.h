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

// The same rule for a file found by listing a folder the user chose: true when the file, once
// every link on the way is followed, lies in the folder or below it, or when the listed name
// is a link of the user's own (the user made it lead there); otherwise false, after a line on
// standard error naming the file and why it is not read. The folder itself may be reached
// through a link: the user named it.
bool ListedFileInFolder(const std::string& folder, const std::filesystem::path& path);
