#include "quenzel_file.h"

#include <gtest/gtest.h>

#include <tuple>

#include "host_services.h"
#include "test_env.h"

namespace {

class QuenzelFileTest : public quenzel_test::QuenzelEnvTest {
 protected:
  bool Load(const std::string& content, const std::string& log = "POS") {
    return catalogue.Initialise(WriteDefinition("defs.txt", content), log, nullptr, "");
  }
  CQuenzelFile catalogue;
};

TEST_F(QuenzelFileTest, NamesAndNumbersFirstEntryWins) {
  ASSERT_TRUE(
      Load("#12 SEND table:action \"ITEM\"\n1 NUMERIC x 4 0 1-9\n"
           "#13 SEND table:action \"ITEM\"\n#20 SEND table:action \"FIRST\"\n"
           "#20 SEND table:action \"SECOND\"\n#21 SEND\n"));
  EXPECT_EQ(catalogue.GetRecord(13), catalogue.GetRecord(12));
  EXPECT_EQ(catalogue.GetRecord(20)->name + catalogue.GetRecord(std::string("SECOND"))->name,
            "FIRSTSECOND");
  EXPECT_EQ(catalogue.GetRecord(std::string("21")), catalogue.GetRecord(21));
  EXPECT_EQ(catalogue.GetRecord(std::string("item")), catalogue.GetRecord(-1));
  ASSERT_TRUE(Load("#12 SEND table:action \"NEW\"\n#14 SEND\n"));  // adds to what is there
  EXPECT_EQ(catalogue.GetRecord(12)->name + catalogue.GetRecord(14)->name, "ITEM");
  EXPECT_NE(catalogue.GetRecord(std::string("NEW")), nullptr);
}

TEST_F(QuenzelFileTest, StartEntryAuditSwitchAndVersion) {
  EXPECT_FALSE(Load("#ABC SEND\n"));  // with the switch off only the start entry is written
  const std::string path = DefinitionPath("defs.txt");
  EXPECT_EQ(LogEntries("POS"), (std::vector<std::vector<std::string>>{
                                   {"quenzel", "996", path, path, "CQuenzelFile::Read()"}}));
  using Row = std::tuple<const char*, const char*, bool>;  // image, required, ok
  const Row rows[] = {{"", "3.1.204", false},     {"pe32.dll", "3.1.204", true},
                      {"pe32.dll", "3.1", false}, {"pe32.dll", "3.1.204.7", false},
                      {"pe32plus.dll", "", true}, {"dos_only.dll", "3.1.204", false}};
  WriteDefinition("defs.txt", "#12 SEND\n");
#ifdef _WIN32  // Windows' own version API reads the built DLL's resource
  std::filesystem::copy_file(QUENZEL_DLL, dir() + "/quenzel.dll");
  EXPECT_TRUE(CQuenzelFile().Initialise("defs.txt", "V", nullptr, QUENZEL_VERSION));
  EXPECT_FALSE(CQuenzelFile().Initialise("defs.txt", "V", nullptr, "3.1"));
  std::filesystem::remove(dir() + "/quenzel.dll");
  for (const auto& [image, required, ok] : {rows[0]}) {
#else
  for (const auto& [image, required, ok] : rows) {
#endif
    const std::string corpus = std::string(QUENZEL_SOURCE_DIR) + "/fuzz/corpus/winver/";
    if (*image)
      quenzel_test::WriteFile(dir() + "/quenzel.dll", quenzel_test::ReadFile(corpus + image));
    CQuenzelFile checked;
    EXPECT_EQ(checked.Initialise("defs.txt", "V", nullptr, required), ok) << image << required;
  }
  const std::size_t loads = 2 - kOnWindows;  // Windows: the built DLL's passing check alone
  EXPECT_EQ(LogEntries("V").size(), loads) << "a failed version check logs nothing";
  char version[18] = "x";
  Cgetver reader;
  EXPECT_EQ(reader.GetVersion(nullptr, "quenzel.dll", nullptr), 1);
  EXPECT_EQ(reader.GetVersion(version, "", nullptr), 7);
  EXPECT_EQ(reader.GetVersion(version, "absent.dll", nullptr), 2);
  EXPECT_EQ(std::string(version), "");
}

}  // namespace
