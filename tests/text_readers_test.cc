#include "code_page.h"
#include "line_reader.h"
#include "numbers.h"
#include "token_reader.h"
namespace quenzel {
namespace detail {
inline int& LineCounter() { return CurrentPosition().line; }
inline int& TokenCounter() { return CurrentPosition().token; }
inline bool IsNumberItem(const char* t) { return IsDigits(t); }
}  // namespace detail
}  // namespace quenzel

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <climits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace quenzel {
namespace detail {
namespace {

// Every token the reader gives until it returns an empty one at the end.
std::vector<std::string> Tokens(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> tokens;
  for (int guard = 0; guard < 100; ++guard) {
    std::string token = ReadToken(in);
    if (token.empty() && in.eof()) break;
    tokens.push_back(token);
  }
  return tokens;
}

TEST(TokenReaderTest, SplitsQuotesAndComments) {
  struct Case {
    const char* input;
    std::vector<std::string> tokens;
  };
  const Case cases[] = {
      {"", {}},
      {"  \t\r\n", {}},
      {"12 send", {"12", "SEND"}},
      {"a\tb\rc\nd", {"A", "B", "C", "D"}},
      {"name=\"Mixed Case\" 10", {"NAME=MIXED CASE", "10"}},
      // A quoted run after a separator ends the token; after a letter it goes on.
      {" \"ab\"cd", {"AB", "CD"}},
      {"x\"a b\"y z", {"XA BY", "Z"}},
      {"\"unterminated run", {"UNTERMINATED RUN"}},
      // A slash skips to the end of the line without ending the token.
      {"ab/comment\ncd ef", {"ABCD", "EF"}},
      {"// only a comment", {}},
      {"1 \"a/b\"", {"1", "A/B"}},
      {"\xe9t\xe9", {"\xe9T\xe9"}},  // bytes above 127 are kept
  };
  for (const Case& c : cases) EXPECT_EQ(Tokens(c.input), c.tokens) << "input: " << c.input;
}

TEST(TokenReaderTest, EndOfStreamState) {
  std::istringstream last("12");
  EXPECT_EQ(ReadToken(last), "12");
  EXPECT_TRUE(last.good()) << "a token that ends the stream counts as read";
  EXPECT_EQ(ReadToken(last), "");
  EXPECT_TRUE(last.eof());

  std::istringstream followed("12 ");
  EXPECT_EQ(ReadToken(followed), "12");
  EXPECT_FALSE(followed.eof());
}

TEST(TokenReaderTest, CountsEveryRequest) {
  std::istringstream in("a");
  TokenCounter() = 0;
  ReadToken(in);
  ReadToken(in);
  ReadToken(in);
  EXPECT_EQ(TokenCounter(), 3);
}

TEST(LineReaderTest, PiecesAndLineBreaks) {
  std::string longLine(2000, 'x');
  std::istringstream in("first\r\nsecond\n\n" + longLine + "\nlone\rcr\nno-end");
  LineCounter() = 0;
  std::vector<std::string> lines;
  std::string line;
  for (int i = 0; i < 10 && !in.eof(); ++i) {
    ReadLine(in, line);
    lines.push_back(line);
  }
  std::vector<std::string> expected = {
      "first",    "second", "", std::string(1023, 'x'), std::string(977, 'x'),
      "lone\rcr", "no-end", ""};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(LineCounter(), 8);
}

TEST(LineReaderTest, ExactPieceLengthIsOneLine) {
  std::istringstream in(std::string(1023, 'y') + "\r\nnext");
  std::string line;
  ReadLine(in, line);
  EXPECT_EQ(line.size(), 1023u);
  ReadLine(in, line);
  EXPECT_EQ(line, "next");
}

TEST(LineReaderTest, ZeroByteEndsTheText) {
  std::istringstream in(std::string("ab\0cd\nef", 8));
  std::string line;
  ReadLine(in, line);
  EXPECT_EQ(line, "ab");
  ReadLine(in, line);
  EXPECT_EQ(line, "ef");
}

TEST(LineReaderTest, ResetsTokenCounterAndClearsState) {
  std::istringstream in("last");
  TokenCounter() = 5;
  std::string line;
  ReadLine(in, line);
  EXPECT_EQ(TokenCounter(), 0);
  EXPECT_TRUE(in.good()) << "a non-empty text clears the end of the stream";
  ReadLine(in, line);
  EXPECT_TRUE(in.eof());
  EXPECT_TRUE(in.fail());
}

TEST(NumberTest, AtoiRules) {
  struct Case {
    const char* text;
    long long value32;
    long long value64;
  };
  const Case cases[] = {
      {"", 0, 0},
      {"abc", 0, 0},
      {"42", 42, 42},
      {"  -17x", -17, -17},
      {"+8", 8, 8},
      {"2147483647", INT_MAX, 2147483647LL},
      {"2147483648", INT_MAX, 2147483648LL},
      {"-2147483649", INT_MIN, -2147483649LL},
      {"99999999999999999999", INT_MAX, LLONG_MAX},
      {"-99999999999999999999", INT_MIN, LLONG_MIN},
      {"-9223372036854775808", INT_MIN, LLONG_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Atoi(c.text), c.value32) << c.text;
    EXPECT_EQ(Atoi64(c.text), c.value64) << c.text;
  }
}

TEST(NumberTest, NumberItem) {
  for (const char* good : {"0", "12", "0099"}) EXPECT_TRUE(IsNumberItem(good)) << good;
  for (const char* bad : {"", "-1", "+1", "1a", " 1", "1.5"})
    EXPECT_FALSE(IsNumberItem(bad)) << bad;
}

// ICU's one-shot conversion: what the cached converters must reproduce.
std::string OneShot(const std::string& text, const char* target, const char* source) {
  std::string out(text.size() * 4 + 16, '\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_convert(target, source, &out[0], static_cast<int32_t>(out.size()), text.data(),
                           static_cast<int32_t>(text.size()), &status);
  out.resize(U_FAILURE(status) ? 0 : static_cast<std::size_t>(n));
  return out;
}

TEST(CodePageTest, KnownConversions) {
  EXPECT_EQ(CodePageToUtf8("\xe9", "cp-1252"), "\xc3\xa9");
  EXPECT_EQ(Utf8ToCodePage("\xc3\xa9", "cp-1252"), "\xe9");
  EXPECT_EQ(CodePageToUtf8("plain ASCII", "cp-1252"), "plain ASCII");
  EXPECT_EQ(Utf8ToCodePage("plain ASCII", "cp-1252"), "plain ASCII");
  EXPECT_EQ(Utf8ToCodePage("\xe4\xb8\xad", "cp-1252"), "\x1a") << "a character cp-1252 lacks";
  EXPECT_EQ(CodePageToUtf8("abc", "cp-"), "");
  EXPECT_EQ(Utf8ToCodePage("abc", "no-such-page"), "");
  EXPECT_EQ(CodePageToUtf8("", "cp-1252"), "");
}

TEST(CodePageTest, SameAsOneShotConversion) {
  std::mt19937 rng(7);
  const char* pages[] = {"cp-1252", "cp-932", "cp-1250", "cp-", "cp-1252"};
  for (int round = 0; round < 2000; ++round) {
    std::string text(rng() % 64, '\0');
    const unsigned range = round % 2 ? 256 : 128;  // half the texts are ASCII only
    for (char& c : text) c = static_cast<char>(rng() % range);
    const char* page = pages[round % 5];
    ASSERT_EQ(CodePageToUtf8(text, page), OneShot(text, "utf8", page)) << page;
    ASSERT_EQ(Utf8ToCodePage(text, page), OneShot(text, page, "utf8")) << page;
  }
}

}  // namespace
}  // namespace detail
}  // namespace quenzel
