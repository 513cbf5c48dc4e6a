// Tests for cfgstore: registry export files written to a temp dir and read
// back through the public API.
#include "cfgstore.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace {

const std::string kHeader5 = "Windows Registry Editor Version 5.00\r\n\r\n";
constexpr char kMissing[] = "(missing)";

std::u16string Widen(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

// UTF-16LE bytes behind a BOM, as the registry editor writes them.
std::string Utf16File(const std::u16string& text) {
  std::string out = "\xFF\xFE";
  for (char16_t u : text) out += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  return out;
}

// "AB" -> "41,00,42,00,00,00": NUL-terminated UTF-16LE text as hex data.
std::string HexUtf16(const std::string& ascii) {
  std::string out;
  char byte[8];
  for (char c : ascii + '\0') {
    snprintf(byte, sizeof byte, ",%02x,00", static_cast<unsigned char>(c));
    out += byte;
  }
  return out.substr(1);
}

std::string Read(const std::string& key, const std::string& name) {
  return registry.read(HKEY_LOCAL_MACHINE, key, "", name, kMissing, 0);
}

class CfgstoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = "/tmp/cfgstore_test.XXXXXX";
    ASSERT_NE(mkdtemp(&tmpl[0]), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    unsetenv("CFGSTORE_FILE");
    cfgstore::ClearOverrides();
    std::filesystem::remove_all(dir_);
  }
  // Writes `bytes` to `name` in the temp dir and points CFGSTORE_FILE at it.
  std::string Use(const std::string& bytes, const std::string& name = "a.reg") {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    setenv("CFGSTORE_FILE", path.c_str(), 1);
    return path;
  }

  std::string dir_;
};

const std::string kBody =
    "; a comment line\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n"
    "\"Plain\"=\"hello world\"\n\"NoExpand\"=\"%CFGSTORE_T_HOME%\"\n"
    "\"Path\"=\"C:\\\\ZQ\\\\\"\n\"Quote\"=\"say \\\"hi\\\"\"\n\"Lax\"=\"C:\\ZQ\\bin\"\n"
    "@=\"the default\"\n\"Count\"=dword:0000000a\n\"Max\"=dword:ffffffff\n"
    "\"Expand\"=hex(2):" +
    HexUtf16("%CFGSTORE_T_HOME%\\bin;%CFGSTORE_T_UNSET%;100%") +
    "\n"
    "\"Long\"=hex(2):41,00,42,00,\\\n"
    "    43,00,\\\n"
    "  00,00\n"
    "\"Gone\"=\"x\"\n\"Gone\"=-\n\"Big\"=hex(b):00,00,00,00,01,00,00,00\n"
    "\"Dw\"=hex(4):0b,00,00,00\n\"Sz\"=hex(1):" +
    HexUtf16("sz") +
    "\n"
    "\"Raw\"=hex:01,02\n\"Multi\"=hex(7):41,00,00,00,00,00\n   ; an indented comment\n"
    "\"Broken\"=dword:xyz\n\"NoColon\"=hex(2)41,00,00,00\nthis line is noise\n"
    "\"Trailing\"=\"x\" junk\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\A\\B]\n\"v\"=\"ab\"\n[HKLM\\SOFTWARE\\A\\B\\C]\n\"v\"=\"abc\"\n"
    "[HKLM\\SOFTWARE\\A\\BC]\n\"v\"=\"sibling\"\n"
    "[-HKEY_LOCAL_MACHINE\\software\\a\\b]\n\"v\"=\"no key to go to\"\n"
    "[HKLM\\SOFTWARE\\A\\B\\D]\n\"v\"=\"later\"\n[HKEY_CURRENT_USER\\SOFTWARE\\A]\n\"w\"=\"user\"\n"
    "[hklm\\Software\\TorvanHolme\\Environment\\\\]\n\"ZqExe\"=\"zq\"\n"
    "[HKLM\\SOFTWARE\\WOW6432Node\\Only32]\n\"v\"=\"32\"\n[HKLM\\SOFTWARE\\Both]\n\"v\"=\"64\"\n"
    "[HKLM\\SOFTWARE\\WOW6432Node\\Both]\n\"v\"=\"32\"\n\"w\"=\"32 only\"\n"
    "[HKLM\\SYSTEM\\WOW6432Node\\Sys]\n\"v\"=\"sys\"\n[HKLM\\SOFTWARE\\Parent\\Child]\n"
    "[HKLM\\SOFTWARE\\WOW6432Node\\Parent]\n\"v\"=\"32\"\n";

