#include "data_record.h"

#include <gtest/gtest.h>

#include "test_env.h"

namespace {

using quenzel_test::MakeField;
using quenzel_test::MakeRecord;
using quenzel_test::Written;

const char* const kItem =
    "12 SEARCH table:action \"ITEM\"\n"
    "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
    "3 STRING name=\"DESC\" 24 #\n"
    "4 FLAG name=\"ACTIVE\" 1 N Y,N\n"
    "5 PRICE name=\"PRICE\" 7 9 0-99\n"
    "6 STRING name=\"SECRET\" 8 # PRIVATE\n"
    "8 UOM name=\"UOM\" 1 1 0,1\n"
    "20 CLOB name=\"PICTURE\" 1000 #\n";

// Reads `data` into `record`: whether the read succeeded, and what the
// stream has left.
std::pair<bool, std::string> ReadInto(CQuenzelRecord& record, const std::string& data) {
  std::istringstream in(data);
  in >> record;
  const bool ok = !in.fail();
  in.clear();
  std::string rest;
  std::getline(in, rest, '\x01');
  return {ok, rest};
}

TEST(DataRecordTest, FieldElements) {
  struct Row {
    const char* line;
    const char* value;
    const char* written;
  };
  const Row rows[] = {
      {"12 STRING x 5 #", "a \"b\"\nc", "12 7 \"a \"b\"\nc\" "},
      {"12 STRING x 5 #", "", ""},
      {"12 STRING x 5", "     ", ""},  // pad characters over the whole length
      {"12 STRING x 5", "      x", ""},
      {"12 STRING x 5", "", "12 0 \"\" "},
      {"12 STRING x 5", "  ", "12 2 \"  \" "},
      {"12 STRING x 5 #", "caf\xc3\xa9", "12 5 \"caf\xc3\xa9\" "},
      {"3 NUMERIC x 6 7 ", "7", ""},
      {"3 NUMERIC x 6 7 ", "0042", "3 2 \"42\" "},
      {"3 NUMERIC x 6 0 1-9 ", "20", ""},  // unreadable
      {"4 FLAG x 1 N", "N", ""},
      {"4 FLAG x 1 N", "Y", "4 1 \"Y\" "},
  };
  for (const Row& r : rows) {
    CQuenzelField field = MakeField(r.line);
    field.m_Value = r.value;
    std::ostringstream out, hidden;
    out << field;
    field.SetTreatAsText();
    hidden << field;
    EXPECT_EQ(out.str() + hidden.str(), r.written) << r.line << " holding " << r.value;
  }
  CQuenzelRecord record = MakeRecord(kItem);
  EXPECT_EQ(Written(record), "12 0 ");
  record.FindField(1)->SetValueUTF8("4711", false);
  record.FindField(4)->SetValueUTF8("Y", false);
  EXPECT_EQ(Written(record), "12 1 4 \"4711\" 4 1 \"Y\" 0 ");
  std::ostringstream hex;
  hex << std::hex << record;  // the stream's flags apply to the numbers
  EXPECT_EQ(hex.str(), "c 1 4 \"4711\" 4 1 \"Y\" 0 ");
}

TEST(DataRecordTest, ReaderAccounting) {
  struct Row {
    std::string data;
    bool ok;
    const char* desc;  // field 3 afterwards
    const char* rest;  // unread stream text
  };
  const Row rows[] = {
      {"12 3 4 \"abcd\" 0 trailing", true, "abcd", "trailing"},
      {"12 // comment\n3 4 \"abcd\" 0 ", true, "abcd", ""},
      {"12\t3\r\n5\n\"a \"\nd\" 0", true, "a \"\nd", ""},
      {"12 3 4  \"abcd\" 0 ", false, "\"abc", ""},  // two blanks shift the value
      {"12 3 4 'abcd' 0 ", true, "abcd", ""},       // OPEN and CLOSE are not checked
      {"12 3 0 \"\" 0 ", false, "", "\" 0 "},
      {"12 3 2 \"ab", false, "", ""},  // the end of the stream comes with the value
      {"13 3 4 \"abcd\" 0 ", false, "", "3 4 \"abcd\" 0 "},
      {"12 3 -4 \"abcd\" 0 ", false, "", "\"abcd\" 0 "},
      {"12 99 4 \"abcd\" 0 ", false, "", "\"abcd\" 0 "},
      {std::string("12 3 4 \"ab\0cd\" 0 ", 17), false, "ab", ""},
      {"12 3 4000000000 \"short", false, "", ""},
      {"12 1 3 \"456\" 5 2 \"1x\" 3 1 \"z\" 0 ", false, "", "\" 3 1 \"z\" 0 "},
      {"12 4 1 \"Q\" 6 3 \"abc\" 3 1 \"z\" 0 ", true, "z", ""},  // Range Error goes on
      {"12 3 4 \"caf\xe9\" 0 ", true, "caf\xc3\xa9", ""},        // text in the code page
      {"12 20 6 \"Pz8/YQ\" 3 1 \"x\" 0 ", true, "x", ""},
  };
  for (const Row& r : rows) {
    CQuenzelRecord record = MakeRecord(kItem);
    const auto result = ReadInto(record, r.data);
    EXPECT_EQ(result.first, r.ok) << r.data;
    EXPECT_EQ(record.FindField(3)->m_Value, r.desc) << r.data;
    EXPECT_EQ(result.second, r.rest) << r.data;
  }
  CQuenzelRecord record = MakeRecord(kItem);
  EXPECT_TRUE(ReadInto(record, "12 1 3 \"456\" 6 3 \"abc\" 20 6 \"Pz8/YQ\" 8 1 \"0\" 0 ").first);
  EXPECT_EQ(record.FindField(1)->m_Value, "456");
  EXPECT_EQ(record.FindField(6)->m_Value, "") << "PRIVATE fields are never set from data";
  EXPECT_EQ(record.FindField(20)->m_Value, "?\?\?") << "CLOB values are Base64";
  EXPECT_FALSE(record.uomFlag) << "only later actions take the unit of measure";
  std::string totals = kItem;
  CQuenzelRecord later = MakeRecord(totals.replace(3, 6, "TOTALSENQUIRE"));
  EXPECT_TRUE(ReadInto(later, "12 8 1 \"0\" 0 ").first);
  EXPECT_TRUE(later.uomFlag);
}

class DataRecordEnvTest : public quenzel_test::QuenzelEnvTest {};

TEST_F(DataRecordEnvTest, ReaderSubstitutesDefaults) {
  WriteRegistry({{quenzel_test::kQuenzelKey, "DEFAULTDATAMODE", "true"}});
  CQuenzelRecord record = MakeRecord(kItem);
  EXPECT_TRUE(ReadInto(record, "12 5 3 \"500\" 1 7 \"1234567\" 3 1 \"z\" 0 ").first);
  EXPECT_EQ(record.FindField(5)->m_Value, "9");
  EXPECT_EQ(record.FindField(5)->m_Rejected, "500:9");
  EXPECT_EQ(record.FindField(1)->m_Value, "1234567") << "key fields never substitute";
  EXPECT_EQ(record.FindField(3)->m_Value, "z");
  EXPECT_FALSE(record.rangeWarning) << "noted for records 8 and 9 only";
}

const char* const kIngredients =
    "8 ENQUIRE table:action \"INGREDIENTS\"\n"
    "8740 TEXT name=\"A\" 1000 #\n"
    "8820 TEXT name=\"B\" 1000 #\n"
    "8760 TEXT name=\"C\" 1000 #\n"
    "8745 TEXT name=\"DEFINED\" 1000 #\n"
    "8002 PRICEBASE name=\"PB\" 1 0 0,1\n"
    "8003 UOM name=\"UOM\" 1 1 0,1\n"
    "8004 NUMERIC name=\"N\" 2 7 0 50\n";

TEST_F(DataRecordEnvTest, SplitRecords) {
  CQuenzelRecord record = MakeRecord(kIngredients);
  EXPECT_TRUE(ReadInto(record,
                       "8 8740 3 \"abc\" 8741 3 \"def\" 8050 2 \"gh\" 8820 1 \"x\" 8900 1 \"y\" "
                       "8779 2 \"c2\" 5000 3 \"???\" 8002 1 \"1\" 8003 1 \"0\" 0 ")
                  .first);
  EXPECT_EQ(record.FindField(8740)->m_Value, "abcdefgh");
  EXPECT_EQ(record.FindField(8820)->m_Value, "xy");
  EXPECT_EQ(record.FindField(8760)->m_Value, "c2") << "pieces without their head";
  EXPECT_TRUE(record.priceBaseFlag && record.uomFlag);

  // A head drops the pieces before it; a defined continuation is a field;
  // a refused value is read on without its CLOSE.
  CQuenzelRecord again = MakeRecord(kIngredients);
  again.FindField(8820)->m_Value = "kept";
  EXPECT_TRUE(
      ReadInto(again, "8 8741 3 \"def\" 8740 3 \"abc\" 8745 2 \"zz\" 8004 1 \"x\"0\" ").first);
  EXPECT_EQ(again.FindField(8740)->m_Value, "abc");
  EXPECT_EQ(again.FindField(8745)->m_Value, "zz");
  EXPECT_EQ(again.FindField(8820)->m_Value, "kept") << "an empty text keeps the head's value";

  WriteRegistry({{quenzel_test::kQuenzelKey, "DEFAULTDATAMODE", "true"}});
  std::string nine = kIngredients;  // record 9 counts from 9740 on
  for (std::size_t at = nine.find("\n8"); at != std::string::npos; at = nine.find("\n8", at + 1))
    nine[at + 1] = '9';
  CQuenzelRecord record9 = MakeRecord(nine.replace(0, 1, "9"));
  EXPECT_FALSE(ReadInto(record9, "9 9004 2 \"99\" 9740 2 \"ab\" 9741 2 \"cd\" x").first);
  EXPECT_EQ(record9.FindField(9740)->m_Value, "abcd") << "a failure still sets the heads";
  EXPECT_TRUE(record9.rangeWarning);
}

}  // namespace
