// cfgstore: settings read from a registry export file (see cfgstore.h).
//
// The export is parsed into a map of keys, each holding a map of values. Keys
// are stored normalised (ASCII lower case, no root, no empty components) and
// value names lower-cased, so lookups are plain map finds.
//
// Accepted file shapes: a "Windows Registry Editor Version 5.00" header in
// UTF-16LE with BOM, or UTF-8 with or without BOM; or a "REGEDIT4" header in
// 8-bit text whose bytes are kept as they are. A file without either header is
// not an export and yields an empty registry. Lines that do not parse are
// skipped; a malformed key line leaves no current key, so the values after it
// are dropped rather than filed under the previous key.
//
// How each kind of value reads:
//   "text", hex(1):, hex(2):   text; hex(2) expands %VAR% from the environment
//                              at read time, unknown variables stay as written
//   dword:, hex(4):            a 32-bit number, read as unsigned decimal text
//   hex(b):                    a 64-bit number, read as unsigned decimal text;
//                              readRegInt saturates it like any other text
//   hex:, hex(7):, hex(N):     kept (so they replace an earlier value of the
//                              same name) but read as missing: the default
//                              answers
// hex(1)/hex(2) bytes are UTF-16LE in version-5 files and 8-bit text in
// REGEDIT4 files; the text ends at the first NUL.

#include "cfgstore.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// The export file is read as bytes; the C runtime has no such flags.
#define O_CLOEXEC O_BINARY
#define O_NONBLOCK 0
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

Registry registry;

namespace {

constexpr char kFileVariable[] = "CFGSTORE_FILE";
constexpr char kEnvironmentKey[] = "SOFTWARE\\TORVANHOLME\\Environment";
constexpr std::string_view kHeaderUnicode = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeaderAnsi = "REGEDIT4";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kLocalMachineNames[] = {"HKEY_LOCAL_MACHINE", "HKLM"};
constexpr std::string_view kSoftwarePrefix = "software\\";
constexpr std::string_view kWowNode = "wow6432node";
constexpr std::string_view kSpaces = " \t\r\n\v\f";
constexpr std::string_view kTrueWords[] = {"1", "true", "yes", "on"};
constexpr uint32_t kReplacementChar = 0xFFFD;
constexpr size_t kReadChunk = size_t{64} * 1024;

// Value types as numbered in hex(N): data.
constexpr uint64_t kTypeText = 0x1;
constexpr uint64_t kTypeExpandText = 0x2;
constexpr uint64_t kTypeBinary = 0x3;
constexpr uint64_t kTypeDword = 0x4;
constexpr uint64_t kTypeQword = 0xb;

enum class Kind { kText, kExpandText, kNumber32, kNumber64, kOpaque };

struct Value {
  Kind kind = Kind::kText;
  uint64_t number = 0;
  std::string text;
};

using ValueMap = std::map<std::string, Value>;   // by lower-cased name
using KeyMap = std::map<std::string, ValueMap>;  // by normalised key

// ---- Text helpers ----------------------------------------------------------

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerAscii(c);
  return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && EqualsNoCase(s.substr(0, prefix.size()), prefix);
}

bool StartsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

std::string_view TrimLeft(std::string_view s) {
  size_t start = s.find_first_not_of(kSpaces);
  return start == std::string_view::npos ? std::string_view() : s.substr(start);
}

std::string_view TrimRight(std::string_view s) {
  size_t end = s.find_last_not_of(kSpaces);
  return end == std::string_view::npos ? std::string_view() : s.substr(0, end + 1);
}

std::string_view Trim(std::string_view s) { return TrimLeft(TrimRight(s)); }

std::string Str(const char* s) { return s == nullptr ? std::string() : std::string(s); }

// "SOFTWARE\\\\Foo\\" and "software\\foo" name the same key: lower case,
// empty components dropped.
std::string NormalizeKey(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  bool separator_due = false;
  for (char c : path) {
    if (c == '\\') {
      separator_due = !out.empty();
      continue;
    }
    if (separator_due) out += '\\';
    separator_due = false;
    out += LowerAscii(c);
  }
  return out;
}

// ---- UTF-16 ----------------------------------------------------------------

