#include "numbers.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace quenzel::detail {
namespace {

TEST(NumbersTest, ReadingsAndFormatting) {
  using Row = std::tuple<std::string, int, long long, long long>;  // text, atoi, atoi64, setter
  const Row rows[] = {
      {"  -17x", -17, -17, 0},
      {"+8", 8, 8, 0},
      {"12-3", 12, 12, 12},
      {"-0042", -42, -42, -42},
      {"2147483648", INT_MAX, 2147483648LL, 2147483648LL},
      {"-2147483649", INT_MIN, -2147483649LL, -2147483649LL},
      {"-9223372036854775808", INT_MIN, LLONG_MIN, LLONG_MIN},
      {std::string(70, '1'), INT_MAX, LLONG_MAX, LLONG_MAX},
      {std::string(100000, '0') + "5", 5, 5, 5},
      {std::string("7\0"
                   "9",
                   3),
       7, 7, 7},
      {std::string("-\0"
                   "5",
                   3),
       0, 0, 0},
      {"999999999999999999", INT_MAX, 999999999999999999LL, 999999999999999999LL},
      {"-9223372036854775809", INT_MIN, LLONG_MIN, LLONG_MIN},
  };
  for (const auto& [text, atoi, atoi64, setter] : rows) {
    EXPECT_EQ(Atoi(text), atoi) << text;
    EXPECT_EQ(Atoi64(text), atoi64) << text;
    EXPECT_EQ(ParseDecimal(text, kSetterSyntax), setter) << text;
  }
  bool overflow = true;
  ParseDecimal("9223372036854775807", kSetterSyntax, &overflow);
  EXPECT_FALSE(overflow);
  ParseDecimal("9223372036854775808", kSetterSyntax, &overflow);
  EXPECT_TRUE(overflow);
  EXPECT_EQ(ParseDecimal("(5)", kListSyntax), -5);
  EXPECT_TRUE(IsDigits("0099") && !IsDigits("") && !IsDigits("1a") && !IsDigits("-1"));
  EXPECT_EQ(FormatStoredNumber(42, 5) + FormatStoredNumber(-42, 5) + FormatStoredNumber(-42, 0) +
                FormatStoredNumber(LLONG_MIN, 2),
            "42-0042-42-9223372036854775808");
  EXPECT_EQ(CutToInteger<int>(-2.9f), -2);
  EXPECT_EQ(CutToInteger<int>(3e9f), INT_MIN) << "out of range gives the minimum";
}

}  // namespace
}  // namespace quenzel::detail
