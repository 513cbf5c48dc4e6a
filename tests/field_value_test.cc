// Setting field values from text: the three type groups, their checks and
// precedence, default-data mode, PRIVATE fields, code pages and weight
// conversion.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "quenzel.h"
#include "test_env.h"

namespace {

using quenzel_test::QuenzelEnvTest;

const char* const kQuenzelKey = "SOFTWARE\\TORVANHOLME\\DRIVER\\QUENZEL";

// A field read from a definition line; `sendOrDelete` as for a SEND record.
CQuenzelField MakeField(const std::string& line, const std::string& name = "",
                        bool sendOrDelete = false, const std::string& codePage = "cp-1252") {
  CQuenzelField field(12, "defs", "", name, codePage, sendOrDelete, "ITEM");
  std::istringstream in(line);
  bool noField = false;
  EXPECT_TRUE(field.Read(in, noField)) << line;
  field.Reset();
  return field;
}

struct Case {
  const char* line;  // definition of the field
  const char* text;  // text given to SetValueUTF8
  QuenzelError result;
  const char* value;     // m_Value afterwards
  const char* rejected;  // m_Rejected afterwards
};

class FieldValueTest : public QuenzelEnvTest {
 protected:
  void DefaultDataMode(bool on) {
    WriteRegistry({{kQuenzelKey, "DEFAULTDATAMODE", on ? "true" : "false"}});
  }