void AppendUtf8(uint32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

bool IsHighSurrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// UTF-16LE bytes to UTF-8. An odd trailing byte is dropped and an unpaired
// surrogate becomes U+FFFD. With `stop_at_nul` the text ends at the first NUL.
std::string Utf16LeToUtf8(std::string_view bytes, bool stop_at_nul) {
  auto unit = [bytes](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
  };
  const size_t units = bytes.size() / 2;
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < units; ++i) {
    uint32_t u = unit(i);
    if (u == 0 && stop_at_nul) break;
    if (IsHighSurrogate(u) && i + 1 < units && IsLowSurrogate(unit(i + 1))) {
      AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (unit(i + 1) - 0xDC00), &out);
      ++i;
      continue;
    }
    AppendUtf8(IsHighSurrogate(u) || IsLowSurrogate(u) ? kReplacementChar : u, &out);
  }
  return out;
}

// ---- Reading values as text, switch and number -----------------------------

// %NAME% becomes the environment variable's value; an unknown or empty name
// stays as written.
std::string ExpandVariables(std::string_view s) {
  std::string out;
  size_t pos = 0;
  while (pos < s.size()) {
    size_t open = s.find('%', pos);
    size_t close = open == std::string_view::npos ? open : s.find('%', open + 1);
    if (close == std::string_view::npos) break;
    out.append(s.substr(pos, open - pos));
    std::string name(s.substr(open + 1, close - open - 1));
    const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
    if (value != nullptr) {
      out += value;
    } else {
      out.append(s.substr(open, close - open + 1));
    }
    pos = close + 1;
  }
  out.append(s.substr(std::min(pos, s.size())));
  return out;
}

bool IsTrueWord(std::string_view text) {
  text = Trim(text);
  return std::any_of(std::begin(kTrueWords), std::end(kTrueWords),
                     [text](std::string_view word) { return EqualsNoCase(text, word); });
}

// Like atoi, but overflow saturates instead of being undefined.
int AtoiSaturating(std::string_view s) {
  size_t i = s.find_first_not_of(kSpaces);
  if (i == std::string_view::npos) return 0;
  bool negative = false;
  if (s[i] == '+' || s[i] == '-') negative = s[i++] == '-';
  const int64_t limit = negative ? -static_cast<int64_t>(INT_MIN) : INT_MAX;
  int64_t magnitude = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    magnitude = std::min(magnitude * 10 + (s[i] - '0'), limit);
  }
  return static_cast<int>(negative ? -magnitude : magnitude);
}

bool IsNumber(const Value& v) { return v.kind == Kind::kNumber32 || v.kind == Kind::kNumber64; }

std::string TextOf(const Value& v) {
  if (IsNumber(v)) return std::to_string(v.number);
  if (v.kind == Kind::kExpandText) return ExpandVariables(v.text);
  return v.text;
}

bool SwitchOf(const Value& v) { return IsNumber(v) ? v.number != 0 : IsTrueWord(TextOf(v)); }

int IntOf(const Value& v) {
  if (v.kind == Kind::kNumber32) return static_cast<int32_t>(static_cast<uint32_t>(v.number));
  return AtoiSaturating(TextOf(v));
}

// ---- Export file parsing ---------------------------------------------------

// Splits text into lines on LF. The CR of a CRLF stays on the line; every
// line is trimmed before use, which drops it.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool Next(std::string_view* line) {
    if (pos_ >= text_.size()) return false;
    size_t end = std::min(text_.find('\n', pos_), text_.size());
    *line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// Reads the quoted text that starts at s[0] == '"', undoing the \\ and \"
// escapes; any other backslash is kept as written. `rest` gets what follows
// the closing quote. False when the quote is never closed.
bool ParseQuoted(std::string_view s, std::string* out, std::string_view* rest) {
  out->clear();
  for (size_t i = 1; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      *rest = s.substr(i + 1);
      return true;
    }
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) c = s[++i];
    out->push_back(c);
  }
  return false;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to `max_digits` hex digits and nothing else.
bool ParseHexNumber(std::string_view s, size_t max_digits, uint64_t* out) {
  if (s.empty() || s.size() > max_digits) return false;
  uint64_t n = 0;
  for (char c : s) {
    int digit = HexDigit(c);
    if (digit < 0) return false;
    n = n << 4 | static_cast<uint64_t>(digit);
  }
  *out = n;
  return true;
}

