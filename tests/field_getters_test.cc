#include "field_getters.h"

#include <gtest/gtest.h>

#include <climits>

#include "test_env.h"

namespace {

using quenzel_test::E;
using quenzel_test::MakeField;

TEST(FieldGettersTest, Numbers) {
  struct Row {
    const char* line;
    const char* value;
    QuenzelError result;
    long long number;
  };
  const Row rows[] = {
      {"11 YEAR x 4 0 ", "74", E::kNone, 2074},
      {"11 YEAR x 4 0 ", "75", E::kNone, 1975},
      {"11 YEAR x 4 0 ", "-5", E::kNone, 1995},
      {"11 YEAR x 4 0 2000 2050 ", "99", E::kRangeError, 1999},
      {"1 NUMERIC x 6 0 1-50 ", "60", E::kRangeError, 60},
      {"1 NUMERIC x 6 0 1-50 ", "50", E::kNone, 50},
      {"1 NUMERIC x 6 0 1 50 ", "1", E::kNone, 1},
      {"1 NUMERIC x 6 0 1 50 ", "51", E::kRangeError, 51},
      {"1 NUMERIC x 6 0 ", "-0042", E::kNone, -42},
      {"4 FLAG x 1 N", "\xe9", E::kNone, 0xE9},
      {"3 STRING x 4", "12", E::kConvertFail, 99},  // the 64-bit getter leaves `out`
  };
  for (const Row& r : rows) {
    CQuenzelField field = MakeField(r.line);
    field.m_Value = r.value;
    field.m_Rejected = "-";
    long long number = 99;
    EXPECT_EQ(field.GetValue(number), r.result) << r.line << " " << r.value;
    EXPECT_EQ(number, r.number) << r.line << " " << r.value;
    EXPECT_EQ(field.m_Rejected, r.result == E::kNone ? "-" : r.value) << r.line;
  }
  // The narrower getters keep the low bits of a temporary that starts at 0.
  CQuenzelField field = MakeField("1 NUMERIC x 30 0 ");
  field.m_Value = "1099511627781";  // 2^40 + 5
  int i = -1;
  unsigned short us = 0;
  float f = 0;
  EXPECT_EQ(field.GetValue(i), E::kNone);
  EXPECT_EQ(field.GetValueUTF8(us), E::kNone);
  EXPECT_EQ(field.GetValue(f), E::kNone);
  EXPECT_EQ(i * 100000 + us, 500005);
  EXPECT_EQ(f, 1099511627776.0f);
  CQuenzelField text = MakeField("3 STRING x 4");
  EXPECT_EQ(text.GetValue(i), E::kConvertFail);
  EXPECT_EQ(i, 0);
}

TEST(FieldGettersTest, Characters) {
  struct Row {
    const char* line;
    const char* value;
    QuenzelError result;
    unsigned char c;  // 'z' when untouched
  };
  const Row rows[] = {
      {"4 FLAG x 1 N", "", E::kNone, 0},
      {"4 FLAG x 1 N", "\xe9x", E::kNone, 0xE9},
      {"N4 FLAG name=\"N\" 1 N Y,N", "Q", E::kRangeError, 'Q'},
      {"N4 FLAG name=\"N\" 1 N \xe0-\xf0", "\xe9", E::kRangeError, 0xE9},
      {"1 NUMERIC x 6 0 ", "489", E::kNone, 0xE9},
      {"1 NUMERIC x 6 0 0 50 ", "65", E::kRangeError, 65},
      {"1 NUMERIC x 6 0 60 70 ", "65", E::kNone, 65},
      {"1 NUMERIC x 6 0 200 400 ", "300", E::kRangeError, 44},  // the low byte is checked
      {"1 NUMERIC x 6 0 A-Z ", "66", E::kRangeError, 'B'},      // as a number, 66 is not listed
      {"3 STRING x 4", "abc", E::kConvertFail, 'z'},
  };
  for (const Row& r : rows) {
    const bool named = r.line[0] == 'N';
    CQuenzelField field = MakeField(r.line + named, named ? "N" : "");
    field.m_Value = r.value;
    unsigned char c = 'z';
    EXPECT_EQ(field.GetValue(c), r.result) << r.line << " " << r.value;
    EXPECT_EQ(c, r.c) << r.line << " " << r.value;
    char plain = 'z';
    EXPECT_EQ(field.GetValueUTF8(plain), r.result) << r.line;
    EXPECT_EQ(static_cast<unsigned char>(plain), r.c) << r.line;
  }
}

TEST(FieldGettersTest, Texts) {
  struct Row {
    const char* line;
    const char* value;
    const char* utf8;
    const char* codePage;
  };
  const Row rows[] = {
      {"1 NUMERIC x 6 0 ", "42", "000042", "000042"},
      {"3 STRING x 5", "AB", "AB   ", "AB   "},
      {"3 STRING x 5 #", "AB", "AB", "AB"},
      {"3 STRING x 5 INITVALUE= \"x\xe9\"", "", "x\xe9", "x\xe9"},
      {"3 STRING x 5", "caf\xc3\xa9", "caf\xc3\xa9", "caf\xe9 "},
      {"4 FLAG x 1 N", "Yes", "Y", "Y"},
      {"4 FLAG x 1 N", "", "keep", "keep"},
  };
  for (const Row& r : rows) {
    CQuenzelField field = MakeField(r.line);
    field.m_Value = r.value;
    std::string utf8 = "keep", codePage = "keep";
    EXPECT_EQ(field.GetValueUTF8(utf8), E::kNone) << r.line;
    EXPECT_EQ(field.GetValue(codePage), E::kNone) << r.line;
    EXPECT_EQ(utf8, r.utf8) << r.line;
    EXPECT_EQ(codePage, r.codePage) << r.line;
  }
}

TEST(FieldGettersTest, WeightsConvertScaleToHost) {
  struct Row {
    const char* line;
    int scaleMS;
    const char* value;
    const char* text;
    QuenzelError result;  // of the number getter
    long long number;
  };
  const Row rows[] = {
      {"7 WEIGHT x 6 0 ", 2, "220", "998", E::kNone, 998},  // converted weights are not padded
      {"7 WEIGHT x 6 0 ", 2, "-220", "0", E::kNone, -997},  // the text getter reads "00-220"
      {"7 WEIGHT x 6 0 ", 2, "-002200", "-9979", E::kNone, -9979},
      {"8 NETWEIGHT x 6 0 ", 0, "220", "000220", E::kNone, 220},
      {"7 WEIGHT x 6 0 0 500 ", 2, "220", "998", E::kRangeError, 998},
  };
  for (const Row& r : rows) {
    CQuenzelField field = MakeField(r.line);
    field.SetFieldConversionDetails(true, r.scaleMS, -2, 1, -3, 0, true, false, false);
    field.m_Value = r.value;
    std::string text;
    long long number = 0;
    EXPECT_EQ(field.GetValueUTF8(text), E::kNone) << r.line << " " << r.value;
    EXPECT_EQ(text, r.text) << r.line << " " << r.value;
    EXPECT_EQ(field.GetValue(number), r.result) << r.line << " " << r.value;
    EXPECT_EQ(number, r.number) << r.line << " " << r.value;
  }
}

}  // namespace
