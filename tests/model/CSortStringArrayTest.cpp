#include "model/CSortStringArray.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<std::string> Sorted(const std::vector<std::string>& input)
{
  CSortStringArray list;
  for (const auto& text : input)
    list.Add(text);
  list.SortNatural();
  return std::vector<std::string>(list.begin(), list.end());
}

TEST(CSortStringArray, SortsInNaturalOrder)
{
  using List = std::vector<std::string>;
  const struct { const char* what; List input; List expected; } cases[] = {
    {"empty", {}, {}},
    {"one", {"a"}, {"a"}},
    {"numbers by value, case ignored", {"scan10.xml", "scan9.xml", "Scan1.xml"},
     {"Scan1.xml", "scan9.xml", "scan10.xml"}},
    {"letters", {"x_Surfaces_b.xml", "x_Surfaces_a.xml"}, {"x_Surfaces_a.xml", "x_Surfaces_b.xml"}},
    {"case-only difference keeps order", {"B2", "b2", "A"}, {"A", "B2", "b2"}},
    {"leading zeros keep order", {"img_1.png", "img_01.png", "img_001.png"},
     {"img_1.png", "img_01.png", "img_001.png"}},
    {"beyond 32 bits are equal", {"n99999999999x", "n88888888888x"}, {"n99999999999x", "n88888888888x"}},
    {"prefix first", {"a.xml.bak", "a.xml"}, {"a.xml", "a.xml.bak"}},
    {"digit before letter", {"ab", "a1"}, {"a1", "ab"}},
    {"a digit run ends the letters chunk", {"a_", "a5", "a."}, {"a5", "a.", "a_"}},
    {"exhausted text first", {"a1", "a"}, {"a", "a1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Sorted(c.input), c.expected);
  }
}

TEST(CSortStringArray, SwapIfGreaterSwapsOnlyGreater)
{
  CSortStringArray list;
  list.Add("b10");
  list.Add("b9");
  list.Add("B9");
  EXPECT_EQ(list.SwapIfGreater(0), 1);
  EXPECT_EQ(list[0], "b9");
  EXPECT_EQ(list.SwapIfGreater(0), 0) << "b9 and B9 are equal";
  EXPECT_EQ(list.SwapIfGreater(1), 1);
  EXPECT_EQ(NaturalCompare("x_01", "x_1"), 0);
}

}  // namespace