  void Run(const Case* begin, const Case* end) {
    for (const Case* c = begin; c != end; ++c) {
      CQuenzelField field = MakeField(c->line);
      field.m_Rejected = "before";
      EXPECT_EQ(field.SetValueUTF8(c->text, false), c->result) << c->line << " <- " << c->text;
      EXPECT_EQ(field.m_Value, c->value) << c->line << " <- " << c->text;
      EXPECT_EQ(field.m_Rejected, c->rejected) << c->line << " <- " << c->text;
    }
  }
};

using E = QuenzelError;

TEST_F(FieldValueTest, NumericChecksAndPrecedence) {
  DefaultDataMode(false);
  const Case cases[] = {
      {"1 NUMERIC x 6 0 ", "007", E::kNone, "7", "before"},
      {"1 NUMERIC x 6 0 ", "-", E::kNone, "0", "before"},
      {"1 NUMERIC x 6 0 ", "12-3", E::kNone, "12", "before"},
      {"1 NUMERIC x 6 0 ", "12a", E::kInvalidNumeric, "0", "12a"},
      {"1 NUMERIC x 6 0 ", "", E::kInvalidNumeric, "0", ""},
      {"1 NUMERIC x 6 0 ", " 1", E::kInvalidNumeric, "0", " 1"},
      {"1 NUMERIC x 3 0 ", "12345", E::kLengthError, "12345", "12345"},
      {"1 NUMERIC x 5 0 ", "-42", E::kNone, "-0042", "before"},
      {"1 NUMERIC x 2 0 ", "-42", E::kLengthError, "-42", "-42"},
      // Bounds apply only when the minimum and maximum differ.
      {"1 NUMERIC x 6 0 1 100 ", "0", E::kLengthError, "0", "0"},
      {"1 NUMERIC x 6 0 1 100 ", "100", E::kNone, "100", "before"},
      {"1 NUMERIC x 6 0 5 ", "0", E::kNone, "0", "before"},
      // A value outside the bounds skips the list; the width result is replaced.
      {"1 NUMERIC x 2 0 1-9 ", "123", E::kRangeError, "123", "123"},
      {"1 NUMERIC x 6 0 1-5,(3)-0,10 ", "3", E::kNone, "3", "before"},
      {"1 NUMERIC x 6 0 1-5,(3)-0,10 ", "-2", E::kNone, "-00002", "before"},
      {"1 NUMERIC x 6 0 1-5,(3)-0,10 ", "10", E::kNone, "10", "before"},
      {"1 NUMERIC x 6 0 1-5,(3)-0,10 ", "7", E::kRangeError, "7", "7"},
      {"1 NUMERIC x 6 0 -7 ", "7", E::kNone, "7", "before"},  // a high bound alone is a value
      {"1 NUMERIC x 6 0 1-5-9 ", "7", E::kRangeError, "7", "7"},
      // Beyond 64 bits: no number this field can hold.
      {"1 NUMERIC x 30 0 ", "99999999999999999999", E::kInvalidNumeric, "0",
       "99999999999999999999"},
      {"1 NUMERIC x 30 0 ", "9223372036854775807", E::kNone, "9223372036854775807", "before"},
      {"1 NUMERIC x 30 0 ", "-9223372036854775808", E::kNone, "-00000000009223372036854775808",
       "before"},
  };
  Run(std::begin(cases), std::end(cases));
}

TEST_F(FieldValueTest, DefaultDataMode) {
  DefaultDataMode(true);
  const Case cases[] = {
      {"1 NUMERIC x 6 7 1 100 ", "0", E::kRangeWarning, "7", "0:7"},
      {"1 NUMERIC x 6 7 1-5 ", "9", E::kRangeWarning, "7", "9:7"},
      {"1 NUMERIC x 3 7 1 100 ", "-5000", E::kRangeWarning, "7", "-5000:7"},
      // The width check never substitutes.
      {"1 NUMERIC x 2 7 ", "123", E::kLengthError, "123", "123"},
      // A key field is reported, and its rejected text left alone.
      {"1 NUMERIC x 6 7 KEYPOS = F1 1 100 ", "0", E::kLengthError, "0", "before"},
      {"1 NUMERIC x 6 7 KEYPOS = F1 1-5 ", "9", E::kRangeError, "9", "9"},
      {"4 FLAG x 1 N Y N", "X", E::kRangeWarning, "N", "X:N"},
      {"4 FLAG x 1 N Y N", "", E::kRangeWarning, "N", ":N"},
  };
  Run(std::begin(cases), std::end(cases));

  // Fields of SEND and DELETE records never substitute.
  CQuenzelField send = MakeField("1 NUMERIC x 6 7 1 100 ", "", true);
  EXPECT_EQ(send.SetValueUTF8("0", false), E::kLengthError);
  CQuenzelField flag = MakeField("4 FLAG x 1 N Y N", "", true);
  EXPECT_EQ(flag.SetValueUTF8("X", false), E::kRangeError);

  // The mode is read again at every failed check.
  CQuenzelField field = MakeField("1 NUMERIC x 6 7 1 100 ");
  EXPECT_EQ(field.SetValueUTF8("0", false), E::kRangeWarning);
  DefaultDataMode(false);
  EXPECT_EQ(field.SetValueUTF8("0", false), E::kLengthError);
}

TEST_F(FieldValueTest, SingleCharacterGroup) {
  DefaultDataMode(false);
  const Case cases[] = {
      {"4 FLAG x 1 N Y N", "N", E::kNone, "N", "before"},
      {"4 FLAG x 1 N Y N", "Yes", E::kNone, "Y", "before"},
      {"4 FLAG x 1 N Y N", "X", E::kRangeError, "X", "X"},
      {"4 FLAG x 1 N Y N", "", E::kRangeError, "N", "N"},
      {"4 FLAG x 1 N", "\x05", E::kNone, "5", "before"},
      {"4 FLAG x 1 N", "\x09", E::kNone, "9", "before"},
      {"4 FLAG x 1 N", "\x0a", E::kNone, "\n", "before"},
      {"16 FONT name=\"F\" 1 A A-C", "B", E::kNone, "B", "before"},
      {"16 FONT name=\"F\" 1 A A-C", "D", E::kRangeError, "D", "D"},
      {"6 PRICEBASE name=\"PB\" 1 0 0,1", "1", E::kNone, "1", "before"},
      {"6 PRICEBASE name=\"PB\" 1 0 0,1", "2", E::kRangeError, "2", "2"},
      {"6 PRICEBASE name=\"PB\" 1 0 0-5", "\x03", E::kNone, "3", "before"},
      {"17 CHARACTER name=\"C\" 1 X 7", "7", E::kNone, "7", "before"},
  };
  for (const Case& c : cases) {
    CQuenzelField field = MakeField(c.line, c.line[0] == '4' ? "" : "named");
    field.m_Rejected = "before";
    EXPECT_EQ(field.SetValueUTF8(c.text, false), c.result) << c.line << " <- " << c.text;
    EXPECT_EQ(field.m_Value, c.value) << c.line << " <- " << c.text;
    EXPECT_EQ(field.m_Rejected, c.rejected) << c.line << " <- " << c.text;
  }

  // Letters compare by byte: a lower-case range admits no capitals.
  CQuenzelField font = MakeField("16 FONT name=\"F\" 1 A A-C", "F");
  font.m_ValueList = "a-c";
  EXPECT_EQ(font.SetValueUTF8("B", false), E::kRangeError);
  EXPECT_EQ(font.SetValueUTF8("b", false), E::kNone);

  CQuenzelField flag = MakeField("4 FLAG x 1 N Y N");
  EXPECT_THROW(flag.SetValue("", false), std::out_of_range);
  EXPECT_EQ(flag.m_Value, "N");
  EXPECT_EQ(flag.SetValue("Y", false), E::kNone);
}

TEST_F(FieldValueTest, TextGroupAndCodePages) {
  CQuenzelField text = MakeField("3 STRING name=\"D\" 4 INITVALUE= old", "D");
  EXPECT_EQ(text.SetValue("", false), E::kNone);
  EXPECT_EQ(text.m_Value, "old");
  EXPECT_EQ(text.SetValue("longer than the length", false), E::kNone);
  EXPECT_EQ(text.m_Value, "longer than the length");
  EXPECT_EQ(text.SetValue("caf\xe9", false), E::kNone);
  EXPECT_EQ(text.m_Value, "caf\xc3\xa9");
  EXPECT_EQ(text.SetValue("\x80", false), E::kNone);
  EXPECT_EQ(text.m_Value, "\xe2\x82\xac") << "the euro sign of cp-1252";
  EXPECT_EQ(text.SetValueUTF8("", false), E::kNone);
  EXPECT_EQ(text.m_Value, "");
  EXPECT_EQ(text.SetValueUTF8(std::string("a\0b", 3), false), E::kNone);
  EXPECT_EQ(text.m_Value.size(), 3u);

  // Every byte of the code page needs up to three UTF-8 bytes: the whole text arrives.
  std::string high(100000, '\x80');
  EXPECT_EQ(text.SetValue(high, false), E::kNone);
  EXPECT_EQ(text.m_Value.size(), 300000u);

  CQuenzelField unknown = MakeField("3 STRING x 4", "", false, "cp-");
  unknown.m_Value = "kept";
  EXPECT_EQ(unknown.SetValue("abc", false), E::kNone);
  EXPECT_EQ(unknown.m_Value, "");

  CQuenzelField dateTime = MakeField("3 DATETIME x 14 #");
  EXPECT_EQ(dateTime.SetValue("not a date", false), E::kNone);
  EXPECT_EQ(dateTime.m_Value, "not a date");
}

TEST_F(FieldValueTest, PrivateFields) {
  for (const char* line :
       {"1 NUMERIC x 6 0 PRIVATE 1-9", "4 FLAG x 1 N PRIVATE", "3 STRING x 4 PRIVATE"}) {
    CQuenzelField field = MakeField(line);
    std::string value = field.m_Value;
    field.m_Rejected = "before";
    EXPECT_EQ(field.SetValueUTF8("5", false), E::kNone) << line;
    EXPECT_EQ(field.m_Value, value) << line;
    EXPECT_EQ(field.m_Rejected, "before") << line;
    EXPECT_EQ(field.SetValue("5", false), E::kNone) << line;
    EXPECT_EQ(field.m_Value, value) << line;
    // The override sets every group but the numeric one.
    EXPECT_EQ(field.SetValueUTF8("5", true), E::kNone) << line;
    EXPECT_EQ(field.m_Value, line[0] == '1' ? value : "5") << line;
  }
}

struct ConversionCase {
  long long value;
  int hostMS, hostSF, scaleMS, scaleSF;
  QuenzelError result;
  const char* stored;
};

TEST_F(FieldValueTest, WeightConversionTable) {
  // Expected values follow the conversion rules with single-precision
  // rounding after every step.
  const ConversionCase cases[] = {
      {1000, 1, -3, 2, -2, E::kNone, "220"},
      {-1000, 1, -3, 2, -2, E::kNone, "-00000000220"},
      {5, 1, 0, 1, -3, E::kNone, "5000"},
      {25, 1, -3, 1, -2, E::kNone, "3"},              // 2.5 rounds up
      {-25, 1, -3, 1, -2, E::kNone, "-00000000002"},  // negative results are cut
      {3, 1, 1, 2, 0, E::kNone, "66"},
      {1000, 1, -3, 3, -3, E::kNone, "282"},
      {999, 1, -3, 3, -4, E::kNone, "2819"},
      {100, 2, -2, 1, -3, E::kNone, "454"},
      {123456789, 2, -3, 1, -3, E::kNone, "56000000"},
      {12345, 2, -3, 2, -2, E::kNone, "1235"},
      {3, 2, 0, 2, 3, E::kNone, "0"},
      {7, 2, 1, 3, 0, E::kNone, "7"},  // a positive source factor is not applied
      {160, 2, -1, 3, 2, E::kNone, "1"},
      {16, 3, -2, 1, -3, E::kNone, "454"},
      {1281, 3, -4, 1, -3, E::kNone, "454"},
      {2240, 3, 0, 1, 1, E::kNone, "102"},
      {16, 3, -2, 2, -2, E::kNone, "100"},
      {1, 3, 4, 3, 3, E::kNone, "20"},
      {7, 3, 1, 3, -1, E::kNone, "392"},
      {16777217, 1, 0, 1, 0, E::kNone, "16777216"},  // beyond float precision
      {1234, 4, 0, 1, 0, E::kConvertFail, "1234"},
      {5, 1, 0, 0, 0, E::kConvertFail, "5"},
      {1, 3, 4, 5, 0, E::kConvertFail, "2240"},
      {12345, 3, 5, 3, 0, E::kConvertFail, "12345"},
      {100, 1, 0, 3, 9, E::kConvertFail, "220"},
      {0, 9, 9, 9, 9, E::kNone, "0"},
  };
  for (const ConversionCase& c : cases) {
    CQuenzelField field = MakeField("7 WEIGHT x 12 0 ");
    field.SetFieldConversionDetails(true, c.scaleMS, c.scaleSF, c.hostMS, c.hostSF, 0, true, false,
                                    false);
    std::string text = std::to_string(c.value);
    EXPECT_EQ(field.SetValueUTF8(text, false), c.result)
        << text << " from " << c.hostMS << "," << c.hostSF << " to " << c.scaleMS << ","
        << c.scaleSF;
    EXPECT_EQ(field.m_Value, c.stored) << text;
  }
}

TEST_F(FieldValueTest, WeightConversionRules) {
  DefaultDataMode(false);
  // Conversion needs the switch, a weight type and the field's own flag.
  struct Rule {
    const char* line;
    bool on;
    bool convertField;
    int scaleMS;
    const char* stored;
  };
  const Rule rules[] = {
      {"7 WEIGHT x 6 0 ", true, true, 2, "220"},      {"7 WEIGHT x 6 0 ", false, true, 2, "1000"},
      {"7 WEIGHT x 6 0 ", true, false, 2, "1000"},    {"1 NUMERIC x 6 0 ", true, true, 2, "1000"},
      {"8 NETWEIGHT x 6 0 ", true, true, 2, "220"},   {"8 NETWEIGHT x 6 0 ", true, true, 0, "1000"},
      {"9 WEIGHTHIRES x 6 0 ", true, true, 2, "220"},
  };
  for (const Rule& r : rules) {
    CQuenzelField field = MakeField(r.line);
    field.SetFieldConversionDetails(r.on, r.scaleMS, -2, 1, -3, 0, r.convertField, false, false);
    field.SetValueUTF8("1000", false);
    EXPECT_EQ(field.m_Value, r.stored) << r.line << " on=" << r.on << " field=" << r.convertField;
  }

  // Bounds and lists are checked again on the converted value.
  CQuenzelField bounded = MakeField("7 WEIGHT x 6 0 0 250 ");
  bounded.SetFieldConversionDetails(true, 2, -2, 1, -3, 0, true, false, false);
  EXPECT_EQ(bounded.SetValueUTF8("1000", false), E::kNone);
  EXPECT_EQ(bounded.SetValueUTF8("2000", false), E::kRangeError);
  EXPECT_EQ(bounded.m_Value, "441");
  CQuenzelField listed = MakeField("7 WEIGHT x 6 0 1-300 ");
  listed.SetFieldConversionDetails(true, 2, -2, 1, -3, 0, true, false, false);
  // 1000 itself is not listed, but the conversion's result replaces that one.
  EXPECT_EQ(listed.SetValueUTF8("1000", false), E::kNone);
  EXPECT_EQ(listed.m_Value, "220");
  EXPECT_EQ(listed.m_Rejected, "1000");
  // A conversion failure replaces an earlier width result.
  CQuenzelField narrow = MakeField("7 WEIGHT x 2 0 ");
  narrow.SetFieldConversionDetails(true, 7, 0, 1, 0, 0, true, false, false);
  EXPECT_EQ(narrow.SetValueUTF8("123", false), E::kConvertFail);

  // Fixed host units survive a hand-over.
  CQuenzelField fixed = MakeField("7 WEIGHT x 6 0 ");
  fixed.m_HostUnitsFixed = true;
  fixed.SetFieldConversionDetails(true, 2, -2, 1, -3, 5, true, true, true);
  EXPECT_EQ(fixed.m_HostMS, 0);
  EXPECT_EQ(fixed.m_ScaleMS, 2);
  EXPECT_EQ(fixed.m_TotalsMS, 5);
  EXPECT_TRUE(fixed.m_ConversionFlagA && fixed.m_ConversionFlagB);
}

TEST_F(FieldValueTest, ConversionAuditEntries) {
  CQuenzelField field(12, "defs.txt", "AUD", "W", "cp-1252", false, "ITEM");
  std::istringstream in("7 WEIGHT x 6 0 ");
  bool noField = false;
  ASSERT_TRUE(field.Read(in, noField));
  field.SetFieldConversionDetails(true, 2, -2, 1, -3, 0, true, false, false);
  field.SetValueUTF8("0", false);
  EXPECT_TRUE(LogEntries("AUD").empty()) << "a zero converts without entries";
  field.SetValueUTF8("1000", false);
  auto entries = LogEntries("AUD");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0],
            (std::vector<std::string>{"quenzel", "997",
                                      "HostMS = <1> HostSF = <-3> ScaleMS = <2> ScaleSF = <-2> ",
                                      "defs.txt", "7", "CQuenzelField::Convert()"}));
  EXPECT_EQ(entries[1],
            (std::vector<std::string>{"quenzel", "997", "Quenzel Weight Field conversion. Before",
                                      "defs.txt", "7", "1000", "CQuenzelField::Convert()"}));
  EXPECT_EQ(entries[2][2], "Quenzel Weight Field conversion. After");
  EXPECT_EQ(entries[2][5], "220");
}

TEST(ErrorTest, NamesAndException) {
  const char* names[] = {"None",         "Range Error",     "Range Warning", "Convert Fail",
                         "Length Error", "Invalid Numeric", "Not Found"};
  for (int code = 0; code < 7; ++code) EXPECT_STREQ(QuenzelErrorName(code), names[code]);
  EXPECT_STREQ(QuenzelErrorName(-1), "Not Found");
  CQuenzelException e("GetField", "defs", -1, "ITEM", "PB", "rejected", "comment");
  EXPECT_EQ(e.m_ErrorName, "Not Found");
  EXPECT_EQ(e.m_Extra, 0);
  EXPECT_EQ(e.m_Context1, "comment");
  EXPECT_EQ(e.m_Context2, "rejected");
  CQuenzelException copy = e;
  EXPECT_EQ(copy.m_FieldName, "PB");
}

}  // namespace
