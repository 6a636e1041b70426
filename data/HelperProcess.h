#pragma once
// Runs a helper program of ours to its end under a time limit: started with posix_spawn
// from an argument vector (no shell), standard input from /dev/null, its standard output and
// standard error handed over line by line, a result pipe and a shared file at fixed
// descriptors. The helper is always reaped, also when it is killed.
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

// argv[0] is the program's path. `resultFd` and `sharedFd` are the helper's descriptors
// for the result pipe and for `shared`.
HelperEnd RunHelper(const std::vector<std::string>& argv, int resultFd, int sharedFd, int shared,
                    std::chrono::milliseconds timeout, const HelperLines& onLine);

}  // namespace decoder
