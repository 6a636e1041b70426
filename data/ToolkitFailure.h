#pragma once
// The toolkit's failures, reported as a file's failure.
#include <exception>
#include <string>

// Prints the failure of reading or writing `path`: the toolkit's own description when the
// toolkit threw, otherwise what the exception says.
void ReportToolkitFailure(const std::string& path, const std::exception& error);

// True when the failure is memory that could not be had (the toolkit's allocation error or
// the standard library's): not a fault of the file or the disk.
bool RanOutOfMemory(const std::exception& error);
