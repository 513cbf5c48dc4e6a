// Faults around the definition cache and the data-record reader: a
// directory the process may not write, a file-size limit that stops the
// cache part-way, a definition file that is replaced, cut short or removed
// between loads, and an address-space limit under a huge claimed length.
// Nothing may be lost: an old cache stays intact and is used only while it
// is current, and a failed read keeps what was read before it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "quenzel.h"
#include "test_env.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUENZEL_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUENZEL_TEST_ASAN 1
#endif
#endif

namespace {

using quenzel_test::QuenzelEnvTest;
using quenzel_test::ReadFile;
using quenzel_test::WriteFile;

const char* const kDefinition =
    "#12 SEND table:action \"ITEM\"\n"
    "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
    "3 STRING name=\"DESC\" 24 INITVALUE= \"New item\"\n"
    "#13 DELETE table:action \"ITEMDELETEONE\"\n"
    "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
    "2 NUMERIC name=\"SCALE\" 4 0 KEYPOS = \"F2\" 1-9999\n";

// Runs `body` in a forked child; true when it returns true.
template <typename Body>
bool InChild(Body body) {
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body() ? 0 : 1);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Record numbers and field counts: enough to tell catalogues apart.
std::string Describe(const CQuenzelFile& catalogue) {
  std::ostringstream out;
  for (const auto& entry : catalogue.recordKeys) {
    auto record = catalogue.records.find(entry.second);
    out << entry.first << ":" << entry.second << ":"
        << (record == catalogue.records.end() ? -1 : static_cast<int>(record->second.fields.size()))
        << " ";
  }
  return out.str();
}

class CacheFaultTest : public QuenzelEnvTest {
 protected:
  void SetUp() override {
    QuenzelEnvTest::SetUp();
    WriteRegistry({{"SOFTWARE\\TORVANHOLME\\Environment", "CacheFiles", "on"}});
    WriteDefinition("defs.txt", kDefinition);
    SetTime(Source(), kOriginalTime);
  }

  static constexpr long kOriginalTime = 1600000000;

