// The conversions of numbers to integers and of texts to numbers, at the
// edges where separate helpers used to disagree.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "movie/actions/Numbers.h"

namespace Halvane::Movie {
namespace {

TEST(Numbers, IntegerConversionsAgreeAtTheEdges) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::nan("");
  const struct {
    double value;
    std::int32_t truncated;
    std::int32_t rounded;
    std::int32_t wrapped;
  } rows[] = {
      {2.5, 2, 3, 2},
      {-2.5, -2, -3, -2},
      {-0.4, 0, 0, 0},
      {2147483647.6, 2147483647, 2147483647, 2147483647},
      {2147483648.4, 2147483647, 2147483647, -2147483647 - 1},
      {4294967296.0 + 5, 2147483647, 2147483647, 5},
      {-2147483649.0, -2147483647 - 1, -2147483647 - 1, 2147483647},
      {1e300, 2147483647, 2147483647, 0},
      {inf, 2147483647, 2147483647, 0},
      {-inf, -2147483647 - 1, -2147483647 - 1, 0},
      {nan, 0, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(TruncateToInt32(row.value), row.truncated);
    EXPECT_EQ(RoundToInt32(row.value), row.rounded);
    EXPECT_EQ(WrapToInt32(row.value), row.wrapped);
  }
  EXPECT_EQ(RoundToInt16(40000.0), 32767);
  EXPECT_EQ(RoundToInt16(-1e9), -32768);
  EXPECT_EQ(RoundToInt16(nan), 0);
}

TEST(Numbers, TextsReadTheSameInEveryLocaleAndPastADoublesRange) {
  std::setlocale(LC_ALL, "");  // a locale with a decimal comma must not matter
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* text;
    double value;
  } rows[] = {
      {"1.5", 1.5},
      {"+2.25e1", 22.5},
      {"1e400", inf},
      {"-1e400", -inf},
      {"1e-400", 0.0},
      {"0.0001e-330", 0.0},
      {"123456789e-340", 0.0},
      {"0.00000001e316", 1e308},
  };
  for (const auto& row : rows) {
    double value = -1;
    EXPECT_TRUE(ParseNumber(row.text, 10, value)) << row.text;
    EXPECT_EQ(value, row.value) << row.text;
  }
  // Octal and hexadecimal texts are 32-bit integers that wrap around;
  // octal needs its leading zero first in the text.
  const struct {
    const char* text;
    double value;
  } integers[] = {
      {"0x10", 16},
      {"0x1999999981ffffff", -2113929217},
      {"0xFFFFFFFF", -1},
      {"0x-1F", -31},
      {"010", 8},
      {" 010", 10},
      {"037777777777", -1},
      {"-037777777777", 1},
  };
  for (const auto& row : integers) {
    double value = -1;
    EXPECT_TRUE(ParseNumber(row.text, 7, value)) << row.text;
    EXPECT_EQ(value, row.value) << row.text;
  }
  // parseInt and parseFloat skip the same white space as Number does.
  EXPECT_EQ(ParseIntPrefix("\f\v 12px", 0), 12);
  EXPECT_EQ(ParseFloatPrefix("\f1.5e1x"), 15);
  std::setlocale(LC_ALL, "C");
}

// Fifteen digits, rounded, except where rounding up would print a number
// past the largest double, which would read back as infinity.
TEST(Numbers, TextOfTheLargestNumbersReadsBackFinite) {
  const double largest = std::numeric_limits<double>::max();
  EXPECT_EQ(FormatNumber(largest), "1.79769313486231e+308");
  EXPECT_EQ(FormatNumber(-largest), "-1.79769313486231e+308");
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::denorm_min()), "4.94065645841247e-324");
  EXPECT_EQ(FormatNumber(1.2345678901234567e300), "1.23456789012346e+300");
}

}  // namespace
}  // namespace Halvane::Movie
