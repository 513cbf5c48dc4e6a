#include "logbook.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Fields = std::vector<std::string>;

class LogbookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string dir = (fs::temp_directory_path() / "logbook_test.XXXXXX").string();
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    dir_ = dir;
    setenv("LOGBOOK_DIR", dir.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("LOGBOOK_DIR");
    fs::remove_all(dir_);
  }

  // The lines of `file` split at tabs; the file is removed for the next case.
  std::vector<Fields> TakeEntries(const std::string& file = "L.log") {
    std::ifstream in(dir_ / file);
    std::vector<Fields> entries;
    for (std::string line; std::getline(in, line);) {
      Fields& fields = entries.emplace_back(1);
      for (char c : line) {
        if (c == '\t') {
          fields.emplace_back();
        } else {
          fields.back().push_back(c);
        }
      }
    }
    fs::remove(dir_ / file);
    return entries;
  }
  // The fields after the timestamp of the file's single entry.
  Fields TakeOnlyEntry() {
    const auto entries = TakeEntries();
    if (entries.size() != 1) return {std::to_string(entries.size()) + " entries"};
    return Fields(entries[0].begin() + 1, entries[0].end());
  }

  fs::path dir_;
};

TEST_F(LogbookTest, ArgumentShapesEscapesAndNulls) {
  const char* path = "C:\\q\\a.qz";
  const char* op = "CQuenzelFile::Read()";
  const struct {
    std::function<int()> call;
    Fields expected;  // source, event, message, values..., operation
  } cases[] = {
      {[&] { return logbook_log_msg("L", "quenzel", 996, 0, 10, 0, path, path, "%s%s%z", op); },
       {"quenzel", "996", "C:\\\\q\\\\a.qz", "C:\\\\q\\\\a.qz", op}},
      {[&] { return logbook_log_msg("L", "quenzel", 996, 0, 10, 0, "Is unicode", "a", "%z", op); },
       {"quenzel", "996", "Is unicode", "a", op}},
      {[&] {
         return logbook_log_msg("L", "q", 997, 0, 10, 0, "Read Error", "%s%d%d%d%d%z", "a", 12, -5,
                                30, 4, op);
       },
       {"q", "997", "Read Error", "a", "12", "-5", "30", "4", op}},
      {[] { return logbook_log_msg("L", "s\tr", 1, 0, 0, 0, "a\r\nb", "%s%z", "x\\y", "op\t"); },
       {"s\\tr", "1", "a\\r\\nb", "x\\\\y", "op\\t"}},
      {[] { return logbook_log_msg("L", nullptr, 2, 0, 0, 0, nullptr, "%s%z", nullptr, nullptr); },
       {"", "2", "", "", ""}},
      {[] { return logbook_log_msg("L", "s", 3, 0, 0, 0, "m", nullptr, "%s%z", "x", "op"); },
       {"s", "3", "m", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected[2]);
    EXPECT_EQ(c.call(), 0);
    EXPECT_EQ(TakeOnlyEntry(), c.expected);
  }
}

// After a leading text, a malformed format must leave the operation argument
// unread; "UNREAD" in the entry would show that it was read.
TEST_F(LogbookTest, MalformedFormatReadsNothingMore) {
  std::string longest;  // 64 letters, the longest accepted format
  for (int i = 0; i < 31; ++i) longest += "%s";
  longest += "%z";
  const std::string too_long = "%d" + longest;
  for (const char* format :
       {"", "%s%d", "%z%s", "%s%z%z", "%x%z", "%s %z", "%", too_long.c_str()}) {
    SCOPED_TRACE(format);
    EXPECT_EQ(logbook_log_msg("L", "s", 4, 0, 0, 0, "m", "lead", format, "UNREAD"), 0);
    EXPECT_EQ(TakeOnlyEntry(), (Fields{"s", "4", "m", "lead", ""}));
  }
  EXPECT_EQ(logbook_log_msg("L", "s", 4, 0, 0, 0, "m", "lead", longest.c_str(), "op"), 0);
  EXPECT_EQ(TakeOnlyEntry(), (Fields{"s", "4", "m", "lead", "op"}));
}

TEST_F(LogbookTest, LogNamesStayInsideTheDirectory) {
  const std::pair<const char*, const char*> cases[] = {{"POS", "POS.log"}, {"../up", ".._up.log"},
                                                       {"a/b", "a_b.log"}, {".", "_.log"},
                                                       {"..", "__.log"},   {"/", "_.log"}};
  for (const auto& [log_name, file] : cases) {
    EXPECT_EQ(logbook_log_msg(log_name, "s", 5, 0, 0, 0, "m", "%z", "op"), 0);
    EXPECT_EQ(TakeEntries(file).size(), 1u) << log_name;
  }
  EXPECT_EQ(logbook_log_msg("", "s", 6, 0, 0, 0, "m", "%z", "op"), 0);
  EXPECT_EQ(logbook_log_msg(nullptr, "s", 6, 0, 0, 0, "m", "%z", "op"), 0);
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(LogbookTest, EntriesAppendInOrderWithUtcTimestamps) {
  for (int i = 0; i < 3; ++i) logbook_log_msg("L", "s", i, 0, 0, 0, "m", "%d%z", i * 10, "op");
  const auto entries = TakeEntries();
  ASSERT_EQ(entries.size(), 3u);
  const std::regex timestamp(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)");
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(std::regex_match(entries[i][0], timestamp)) << entries[i][0];
    EXPECT_EQ(entries[i],
              (Fields{entries[i][0], "s", std::to_string(i), "m", std::to_string(i * 10), "op"}));
  }
}

TEST_F(LogbookTest, UnwritableDirectoryFailsAndSyslogSucceeds) {
  setenv("LOGBOOK_DIR", (dir_ / "missing").c_str(), 1);
  EXPECT_EQ(logbook_log_msg("L", "s", 7, 0, 0, 0, "m", "%z", "op"), -1);
  unsetenv("LOGBOOK_DIR");
  EXPECT_EQ(logbook_log_msg("logbook_test", "s", 7, 0, 0, 0, "m", "%z", "op"), 0);
}

}  // namespace
