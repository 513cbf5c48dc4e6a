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
const char* const kNumbers =
    "12 SEND\n1 NUMERIC name=\"HIDDEN\" 4 5 PRIVATE 0-9999\n2 NUMERIC name=\"N\" 4 0 0-99\n";
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
      {"3 NUMERIC x 6 7 ", "7", ""},       // the default
      {"3 NUMERIC x 6 7 ", "-05", "3 2 \"-5\" "},
      // Years are written as the getter gives them: two-digit years and
      // years outside 1975 to 2074 come back in that century.
      {"11 YEAR x 4 0 ", "74", "11 4 \"2074\" "},
      {"11 YEAR x 4 0 ", "1974", "11 4 \"2074\" "},
      {"11 YEAR x 4 0 ", "1975", "11 4 \"1975\" "},
      {"11 YEAR x 4 0 ", "2074", "11 4 \"2074\" "},
      {"11 YEAR x 4 0 ", "2075", "11 4 \"1975\" "},
      {"11 YEAR x 4 0 1980-1990", "1985", "11 4 \"1985\" "},
      {"11 YEAR x 4 0 1980-1990", "1995", ""},
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

// A stream buffer without a get area that reads a record of its own from
// another stream whenever it is asked for a byte, as a host's buffer that
// relays or logs might.
class ReadingSource : public std::streambuf {
 public:
  explicit ReadingSource(std::string text) : text_(std::move(text)) {}
  CQuenzelRecord inner = MakeRecord(kItem);

 protected:
  int_type underflow() override {
    std::istringstream other("12 3 5 \"inner\" 0 ");
    other >> inner;
    return at_ == text_.size() ? traits_type::eof() : traits_type::to_int_type(text_[at_]);
  }
  int_type uflow() override {
    const int_type c = underflow();
    if (c != traits_type::eof()) ++at_;
    return c;
  }

 private:
  std::string text_;
  std::size_t at_ = 0;
};

// A stream buffer that takes what it is given a byte at a time, writing a
// record of its own to another stream before each byte.
class WritingSink : public std::streambuf {
 public:
  std::string text, inner;

 protected:
  int_type overflow(int_type c) override {
    CQuenzelRecord record = MakeRecord(kItem);
    record.FindField(3)->SetValueUTF8(std::string(100, 'i'), false);
    std::ostringstream other;
    other << record;
    inner = other.str();
    if (c != traits_type::eof()) text.push_back(traits_type::to_char_type(c));
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    for (std::streamsize i = 0; i < n; ++i) overflow(traits_type::to_int_type(s[i]));
    return n;
  }
};

// A read or a write nested in another on the same thread keeps its text
// apart.
TEST_F(DataRecordTestEnv, NestedInTheStreamBuffer) {
  ReadingSource source("12 3 5 \"outer\" 0 ");
  std::istream in(&source);
  CQuenzelRecord record = MakeRecord(kItem);
  in >> record;
  EXPECT_FALSE(in.fail());
  EXPECT_EQ(record.FindField(3)->m_Value, "outer");
  EXPECT_EQ(source.inner.FindField(3)->m_Value, "inner");
  WritingSink sink;
  std::ostream out(&sink);
  out << record;
  EXPECT_EQ(sink.text, "12 3 5 \"outer\" 0 ");
  EXPECT_EQ(sink.inner, "12 3 100 \"" + std::string(100, 'i') + "\" 0 ");
}