// "41,00, 42" to bytes; a trailing comma is tolerated.
bool ParseHexBytes(std::string_view list, std::string* bytes) {
  list = Trim(list);
  size_t start = 0;
  while (start < list.size()) {
    size_t comma = std::min(list.find(',', start), list.size());
    uint64_t byte = 0;
    if (!ParseHexNumber(Trim(list.substr(start, comma - start)), 2, &byte)) return false;
    bytes->push_back(static_cast<char>(byte));
    start = comma + 1;
  }
  return true;
}

uint64_t LittleEndian(std::string_view bytes) {
  uint64_t n = 0;
  for (size_t i = bytes.size(); i-- > 0;) n = n << 8 | static_cast<unsigned char>(bytes[i]);
  return n;
}

Value DecodeHexValue(uint64_t type, std::string_view bytes, bool unicode) {
  Value v;
  v.kind = Kind::kOpaque;
  if (type == kTypeText || type == kTypeExpandText) {
    v.kind = type == kTypeText ? Kind::kText : Kind::kExpandText;
    v.text = unicode ? Utf16LeToUtf8(bytes, true) : std::string(bytes.substr(0, bytes.find('\0')));
  } else if (type == kTypeDword && bytes.size() == 4) {
    v.kind = Kind::kNumber32;
    v.number = LittleEndian(bytes);
  } else if (type == kTypeQword && bytes.size() == 8) {
    v.kind = Kind::kNumber64;
    v.number = LittleEndian(bytes);
  }
  return v;
}

// Hex data may run over several lines, each but the last ending in a
// backslash; the continuation lines' leading spaces are skipped.
std::string GatherContinued(std::string_view first, LineReader* reader) {
  std::string out(TrimRight(first));
  std::string_view next;
  while (!out.empty() && out.back() == '\\' && reader->Next(&next)) {
    out.pop_back();
    out.append(Trim(next));
  }
  return out;
}

// "hex:..." or "hex(N):..." data.
bool ParseHexValue(std::string_view data, bool unicode, Value* out) {
  std::string_view rest = data.substr(3);
  uint64_t type = kTypeBinary;
  if (!rest.empty() && rest[0] == '(') {
    size_t close = rest.find(')');
    if (close == std::string_view::npos || !ParseHexNumber(rest.substr(1, close - 1), 8, &type)) {
      return false;
    }
    rest.remove_prefix(close + 1);
  }
  std::string bytes;
  if (rest.empty() || rest[0] != ':' || !ParseHexBytes(rest.substr(1), &bytes)) return false;
  *out = DecodeHexValue(type, bytes, unicode);
  return true;
}

// A parsed value line: the value, or its deletion ("name"=-).
struct ValueLine {
  std::string name;
  bool erase = false;
  Value value;
};

bool ParseData(std::string_view data, bool unicode, LineReader* reader, ValueLine* out) {
  if (TrimRight(data) == "-") {
    out->erase = true;
    return true;
  }
  if (StartsWith(data, "\"")) {
    std::string_view rest;
    return ParseQuoted(data, &out->value.text, &rest) && Trim(rest).empty();
  }
  if (StartsWithNoCase(data, "dword:")) {
    out->value.kind = Kind::kNumber32;
    return ParseHexNumber(Trim(data.substr(6)), 8, &out->value.number);
  }
  if (StartsWithNoCase(data, "hex")) {
    return ParseHexValue(GatherContinued(data, reader), unicode, &out->value);
  }
  return false;
}

class ExportParser {
 public:
  KeyMap Parse(std::string_view bytes);

 private:
  void OnKeyLine(std::string_view line);
  void OnValueLine(std::string_view line, LineReader* reader);
  void EraseTree(const std::string& key);

  KeyMap keys_;
  ValueMap* current_ = nullptr;  // the key values go to; null: drop them
  bool unicode_ = true;          // version-5 file: hex text is UTF-16LE
};

