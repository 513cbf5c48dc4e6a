#include "token_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "line_reader.h"

namespace quenzel {
namespace detail {
namespace {

TEST(TokenReaderTest, SplitsQuotesAndComments) {
  struct Row {
    const char* input;
    std::vector<std::string> tokens;
  };
  const Row rows[] = {
      {"  \t\r\n", {}},
      {"12 send", {"12", "SEND"}},
      {"a\tb\rc\nd", {"A", "B", "C", "D"}},
      // A quoted run after a separator ends the token; after a letter it goes on.
      {" \"ab\"cd", {"AB", "CD"}},
      {"x\"a b\"y z", {"XA BY", "Z"}},
      {"\"unterminated run", {"UNTERMINATED RUN"}},
      // A slash skips to the end of the line without ending the token.
      {"ab/comment\ncd ef", {"ABCD", "EF"}},
      {"1 \"a/b\"", {"1", "A/B"}},
      {"\xe9t", {"\xe9T"}},
  };
  for (const Row& r : rows) {
    std::istringstream in(r.input);
    std::vector<std::string> tokens;
    for (std::string t = ReadToken(in); !(t.empty() && in.eof()); t = ReadToken(in))
      tokens.push_back(t);
    EXPECT_EQ(tokens, r.tokens) << r.input;
  }
}

TEST(TokenReaderTest, StreamStateAndCounter) {
  std::istringstream last("12");
  CurrentPosition().token = 0;
  EXPECT_EQ(ReadToken(last), "12");
  EXPECT_TRUE(last.good()) << "a token that ends the stream counts as read";
  EXPECT_EQ(ReadToken(last), "");
  EXPECT_TRUE(last.eof() && last.fail());
  EXPECT_EQ(ReadToken(last), "");
  EXPECT_EQ(CurrentPosition().token, 3) << "every request counts";

  struct Row {
    const char* input;
    bool item;
    int value;
  };
  const Row rows[] = {{"0099 ", true, 99},
                      {"-1", false, 0},
                      {"1a", false, 0},
                      {"", false, 0},
                      {"99999999999", true, 2147483647}};
  for (const Row& r : rows) {
    std::istringstream in(r.input);
    int value = 0;
    EXPECT_EQ(ReadNumberItem(in, value), r.item) << r.input;
    EXPECT_EQ(value, r.value) << r.input;
  }
}

}  // namespace
}  // namespace detail
}  // namespace quenzel
