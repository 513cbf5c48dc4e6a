// Shared set-up for tests that load definition files: a private temporary
// directory holding a registry export (CFGSTORE_FILE), an audit-log
// directory (LOGBOOK_DIR) and a zqapi directory for definition files, with
// ZQEXE pointing at it.
#ifndef QUENZEL_TESTS_TEST_ENV_H_
#define QUENZEL_TESTS_TEST_ENV_H_

#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cfgstore.h"

namespace quenzel_test {

struct RegistryValue {
  std::string key;  // below HKEY_LOCAL_MACHINE, e.g. "SOFTWARE\\TORVANHOLME\\Environment"
  std::string name;
  std::string value;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/quenzel-test-XXXXXX";
    path_ = ::mkdtemp(pattern);
  }
  ~TempDir() {
    ::nftw(
        path_.c_str(),
        [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 16,
        FTW_DEPTH | FTW_PHYS);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class QuenzelEnvTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cfgstore::ClearOverrides();
    ::mkdir((dir_.path() + "/zqapi").c_str(), 0755);
    ::mkdir((dir_.path() + "/logs").c_str(), 0755);
    ::setenv("CFGSTORE_FILE", (dir_.path() + "/registry.reg").c_str(), 1);
    ::setenv("LOGBOOK_DIR", (dir_.path() + "/logs").c_str(), 1);
    WriteRegistry({});
  }
  void TearDown() override {
    ::unsetenv("CFGSTORE_FILE");
    ::unsetenv("LOGBOOK_DIR");
  }

  // Writes the registry export: ZQEXE (this directory) plus `values`.
  void WriteRegistry(const std::vector<RegistryValue>& values) {
    std::vector<RegistryValue> all = {
        {"SOFTWARE\\TORVANHOLME\\Environment", "ZQEXE", dir_.path() + "/"}};
    all.insert(all.end(), values.begin(), values.end());
    std::string text = "REGEDIT4\r\n";
    for (const RegistryValue& v : all) {
      text += "\r\n[HKEY_LOCAL_MACHINE\\" + v.key + "]\r\n\"" + v.name + "\"=\"" + Escape(v.value) +
              "\"\r\n";
    }
    WriteFile(dir_.path() + "/registry.reg", text);
  }

  // Writes zqapi/<name> and returns the name to pass to Initialise.
  std::string WriteDefinition(const std::string& name, const std::string& content) {
    WriteFile(dir_.path() + "/zqapi/" + name, content);
    return name;
  }

  // The path the library builds for `name`.
  std::string DefinitionPath(const std::string& name) const {
    return dir_.path() + "/zqapi\\" + name;
  }

  // The audit entries of `logName`, each split at its tabs and unescaped,
  // without the leading time stamp.
  std::vector<std::vector<std::string>> LogEntries(const std::string& logName) const {
    std::vector<std::vector<std::string>> entries;
    std::istringstream lines(ReadFile(dir_.path() + "/logs/" + logName + ".log"));
    std::string line;
    while (std::getline(lines, line)) {
      std::vector<std::string> fields;
      std::istringstream parts(line);
      std::string part;
      while (std::getline(parts, part, '\t')) fields.push_back(Unescape(part));
      if (!fields.empty()) fields.erase(fields.begin());
      entries.push_back(fields);
    }
    return entries;
  }

  const std::string& dir() const { return dir_.path(); }

 private:
  static std::string Unescape(const std::string& text) {
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] != '\\' || i + 1 == text.size()) {
        plain += text[i];
        continue;
      }
      char next = text[++i];
      plain += next == 't' ? '\t' : next == 'r' ? '\r' : next == 'n' ? '\n' : next;
    }
    return plain;
  }

  static std::string Escape(const std::string& text) {
    std::string escaped;
    for (char c : text) {
      if (c == '\\' || c == '"') escaped += '\\';
      escaped += c;
    }
    return escaped;
  }

  TempDir dir_;
};

}  // namespace quenzel_test

#endif  // QUENZEL_TESTS_TEST_ENV_H_
