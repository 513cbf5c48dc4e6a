#include "token_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "line_reader.h"

namespace quenzel::detail {
namespace {

TEST(TokenReaderTest, TokensStreamStateAndNumberItems) {
  const std::pair<const char*, std::vector<std::string>> rows[] = {
      {"  \t\r\n", {}},
      {"12 send", {"12", "SEND"}},
      {" \"ab\"cd", {"AB", "CD"}},  // a quoted run after a separator ends the token
      {"x\"a b\"y z", {"XA BY", "Z"}},
      {"\"unterminated run", {"UNTERMINATED RUN"}},
      {"ab/comment\ncd ef", {"ABCD", "EF"}},  // a slash skips the rest of the line
      {"1 \"a/b\" \xe9t", {"1", "A/B", "\xe9T"}},
  };
  for (const auto& [input, expected] : rows) {
    std::istringstream in(input);
    std::vector<std::string> tokens;
    for (std::string t = ReadToken(in); !(t.empty() && in.eof()); t = ReadToken(in))
      tokens.push_back(t);
    EXPECT_EQ(tokens, expected) << input;
  }
  std::istringstream last("12");
  CurrentPosition().token = 0;
  EXPECT_EQ(ReadToken(last), "12");
  EXPECT_TRUE(last.good()) << "a token that ends the stream counts as read";
  EXPECT_TRUE(ReadToken(last).empty() && last.eof() && last.fail());
  EXPECT_TRUE(ReadToken(last).empty() && CurrentPosition().token == 3) << "every request counts";
  // A number item: digits only, its value as atoi gives it; -1 for none.
  const std::pair<const char*, int> items[] = {
      {"0099 ", 99}, {"-1", -1}, {"1a", -1}, {"", -1}, {"99999999999", 2147483647}};
  for (const auto& [input, expected] : items) {
    std::istringstream in(input);
    int value = -1;
    EXPECT_EQ(ReadNumberItem(in, value), expected != -1) << input;
    EXPECT_EQ(value, expected) << input;
  }
}

}  // namespace
}  // namespace quenzel::detail
