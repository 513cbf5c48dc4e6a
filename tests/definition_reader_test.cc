#include "definition_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>

#include "platform.h"
#include "test_env.h"

namespace {

using namespace quenzel_test;

class DefinitionReaderTest : public QuenzelEnvTest {
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
      std::string(1, '\0') + std::string(1100, ' ') +  // a piece emptied by a zero byte
      "\nignored text\n\xEF\xBB\xBF#11 SEND\n1 NUMERIC x 4 0 1-9\n"  // a UTF-8 mark hides a block
      "#12 SEND table:action \"ITEM\"\r\n"
      "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999 // item number\n"
      "\n   // a comment line\n"
      "2 STRING unnamed 10 INITVALUE= \"Hello\"\n"
      "3 FLAG name=\"ACTIVE\" 1 N Y,N KEYPOS = \"F3\"\n"
      "#13 ENQUIRE\n" +
      std::string(1, '\0') + std::string(1100, ' ') + "\n5 STRING name=\"X\" 4\n#14 SEND"));
  EXPECT_EQ(catalogue.GetRecord(11), nullptr);
  EXPECT_NE(catalogue.GetRecord(14), nullptr) << "a header alone, without a line break";
  std::string seen;  // what each field of record 12 and 13 carries
  for (int number : {12, 13})
    for (const CQuenzelField& f : catalogue.GetRecord(number)->fields)
      seen += f.m_Name + "," + f.m_Comment + "," + f.m_KeyPos + "," + f.m_Value + "," +
              std::to_string(f.m_RecordNumber) + f.m_RecordName + f.m_CodePage + f.m_AuditName +
              (f.m_AuditText == DefinitionPath("defs.txt") ? "," : "?") +
              std::to_string(f.m_SendOrDelete) + ";";
  EXPECT_EQ(seen,  // a line without name= takes the previous name; the audit switch is off
            "PLU, item number,F1,0,12ITEMcp-1252,1;PLU,,,Hello,12ITEMcp-1252,1;"
            "ACTIVE,,F3,N,12ITEMcp-1252,1;X,,,,13cp-1252,0;");
  const CQuenzelRecord& item = *catalogue.GetRecord(12);
  EXPECT_EQ(item.keyF1Name + item.keyF2Name + item.keyF3Name, "PLUACTIVE");
}

// The last audit entry of each failure, its fields joined by '|' after the
// source, with '@' for the definition's path.
TEST_F(DefinitionReaderTest, FailuresWithTheirPlaces) {
  AuditOn();
  using Row = std::tuple<const char*, std::string, ReadErrorKind, int,
                         const char*>;  // file, content, kind, line, entry
  const Row rows[] = {
      {"d", "#ABC SEND\n", ReadErrorKind::kBadHeader, 1,
       "997|Quenzel Read Error|@|1|1|CQuenzelRecord::Read()"},
      {"d", "#12\n", ReadErrorKind::kBadAction, 1, "996|@|@|CQuenzelFile::Read()"},
      {"d", "#12 SEND\n0 STRING x 4\n", ReadErrorKind::kBadField, 2,
       "997|Quenzel Read Error|@|12|0|2|1|CQuenzelRecord::Read()"},
      {"d", "#12 SEND\nname=\"77\" x\n", ReadErrorKind::kBadField, 2,
       "997|Quenzel Read Error|@|12|77|2|1|CQuenzelRecord::Read()"},
      {"d", "#12 SEND\n3 STRING name=\"D\" 24 PRIVATE stray\n", ReadErrorKind::kBadField, 2,
       "997|Quenzel Read Error|@|12|3|2|6|CQuenzelRecord::Read()"},
      {"d", "#12 SEND\n3 STRING x 4 " + std::string(1990, ' ') + "x\n", ReadErrorKind::kBadField, 3,
       "997|Quenzel Read Error|@|12|0|3|1|CQuenzelRecord::Read()"},  // the second piece of a long
                                                                     // line is no field line
      {"d", "#12 SEND\n1 NUMERIC x 4 0 1-9\n#13 SEND\n7 BOGUS x 4\n#14 SEND\n",
       ReadErrorKind::kBadField, 4, "997|Quenzel Read Error|@|13|7|4|2|CQuenzelRecord::Read()"},
      {"d", "\xFF\xFE#12 SEND\n", ReadErrorKind::kUnicode, -1,
       "996|File is unicode|@|CQuenzelFile::Read()"},
      {"absent", "", ReadErrorKind::kOpenFailed, -1,
       "996|Quenzel.dll failed to open @|CQuenzelFile::Read()"},
      {"fifo", "", ReadErrorKind::kOpenFailed, -1,  // refused, not waited on
       "996|Quenzel.dll failed to open @|CQuenzelFile::Read()"},
  };
#ifndef _WIN32  // on Windows the row is a missing file
  ASSERT_EQ(::mkfifo((dir() + "/zqapi/fifo").c_str(), 0644), 0);
#endif
  for (const auto& [file, content, kind, line, entry] : rows) {
    if (!content.empty()) WriteDefinition(file, content);
    CQuenzelFile fresh;
    EXPECT_FALSE(fresh.Initialise(file, "CASE", nullptr, "")) << content;
    const QuenzelReadError error = QuenzelLastReadError();
    const std::string path = DefinitionPath(file);
    EXPECT_EQ(error.kind, kind) << content;
    EXPECT_EQ(line < 0 ? -1 : error.line, line) << content;
    std::string got, expected = entry;
    const auto entries = LogEntries("CASE");
    for (const std::string& part : entries.back()) got += part + "|";
    ::remove((dir() + "/logs/CASE.log").c_str());
    for (std::size_t at = expected.find('@'); at != std::string::npos; at = expected.find('@'))
      expected.replace(at, 1, path);
    EXPECT_EQ(got, "quenzel|" + expected + "|") << content;
  }
  // A read error ends the read as a failed block does.
  ThrowingBuffer device("#12 SEND\n1 NUMERIC x 4 0\n#13 SEND\n1 NUMERIC x 4 0\n");
  std::istream in(&device);
  std::vector<int> kept;
  EXPECT_FALSE(quenzel::detail::LoadDefinitionStream(
      in, "d", "CASE", [&](const std::string&, const std::string&, const CQuenzelRecord& r) {
        kept.push_back(r.recordNumber);
      }));
  EXPECT_EQ(kept, std::vector<int>{12});
  EXPECT_EQ(QuenzelLastReadError().kind, ReadErrorKind::kReadFailed);
  EXPECT_EQ(LogEntries("CASE").back()[2], "Quenzel.dll failed to read d");
  EXPECT_FALSE(Load(std::get<1>(rows[6])));
  EXPECT_NE(catalogue.GetRecord(12), nullptr) << "blocks before a failing one stay";
  EXPECT_EQ(catalogue.GetRecord(14), nullptr);
}

