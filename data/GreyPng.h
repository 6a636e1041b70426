#pragma once
// An 8-bit grey image written as a PNG file, safely: the old file stays until the new one
// is whole.
#include <cstdint>
#include <string>
#include <vector>

// grey: width * height values, row 0 at the top. 0, or -1 when nothing was written.
[[nodiscard]] int WriteGreyPng(const std::string& path, const std::vector<uint8_t>& grey, int width, int height);
