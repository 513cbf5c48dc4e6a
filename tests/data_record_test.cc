// Data records on streams: the writer's exact bytes, the reader's byte
// accounting and failures, records 8 and 9, Base64 values, hostile input,
// and round trips.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "quenzel.h"
#include "test_env.h"

namespace {

using quenzel_test::QuenzelEnvTest;

CQuenzelRecord Load(const std::string& block) {
  CQuenzelRecord read("defs", "");
  read.codepage = "cp-1252";
  std::istringstream in(block);
  EXPECT_TRUE(read.Read(in)) << block;
  for (CQuenzelField& field : read.fields) field.m_CodePage = "cp-1252";
  return CQuenzelRecord(read);
}

const char* const kItem =
    "12 SEND table:action \"ITEM\"\n"
    "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
    "3 STRING name=\"DESC\" 24 #\n"
    "4 FLAG name=\"ACTIVE\" 1 N Y,N\n"
    "5 PRICE name=\"PRICE\" 7 0 0-9999999\n"
    "6 STRING name=\"SECRET\" 8 # PRIVATE\n"
    "7 WEIGHT name=\"TARE\" 6 0 0-999999\n"
    "8 UOM name=\"UOM\" 1 1 0,1\n"
    "20 CLOB name=\"PICTURE\" 1000 #\n";

struct ReadResult {
  bool ok;
  std::string rest;  // what the stream has left
};

ReadResult ReadInto(CQuenzelRecord& record, const std::string& data) {
  std::istringstream in(data);
  in >> record;
  ReadResult result{!in.fail(), ""};
  in.clear();
  std::getline(in, result.rest, '\x01');
  return result;
}

std::string Written(CQuenzelRecord& record) {
  std::ostringstream out;
  out << record;
  return out.str();
}

TEST(DataRecordWriterTest, ExactBytes) {
  CQuenzelRecord record = Load(kItem);
  EXPECT_EQ(Written(record), "12 0 ");
  record.FindField(1)->SetValueUTF8("4711", false);
  record.FindField(3)->SetValueUTF8("Caf\xc3\xa9 \"au lait\"\n2", false);
  record.FindField(4)->SetValueUTF8("Y", false);
  EXPECT_EQ(Written(record), "12 1 4 \"4711\" 3 17 \"Caf\xc3\xa9 \"au lait\"\n2\" 4 1 \"Y\" 0 ");
}

TEST(DataRecordReaderTest, ValuesAndByteAccounting) {
  struct Case {
    const char* data;
    bool ok;
    const char* desc;  // field 3 afterwards
    const char* rest;  // unread stream text
  };
  const Case cases[] = {
      {"12 3 4 \"abcd\" 0 ", true, "abcd", ""},
      {"12 3 4 \"abcd\" 0 trailing", true, "abcd", "trailing"},
      {"12 // comment to the end of the line\n3 4 \"abcd\" 0 ", true, "abcd", ""},
      {"12\t3\r\n5\n\"a \"\nd\" 0", true, "a \"\nd", ""},
      {"12 3 4  \"abcd\" 0 ", false, "\"abc", ""},  // two blanks shift the value
      {"12 3 4 'abcd' 0 ", true, "abcd", ""},       // OPEN and CLOSE are not checked
      {"12 3 0 \"\" 0 ", false, "", "\" 0 "},
      {"12 3 4 \"ab", false, "", ""},
      {"12 3 2 \"ab", false, "", ""},  // no CLOSE: the end of the stream is reached
      {"13 3 4 \"abcd\" 0 ", false, "", "3 4 \"abcd\" 0 "},
      {"12 3 -4 \"abcd\" 0 ", false, "", "\"abcd\" 0 "},
      {"12 -3 4 \"abcd\" 0 ", false, "", "4 \"abcd\" 0 "},
      {"12 99 4 \"abcd\" 0 ", false, "", "\"abcd\" 0 "},
      {"12 3 4x \"abcd\" 0 ", false, "", "\"abcd\" 0 "},
      {"12 3 4 \"abcd\"", false, "abcd", ""},
      {"", false, "", ""},
  };
  for (const Case& c : cases) {
    CQuenzelRecord record = Load(kItem);
    ReadResult result = ReadInto(record, std::string(c.data));
    EXPECT_EQ(result.ok, c.ok) << c.data;
    EXPECT_EQ(record.FindField(3)->m_Value, c.desc) << c.data;
    EXPECT_EQ(result.rest, c.rest) << c.data;
  }
}

TEST(DataRecordReaderTest, ZeroByteEndsTheValue) {
  CQuenzelRecord record = Load(kItem);
  std::string data("12 3 4 \"ab\0cd\" 0 ", 17);
  ReadResult result = ReadInto(record, data);
  EXPECT_EQ(record.FindField(3)->m_Value, "ab");
  EXPECT_FALSE(result.ok) << "the rest of the value is read as a token";
}

TEST(DataRecordReaderTest, ResultsThatContinueAndFail) {
  CQuenzelRecord record = Load(kItem);
  // Out of the list: Range Error, the read goes on.
  EXPECT_TRUE(ReadInto(record, "12 4 1 \"Q\" 1 3 \"123\" 0 ").ok);
  EXPECT_EQ(record.FindField(4)->m_Value, "Q");
  EXPECT_EQ(record.FindField(1)->m_Value, "123");
  // Not a number: the read stops; what was set stays set.
  EXPECT_FALSE(ReadInto(record, "12 1 3 \"456\" 5 2 \"1x\" 3 1 \"z\" 0 ").ok);
  EXPECT_EQ(record.FindField(1)->m_Value, "456");
  EXPECT_NE(record.FindField(3)->m_Value, "z");
  // PRIVATE fields are never set from data.
  EXPECT_TRUE(ReadInto(record, "12 6 3 \"abc\" 0 ").ok);
  EXPECT_EQ(record.FindField(6)->m_Value, "");
  // Text arrives in the definition's code page.
  EXPECT_TRUE(ReadInto(record, "12 3 4 \"caf\xe9\" 0 ").ok);
  EXPECT_EQ(record.FindField(3)->m_Value, "caf\xc3\xa9");
}

TEST(DataRecordReaderTest, UnitOfMeasureFlagOnlyForLaterActions) {
  CQuenzelRecord send = Load(kItem);
  EXPECT_TRUE(ReadInto(send, "12 8 1 \"0\" 0 ").ok);
  EXPECT_FALSE(send.uomFlag);
  std::string totals = kItem;
  totals.replace(totals.find("SEND"), 4, "TOTALSENQUIRE");
  CQuenzelRecord record = Load(totals);
  EXPECT_TRUE(ReadInto(record, "12 8 1 \"0\" 0 ").ok);
  EXPECT_TRUE(record.uomFlag);
}

TEST(DataRecordReaderTest, Base64Values) {
  struct Case {
    const char* encoded;
    const char* decoded;
  };
  const Case cases[] = {
      {"YWJj", "abc"},         {"YWI=", "ab"},         {"YQ==", "a"},     {"YWJ", ""},
      {"Y W\nJj", "abc"},      {"YWJjZGVm", "abcdef"}, {"YWJjZA", "abc"}, {"YW=j", "a"},
      {"YWJj====ZGVm", "abc"}, {"!!!!YWJj", "abc"},    {"YWJjZ", "abc"},  {"AGJj", ""},
      {"YQBj", "a"},           {"****", ""},
  };
  for (const Case& c : cases) {
    CQuenzelRecord record = Load(kItem);
    std::string value = c.encoded;
    std::string data = "12 20 " + std::to_string(value.size()) + " \"" + value + "\" 0 ";
    EXPECT_TRUE(ReadInto(record, data).ok) << c.encoded;
    EXPECT_EQ(record.FindField(20)->m_Value, c.decoded) << c.encoded;
  }
}

const char* const kIngredients =
    "8 SEND table:action \"INGREDIENTS\"\n"
    "8001 NUMERIC name=\"PLU\" 6 0 1-999999\n"
    "8740 TEXT name=\"A\" 1000 #\n"
    "8820 TEXT name=\"B\" 1000 #\n"
    "8760 TEXT name=\"C\" 1000 #\n"
    "8745 TEXT name=\"DEFINED\" 1000 #\n"
    "8002 PRICEBASE name=\"PB\" 1 0 0,1\n";

TEST(SplitRecordTest, PiecesJoinUnderTheirHeads) {
  CQuenzelRecord record = Load(kIngredients);
  EXPECT_TRUE(ReadInto(record,
                       "8 8740 3 \"abc\" 8741 3 \"def\" 8050 2 \"gh\" 8820 1 \"x\" 8900 1 \"y\" "
                       "8779 2 \"c2\" 5000 3 \"???\" 8002 1 \"1\" 0 ")
                  .ok);
  EXPECT_EQ(record.FindField(8740)->m_Value, "abcdefgh");
  EXPECT_EQ(record.FindField(8820)->m_Value, "xy");
  EXPECT_EQ(record.FindField(8760)->m_Value, "c2") << "pieces without their head";
  EXPECT_TRUE(record.priceBaseFlag);

  // A head drops the pieces before it; a defined continuation is set as a field.
  CQuenzelRecord again = Load(kIngredients);
  EXPECT_TRUE(ReadInto(again, "8 8741 3 \"def\" 8740 3 \"abc\" 8745 2 \"zz\" 0 ").ok);
  EXPECT_EQ(again.FindField(8740)->m_Value, "abc");
  EXPECT_EQ(again.FindField(8745)->m_Value, "zz");
  // A head without data is set from the empty text, which keeps its value.
  again.FindField(8820)->m_Value = "kept";
  EXPECT_TRUE(ReadInto(again, "8 8740 1 \"z\" 0 ").ok);
  EXPECT_EQ(again.FindField(8820)->m_Value, "kept");

  // Record 9 counts from 9740 on; a failure still sets the heads.
  std::string nine = kIngredients;
  for (const char* from : {"8 SEND", "8001", "8740", "8820", "8760", "8745", "8002"}) {
    std::size_t at = nine.find(from);
    nine[at] = '9';
  }
  CQuenzelRecord record9 = Load(nine);
  EXPECT_FALSE(ReadInto(record9, "9 9740 2 \"ab\" 9741 2 \"cd\" x").ok);
  EXPECT_EQ(record9.FindField(9740)->m_Value, "abcd");
}

TEST(SplitRecordTest, ContinuationFloodStaysLinear) {
  CQuenzelRecord record = Load(kIngredients);
  std::string data = "8 8740 1 \"h\" ";
  for (int i = 0; i < 200000; ++i) data += "8741 1 \"x\" ";
  data += "0 ";
  EXPECT_TRUE(ReadInto(record, data).ok);
  EXPECT_EQ(record.FindField(8740)->m_Value.size(), 200001u);
}

TEST(HostileDataTest, ClaimedLengthBeyondTheData) {
  CQuenzelRecord record = Load(kItem);
  ReadResult result = ReadInto(record, "12 3 4000000000 \"short value");
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(record.FindField(3)->m_Value, "");
  // The largest length a number token can give still only takes what is there.
  result = ReadInto(record, "12 3 99999999999999999999 \"abc\" 0 ");
  EXPECT_FALSE(result.ok);
}

class EndToEndTest : public QuenzelEnvTest {};

TEST_F(EndToEndTest, TypicalRequestThroughTheCatalogue) {
  WriteRegistry({{"SOFTWARE\\TORVANHOLME\\Environment", "Codepage", "1252"},
                 {"SOFTWARE\\TORVANHOLME\\DRIVER\\system", "WeightMeasurementSystem", "decimal"},
                 {"SOFTWARE\\TORVANHOLME\\DRIVER\\system", "WeightScalingSystem", "-2"}});
  CQuenzelFile catalogue;
  ASSERT_TRUE(
      catalogue.Initialise(WriteDefinition("shop.def", std::string("#") + kItem), "", nullptr, ""));
  CQuenzelRecord request = *catalogue.GetRecord(12);
  request.DriverSetRecordWeightDetails(1, -3, false, false, true);
  EXPECT_EQ(request.FindField(5)->SetValue("1299", false), QuenzelError::kNone);
  EXPECT_EQ(request.FindField(3)->SetValue("Caf\xe9", false), QuenzelError::kNone);
  CQuenzelField* tare = request.FindField(7);
  std::ostringstream written;
  written << request;  // hands the record's settings to the weight field
  EXPECT_EQ(tare->SetValue(1000LL, false), QuenzelError::kNone);
  // The host's system replaced the scale's decimal pounds; grams become
  // hundredths of a kilogram.
  EXPECT_EQ(tare->m_Value, "100");

  std::ostringstream out;
  out << request;
  // The weight field writes what its getter gives: host units again.
  EXPECT_EQ(out.str(), "12 3 5 \"Caf\xc3\xa9\" 5 4 \"1299\" 7 4 \"1000\" 0 ");

  CQuenzelRecord reply = *catalogue.GetRecord(std::string("ITEM"));
  std::istringstream in("12 3 4 \"Caf\xe9\" 5 4 \"1299\" 7 3 \"220\" 0 ");
  in >> reply;
  ASSERT_FALSE(in.fail());
  std::string text;
  reply.FindField(3)->GetValueUTF8(text);
  EXPECT_EQ(text, "Caf\xc3\xa9");
  long long price = 0;
  reply.FindField(5)->GetValue(price);
  EXPECT_EQ(price, 1299);
  EXPECT_EQ(reply.FindField(7)->m_Value, "220") << "no host units set on the reply";
}

TEST(RoundTripTest, RandomValuesComeBackEqual) {
  const char* definition =
      "30 SEND table:action \"ALLTYPES\"\n"
      "1 NUMERIC name=\"N\" 12 0 \n2 YEAR name=\"Y\" 4 0 \n3 STRING name=\"S\" 40 #\n"
      "4 FLAG name=\"F\" 1 N \n5 TEXT name=\"T\" 200 #\n6 CURRENCY name=\"C\" 9 0 \n"
      "7 WEIGHT name=\"W\" 6 0 \n8 NETWEIGHT name=\"NW\" 6 0 \n9 WEIGHTHIRES name=\"WH\" 7 0 \n"
      "10 PRICE name=\"P\" 7 0 \n11 UOM name=\"U\" 1 1 \n12 PRICEBASE name=\"PB\" 1 0 \n"
      "13 FONT name=\"FO\" 1 A \n14 NSTRING name=\"NS\" 20 #\n15 CHARACTER name=\"CH\" 1 X \n"
      "16 BARCODE name=\"B\" 13 0 \n17 STRINGNOTR name=\"SN\" 20 #\n18 TEXTNOTR name=\"TN\" 20 #\n"
      "19 NSTRINGNOTR name=\"NN\" 20 #\n21 PERCENTAGE name=\"PC\" 3 0 \n22 VALUE name=\"V\" 5 0 \n";
  std::mt19937 rng(99);
  for (int round = 0; round < 300; ++round) {
    CQuenzelRecord source = Load(definition);
    for (CQuenzelField& field : source.fields) {
      if (IsNumericType(field.m_Type)) {
        long long limit = 1;
        for (int i = 1; i < field.m_Length && i < 12; ++i) limit *= 10;
        field.SetValue(static_cast<long long>(rng() % limit), false);
        if (field.m_Type == kTypeYear) field.SetValue(static_cast<long long>(rng() % 100), false);
      } else if (IsSingleCharacterType(field.m_Type)) {
        field.SetValue(static_cast<char>('!' + rng() % 90), false);
      } else {
        // ASCII only: the writer sends text as stored (UTF-8) while the
        // reader takes it in the definition's code page.
        std::string text;
        for (int i = 0, n = 1 + rng() % 20; i < n; ++i) text += static_cast<char>(' ' + rng() % 95);
        field.SetValue(text, false);
      }
    }
    std::ostringstream out;
    out << source;
    CQuenzelRecord copy = Load(definition);
    std::istringstream in(out.str());
    in >> copy;
    ASSERT_FALSE(in.fail()) << out.str();
    // Equal as the host reads them (a year is written as its four digits).
    for (std::size_t i = 0; i < source.fields.size(); ++i) {
      std::string expected, got;
      if (IsNumericType(source.fields[i].m_Type)) {
        long long a = 0, b = 0;
        source.fields[i].GetValue(a);
        copy.fields[i].GetValue(b);
        expected = std::to_string(a);
        got = std::to_string(b);
      } else {
        source.fields[i].GetValueUTF8(expected);
        copy.fields[i].GetValueUTF8(got);
      }
      ASSERT_EQ(got, expected) << "field " << source.fields[i].m_FieldNumber << " in " << out.str();
    }
  }
}

}  // namespace
