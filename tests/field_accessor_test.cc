// Typed setters and getters, text output and the data-record element of a
// field.
#include <gtest/gtest.h>

#include <climits>
#include <sstream>

#include "quenzel.h"
#include "test_env.h"

namespace {

using E = QuenzelError;
using quenzel_test::QuenzelEnvTest;

CQuenzelField MakeField(const std::string& line, const std::string& name = "") {
  CQuenzelField field(12, "defs", "", name, "cp-1252", false, "ITEM");
  std::istringstream in(line);
  bool noField = false;
  EXPECT_TRUE(field.Read(in, noField)) << line;
  field.Reset();
  return field;
}

const char* const kNumeric = "1 NUMERIC x 30 0 ";

TEST(TypedSetterTest, IntegerFamiliesExtendByTheirType) {
  struct Case {
    const char* what;
    std::function<E(CQuenzelField&)> set;
    const char* stored;
  };
  const Case cases[] = {
      {"int", [](CQuenzelField& f) { return f.SetValue(-5, false); },
       "-00000000000000000000000000005"},
      {"long", [](CQuenzelField& f) { return f.SetValueUTF8(7L, false); }, "7"},
      {"long long", [](CQuenzelField& f) { return f.SetValue(LLONG_MAX, false); },
       "9223372036854775807"},
      {"unsigned", [](CQuenzelField& f) { return f.SetValue(4294967295u, false); }, "4294967295"},
      {"unsigned long", [](CQuenzelField& f) { return f.SetValue(8ul, false); }, "8"},
      {"short", [](CQuenzelField& f) { return f.SetValueUTF8(static_cast<short>(32767), false); },
       "32767"},
      {"unsigned short",
       [](CQuenzelField& f) { return f.SetValue(static_cast<unsigned short>(65535), false); },
       "65535"},
      {"unsigned long long", [](CQuenzelField& f) { return f.SetValue(5ull, false); }, "5"},
      {"float", [](CQuenzelField& f) { return f.SetValue(-2.7f, false); },
       "-00000000000000000000000000002"},
      {"float up", [](CQuenzelField& f) { return f.SetValueUTF8(2.7f, false); }, "2"},
      {"char", [](CQuenzelField& f) { return f.SetValue('A', false); }, "65"},
      {"unsigned char",
       [](CQuenzelField& f) { return f.SetValueUTF8(static_cast<unsigned char>(200), false); },
       "200"},
  };
  for (const Case& c : cases) {
    CQuenzelField field = MakeField(kNumeric);
    EXPECT_EQ(c.set(field), E::kNone) << c.what;
    EXPECT_EQ(field.m_Value, c.stored) << c.what;
  }
  // The same 64 bits: the largest unsigned value is -1.
  CQuenzelField wide = MakeField("1 NUMERIC x 2 0 ");
  EXPECT_EQ(wide.SetValue(ULLONG_MAX, false), E::kNone);
  EXPECT_EQ(wide.m_Value, "-1");
}

TEST(TypedSetterTest, SingleCharacterAndTextFields) {
  CQuenzelField flag = MakeField("4 FLAG x 1 N Y N 7");
  EXPECT_EQ(flag.SetValue(7, false), E::kNone);
  EXPECT_EQ(flag.m_Value, "7");
  EXPECT_EQ(flag.SetValue(9, false), E::kRangeError);
  EXPECT_EQ(flag.m_Value, "9");
  for (long long bad : {10LL, -1LL}) {
    flag.m_Value = "N";
    EXPECT_EQ(flag.SetValue(bad, false), E::kConvertFail);
    EXPECT_EQ(flag.m_Value, "N");
    EXPECT_EQ(flag.m_Rejected, std::string(1, static_cast<char>(bad & 0xFF)));
  }
  EXPECT_EQ(flag.SetValue('Y', false), E::kNone);
  EXPECT_EQ(flag.m_Value, "Y");
  EXPECT_EQ(flag.SetValue('X', false), E::kRangeError);
  EXPECT_EQ(flag.m_Value, "X");
  EXPECT_EQ(flag.SetValue(static_cast<unsigned char>(7), false), E::kNone) << "7 maps to '7'";

  // A list is matched by number for numbers and by the byte as given for characters.
  CQuenzelField pb = MakeField("6 PRICEBASE name=\"PB\" 1 0 0,1", "PB");
  EXPECT_EQ(pb.SetValue(1, false), E::kNone);
  EXPECT_EQ(pb.SetValue('1', false), E::kNone);
  EXPECT_EQ(pb.SetValue(static_cast<unsigned char>(1), false), E::kNone);
  EXPECT_EQ(pb.SetValue(2, false), E::kRangeError);

  CQuenzelField text = MakeField("3 STRING x 3");
  EXPECT_EQ(text.SetValue(5, false), E::kNone);
  EXPECT_EQ(text.m_Value, "5");
  EXPECT_EQ(text.SetValue(12345, false), E::kLengthError);
  EXPECT_EQ(text.m_Value, "12345");
  EXPECT_EQ(text.SetValue('Y', false), E::kNone);
  EXPECT_EQ(text.m_Value, "12345") << "characters are not stored in text fields";
}

class DefaultSubstitutionTest : public QuenzelEnvTest {};

TEST_F(DefaultSubstitutionTest, SingleCharacterFieldsHoldTheCharacter) {
  WriteRegistry({{"SOFTWARE\\TORVANHOLME\\DRIVER\\QUENZEL", "DEFAULTDATAMODE", "1"}});
  CQuenzelField flag = MakeField("4 FLAG x 1 N Y N");
  EXPECT_EQ(flag.SetValue(7, false), E::kRangeWarning);
  EXPECT_EQ(flag.m_Value, "N");
  EXPECT_EQ(flag.m_Rejected, "7:N");
  EXPECT_EQ(flag.SetValueUTF8('X', false), E::kRangeWarning);
  EXPECT_EQ(flag.m_Rejected, "X:N");
  CQuenzelField named = MakeField("4 FLAG name=\"A\" 1 N Y", "A");
  EXPECT_EQ(named.SetValue(3, false), E::kRangeWarning);
  EXPECT_EQ(named.m_Value, "N");
}

TEST(TypedSetterTest, PrivateNumericField) {
  CQuenzelField field = MakeField("1 NUMERIC x 6 0 PRIVATE 0-999");
  EXPECT_EQ(field.SetValue(5LL, false), E::kNone);
  EXPECT_EQ(field.m_Value, "0");
  EXPECT_EQ(field.SetValue(static_cast<unsigned char>(5), true), E::kNone);
  EXPECT_EQ(field.m_Value, "0") << "the character setter never sets a private number";
  EXPECT_EQ(field.SetValue(5LL, true), E::kNone);
  EXPECT_EQ(field.m_Value, "5");
}

TEST(TypedGetterTest, YearRule) {
  struct Case {
    const char* stored;
    long long year;
  };
  const Case cases[] = {{"74", 2074},   {"75", 1975}, {"0", 2000}, {"1999", 1999},
                        {"2074", 2074}, {"-5", 1995}, {"", 2000}};
  for (const Case& c : cases) {
    CQuenzelField field = MakeField("11 YEAR x 4 0 ");
    field.m_Value = c.stored;
    long long year = 0;
    EXPECT_EQ(field.GetValue(year), E::kNone) << c.stored;
    EXPECT_EQ(year, c.year) << c.stored;
  }
  CQuenzelField bounded = MakeField("11 YEAR x 4 0 2000 2050 ");
  bounded.m_Value = "99";
  long long year = 0;
  EXPECT_EQ(bounded.GetValue(year), E::kRangeError);
  EXPECT_EQ(year, 1999);
  EXPECT_EQ(bounded.m_Rejected, "99");
}

TEST(TypedGetterTest, NarrowingGetters) {
  CQuenzelField field = MakeField(kNumeric);
  field.m_Value = "1099511627781";  // 2^40 + 5
  int i = -1;
  unsigned u = 0;
  short s = 0;
  unsigned short us = 0;
  unsigned long long ull = 0;
  float f = 0;
  EXPECT_EQ(field.GetValue(i), E::kNone);
  EXPECT_EQ(i, 5);
  EXPECT_EQ(field.GetValueUTF8(u), E::kNone);
  EXPECT_EQ(u, 5u);
  field.m_Value = "70000";
  EXPECT_EQ(field.GetValue(s), E::kNone);
  EXPECT_EQ(s, 4464);
  EXPECT_EQ(field.GetValue(us), E::kNone);
  EXPECT_EQ(us, 4464);
  field.m_Value = "-1";
  EXPECT_EQ(field.GetValue(ull), E::kNone);
  EXPECT_EQ(ull, ULLONG_MAX);
  field.m_Value = "16777217";
  EXPECT_EQ(field.GetValue(f), E::kNone);
  EXPECT_EQ(f, 16777216.0f);

  CQuenzelField text = MakeField("3 STRING x 4");
  text.m_Value = "12";
  i = 99;
  EXPECT_EQ(text.GetValue(i), E::kConvertFail);
  EXPECT_EQ(i, 0) << "the narrowing getters store their temporary";
  long long wide = 99;
  EXPECT_EQ(text.GetValue(wide), E::kConvertFail);
  EXPECT_EQ(wide, 99) << "the 64-bit getter leaves the variable";
  EXPECT_EQ(text.m_Rejected, "12");

  CQuenzelField ranged = MakeField("1 NUMERIC x 6 0 1-50 ");
  ranged.m_Value = "60";
  EXPECT_EQ(ranged.GetValue(wide), E::kRangeError);
  EXPECT_EQ(wide, 60);
}

TEST(TypedGetterTest, WeightsConvertToHostUnits) {
  CQuenzelField field = MakeField("7 WEIGHT x 6 0 ");
  field.SetFieldConversionDetails(true, 2, -2, 1, -3, 0, true, false, false);
  field.m_Value = "220";
  long long grams = 0;
  EXPECT_EQ(field.GetValue(grams), E::kNone);
  EXPECT_EQ(grams, 998);  // 2.2 lb in grams, single precision
  std::string text;
  EXPECT_EQ(field.GetValueUTF8(text), E::kNone);
  EXPECT_EQ(text, "998") << "converted weights are not padded";
  // The text getter reads the zero-padded text: a short negative value is 0.
  field.m_Value = "-220";
  EXPECT_EQ(field.GetValueUTF8(text), E::kNone);
  EXPECT_EQ(text, "0");
  field.m_Value = "-002200";
  EXPECT_EQ(field.GetValueUTF8(text), E::kNone);
  EXPECT_EQ(text, "-9979");
  CQuenzelField net = MakeField("8 NETWEIGHT x 6 0 ");
  net.SetFieldConversionDetails(true, 0, -2, 1, -3, 0, true, false, false);
  net.m_Value = "220";
  EXPECT_EQ(net.GetValueUTF8(text), E::kNone);
  EXPECT_EQ(text, "000220");
}

TEST(TextGetterTest, PaddingAndCodePages) {
  struct Case {
    const char* line;
    const char* value;
    const char* utf8;
    const char* codePage;
  };
  const Case cases[] = {
      {"1 NUMERIC x 6 0 ", "42", "000042", "000042"},
      {"1 NUMERIC x 2 0 ", "12345", "12345", "12345"},
      {"3 STRING x 5", "AB", "AB   ", "AB   "},
      {"3 STRING x 5 #", "AB", "AB", "AB"},
      {"3 STRING x 5 ab", "AB", "AB", "AB"},
      {"3 STRING x 5 INITVALUE= \"x\xe9\"", "", "x\xe9", "x\xe9"},
      {"3 STRING x 5 #INITVALUE=ab", "", "AB", "AB"},
      {"3 STRING x 5", "caf\xc3\xa9", "caf\xc3\xa9", "caf\xe9 "},
      {"3 STRING x 2", "\xe4\xb8\xad", "\xe4\xb8\xad", "\x1a "},
      {"4 FLAG x 1 N", "Yes", "Y", "Y"},
  };
  for (const Case& c : cases) {
    CQuenzelField field = MakeField(c.line);
    field.m_Value = c.value;
    std::string utf8, codePage;
    EXPECT_EQ(field.GetValueUTF8(utf8), E::kNone) << c.line;
    EXPECT_EQ(field.GetValue(codePage), E::kNone) << c.line;
    EXPECT_EQ(utf8, c.utf8) << c.line;
    EXPECT_EQ(codePage, c.codePage) << c.line;
  }
  CQuenzelField flag = MakeField("4 FLAG x 1 N");
  flag.m_Value.clear();
  std::string untouched = "keep";
  EXPECT_EQ(flag.GetValue(untouched), E::kNone);
  EXPECT_EQ(untouched, "keep");
}

TEST(CharacterGetterTest, ByType) {
  CQuenzelField flag = MakeField("4 FLAG x 1 N");
  flag.m_Value.clear();
  unsigned char c = 'x';
  EXPECT_EQ(flag.GetValue(c), E::kNone);
  EXPECT_EQ(c, 0);
  CQuenzelField listed = MakeField("4 FLAG name=\"A\" 1 N Y,N", "A");
  listed.m_Value = "Q";
  char plain = 0;
  EXPECT_EQ(listed.GetValueUTF8(plain), E::kRangeError);
  EXPECT_EQ(plain, 'Q');
  EXPECT_EQ(listed.m_Rejected, "Q");

  CQuenzelField number = MakeField("1 NUMERIC x 6 0 ");
  number.m_Value = "321";
  EXPECT_EQ(number.GetValue(c), E::kNone);
  EXPECT_EQ(c, 321 & 0xFF);
  CQuenzelField bounded = MakeField("1 NUMERIC x 6 0 0 50 ");
  bounded.m_Value = "65";
  EXPECT_EQ(bounded.GetValue(c), E::kRangeError);

  CQuenzelField text = MakeField("3 STRING x 4");
  text.m_Value = "abc";
  plain = 'z';
  EXPECT_EQ(text.GetValue(plain), E::kConvertFail);
  EXPECT_EQ(plain, 'z');
  EXPECT_EQ(text.m_Rejected, "abc");
}

std::string Written(CQuenzelField& field) {
  std::ostringstream out;
  out << field;
  return out.str();
}

TEST(FieldWriterTest, ElementsAndSkipRules) {
  struct Case {
    const char* line;
    const char* value;
    const char* written;
  };
  const Case cases[] = {
      {"12 STRING x 5 #", "ABC", "12 3 \"ABC\" "},
      {"12 STRING x 5 #", "", ""},
      {"12 STRING x 5", "     ", ""},
      {"12 STRING x 5", "      x", ""},
      {"12 STRING x 5", "", "12 0 \"\" "},
      {"12 STRING x 5", "  ", "12 2 \"  \" "},
      {"12 STRING x 5 #", "a \"b\"\nc", "12 7 \"a \"b\"\nc\" "},
      {"12 STRING x 5 #", "caf\xc3\xa9", "12 5 \"caf\xc3\xa9\" "},
      {"3 NUMERIC x 6 7 ", "7", ""},
      {"3 NUMERIC x 6 7 ", "0042", "3 2 \"42\" "},
      {"3 NUMERIC x 6 0 1-9 ", "20", ""},
      {"4 FLAG x 1 N", "N", ""},
      {"4 FLAG x 1 N", "Y", "4 1 \"Y\" "},
      {"4 FLAG name=\"A\" 1 N Y,N", "Q", ""},
  };
  for (const Case& c : cases) {
    CQuenzelField field = MakeField(c.line, c.line[9] == 'n' ? "A" : "");
    field.m_Value = c.value;
    EXPECT_EQ(Written(field), c.written) << c.line << " holding " << c.value;
  }
  CQuenzelField hidden = MakeField("12 STRING x 5 #");
  hidden.m_Value = "ABC";
  hidden.SetTreatAsText();
  EXPECT_EQ(Written(hidden), "");

  // The stream's format flags apply to the numbers.
  CQuenzelField field = MakeField("26 STRING x 5 #");
  field.m_Value = "0123456789AB";
  std::ostringstream out;
  out << std::hex << field;
  EXPECT_EQ(out.str(), "1a c \"0123456789AB\" ");
}

TEST(FieldResetTest, StoresDefaultsThroughTheSetters) {
  struct Case {
    const char* line;
    const char* value;
  };
  const Case cases[] = {
      {"1 NUMERIC x 6 7 ", "7"}, {"1 NUMERIC x 4 0 1-9 ", "0"},
      {"4 FLAG x 1 N Y N", "N"}, {"4 FLAG x 1", " "},
      {"4 FLAG x 1 ab", "0"},    {"3 STRING x 4 INITVALUE= hi", "hi"},
  };
  for (const Case& c : cases) {
    CQuenzelField field = MakeField(c.line);
    field.m_Value = "changed";
    field.SetSupplied(true);
    field.Reset();
    EXPECT_EQ(field.m_Value, c.value) << c.line;
    EXPECT_FALSE(field.IsSupplied());
  }
}

}  // namespace
