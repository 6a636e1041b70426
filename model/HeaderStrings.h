#pragma once
// The header every result record the program creates carries: version, program name,
// program version and date, configuration, authors, institute, comment, modification date
// and time, modifier.
#include <array>
#include <string>

extern const std::array<std::string, 11> kHeaderStrings;
