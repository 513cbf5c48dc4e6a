#include "data_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>

#include "test_env.h"

namespace {

using namespace quenzel_test;

const char* const kItem =
    "12 SEARCH table:action \"ITEM\"\n1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
    "3 STRING name=\"DESC\" 24 #\n4 FLAG name=\"ACTIVE\" 1 N Y,N\n5 PRICE name=\"PRICE\" 7 9 0-99\n"
    "6 STRING name=\"SECRET\" 8 # PRIVATE\n8 UOM name=\"UOM\" 1 1 0,1\n"
    "20 CLOB name=\"PICTURE\" 1000 #\n";
const char* const kLater = "12 TOTALSENQUIRE\n8 UOM name=\"UOM\" 1 1 0,1\n";
const char* const kIngredients =
    "8 ENQUIRE table:action \"INGREDIENTS\"\n8740 TEXT name=\"A\" 1000 #\n"
    "8820 TEXT name=\"B\" 1000 INITVALUE= kept\n8760 TEXT name=\"C\" 1000 #\n"
    "8745 TEXT name=\"DEFINED\" 1000 #\n8002 PRICEBASE name=\"PB\" 1 0 0,1\n"
    "8003 UOM name=\"UOM\" 1 1 0,1\n8004 NUMERIC name=\"N\" 2 7 0 50\n";
const char* const kIngredients9 =  // record 9 counts from 9740 on
    "9 ENQUIRE\n9740 TEXT name=\"A\" 1000 #\n9004 NUMERIC name=\"N\" 2 7 0 50\n";

TEST(DataRecordTest, FieldElements) {
  using Row = std::tuple<const char*, const char*, const char*>;  // line, value, written
  const Row rows[] = {
      {"12 STRING x 5 #", "a \"b\"\nc", "12 7 \"a \"b\"\nc\" "},
      {"12 STRING x 5", "     ", ""},  // pad characters over the whole length
      {"12 STRING x 5", "", "12 0 \"\" "},
      {"3 NUMERIC x 6 7 ", "0042", "3 2 \"42\" "},
      {"3 NUMERIC x 6 0 1-9 ", "20", ""},  // unreadable
      {"4 FLAG x 1 N", "N", ""},
      {"4 FLAG x 1 N", "Y", "4 1 \"Y\" "},
  };
  for (const auto& [line, value, written] : rows) {
    CQuenzelField field = MakeField(line);
    field.m_Value = value;
    std::ostringstream out, hidden;
    out << field;
    field.SetTreatAsText();
    hidden << field;
    EXPECT_EQ(out.str() + hidden.str(), written) << line << " holding " << value;
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

// A device that fails part-way: the read, the record writer and the field
// writer set badbit, and the device's exception reaches the caller only when
// the stream's mask asks for badbit.
TEST(DataRecordTest, ThrowingStreamBuffer) {
  CQuenzelRecord record = MakeRecord(kItem);
  record.FindField(1)->SetValueUTF8("4711", false);
  for (const std::ios::iostate mask : {std::ios::goodbit, std::ios::failbit, std::ios::badbit}) {
    ThrowingBuffer device("12 3 4 \"abcd\" 0 12 1 2 \"4");
    std::iostream in(&device), recordOut(&device), fieldOut(&device);
    in >> record;
    EXPECT_EQ(record.FindField(3)->m_Value, "abcd");
    const std::function<void()> failing[] = {[&] { in >> record; }, [&] { recordOut << record; },
                                             [&] { fieldOut << *record.FindField(1); }};
    std::iostream* streams[] = {&in, &recordOut, &fieldOut};
    for (int i = 0; i < 3; ++i) {
      streams[i]->exceptions(mask);
      bool thrown = false;
      try {
        failing[i]();
      } catch (const std::runtime_error&) {  // the device's own exception
        thrown = true;
      }
      EXPECT_EQ(thrown, mask == std::ios::badbit) << mask << i;
      EXPECT_TRUE(streams[i]->bad()) << mask << i;
    }
  }
}

class DataRecordTestEnv : public QuenzelEnvTest {};

// Serves `text` in pieces of `piece` bytes through the get area, or, with a
// piece of 0, without one (every byte through underflow and uflow): the
// reader must give the same whatever the buffer holds at a time.
class PieceSource : public std::streambuf {
 public:
  PieceSource(std::string text, std::size_t piece) : text_(std::move(text)), piece_(piece) {}

 protected:
  int_type underflow() override {
    if (at_ == text_.size()) return traits_type::eof();
    if (piece_ == 0) return traits_type::to_int_type(text_[at_]);
    const std::size_t n = std::min(piece_, text_.size() - at_);
    setg(&text_[at_], &text_[at_], &text_[at_] + n);
    at_ += n;
    return traits_type::to_int_type(*gptr());
  }
  int_type uflow() override {
    if (piece_ != 0) return std::streambuf::uflow();
    const int_type c = underflow();
    if (c != traits_type::eof()) ++at_;
    return c;
  }

 private:
  std::string text_;
  std::size_t piece_;
  std::size_t at_ = 0;
};

// Reads `data` into a record of `block`: whether the read succeeded, the
// values of all fields and the price-base, unit-of-measure and range-warning
// flags afterwards, and what the stream has left.
TEST_F(DataRecordTestEnv, Reader) {
  using Row = std::tuple<const char*, bool, std::string, bool, const char*,
                         const char*>;  // block, mode, data, ok, state, rest
  const Row rows[] = {
      {kItem, false, "12 3 4 \"abcd\" 0 trailing", true, "0|abcd|N|9||1||000", "trailing"},
      {kItem, false, "12 3 0 \"\" 0 ", false, "0||N|9||1||000", "\" 0 "},
      {kItem, false, "13 3 4 \"abcd\" 0 ", false, "0||N|9||1||000", "3 4 \"abcd\" 0 "},
      {kItem, false, "12 3 -4 \"abcd\" 0 ", false, "0||N|9||1||000", "\"abcd\" 0 "},
      {kItem, false, "12 99 4 \"abcd\" 0 ", false, "0||N|9||1||000", "\"abcd\" 0 "},
      {kItem, false, std::string("12 3 4 \"ab\0cd\" 0 ", 17), false, "0|ab|N|9||1||000", ""},
      {kItem, false, "12 1 3 \"456\" 5 2 \"1x\" 3 1 \"z\" 0 ", false, "456||N|9||1||000",
       "\" 3 1 \"z\" 0 "},
      // Refused values go on; PRIVATE fields stay; CLOB values are Base64; the
      // text arrives in the code page.
      {kItem, false, "12 4 1 \"Q\" 6 3 \"abc\" 20 6 \"Pz8/YQ\" 3 4 \"caf\xe9\" 8 1 \"0\" 0 ", true,
       "0|caf\xc3\xa9|Q|9||0|?\?\?|000", ""},
      {kItem, true, "12 5 3 \"500\" 1 7 \"1234567\" 0 ", true, "1234567||N|9||1||000", ""},
      {kLater, false, "12 8 1 \"0\" 0 ", true, "0|010", ""},
      // Records 8 and 9: pieces join under their heads; a head drops the
      // pieces before it; refused values are read on without their CLOSE.
      {kIngredients, false,
       "8 8740 3 \"abc\" 8741 3 \"def\" 8050 2 \"gh\" 8820 1 \"x\" 8900 1 \"y\" 8779 2 \"c2\" "
       "5000 3 \"???\" 8002 1 \"1\" 8003 1 \"0\" 0 ",
       true, "abcdefgh|xy|c2||1|0|7|110", ""},
      {kIngredients, false, "8 8741 3 \"def\" 8740 3 \"abc\" 8745 2 \"zz\" 8004 1 \"x\"0\" ", true,
       "abc|kept||zz|0|1|7|000", ""},
      {kIngredients9, true, "9 9004 2 \"99\" 9740 2 \"ab\" 9741 2 \"cd\" x", false, "abcd|7|001",
       ""},
  };
  for (const auto& [block, mode, data, ok, state, rest] : rows) {
    WriteRegistry({{kQuenzelKey, "DEFAULTDATAMODE", mode ? "1" : "0"}});
    for (const std::size_t piece :
         {std::size_t{1} << 20, std::size_t{0}, std::size_t{1}, std::size_t{3}}) {
      CQuenzelRecord record = MakeRecord(block);
      PieceSource source(data, piece);
      std::istream in(&source);
      in >> record;
      EXPECT_EQ(!in.fail(), ok) << data << " in pieces of " << piece;
      std::string seen, left;
      for (const CQuenzelField& f : record.fields) seen += f.m_Value + "|";
      for (bool flag : {record.priceBaseFlag, record.uomFlag, record.rangeWarning})
        seen += flag ? "1" : "0";
      EXPECT_EQ(seen, state) << data << " in pieces of " << piece;
      in.clear();
      std::getline(in, left, '\x01');
      EXPECT_EQ(left, rest) << data << " in pieces of " << piece;
    }
  }
}

}  // namespace
