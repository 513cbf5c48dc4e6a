#include "definition_cache.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstdint>
#include <functional>
#include <thread>

#include "test_env.h"

namespace {

using quenzel::detail::LoadCache;
using quenzel::detail::SaveCache;
using namespace quenzel_test;

const char* const kDefinition =
    "#12 SEND table:action \"ITEM\"\n"
    "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999 // item\n"
    "3 STRING name=\"DESC\" 24 INITVALUE= \"New item\"\n"
    "5 NUMERIC name=\"\" 4 7 1 99 PSEUDO 9\n"
    "#13 DELETE\n"
    "2 TEXT name=\"T\" 100 SPLITCNT 2 50 DELCTLCH\n";
constexpr long kOriginalTime = 1600000000;

// Everything a host can see of a catalogue, as text.
std::string Describe(const CQuenzelFile& catalogue) {
  std::ostringstream out;
  out << catalogue.definitionPath << "\n";
  for (const auto& entry : catalogue.recordKeys) out << entry.first << "->" << entry.second << "\n";
  for (const auto& [key, r] : catalogue.records) {
    out << key << ": " << r.recordNumber << r.action << r.name << r.codepage << r.keyF1Name
        << r.sourceScalingFactor << r.destinationBaseWeightUnits << r.rangeWarning << r.seventhFlag;
    for (const CQuenzelField& f : r.fields)
      out << "\n  " << quenzel_test::Describe(f) << " [" << f.m_Value << f.m_Comment << f.m_Name
          << f.m_Rejected << f.m_AuditText << "] " << f.m_Supplied << f.m_TreatAsText
          << f.m_HostUnitsFixed << f.m_ScaleMS << f.m_HostSF;
    out << "\n";
  }
  return out.str();
}

class DefinitionCacheTest : public QuenzelEnvTest {
 protected:
  void SetUp() override {
    QuenzelEnvTest::SetUp();
    CacheSwitch(true);
    Replace(kDefinition, 0);
  }
  void CacheSwitch(bool on) { WriteRegistry({{kEnvironmentKey, "CacheFiles", on ? "on" : "off"}}); }
  std::string Source() const { return dir() + "/zqapi/defs.txt"; }
  std::string Cache() const { return Source() + ".cache"; }
  std::string Base() const { return DefinitionPath("defs.txt"); }
  // Replaces the definition with `text`, `seconds` after the original's time.
  void Replace(const std::string& text, long seconds, long nanoseconds = 0) {
    const quenzel::detail::FileTime time{kOriginalTime + seconds, nanoseconds};
    ASSERT_TRUE(quenzel::detail::ReplaceFile(Source(), text, &time));
  }
  // Initialise on a fresh catalogue: its result and what it loaded.
  std::pair<bool, std::string> Load() {
    CQuenzelFile catalogue;
    const bool ok = catalogue.Initialise("defs.txt", "", nullptr, "");
    return {ok, Describe(catalogue)};
  }
  // Files beside the cache whose names begin with the temporary prefix.
  int TemporaryFiles() const {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir() + "/zqapi"))
      count += entry.path().filename().string().rfind("defs.txt.cache.tmp", 0) == 0;
    return count;
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
  item->seventhFlag = item->rangeWarning = true;
  CQuenzelField& f = item->fields[0];
  f.m_Value = "4711";
  f.m_Supplied = f.m_TreatAsText = f.m_HostUnitsFixed = true;
  f.m_Rejected = "x:y";
  f.m_ScaleMS = 3;
  f.m_HostSF = -4;
  f.m_ValidChars = {0, 255, 'a'};
  f.m_Default = -1234567890123LL;
  ASSERT_EQ(SaveCache(catalogue, Base(), nullptr), 0);
  CQuenzelFile loaded;
  ASSERT_EQ(LoadCache(loaded, Base()), 0);
  EXPECT_EQ(Describe(loaded), Describe(catalogue));
  EXPECT_NE(Describe(loaded).find("min=1 max=99"), std::string::npos);
  CQuenzelRecord* record = loaded.GetRecord(std::string("ITEM"));
  EXPECT_EQ(record->FindField(std::string("DESC")), &record->fields[1]) << "indexes rebuilt";
  const std::string valid = ReadFile(Cache());
  std::string huge = valid, trailing = valid + "x";  // a count beyond the bytes; a byte more
  huge[4 + 4 + Base().size() + 3] = '\x7f';
  trailing[0] = static_cast<char>(trailing[0] + 1);  // the length field agrees
  for (const std::string& bad : {huge, trailing}) {
    WriteFile(Cache(), bad);
    EXPECT_EQ(LoadCache(loaded, Base()), -1);
  }
  CacheSwitch(false);
  EXPECT_EQ(LoadCache(loaded, Base()) + SaveCache(loaded, Base(), nullptr), -2);
}

