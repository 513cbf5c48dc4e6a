// The definition cache: the switch, staleness, the byte layout, the round
// trip of every member, corruption and write failures.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <sstream>

#include "definition_cache.h"
#include "quenzel.h"
#include "test_env.h"

class CQuenzelFileTestAccess {
 public:
  static int Load(CQuenzelFile& f, const std::string& base) {
    return quenzel::detail::LoadCache(f, base);
  }
  static int Save(CQuenzelFile& f, const std::string& base) {
    return quenzel::detail::SaveCache(f, base, nullptr);
  }
};

namespace {

using quenzel_test::QuenzelEnvTest;
using quenzel_test::ReadFile;
using quenzel_test::WriteFile;
using Access = CQuenzelFileTestAccess;

const char* const kDefinition =
    "#12 SEND table:action \"ITEM\"\n"
    "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999 // item\n"
    "3 STRING name=\"DESC\" 24 INITVALUE= \"New item\"\n"
    "4 FLAG flag 1 N Y N\n"
    "#13 DELETE\n"
    "2 TEXT name=\"T\" 100 SPLITCNT 2 50 DELCTLCH\n";

// Everything a host can see of a catalogue, as text.
std::string Describe(const CQuenzelFile& catalogue) {
  std::ostringstream out;
  out << catalogue.definitionPath << "\n";
  for (const auto& entry : catalogue.recordKeys) out << entry.first << "->" << entry.second << "\n";
  for (const auto& entry : catalogue.records) {
    const CQuenzelRecord& r = entry.second;
    out << entry.first << ": " << r.recordNumber << " " << r.action << " " << r.name << " "
        << r.codepage << " " << r.logName << " " << r.keyF1Name << r.keyF2Name << r.keyF3Name << " "
        << r.sourceBaseWeightUnits << r.sourceScalingFactor << r.netWeightBaseWeightUnits
        << r.destinationBaseWeightUnits << r.priceUnits << r.uomFlag << r.conversionOn
        << r.rangeWarning << r.highResolution << r.seventhFlag << "\n";
    for (const CQuenzelField& f : r.fields) {
      out << "  " << f.m_FieldNumber << " " << f.m_Type << " " << f.m_Length << " " << f.m_Default
          << " " << f.m_Min << " " << f.m_Max << " [" << f.m_ValueList << "] [" << f.m_Value
          << "] [" << f.m_InitValue << "] [" << f.m_Comment << "] [" << f.m_Name << "] "
          << f.m_KeyPos << f.m_Key << f.m_PseudoNumber << f.m_SplitCnt1 << f.m_SplitCnt2
          << f.m_Private << f.m_NoPartial << f.m_DelCtlCh << f.m_Supplied << f.m_TreatAsText
          << f.m_NoPad << f.m_SendOrDelete << f.m_ConvertField << f.m_ConversionOn
          << f.m_HostUnitsFixed << f.m_ScaleMS << f.m_HostSF << " "
          << std::string(f.m_ValidChars.begin(), f.m_ValidChars.end()) << " [" << f.m_Rejected
          << "] " << f.m_CodePage << f.m_AuditName << f.m_AuditText << f.m_RecordName << "\n";
    }
  }
  return out.str();
}

class CacheTest : public QuenzelEnvTest {
 protected:
  void SetUp() override {
    QuenzelEnvTest::SetUp();
    CacheSwitch(true);
    WriteDefinition("defs.txt", kDefinition);
  }
  void CacheSwitch(bool on) {
    WriteRegistry({{"SOFTWARE\\TORVANHOLME\\Environment", "CacheFiles", on ? "on" : "off"},
                   {"SOFTWARE\\TORVANHOLME\\Environment", "Codepage", "1252"}});
  }
  std::string Source() const { return dir() + "/zqapi/defs.txt"; }
  std::string Cache() const { return Source() + ".cache"; }
  bool Exists(const std::string& path) const { return ::access(path.c_str(), F_OK) == 0; }
  void SetTime(const std::string& path, long sec, long nsec) {
    struct timespec times[2] = {{sec, nsec}, {sec, nsec}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
  std::string Loaded() {
    CQuenzelFile catalogue;
    EXPECT_TRUE(catalogue.Initialise("defs.txt", "", nullptr, ""));
    return Describe(catalogue);
  }
};

TEST_F(CacheTest, SwitchedOffWritesAndReadsNothing) {
  CacheSwitch(false);
  std::string fromFile = Loaded();
  EXPECT_FALSE(Exists(Cache()));
  CacheSwitch(true);
  EXPECT_EQ(Loaded(), fromFile);
  ASSERT_TRUE(Exists(Cache()));
  EXPECT_FALSE(Exists(Cache() + ".tmp"));
  CacheSwitch(false);
  CQuenzelFile catalogue;
  EXPECT_EQ(Access::Load(catalogue, DefinitionPath("defs.txt")), -1);
  EXPECT_EQ(Access::Save(catalogue, DefinitionPath("defs.txt")), -1);
}

TEST_F(CacheTest, UsedUntilTheDefinitionIsNewer) {
  std::string original = Loaded();
  SetTime(Cache(), 1700000000, 500);
  // A changed definition that is not newer than the cache is not read.
  WriteDefinition("defs.txt", "#99 SEND\n");
  SetTime(Source(), 1700000000, 500);
  EXPECT_EQ(Loaded(), original);
  SetTime(Source(), 1600000000, 0);
  EXPECT_EQ(Loaded(), original);
  // Newer by a single nanosecond: read again, and the cache is rewritten.
  SetTime(Source(), 1700000000, 501);
  std::string changed = Loaded();
  EXPECT_NE(changed.find("99->99"), std::string::npos);
  EXPECT_EQ(Loaded(), changed);
}

// The layout, written out by hand for a one-record catalogue.
class Bytes {
 public:
  Bytes& I32(std::int32_t v) {
    return Raw(static_cast<std::uint64_t>(static_cast<std::uint32_t>(v)), 4);
  }
  Bytes& I64(std::int64_t v) { return Raw(static_cast<std::uint64_t>(v), 8); }
  Bytes& B(bool v) {
    s += v ? '1' : '0';
    return *this;
  }
  Bytes& T(const std::string& t) {
    I32(static_cast<std::int32_t>(t.size()));
    s += t;
    return *this;
  }
  Bytes& Raw(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return *this;
  }
  std::string s;
};

TEST_F(CacheTest, ByteLayout) {
  WriteDefinition("defs.txt", "#7 SEND\n4 FLAG x 1 N Y N\n");
  Loaded();
  const std::string path = DefinitionPath("defs.txt");
  Bytes body;
  body.T(path).I32(1).T("7");
  body.I32(0).I32(7).T("").T(path);        // action, number, log name, path
  for (int i = 0; i < 6; ++i) body.T("");  // last field name, three keys, field name, name
  body.T("cp-1252");
  for (int v : {1, 1, -3, -3, 0, 0, 1, -3, 1}) body.I32(v);
  for (int i = 0; i < 7; ++i) body.B(false);
  body.I32(1);
  body.I32(4).I32(-1).I32(4).I32(1).I32(0).I32(0).I32(0).I32(7);
  body.I64('N').I64(-1).I64(-1).T("").B(false).B(false).T("").T("");
  for (int i = 0; i < 6; ++i) body.B(false);
  body.T("").T("cp-1252").T("N").T("").T(path).T("").T("").T("").T("");
  for (int i = 0; i < 5; ++i) body.I32(0);
  body.B(false).B(false).B(false).B(false).B(false).B(true);
  body.I32(2).Raw('Y', 1).Raw('N', 1);
  body.I32(1).T("7").T("7");
  Bytes file;
  file.I32(static_cast<std::int32_t>(body.s.size() + 4));
  EXPECT_EQ(ReadFile(Cache()), file.s + body.s);
}

TEST_F(CacheTest, EveryMemberRoundTrips) {
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
  f.m_PseudoNumber = 5;
  f.m_ValidChars = {0, 255, 'a'};
  f.m_Default = -1234567890123LL;
  ASSERT_EQ(Access::Save(catalogue, DefinitionPath("defs.txt")), 0);

  CQuenzelFile loaded;
  ASSERT_EQ(Access::Load(loaded, DefinitionPath("defs.txt")), 0);
  EXPECT_EQ(Describe(loaded), Describe(catalogue));
  // The indexes are rebuilt on insertion.
  CQuenzelRecord* record = loaded.GetRecord(std::string("ITEM"));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->FindField(1), &record->fields[0]);
  EXPECT_EQ(record->FindField(std::string("DESC")), &record->fields[1]);
  // Loading adds to a catalogue and keeps entries already there.
  ASSERT_EQ(Access::Load(loaded, DefinitionPath("defs.txt")), 0);
  EXPECT_EQ(loaded.records.size(), 2u);
}

TEST_F(CacheTest, DamagedCachesLoadWholeOrNotAtAll) {
  const std::string fromFile = Loaded();
  const std::string valid = ReadFile(Cache());
  // A definition that differs from the cache, but is not newer, tells a
  // fallback apart from a load.
  WriteDefinition("defs.txt", std::string(kDefinition) + "#77 SEND\n");
  const std::string marked = [&] {
    CacheSwitch(false);
    std::string text = Loaded();
    CacheSwitch(true);
    return text;
  }();
  auto tryCache = [&](const std::string& bytes) {
    WriteFile(Cache(), bytes);
    SetTime(Source(), 1600000000, 0);
    CQuenzelFile catalogue;
    bool ok = catalogue.Initialise("defs.txt", "", nullptr, "");
    return std::make_pair(ok, Describe(catalogue));
  };
  for (std::size_t length = 0; length < valid.size(); ++length) {
    auto result = tryCache(valid.substr(0, length));
    ASSERT_TRUE(result.first);
    ASSERT_EQ(result.second, marked) << "truncated to " << length;
  }
  int loadedDamaged = 0;
  for (std::size_t at = 0; at < valid.size(); ++at) {
    for (unsigned char value : {0x00, 0x01, 0x7F, 0xFF}) {
      if (static_cast<unsigned char>(valid[at]) == value) continue;
      std::string damaged = valid;
      damaged[at] = static_cast<char>(value);
      auto result = tryCache(damaged);
      ASSERT_TRUE(result.first);
      if (result.second == marked) continue;  // fell back to the definition file
      // Loaded from the cache: the whole catalogue, with its two records.
      ++loadedDamaged;
      ASSERT_EQ(result.second.find("77->"), std::string::npos);
      CQuenzelFile catalogue;
      ASSERT_EQ(Access::Load(catalogue, DefinitionPath("defs.txt")), 0);
      ASSERT_EQ(catalogue.recordKeys.size(), 2u) << "byte " << at;
      ASSERT_EQ(catalogue.records.size(), 2u) << "byte " << at;
    }
  }
  EXPECT_GT(loadedDamaged, 0) << "changes inside texts still load";
  EXPECT_EQ(tryCache(valid).second, fromFile);
}

TEST_F(CacheTest, UncreatableTemporaryFileKeepsTheOldCache) {
  Loaded();
  const std::string old = ReadFile(Cache());
  CQuenzelFile grown;
  ASSERT_TRUE(grown.Initialise("defs.txt", "", nullptr, ""));
  grown.records.begin()->second.fields[0].m_Value = std::string(100000, 'x');

  // The temporary file cannot be created.
  ASSERT_EQ(::mkdir((Cache() + ".tmp").c_str(), 0755), 0);
  EXPECT_EQ(Access::Save(grown, DefinitionPath("defs.txt")), -1);
  EXPECT_EQ(ReadFile(Cache()), old);
  ASSERT_EQ(::rmdir((Cache() + ".tmp").c_str()), 0);

  // A write stopped part-way and an unwritable directory are covered with
  // the other faults in fault_injection_test.cc.
}

}  // namespace
