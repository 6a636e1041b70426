#pragma once
// Runs a helper program of ours to its end under a time limit: started with posix_spawn
// from an argument vector (no shell), standard input from /dev/null, its standard output and
// standard error handed over line by line, a result pipe and the program's descriptors it
// is given at fixed numbers. The helper is always reaped, also when it is killed.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace decoder {

struct HelperEnd {
  enum class Kind {
    NotStarted,  // code: the errno of the failed start
    Exited,      // code: the exit status
    Signalled,   // code: the signal that ended it
    TimedOut,    // killed after the time limit
  };
  Kind kind = Kind::NotStarted;
  int code = 0;
  std::string result;  // everything the helper wrote to its result descriptor
};

// Where the helper's lines go, each with its newline.
struct HelperLines {
  std::function<void(std::string_view)> output;
  std::function<void(std::string_view)> error;
};

// A descriptor of the program's that the helper gets at a fixed number.
struct HandedFd {
  int source;
  int target;
};

// argv[0] is the program's path. `resultFd` is the helper's descriptor for the result pipe;
// `handed` are the program's descriptors the helper gets besides.
HelperEnd RunHelper(const std::vector<std::string>& argv, int resultFd, const std::vector<HandedFd>& handed,
                    std::chrono::milliseconds timeout, const HelperLines& onLine);

}  // namespace decoder
