#pragma once
// The one sink for the diagnostic lines that readers and writers print.
// "Error: " and "Warning: " lines go to standard output and are flushed at once, so that
// they interleave correctly with anything else the process prints; a file that cannot be
// opened is reported on standard error with the system's reason.
#include <string>
#include <string_view>

namespace diag {

// Prints the text exactly as given (callers include the prefix and the newline).
void PrintLine(std::string_view text);

// Prints "Error: " + message + "\n".
void Error(std::string_view message);

// Prints "Warning: " + message + "\n".
void Warning(std::string_view message);

// Prints "<path>: <strerror(errorNumber)>\n" on standard error, as perror would.
void ReportOpenFailure(const std::string& path, int errorNumber);

// Prints "<path>: <reason>\n" on standard error, for a file that opened but cannot be read
// or parsed and whose reason comes from a library rather than from errno.
void ReportFileFailure(const std::string& path, std::string_view reason);

}  // namespace diag
