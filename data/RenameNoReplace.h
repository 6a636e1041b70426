#pragma once
// Renames a file without ever replacing another: a plain rename() would silently destroy a
// file that already has the new name.
#include <string>

// 0, or the errno of the failure (EEXIST when the new name is taken).
int RenameNoReplace(const std::string& from, const std::string& to);