// The export's text after its byte-order mark: UTF-16LE decoded into
// `decoded`, UTF-8 as it stands.
std::string_view ExportText(std::string_view bytes, std::string& decoded) {
  if (StartsWith(bytes, kUtf16LeBom)) {
    decoded = Utf16LeToUtf8(bytes.substr(kUtf16LeBom.size()), false);
    return decoded;
  }
  if (StartsWith(bytes, kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
  return bytes;
}

bool IsHeader(std::string_view line) {
  line = Trim(line);
  return EqualsNoCase(line, kHeaderUnicode) || EqualsNoCase(line, kHeaderAnsi);
}

KeyMap ExportParser::Parse(std::string_view bytes) {
  std::string decoded;
  LineReader reader(ExportText(bytes, decoded));
  std::string_view line;
  if (!reader.Next(&line) || !IsHeader(line)) return {};
  unicode_ = EqualsNoCase(Trim(line), kHeaderUnicode);
  while (reader.Next(&line)) {
    line = Trim(line);
    if (StartsWith(line, "[")) {
      OnKeyLine(line);
    } else if (StartsWith(line, "\"") || StartsWith(line, "@")) {
      OnValueLine(line, &reader);
    }
    // Anything else (blank, ; comment, stray text) is skipped.
  }
  return std::move(keys_);
}

// [HKEY_LOCAL_MACHINE\path] opens a key; [-HKEY_LOCAL_MACHINE\path] deletes
// it with everything below.
void ExportParser::OnKeyLine(std::string_view line) {
  current_ = nullptr;
  size_t close = line.rfind(']');
  if (close == std::string_view::npos) return;
  std::string_view inner = line.substr(1, close - 1);
  const bool erase = StartsWith(inner, "-");
  if (erase) inner.remove_prefix(1);
  size_t slash = std::min(inner.find('\\'), inner.size());
  std::string_view root = inner.substr(0, slash);
  if (std::none_of(std::begin(kLocalMachineNames), std::end(kLocalMachineNames),
                   [root](std::string_view name) { return EqualsNoCase(root, name); })) {
    return;
  }
  std::string key = NormalizeKey(inner.substr(slash));
  if (erase) {
    EraseTree(key);
  } else {
    current_ = &keys_[key];
  }
}

void ExportParser::OnValueLine(std::string_view line, LineReader* reader) {
  ValueLine parsed;
  std::string_view rest = line.substr(1);  // after '@'
  if (line[0] == '"' && !ParseQuoted(line, &parsed.name, &rest)) return;
  rest = TrimLeft(rest);
  if (!StartsWith(rest, "=")) return;
  if (!ParseData(TrimLeft(rest.substr(1)), unicode_, reader, &parsed)) return;
  if (current_ == nullptr) return;
  std::string name = Lower(parsed.name);
  if (parsed.erase) {
    current_->erase(name);
  } else {
    (*current_)[name] = std::move(parsed.value);
  }
}

void ExportParser::EraseTree(const std::string& key) {
  if (key.empty()) {
    keys_.clear();
    return;
  }
  keys_.erase(key);
  const std::string prefix = key + '\\';
  auto it = keys_.lower_bound(prefix);
  while (it != keys_.end() && StartsWith(it->first, prefix)) it = keys_.erase(it);
}

// ---- The loaded file and the overrides -------------------------------------

// What identifies one version of the file.
struct FileStamp {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  time_t mtime_sec = 0;
  long mtime_nsec = 0;

  bool operator==(const FileStamp& o) const {
    return device == o.device && inode == o.inode && size == o.size && mtime_sec == o.mtime_sec &&
           mtime_nsec == o.mtime_nsec;
  }
};

FileStamp StampOf(const char* path, const struct stat& st) {
#ifdef _WIN32
  // The C runtime gives whole seconds and no inode: the last-write time's
  // 100-nanosecond ticks tell apart two versions written within a second.
  FileStamp stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtime, 0};
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(path, GetFileExInfoStandard, &data))
    stamp.mtime_nsec = static_cast<long>(((uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                          data.ftLastWriteTime.dwLowDateTime) %
                                         10000000u) *
                       100;
  return stamp;
#else
  (void)path;
  return FileStamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
#endif
}

struct Store {
  std::mutex mutex;
  std::string path;     // the file `keys` came from
  bool loaded = false;  // `keys` and `stamp` describe `path`
  FileStamp stamp;
  KeyMap keys;
  KeyMap overrides;
};

Store& GetStore() {
  static Store* store = new Store;  // never destroyed: readers may run during exit
  return *store;
}

bool ReadAll(int fd, std::string* bytes) {
  for (;;) {
    const size_t used = bytes->size();
    bytes->resize(used + kReadChunk);
    ssize_t n = ::read(fd, &(*bytes)[used], kReadChunk);
    bytes->resize(used + static_cast<size_t>(std::max<ssize_t>(n, 0)));
    if (n == 0) return true;
    if (n < 0 && errno != EINTR) return false;
  }
}

// The bytes of a regular file; false when it cannot be read.
bool ReadRegularFile(const char* path, struct stat& st, std::string& bytes) {
  // Non-blocking so that a FIFO swapped in under the name cannot hang a reader.
  int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ReadAll(fd, &bytes);
  ::close(fd);
  return ok;
}

// Parses the file into `keys`; false (and no keys) when it cannot be read.
bool LoadFile(const char* path, FileStamp* stamp, KeyMap* keys) {
  keys->clear();
  struct stat st;
  std::string bytes;
  if (!ReadRegularFile(path, st, bytes)) return false;
  *stamp = StampOf(path, st);
  *keys = ExportParser().Parse(bytes);
  return true;
}

// Brings `store->keys` in line with the file CFGSTORE_FILE names now.
void Refresh(Store* store) {
  const char* path = std::getenv(kFileVariable);
  struct stat st;
  if (path == nullptr || *path == '\0' || ::stat(path, &st) != 0 || !S_ISREG(st.st_mode)) {
    store->keys.clear();
    store->loaded = false;
    return;
  }
  if (store->loaded && store->path == path && store->stamp == StampOf(path, st)) return;
  store->path = path;
  store->loaded = LoadFile(path, &store->stamp, &store->keys);
}

bool KeyExists(const KeyMap& keys, const std::string& key) {
  if (keys.count(key) != 0) return true;
  const std::string prefix = key + '\\';
  auto it = keys.lower_bound(prefix);
  return it != keys.end() && StartsWith(it->first, prefix);
}

// A 32-bit program on 64-bit Windows sees SOFTWARE\X at
// SOFTWARE\WOW6432Node\X, and an export taken there may hold a key only in
// that view. The key as asked wins when it exists.
std::string ResolveKey(const KeyMap& keys, const std::string& key) {
  if (!StartsWith(key, kSoftwarePrefix) || KeyExists(keys, key)) return key;
  std::string_view rest = std::string_view(key).substr(kSoftwarePrefix.size());
  if (StartsWith(rest, kWowNode) &&
      (rest.size() == kWowNode.size() || rest[kWowNode.size()] == '\\')) {
    return key;
  }
  return std::string(kSoftwarePrefix) + std::string(kWowNode) + '\\' + std::string(rest);
}

const Value* FindValue(const KeyMap& keys, const std::string& key, const std::string& name) {
  auto k = keys.find(key);
  if (k == keys.end()) return nullptr;
  auto v = k->second.find(name);
  return v == k->second.end() ? nullptr : &v->second;
}

#ifdef _WIN32
// The value in the Windows registry, below HKEY_LOCAL_MACHINE as this
// process sees it (a 32-bit process sees the 32-bit view by itself).
// REG_SZ, REG_EXPAND_SZ, REG_DWORD and REG_QWORD; other types read as
// opaque.
std::optional<Value> SystemValue(const std::string& key, const std::string& name) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) !=
      ERROR_SUCCESS)
    return std::nullopt;
  DWORD type = 0, size = 0;
  std::string data;
  LSTATUS status = ::RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, &size);
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {  // it may grow meanwhile
    data.resize(size);
    status = ::RegQueryValueExA(handle, name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(&data[0]), &size);
    if (status == ERROR_SUCCESS) break;
  }
  ::RegCloseKey(handle);
  if (status != ERROR_SUCCESS) return std::nullopt;
  data.resize(size);
  Value v;
  if (type == REG_DWORD && size == 4) {
    v.kind = Kind::kNumber32;
    v.number = static_cast<uint8_t>(data[0]) |
               static_cast<uint32_t>(static_cast<uint8_t>(data[1])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(data[2])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(data[3])) << 24;
  } else if (type == REG_QWORD && size == 8) {
    v.kind = Kind::kNumber64;
    for (int i = 7; i >= 0; --i) v.number = (v.number << 8) | static_cast<uint8_t>(data[i]);
  } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
    v.kind = type == REG_SZ ? Kind::kText : Kind::kExpandText;
    v.text = data.substr(0, data.find('\0'));
  } else {
    v.kind = Kind::kOpaque;
  }
  return v;
}
#endif

