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
  ReportFileFailure(path, std::strerror(errorNumber));
}

void ReportFileFailure(const std::string& path, std::string_view reason)
{
  std::string line = path;
  line.append(": ");
  line.append(reason);
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace diag
