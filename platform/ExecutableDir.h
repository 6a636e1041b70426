#pragma once
// The folder of the running program's file, links followed (a link in /usr/bin to the
// installed program names the folder it lies in), where the program reads "Grid",
// "Executables.xml", "Help.pdf" and its helpers. Tests set it to a folder of their own.
#include <string>

namespace platform {

std::string ExecutableDir();
void SetExecutableDirForTests(const std::string& folder);

}  // namespace platform
