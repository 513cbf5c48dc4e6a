#include "registry_values.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iterator>

namespace cfgstore {
namespace detail {

namespace {

constexpr std::string_view kSpaces = " \t\r\n\v\f";
constexpr std::string_view kTrueWords[] = {"1", "true", "yes", "on"};
constexpr uint32_t kReplacementChar = 0xFFFD;

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

bool IsNumber(const Value& v) { return v.kind == Kind::kNumber32 || v.kind == Kind::kNumber64; }

}  // namespace

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

std::string NormalizeKey(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  bool separatorDue = false;
  for (char c : path) {
    if (c == '\\') {
      separatorDue = !out.empty();
      continue;
    }
    if (separatorDue) out += '\\';
    separatorDue = false;
    out += LowerAscii(c);
  }
  return out;
}

// ---- UTF-16 ----------------------------------------------------------------

std::string Utf16LeToUtf8(std::string_view bytes, bool stopAtNul) {
  auto unit = [bytes](size_t i) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[2 * i + 1])) << 8;
  };
  const size_t units = bytes.size() / 2;
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < units; ++i) {
    uint32_t u = unit(i);
    if (u == 0 && stopAtNul) break;
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

bool IsTrueWord(std::string_view text) {
  text = Trim(text);
  return std::any_of(std::begin(kTrueWords), std::end(kTrueWords),
                     [text](std::string_view word) { return EqualsNoCase(text, word); });
}

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

}  // namespace detail
}  // namespace cfgstore