const struct {
  const char* key;
  const char* name;
  const char* expected;
} kBodyValues[] = {
    {"SOFTWARE\\T", "Plain", "hello world"},
    {"SOFTWARE\\T", "NoExpand", "%CFGSTORE_T_HOME%"},
    {"SOFTWARE\\T", "Path", "C:\\ZQ\\"},
    {"SOFTWARE\\T", "Quote", "say \"hi\""},
    {"SOFTWARE\\T", "Lax", "C:\\ZQ\\bin"},
    {"SOFTWARE\\T", "", "the default"},
    {"SOFTWARE\\T", "Count", "10"},
    {"SOFTWARE\\T", "Max", "4294967295"},
    {"SOFTWARE\\T", "Long", "ABC"},
    {"SOFTWARE\\T", "Gone", kMissing},
    {"SOFTWARE\\T", "Big", "4294967296"},
    {"SOFTWARE\\T", "Dw", "11"},
    {"SOFTWARE\\T", "Sz", "sz"},
    {"SOFTWARE\\T", "Raw", kMissing},
    {"SOFTWARE\\T", "Multi", kMissing},
    {"SOFTWARE\\T", "Broken", kMissing},
    {"SOFTWARE\\T", "NoColon", kMissing},
    {"SOFTWARE\\T", "Trailing", kMissing},
    {"SOFTWARE\\T", "Expand", "/opt/zq\\bin;%CFGSTORE_T_UNSET%;100%"},
    // Key deletion takes subkeys defined before it, not siblings or later keys.
    {"SOFTWARE\\A\\B", "v", kMissing},
    {"SOFTWARE\\A\\B\\C", "v", kMissing},
    {"SOFTWARE\\A\\BC", "v", "sibling"},
    {"SOFTWARE\\A\\B\\D", "v", "later"},
    {"SOFTWARE\\A", "w", kMissing},
    // Case and stray backslashes do not matter.
    {"software\\TORVANHOLME\\environment", "ZQEXE", "zq"},
    {"\\SOFTWARE\\\\TorvanHolme\\Environment\\", "zqexe", "zq"},
    // The 32-bit view answers only when the key itself is missing.
    {"SOFTWARE\\Only32", "v", "32"},
    {"software\\only32\\", "V", "32"},
    {"SOFTWARE\\Both", "v", "64"},
    {"SOFTWARE\\Both", "w", kMissing},
    {"SOFTWARE\\Parent", "v", kMissing},
    {"SYSTEM\\Sys", "v", kMissing},
};

TEST_F(CfgstoreTest, ReadsTheSameFromEveryEncoding) {
  setenv("CFGSTORE_T_HOME", "/opt/zq", 1);
  unsetenv("CFGSTORE_T_UNSET");
  std::string crlf_body;
  for (char c : kBody) crlf_body += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string files[] = {kHeader5 + kBody, "\xEF\xBB\xBF" + kHeader5 + crlf_body,
                               Utf16File(Widen(kHeader5 + crlf_body))};
  for (size_t f = 0; f < std::size(files); ++f) {
    Use(files[f], "f" + std::to_string(f));
    for (const auto& v : kBodyValues) {
      EXPECT_EQ(Read(v.key, v.name), v.expected) << "file " << f << ": " << v.key << " " << v.name;
    }
  }
  EXPECT_EQ(registry.read(HKEY_LOCAL_MACHINE, "SOFTWARE", "t", "plain", "", 0), "hello world");
  EXPECT_STREQ(readRegA("zqexe", "d"), "zq");
  EXPECT_STREQ(readRegA("nothing", "d"), "d");
  EXPECT_STREQ(readRegA(nullptr, nullptr), "");
  const HKEY current_user = reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001u));
  EXPECT_EQ(registry.read(current_user, "SOFTWARE\\T", "", "Plain", "d", 0), "d");
}

