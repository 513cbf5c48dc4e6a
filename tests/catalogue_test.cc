// Loading definition files through the catalogue: file-level rules, record
// headers and blocks, the audit entries of failures, and the registry
// settings a loaded record carries.
#include <gtest/gtest.h>

#include <sstream>

#include "quenzel.h"
#include "test_env.h"

namespace {

using quenzel_test::QuenzelEnvTest;
using quenzel_test::RegistryValue;

const char* const kEnv = "SOFTWARE\\TORVANHOLME\\Environment";
const char* const kAudit = "SOFTWARE\\TORVANHOLME\\DRIVER\\quenzel";
const char* const kSystem = "SOFTWARE\\TORVANHOLME\\DRIVER\\system";

class CatalogueTest : public QuenzelEnvTest {
 protected:
  void AuditOn() { WriteRegistry({{kAudit, "AUDITLOG", "on"}, {kEnv, "Codepage", "1252"}}); }

  bool Load(const std::string& content, const std::string& log = "POS") {
    return catalogue.Initialise(WriteDefinition("defs.txt", content), log, nullptr, "");
  }

  std::vector<std::string> ReadErrorEntry(const std::vector<std::string>& values) {
    std::vector<std::string> entry = {"quenzel", "997", "Quenzel Read Error",
                                      DefinitionPath("defs.txt")};
    entry.insert(entry.end(), values.begin(), values.end());
    entry.push_back("CQuenzelRecord::Read()");
    return entry;
  }