// The value an override, the file or (on Windows, without a file named) the
// system registry holds; nothing when it is missing or of a kind that reads
// as missing.
std::optional<Value> Lookup(HKEY root, const std::string& key_path, const std::string& section,
                            const std::string& value_name) {
  if (root != HKEY_LOCAL_MACHINE) return std::nullopt;
  const std::string key = NormalizeKey(key_path + '\\' + section);
  const std::string name = Lower(value_name);
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  if (const Value* v = FindValue(store.overrides, key, name)) return *v;
#ifdef _WIN32
  const char* file = std::getenv(kFileVariable);
  if (file == nullptr || *file == '\0') {
    std::optional<Value> v = SystemValue(key, value_name);
    if (!v || v->kind == Kind::kOpaque) return std::nullopt;
    return v;
  }
#endif
  Refresh(&store);
  const Value* v = FindValue(store.keys, ResolveKey(store.keys, key), name);
  if (v == nullptr || v->kind == Kind::kOpaque) return std::nullopt;
  return *v;
}

}  // namespace

std::string Registry::read(HKEY root, const std::string& keyPath, const std::string& section,
                           const std::string& valueName, const std::string& defaultValue,
                           int /*reserved*/) {
  std::optional<Value> v = Lookup(root, keyPath, section, valueName);
  return v ? TextOf(*v) : defaultValue;
}

