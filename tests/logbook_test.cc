// Tests for logbook: entries appended to files in a temp log directory and
// read back.
#include "logbook.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "posix_shim.h"

namespace {

namespace fs = std::filesystem;

class LogbookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(mkdtemp(&dir_[0]), nullptr);
    setenv("LOGBOOK_DIR", dir_.c_str(), 1);
  }
  void TearDown() override { fs::remove_all(dir_); }
  // The text of `file`, which is removed, with each UTC timestamp as "|".
  std::string Take(const std::string& file = "L.log") {
    std::string text;
    {  // closed before the removal, which Windows refuses for an open file
      std::ifstream in(dir_ + "/" + file);
      text.assign(std::istreambuf_iterator<char>(in), {});
    }
    fs::remove(dir_ + "/" + file);
    return std::regex_replace(text, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z\t)"), "|");
  }
  std::string dir_ = fs::temp_directory_path().string() + "/logbook_test.XXXXXX";
};

// Four arguments follow each message; the format among them tells which are
// read. After a leading text ("lead", "l") only the operation name of a
// valid format is, so "op" shows only then. Category, severity and flags are
// not recorded.
TEST_F(LogbookTest, WritesAnnouncedArgumentsOnly) {
  std::string longest;  // 64 letters, the longest format accepted
  for (int i = 0; i < 31; ++i) longest += "%s";
  const std::string too_long = "%d" + longest + "%z";
  longest += "%z";
  const struct {
    const char *source, *message, *args[4], *line;
  } cases[] = {
      // clang-format off
      {"q", "Error", {"%s%s%z", "C:\\q", "x\ty", "Op()"}, "q\t9\tError\tC:\\\\q\tx\\ty\tOp()"},
      {"s\tr", "a\r\nb", {"lead", "%s%d%z", "op\\", "x"}, "s\\tr\t9\ta\\r\\nb\tlead\top\\\\"},
      {nullptr, nullptr, {"%s%z", nullptr, nullptr, "x"}, "\t9\t\t\t"},
      {"s", "m", {nullptr, "%s%z", "x", "op"}, "s\t9\tm\t"},
      {"", "", {"l", "%z", "op"}, "\t9\t\tl\top"},
      {"", "", {"l", longest.c_str(), "op"}, "\t9\t\tl\top"},
      {"", "", {"l", too_long.c_str(), "op"}, "\t9\t\tl\t"},
      {"", "", {"l", "", "op"}, "\t9\t\tl\t"}, {"", "", {"l", nullptr, "op"}, "\t9\t\tl\t"},
      {"", "", {"l", "%", "op"}, "\t9\t\tl\t"}, {"", "", {"l", "%s%d", "op"}, "\t9\t\tl\t"},
      {"", "", {"l", "%z%s", "op"}, "\t9\t\tl\t"}, {"", "", {"l", "%x%z", "op"}, "\t9\t\tl\t"},
      {"", "", {"l", "%sxz", "op"}, "\t9\t\tl\t"},
      // clang-format on
  };
  for (const auto& c : cases) {
    const auto& a = c.args;
    EXPECT_EQ(logbook_log_msg("L", c.source, 9, 1, 2, 3, c.message, a[0], a[1], a[2], a[3]), 0);
    EXPECT_EQ(Take(), "|" + std::string(c.line) + "\n") << "arguments " << a[0] << ", " << a[1];
  }
  logbook_log_msg("L", "q", -1, 0, 0, 0, "m", "%d%s%d%z", 12, "a", -5, "op");
  logbook_log_msg("L", "q", 2, 0, 0, 0, "m", "%d%z", 0, "");
  EXPECT_EQ(Take(), "|q\t-1\tm\t12\ta\t-5\top\n|q\t2\tm\t0\t\n");  // appended in order
}

// No log name leads outside the directory; an empty one drops the entry.
// Without a directory the entries go to syslog.
TEST_F(LogbookTest, ChoosesTheLogFile) {
  const std::pair<const char*, const char*> cases[] = {
      {"POS", "POS.log"}, {"../up", ".._up.log"}, {"a/b", "a_b.log"}, {".", "_.log"},
      {"..", "__.log"},   {"/", "_.log"},         {"", nullptr},      {nullptr, nullptr}};
  for (const auto& [log_name, file] : cases) {
    EXPECT_EQ(logbook_log_msg(log_name, "s", 5, 0, 0, 0, "m", "%z", "op"), 0);
    EXPECT_EQ(Take(file ? file : "none"), file ? "|s\t5\tm\top\n" : "") << log_name;
    EXPECT_TRUE(fs::is_empty(dir_)) << log_name;
  }
  setenv("LOGBOOK_DIR", (dir_ + "/missing").c_str(), 1);
  EXPECT_EQ(logbook_log_msg("L", "s", 7, 0, 0, 0, "m", "%z", "op"), -1);
  setenv("LOGBOOK_DIR", "", 1);  // as good as unset: no file at the root
  EXPECT_EQ(logbook_log_msg("logbook_test", "s", 7, 0, 0, 0, "m", "%z", "op"), 0);
  EXPECT_FALSE(fs::remove("/logbook_test.log"));
}

// A full file system (here a file size limit) cuts an entry short; the next
// entry still begins on a line of its own.
TEST_F(LogbookTest, EntryAfterACutOneStartsANewLine) {
  SKIP_ON_WINDOWS("file size limit to cut an entry short");
#ifndef _WIN32
  ASSERT_EQ(logbook_log_msg("L", "s", 1, 0, 0, 0, "first", "%z", "op"), 0);
  const auto size = fs::file_size(dir_ + "/L.log");
  struct rlimit old, limit;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  limit = {size + 10, old.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  const int cut = logbook_log_msg("L", "s", 2, 0, 0, 0, "second", "%z", "op");
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(cut, -1);
  ASSERT_EQ(logbook_log_msg("L", "s", 3, 0, 0, 0, "third", "%z", "op"), 0);
  EXPECT_EQ(std::regex_replace(Take(), std::regex("\n[0-9-]+\n"), "\n<cut>\n"),
            "|s\t1\tfirst\top\n<cut>\n|s\t3\tthird\top\n");
#endif
}

}  // namespace
