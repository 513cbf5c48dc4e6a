#include "line_reader.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace quenzel::detail {
namespace {

TEST(LineReaderTest, PiecesBreaksAndZeroBytes) {
  const std::string y(1023, 'y');
  std::istringstream in("first\r\nsecond\n\n" + std::string(2000, 'x') + "\nlone\rcr\n" + y +
                        "\r\nab" + std::string(1, '\0') + "cd\nno-end");
  CurrentPosition() = {0, 5};
  std::vector<std::string> lines;
  for (std::string line; lines.size() < 9;) {
    ReadLine(in, line);
    lines.push_back(line);
  }
  const std::vector<std::string> expected = {
      "first", "second", "",      std::string(1023, 'x'), std::string(977, 'x'), "lone\rcr",
      y,       "ab",     "no-end"};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(CurrentPosition().line, 9);
  EXPECT_EQ(CurrentPosition().token, 0);
  EXPECT_TRUE(in.good()) << "a non-empty text clears the end of the stream";
  std::string line;
  ReadLine(in, line);
  EXPECT_TRUE(in.eof() && in.fail());
  // A full piece whose text a zero byte emptied moves on like any other; the
  // line counter stops at its maximum.
  std::istringstream zero(std::string(1, '\0') + std::string(1500, 'z') + "\nnext");
  CurrentPosition().line = INT_MAX - 1;
  for (const std::string& expected : {std::string(), std::string(478, 'z'), std::string("next")}) {
    ReadLine(zero, line);
    EXPECT_EQ(line, expected);
  }
  EXPECT_EQ(CurrentPosition().line, INT_MAX);
}

}  // namespace
}  // namespace quenzel::detail