  std::string Source() const { return dir() + "/zqapi/defs.txt"; }
  std::string Cache() const { return Source() + ".cache"; }
  bool Exists(const std::string& path) const { return ::access(path.c_str(), F_OK) == 0; }
  void SetTime(const std::string& path, long seconds) {
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
  // Replaces the definition with `text`, `seconds` after the original's time.
  void Replace(const std::string& text, long seconds) {
    WriteDefinition("defs.txt", text);
    SetTime(Source(), kOriginalTime + seconds);
  }
  // Initialise on a fresh catalogue: its result and what it loaded.
  std::pair<bool, std::string> Load() {
    CQuenzelFile catalogue;
    bool ok = catalogue.Initialise("defs.txt", "", nullptr, "");
    return {ok, Describe(catalogue)};
  }
  // What the definition file alone gives, without the cache.
  std::string FromFileAlone() {
    WriteRegistry({});
    std::string text = Load().second;
    WriteRegistry({{"SOFTWARE\\TORVANHOLME\\Environment", "CacheFiles", "on"}});
    return text;
  }
  // The definition cut inside the name of record 13's second field, which
  // leaves that field line without its length.
  static std::string CutInsideRecord13() {
    const std::string text = kDefinition;
    return text.substr(0, text.find("SCALE") + 3);
  }
  // A definition with `count` more records, for a cache too big to write in
  // one small piece.
  static std::string Grown(int count) {
    std::string text = kDefinition;
    for (int i = 0; i < count; ++i)
      text += "#" + std::to_string(100 + i) + " SEND\n1 STRING name=\"S\" 40 #\n";
    return text;
  }
};

TEST_F(CacheFaultTest, UnwritableDirectoryStillLoadsAndKeepsTheOldCache) {
  const std::string original = Load().second;
  const std::string oldCache = ReadFile(Cache());
  const std::string grown = Grown(3);
  Replace(grown, 10);
  const std::string expected = FromFileAlone();
  ASSERT_NE(expected, original);

  for (bool withOldCache : {true, false}) {
    SCOPED_TRACE(withOldCache ? "old cache present" : "no cache");
    if (!withOldCache) ::unlink(Cache().c_str());
    ::chmod(dir().c_str(), 0755);
    ::chmod((dir() + "/zqapi").c_str(), 0555);
    EXPECT_TRUE(InChild([&] {
      if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return false;
      auto loaded = Load();
      return loaded.first && loaded.second == expected;
    }));
    ::chmod((dir() + "/zqapi").c_str(), 0755);
    EXPECT_FALSE(Exists(Cache() + ".tmp"));
    if (withOldCache) {
      EXPECT_EQ(ReadFile(Cache()), oldCache);
    } else {
      EXPECT_FALSE(Exists(Cache()));
    }
  }
  // Writable again: the definition is read and a current cache written.
  EXPECT_EQ(Load(), std::make_pair(true, expected));
  ::unlink(Source().c_str());
  EXPECT_EQ(Load(), std::make_pair(true, expected));
}

TEST_F(CacheFaultTest, FileSizeLimitPartWayLeavesTheOldCache) {
  Load();
  const std::string oldCache = ReadFile(Cache());
  Replace(Grown(40), 10);
  const std::string expected = FromFileAlone();

  for (rlim_t limit : {1, 4, 100, 4096, 8191}) {
    SCOPED_TRACE("limit " + std::to_string(limit));
    EXPECT_TRUE(InChild([&] {
      std::signal(SIGXFSZ, SIG_IGN);
      struct rlimit fileSize = {limit, limit};
      if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0) return false;
      auto loaded = Load();
      return loaded.first && loaded.second == expected;
    }));
    EXPECT_EQ(ReadFile(Cache()), oldCache);
    EXPECT_FALSE(Exists(Cache() + ".tmp"));
  }
  // The old cache is older than the definition, so it is not used; without
  // the limit the current cache replaces it.
  EXPECT_EQ(Load(), std::make_pair(true, expected));
  EXPECT_GT(ReadFile(Cache()).size(), 8191u);
  ::unlink(Source().c_str());
  EXPECT_EQ(Load(), std::make_pair(true, expected));
}

TEST_F(CacheFaultTest, DefinitionChangedBetweenLoads) {
  const std::string shorter = "#12 SEND table:action \"ITEM\"\n1 NUMERIC name=\"PLU\" 6 0 1-9\n";
  const std::string cutMidBlock = CutInsideRecord13();
  struct Case {
    const char* what;
    std::string text;  // the new definition; none when `remove`
    bool remove;
    long seconds;    // its time after the original's
    bool ok;         // what Initialise gives afterwards
    bool fromCache;  // the original catalogue, from the cache
  };
  const Case cases[] = {
      {"removed", "", true, 0, true, true},
      {"shorter and newer", shorter, false, 10, true, false},
      {"shorter with the original's time", shorter, false, 0, true, true},
      {"shorter with an older time", shorter, false, -10, true, true},
      {"cut inside a field line, newer", cutMidBlock, false, 10, false, false},
      {"emptied, newer", "", false, 10, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteDefinition("defs.txt", kDefinition);
    SetTime(Source(), kOriginalTime);
    ::unlink(Cache().c_str());
    const std::string original = Load().second;
    const std::string oldCache = ReadFile(Cache());
    ASSERT_FALSE(oldCache.empty());

    if (c.remove) {
      ASSERT_EQ(::unlink(Source().c_str()), 0);
    } else {
      Replace(c.text, c.seconds);
    }
    const std::string fromFile = c.remove ? std::string() : FromFileAlone();
    for (int round = 0; round < 2; ++round) {  // the same again at the next start
      auto loaded = Load();
      EXPECT_EQ(loaded.first, c.ok);
      EXPECT_EQ(loaded.second, c.fromCache ? original : fromFile);
    }
    // A failed read writes no cache: the old one stays, and stays unused.
    if (!c.ok) {
      EXPECT_EQ(ReadFile(Cache()), oldCache);
    }
  }
}

TEST_F(CacheFaultTest, CutDefinitionKeepsItsEarlierBlocks) {
  Replace(CutInsideRecord13(), 10);
  CQuenzelFile catalogue;
  EXPECT_FALSE(catalogue.Initialise("defs.txt", "", nullptr, ""));
  ASSERT_NE(catalogue.GetRecord(12), nullptr);
  EXPECT_EQ(catalogue.GetRecord(12)->fields.size(), 2u);
  EXPECT_EQ(catalogue.GetRecord(13), nullptr);
  EXPECT_FALSE(Exists(Cache()));
}

// A definition replaced by one whose time lies between the old one's and
// the cache's writing (a copy that keeps its times, or a replacement
// during the read) is newer than the catalogue in the cache.
TEST_F(CacheFaultTest, CacheIsNoNewerThanTheDefinitionItCameFrom) {
  WriteDefinition("defs.txt", kDefinition);
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  SetTime(Source(), now.tv_sec - 100);
  Load();
  WriteDefinition("defs.txt", "#77 SEND\n");
  SetTime(Source(), now.tv_sec - 50);
  auto loaded = Load();
  EXPECT_TRUE(loaded.first);
  EXPECT_EQ(loaded.second, "77:77:0 ");
}

// The reader takes a value's bytes as they come, so a length claimed far
// beyond the data fails the read without an attempt to allocate it. Under
// the address-space limit such an attempt would throw in the child.
TEST_F(QuenzelEnvTest, HugeClaimedLengthFailsWithoutAllocating) {
  WriteDefinition("defs.txt",
                  "#8 SEND\n8001 NUMERIC name=\"PLU\" 6 0 1-999999\n8740 TEXT name=\"A\" 1000 #\n"
                  "#12 SEND\n1 NUMERIC name=\"PLU\" 6 0 1-999999\n3 STRING name=\"DESC\" 24 #\n"
                  "20 CLOB name=\"PICTURE\" 60000 #\n");
  CQuenzelFile catalogue;
  ASSERT_TRUE(catalogue.Initialise("defs.txt", "", nullptr, ""));
  struct Case {
    int record;
    const char* data;
    int keptField;  // set before the huge value
    const char* kept;
  };
  const Case cases[] = {
      {12, "12 1 4 \"4711\" 3 4000000000 \"abc", 1, "4711"},
      {12, "12 1 2 \"42\" 20 4000000000 \"YWJj", 1, "42"},
      {12, "12 1 1 \"7\" 3 99999999999999999999 \"abc\" 0 ", 1, "7"},
      {8, "8 8001 3 \"123\" 8740 4000000000 \"abc", 8001, "123"},
      {8, "8 8001 2 \"55\" 8741 4000000000 \"abc", 8001, "55"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    CQuenzelRecord record = *catalogue.GetRecord(c.record);
    EXPECT_TRUE(InChild([&] {
#ifndef QUENZEL_TEST_ASAN  // the sanitizer's shadow memory needs the address space
      std::ifstream status("/proc/self/statm");
      unsigned long pages = 0;
      status >> pages;
      const rlim_t limit = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (64u << 20);
      struct rlimit space = {limit, limit};
      if (::setrlimit(RLIMIT_AS, &space) != 0) return false;
#endif
      std::istringstream in(c.data);
      in >> record;
      std::string kept;
      record.FindField(c.keptField)->GetValueUTF8(kept);
      return in.fail() && kept.find(c.kept) != std::string::npos;
    }));
  }
}

}  // namespace
