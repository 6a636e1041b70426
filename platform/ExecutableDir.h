#pragma once
// The folder of the running program, where "Grid", "Executables.xml", "Help.pdf" and
// "Sample" are found. Tests set it to a folder of their own.
#include <string>

namespace platform {

std::string ExecutableDir();
void SetExecutableDirForTests(const std::string& folder);

}  // namespace platform
