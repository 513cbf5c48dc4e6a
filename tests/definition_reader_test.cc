#include "definition_reader.h"

#include <gtest/gtest.h>

#include "test_env.h"

namespace {

using quenzel_test::kEnvironmentKey;

class DefinitionReaderTest : public quenzel_test::QuenzelEnvTest {
 protected:
  void AuditOn() {
    WriteRegistry({{"SOFTWARE\\TORVANHOLME\\DRIVER\\quenzel", "AUDITLOG", "on"},
                   {kEnvironmentKey, "Codepage", "1252"}});
  }
  bool Load(const std::string& content, const std::string& log = "POS") {
    return catalogue.Initialise(WriteDefinition("defs.txt", content), log, nullptr, "");
  }
  CQuenzelFile catalogue;
};

TEST_F(DefinitionReaderTest, BlocksAndFieldLines) {
  WriteRegistry({{kEnvironmentKey, "Codepage", "1252"}});
  ASSERT_TRUE(Load(
      "ignored text\n\xEF\xBB\xBF#11 SEND\n1 NUMERIC x 4 0 1-9\n"  // a UTF-8 mark hides a block
      "#12 SEND table:action \"ITEM\"\r\n"
      "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999 // item number\n"
      "\n   // a comment line\n"
      "2 STRING unnamed 10 INITVALUE= \"Hello\"\n"
      "3 FLAG name=\"ACTIVE\" 1 N Y,N KEYPOS = \"F3\"\n"
      "#13 ENQUIRE\n5 STRING name=\"X\" 4\n#14 SEND"));
  EXPECT_EQ(catalogue.GetRecord(11), nullptr);
  EXPECT_NE(catalogue.GetRecord(14), nullptr) << "a header alone, without a line break";
  CQuenzelRecord* item = catalogue.GetRecord(12);
  ASSERT_NE(item, nullptr);
  ASSERT_EQ(item->fields.size(), 3u);
  const CQuenzelField& plu = item->fields[0];
  EXPECT_EQ(plu.m_Name + "|" + plu.m_Comment + "|" + plu.m_KeyPos + "|" + plu.m_Value,
            "PLU| item number|F1|0");
  EXPECT_EQ(plu.m_RecordNumber, 12);
  EXPECT_EQ(plu.m_RecordName + " " + plu.m_CodePage, "ITEM cp-1252");
  EXPECT_EQ(plu.m_AuditText, DefinitionPath("defs.txt"));
  EXPECT_EQ(plu.m_AuditName, "") << "the audit switch is off";
  EXPECT_TRUE(plu.m_SendOrDelete);
  EXPECT_EQ(item->fields[1].m_Name, "PLU") << "a line without name= takes the previous name";
  EXPECT_EQ(item->fields[1].m_Value, "Hello");
  EXPECT_EQ(item->keyF1Name + item->keyF2Name + item->keyF3Name, "PLUACTIVE");
  EXPECT_FALSE(catalogue.GetRecord(13)->fields[0].m_SendOrDelete);

  CQuenzelRecord record("defs", "");
  std::istringstream in("12 SEND\n1 NUMERIC name=\"PLU\" 6 0 1-9\n#13");
  ASSERT_TRUE(record.Read(in));
  EXPECT_EQ(in.peek(), '#') << "the next block's '#' is left for the catalogue";
  EXPECT_EQ(record.FindField(1), nullptr) << "reading builds no indexes";
}

TEST_F(DefinitionReaderTest, FailuresWithTheirPlaces) {
  AuditOn();
  struct Row {
    std::string content;
    ReadErrorKind kind;
    std::vector<std::string> values;  // of the read-error entry; empty: no entry
  };
  const Row rows[] = {
      {"#ABC SEND\n", ReadErrorKind::kBadHeader, {"1", "1"}},
      {"\n\n#-12 SEND\n", ReadErrorKind::kBadHeader, {"3", "1"}},
      {"#12\n", ReadErrorKind::kBadAction, {}},
      {"#12 SEND\n0 STRING x 4\n", ReadErrorKind::kBadField, {"12", "0", "2", "1"}},
      {"#12 SEND\nname=\"77\" x\n", ReadErrorKind::kBadField, {"12", "77", "2", "1"}},
      {"#12 SEND\n3 STRING name=\"D\" 24 PRIVATE stray\n",
       ReadErrorKind::kBadField,
       {"12", "3", "2", "6"}},
      {"#12 SEND\n3 STRING x 4 " + std::string(1990, ' ') + "x\n",
       ReadErrorKind::kBadField,
       {"12", "0", "3", "1"}},  // the second piece of a long line is no field line
      {"#12 SEND\n1 NUMERIC x 4 0 1-9\n#13 SEND\n7 BOGUS x 4\n#14 SEND\n",
       ReadErrorKind::kBadField,
       {"13", "7", "4", "2"}},
  };
  const std::string path = DefinitionPath("defs.txt");
  for (const Row& r : rows) {
    CQuenzelFile fresh;
    EXPECT_FALSE(fresh.Initialise(WriteDefinition("defs.txt", r.content), "CASE", nullptr, ""));
    const QuenzelReadError error = QuenzelLastReadError();
    EXPECT_EQ(error.kind, r.kind) << r.content;
    EXPECT_EQ(error.definitionPath, path);
    auto entries = LogEntries("CASE");
    ::remove((dir() + "/logs/CASE.log").c_str());
    ASSERT_EQ(entries.size(), r.values.empty() ? 1u : 2u) << r.content;
    if (r.values.empty()) continue;
    std::vector<std::string> expected = {"quenzel", "997", "Quenzel Read Error", path};
    expected.insert(expected.end(), r.values.begin(), r.values.end());
    expected.push_back("CQuenzelRecord::Read()");
    EXPECT_EQ(entries[1], expected) << r.content;
    EXPECT_EQ(std::to_string(error.line), r.values[r.values.size() - 2]) << r.content;
  }
  EXPECT_FALSE(Load(rows[7].content));
  EXPECT_NE(catalogue.GetRecord(12), nullptr) << "blocks before a failing one stay";
  EXPECT_EQ(catalogue.GetRecord(14), nullptr);
}

TEST_F(DefinitionReaderTest, RefusedFiles) {
  AuditOn();
  const std::string path = DefinitionPath("defs.txt");
  for (const char* bom : {"\xFF\xFE", "\xFE\xFF"})
    EXPECT_FALSE(Load(std::string(bom) + "#12 SEND\n", "U"));
  auto entries = LogEntries("U");
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[1], (std::vector<std::string>{"quenzel", "996", "File is unicode", path,
                                                  "CQuenzelFile::Read()"}));
  EXPECT_EQ(QuenzelLastReadError().kind, ReadErrorKind::kUnicode);

  EXPECT_FALSE(catalogue.Initialise("absent.txt", "M", nullptr, ""));
  entries = LogEntries("M");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1],
            (std::vector<std::string>{"quenzel", "996",
                                      "Quenzel.dll failed to open " + DefinitionPath("absent.txt"),
                                      "CQuenzelFile::Read()"}));
  ::mkdir((dir() + "/zqapi/sub").c_str(), 0755);
  EXPECT_FALSE(catalogue.Initialise("sub", "", nullptr, ""));
  EXPECT_EQ(QuenzelLastReadError().kind, ReadErrorKind::kOpenFailed);
}

}  // namespace
