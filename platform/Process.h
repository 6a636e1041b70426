#pragma once
// Starting an external program and waiting for it. The program is named by an absolute
// path and gets its arguments as a vector, never through a shell, so that spaces, quotes
// and other signs in file names reach it unchanged.
#include <functional>
#include <string>
#include <vector>

namespace platform {

// How a program run ended.
struct ProgramEnd {
  enum class Kind {
    NotStarted,
    Exited,     // code: the exit status
    Signalled,  // code: the signal that ended it
  };
  Kind kind = Kind::NotStarted;
  int code = 0;

  bool Started() const { return kind != Kind::NotStarted; }
  bool Succeeded() const { return kind == Kind::Exited && code == 0; }
};

// Runs the program (an absolute path) with the arguments that follow argument 0 (argument
// 0 is the program path itself). Standard input reads from /dev/null, so a program that
// reads it cannot wait for ever; standard output and error, the environment and the
// working folder are this program's. Blocks until the program has ended.
ProgramEnd RunProgram(const std::string& program, const std::vector<std::string>& arguments);

using ProgramEnded = std::function<void(ProgramEnd end)>;

// Starts the program as RunProgram does and returns at once: true once it runs. `ended` is
// called on this thread, while the event loop runs, when it has ended. A program still
// running when the application ends is stopped; what it started itself runs on. Needs the
// application object.
bool StartProgram(const std::string& program, const std::vector<std::string>& arguments, ProgramEnded ended);

}  // namespace platform
