#include "app/DebugPrint.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

void DebugPrint(const char* format, ...)
{
  va_list args;
  va_start(args, format);
  va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (length >= 0) {
    std::vector<char> text(static_cast<size_t>(length) + 1);
    std::vsnprintf(text.data(), text.size(), format, args);
    std::fputs(text.data(), stderr);
    std::fflush(stderr);
  }
  va_end(args);
}