bool Registry::readBool(HKEY root, const std::string& keyPath, const std::string& section,
                        const std::string& valueName, const std::string& defaultValue,
                        int /*reserved*/) {
  std::optional<Value> v = Lookup(root, keyPath, section, valueName);
  return v ? SwitchOf(*v) : IsTrueWord(defaultValue);
}

int readRegInt(HKEY root, const char* keyPath, const char* section, const char* valueName,
               const char* defaultValue) {
  std::optional<Value> v = Lookup(root, Str(keyPath), Str(section), Str(valueName));
  return v ? IntOf(*v) : AtoiSaturating(Str(defaultValue));
}

int readRegTrueFalse(HKEY root, const char* keyPath, const char* section, const char* valueName,
                     const char* defaultValue) {
  return registry.readBool(root, Str(keyPath), Str(section), Str(valueName), Str(defaultValue), 0)
             ? 1
             : 0;
}

const char* readRegA(const char* valueName, const char* defaultValue) {
  thread_local std::string buffer;
  buffer =
      registry.read(HKEY_LOCAL_MACHINE, kEnvironmentKey, "", Str(valueName), Str(defaultValue), 0);
  return buffer.c_str();
}

int readReg(HKEY root, const char* keyPath, const char* section, const char* valueName,
            char* buffer, int size, const char* defaultValue) {
  const std::string text =
      registry.read(root, Str(keyPath), Str(section), Str(valueName), Str(defaultValue), 0);
  if (buffer != nullptr && size > 0) {
    const size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<int>(std::min<size_t>(text.size(), INT_MAX));
}

namespace cfgstore {

void SetOverride(const std::string& key, const std::string& valueName, const std::string& value) {
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  Value& v = store.overrides[NormalizeKey(key)][Lower(valueName)];
  v.kind = Kind::kText;
  v.text = value;
}

void ClearOverrides() {
  Store& store = GetStore();
  std::lock_guard<std::mutex> lock(store.mutex);
  store.overrides.clear();
}

bool IsExportFile(const std::string& path) {
  struct stat st;
  std::string bytes, decoded;
  std::string_view line;
  if (!ReadRegularFile(path.c_str(), st, bytes)) return false;
  LineReader reader(ExportText(bytes, decoded));
  return reader.Next(&line) && IsHeader(line);
}

}  // namespace cfgstore
