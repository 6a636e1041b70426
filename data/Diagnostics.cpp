#include "data/Diagnostics.h"

#include <cstdio>
#include <cstring>

namespace diag {

void PrintLine(std::string_view text)
{
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void Error(std::string_view message)
{
  std::string line = "Error: ";
  line.append(message);
  line.push_back('\n');
  PrintLine(line);
}

void Warning(std::string_view message)
{
  std::string line = "Warning: ";
  line.append(message);
  line.push_back('\n');
  PrintLine(line);
}

void ReportOpenFailure(const std::string& path, int errorNumber)
{
  std::fprintf(stderr, "%s: %s\n", path.c_str(), std::strerror(errorNumber));
  std::fflush(stderr);
}

}  // namespace diag
