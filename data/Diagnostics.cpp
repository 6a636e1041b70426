#include "data/Diagnostics.h"

#include <cstdio>
#include <cstring>

namespace diag {

// Hands a line to every collector alive.
void Keep(std::string_view line);

namespace {

ScopedReasons*& Innermost()
{
  static ScopedReasons* innermost = nullptr;
  return innermost;
}

// A reader that prints without end must not fill the memory of whoever collects its reasons.
constexpr size_t kKeptBytes = 64 * 1024;

void WriteErrorLine(std::string_view line)
{
  Keep(line);
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

void Keep(std::string_view line)
{
  for (ScopedReasons* reasons = Innermost(); reasons; reasons = reasons->m_Outer)
    if (reasons->m_Text.size() < kKeptBytes)
      reasons->m_Text.append(line);
}

ScopedReasons::ScopedReasons() : m_Outer(Innermost())
{
  Innermost() = this;
}

ScopedReasons::~ScopedReasons()
{
  Innermost() = m_Outer;
}

void PrintLine(std::string_view text)
{
  // A helper's lines come through here one at a time, so each is looked at on its own.
  if (text.substr(0, 7) == "Error: ")
    Keep(text);
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
  WriteErrorLine(line);
}

void RelayErrorLine(std::string_view line)
{
  WriteErrorLine(line);
}

}  // namespace diag
