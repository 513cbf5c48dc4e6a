#include "definition_cache.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <functional>

#include "test_env.h"

namespace {

using quenzel_test::ReadFile;
using quenzel_test::WriteFile;

const char* const kDefinition =
    "#12 SEND table:action \"ITEM\"\n"
    "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999 // item\n"
    "3 STRING name=\"DESC\" 24 INITVALUE= \"New item\"\n"
    "4 FLAG flag 1 N Y N\n"
    "5 NUMERIC name=\"\" 4 7 1 99 PSEUDO 9\n"
    "#13 DELETE\n"
    "2 TEXT name=\"T\" 100 SPLITCNT 2 50 DELCTLCH\n";
constexpr long kOriginalTime = 1600000000;

// Everything a host can see of a catalogue, as text.
std::string Describe(const CQuenzelFile& catalogue) {
  std::ostringstream out;
  out << catalogue.definitionPath << "\n";
  for (const auto& entry : catalogue.recordKeys) out << entry.first << "->" << entry.second << "\n";
  for (const auto& entry : catalogue.records) {
    const CQuenzelRecord& r = entry.second;
    out << entry.first << ": " << r.recordNumber << " " << r.action << " " << r.name << " "
        << r.codepage << " " << r.logName << r.keyF1Name << r.keyF2Name << r.keyF3Name << " "
        << r.sourceBaseWeightUnits << r.sourceScalingFactor << r.netWeightBaseWeightUnits
        << r.destinationBaseWeightUnits << r.priceUnits << r.uomFlag << r.conversionOn
        << r.rangeWarning << r.highResolution << r.seventhFlag << "\n";
    for (const CQuenzelField& f : r.fields)
      out << "  " << quenzel_test::Describe(f) << " [" << f.m_Value << "] [" << f.m_Comment << "] ["
          << f.m_Name << "] " << f.m_Supplied << f.m_TreatAsText << f.m_SendOrDelete
          << f.m_ConvertField << f.m_ConversionOn << f.m_HostUnitsFixed << f.m_ScaleMS << f.m_HostSF
          << " [" << f.m_Rejected << "] " << f.m_CodePage << f.m_AuditName << f.m_AuditText
          << f.m_RecordName << "\n";
  }
  return out.str();
}

// Runs `body` in a forked child; true when it returns true.
bool InChild(const std::function<bool()>& body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(body() ? 0 : 1);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class DefinitionCacheTest : public quenzel_test::QuenzelEnvTest {
 protected:
  void SetUp() override {
    QuenzelEnvTest::SetUp();
    CacheSwitch(true);
    Replace(kDefinition, 0);
  }
  void CacheSwitch(bool on) {
    WriteRegistry({{quenzel_test::kEnvironmentKey, "CacheFiles", on ? "on" : "off"}});
  }
  std::string Source() const { return dir() + "/zqapi/defs.txt"; }
  std::string Cache() const { return Source() + ".cache"; }
  std::string Base() const { return DefinitionPath("defs.txt"); }
  bool Exists(const std::string& path) const { return ::access(path.c_str(), F_OK) == 0; }
  void SetTime(const std::string& path, long seconds, long nanoseconds = 0) {
    struct timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
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
    const bool ok = catalogue.Initialise("defs.txt", "", nullptr, "");
    return {ok, Describe(catalogue)};
  }
  std::string FromFileAlone() {
    CacheSwitch(false);
    const std::string text = Load().second;
    CacheSwitch(true);
    return text;
  }
};

TEST_F(DefinitionCacheTest, EveryMemberRoundTrips) {
  CQuenzelFile catalogue;
  ASSERT_TRUE(catalogue.Initialise("defs.txt", "", nullptr, ""));
  CQuenzelRecord* item = catalogue.GetRecord(12);
  item->destinationBaseWeightUnits = 2;
  item->highResolution = item->seventhFlag = item->rangeWarning = true;
  CQuenzelField& f = item->fields[0];
  f.m_Value = "4711";
  f.m_Supplied = f.m_TreatAsText = f.m_ConvertField = f.m_HostUnitsFixed = true;
  f.m_Rejected = "x:y";
  f.m_ScaleMS = 3;
  f.m_HostSF = -4;
  f.m_ValidChars = {0, 255, 'a'};
  f.m_Default = -1234567890123LL;
  ASSERT_EQ(quenzel::detail::SaveCache(catalogue, Base(), nullptr), 0);
  CQuenzelFile loaded;
  ASSERT_EQ(quenzel::detail::LoadCache(loaded, Base()), 0);
  EXPECT_EQ(Describe(loaded), Describe(catalogue));
  EXPECT_NE(Describe(loaded).find("min=1 max=99"), std::string::npos);
  CQuenzelRecord* record = loaded.GetRecord(std::string("ITEM"));
  EXPECT_EQ(record->FindField(std::string("DESC")), &record->fields[1]) << "indexes rebuilt";
  ASSERT_EQ(quenzel::detail::LoadCache(loaded, Base()), 0) << "loading adds to a catalogue";
  EXPECT_EQ(loaded.records.size(), 2u);

  CacheSwitch(false);
  EXPECT_EQ(quenzel::detail::LoadCache(loaded, Base()), -1);
  EXPECT_EQ(quenzel::detail::SaveCache(loaded, Base(), nullptr), -1);
  ::unlink(Cache().c_str());
  Load();
  EXPECT_FALSE(Exists(Cache())) << "switched off, nothing is written";
}

TEST_F(DefinitionCacheTest, ByteLayout) {
  Replace("#7 SEND\n4 FLAG x 1 N Y N\n", 0);
  Load();
  std::string body;
  auto i32 = [&](std::int64_t v, int n = 4) {
    for (int i = 0; i < n; ++i)
      body += static_cast<char>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF);
  };
  auto text = [&](const std::string& t) { i32(static_cast<std::int64_t>(t.size())), body += t; };
  const std::string path = Base();
  text(path), i32(1), text("7"), i32(0), i32(7), text(""), text(path);
  for (int i = 0; i < 6; ++i) text("");  // last field name, three keys, field name, name
  text("cp-");
  for (int v : {1, 1, -3, -3, 0, 0, 1, -3, 1}) i32(v);
  body += "0000000";
  i32(1);
  for (int v : {4, -1, 4, 1, 0, 0, 0, 7}) i32(v);
  i32('N', 8), i32(-1, 8), i32(-1, 8), text(""), body += "00", text(""), text("");
  body += "000000";
  for (const std::string& t :
       {std::string(""), std::string("cp-"), std::string("N"), std::string(""), path,
        std::string(""), std::string(""), std::string(""), std::string("")})
    text(t);
  for (int i = 0; i < 5; ++i) i32(0);
  body += "000001";
  i32(2), body += "YN";
  i32(1), text("7"), text("7");
  const std::string payload = body;
  body.clear();
  i32(static_cast<std::int64_t>(payload.size() + 4));
  EXPECT_EQ(ReadFile(Cache()), body + payload);
}

TEST_F(DefinitionCacheTest, UsedWhileCurrent) {
  const std::string cutMidBlock =
      std::string(kDefinition).substr(0, std::string(kDefinition).find("TEXT"));
  struct Row {
    const char* what;
    std::string text;  // the new definition; none when `remove`
    bool remove;
    long seconds, nanoseconds;  // its time after the original's
    bool ok;                    // what Initialise gives
    bool fromCache;             // the original catalogue, from the cache
  };
  const Row rows[] = {
      {"removed", "", true, 0, 0, true, true},
      {"changed, same time", "#99 SEND\n", false, 0, 0, true, true},
      {"changed, older", "#99 SEND\n", false, -10, 0, true, true},
      {"changed, a nanosecond newer", "#99 SEND\n", false, 0, 1, true, false},
      {"cut inside a field line, newer", cutMidBlock, false, 10, 0, false, false},
      {"emptied, newer", "", false, 10, 0, true, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    Replace(kDefinition, 0);
    ::unlink(Cache().c_str());
    const std::string original = Load().second;
    const std::string oldCache = ReadFile(Cache());
    SetTime(Cache(), kOriginalTime);
    if (r.remove)
      ASSERT_EQ(::unlink(Source().c_str()), 0);
    else
      WriteDefinition("defs.txt", r.text),
          SetTime(Source(), kOriginalTime + r.seconds, r.nanoseconds);
    const std::string fromFile = r.remove ? std::string() : FromFileAlone();
    for (int round = 0; round < 2; ++round) {  // the same again at the next start
      const auto loaded = Load();
      EXPECT_EQ(loaded.first, r.ok);
      EXPECT_EQ(loaded.second, r.fromCache ? original : fromFile);
    }
    if (!r.ok) {
      EXPECT_EQ(ReadFile(Cache()), oldCache) << "a failed read writes no cache";
    }
  }
  // The cache carries the definition's time from before the read: a copy
  // with a time between that and the cache's writing counts as newer.
  ::unlink(Cache().c_str());
  Replace(kDefinition, 0);
  Load();
  Replace("#77 SEND\n", 50);
  EXPECT_NE(Load().second.find("77->77"), std::string::npos);
}

TEST_F(DefinitionCacheTest, DamagedCachesLoadWholeOrNotAtAll) {
  Load();
  const std::string valid = ReadFile(Cache());
  Replace(std::string(kDefinition) + "#77 SEND\n", -10);  // tells a fallback from a load
  const std::string fallback = FromFileAlone();
  auto load = [&](const std::string& bytes) {
    WriteFile(Cache(), bytes);
    const auto loaded = Load();
    EXPECT_TRUE(loaded.first);
    return loaded.second;
  };
  const std::size_t firstCount = 4 + 4 + Base().size();  // after the length and the path
  std::string shortPath = valid, hugeCount = valid, negativeText = valid, badLength = valid;
  shortPath[4] = static_cast<char>(shortPath[4] - 1);
  hugeCount[firstCount + 3] = '\x7f';
  negativeText[firstCount + 7] = '\xff';  // the first key's length
  badLength[0] = static_cast<char>(badLength[0] + 1);
  for (const std::string& damaged : {valid.substr(0, 3), valid.substr(0, valid.size() - 1),
                                     valid + "x", shortPath, hugeCount, negativeText, badLength}) {
    EXPECT_EQ(load(damaged), fallback) << damaged.size();
  }
  std::string inText = valid;
  inText[inText.find("New item")] = 'M';  // still consistent: loads whole
  EXPECT_NE(load(inText).find("Mew item"), std::string::npos);
}

TEST_F(DefinitionCacheTest, FailedWritesKeepTheOldCache) {
  Load();
  const std::string oldCache = ReadFile(Cache());
  std::string grown = kDefinition;
  for (int i = 0; i < 40; ++i)
    grown += "#" + std::to_string(100 + i) + " SEND\n1 STRING name=\"S\" 40 #\n";
  Replace(grown, 10);
  const std::string expected = FromFileAlone();
  ASSERT_EQ(::mkdir((Cache() + ".tmp").c_str(), 0755), 0);  // no temporary file can be made
  CQuenzelFile catalogue;
  EXPECT_EQ(quenzel::detail::SaveCache(catalogue, Base(), nullptr), -1);
  ASSERT_EQ(::rmdir((Cache() + ".tmp").c_str()), 0);

  struct Row {
    const char* what;
    std::function<bool()> fault;  // made in the child before it loads
  };
  const Row rows[] = {
      {"unwritable directory",
       [&] {
         return ::chmod(dir().c_str(), 0755) == 0 &&
                ::chmod((dir() + "/zqapi").c_str(), 0555) == 0 &&
                (::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0));
       }},
      {"file size limit 1",
       [] {
         struct rlimit limit = {1, 1};
         return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
       }},
      {"file size limit 4096",
       [] {
         struct rlimit limit = {4096, 4096};
         return std::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
       }},
  };
  for (const Row& r : rows) {
    EXPECT_TRUE(InChild([&] {
      if (!r.fault()) return false;
      const auto loaded = Load();
      return loaded.first && loaded.second == expected;
    })) << r.what;
    ::chmod((dir() + "/zqapi").c_str(), 0755);
    EXPECT_EQ(ReadFile(Cache()), oldCache) << r.what;
    EXPECT_FALSE(Exists(Cache() + ".tmp")) << r.what;
  }
  EXPECT_EQ(Load(), std::make_pair(true, expected)) << "writable again: a current cache";
  ::unlink(Source().c_str());
  EXPECT_EQ(Load(), std::make_pair(true, expected));
}

}  // namespace