// Reads `data` into a record of `block`: whether the read succeeded, the
// values of all fields and the price-base, unit-of-measure and range-warning
// flags afterwards, and what the stream has left.
TEST_F(DataRecordTestEnv, Reader) {
  using Row = std::tuple<const char*, bool, std::string, bool, const char*,
                         const char*>;  // block, mode, data, ok, state, rest
  const Row rows[] = {
      {kItem, false, "12 3 4 \"abcd\" 0 trailing", true, "0|abcd|N|9||1||000", "trailing"},
      {kItem, false, "12 3 0 \"\" 0 ", false, "0||N|9||1||000", "\" 0 "},
      // Numbers of ten digits and more, with leading zeros or beyond INT_MAX.
      {kItem, false, "12 00000000003 0000000004 \"abcd\" 0 trailing", true, "0|abcd|N|9||1||000",
       "trailing"},
      {kItem, false, "12 99999999999 4 \"abcd\" 0 trailing", false, "0||N|9||1||000",
       "\"abcd\" 0 trailing"},
      {kItem, false, "13 3 4 \"abcd\" 0 ", false, "0||N|9||1||000", "3 4 \"abcd\" 0 "},
      {kItem, false, "12 3 -4 \"abcd\" 0 ", false, "0||N|9||1||000", "\"abcd\" 0 "},
      {kItem, false, "12 99 4 \"abcd\" 0 ", false, "0||N|9||1||000", "\"abcd\" 0 "},
      {kItem, false, std::string("12 3 4 \"ab\0cd\" 0 ", 17), false, "0|ab|N|9||1||000", ""},
      {kItem, false, std::string("12 3 12 \"abcdefghi\0kl\" 0 ", 26), false,
       "0|abcdefghi|N|9||1||000", ""},
      {kItem, false, "12 3 10 \"abcdefghij\" 0 ", true, "0|abcdefghij|N|9||1||000", ""},
      {kItem, false, "12 1 3 \"456\" 5 2 \"1x\" 3 1 \"z\" 0 ", false, "456||N|9||1||000",
       "\" 3 1 \"z\" 0 "},
      // Refused values go on; PRIVATE fields stay; CLOB values are Base64; the
      // text arrives in the code page.
      {kItem, false, "12 4 1 \"Q\" 6 3 \"abc\" 20 6 \"Pz8/YQ\" 3 4 \"caf\xe9\" 8 1 \"0\" 0 ", true,
       "0|caf\xc3\xa9|Q|9||0|?\?\?|000", ""},
      {kItem, true, "12 5 3 \"500\" 1 7 \"1234567\" 0 ", true, "1234567||N|9||1||000", ""},
      {kLater, false, "12 8 1 \"0\" 0 ", true, "0|010", ""},
      // A PRIVATE number stays; a number outside the list reads on, a text
      // that is no number stops the read.
      {kNumbers, false, "12 1 2 \"42\" 2 3 \"120\" 2 2 \"1x\" 2 1 \"1\" 0 ", false, "5|120|000",
       "\" 2 1 \"1\" 0 "},
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

// What the reader's diagnosis says about each way a record can stop: the
// fault, the element it concerns, offsets from where the read began (an
// element's is where the reader began to look for it, before its
// separators), and the notes of values set with a warning.
TEST_F(DataRecordTestEnv, Diagnosis) {
  using quenzel::detail::DataRecordDiagnosis;
  using F = quenzel::detail::DataRecordFault;
  struct Row {
    const char* block;
    std::string data;
    F fault;
    std::string said;  // field number, item, length, taken, value, result
    std::streamoff element, stop;
    std::string notes, zeroCut;
  };
  const Row rows[] = {
      {kItem, "12 3 4 \"abcd\" 0 ", F::kNone, "0|||", 13, 16, "", ""},
      {kItem, "x12 0 ", F::kNoRecordNumber, "0|X12||", 0, 4, "", ""},
      {kItem, "", F::kNoRecordNumber, "0|||", 0, 0, "", ""},
      {kItem, "13 0 ", F::kOtherRecord, "0|||", 0, 3, "", ""},
      {kItem, "12 3 4 \"abcd\" ab\"c d\" ", F::kNoFieldNumber, "0|ABC D||", 13, 22, "", ""},
      {kItem, "12 3 4 \"abcd\" ", F::kNoFieldNumber, "0|||", 13, 14, "", ""},
      {kItem, "12 3 4 \"abcd", F::kNoFieldNumber, "3||4 4|", 3, 12, "", ""},
      {kItem, "12 3 x \"abcd\" 0 ", F::kNoLength, "3|||", 3, 7, "", ""},
      {kItem, "12 99 4 \"abcd\" 0 ", F::kUndefinedField, "99||4 0|", 3, 8, "", ""},
      {kItem, "12 3 9 \"abcd", F::kValueCut, "3||9 4|", 3, 12, "", ""},
      {kItem, "12 3 0 \"\" 0 ", F::kEmptyValue, "3||0 0|", 3, 8, "", ""},
      {kItem, std::string("12 3 5 \"ab\0cd\" 0 ", 17), F::kNoFieldNumber, "0|CD 0 ||", 11, 17, "",
       "3 2 5"},
      {kItem, "12 4 1 \"Q\" 1 3 \"12x\" 0 ", F::kValueRefused, "1||3 3|12x Invalid Numeric", 10, 19,
       "4 Q Range Error", ""},
      // Records 8 and 9 read on after a refusal and note it.
      {kIngredients, "8 8004 1 \"x\" 0 ", F::kNoFieldNumber, "0| 0 ||", 11, 15,
       "8004 x Invalid Numeric", ""},
  };
  for (const Row& row : rows) {
    CQuenzelRecord record = MakeRecord(row.block);
    std::istringstream in(row.data);
    DataRecordDiagnosis why;
    why.notes.push_back({});  // a diagnosis is reset by the read
    quenzel::detail::ReadRecord(in, record, &why);
    EXPECT_EQ(in.fail(), row.fault != F::kNone) << row.data;
    EXPECT_EQ(why.fault, row.fault) << row.data;
    std::string said = std::to_string(why.fieldNumber) + "|" + why.item + "|";
    if (why.length != 0 || why.taken != 0 || why.fault == F::kEmptyValue)
      said += std::to_string(why.length) + " " + std::to_string(why.taken);
    said += "|";
    if (why.fault == F::kValueRefused) said += why.value + " " + QuenzelErrorName(why.result);
    EXPECT_EQ(said, row.said) << row.data;
    EXPECT_EQ(why.elementOffset, row.element) << row.data;
    EXPECT_EQ(why.stopOffset, row.stop) << row.data;
    std::string notes, cut;
    for (const auto& note : why.notes)
      notes +=
          std::to_string(note.fieldNumber) + " " + note.value + " " + QuenzelErrorName(note.result);
    if (why.zeroCut.fieldNumber != 0)
      cut = std::to_string(why.zeroCut.fieldNumber) + " " + std::to_string(why.zeroCut.taken) +
            " " + std::to_string(why.zeroCut.length);
    EXPECT_EQ(notes, row.notes) << row.data;
    EXPECT_EQ(cut, row.zeroCut) << row.data;
  }
  // A buffer that cannot tell its position gives no offsets; a huge token
  // is kept only in part.
  CQuenzelRecord record = MakeRecord(kItem);
  PieceSource source("12 " + std::string(5000, 'x') + " 0 ", 0);
  std::istream in(&source);
  DataRecordDiagnosis why;
  quenzel::detail::ReadRecord(in, record, &why);
  EXPECT_EQ(why.fault, F::kNoFieldNumber);
  EXPECT_EQ(why.item.size(), DataRecordDiagnosis::kMaxItem);
  EXPECT_EQ(why.elementOffset, -1);
  EXPECT_EQ(why.stopOffset, -1);
}

// The record boundary: a whole frame is skipped to the separator after its
// closing 0 whatever its values say, a broken one to just after the token
// that broke it, and the end of the input ends it.
TEST(DataRecordTest, SkipRecord) {
  using Row = std::tuple<std::string, bool, const char*>;  // data, whole, rest
  const Row rows[] = {
      {"12 3 4 \"abcd\" 0 13 0 ", true, "13 0 "},
      {"12 99 0 \"\" 3 9 \"a b \"c\" d\" 0 13", true, "13"},  // values counted, not parsed
      {std::string("5 3 4 \"a\0\0d\" 0 x", 16), true, "x"},   // zero bytes are value bytes
      {"5 0", true, ""},
      {"5 3 x \"abcd\" 0 13 0 ", false, "\"abcd\" 0 13 0 "},
      {"x 3 0 ", false, "3 0 "},
      {"5 3 -1 \"\" 0 13 0 ", false, "\"\" 0 13 0 "},
      {"5 3 40 \"abcd\" 0 13 0 ", false, ""},
      {"5 3 4 \"abcd\" / comment\n 0 7", true, "7"},
      {"", false, ""},
  };
  for (const auto& [data, whole, rest] : rows) {
    for (const std::size_t piece : {std::size_t{1} << 20, std::size_t{0}, std::size_t{3}}) {
      PieceSource source(data, piece);
      std::istream in(&source);
      EXPECT_EQ(quenzel::detail::SkipRecord(in), whole) << data << " in pieces of " << piece;
      std::string left;
      in.clear();
      std::getline(in, left, '\x01');
      EXPECT_EQ(left, rest) << data << " in pieces of " << piece;
    }
  }
}

}  // namespace
