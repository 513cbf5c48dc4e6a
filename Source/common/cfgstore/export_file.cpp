// The registry export file (cfgstore.h tells where it comes from).
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

#include "export_file.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace cfgstore {
namespace detail {

namespace {

constexpr std::string_view kHeaderUnicode = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeaderAnsi = "REGEDIT4";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kLocalMachineNames[] = {"HKEY_LOCAL_MACHINE", "HKLM"};

// Value types as numbered in hex(N): data.
constexpr uint64_t kTypeText = 0x1;
constexpr uint64_t kTypeExpandText = 0x2;
constexpr uint64_t kTypeBinary = 0x3;
constexpr uint64_t kTypeDword = 0x4;
constexpr uint64_t kTypeQword = 0xb;

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

// 1 to `maxDigits` hex digits and nothing else.
bool ParseHexNumber(std::string_view s, size_t maxDigits, uint64_t* out) {
  if (s.empty() || s.size() > maxDigits) return false;
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

}  // namespace

KeyMap ParseExport(std::string_view bytes) { return ExportParser().Parse(bytes); }

bool BeginsAsExport(std::string_view bytes) {
  std::string decoded;
  std::string_view line;
  LineReader reader(ExportText(bytes, decoded));
  return reader.Next(&line) && IsHeader(line);
}

}  // namespace detail
}  // namespace cfgstore
