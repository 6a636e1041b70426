#pragma once
// The folder where the program keeps the files it writes for the user (the downloaded sample
// scans): "strataview" in the user's data folder, $XDG_DATA_HOME or else ~/.local/share.
// Nothing is ever written beside the program, whose folder a user may not be able to write.
#include <string>

namespace platform {

std::string UserDataFolder();

}  // namespace platform