  CQuenzelFile catalogue;
};

TEST_F(CatalogueTest, HeadersNamesAndActions) {
  ASSERT_TRUE(
      Load("ignored text before the first block\n"
           "#12 SEND\n"
           "#13 send table:action \"ITEM\"\n"
           "#14 DELETE table:action \"A\"B\"\n"
           "#15 SEARCHFIRSTNEXTTRANS table:action \"LONE\n"
           "#16 TOTALS_RAND_SEARCH table:action\n"
           "#17 ENQUIRE // \"quoted\" comment\n"));
  struct Expected {
    int number;
    const char* key;
    int action;
  };
  const Expected expected[] = {
      {12, "12", kActionSend},
      {13, "ITEM", kActionSend},
      {14, "A\"B", kActionDelete},
      {15, "LONE", kActionSearchFirstNextTrans},
      {16, "16 TOTALS_RAND_SEARCH table:action", kActionTotalsRandSearch},
      {17, "17", kActionEnquire},
  };
  for (const Expected& e : expected) {
    CQuenzelRecord* byNumber = catalogue.GetRecord(e.number);
    ASSERT_NE(byNumber, nullptr) << e.number;
    EXPECT_EQ(byNumber, catalogue.GetRecord(std::string(e.key))) << e.number;
    EXPECT_EQ(byNumber->action, e.action) << e.number;
    EXPECT_TRUE(byNumber->fields.empty());
  }
  EXPECT_EQ(catalogue.GetRecord(std::string("item")), nullptr);
  EXPECT_EQ(catalogue.GetRecord(99), nullptr);
  EXPECT_EQ(catalogue.GetRecord(-1), nullptr);
}

TEST_F(CatalogueTest, FirstEntryWinsForNamesAndNumbers) {
  ASSERT_TRUE(
      Load("#12 SEND table:action \"ITEM\"\n1 NUMERIC x 4 0 1-9\n"
           "#13 SEND table:action \"ITEM\"\n"
           "#20 SEND table:action \"FIRST\"\n"
           "#20 SEND table:action \"SECOND\"\n"));
  EXPECT_EQ(catalogue.GetRecord(13), catalogue.GetRecord(12));
  EXPECT_EQ(catalogue.GetRecord(std::string("ITEM"))->fields.size(), 1u);
  EXPECT_EQ(catalogue.GetRecord(20)->name, "FIRST");
  ASSERT_NE(catalogue.GetRecord(std::string("SECOND")), nullptr);
  EXPECT_EQ(catalogue.recordKeys.size(), 3u);
}

TEST_F(CatalogueTest, BlocksAndFieldLines) {
  WriteRegistry({{kEnv, "Codepage", "1252"}});
  ASSERT_TRUE(
      Load("#12 SEND table:action \"ITEM\"\n"
           "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999 // item number\n"
           "\n"
           "   // a comment line\n"
           "2 STRING unnamed 10 INITVALUE= \"Hello\"\n"
           "3 FLAG name=\"ACTIVE\" 1 N Y,N KEYPOS = \"F3\"\n"
           "#13 ENQUIRE\n"
           "5 STRING name=\"X\" 4\n"));
  CQuenzelRecord* item = catalogue.GetRecord(12);
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(item->fields.size(), 3u);
  const CQuenzelField& plu = item->fields[0];
  EXPECT_EQ(plu.m_Name, "PLU");
  EXPECT_EQ(plu.m_Comment, " item number");
  EXPECT_EQ(plu.m_KeyPos, "F1");
  EXPECT_EQ(plu.m_Value, "0");
  EXPECT_EQ(plu.m_RecordNumber, 12);
  EXPECT_EQ(plu.m_RecordName, "ITEM");
  EXPECT_EQ(plu.m_CodePage, "cp-1252");
  EXPECT_EQ(plu.m_AuditText, DefinitionPath("defs.txt"));
  EXPECT_EQ(plu.m_AuditName, "") << "the audit switch is off";
  EXPECT_TRUE(plu.m_SendOrDelete);
  // A line without name= takes the previous line's name.
  EXPECT_EQ(item->fields[1].m_Name, "PLU");
  EXPECT_EQ(item->fields[1].m_Value, "Hello");
  EXPECT_EQ(item->keyF1Name, "PLU");
  EXPECT_EQ(item->keyF3Name, "ACTIVE");
  EXPECT_EQ(item->FindField(3), &item->fields[2]);
  EXPECT_EQ(item->FindField(std::string("ACTIVE")), &item->fields[2]);
  EXPECT_EQ(item->FindField(std::string("PLU")), &item->fields[0]) << "first name wins";
  EXPECT_EQ(item->GetFieldByIdx(3), nullptr);
  EXPECT_FALSE(catalogue.GetRecord(13)->fields[0].m_SendOrDelete);
}

TEST_F(CatalogueTest, FileLevelRules) {
  EXPECT_TRUE(Load(""));
  EXPECT_TRUE(Load("no blocks at all\nsecond line"));
  EXPECT_TRUE(catalogue.records.empty());
  // A UTF-8 byte-order mark hides the first header; its fields are skipped as loose lines.
  ASSERT_TRUE(Load("\xEF\xBB\xBF#12 SEND\n1 NUMERIC x 4 0 1-9\n#13 SEND\n"));
  EXPECT_EQ(catalogue.GetRecord(12), nullptr);
  EXPECT_NE(catalogue.GetRecord(13), nullptr);
  // A block at the very end with only a header, without a final line feed.
  ASSERT_TRUE(Load("#14 SEND"));
  EXPECT_NE(catalogue.GetRecord(14), nullptr);
  // Windows line ends.
  ASSERT_TRUE(Load("#15 SEND table:action \"CRLF\"\r\n3 STRING name=\"D\" 4 // note\r\n"));
  EXPECT_EQ(catalogue.GetRecord(std::string("CRLF"))->fields[0].m_Comment, " note");
}

TEST_F(CatalogueTest, InitialiseAddsToWhatIsThere) {
  ASSERT_TRUE(Load("#12 SEND table:action \"OLD\"\n"));
  ASSERT_TRUE(Load("#12 SEND table:action \"NEW\"\n#13 SEND\n"));
  EXPECT_EQ(catalogue.GetRecord(12)->name, "OLD");
  EXPECT_NE(catalogue.GetRecord(std::string("NEW")), nullptr);
  EXPECT_NE(catalogue.GetRecord(13), nullptr);
}

TEST_F(CatalogueTest, FailingBlockKeepsEarlierBlocks) {
  AuditOn();
  EXPECT_FALSE(
      Load("#12 SEND\n1 NUMERIC x 4 0 1-9\n"
           "#13 SEND\n1 NUMERIC x 4 0 1-9\n7 BOGUS x 4\n"
           "#14 SEND\n"));
  EXPECT_NE(catalogue.GetRecord(12), nullptr);
  EXPECT_EQ(catalogue.GetRecord(13), nullptr);
  EXPECT_EQ(catalogue.GetRecord(14), nullptr);
  auto entries = LogEntries("POS");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1], ReadErrorEntry({"13", "7", "5", "2"}));
  QuenzelReadError error = QuenzelLastReadError();
  EXPECT_EQ(error.kind, ReadErrorKind::kBadField);
  EXPECT_EQ(error.line, 5);
  EXPECT_EQ(error.fieldNumber, 7);
}

