#pragma once
// Locale-free number text. The GUI sets the C library's locale from the environment,
// which would turn "%f" into "0,5" and make atof stop at the ".": every number in a file
// or on screen goes through these helpers, which always use the "C" conventions.
#include <cstdarg>
#include <string>
#include <string_view>

namespace numtext {

// atoi semantics: leading white space, an optional sign, then decimal digits up to the
// first other character; 0 when there are none. Values beyond int are clamped.
int ParseInt(std::string_view text);

// atof semantics (strtod in the "C" locale): leading white space, sign, decimal or
// hexadecimal mantissa with exponent, "inf" and "nan"; 0 when nothing parses.
double ParseDouble(std::string_view text);

// As ParseInt (beyond long long: clamped) and ParseDouble, telling whether any number was
// there: false when nothing parses.
bool ParseLeadingInt(std::string_view text, long long& value);
bool ParseLeadingDouble(std::string_view text, double& value);

// printf formatting in the "C" locale, e.g. Format("%.3f", x) always writes a ".".
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatList(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// Appends the value as printf("%.*f", decimals, value) writes it in the "C" locale; meant
// for bulk output, where Format would cost a locale switch per number.
void AppendFixed(std::string& out, double value, int decimals);
void AppendInt(std::string& out, long long value);

// The whole token as a decimal number ("C" conventions, optional leading '+'); false when
// nothing parses, characters are left over, or the value does not fit.
bool ParseFloatToken(std::string_view token, float& value);
bool ParseIntToken(std::string_view token, long long& value);

}  // namespace numtext