TEST_F(CfgstoreTest, ConvertsUtf16TextAndKeepsRegedit4Bytes) {
  std::u16string text = u"Windows Registry Editor Version 5.00\r\n[HKLM\\SOFTWARE\\T\u00e9]\r\n";
  text += u"\"Smile\"=\"caf\u00e9 \U0001F600\"\r\n\"Lone\"=\"a";
  text += {char16_t(0xD800), u'b', char16_t(0xDC00), u'"', u'\r', u'\n'};
  text += u"\"Hex\"=hex(2):e9,00,3d,d8,00,de,00,00\r\n";
  Use(Utf16File(text));
  EXPECT_EQ(Read("SOFTWARE\\T\xC3\xA9", "Smile"), "caf\xC3\xA9 \xF0\x9F\x98\x80");
  EXPECT_EQ(Read("SOFTWARE\\T\xC3\xA9", "Lone"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  EXPECT_EQ(Read("SOFTWARE\\T\xC3\xA9", "Hex"), "\xC3\xA9\xF0\x9F\x98\x80");

  Use("REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n\"Text\"=\"caf\xE9\"\n"
      "\"Exp\"=hex(2):25,43,46,47,53,54,4f,52,45,5f,54,5f,48,4f,4d,45,25,e9,00,41\n");
  setenv("CFGSTORE_T_HOME", "/h", 1);
  EXPECT_EQ(Read("SOFTWARE\\T", "Text"), "caf\xE9");
  EXPECT_EQ(Read("SOFTWARE\\T", "Exp"), "/h\xE9");
}

TEST_F(CfgstoreTest, SwitchesAndNumbersReadLikeTheirTables) {
  const struct {
    const char* data;
    bool on;
    int number;
  } cases[] = {
      {"\"1\"", true, 1},
      {"\"true\"", true, 0},
      {"\"TRUE\"", true, 0},
      {"\"Yes\"", true, 0},
      {"\" on \"", true, 0},
      {"\"0\"", false, 0},
      {"\"2\"", false, 2},
      {"\"no\"", false, 0},
      {"\"\"", false, 0},
      {"\"onx\"", false, 0},
      {"\"  -17xyz\"", false, -17},
      {"\"+5\"", false, 5},
      {"\"2147483647\"", false, INT_MAX},
      {"\"2147483648\"", false, INT_MAX},
      {"\"-2147483648\"", false, INT_MIN},
      {"\"-99999999999999999999\"", false, INT_MIN},
      {"dword:0", false, 0},
      {"dword:00000007", true, 7},
      {"dword:ffffffff", true, -1},
      {"hex(b):ff,ff,ff,ff,ff,ff,ff,ff", true, INT_MAX},
  };
  std::string file = kHeader5 + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\S]\n";
  for (size_t i = 0; i < std::size(cases); ++i) {
    file += "\"v" + std::to_string(i) + "\"=" + cases[i].data + "\n";
  }
  Use(file);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::string name = "v" + std::to_string(i);
    SCOPED_TRACE(cases[i].data);
    EXPECT_EQ(registry.readBool(HKEY_LOCAL_MACHINE, "SOFTWARE", "S", name, "1", 0), cases[i].on);
    EXPECT_EQ(readRegTrueFalse(HKEY_LOCAL_MACHINE, "SOFTWARE", "S", name.c_str(), "1"),
              cases[i].on ? 1 : 0);
    EXPECT_EQ(readRegInt(HKEY_LOCAL_MACHINE, "SOFTWARE", "S", name.c_str(), "3"), cases[i].number);
  }
  // A missing value reads its default the same way.
  EXPECT_EQ(readRegTrueFalse(HKEY_LOCAL_MACHINE, "SOFTWARE", "S", "none", " YES "), 1);
  EXPECT_EQ(readRegTrueFalse(HKEY_LOCAL_MACHINE, "SOFTWARE", "S", "none", "off"), 0);
  EXPECT_EQ(readRegTrueFalse(nullptr, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(readRegInt(HKEY_LOCAL_MACHINE, "SOFTWARE", "S", "none", " -12abc"), -12);
  EXPECT_EQ(readRegInt(HKEY_LOCAL_MACHINE, "SOFTWARE", "S", "none", nullptr), 0);
}

TEST_F(CfgstoreTest, ReadRegTruncatesAndReturnsTheFullLength) {
  Use(kHeader5 + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\R]\n\"v\"=\"abcdef\"\n");
  const struct {
    int size;
    const char* expected;
  } cases[] = {{-1, "#####"}, {0, "#####"}, {1, ""}, {4, "abc"}, {7, "abcdef"}, {64, "abcdef"}};
  for (const auto& c : cases) {
    char buffer[64] = "#####";
    EXPECT_EQ(readReg(HKEY_LOCAL_MACHINE, "SOFTWARE", "R", "v", buffer, c.size, "d"), 6);
    EXPECT_STREQ(buffer, c.expected) << c.size;
  }
  EXPECT_EQ(readReg(HKEY_LOCAL_MACHINE, "SOFTWARE", "R", "v", nullptr, 10, "d"), 6);
  char buffer[8] = "x";
  EXPECT_EQ(readReg(HKEY_LOCAL_MACHINE, nullptr, nullptr, nullptr, buffer, 8, nullptr), 0);
  EXPECT_STREQ(buffer, "");
}

TEST_F(CfgstoreTest, FollowsTheVariableAndTheFile) {
  const std::string reg = kHeader5 + "[HKEY_LOCAL_MACHINE\\SOFTWARE\\F]\n";
  EXPECT_EQ(Read("SOFTWARE\\F", "v"), kMissing);  // no variable
  setenv("CFGSTORE_FILE", (dir_ + "/absent.reg").c_str(), 1);
  EXPECT_EQ(Read("SOFTWARE\\F", "v"), kMissing);
  setenv("CFGSTORE_FILE", dir_.c_str(), 1);  // a directory
  EXPECT_EQ(Read("SOFTWARE\\F", "v"), kMissing);
  Use("[HKEY_LOCAL_MACHINE\\SOFTWARE\\F]\n\"v\"=\"no header\"\n");
  EXPECT_EQ(Read("SOFTWARE\\F", "v"), kMissing);

  const std::string a = Use(reg + "\"v\"=\"one\"\n");
  EXPECT_EQ(Read("SOFTWARE\\F", "v"), "one");
  Use(reg + "\"v\"=\"second, longer\"\n");
  EXPECT_EQ(Read("SOFTWARE\\F", "v"), "second, longer");
  Use(reg + "\"v\"=\"other file\"\n", "b.reg");
  EXPECT_EQ(Read("SOFTWARE\\F", "v"), "other file");
  setenv("CFGSTORE_FILE", a.c_str(), 1);
  EXPECT_EQ(Read("SOFTWARE\\F", "v"), "second, longer");
  unlink(a.c_str());
  EXPECT_EQ(Read("SOFTWARE\\F", "v"), kMissing);
}

TEST_F(CfgstoreTest, OverridesAnswerBeforeTheFile) {
  const std::string reg = kHeader5 + "[HKLM\\SOFTWARE\\O]\n\"v\"=\"file\"\n\"n\"=dword:1\n";
  Use(reg);
  cfgstore::SetOverride("software\\o\\", "V", "override");
  cfgstore::SetOverride("SOFTWARE\\O", "n", "12");
  cfgstore::SetOverride("SOFTWARE\\Elsewhere", "x", "yes");
  EXPECT_EQ(Read("SOFTWARE\\O", "v"), "override");
  EXPECT_EQ(readRegInt(HKEY_LOCAL_MACHINE, "SOFTWARE", "O", "n", "0"), 12);
  EXPECT_EQ(readRegTrueFalse(HKEY_LOCAL_MACHINE, "SOFTWARE\\Elsewhere", "", "X", "0"), 1);
  unsetenv("CFGSTORE_FILE");
  EXPECT_EQ(Read("SOFTWARE\\O", "v"), "override");
  Use(reg);
  cfgstore::ClearOverrides();
  EXPECT_EQ(Read("SOFTWARE\\O", "v"), "file");
  EXPECT_EQ(readRegInt(HKEY_LOCAL_MACHINE, "SOFTWARE", "O", "n", "0"), 1);
}

// Random and mutated files must parse without faults (run under ASan/UBSan to
// make this bite). The large files guard against work growing faster than the
// file: each would take minutes if any step were quadratic.
TEST_F(CfgstoreTest, SurvivesMalformedAndHostileFiles) {
  const std::string seeds[] = {kHeader5 + kBody, Utf16File(Widen(kHeader5 + kBody)),
                               "REGEDIT4\n" + kBody};
  const std::string specials[] = {
      "\\",       "\"",   "[", "]", "\n", "\r\n", "%", ",", "=", "-", std::string(1, '\0'),
      "\xFF\xFE", "hex(", "@="};
  std::mt19937 rng(20240611);
  auto pick = [&rng](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
  for (int i = 0; i < 400; ++i) {
    std::string bytes = seeds[pick(std::size(seeds))];
    if (i % 4 == 0) bytes.resize(pick(bytes.size()));
    for (size_t m = pick(12); m > 0; --m) {
      const size_t at = pick(bytes.size() + 1);
      if (m % 3 == 0 && at < bytes.size()) bytes[at] = static_cast<char>(rng());
      if (m % 3 == 1) bytes.insert(at, specials[pick(std::size(specials))]);
      if (m % 3 == 2) bytes.erase(at, pick(8));
    }
    if (i % 10 == 0) {  // pure noise, half of it behind a valid header
      bytes = i % 20 == 0 ? kHeader5 : "";
      for (size_t n = pick(3000); n > 0; --n) bytes += static_cast<char>(rng());
    }
    Use(bytes, "fuzz" + std::to_string(i % 2));
    for (const auto& v : kBodyValues) Read(v.key, v.name);
  }

  const std::string percents(1 << 20, '%');
  const std::string key = "[HKEY_LOCAL_MACHINE\\" + std::string(1 << 20, 'k') + "]\n";
  std::string chain = "[HKEY_LOCAL_MACHINE\\T]\n\"c\"=hex(2):41,00,\\\n";
  for (int i = 0; i < 100000; ++i) chain += "  41,00,\\\n";
  const struct {
    std::string body, key, name, expected;
  } hostile[] = {
      {"[HKLM" + std::string(1 << 20, '\\') + "x]\n\"v\"=\"deep\"\n", "x", "v", "deep"},
      {key + "\"v\"=\"1\"\n[-" + key.substr(1), key.substr(20, 1 << 20), "v", kMissing},
      {chain + "00,00\n", "T", "c", std::string(100001, 'A')},
      {"[HKLM\\T]\n\"p\"=\"" + percents + "\"\n", "T", "p", percents},
  };
  for (size_t i = 0; i < std::size(hostile); ++i) {
    Use(kHeader5 + hostile[i].body, "big" + std::to_string(i));
    EXPECT_EQ(Read(hostile[i].key, hostile[i].name), hostile[i].expected) << i;
  }
}

}  // namespace
