// Parsing of definition field lines, compared through a compact description
// of every member that differs from a freshly constructed field.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "quenzel_field.h"

namespace {

std::string Describe(const CQuenzelField& f) {
  std::ostringstream out;
  out << "n=" << f.m_FieldNumber << " type=" << f.m_Type;
  if (f.m_Length != 0) out << " len=" << f.m_Length;
  if (f.m_Default != 0) out << " def=" << f.m_Default;
  if (f.m_Min != -1) out << " min=" << f.m_Min;
  if (f.m_Max != -1) out << " max=" << f.m_Max;
  if (!f.m_ValueList.empty()) out << " list=" << f.m_ValueList;
  if (!f.m_ValidChars.empty())
    out << " valid=" << std::string(f.m_ValidChars.begin(), f.m_ValidChars.end());
  if (!f.m_InitValue.empty()) out << " init=" << f.m_InitValue;
  if (f.m_NoPad) out << " nopad";
  if (!f.m_Key.empty()) out << " key=" << f.m_Key;
  if (!f.m_KeyPos.empty()) out << " keypos=" << f.m_KeyPos;
  if (f.m_PseudoNumber != -1) out << " pseudo=" << f.m_PseudoNumber;
  if (f.m_SplitCnt1 || f.m_SplitCnt2) out << " split=" << f.m_SplitCnt1 << "," << f.m_SplitCnt2;
  if (f.m_Private) out << " private";
  if (f.m_NoPartial) out << " nopartial";
  if (f.m_DelCtlCh) out << " delctlch";
  return out.str();
}

struct Case {
  const char* line;
  const char* name;  // the field name the record reader hands over
  bool ok;
  const char* description;  // of the field after Read; "" to skip
};

void RunCases(const Case* begin, const Case* end) {
  for (const Case* c = begin; c != end; ++c) {
    CQuenzelField field(12, "defs", "", c->name, "cp-1252", true, "ITEM");
    std::istringstream in(c->line);
    bool noField = true;
    EXPECT_EQ(field.Read(in, noField), c->ok) << "line: " << c->line;
    EXPECT_FALSE(noField) << "line: " << c->line;
    if (*c->description) {
      EXPECT_EQ(Describe(field), c->description) << "line: " << c->line;
    }
  }
}

TEST(FieldReadTest, NoFieldLines) {
  for (const char* line : {"", "   ", "// comment only", "\t/ slash"}) {
    CQuenzelField field(12, "defs", "", "", "cp-1252", true, "ITEM");
    std::istringstream in(line);
    bool noField = false;
    EXPECT_TRUE(field.Read(in, noField)) << line;
    EXPECT_TRUE(noField) << line;
  }
}

TEST(FieldReadTest, NumberTypeAndLength) {
  const Case cases[] = {
      {"1 NUMERIC x 4", "", true, "n=1 type=1 len=4"},
      {"1 colour x 4", "", true, "n=1 type=1 len=4"},
      {"9999999 STRING x 99999998", "", true, "n=9999999 type=3 len=99999998 def=32"},
      {"0 STRING x 4", "", false, "n=0 type=3"},
      {"10000000 STRING x 4", "", false, "n=10000000 type=3"},
      {"-1 STRING x 4", "", false, ""},
      {"abc", "", false, ""},
      {"1 DATE x 4", "", false, "n=1 type=0"},
      {"1 STRING x", "", false, ""},
      {"1 STRING x 0", "", false, ""},
      {"1 STRING x 99999999", "", false, ""},
      {"1 STRING x -4", "", false, ""},
  };
  RunCases(std::begin(cases), std::end(cases));
}

TEST(FieldReadTest, NumericTail) {
  const Case cases[] = {
      // Without a name a plain number is the minimum, the next one the maximum.
      {"1 NUMERIC x 4 7 1 9999 ", "", true, "n=1 type=1 len=4 def=7 min=1 max=9999"},
      {"1 NUMERIC x 4 7 5 ", "", true, "n=1 type=1 len=4 def=7 min=5 max=5"},
      {"1 NUMERIC x 4 0 -5 KEYPOS = \"F1\" 5", "", true, "n=1 type=1 len=4 list=-5 keypos=F1"},
      {"1 NUMERIC x 4 0 +5 KEYPOS = \"F1\" 9", "", true, "n=1 type=1 len=4 min=5 max=9 keypos=F1"},
      // A name, a '-' or a ',' makes a value list; the token after its attributes is ignored.
      {"1 NUMERIC x 4 0 1-99 PRIVATE 7 NOPARTIAL", "", true, "n=1 type=1 len=4 list=1-99 private"},
      {"1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1 999", "PLU", true,
       "n=1 type=1 len=6 list=1 keypos=F1"},
      {"1 NUMERIC x 4 0 1,3,5", "", true, "n=1 type=1 len=4 list=1,3,5"},
      // A default that is the last word reaches the end of the line and is ignored.
      {"1 NUMERIC x 4 7", "", true, "n=1 type=1 len=4"},
      {"1 NUMERIC x 4 = 1-9", "", true, "n=1 type=1 len=4 list=1-9"},
      // A default that is not all digits ends the line.
      {"1 NUMERIC x 4 -7 1-9 PRIVATE", "", true, "n=1 type=1 len=4"},
      {"1 NUMERIC x 4 0 PSEUDO 109 1-9", "", true, "n=1 type=1 len=4 list=1-9 pseudo=109"},
      {"1 NUMERIC x 4 0 PSEUDO 0", "", false, ""},
      {"1 NUMERIC x 4 0 PSEUDO", "", false, ""},
      {"1 NUMERIC x 4 0 PSEUDO 10000000 ", "", false, ""},
      // SPLITCNT and DELCTLCH are no attributes of numeric types.
      {"1 NUMERIC x 4 0 DELCTLCH 1-9", "", true, "n=1 type=1 len=4 min=0 max=1"},
      {"1 PRICE x 7 0 ERROR WARNING NOPARTIAL 0-99", "", true,
       "n=1 type=10 len=7 list=0-99 nopartial"},
  };
  RunCases(std::begin(cases), std::end(cases));
}

TEST(FieldReadTest, TextTail) {
  const Case cases[] = {
      {"3 STRING x 24", "", true, "n=3 type=3 len=24 def=32"},
      {"3 STRING x 24 INITVALUE= \"Mixed Case\"", "", true, "n=3 type=3 len=24 init=Mixed Case"},
      {"3 STRING x 24 INITVALUE= ab\"c d\" KEY = K", "", true,
       "n=3 type=3 len=24 init=abc d key=K"},
      {"3 STRING x 24 #", "", true, "n=3 type=3 len=24 nopad"},
      {"3 STRING x 24 #INITVALUE=abc", "", true, "n=3 type=3 len=24 init=ABC nopad"},
      {"3 STRING x 24 #SHORT", "", true, "n=3 type=3 len=24 nopad"},
      {"3 STRING x 24 -", "", true, "n=3 type=3 len=24 def=45"},
      {"3 STRING x 24 \xe9", "", true, "n=3 type=3 len=24 def=-23"},
      {"3 STRING x 24 ab", "", true, "n=3 type=3 len=24"},
      {"3 STRING x 24 PRIVATE DELCTLCH", "", true, "n=3 type=3 len=24 def=32 private delctlch"},
      {"3 TEXT x 400 SPLITCNT 4 100 DELCTLCH", "", true,
       "n=3 type=5 len=400 def=32 split=4,100 delctlch"},
      // SPLITCNT numbers that reach the end of the line set the error flag.
      {"3 TEXT x 400 SPLITCNT 4 100", "", false, ""},
      {"3 TEXT x 400 SPLITCNT 4", "", false, ""},
      {"3 STRING x 24 KEYPOS = \"F2\"", "", true, "n=3 type=3 len=24 def=32 keypos=F2"},
      {"3 STRING x 24 KEYPOS =", "", true, "n=3 type=3 len=24 def=32 keypos= "},
      {"3 STRING x 24 KEYPOS x", "", true, "n=3 type=3 len=24 def=32"},
      {"3 STRING x 24 PRIVATE stray", "", false, ""},
      {"3 STRING x 24 PRIVATE name=\"next\" stray", "", true, "n=3 type=3 len=24 def=32 private"},
      // A first item longer than the field stops the parse.
      {"3 STRING x 2 abc stray", "", true, "n=3 type=3 len=2"},
      {"3 STRING x 24 PSEUDO x", "", false, ""},
  };
  RunCases(std::begin(cases), std::end(cases));
}

TEST(FieldReadTest, SingleCharacterTail) {
  const Case cases[] = {
      {"4 FLAG x 1 N Y N", "", true, "n=4 type=4 len=1 def=78 valid=YN"},
      {"4 FLAG x 1 X Y N", "", false, ""},
      {"4 FLAG x 1 N YY N", "", false, ""},
      {"4 FLAG x 1 N Y PRIVATE N name=\"z\" Q", "", true,
       "n=4 type=4 len=1 def=78 valid=YN private"},
      {"4 FLAG x 1 N Y N stray", "", false, ""},
      {"4 FLAG name=\"ACTIVE\" 1 N Y,N", "ACTIVE", true, "n=4 type=4 len=1 def=78 list=Y,N"},
      {"4 FLAG name=\"ACTIVE\" 1 N Y", "ACTIVE", true, "n=4 type=4 len=1 def=78 list=Y"},
      {"4 FLAG x 1 N A-Z", "", true, "n=4 type=4 len=1 def=78 list=A-Z"},
      {"11 UOM x 1", "", true, "n=11 type=11 len=1 def=32"},
      {"15 CHARACTER x 1 0 0 1 2", "", true, "n=15 type=15 len=1 def=48 valid=012"},
  };
  RunCases(std::begin(cases), std::end(cases));
}

TEST(FieldReadTest, ConstructorsAndReset) {
  CQuenzelField named(7, "defs", "log", "42abc", "cp-1252", false, "ITEM");
  EXPECT_EQ(named.m_FieldNumber, 42);
  EXPECT_EQ(named.m_Type, kTypeString);
  EXPECT_EQ(named.m_RecordNumber, 7);
  CQuenzelField unnumbered("x", "defs", "log", "42", "cp-1252", false, "ITEM");
  EXPECT_EQ(unnumbered.m_FieldNumber, -1);

  CQuenzelField text(7, "defs", "", "D", "cp-1252", true, "ITEM");
  std::istringstream line("3 STRING x 24 INITVALUE= \"hello\"");
  bool noField = false;
  ASSERT_TRUE(text.Read(line, noField));
  text.m_Supplied = true;
  text.m_Value = "changed";
  text.Reset();
  EXPECT_EQ(text.m_Value, "hello");
  EXPECT_FALSE(text.m_Supplied);

  CQuenzelField copy = text;
  EXPECT_EQ(Describe(copy), Describe(text));
  EXPECT_EQ(copy.m_Value, "hello");
}

TEST(FieldTypeTest, ClassesAndNames) {
  for (int code = 0; code <= 23; ++code) {
    int classes = IsNumericType(code) + IsTextType(code) + IsSingleCharacterType(code);
    EXPECT_EQ(classes, (code == 0 || code == 23) ? 0 : 1) << code;
  }
  EXPECT_EQ(FieldTypeFromName("BARCODE"), kTypeBarcode);
  EXPECT_TRUE(IsNumericType(kTypeBarcode));
  EXPECT_EQ(FieldTypeFromName("UNITVALUE"), kTypePrice);
  EXPECT_EQ(FieldTypeFromName("numeric"), kTypeNone);
  EXPECT_STREQ(FieldTypeName(kTypeString), "STRING");
}

}  // namespace
