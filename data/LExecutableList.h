#pragma once
// The external analysis programs listed in "Executables.xml" beside the program: a name
// for each and its arguments, argument 0 being the program's path relative to that folder.
#include <string>
#include <vector>

class LExecutableList {
public:
  // Counts beyond these are not a list anyone wrote by hand: the file is refused.
  static constexpr int kMaxExecutables = 1000;
  static constexpr int kMaxArguments = 1000;

  // 0 read; -1 the file cannot be loaded or a count is beyond the limits; -2 no root
  // "executables"; -3 version missing or below 4.0.0. A failed read keeps the old list.
  [[nodiscard]] int Read(const std::string& path);

  int GetCount() const { return count; }
  std::string GetName(int i) const { return names.at(size_t(i)); }
  int GetArgc(int i) const { return argumentCounts.at(size_t(i)); }
  std::string GetArgv(int i, int j) const { return arguments.at(size_t(i)).at(size_t(j)); }
  std::string GetArgvDescription(int i, int j) const
  {
    return argumentDescriptions.at(size_t(i)).at(size_t(j));
  }

  bool loaded = false;
  int count = 0;
  std::vector<std::string> names;
  std::vector<int> argumentCounts;
  std::vector<std::vector<std::string>> arguments;
  std::vector<std::vector<std::string>> argumentDescriptions;
  std::string version;
};
