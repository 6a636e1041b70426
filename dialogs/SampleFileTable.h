#pragma once
// The sample scans offered for download: every file the sample folder may hold, with its
// exact size in bytes. A downloaded or stored file counts as the sample only with that size.
#include <array>
#include <cstdint>
#include <string>

struct SampleFile {
  const char* name;
  uint64_t size;
};

extern const std::array<SampleFile, 9> SampleFileTable;

// The size the table gives for `name` (matched exactly, case-sensitively), 0 when the table
// does not list it.
uint64_t SampleFileSize(const std::string& name);
// True when the table lists `name` with exactly `size` bytes.
bool PassesSizeCheck(const std::string& name, uint64_t size);
