// Shared helpers of the library's tests: fields and records built from
// definition text, QuenzelError printed by name, and a fixture with a
// private directory holding a registry export (CFGSTORE_FILE), an audit-log
// directory (LOGBOOK_DIR) and a zqapi directory for definition files.
#ifndef QUENZEL_TESTS_TEST_ENV_H_
#define QUENZEL_TESTS_TEST_ENV_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cfgstore.h"
#include "posix_shim.h"
#include "quenzel.h"

inline void PrintTo(QuenzelError e, std::ostream* os) { *os << QuenzelErrorName(e); }

namespace quenzel_test {

using E = QuenzelError;
constexpr const char* kSystemKey = "SOFTWARE\\TORVANHOLME\\DRIVER\\system";
constexpr const char* kEnvironmentKey = "SOFTWARE\\TORVANHOLME\\Environment";
constexpr const char* kQuenzelKey = "SOFTWARE\\TORVANHOLME\\DRIVER\\QUENZEL";

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// A field read from one definition line and Reset, as the record reader makes it.
inline CQuenzelField MakeField(const std::string& line, const std::string& name = "",
                               bool sendOrDelete = false) {
  CQuenzelField field(12, "defs", "", name, "cp-1252", sendOrDelete, "ITEM");
  std::istringstream in(line);
  bool noField = false;
  EXPECT_TRUE(field.Read(in, noField)) << line;
  field.Reset();
  return field;
}

// A record read from a block (after its '#') and copied, which builds its indexes.
inline CQuenzelRecord MakeRecord(const std::string& block) {
  CQuenzelRecord read("defs", "");
  read.codepage = "cp-1252";
  std::istringstream in(block);
  EXPECT_TRUE(read.Read(in)) << block;
  return CQuenzelRecord(read);
}

inline std::string Written(CQuenzelRecord& record) {
  std::ostringstream out;
  out << record;
  return out.str();
}

// The definition members of a field that differ from a new field's.
inline std::string Describe(const CQuenzelField& f) {
  std::ostringstream out;
  out << "n=" << f.m_FieldNumber << " type=" << f.m_Type;
  if (f.m_Length != 0) out << " len=" << f.m_Length;
  if (f.m_Default != 0) out << " def=" << f.m_Default;
  if (f.m_Min != -1) out << " min=" << f.m_Min;
  if (f.m_Max != -1) out << " max=" << f.m_Max;
  if (!f.m_ValueList.empty()) out << " list=" << f.m_ValueList;
  if (!f.m_ValidChars.empty())
    out << " valid=" << std::string(f.m_ValidChars.begin(), f.m_ValidChars.end());
  if (!f.m_InitValue.empty()) out << " init=" << f.m_InitValue;
  if (f.m_NoPad) out << " nopad";
  if (!f.m_Key.empty()) out << " key=" << f.m_Key;
  if (!f.m_KeyPos.empty()) out << " keypos=" << f.m_KeyPos;
  if (f.m_PseudoNumber != -1) out << " pseudo=" << f.m_PseudoNumber;
  if (f.m_SplitCnt1 || f.m_SplitCnt2) out << " split=" << f.m_SplitCnt1 << "," << f.m_SplitCnt2;
  if (f.m_Private) out << " private";
  if (f.m_NoPartial) out << " nopartial";
  if (f.m_DelCtlCh) out << " delctlch";
  return out.str();
}

// A failing device: serves `text`, then throws where a stream buffer
// would report its end; every write throws.
class ThrowingBuffer : public std::stringbuf {
 public:
  explicit ThrowingBuffer(const std::string& text) : std::stringbuf(text, std::ios::in) {}

 protected:
  int_type underflow() override {
    const int_type c = std::stringbuf::underflow();
    return c == traits_type::eof() ? throw std::runtime_error("device failed") : c;
  }
  int_type overflow(int_type) override { throw std::runtime_error("device failed"); }
  std::streamsize xsputn(const char*, std::streamsize) override { return overflow(0); }
};

struct RegistryValue {
  std::string key, name, value;  // key below HKEY_LOCAL_MACHINE
};

class QuenzelEnvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern =
        std::filesystem::temp_directory_path().generic_string() + "/quenzel-test-XXXXXX";
    dir_ = ::mkdtemp(&pattern[0]);
    cfgstore::ClearOverrides();
    ::mkdir((dir_ + "/zqapi").c_str(), 0755);
    ::mkdir((dir_ + "/logs").c_str(), 0755);
    ::setenv("CFGSTORE_FILE", (dir_ + "/registry.reg").c_str(), 1);
    ::setenv("LOGBOOK_DIR", (dir_ + "/logs").c_str(), 1);
    WriteRegistry({});
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  // Writes the registry export: ZQEXE (this directory) plus `values`.
  void WriteRegistry(std::vector<RegistryValue> values) {
    values.insert(values.begin(), {kEnvironmentKey, "ZQEXE", dir_ + "/"});
    std::string text = "REGEDIT4\r\n";
    for (const RegistryValue& v : values)
      text +=
          "\r\n[HKEY_LOCAL_MACHINE\\" + v.key + "]\r\n\"" + v.name + "\"=\"" + v.value + "\"\r\n";
    WriteFile(dir_ + "/registry.reg", text);
  }
  // Writes zqapi/<name> and returns the name to pass to Initialise.
  std::string WriteDefinition(const std::string& name, const std::string& content) {
    WriteFile(dir_ + "/zqapi/" + name, content);
    return name;
  }
  std::string DefinitionPath(const std::string& name) const { return dir_ + "/zqapi\\" + name; }
  // The audit entries of `logName`, split at their tabs, without the time
  // stamp; escaped backslashes are restored.
  std::vector<std::vector<std::string>> LogEntries(const std::string& logName) const {
    std::vector<std::vector<std::string>> entries;
    std::string text = ReadFile(dir_ + "/logs/" + logName + ".log");
    for (std::size_t at = text.find("\\\\"); at != std::string::npos;
         at = text.find("\\\\", at + 1))
      text.erase(at, 1);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      std::istringstream parts(line);
      entries.emplace_back();
      for (std::string part; std::getline(parts, part, '\t');) entries.back().push_back(part);
      entries.back().erase(entries.back().begin());
    }
    return entries;
  }
  const std::string& dir() const { return dir_; }

 private:
  std::string dir_;
};

}  // namespace quenzel_test

#endif  // QUENZEL_TESTS_TEST_ENV_H_
