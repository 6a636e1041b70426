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

// Passes on a line that a helper process printed on its standard error (newline included).
void RelayErrorLine(std::string_view line);

// While alive, the lines printed through the sink that say why something failed (the
// "Error: " lines and every line on standard error) are also kept, so that the message a
// user sees can give the reason. Collectors nest: each keeps what was printed while it lived.
class ScopedReasons {
public:
  ScopedReasons();
  ~ScopedReasons();
  ScopedReasons(const ScopedReasons&) = delete;
  ScopedReasons& operator=(const ScopedReasons&) = delete;

  // The kept lines, each ending in a newline, in the order printed.
  const std::string& Text() const { return m_Text; }

private:
  friend void Keep(std::string_view line);
  ScopedReasons* m_Outer;
  std::string m_Text;
};

}  // namespace diag