// The loader reads the file in pieces: a cache many times the size of one
// piece, with texts longer than a piece and members astride every border,
// loads as it was saved; the same bytes cut short anywhere are refused.
TEST_F(DefinitionCacheTest, CacheLargerThanOneRead) {
  std::string text;
  for (int r = 0; r < 300; ++r) {
    text += "#" + std::to_string(100 + r) + " SEND\n";
    for (int f = 1; f <= 5; ++f)
      text += std::to_string(f) + " STRING name=\"F" + std::to_string(f) + "\" " +
              std::to_string(10 + r % 7) + " // " +
              std::string(static_cast<std::size_t>(r % 90), 'c') + "\n";
  }
  Replace(text, 0);
  CQuenzelFile catalogue;
  ASSERT_TRUE(catalogue.Initialise("defs.txt", "", nullptr, ""));
  catalogue.definitionPath = std::string(150000, 'p');  // texts no definition line limits
  catalogue.GetRecord(150)->logName = std::string(70000, 'l');
  ASSERT_EQ(SaveCache(catalogue, Base(), nullptr), 0);
  const std::string valid = ReadFile(Cache());
  ASSERT_GT(valid.size(), 6u * 65536u);
  CQuenzelFile loaded;
  ASSERT_EQ(LoadCache(loaded, Base()), 0);
  EXPECT_EQ(Describe(loaded) + loaded.GetRecord(150)->logName,
            Describe(catalogue) + catalogue.GetRecord(150)->logName);
  for (const std::size_t size : {std::size_t{100000}, valid.size() / 2, valid.size() - 1}) {
    std::string cut = valid.substr(0, size);
    for (int i = 0; i < 4; ++i)
      cut[static_cast<std::size_t>(i)] = static_cast<char>(size >> (8 * i));
    WriteFile(Cache(), cut);
    CQuenzelFile partial;
    EXPECT_EQ(LoadCache(partial, Base()), -1) << size;
    EXPECT_TRUE(partial.records.empty() && partial.definitionPath.empty()) << size;
  }
}

// The layout of docs/cache-format.md, pinned by the first bytes and the size
// of a one-record, one-field cache: the members of the record (95 bytes with
// its key) and the field (142 bytes when empty) and the index entry.
TEST_F(DefinitionCacheTest, ByteLayout) {
  Replace("#7 SEND\n4 FLAG x 1 N Y N\n", 0);
  Load();
  const std::string bytes = ReadFile(Cache()), path = Base();
  const std::size_t texts =
      path.size() * 3 + 1 + 3 * 2 + 1 + 2 + 2;  // path, "7", "cp-", "N", "YN", index
  ASSERT_EQ(bytes.size(), 4 + 4 + 4 + 95 + 142 + 4 + 8 + texts);
  EXPECT_EQ(bytes.substr(0, 4), std::string({static_cast<char>(bytes.size()),
                                             static_cast<char>(bytes.size() >> 8), 0, 0}));
  const std::string index(
      "\1\0\0\0"
      "7\1\0\0\0"
      "7",
      10);  // one entry: "7" -> "7"
  EXPECT_EQ(bytes.substr(8, path.size()) + bytes.substr(bytes.size() - 10), path + index);
}

TEST_F(DefinitionCacheTest, UsedWhileCurrent) {
  using Row = std::tuple<const char*, const char*, long, long, bool,
                         bool>;  // what, text, seconds, nanoseconds, ok, fromCache
  const Row rows[] = {
      {"removed", nullptr, 0, 0, true, true},
      {"changed, same time", "#99 SEND\n", 0, 0, true, true},
      {"changed, older", "#99 SEND\n", -10, 0, true, true},
      {"changed, 100 ns newer", "#99 SEND\n", 0, 100, true, false},
      {"cut inside a field line, newer", "#12 SEND\n2 ", 10, 0, false, false},
      {"emptied, newer", "", 10, 0, true, false},
  };
  for (const auto& [what, text, seconds, nanoseconds, ok, fromCache] : rows) {
    Replace(kDefinition, 0);
    std::filesystem::remove(Cache());
    const std::string original = Load().second, oldCache = ReadFile(Cache());
    if (text == nullptr)
      ASSERT_TRUE(std::filesystem::remove(Source()));
    else
      Replace(text, seconds, nanoseconds);
    const std::string fromFile = text == nullptr ? std::string() : FromFileAlone();
    for (int round = 0; round < 2; ++round)  // the same again at the next start
      EXPECT_EQ(Load(), std::make_pair(ok, fromCache ? original : fromFile)) << what;
    EXPECT_EQ(ReadFile(Cache()) == oldCache, fromCache || !ok) << what;
  }
  // The cache carries the definition's time from before the read: a copy
  // with a time between that and the cache's writing counts as newer.
  Replace(kDefinition, 0);
  Load();
  Replace("#77 SEND\n", 50);
  EXPECT_NE(Load().second.find("77->77"), std::string::npos);
}