TEST_F(CatalogueTest, ReadErrorEntries) {
  AuditOn();
  struct Case {
    std::string content;
    std::vector<std::string> values;  // of the read-error entry; empty: no entry
  };
  const Case cases[] = {
      {"#ABC SEND\n", {"1", "1"}},
      {"\n\n#-12 SEND\n", {"3", "1"}},
      {"#12\n", {}},
      {"#12 SENDING\n", {}},
      // Field number: the one read, else the value of the field's name.
      {"#12 SEND\n0 STRING x 4\n", {"12", "0", "2", "1"}},
      {"#12 SEND\nname=\"77\" x\n", {"12", "77", "2", "1"}},
      {"#12 SEND\n3 STRING name=\"D\" 24 PRIVATE stray\n", {"12", "3", "2", "6"}},
      // A 2,000-character line comes in two pieces; the second is not a field line.
      {("#12 SEND\n3 STRING x 4 " + std::string(1990, ' ') + "x\n"), {"12", "0", "3", "1"}},
  };
  for (const Case& c : cases) {
    CQuenzelFile fresh;
    EXPECT_FALSE(fresh.Initialise(WriteDefinition("defs.txt", c.content), "CASE", nullptr, ""))
        << c.content;
    auto entries = LogEntries("CASE");
    ::remove((dir() + "/logs/CASE.log").c_str());
    ASSERT_EQ(entries.size(), c.values.empty() ? 1u : 2u) << c.content;
    if (c.values.empty()) continue;
    EXPECT_EQ(entries[1], ReadErrorEntry(c.values)) << c.content;
  }
}

TEST_F(CatalogueTest, StartEntryAndAuditSwitch) {
  // With the switch off only the start entry is written, even for failures.
  EXPECT_FALSE(Load("#ABC SEND\n"));
  auto entries = LogEntries("POS");
  ASSERT_EQ(entries.size(), 1u);
  std::string path = DefinitionPath("defs.txt");
  EXPECT_EQ(entries[0],
            (std::vector<std::string>{"quenzel", "996", path, path, "CQuenzelFile::Read()"}));
  // An empty log name writes nothing at all.
  AuditOn();
  CQuenzelFile quiet;
  EXPECT_FALSE(quiet.Initialise("defs.txt", "", nullptr, ""));
}

