#pragma once
// Renames a file within a folder held open, without ever replacing another: a plain rename()
// would silently destroy a file that already has the new name, and a rename by path could be
// sent into another folder by a folder of the path swapped for a link.
#include <string>

// 0, or the errno of the failure (EEXIST when the new name is taken). Both names are names
// in the folder `folderFd`.
int RenameNoReplace(int folderFd, const std::string& from, const std::string& to);
