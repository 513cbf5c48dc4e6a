#include "weight_conversion.h"

#include <gtest/gtest.h>

#include <tuple>

#include "numbers.h"
#include "test_env.h"

namespace quenzel::detail {
namespace {

using namespace quenzel_test;

TEST(WeightConversionTest, EverySystemPair) {
  // Expected values follow the conversion rules with single-precision
  // rounding after every step.
  using Row = std::tuple<long long, WeightUnits, WeightUnits, QuenzelError,
                         long long>;  // value, from, to, result, converted
  const Row rows[] = {
      {1000, {1, 0}, {2, -2}, E::kNone, 220450},    // 2.2045 pounds a kilogram
      {10000, {2, 0}, {1, -3}, E::kNone, 4536000},  // 0.4536 kilograms a pound
      {-1000, {1, -3}, {2, -2}, E::kNone, -220},
      {25, {1, -3}, {1, -2}, E::kNone, 3},  // 2.5 rounds up
      {1000, {1, -3}, {3, -3}, E::kNone, 282},
      {100, {2, -2}, {1, -3}, E::kNone, 454},
      {7, {2, 1}, {3, 0}, E::kNone, 7},       // a positive source factor is not applied
      {2800, {2, 0}, {3, 2}, E::kNone, 100},  // 28 pounds a unit of factor 2
      {2240, {3, 0}, {1, 1}, E::kNone, 102},
      {3, {3, 2}, {2, 0}, E::kNone, 84},
      {16777217, {1, 0}, {1, 0}, E::kNone, 16777216},  // beyond float precision
      {1234, {4, 0}, {1, 0}, E::kConvertFail, 1234},
      {5, {1, 0}, {0, 0}, E::kConvertFail, 5},
      {1, {3, 4}, {5, 0}, E::kConvertFail, 2240},
      {12345, {3, 5}, {3, 0}, E::kConvertFail, 12345},
      {100, {1, 0}, {3, 9}, E::kConvertFail, 220},
      {0, {9, 9}, {9, 9}, E::kNone, 0},
  };
  const std::string none;
  for (const auto& [value, from, to, result, converted] : rows) {
    float out = -1;
    EXPECT_EQ(ConvertWeight(value, from, to, out, {none, none, 7}), result)
        << value << " from " << from.system << "," << from.factor << " to " << to.system << ","
        << to.factor;
    EXPECT_EQ(CutToInteger<long long>(out), converted) << value << " to " << to.system;
  }
}

class WeightAuditTest : public QuenzelEnvTest {};

TEST_F(WeightAuditTest, ConversionAuditEntries) {
  const std::string log = "AUD", text = "defs.txt";
  float out = 0;
  ConvertWeight(0, {1, -3}, {2, -2}, out, {log, text, 7});
  EXPECT_TRUE(LogEntries(log).empty()) << "a zero converts without entries";
  ConvertWeight(1000, {1, -3}, {2, -2}, out, {log, text, 7});
  std::string joined;  // every entry's fields after the source, joined by '|'
  for (const auto& entry : LogEntries(log))
    for (std::size_t i = 1; i < entry.size(); ++i)
      joined += entry[i] + (i + 1 < entry.size() ? "|" : "\n");
  EXPECT_EQ(joined,
            "997|HostMS = <1> HostSF = <-3> ScaleMS = <2> ScaleSF = <-2> "
            "|defs.txt|7|CQuenzelField::Convert()\n"
            "997|Quenzel Weight Field conversion. Before|defs.txt|7|1000|CQuenzelField::Convert()\n"
            "997|Quenzel Weight Field conversion. After|defs.txt|7|220|CQuenzelField::Convert()\n");
}

}  // namespace
}  // namespace quenzel::detail
