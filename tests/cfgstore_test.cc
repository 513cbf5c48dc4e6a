// Tests for cfgstore: registry export files written to a temp dir and read
// back through the public API.
#include "cfgstore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "posix_shim.h"
#ifdef _WIN32
#include <windows.h>
#endif

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";
constexpr char kMissing[] = "(missing)";
const HKEY kLm = HKEY_LOCAL_MACHINE;

// "AB" -> "41,00,42,00,00,00,": NUL-terminated UTF-16LE hex, trailing comma.
std::string HexUtf16(const std::string& ascii) {
  std::string out;
  char byte[8];
  for (char c : ascii + '\0') out += (snprintf(byte, sizeof byte, "%02x,00,", c & 0xFF), byte);
  return out;
}

std::string Read(const std::string& key, const std::string& name) {
  return registry.read(kLm, key, "", name, kMissing, 0);
}

// Each row is written as "v<row>"=<data> below SOFTWARE\T: the value's text,
// switch and number. A missing value reads the defaults, "1" and "3".
const struct {
  std::string data;
  const char* text;
  bool on = false;
  int number = 0;
} kValues[] = {
    // clang-format off
    {"\"%CFGT_HOME%\"", "%CFGT_HOME%"}, {"\"say \\\"hi\\\"\"", "say \"hi\""},
    {"\"C:\\\\ZQ\\\\\"", "C:\\ZQ\\"}, {"\"C:\\ZQ\\bin\"", "C:\\ZQ\\bin"},
    {"dword:0000000A", "10", true, 10}, {"DWORD:FFFFFFFF", "4294967295", true, -1},
    {"hex(4):0b,00,00,00", "11", true, 11},
    {"hex(b):00,00,00,00,01,00,00,00", "4294967296", true, INT_MAX},
    {"hex(2):" + HexUtf16("%CFGT_HOME%\\b;%CFGT_UNSET%;%%;1%"), "/opt/zq\\b;%CFGT_UNSET%;%%;1%"},
    {"hex(2):41,00,42,00,\\\n    43,00,\\\n  00,00", "ABC"},
    {"hex(1):" + HexUtf16("-8 on"), "-8 on", false, -8},
    {"hex(1):80,00,00,08", "\xC2\x80\xE0\xA0\x80"},
    {"hex(1):00,d8,00,dc,ff,db,ff,df", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
    {"hex(1):61,00,00,d8,62,00,00,dc,00,d8", "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "\xEF\xBF\xBD"},
    {"hex(7):41,00,00,00,00,00,00,00", kMissing, true, 3}, {"hex(4):01,02,03", kMissing, true, 3},
    {"hex(b):01,02,03,04", kMissing, true, 3}, {"hex(2)41,00,00,00", kMissing, true, 3},
    {"hex(x):41,00", kMissing, true, 3}, {"42", kMissing, true, 3},
    {"hex(1):41,00,4g,00", kMissing, true, 3}, {"dword:xyz", kMissing, true, 3},
    {"dword:123456789", kMissing, true, 3}, {"\"x\" junk", kMissing, true, 3},
    {"\"unclosed", kMissing, true, 3}, {"\"TRUE\"", "TRUE", true}, {"\"Yes\"", "Yes", true},
    {"\" on \"", " on ", true}, {"\"onx\"", "onx"}, {"\"ox\"", "ox"},
    {"\"+105\"", "+105", false, 105}, {"\"  -17xyz\"", "  -17xyz", false, -17},
    {"\"2147483648\"", "2147483648", false, INT_MAX},
    {"\"-2147483648\"", "-2147483648", false, INT_MIN},
    {"\"-99999999999999999999\"", "-99999999999999999999", false, INT_MIN},
    // clang-format on
};

// Keys: deletions, case, stray backslashes, other roots, the 32-bit view.
const std::string kKeyBody =
    "; a comment\n[HKLM\\SOFTWARE\\T]\n   ; indented\nnoise\n@=\"the default\"\n\"Gone\"=\"x\"\n"
    "\"Gone\"=-\n\"Raw\"=\"x\"\n\"Raw\"=hex:01,02\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B]\n"
    "\"v\"=\"ab\"\n[HKLM\\SOFTWARE\\A\\B\\C]\n\"v\"=\"abc\"\n[HKLM\\SOFTWARE\\A\\BC]\n"
    "\"v\"=\"bc\"\n[-HKEY_LOCAL_MACHINE\\software\\a\\b]\n\"v\"=\"no key to go to\"\n"
    "[HKLM\\SOFTWARE\\A\\B\\D]\n\"v\"=\"later\"\n[HKLM\\SOFTWARE\\A\\B\\D\n\"w\"=\"x\"\n"
    "[HKCU\\SOFTWARE\\A]\n\"w\"=\"user\"\n[hklm\\Software\\TorvanHolme\\Environment\\\\]\n"
    "\"ZqExe\"=\"zq\"\n[HKLM\\SOFTWARE\\WOW6432Node\\Only32]\n\"v\"=\"32\"\n"
    "[HKLM\\SOFTWARE\\Both]\n\"v\"=\"64\"\n[HKLM\\SOFTWARE\\WOW6432Node\\Both]\n\"v\"=\"32\"\n"
    "\"w\"=\"32 only\"\n[HKLM\\SYSTEM\\WOW6432Node\\Sys]\n\"v\"=\"sys\"\n"
    "[HKLM\\SOFTWARE\\Parent\\Child]\n[HKLM\\SOFTWARE\\WOW6432Node\\Parent]\n\"v\"=\"32\"\n"
    "[HKLM\\SOFTWARE\\WOW6432Node\\WOW6432NodeX]\n\"v\"=\"x\"\n";
const struct {
  const char *key, *name, *expected;
} kKeys[] = {
    // clang-format off
    {"SOFTWARE\\T", "", "the default"}, {"SOFTWARE\\T", "Gone", kMissing},
    {"SOFTWARE\\T", "raw", kMissing}, {"SOFTWARE\\A\\B", "v", kMissing},
    {"SOFTWARE\\A\\B\\C", "v", kMissing}, {"SOFTWARE\\A\\BC", "v", "bc"},
    {"SOFTWARE\\A\\B\\D", "v", "later"}, {"SOFTWARE\\A\\B\\D", "w", kMissing},
    {"SOFTWARE\\A", "w", kMissing}, {"software\\TORVANHOLME\\environment", "ZQEXE", "zq"},
    {"\\SOFTWARE\\\\TorvanHolme\\Environment\\", "zqexe", "zq"}, {"software\\only32\\", "V", "32"},
    {"SOFTWARE\\Both", "v", "64"}, {"SOFTWARE\\Both", "w", kMissing},
    {"SOFTWARE\\Parent", "v", kMissing}, {"SYSTEM\\Sys", "v", kMissing},
    {"SOFTWARE\\WOW6432NodeX", "v", "x"},
    // clang-format on
};

class CfgstoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(mkdtemp(&dir_[0]), nullptr); }
  void TearDown() override {
    unsetenv("CFGSTORE_FILE");
    cfgstore::ClearOverrides();
    std::filesystem::remove_all(dir_);
  }
  // Writes `bytes` to `name` in the temp dir and points CFGSTORE_FILE at it.
  void Use(const std::string& bytes, const std::string& name = "a.reg") {
    std::ofstream(dir_ + "/" + name, std::ios::binary | std::ios::trunc) << bytes;
    setenv("CFGSTORE_FILE", (dir_ + "/" + name).c_str(), 1);
  }
  std::string dir_ =
      std::filesystem::temp_directory_path().generic_string() + "/cfgstore_test.XXXXXX";
};

