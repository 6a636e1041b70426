#pragma once
// Runs tests/panes/surface_fit_oracle.py over case lines and reads back one line of numbers
// per case.
#include "fixtures/FixtureFiles.h"
#include "fixtures/TempDir.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::vector<double>> RunSurfaceFitOracle(const std::vector<std::string>& cases)
{
  const TempDir dir;
  std::string text;
  for (const std::string& c : cases)
    text += c + "\n";
  EXPECT_TRUE(fixtures::WriteText(dir.File("cases.txt"), text));
  const std::string script = std::string(STRATAVIEW_SOURCE_DIR) + "/tests/panes/surface_fit_oracle.py";
  EXPECT_EQ(fixtures::RunCommand("/usr/bin/python3 " + script + " " + dir.File("cases.txt") + " " +
                                 dir.File("out.txt")),
            0);
  std::vector<std::vector<double>> results;
  std::istringstream lines(fixtures::ReadAll(dir.File("out.txt")));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream numbers(line);
    results.emplace_back();
    for (double v; numbers >> v;)
      results.back().push_back(v);
  }
  EXPECT_EQ(results.size(), cases.size());
  results.resize(cases.size());
  return results;
}

// Numbers as a case line expects them.
template <typename T>
void AppendNumbers(std::string& line, const std::vector<T>& values)
{
  std::ostringstream out;
  out.precision(9);
  for (const T& v : values)
    out << ' ' << v;
  line += out.str();
}