// The loader's diagnosis names the refused piece in the file's own terms:
// its line, the column where it starts (a header's '#', the later pieces
// of a long line), its text and, for a field line, why the grammar refused
// it. The keys of the records it keeps follow the catalogue's rule.
TEST_F(DefinitionReaderTest, LoaderDiagnosisAndKeys) {
  using quenzel::detail::FieldLineFault;
  using Row = std::tuple<std::string, ReadErrorKind, int, int, std::string,
                         FieldLineFault>;  // content, kind, line, column, piece, fault
  const std::string longLine = "3 STRING x 4 " + std::string(1010, ' ');
  const Row rows[] = {
      {"x\n\n#ABC SEND\n", ReadErrorKind::kBadHeader, 3, 1, "#ABC SEND", FieldLineFault::kNone},
      {"#12 SEND\r\n1 NUMERIC x 4 0 1-9\n2 BOGUS x\n", ReadErrorKind::kBadField, 3, 1, "2 BOGUS x",
       FieldLineFault::kUnknownType},
      {"#12 SEND\n" + longLine + "PRIVATE x\n", ReadErrorKind::kBadField, 2, 1024, "PRIVATE x",
       FieldLineFault::kBadFieldNumber},
      {std::string(1023, 'a') + "#13\n", ReadErrorKind::kBadAction, 1, 1024, "#13",
       FieldLineFault::kNone},
      {"\xFE#12 SEND\n", ReadErrorKind::kUnicode, 0, 1, "", FieldLineFault::kNone},
      {"#12 SEND\n#13 SEND\n", ReadErrorKind::kNone, 0, 1, "", FieldLineFault::kNone},
  };
  for (const auto& [content, kind, line, column, piece, fault] : rows) {
    std::istringstream in(content);
    quenzel::detail::DefinitionDiagnosis why;
    std::string keys;
    const bool ok = quenzel::detail::LoadDefinitionStream(
        in, "d", "",
        [&](const std::string& number, const std::string& key, const CQuenzelRecord&) {
          keys += number + ">" + key + ";";
        },
        &why);
    EXPECT_EQ(ok, kind == ReadErrorKind::kNone) << content;
    EXPECT_EQ(why.error.kind, kind) << content;
    EXPECT_EQ(why.fileLine, line) << content;
    EXPECT_EQ(why.column, column) << content;
    EXPECT_EQ((why.header ? "#" : "") + why.piece, piece) << content;
    EXPECT_EQ(why.field.fault, fault) << content;
    EXPECT_EQ(keys, ok ? "12>12;13>13;" : keys);
  }
  // A file's bytes can be kept as they are read, in one read.
  const std::string content = "#12 SEND table:action \"ITEM\"\n1 NUMERIC x 4 0 1-9\n#13 SEND\n";
  WriteDefinition("keep.def", content);
  const std::string path = DefinitionPath("keep.def");
  std::string text, keys;
  EXPECT_TRUE(quenzel::detail::LoadDefinitionFile(
      path, quenzel::detail::NativePath(path), "",
      [&](const std::string& number, const std::string& key, const CQuenzelRecord&) {
        keys += number + ">" + key + ";";
      },
      nullptr, &text));
  EXPECT_EQ(text, content);
  EXPECT_EQ(keys, "12>ITEM;13>13;");
}

}  // namespace