TEST_F(DefinitionCacheTest, FailedWriteKeepsTheOldCache) {
  SKIP_ON_WINDOWS("file size limits, and links need privileges");
#ifndef _WIN32
  // A link planted at a temporary name is never written through.
  WriteFile(dir() + "/victim", "kept");
  ASSERT_EQ(::symlink((dir() + "/victim").c_str(), (Cache() + ".tmp").c_str()), 0);
  Load();
  EXPECT_EQ(ReadFile(dir() + "/victim"), "kept");
  EXPECT_EQ(SaveCache(CQuenzelFile(), Base() + "-in-no-folder\\x", nullptr), -1);
  // A write that stops part-way (a file size limit) removes its temporary file.
  const std::string oldCache = ReadFile(Cache());
  struct rlimit old, size;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  size = {4096, old.rlim_max};  // the soft limit only, so that it can be lifted again
  std::signal(SIGXFSZ, SIG_IGN);
  std::string many;
  for (int n = 100; n < 400; ++n) many += "#" + std::to_string(n) + " SEND\n";
  Replace(many, 20);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &size), 0);
  const bool loaded = Load().first;
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(ReadFile(Cache()), oldCache);
  EXPECT_EQ(TemporaryFiles(), 1) << "only the planted link";
#endif
}

// Savers at the same time never publish a cut cache, and a loader at the
// same time always finds a whole one.
TEST_F(DefinitionCacheTest, SimultaneousSaves) {
  const std::string expected = Load().second;
  std::vector<std::thread> savers;
  for (int saver = 0; saver < 2; ++saver)
    savers.emplace_back([this] {
      CQuenzelFile catalogue;
      catalogue.Initialise("defs.txt", "", nullptr, "");
      for (int i = 0; i < 100; ++i) SaveCache(catalogue, Base(), nullptr);
    });
  int whole = 0;
  for (int i = 0; i < 200; ++i) whole += Load().second == expected;
  for (std::thread& saver : savers) saver.join();
  EXPECT_EQ(whole, 200);
  EXPECT_EQ(TemporaryFiles(), 0);
}

// A cache whose bytes check out but whose values the definition reader
// could never give is not used.
TEST_F(DefinitionCacheTest, ValuesBeyondTheReadersLimits) {
  const std::string expected = FromFileAlone();
  const std::function<void(CQuenzelRecord&, CQuenzelField&)> changes[] = {[](auto&, auto& f) { f.m_Length = 0x7FFFFFFF; },
                                                                          [](auto&, auto& f) { f.m_Type = 999; },
                                                                          [](auto&, auto& f) { f.m_FieldNumber = 0; },
                                                                          [](auto&, auto& f) { f.m_PseudoNumber = 0; },
                                                                          [](auto&, auto& f) { f.m_Comment.resize(1024); },
                                                                          [](auto& r, auto&) { r.action = 99; }};
  for (const auto& change : changes) {
    CQuenzelFile catalogue;
    ASSERT_TRUE(catalogue.Initialise("defs.txt", "", nullptr, ""));
    change(*catalogue.GetRecord(12), catalogue.GetRecord(12)->fields[0]);
    ASSERT_EQ(SaveCache(catalogue, Base(), nullptr), 0);
    EXPECT_EQ(Load(), std::make_pair(true, expected));
  }
}

// A crafted cache that repeats a record key: the first record stays and
// the repeat is dropped, but a repeat the reader could not have produced
// still refuses the whole cache.
TEST_F(DefinitionCacheTest, RepeatedRecordKey) {
  Replace("#12 SEND\n1 FLAG x 1 N Y N\n#13 DELETE\n", 0);
  Load();
  const std::string valid = ReadFile(Cache());
  const std::string second(
      "\2\0\0\0"
      "13"
      "\x0f\0\0\0",
      10);  // key "13", action DELETE
  const std::size_t at = valid.find(second);
  ASSERT_NE(at, std::string::npos);
  for (const char action : {'\x0f', '\x63'}) {  // DELETE, then no action at all
    std::string repeated = valid;
    repeated.replace(at + 4, 3, std::string("12") + action);
    WriteFile(Cache(), repeated);
    CQuenzelFile loaded;
    const bool used = LoadCache(loaded, Base()) == 0;
    EXPECT_EQ(used, action == '\x0f');
    if (!used) continue;
    EXPECT_EQ(loaded.records.size(), 1u);
    EXPECT_TRUE(loaded.GetRecord(12)->action == kActionSend && loaded.GetRecord(13) == nullptr);
    EXPECT_EQ(loaded.GetRecord(12)->FindField(1), &loaded.GetRecord(12)->fields[0]);
  }
}

}  // namespace