TEST_F(CfgstoreTest, ReadsTheSameFromEveryEncoding) {
  setenv("CFGT_HOME", "/opt/zq", 1);
  unsetenv("CFGT_UNSET");
  std::string body = kHeader + "; NUL:" + '\0' + "\n[HKLM\\SOFTWARE\\T]\n";
  std::string crlf = "\xEF\xBB\xBF", utf16 = "\xFF\xFE";
  for (size_t i = 0; i < std::size(kValues); ++i) {
    body += "\"v" + std::to_string(i) + "\"=" + kValues[i].data + "\n";
  }
  for (char c : body + kKeyBody) {
    for (char d : c == '\n' ? std::string("\r\n") : std::string(1, c)) crlf += d, utf16 += {d, 0};
  }
  const std::pair<std::string, std::string> files[] = {
      {"UTF-8", body + kKeyBody}, {"UTF-8 with BOM, CRLF", crlf}, {"UTF-16LE, CRLF", utf16}};
  for (const auto& [encoding, bytes] : files) {
    Use(bytes, encoding);
    for (size_t i = 0; i < std::size(kValues); ++i) {
      const auto& v = kValues[i];
      const std::string name = "V" + std::to_string(i);
      SCOPED_TRACE(encoding + ": " + name + "=" + v.data);
      EXPECT_EQ(registry.read(kLm, "SOFTWARE", "T", name, kMissing, 0), v.text);
      EXPECT_EQ(readRegTrueFalse(kLm, "SOFTWARE", "t", name.c_str(), "1"), v.on ? 1 : 0);
      EXPECT_EQ(readRegInt(kLm, "software\\", "T", name.c_str(), "3"), v.number);
    }
    for (const auto& k : kKeys) {
      EXPECT_EQ(Read(k.key, k.name), k.expected) << encoding << ": " << k.key << " " << k.name;
    }
  }
  EXPECT_STREQ(readRegA("zqexe", "d"), "zq");
  EXPECT_STREQ(readRegA(nullptr, nullptr), "");
  EXPECT_EQ(readRegInt(kLm, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(readRegTrueFalse(nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  const std::pair<int, const char*> sizes[] = {{-1, "#"},  {0, "#"},           {1, ""},
                                               {4, "%CF"}, {11, "%CFGT_HOME"}, {12, "%CFGT_HOME%"}};
  for (const auto& [size, expected] : sizes) {
    char buffer[32] = "#";
    EXPECT_EQ(readReg(kLm, "SOFTWARE", "T", "v0", buffer, size, "d"), 11) << size;
    EXPECT_STREQ(buffer, expected) << size;
  }
  EXPECT_EQ(readReg(kLm, "SOFTWARE", "T", "v0", nullptr, 10, "d"), 11);
  const HKEY current_user = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));
  EXPECT_EQ(registry.read(current_user, "SOFTWARE\\T", "", "v0", "d", 0), "d");
}

#ifdef _WIN32
// Without CFGSTORE_FILE the system registry answers: values written with the
// Win32 API read back with the stand-in's rules; a file named selects it.
TEST_F(CfgstoreTest, ReadsTheSystemRegistry) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\quenzel-test\\Sub", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const DWORD number = 0xFFFFFFFE;
  RegSetValueExA(key, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>("yes"), 4);
  RegSetValueExA(key, "Path", 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>("%CFGT_W%\\x"), 12);
  RegSetValueExA(key, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
  RegSetValueExA(key, "Binary", 0, REG_BINARY, reinterpret_cast<const BYTE*>("ab"), 2);
  RegCloseKey(key);
  setenv("CFGT_W", "C:\\zq", 1);
  auto read = [](const char* name) {
    return registry.read(kLm, "software\\QUENZEL-TEST", "sub", name, kMissing, 0);
  };
  EXPECT_EQ(read("text") + read("Path") + read("Number") + read("Binary") + read("None"),
            std::string("yesC:\\zq\\x4294967294") + kMissing + kMissing);
  EXPECT_EQ(readRegInt(kLm, "SOFTWARE\\quenzel-test", "Sub", "Number", "0"), -2);
  EXPECT_TRUE(registry.readBool(kLm, "SOFTWARE\\quenzel-test", "Sub", "Text", "", 0));
  Use(kHeader);  // a file, even an empty one, replaces the system registry
  EXPECT_EQ(read("Text"), kMissing);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\quenzel-test");
}
#endif

}  // namespace
