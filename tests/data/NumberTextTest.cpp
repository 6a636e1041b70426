#include "data/NumberText.h"
#include "fixtures/CommaLocale.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(NumberText, ParseIntFollowsAtoi)
{
  const struct { const char* text; int expected; } cases[] = {
    {"42", 42}, {"  -17", -17}, {"+8", 8}, {"12abc", 12}, {"abc", 0}, {"", 0},
    {"\t\n 7", 7}, {"3.9", 3}, {"- 5", 0}, {"99999999999", 2147483647},
    {"-99999999999", -2147483647 - 1}, {"0x10", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(numtext::ParseInt(c.text), c.expected);
  }
}

TEST(NumberText, ParseDoubleFollowsAtof)
{
  const struct { const char* text; double expected; } cases[] = {
    {"0.5", 0.5}, {"  -2.25e2", -225.0}, {"1e-3mm", 0.001}, {".5", 0.5}, {"5.", 5.0},
    {"abc", 0.0}, {"", 0.0}, {"0x1p3", 8.0}, {"1,5", 1.0}, {"+3", 3.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_DOUBLE_EQ(numtext::ParseDouble(c.text), c.expected);
  }
  EXPECT_TRUE(std::isinf(numtext::ParseDouble("inf")));
  EXPECT_TRUE(std::isnan(numtext::ParseDouble("nan")));
  EXPECT_TRUE(std::isinf(numtext::ParseDouble("1e999")));
}

TEST(NumberText, RoundTripIgnoresACommaLocale)
{
  const CommaLocale comma;
  ASSERT_TRUE(comma.Active()) << "no locale with a decimal comma is installed";
  ASSERT_EQ(std::string(localeconv()->decimal_point), ",");

  EXPECT_EQ(numtext::Format("%f", 0.5), "0.500000");
  EXPECT_EQ(numtext::Format("%.3f %d %s", 0.0117188, 3, "mm"), "0.012 3 mm");
  EXPECT_EQ(numtext::Format("%g", 1234567.0), "1.23457e+06");
  EXPECT_DOUBLE_EQ(numtext::ParseDouble("0.0039"), 0.0039);
  const float value = 0.011718750f;
  EXPECT_EQ(static_cast<float>(numtext::ParseDouble(numtext::Format("%.9g", value))), value);
  // The helpers leave the process's locale as they found it.
  EXPECT_EQ(std::string(localeconv()->decimal_point), ",");
}

TEST(NumberText, TokensParseWholeOrNotAtAll)
{
  const struct { const char* text; bool ok; float value; } floats[] = {
    {"0.5", true, 0.5f}, {"-2.25e2", true, -225.0f}, {"+3", true, 3.0f}, {".5", true, 0.5f},
    {"1.5abc", false, 0}, {"1,5", false, 0}, {"", false, 0}, {"+", false, 0}, {"+-1", false, 0},
    {"1e999", false, 0}};
  for (const auto& c : floats) {
    SCOPED_TRACE(c.text);
    float value = 0;
    EXPECT_EQ(numtext::ParseFloatToken(c.text, value), c.ok);
    if (c.ok) {
      EXPECT_EQ(value, c.value);
    }
  }
  long long whole = 0;
  EXPECT_TRUE(numtext::ParseIntToken("-42", whole));
  EXPECT_EQ(whole, -42);
  EXPECT_FALSE(numtext::ParseIntToken("3.0", whole));
  EXPECT_FALSE(numtext::ParseIntToken("99999999999999999999", whole));

  const CommaLocale comma;
  std::string out;
  numtext::AppendFixed(out, 0.0234375, 6);
  out += ' ';
  numtext::AppendFixed(out, -1.0, 6);
  out += ' ';
  numtext::AppendInt(out, -17);
  EXPECT_EQ(out, "0.023438 -1.000000 -17") << "the same digits as printf(\"%f\") in the C locale";
}

TEST(NumberText, FormatsLongTexts)
{
  const std::string long_text(5000, 'x');
  EXPECT_EQ(numtext::Format("%s%d", long_text.c_str(), 1), long_text + "1");
  EXPECT_EQ(numtext::Format("%s", ""), "");
}

}  // namespace
