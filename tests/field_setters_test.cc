#include "field_setters.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

#include "test_env.h"

namespace {

using namespace quenzel_test;

class FieldSettersTest : public QuenzelEnvTest {};

// SetValueUTF8 of `text`. A line beginning with 'N' is a field named "N";
// `mode` 1 switches the default-data mode on; `scale` > 0 converts weights
// from kilograms (factor -3) to that scale system (factor -2), and a scale
// of -1 switches conversion on without a scale system.
TEST_F(FieldSettersTest, FromText) {
  using Row = std::tuple<int, int, const char*, const char*, QuenzelError, const char*,
                         const char*>;  // mode, scale, line, text, result, value, rejected
  const Row rows[] = {
      {0, 0, "1 NUMERIC x 6 0 ", "12a", E::kInvalidNumeric, "0", "12a"},
      {0, 0, "1 NUMERIC x 6 0 ", "", E::kInvalidNumeric, "0", ""},
      {0, 0, "1 NUMERIC x 3 0 ", "9223372036854775808", E::kInvalidNumeric, "0",
       "9223372036854775808"},
      {0, 0, "1 NUMERIC x 3 0 ", "12345", E::kLengthError, "12345", "12345"},
      // Bounds apply only when minimum and maximum differ; outside reads "Length Error".
      {0, 0, "1 NUMERIC x 6 0 1 100 ", "0", E::kLengthError, "0", "0"},
      {0, 0, "1 NUMERIC x 6 0 5 ", "0", E::kNone, "0", "-"},
      {0, 0, "1 NUMERIC x 2 0 1-9 ", "123", E::kRangeError, "123", "123"},
      // Default-data mode substitutes, except for keys and for the width check.
      {1, 0, "1 NUMERIC x 6 7 1 100 ", "0", E::kRangeWarning, "7", "0:7"},
      {1, 0, "1 NUMERIC x 2 7 ", "123", E::kLengthError, "123", "123"},
      {1, 0, "1 NUMERIC x 6 7 KEYPOS = F1 1 100 ", "0", E::kLengthError, "0", "-"},
      {1, 0, "1 NUMERIC x 6 7 KEYPOS = F1 1-5 ", "9", E::kRangeError, "9", "9"},
      {1, 0, "4 FLAG x 1 N Y N", "X", E::kRangeWarning, "N", "X:N"},
      {1, 0, "4 FLAG x 1 N Y N", "", E::kRangeWarning, "N", ":N"},
      // Single characters: the first byte, bytes 0 to 9 as digits.
      {0, 0, "4 FLAG x 1 N Y N", "", E::kRangeError, "N", "N"},
      {0, 0, "4 FLAG x 1 N", "\x0a", E::kNone, "\n", "-"},
      {0, 0, "N6 PRICEBASE name=\"N\" 1 0 0-5", "\x03", E::kNone, "3", "-"},
      // Weights: bounds and list are checked again on the converted value.
      {0, 2, "7 WEIGHT x 6 0 ", "1000", E::kNone, "220", "-"},
      {0, 2, "1 NUMERIC x 6 0 ", "1000", E::kNone, "1000", "-"},
      {0, -1, "8 NETWEIGHT x 6 0 ", "1000", E::kNone, "1000", "-"},
      {0, 2, "9 WEIGHTHIRES x 6 0 ", "-1000", E::kNone, "-00220", "-"},
      {0, 2, "7 WEIGHT x 6 0 0 250 ", "2000", E::kRangeError, "441", "2000"},
      {0, 2, "7 WEIGHT x 6 0 1-300 ", "1000", E::kNone, "220", "1000"},
      {0, 2, "7 WEIGHT x 6 0 0 220 ", "1000", E::kNone, "220", "1000"},
      {0, 7, "7 WEIGHT x 2 0 ", "123", E::kConvertFail, "123", "123"},
      {1, 2, "7 WEIGHT x 6 9 500 2500 ", "2000", E::kRangeWarning, "9", "2000:9"},
  };
  for (const auto& [mode, scale, line, text, result, value, rejected] : rows) {
    WriteRegistry({{kQuenzelKey, "DEFAULTDATAMODE", mode ? "1" : "0"}});
    const bool named = line[0] == 'N';
    CQuenzelField field = MakeField(line + named, named ? "N" : "");
    if (scale != 0)
      field.SetFieldConversionDetails(true, std::max(scale, 0), -2, 1, -3, 0, true, false, false);
    field.m_Rejected = "-";
    EXPECT_EQ(field.SetValueUTF8(text, false), result) << line << " <- " << text;
    EXPECT_EQ(field.m_Value, value) << line << " <- " << text;
    EXPECT_EQ(field.m_Rejected, rejected) << line << " <- " << text;
  }
  CQuenzelField send = MakeField("1 NUMERIC x 6 7 1 100 ", "", true);  // SEND never substitutes
  EXPECT_EQ(send.SetValueUTF8("0", false), E::kLengthError);
  CQuenzelField off = MakeField("7 WEIGHT x 6 0 ");  // the switch, then the field's own flag
  off.SetFieldConversionDetails(false, 2, -2, 1, -3, 0, true, false, false);
  off.SetValueUTF8("1000", false);
  off.SetFieldConversionDetails(true, 2, -2, 1, -3, 0, false, false, false);
  EXPECT_EQ(off.SetValueUTF8("1000", false), E::kNone);
  EXPECT_EQ(off.m_Value, "1000");
}

TEST_F(FieldSettersTest, TextPrivateAndCodePages) {
  CQuenzelField text = MakeField("3 STRING name=\"D\" 4 INITVALUE= old", "D");
  EXPECT_EQ(text.SetValue("", false), E::kNone);
  EXPECT_EQ(text.m_Value, "old");
  EXPECT_EQ(text.SetValue("caf\xe9 \x80", false), E::kNone);
  EXPECT_EQ(text.m_Value, "caf\xc3\xa9 \xe2\x82\xac");
  EXPECT_EQ(text.SetValueUTF8("", false), E::kNone);
  EXPECT_EQ(text.m_Value, "");
  CQuenzelField flag = MakeField("4 FLAG x 1 N Y N");
  EXPECT_THROW(flag.SetValue("", false), std::out_of_range);
  EXPECT_EQ(flag.m_Value, "N");
  for (const char* line :
       {"1 NUMERIC x 6 0 PRIVATE 1-9", "4 FLAG x 1 N PRIVATE", "3 STRING x 4 PRIVATE"}) {
    CQuenzelField field = MakeField(line);
    const std::string before = field.m_Value;
    EXPECT_EQ(field.SetValue("5", false), E::kNone) << line;
    EXPECT_EQ(field.SetValue(5LL, false), E::kNone) << line;
    EXPECT_EQ(field.m_Value, before) << line;
    // The override sets every group but the numeric one, which only SetNumber sets.
    EXPECT_EQ(field.SetValueUTF8("5", true), E::kNone) << line;
    EXPECT_EQ(field.SetValue(static_cast<unsigned char>('6'), true), E::kNone) << line;
    EXPECT_EQ(field.m_Value, line[0] == '1' ? before : line[0] == '4' ? "6" : "5") << line;
  }
}

// Calls the typed setter `kind` names with `v` converted to its type.
QuenzelError SetTyped(CQuenzelField& f, char kind, long long v) {
  if (kind == 'i') return f.SetValue(static_cast<int>(v), false);
  if (kind == 'u') return f.SetValue(static_cast<unsigned>(v), false);
  if (kind == 'U') return f.SetValue(static_cast<unsigned long long>(v), false);
  if (kind == 'f') return f.SetValue(static_cast<float>(v) - 0.7f, false);
  if (kind == 'c') return f.SetValue(static_cast<char>(v), false);
  if (kind == 'b') return f.SetValueUTF8(static_cast<unsigned char>(v), false);
  return f.SetValueUTF8(static_cast<long>(v), false);
}

// The checks keep a field's value list read; a host that assigns a new list
// text gets the new rules at once, and a copy keeps its own list.
TEST_F(FieldSettersTest, ValueListTextAssignedByTheHost) {
  CQuenzelField number = MakeField("1 NUMERIC x 6 0 1-5 ", "N");
  CQuenzelField flag = MakeField("4 FLAG x 1 N Y,N", "N");
  const CQuenzelField numberCopy = number;
  EXPECT_EQ(number.SetValueUTF8("3", false), E::kNone);
  EXPECT_EQ(flag.SetValueUTF8("Y", false), E::kNone);
  using Row = std::tuple<CQuenzelField*, const char*, const char*, QuenzelError>;
  const Row rows[] = {
      // field, list assigned first (null: none), text, result
      {&number, "7,(2)", "3", E::kRangeError}, {&number, nullptr, "7", E::kNone},
      {&number, nullptr, "-2", E::kNone},      {&flag, "A-F", "Y", E::kRangeError},
      {&flag, nullptr, "C", E::kNone},         {&number, "", "123", E::kNone},
  };
  for (const auto& [field, list, text, result] : rows) {
    if (list != nullptr) field->m_ValueList = list;
    EXPECT_EQ(field->SetValueUTF8(text, false), result) << field->m_ValueList << " " << text;
  }
  CQuenzelField copy = numberCopy;
  EXPECT_EQ(copy.SetValueUTF8("3", false), E::kNone) << "the copy kept 1-5";
  long long got = 0;
  copy.m_ValueList = "3";
  EXPECT_EQ(copy.GetValue(got), E::kNone);
  copy.m_ValueList = "4";
  EXPECT_EQ(copy.GetValue(got), E::kRangeError) << "getters read the new list too";
}

TEST_F(FieldSettersTest, TypedSetters) {
  using Row = std::tuple<const char*, char, long long, QuenzelError,
                         const char*>;  // line, kind, v, result, value
  const Row rows[] = {
      {"1 NUMERIC x 4 0 ", 'i', -5, E::kNone, "-005"},
      {"1 NUMERIC x 9 0 ", 'u', -1, E::kLengthError, "4294967295"},
      {"1 NUMERIC x 2 0 ", 'U', -1, E::kNone, "-1"},
      {"4 FLAG x 1 N Y N 7", 'l', 7, E::kNone, "7"},
      {"4 FLAG x 1 N Y N 7", 'i', 9, E::kRangeError, "9"},
      {"4 FLAG x 1 N Y N 7", 'i', 10, E::kConvertFail, "N"},
      // A list is matched by number for numbers, by the byte as given for characters.
      {"4 FLAG x 1 0 0,1", 'U', 1, E::kNone, "1"},
      {"4 FLAG x 1 0 0,1", 'b', 1, E::kNone, "1"},
      {"4 FLAG x 1 0 0,1", 'i', 2, E::kRangeError, "2"},
      {"3 STRING x 3", 'i', 12345, E::kLengthError, "12345"},
      {"3 STRING x 3", 'c', 'Y', E::kNone, ""},
  };
  for (const auto& [line, kind, v, result, value] : rows) {
    CQuenzelField field = MakeField(line);
    EXPECT_EQ(SetTyped(field, kind, v), result) << line << " " << kind << v;
    EXPECT_EQ(field.m_Value, value) << line << " " << kind << v;
  }
}

}  // namespace
