#include "definition_line.h"

#include <gtest/gtest.h>

#include <tuple>

#include "test_env.h"

namespace quenzel::detail {
namespace {

using namespace quenzel_test;

TEST(DefinitionLineTest, FieldLines) {
  using Row =
      std::tuple<const char*, const char*, bool, const char*>;  // line, name, ok, description
  const Row rows[] = {
      {"  // comment only", "", true, ""},
      {"1 colour x 4", "", true, "n=1 type=1 len=4"},
      {"9999999 STRING x 99999998", "", true, "n=9999999 type=3 len=99999998 def=32"},
      {"0 STRING x 4", "", false, "n=0 type=3"},
      {"10000000 STRING x 4", "", false, "n=10000000 type=3"},
      {"1 STRING x", "", false, "n=1 type=3"},
      {"1 STRING x 99999999", "", false, "n=1 type=3 len=99999999"},
      // Numeric tails: default, then a minimum and maximum or a value list.
      {"1 NUMERIC x 4 7 1 9999 ", "", true, "n=1 type=1 len=4 def=7 min=1 max=9999"},
      {"1 NUMERIC x 4 0 1-99 PRIVATE 7 NOPARTIAL", "", true, "n=1 type=1 len=4 list=1-99 private"},
      {"1 NUMERIC name=\"PLU\" 6 0 1 999", "PLU", true, "n=1 type=1 len=6 list=1"},
      {"1 NUMERIC x 4 7", "", true, "n=1 type=1 len=4"},  // a last default is ignored
      {"1 NUMERIC x 4 0 PSEUDO 109 1-9", "", true, "n=1 type=1 len=4 list=1-9 pseudo=109"},
      {"1 NUMERIC x 4 0 PSEUDO 0", "", false, "n=1 type=1 len=4"},
      {"1 NUMERIC x 4 0 DELCTLCH 1-9", "", true, "n=1 type=1 len=4 min=0 max=1"},
      // Text tails.
      {"3 STRING x 24 INITVALUE= ab\"c d\" KEY = K", "", true,
       "n=3 type=3 len=24 init=abc d key=K"},
      {"3 STRING x 24 #INITVALUE=abc", "", true, "n=3 type=3 len=24 init=ABC nopad"},
      {"3 TEXT x 9 SPLITCNT 4 100 DELCTLCH", "", true,
       "n=3 type=5 len=9 def=32 split=4,100 delctlch"},
      {"3 TEXT x 9 SPLITCNT 4 100", "", false, "n=3 type=5 len=9 def=32 split=4,100"},
      {"3 STRING x 24 KEYPOS \t\r\"=\"", "", true, "n=3 type=3 len=24 def=32 keypos= "},
      {"3 STRING x 24 PRIVATE stray", "", false, "n=3 type=3 len=24 def=32 private"},
      {"3 STRING x 2 abc stray", "", true, "n=3 type=3 len=2"},  // first item too long
      // Single-character tails: allowed characters or a value list.
      {"4 FLAG x 1 N Y N", "", true, "n=4 type=4 len=1 def=78 valid=YN"},
      {"4 FLAG x 1 X Y N", "", false, "n=4 type=4 len=1 def=88 valid=YN"},
      {"4 FLAG name=\"ACTIVE\" 1 N Y", "ACTIVE", true, "n=4 type=4 len=1 def=78 list=Y"},
  };
  for (const auto& [line, name, ok, description] : rows) {
    CQuenzelField field(12, "defs", "", name, "cp-1252", true, "ITEM");
    std::istringstream in(line);
    bool noField = false;
    EXPECT_EQ(ParseFieldLine(field, in, noField), ok) << line;
    EXPECT_EQ(noField, !*description) << line;
    if (*description) {
      EXPECT_EQ(Describe(field), description) << line;
    }
  }
}

TEST(DefinitionLineTest, WhyAFieldLineIsRefused) {
  using F = FieldLineFault;
  const std::tuple<const char*, F, const char*> rows[] = {
      {"1 NUMERIC x 4 0 1 9", F::kNone, ""},
      {"0 STRING x 4", F::kBadFieldNumber, ""},
      {"1 NUMERC x 4", F::kUnknownType, "NUMERC"},
      {"1 STRING x", F::kNoLength, ""},
      {"1 STRING \"x 24", F::kNoLength, ""},
      {"1 STRING x 2a", F::kBadLength, ""},
      {"1 STRING x 0", F::kLengthOutOfRange, "0"},
      {"1 NUMERIC x 4 0 PSEUDO x", F::kBadPseudo, ""},
      {"3 TEXT x 9 SPLITCNT 4", F::kBadSplitCount, ""},
      {"3 STRING x 24 PRIVATE stray", F::kUnexpectedItem, "STRAY"},
      {"4 FLAG x 1 N Y NO", F::kBadValidCharacter, "NO"},
      {"4 FLAG x 1 X Y N", F::kDefaultNotValid, "X"},
  };
  for (const auto& [line, fault, item] : rows) {
    CQuenzelField field(12, "defs", "", "", "cp-1252", true, "ITEM");
    std::istringstream in(line);
    bool noField = false;
    FieldLineDiagnosis why;
    EXPECT_EQ(ParseFieldLine(field, in, noField, &why), fault == F::kNone) << line;
    EXPECT_EQ(why.fault, fault) << line;
    EXPECT_EQ(why.item, item) << line;
  }
}

TEST(DefinitionLineTest, HeaderLinesAndRawScans) {
  using Row = std::tuple<const char*, HeaderResult, int, int,
                         const char*>;  // line, result, number, action, name
  const Row rows[] = {
      {"12 send", HeaderResult::kOk, 12, kActionSend, ""},
      {"14 DELETE table:action \"A\"B\"", HeaderResult::kOk, 14, kActionDelete, "A\"B"},
      {"15 SEARCHFIRSTNEXTTRANS table:action \"LONE", HeaderResult::kOk, 15,
       kActionSearchFirstNextTrans, "LONE"},
      {"16 TOTALS_RAND_SEARCH table:action", HeaderResult::kOk, 16, kActionTotalsRandSearch,
       "16 TOTALS_RAND_SEARCH table:action"},
      {"17 SEARCHFIRSTNEXT2KEY", HeaderResult::kOk, 17, kActionSearchFirstNext2Key, ""},
      {"12", HeaderResult::kBadAction, 12, kActionNone, ""},
      {"-12 SEND", HeaderResult::kBadNumber, 0, -1, ""},
  };
  for (const auto& [line, result, number, action, name] : rows) {
    int gotNumber = 0, gotAction = -1;
    std::string gotName;
    EXPECT_EQ(ParseHeaderLine(line, gotNumber, gotAction, gotName), result) << line;
    EXPECT_EQ(gotNumber, number) << line;
    EXPECT_EQ(gotAction, action) << line;
    EXPECT_EQ(gotName, name) << line;
  }
  EXPECT_FALSE(IsNumericType(0) || IsTextType(kTypeValue + 1) || IsSingleCharacterType(-1));
  EXPECT_EQ(std::string(FieldTypeName(FieldTypeFromName("UNITVALUE"))) + FieldTypeName(kTypeClob),
            "PRICECLOB");
  for (int code = 0; code < kActionNone; ++code)
    EXPECT_EQ(ActionCodeFromName(ActionCodeName(code)), code) << code;

  std::string text = "before";
  EXPECT_FALSE(FieldLineName("1 STRING x 4", text) || text != "before");
  EXPECT_TRUE(FieldLineName("1 STRING name=\"A B\" 4 \"x\"", text) && text == "A B");
  EXPECT_TRUE(FieldLineName("1 STRING name=x 4", text) && text.empty());
  EXPECT_EQ(FieldLineComment("1 STRING x 4 // a // b") + FieldLineComment("1 / 2"), " a // b");
}

}  // namespace
}  // namespace quenzel::detail
