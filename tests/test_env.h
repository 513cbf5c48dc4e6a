// Shared helpers of the library's tests: a private directory with a
// registry export (CFGSTORE_FILE), an audit-log directory (LOGBOOK_DIR) and
// a zqapi directory for definition files; fields and records built from
// definition text; QuenzelError printed by name.
#ifndef QUENZEL_TESTS_TEST_ENV_H_
#define QUENZEL_TESTS_TEST_ENV_H_

#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cfgstore.h"
#include "quenzel.h"

inline void PrintTo(QuenzelError e, std::ostream* os) { *os << QuenzelErrorName(e); }

namespace quenzel_test {

using E = QuenzelError;
constexpr const char* kDriverKey = "SOFTWARE\\TORVANHOLME\\DRIVER";
constexpr const char* kSystemKey = "SOFTWARE\\TORVANHOLME\\DRIVER\\system";
constexpr const char* kEnvironmentKey = "SOFTWARE\\TORVANHOLME\\Environment";

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// A field read from one definition line, then Reset, as the record reader
// makes it.
inline CQuenzelField MakeField(const std::string& line, const std::string& name = "",
                               bool sendOrDelete = false) {
  CQuenzelField field(12, "defs", "", name, "cp-1252", sendOrDelete, "ITEM");
  std::istringstream in(line);
  bool noField = false;
  EXPECT_TRUE(field.Read(in, noField)) << line;
  field.Reset();
  return field;
}

// The members of a field that differ from a freshly constructed one.
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

// A record read from a block (the text after its '#'), copied as the
// catalogue copies it, so that its indexes are built.
inline CQuenzelRecord MakeRecord(const std::string& block) {
  CQuenzelRecord read("defs", "");
  read.codepage = "cp-1252";
  std::istringstream in(block);
  EXPECT_TRUE(read.Read(in)) << block;
  return CQuenzelRecord(read);
}

// The data record `record` writes.
inline std::string Written(CQuenzelRecord& record) {
  std::ostringstream out;
  out << record;
  return out.str();
}

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/quenzel-test-XXXXXX";
    path_ = ::mkdtemp(pattern);
  }
  ~TempDir() {
    auto remove = [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); };
    ::nftw(path_.c_str(), remove, 16, FTW_DEPTH | FTW_PHYS);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct RegistryValue {
  std::string key;  // below HKEY_LOCAL_MACHINE
  std::string name;
  std::string value;
};

class QuenzelEnvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cfgstore::ClearOverrides();
    ::mkdir((dir() + "/zqapi").c_str(), 0755);
    ::mkdir((dir() + "/logs").c_str(), 0755);
    ::setenv("CFGSTORE_FILE", (dir() + "/registry.reg").c_str(), 1);
    ::setenv("LOGBOOK_DIR", (dir() + "/logs").c_str(), 1);
    WriteRegistry({});
  }
  void TearDown() override {
    ::unsetenv("CFGSTORE_FILE");
    ::unsetenv("LOGBOOK_DIR");
  }

  // Writes the registry export: ZQEXE (this directory) plus `values`.
  void WriteRegistry(std::vector<RegistryValue> values) {
    values.insert(values.begin(), {kEnvironmentKey, "ZQEXE", dir() + "/"});
    std::string text = "REGEDIT4\r\n";
    for (const RegistryValue& v : values) {
      std::string escaped;
      for (char c : v.value)
        escaped += (c == '\\' || c == '"') ? std::string("\\") + c : std::string(1, c);
      text +=
          "\r\n[HKEY_LOCAL_MACHINE\\" + v.key + "]\r\n\"" + v.name + "\"=\"" + escaped + "\"\r\n";
    }
    WriteFile(dir() + "/registry.reg", text);
  }

  // Writes zqapi/<name> and returns the name to pass to Initialise.
  std::string WriteDefinition(const std::string& name, const std::string& content) {
    WriteFile(dir() + "/zqapi/" + name, content);
    return name;
  }
  // The path the library builds for `name`.
  std::string DefinitionPath(const std::string& name) const { return dir() + "/zqapi\\" + name; }

  // The audit entries of `logName`, split at their tabs, without the time
  // stamp; escaped tabs and line breaks are restored.
  std::vector<std::vector<std::string>> LogEntries(const std::string& logName) const {
    std::vector<std::vector<std::string>> entries;
    std::istringstream lines(ReadFile(dir() + "/logs/" + logName + ".log"));
    for (std::string line; std::getline(lines, line);) {
      std::vector<std::string> fields;
      std::istringstream parts(line);
      for (std::string part; std::getline(parts, part, '\t');) {
        std::string plain;
        for (std::size_t i = 0; i < part.size(); ++i) {
          char c = part[i];
          if (c == '\\' && i + 1 < part.size()) {
            c = part[++i];
            c = c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
          }
          plain += c;
        }
        fields.push_back(plain);
      }
      if (!fields.empty()) fields.erase(fields.begin());
      entries.push_back(fields);
    }
    return entries;
  }

  const std::string& dir() const { return dir_.path(); }

 private:
  TempDir dir_;
};

}  // namespace quenzel_test

#endif  // QUENZEL_TESTS_TEST_ENV_H_