TEST_F(CatalogueTest, RefusedFiles) {
  AuditOn();
  std::string path = DefinitionPath("defs.txt");
  for (const char* bom : {"\xFF\xFE", "\xFE\xFF"}) {
    CQuenzelFile fresh;
    EXPECT_FALSE(fresh.Initialise(WriteDefinition("defs.txt", std::string(bom) + "#\0"
                                                                                 "1"),
                                  "U", nullptr, ""));
  }
  auto entries = LogEntries("U");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1], (std::vector<std::string>{"quenzel", "996", "File is unicode", path,
                                                  "CQuenzelFile::Read()"}));
  EXPECT_EQ(QuenzelLastReadError().kind, ReadErrorKind::kUnicode);

  CQuenzelFile missing;
  EXPECT_FALSE(missing.Initialise("absent.txt", "M", nullptr, ""));
  entries = LogEntries("M");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1],
            (std::vector<std::string>{"quenzel", "996",
                                      "Quenzel.dll failed to open " + DefinitionPath("absent.txt"),
                                      "CQuenzelFile::Read()"}));
  CQuenzelFile directory;
  ::mkdir((dir() + "/zqapi/sub").c_str(), 0755);
  EXPECT_FALSE(directory.Initialise("sub", "", nullptr, ""));
  EXPECT_EQ(QuenzelLastReadError().kind, ReadErrorKind::kOpenFailed);
}

TEST_F(CatalogueTest, VersionCheckFailsSilently) {
  WriteDefinition("defs.txt", "#12 SEND\n");
  CQuenzelFile checked;
  EXPECT_FALSE(checked.Initialise("defs.txt", "V", nullptr, "3.1.204"));
  EXPECT_TRUE(checked.records.empty());
  EXPECT_TRUE(LogEntries("V").empty()) << "nothing is logged when the version check fails";
}

TEST_F(CatalogueTest, MeasurementSettingsFromRegistry) {
  struct Case {
    std::vector<RegistryValue> values;
    std::vector<int> expected;  // source, totals, net, price systems; source, totals, net factors
  };
  const Case cases[] = {
      {{}, {1, 1, 1, 1, -3, -3, -3}},
      {{{kSystem, "WeightMeasurementSystem", "Decimal"},
        {kSystem, "TotalsWeightMeasurementSystem", "avoir"},
        {kSystem, "NetWeightMeasurementSystem", "AVOIR"},
        {kSystem, "PriceMeasurementSystem", "DECIMAL"},
        {kSystem, "WeightScalingSystem", "-2"},
        {kSystem, "TotalsWeightScalingSystem", "0"},
        {kSystem, "NetWeightScalingSystem", "2"}},
       {2, 1, 3, 2, -2, 0, 2}},
  };
  for (const Case& c : cases) {
    WriteRegistry(c.values);
    CQuenzelFile fresh;
    ASSERT_TRUE(fresh.Initialise(WriteDefinition("defs.txt", "#12 SEND\n"), "", nullptr, ""));
    const CQuenzelRecord& r = *fresh.GetRecord(12);
    std::vector<int> got = {r.sourceBaseWeightUnits,    r.sourceTotalsBaseWeightUnits,
                            r.netWeightBaseWeightUnits, r.priceUnits,
                            r.sourceScalingFactor,      r.sourceTotalsScalingFactor,
                            r.netWeightScalingFactor};
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(r.destinationBaseWeightUnits, 0);
    EXPECT_FALSE(r.conversionOn);
  }
}

TEST(RecordTest, ReadFillsFieldsButNoIndexes) {
  CQuenzelRecord record("defs", "");
  std::istringstream in("12 SEND\n1 NUMERIC name=\"PLU\" 6 0 1-9\n#13");
  ASSERT_TRUE(record.Read(in));
  EXPECT_EQ(in.peek(), '#') << "the next block's '#' is left for the catalogue";
  ASSERT_NE(record.GetFieldByIdx(0), nullptr);
  EXPECT_EQ(record.FindField(1), nullptr);
  EXPECT_EQ(record.FindField(std::string("PLU")), nullptr);
  record.lastFieldName = "working";
  CQuenzelRecord copy(record);
  EXPECT_NE(copy.FindField(1), nullptr);
  EXPECT_EQ(copy.lastFieldName, "");
  CQuenzelRecord target(7);
  target.fieldName = "kept";
  target = record;
  EXPECT_EQ(target.fieldName, "kept");
  EXPECT_EQ(target.recordNumber, 12);
  EXPECT_NE(target.FindField(std::string("PLU")), nullptr);
}

}  // namespace
