#include "field_getters.h"

#include <gtest/gtest.h>

#include <tuple>

#include "test_env.h"

namespace {

using namespace quenzel_test;

// Every getter on one stored value. A line beginning with 'N' is a field
// named "N"; `scale` > 0 converts weights from that scale system (factor
// -2) to kilograms (factor -3). 'z' and "-" mean untouched.
TEST(FieldGettersTest, NumbersCharactersAndTexts) {
  using Row =
      std::tuple<const char*, int, const char*, QuenzelError, long long, QuenzelError,
                 unsigned char, const char*, const char*>;  // line, scale, value, numberResult,
                                                            // number, charResult, c, utf8, codePage
  const Row rows[] = {
      {"11 YEAR x 4 0 ", 0, "74", E::kNone, 2074, E::kNone, 2074 & 0xFF, "0074", "0074"},
      {"11 YEAR x 4 0 2000 2050 ", 0, "99", E::kRangeError, 1999, E::kRangeError, 1999 & 0xFF,
       "0099", "0099"},
      {"1 NUMERIC x 6 0 1 50 ", 0, "1", E::kNone, 1, E::kNone, 1, "000001", "000001"},
      {"1 NUMERIC x 6 0 1 50 ", 0, "51", E::kRangeError, 51, E::kRangeError, 51, "000051",
       "000051"},
      {"1 NUMERIC x 6 0 200 400 ", 0, "300", E::kNone, 300, E::kRangeError, 44, "000300", "000300"},
      {"1 NUMERIC x 6 0 A-Z ", 0, "66", E::kRangeError, 66, E::kRangeError, 'B', "000066",
       "000066"},
      {"4 FLAG x 1 N", 0, "", E::kNone, 0, E::kNone, 0, "-", "-"},
      {"4 FLAG x 1 N", 0, "\xe9x", E::kNone, 0xE9, E::kNone, 0xE9, "\xe9", "\xe9"},
      {"N4 FLAG name=\"N\" 1 N Y,N", 0, "Q", E::kNone, 'Q', E::kRangeError, 'Q', "Q", "Q"},
      {"N4 FLAG name=\"N\" 1 N \xe0-\xf0", 0, "\xe9", E::kNone, 0xE9, E::kRangeError, 0xE9, "\xe9",
       "\xe9"},
      {"3 STRING x 5", 0, "caf\xc3\xa9", E::kConvertFail, 99, E::kConvertFail, 'z', "caf\xc3\xa9",
       "caf\xe9 "},
      {"3 STRING x 5 INITVALUE= \"x\xe9\"", 0, "", E::kConvertFail, 99, E::kConvertFail, 'z',
       "x\xe9", "x\xe9"},
      // Weights convert; the text getter reads the zero-padded text ("00-220" is 0).
      {"7 WEIGHT x 6 0 ", 2, "220", E::kNone, 998, E::kNone, 998 & 0xFF, "998", "998"},
      {"7 WEIGHT x 6 0 ", 2, "-220", E::kNone, -997, E::kNone, 0x1B, "0", "0"},
      {"7 WEIGHT x 6 0 ", 2, "-002200", E::kNone, -9979, E::kNone, 0x05, "-9979", "-9979"},
      {"7 WEIGHT x 6 0 0 500 ", 2, "220", E::kRangeError, 998, E::kRangeError, 998 & 0xFF, "998",
       "998"},
      {"8 NETWEIGHT x 6 0 ", -1, "220", E::kNone, 220, E::kNone, 220, "000220", "000220"},
      {"8 NETWEIGHT x 6 0 ", 2, "220", E::kNone, 998, E::kNone, 998 & 0xFF, "998", "998"},
  };
  for (const auto& [line, scale, value, numberResult, number, charResult, c, utf8, codePage] :
       rows) {
    const bool named = line[0] == 'N';
    CQuenzelField field = MakeField(line + named, named ? "N" : "");
    if (scale != 0)
      field.SetFieldConversionDetails(true, std::max(scale, 0), -2, 1, -3, 0, true, false, false);
    field.m_Value = value;
    field.m_Rejected.clear();
    long long gotNumber = 99;
    unsigned char gotC = 'z';
    char plain = 'z';
    std::string gotUtf8 = "-", gotCodePage = "-";
    EXPECT_EQ(field.GetValue(gotNumber), numberResult) << line << " " << value;
    EXPECT_EQ(field.GetValue(gotC), charResult) << line << " " << value;
    EXPECT_EQ(field.GetValueUTF8(plain), charResult) << line << " " << value;
    EXPECT_EQ(field.GetValueUTF8(gotUtf8), E::kNone) << line;
    EXPECT_EQ(field.GetValue(gotCodePage), E::kNone) << line;
    EXPECT_EQ(gotNumber, number) << line << " " << value;
    EXPECT_EQ(gotC, c) << line << " " << value;
    EXPECT_EQ(static_cast<unsigned char>(plain), c) << line << " " << value;
    EXPECT_EQ(gotUtf8 + "|" + gotCodePage, std::string(utf8) + "|" + codePage) << line;
    const bool ok = numberResult == E::kNone && charResult == E::kNone;
    EXPECT_EQ(field.m_Rejected, ok ? "" : value) << line << " " << value;
  }
  // The narrower getters keep the low bits of a temporary that starts at 0.
  CQuenzelField field = MakeField("1 NUMERIC x 30 0 ");
  field.m_Value = "1099511627781";  // 2^40 + 5
  int i = -1;
  unsigned short us = 0;
  float f = 0;
  EXPECT_EQ(field.GetValue(i) == E::kNone && field.GetValueUTF8(us) == E::kNone, true);
  EXPECT_EQ(field.GetValue(f), E::kNone);
  EXPECT_EQ(i * 100000 + us, 500005);
  EXPECT_EQ(f, 1099511627776.0f);
  EXPECT_EQ(MakeField("3 STRING x 4").GetValue(i), E::kConvertFail);
  EXPECT_EQ(i, 0);
}

}  // namespace
