#include "data/NumberText.h"

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <vector>

namespace numtext {
namespace {

locale_t CLocale()
{
  // Created once and kept for the life of the process.
  static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return c;
}

// Switches this thread to the "C" locale for the guard's lifetime.
class ScopedCLocale {
public:
  ScopedCLocale() : m_Previous(uselocale(CLocale())) {}
  ~ScopedCLocale() { uselocale(m_Previous); }
  ScopedCLocale(const ScopedCLocale&) = delete;
  ScopedCLocale& operator=(const ScopedCLocale&) = delete;

private:
  locale_t m_Previous;
};

}  // namespace

int ParseInt(std::string_view text)
{
  const std::string copy(text);  // strtol needs a terminated string
  const long value = strtol_l(copy.c_str(), nullptr, 10, CLocale());
  if (value > INT_MAX)
    return INT_MAX;
  if (value < INT_MIN)
    return INT_MIN;
  return static_cast<int>(value);
}

double ParseDouble(std::string_view text)
{
  const std::string copy(text);
  return strtod_l(copy.c_str(), nullptr, CLocale());
}

bool ParseLeadingInt(std::string_view text, long long& value)
{
  const std::string copy(text);
  char* end = nullptr;
  value = strtoll_l(copy.c_str(), &end, 10, CLocale());
  return end != copy.c_str();
}

bool ParseLeadingDouble(std::string_view text, double& value)
{
  const std::string copy(text);
  char* end = nullptr;
  value = strtod_l(copy.c_str(), &end, CLocale());
  return end != copy.c_str();
}

std::string Format(const char* format, ...)
{
  va_list args;
  va_start(args, format);
  std::string out = FormatList(format, args);
  va_end(args);
  return out;
}

std::string FormatList(const char* format, va_list args)
{
  const ScopedCLocale inC;
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  std::string out;
  if (length > 0) {
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, again);
    out.assign(buffer.data(), static_cast<size_t>(length));
  }
  va_end(again);
  return out;
}

namespace {

std::string_view WithoutPlus(std::string_view token)
{
  if (token.size() > 1 && token[0] == '+' && token[1] != '-')
    token.remove_prefix(1);
  return token;
}

}  // namespace

void AppendFixed(std::string& out, double value, int decimals)
{
  // Room for the 309 integer digits of the largest double, sign, point and the decimals.
  char buffer[330 + 32];
  const int places = decimals < 0 ? 0 : decimals > 32 ? 32 : decimals;
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, places);
  out.append(buffer, result.ptr);
}

void AppendInt(std::string& out, long long value)
{
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

bool ParseFloatToken(std::string_view token, float& value)
{
  token = WithoutPlus(token);
  const char* end = token.data() + token.size();
  const auto result = std::from_chars(token.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

bool ParseIntToken(std::string_view token, long long& value)
{
  token = WithoutPlus(token);
  const char* end = token.data() + token.size();
  const auto result = std::from_chars(token.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

}  // namespace numtext
