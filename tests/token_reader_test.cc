#include "token_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "line_reader.h"

namespace quenzel::detail {
namespace {

TEST(TokenReaderTest, SplitsQuotesAndComments) {
  struct Row {
    const char* input;
    std::vector<std::string> tokens;
  };
  const Row rows[] = {
      {"  \t\r\n", {}},
      {"12 send", {"12", "SEND"}},
      {" \"ab\"cd", {"AB", "CD"}},  // a quoted run after a separator ends the token
      {"x\"a b\"y z", {"XA BY", "Z"}},
      {"\"unterminated run", {"UNTERMINATED RUN"}},
      {"ab/comment\ncd ef", {"ABCD", "EF"}},  // a slash skips the rest of the line
      {"1 \"a/b\" \xe9t", {"1", "A/B", "\xe9T"}},
  };
  for (const Row& r : rows) {
    std::istringstream in(r.input);
    std::vector<std::string> tokens;
    for (std::string t = ReadToken(in); !(t.empty() && in.eof()); t = ReadToken(in))
      tokens.push_back(t);
    EXPECT_EQ(tokens, r.tokens) << r.input;
  }
}

TEST(TokenReaderTest, StreamStateCounterAndNumberItems) {
  std::istringstream last("12");
  CurrentPosition().token = 0;
  EXPECT_EQ(ReadToken(last), "12");
  EXPECT_TRUE(last.good()) << "a token that ends the stream counts as read";
  EXPECT_EQ(ReadToken(last), "");
  EXPECT_TRUE(last.eof() && last.fail());
  EXPECT_EQ(ReadToken(last), "");
  EXPECT_EQ(CurrentPosition().token, 3) << "every request counts";
  // A number item: digits only, its value as atoi gives it; -1 for none.
  const std::pair<const char*, int> rows[] = {
      {"0099 ", 99}, {"-1", -1}, {"1a", -1}, {"", -1}, {"99999999999", 2147483647}};
  for (const auto& r : rows) {
    std::istringstream in(r.first);
    int value = -1;
    EXPECT_EQ(ReadNumberItem(in, value), r.second != -1) << r.first;
    EXPECT_EQ(value, r.second) << r.first;
  }
}

}  // namespace
}  // namespace quenzel::detail
