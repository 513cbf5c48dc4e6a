// Field definition: construction, copying, Reset and the parser of one
// definition line.
//
// A field line reads, after the record reader has taken the field's name,
// comment and record context from the raw line:
//   number TYPE name="..." length tail
// The tail of a numeric type is: default, attributes, then either a value
// list or a minimum and a maximum. The tail of a text or single-character
// type is: a first item (padding character, "#" no-pad mark, INITVALUE=
// initial value, or an attribute), attributes, then for single-character
// types a value list or a list of allowed characters. The file format is
// described in docs/definition-format.md.
#include "quenzel_field.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string_view>

#include "host_services.h"
#include "text_readers.h"

using quenzel::detail::Atoi;
using quenzel::detail::Atoi64;
using quenzel::detail::IsNumberItem;
using quenzel::detail::ReadToken;

namespace {

struct TypeEntry {
  const char* name;
  int code;
};

// Looked up in this order; the first name of a code is its display name.
constexpr TypeEntry kTypeTable[] = {
    {"NUMERIC", 1},   {"COLOUR", 1},       {"YEAR", 2},       {"STRING", 3},   {"DATETIME", 3},
    {"BLOB", 3},      {"FLAG", 4},         {"TEXT", 5},       {"CURRENCY", 6}, {"WEIGHT", 7},
    {"NETWEIGHT", 8}, {"WEIGHTHIRES", 9},  {"PRICE", 10},     {"UOM", 11},     {"PRICEBASE", 12},
    {"FONT", 13},     {"NSTRING", 14},     {"CHARACTER", 15}, {"BARCODE", 16}, {"STRINGNOTR", 17},
    {"TEXTNOTR", 18}, {"NSTRINGNOTR", 19}, {"CLOB", 20},      {"VALUE", 22},   {"UNITVALUE", 10},
    {"FILENAME", 3},  {"PERCENTAGE", 21},
};

constexpr int kMaxFieldNumber = 9999999;
constexpr int kMaxLength = 99999998;
// A text-tail token that begins with '#' carries its initial value after
// this many characters ("#INITVALUE=" is eleven).
constexpr std::size_t kNoPadPrefix = 11;

bool IsAttributeSeparator(int c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '"';
}

// The value of KEY and KEYPOS: after blanks, a quoted text or a word up to
// the next blank. An empty value becomes a single blank.
std::string ReadAttributeValue(std::istream& in) {
  std::string value;
  while (in.peek() == ' ') in.get();
  int c = in.get();
  if (c == '"') {
    while ((c = in.get()) != std::char_traits<char>::eof() && c != '"')
      value.push_back(static_cast<char>(c));
  } else {
    while (c != std::char_traits<char>::eof() && c != ' ') {
      value.push_back(static_cast<char>(c));
      c = in.get();
    }
  }
  return value.empty() ? std::string(" ") : value;
}

// KEY= and KEYPOS=: the next character that is not a separator or a quote
// must be '='; it is taken either way.
bool ReadKeyValue(std::istream& in, std::string& target) {
  int c;
  do {
    c = in.get();
  } while (c != std::char_traits<char>::eof() && IsAttributeSeparator(c));
  if (c != '=') return false;
  target = ReadAttributeValue(in);
  return true;
}

// The item after INITVALUE=: characters up to a quote or separator, and
// when that is a quote, the quoted text after it.
std::string ReadInitialValue(std::istream& in) {
  std::string value;
  int c;
  while ((c = in.get()) != std::char_traits<char>::eof() && c != '"' && c != ' ' && c != '\t' &&
         c != '\r' && c != '\n')
    value.push_back(static_cast<char>(c));
  if (c == '"') {
    while ((c = in.get()) != std::char_traits<char>::eof() && c != '"')
      value.push_back(static_cast<char>(c));
  }
  return value;
}

// ---------------------------------------------------------------------------
// Value lists: entries separated by ','; the first '-' of an entry separates
// its low text from its high text, and the rest of the entry from a second
// '-' on is dropped.

struct ListEntry {
  std::string_view low;
  std::string_view high;
};

// Calls `visit` on each entry until it returns true. Matching runs on every
// set and get of a listed field, so it works on views of the list, without
// copying.
// The position of `c` in `text`, or npos: lists are short, so a plain loop
// beats a library search call.
inline std::size_t FindChar(std::string_view text, char c) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == c) return i;
  return std::string_view::npos;
}

template <typename Visit>
bool AnyEntry(std::string_view list, Visit visit) {
  for (;;) {
    std::size_t comma = FindChar(list, ',');
    std::string_view entry = list.substr(0, comma);
    ListEntry parts;
    std::size_t dash = FindChar(entry, '-');
    if (dash == std::string_view::npos) {
      parts.low = entry;
    } else {
      parts.low = entry.substr(0, dash);
      std::string_view rest = entry.substr(dash + 1);
      parts.high = rest.substr(0, FindChar(rest, '-'));
    }
    if (visit(parts)) return true;
    if (comma == std::string_view::npos) return false;
    list.remove_prefix(comma + 1);
  }
}

// A number as the setters read it: an optional leading '-', then digits up
// to the first other character; no digit gives 0. `skip` names a character
// that is dropped wherever it stands and `minus` one more that stands for
// the sign. `overflow` is set when the digits do not fit 64 bits (the value
// then saturates).
long long ParseNumber(std::string_view text, bool* overflow = nullptr, char minus = '-',
                      char skip = '\0') {
  std::size_t i = 0;
  auto next = [&] {
    while (i < text.size() && skip != '\0' && text[i] == skip) ++i;
    return i < text.size() ? text[i] : '\0';
  };
  char c = next();
  const bool negative = c == '-' || c == minus;
  if (negative) {
    ++i;
    c = next();
  }
  unsigned long long magnitude = 0;
  const unsigned long long limit = negative ? 9223372036854775808ULL : LLONG_MAX;
  bool over = false;
  for (; c >= '0' && c <= '9'; ++i, c = next()) {
    unsigned digit = static_cast<unsigned>(c - '0');
    if (magnitude > (limit - digit) / 10) {
      over = true;
      magnitude = limit;
      break;
    }
    magnitude = magnitude * 10 + digit;
  }
  if (overflow) *overflow = over;
  if (!negative) return static_cast<long long>(magnitude);
  return magnitude == 9223372036854775808ULL ? LLONG_MIN : -static_cast<long long>(magnitude);
}

long long LeadingNumber(std::string_view text, bool* overflow = nullptr) {
  return ParseNumber(text, overflow);
}

// A bound of a number list: '(' stands for a minus sign, ')' is ignored.
long long ListNumber(std::string_view text) { return ParseNumber(text, nullptr, '(', ')'); }

bool MatchesNumber(std::string_view list, long long v) {
  return AnyEntry(list, [v](const ListEntry& e) {
    if (!e.low.empty() && !e.high.empty()) return ListNumber(e.low) <= v && v <= ListNumber(e.high);
    if (!e.low.empty()) return v == ListNumber(e.low);
    if (!e.high.empty()) return v == ListNumber(e.high);
    return false;
  });
}

// Decimal digits of `value`, as std::to_string writes them.
void AppendDecimal(std::string& out, long long value) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, static_cast<std::size_t>(result.ptr - digits));
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool MatchesCharacter(std::string_view list, unsigned char c) {
  return AnyEntry(list, [c](const ListEntry& e) {
    bool hasLow = !e.low.empty();
    bool hasHigh = !e.high.empty();
    if (!hasLow && !hasHigh) return false;
    if ((hasLow && IsAsciiLetter(e.low[0])) || (hasHigh && IsAsciiLetter(e.high[0]))) {
      // First characters count as signed bytes, c as an unsigned one: a
      // range that ends in a byte above 127 matches no letter.
      // NOLINTBEGIN(bugprone-signed-char-misuse,cert-str34-c)
      int low = static_cast<signed char>(hasLow ? e.low[0] : e.high[0]);
      int high = static_cast<signed char>(hasHigh ? e.high[0] : e.low[0]);
      // NOLINTEND(bugprone-signed-char-misuse,cert-str34-c)
      if (hasLow && hasHigh) return low <= c && c <= high;
      return c == low;
    }
    long long value = (c >= '0' && c <= '9') ? c - '0' : c;
    if (hasLow && hasHigh) return LeadingNumber(e.low) <= value && value <= LeadingNumber(e.high);
    return value == LeadingNumber(hasLow ? e.low : e.high);
  });
}

// ---------------------------------------------------------------------------
// Weight conversion. Every multiplication and division is rounded to single
// precision before the next one; the store through a volatile float keeps
// a compiler from carrying extra precision (x87) or fusing steps.

constexpr double kPoundsPerKilogram = 2.2045;
constexpr double kKilogramsPerPound = 0.4536;

inline float Single(double x) {
  volatile float rounded = static_cast<float>(x);
  return rounded;
}

// Whether another step by ten can still change `f`: zero, infinity and NaN
// stay as they are, so the loops below stop there. Every finite value gets
// there within a hundred steps, which bounds the work for any scaling
// factor the registry or a host may give.
bool Scalable(float f) { return std::isfinite(f) && f != 0.0f; }

// `k` is 64-bit: the difference or negation of two int factors always fits.
float TimesPowerOfTen(float f, long long k) {
  for (long long i = 0; i < k && Scalable(f); ++i) f = Single(static_cast<double>(f) * 10.0);
  return f;
}

float DividedByPowerOfTen(float f, long long k) {
  for (long long i = 0; i < k && Scalable(f); ++i) f = Single(static_cast<double>(f) / 10.0);
  return f;
}

// Scaling within one decimal system: from factor sF to factor tF.
float Rescale(float f, int sF, int tF) {
  const long long steps = static_cast<long long>(sF) - tF;
  if (steps > 0) return TimesPowerOfTen(f, steps);
  if (steps < 0) return DividedByPowerOfTen(f, -steps);
  return f;
}

// Avoirdupois scaling factors: the step from units of a factor to pounds,
// and the step from pounds back to such units.
struct AvoirRow {
  int factor;
  char toPounds;  // '*', '/' or '=' (unchanged)
  double toPoundsBy;
  char fromPounds;
  double fromPoundsBy;
};
constexpr AvoirRow kAvoirdupois[] = {
    {4, '*', 2240, '/', 2240},  {3, '*', 112, '/', 112},
    {2, '*', 28, '/', 28},      {1, '*', 14, '/', 14},
    {0, '=', 1, '=', 1},        {-1, '*', 0.25, '*', 4},
    {-2, '*', 0.0625, '*', 16}, {-3, '*', 0.0078125, '*', 128},
    {-4, '/', 1280, '*', 1280},
};

float Apply(float f, char op, double by) {
  if (op == '*') return Single(static_cast<double>(f) * by);
  if (op == '/') return Single(static_cast<double>(f) / by);
  return f;
}

// Units of `factor` to pounds (toPounds) or pounds to units; false for a
// factor outside the table, `f` unchanged.
bool Avoirdupois(float& f, int factor, bool toPounds) {
  for (const AvoirRow& row : kAvoirdupois) {
    if (row.factor != factor) continue;
    f = toPounds ? Apply(f, row.toPounds, row.toPoundsBy)
                 : Apply(f, row.fromPounds, row.fromPoundsBy);
    return true;
  }
  return false;
}

// A float cut toward zero to an integer type; values the type cannot hold
// (and NaN) give the type's minimum, the processor's "integer indefinite".
template <typename T>
T CutToInteger(float f) {
  const double low = static_cast<double>(std::numeric_limits<T>::min());
  const double high = -low;  // one past the maximum
  const double d = static_cast<double>(f);
  if (!(d >= low && d < high)) return std::numeric_limits<T>::min();
  return static_cast<T>(d);
}

bool IsAllDigits(const std::string& word) {
  return !word.empty() &&
         std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

int FieldTypeFromName(const std::string& upperName) {
  for (const TypeEntry& entry : kTypeTable)
    if (upperName == entry.name) return entry.code;
  return kTypeNone;
}

const char* FieldTypeName(int code) {
  for (const TypeEntry& entry : kTypeTable)
    if (entry.code == code) return entry.name;
  return "";
}

bool IsNumericType(int code) {
  switch (code) {
    case 1:
    case 2:
    case 6:
    case 7:
    case 8:
    case 9:
    case 10:
    case 16:
    case 21:
    case 22:
      return true;
    default:
      return false;
  }
}

bool IsTextType(int code) {
  switch (code) {
    case 3:
    case 5:
    case 14:
    case 17:
    case 18:
    case 19:
    case 20:
      return true;
    default:
      return false;
  }
}

bool IsSingleCharacterType(int code) {
  switch (code) {
    case 4:
    case 11:
    case 12:
    case 13:
    case 15:
      return true;
    default:
      return false;
  }
}

CQuenzelField::CQuenzelField(int recordNumber, const std::string& auditText,
                             const std::string& auditName, const std::string& fieldName,
                             const std::string& codePage, bool sendOrDelete,
                             const std::string& recordName)
    : m_HostSF(0),
      m_ScaleMS(0),
      m_ScaleSF(0),
      m_HostMS(0),
      m_TotalsMS(0),
      m_ConvertField(false),
      m_ConversionOn(false),
      m_ConversionFlagA(false),
      m_HostUnitsFixed(false),
      m_ConversionFlagB(false),
      m_Type(kTypeString),
      m_Default(0),
      m_Min(-1),
      m_Max(-1),
      m_PseudoNumber(-1),
      m_FieldNumber(Atoi(fieldName)),
      m_Length(0),
      m_SplitCnt1(0),
      m_SplitCnt2(0),
      m_Reserved1(0),
      m_RecordNumber(recordNumber),
      m_Reserved2(false),
      m_Reserved3(false),
      m_Private(false),
      m_NoPartial(false),
      m_DelCtlCh(false),
      m_Supplied(false),
      m_TreatAsText(false),
      m_NoPad(false),
      m_SendOrDelete(sendOrDelete),
      m_AuditName(auditName),
      m_AuditText(auditText),
      m_RecordName(recordName),
      m_CodePage(codePage),
      m_Name(fieldName) {}

CQuenzelField::CQuenzelField(const std::string& /*unused*/, const std::string& auditText,
                             const std::string& auditName, const std::string& fieldName,
                             const std::string& codePage, bool sendOrDelete,
                             const std::string& recordName)
    : CQuenzelField(0, auditText, auditName, fieldName, codePage, sendOrDelete, recordName) {
  m_FieldNumber = -1;
}

CQuenzelField::CQuenzelField(const CQuenzelField& other) = default;
CQuenzelField& CQuenzelField::operator=(const CQuenzelField& other) = default;
CQuenzelField::CQuenzelField(CQuenzelField&& other) noexcept = default;
CQuenzelField& CQuenzelField::operator=(CQuenzelField&& other) noexcept = default;
CQuenzelField::~CQuenzelField() = default;

void CQuenzelField::Reset() {
  m_Supplied = false;
  if (IsNumericType(m_Type))
    SetNumber(m_Default, true);
  else if (IsSingleCharacterType(m_Type))
    SetCharacter(static_cast<unsigned char>(m_Default & 0xFF), true);
  else
    m_Value = m_InitValue;
}

bool CQuenzelField::Read(std::istream& in, bool& noField) {
  noField = false;

  std::string token = ReadToken(in);
  bool numberOk = IsNumberItem(token);
  if (numberOk) m_FieldNumber = Atoi(token);
  if (!numberOk || m_FieldNumber < 1 || m_FieldNumber > kMaxFieldNumber) {
    if (in.eof()) {
      noField = true;
      return true;
    }
    return false;
  }

  m_Type = FieldTypeFromName(ReadToken(in));
  if (m_Type == kTypeNone) return false;

  ReadToken(in);  // the name="..." item, taken by the record reader from the raw line

  if (in.eof()) return false;
  token = ReadToken(in);
  if (!IsNumberItem(token)) return false;
  m_Length = Atoi(token);
  if (m_Length < 1 || m_Length > kMaxLength) return false;

  return IsNumericType(m_Type) ? ReadNumericTail(in) : ReadTextTail(in);
}

bool CQuenzelField::PassesValueListTest(const std::string& token) const {
  return !m_Name.empty() || token.find_first_of("-,") != std::string::npos;
}

bool CQuenzelField::ApplyAttribute(const std::string& token, std::istream& in, bool& error) {
  const bool numeric = IsNumericType(m_Type);
  if (token == "KEYPOS") {
    ReadKeyValue(in, m_KeyPos);
  } else if (token == "KEY") {
    ReadKeyValue(in, m_Key);
  } else if (token == "ERROR" || token == "WARNING") {
    // accepted, no effect
  } else if (token == "NOPARTIAL") {
    m_NoPartial = true;
  } else if (token == "PRIVATE") {
    m_Private = true;
  } else if (token == "PSEUDO") {
    std::string number = ReadToken(in);
    int value = IsNumberItem(number) ? Atoi(number) : 0;
    if (value < 1 || value > kMaxFieldNumber)
      error = true;
    else
      m_PseudoNumber = value;
  } else if (token == "SPLITCNT" && !numeric) {
    in >> m_SplitCnt1;
    if (in.eof()) error = true;
    in >> m_SplitCnt2;
    if (in.eof()) error = true;
  } else if (token == "DELCTLCH" && !numeric) {
    m_DelCtlCh = true;
  } else {
    return false;
  }
  return true;
}

std::string CQuenzelField::ApplyAttributes(std::istream& in, bool& error) {
  std::string token;
  do {
    token = ReadToken(in);
  } while (ApplyAttribute(token, in, error));
  return token;
}

bool CQuenzelField::ReadNumericTail(std::istream& in) {
  std::string word;
  in >> word;
  if (!in.eof() && IsAllDigits(word))
    m_Default = Atoi64(word);
  else if (word == "=")
    m_Default = 0;
  else
    in.setstate(std::ios::eofbit);  // the rest of the line is ignored

  bool error = false;
  std::string token = ApplyAttributes(in, error);
  if (error) return false;
  if (in.eof()) return true;

  if (PassesValueListTest(token)) {
    m_ValueList = token;
    ApplyAttributes(in, error);  // the token that ends them is ignored
    return !error;
  }

  m_Min = m_Max = Atoi64(token);
  token = ApplyAttributes(in, error);
  if (!in.eof()) m_Max = Atoi64(token);
  return !error;
}

bool CQuenzelField::ReadTextTail(std::istream& in) {
  bool error = false;
  std::string first = ReadToken(in);
  if (first.empty() && in.eof()) {
    m_Default = ' ';
    return true;
  }
  if (ApplyAttribute(first, in, error)) {
    m_Default = ' ';
    if (error) return false;
  } else if (first == "INITVALUE=") {
    std::string value = ReadInitialValue(in);
    if (!value.empty()) m_InitValue = value;
  } else if (!first.empty() && first[0] == '#') {
    m_NoPad = true;
    // Shorter marks carry no initial value.
    if (first.size() > kNoPadPrefix) m_InitValue = first.substr(kNoPadPrefix);
  } else if (first.size() == 1) {
    // The default keeps the byte's sign; every reader takes its low byte.
    m_Default = static_cast<signed char>(first[0]);  // NOLINT(*signed-char-misuse,cert-str34-c)
    m_NoPad = false;
  } else {
    m_Default = 0;
    m_NoPad = false;
  }

  if (first.size() > static_cast<std::size_t>(m_Length)) return true;

  std::string token;
  for (;;) {
    token = ReadToken(in);
    if (ApplyAttribute(token, in, error)) continue;
    if (token.find("NAME=") != std::string::npos) return !error;
    break;
  }
  if (in.eof()) return !error;
  if (!IsSingleCharacterType(m_Type)) return false;

  if (PassesValueListTest(token)) {
    m_ValueList = token;
    ApplyAttributes(in, error);  // the token that ends them is ignored
    return !error;
  }
  return ReadValidCharacters(in, token, error) && !error;
}

bool CQuenzelField::ReadValidCharacters(std::istream& in, const std::string& first, bool& error) {
  if (first.size() != 1) return false;
  m_ValidChars.push_back(static_cast<unsigned char>(first[0]));
  for (;;) {
    std::string token = ReadToken(in);
    if (ApplyAttribute(token, in, error)) continue;
    if (token.empty() && in.eof()) break;
    if (token.size() == 1) {
      m_ValidChars.push_back(static_cast<unsigned char>(token[0]));
      continue;
    }
    if (token.find("NAME=") != std::string::npos) break;
    return false;
  }
  unsigned char defaultChar = static_cast<unsigned char>(m_Default & 0xFF);
  return std::find(m_ValidChars.begin(), m_ValidChars.end(), defaultChar) != m_ValidChars.end();
}

// ---------------------------------------------------------------------------
// Setting values from text.

QuenzelError CQuenzelField::SetValue(const std::string& text, bool privateOverride) {
  return SetFromText(text, privateOverride, false);
}

QuenzelError CQuenzelField::SetValueUTF8(const std::string& text, bool privateOverride) {
  return SetFromText(text, privateOverride, true);
}

QuenzelError CQuenzelField::SetFromText(const std::string& text, bool privateOverride, bool utf8) {
  if (m_Private && !privateOverride) return QuenzelError::kNone;
  if (IsSingleCharacterType(m_Type)) return SetCharacterFromText(text, utf8);
  if (IsNumericType(m_Type)) {
    // A PRIVATE numeric field is set only through the number setter.
    if (m_Private) return QuenzelError::kNone;
    return SetNumberFromText(text);
  }
  if (utf8)
    m_Value = text;
  else if (!text.empty())
    m_Value = quenzel::detail::CodePageToUtf8(text, m_CodePage);
  return QuenzelError::kNone;
}

QuenzelError CQuenzelField::SetCharacterFromText(const std::string& text, bool utf8) {
  if (text.empty()) {
    if (!utf8) throw std::out_of_range("invalid string position");
    if (SubstitutesDefault()) {
      m_Value = DefaultCharacterText();
      m_Rejected = ":" + m_Value;
      return QuenzelError::kRangeWarning;
    }
    m_Rejected = m_Value;
    return QuenzelError::kRangeError;
  }
  unsigned char c = static_cast<unsigned char>(text[0]);
  if (c <= 9) c = static_cast<unsigned char>(c + '0');
  return StoreCharacter(c, m_ValueList.empty() || MatchesCharacter(m_ValueList, c));
}

QuenzelError CQuenzelField::StoreCharacter(unsigned char stored, bool listed) {
  m_Value.assign(1, static_cast<char>(stored));
  const bool accepted =
      !m_ValueList.empty()
          ? listed
          : m_ValidChars.empty() ||
                std::find(m_ValidChars.begin(), m_ValidChars.end(), stored) != m_ValidChars.end();
  if (accepted) return QuenzelError::kNone;
  if (SubstitutesDefault()) {
    std::string rejected = m_Value;
    m_Value = DefaultCharacterText();
    m_Rejected = rejected + ":" + m_Value;
    return QuenzelError::kRangeWarning;
  }
  m_Rejected = m_Value;
  return QuenzelError::kRangeError;
}

// A numeric text holds digits and '-' only ('-' anywhere, any number of
// times) and is read up to its first character that is not a digit after
// an optional leading '-'. Digits beyond the 64-bit range are no number
// the field can hold: "Invalid Numeric", like any other text that is no
// number, rather than a silently clamped value.
QuenzelError CQuenzelField::SetNumberFromText(const std::string& text) {
  bool numeric = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == '-';
  });
  bool overflow = false;
  long long v = numeric ? LeadingNumber(text, &overflow) : 0;
  if (!numeric || overflow) {
    m_Rejected = text;
    return QuenzelError::kInvalidNumeric;
  }
  return StoreNumber(v);
}

bool CQuenzelField::SubstitutesDefault() const {
  bool mode = readRegTrueFalse(HKEY_LOCAL_MACHINE, quenzel::detail::kKeyDriver, "QUENZEL",
                               "DEFAULTDATAMODE", "false") != 0;
  return mode && m_KeyPos.empty() && !m_SendOrDelete;
}

bool CQuenzelField::IsWeightConversion() const {
  return m_ConversionOn && IsWeight() && m_ConvertField;
}

std::string CQuenzelField::DefaultCharacterText() const {
  char c = static_cast<char>(m_Default & 0xFF);
  return c == '\0' ? std::string() : std::string(1, c);
}

// Negative numbers are written '-' and the magnitude padded with zeros to
// m_Length - 1 digits (width 5: -42 is "-0042"). The magnitude is written in
// full, whatever its size: a 64-bit magnitude is never cut to 32 bits.
std::string CQuenzelField::FormatNumber(long long v) const {
  if (v >= 0) return std::to_string(v);
  unsigned long long magnitude = 0ULL - static_cast<unsigned long long>(v);
  std::string digits = std::to_string(magnitude);
  std::size_t width = m_Length > 1 ? static_cast<std::size_t>(m_Length - 1) : 0;
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return "-" + digits;
}

QuenzelError CQuenzelField::StoreNumber(long long v) {
  QuenzelError result = QuenzelError::kNone;
  const std::string formatted = FormatNumber(v);
  m_Value = formatted;
  if (m_Length != 0 && formatted.size() > static_cast<std::size_t>(m_Length)) {
    m_Rejected = m_Value;
    result = QuenzelError::kLengthError;
  }
  if (!IsNumericType(m_Type)) return result;  // text types: the width check only

  // Replaces the number by the default after a failed check.
  auto substitute = [&] {
    v = m_Default;
    m_Value = std::to_string(m_Default);
    m_Rejected = formatted + ":" + m_Value;
    return QuenzelError::kRangeWarning;
  };

  if (m_Min != m_Max && (v < m_Min || v > m_Max)) {
    bool mode = readRegTrueFalse(HKEY_LOCAL_MACHINE, quenzel::detail::kKeyDriver, "QUENZEL",
                                 "DEFAULTDATAMODE", "false") != 0;
    if (mode && m_KeyPos.empty() && !m_SendOrDelete) {
      result = substitute();
    } else {
      if (!mode) m_Rejected = m_Value;
      result = QuenzelError::kLengthError;
    }
  } else if (!m_ValueList.empty() && !MatchesNumber(m_ValueList, v)) {
    if (SubstitutesDefault()) {
      result = substitute();
    } else {
      m_Rejected = m_Value;
      result = QuenzelError::kRangeError;
    }
  }

  if (IsWeightConversion()) {
    if (!(m_Type == kTypeNetWeight && m_ScaleMS == 0)) {
      float converted = 0;
      result = Convert(v, m_HostMS, m_HostSF, m_ScaleMS, m_ScaleSF, converted);
      v = CutToInteger<long long>(converted);
    }
    bool outside = m_Max != -1 && (v < m_Min || v > m_Max);
    if (outside || (!m_ValueList.empty() && !MatchesNumber(m_ValueList, v))) {
      if (SubstitutesDefault()) {
        v = m_Default;
        m_Rejected = formatted + ":" + std::to_string(m_Default);
        result = QuenzelError::kRangeWarning;
      } else {
        m_Rejected = m_Value;
        result = QuenzelError::kRangeError;
      }
    }
  }

  if (m_ConversionOn) m_Value = FormatNumber(v);
  return result;
}

// ---------------------------------------------------------------------------
// Weight conversion.

void CQuenzelField::SetFieldConversionDetails(bool conversionOn, int scaleMS, int scaleSF,
                                              int hostMS, int hostSF, int totalsMS,
                                              bool convertField, bool flagA, bool flagB) {
  m_ConversionOn = conversionOn;
  m_ScaleMS = scaleMS;
  m_ScaleSF = scaleSF;
  if (!m_HostUnitsFixed) {
    m_HostMS = hostMS;
    m_HostSF = hostSF;
  }
  m_TotalsMS = totalsMS;
  m_ConvertField = convertField;
  m_ConversionFlagA = flagA;
  m_ConversionFlagB = flagB;
}

void CQuenzelField::WriteConversionEntry(const char* message, int value) const {
  logbook_log_msg(m_AuditName.c_str(), quenzel::detail::kAuditSource, quenzel::detail::kEventRecord,
                  0, 10, 0, message, "%s%d%d%z", m_AuditText.c_str(), m_FieldNumber, value,
                  "CQuenzelField::Convert()");
}

QuenzelError CQuenzelField::Convert(long long value, int sourceMS, int sourceSF, int targetMS,
                                    int targetSF, float& out) {
  if (value == 0) {
    out = 0.0f;
    return QuenzelError::kNone;
  }
  const bool audit = !m_AuditName.empty();
  if (audit) {
    char units[128];  // four ints and the labels take at most 95 bytes
    (void)std::snprintf(units, sizeof units,
                        "HostMS = <%d> HostSF = <%d> ScaleMS = <%d> ScaleSF = <%d> ", sourceMS,
                        sourceSF, targetMS, targetSF);
    logbook_log_msg(m_AuditName.c_str(), quenzel::detail::kAuditSource,
                    quenzel::detail::kEventRecord, 0, 10, 0, units, "%s%d%z", m_AuditText.c_str(),
                    m_FieldNumber, "CQuenzelField::Convert()");
    WriteConversionEntry("Quenzel Weight Field conversion. Before",
                         static_cast<int>(static_cast<unsigned long long>(value) & 0xFFFFFFFFu));
  }

  QuenzelError result = QuenzelError::kNone;
  bool round = true;
  float f = static_cast<float>(value);
  // To the target system's base unit (kilograms or pounds), then to its
  // scaling factor.
  auto decimalTarget = [&](float pounds) {
    if (targetSF < 0) return TimesPowerOfTen(pounds, -static_cast<long long>(targetSF));
    if (targetSF > 0) return DividedByPowerOfTen(pounds, targetSF);
    return pounds;
  };
  auto avoirTarget = [&] {
    if (!Avoirdupois(f, targetSF, false)) result = QuenzelError::kConvertFail;
  };
  auto unscaleNegative = [&] {
    if (sourceSF < 0) f = DividedByPowerOfTen(f, -static_cast<long long>(sourceSF));
  };

  // One branch per pair of systems, as a conversion table reads, though
  // two pairs share their step.
  if (sourceMS < 1 || sourceMS > 3) {
    result = QuenzelError::kConvertFail;
    round = false;
  } else if (targetMS < 1 || targetMS > 3) {
    if (sourceMS == 3) Avoirdupois(f, sourceSF, true);  // converted as far as it goes
    result = QuenzelError::kConvertFail;
    round = false;
  } else if (sourceMS == 1 && targetMS == 1) {  // NOLINT(bugprone-branch-clone)
    f = Rescale(f, sourceSF, targetSF);
  } else if (sourceMS == 1 && targetMS == 2) {
    f = Rescale(Single(static_cast<double>(f) * kPoundsPerKilogram), sourceSF, targetSF);
  } else if (sourceMS == 1 && targetMS == 3) {
    unscaleNegative();
    f = Single(static_cast<double>(f) * kPoundsPerKilogram);
    avoirTarget();
  } else if (sourceMS == 2 && targetMS == 1) {
    unscaleNegative();
    f = decimalTarget(Single(static_cast<double>(f) * kKilogramsPerPound));
  } else if (sourceMS == 2 && targetMS == 2) {
    f = Rescale(f, sourceSF, targetSF);
  } else if (sourceMS == 2 && targetMS == 3) {
    unscaleNegative();
    avoirTarget();
  } else {  // avoirdupois source
    if (!Avoirdupois(f, sourceSF, true)) result = QuenzelError::kConvertFail;
    if (targetMS == 1) {
      f = decimalTarget(Single(static_cast<double>(f) * kKilogramsPerPound));
    } else if (targetMS == 2) {
      if (targetSF < 0) f = TimesPowerOfTen(f, -static_cast<long long>(targetSF));
    } else {
      avoirTarget();
    }
  }

  if (round) {
    float whole;
    if (std::modf(f, &whole) >= 0.5f) f = Single(static_cast<double>(f) + 1.0);
  }
  out = f;
  if (audit) WriteConversionEntry("Quenzel Weight Field conversion. After", CutToInteger<int>(f));
  return result;
}

// ---------------------------------------------------------------------------
// Typed setters.

#define QUENZEL_NUMBER_SETTERS(Type)                                           \
  QuenzelError CQuenzelField::SetValue(Type value, bool privateOverride) {     \
    return SetNumber(static_cast<long long>(value), privateOverride);          \
  }                                                                            \
  QuenzelError CQuenzelField::SetValueUTF8(Type value, bool privateOverride) { \
    return SetNumber(static_cast<long long>(value), privateOverride);          \
  }
QUENZEL_NUMBER_SETTERS(long long)
QUENZEL_NUMBER_SETTERS(int)
QUENZEL_NUMBER_SETTERS(long)
QUENZEL_NUMBER_SETTERS(unsigned int)
QUENZEL_NUMBER_SETTERS(unsigned long)
QUENZEL_NUMBER_SETTERS(short)
QUENZEL_NUMBER_SETTERS(unsigned short)
QUENZEL_NUMBER_SETTERS(unsigned long long)
#undef QUENZEL_NUMBER_SETTERS

// Floats are cut toward zero; values beyond the 64-bit range (and NaN)
// give the 64-bit minimum, as the processor's conversion does.
QuenzelError CQuenzelField::SetValue(float value, bool privateOverride) {
  return SetNumber(CutToInteger<long long>(value), privateOverride);
}
QuenzelError CQuenzelField::SetValueUTF8(float value, bool privateOverride) {
  return SetNumber(CutToInteger<long long>(value), privateOverride);
}

QuenzelError CQuenzelField::SetValue(unsigned char value, bool privateOverride) {
  return SetCharacter(value, privateOverride);
}
QuenzelError CQuenzelField::SetValueUTF8(unsigned char value, bool privateOverride) {
  return SetCharacter(value, privateOverride);
}
QuenzelError CQuenzelField::SetValue(char value, bool privateOverride) {
  return SetCharacter(static_cast<unsigned char>(value), privateOverride);
}
QuenzelError CQuenzelField::SetValueUTF8(char value, bool privateOverride) {
  return SetCharacter(static_cast<unsigned char>(value), privateOverride);
}

// After a default substitution a single-character field holds its default
// as that one character (nothing when the default byte is 0), whichever
// setter substituted it.
QuenzelError CQuenzelField::SetNumber(long long v, bool privateOverride) {
  if (m_Private && !privateOverride) return QuenzelError::kNone;
  if (!IsSingleCharacterType(m_Type)) return StoreNumber(v);

  if (v < 0 || v > 9) {
    m_Rejected.assign(1, static_cast<char>(v & 0xFF));
    return QuenzelError::kConvertFail;
  }
  // The list sees the number 0 to 9, the valid characters its digit.
  const unsigned char digit = static_cast<unsigned char>('0' + v);
  return StoreCharacter(digit, m_ValueList.empty() || MatchesNumber(m_ValueList, v));
}

QuenzelError CQuenzelField::SetCharacter(unsigned char c, bool privateOverride) {
  if (m_Private && !privateOverride) return QuenzelError::kNone;
  if (IsNumericType(m_Type)) {
    if (m_Private) return QuenzelError::kNone;  // only the number setter sets these
    return StoreNumber(c);
  }
  if (!IsSingleCharacterType(m_Type)) return QuenzelError::kNone;

  const unsigned char stored = c <= 9 ? static_cast<unsigned char>(c + '0') : c;
  // The list sees the byte as given, before the digit mapping.
  return StoreCharacter(stored, m_ValueList.empty() || MatchesCharacter(m_ValueList, c));
}

// ---------------------------------------------------------------------------
// Getters.

bool CQuenzelField::ConvertsWeight() const {
  return IsWeightConversion() && !(m_Type == kTypeNetWeight && m_ScaleMS == 0);
}

namespace {

// The check of the number getter: within m_Min..m_Max when a maximum is
// set, then in the value list when there is one.
bool NumberAllowed(long long n, long long min, long long max, const std::string& list) {
  if (max != -1 && (n < min || n > max)) return false;
  return list.empty() || MatchesNumber(list, n);
}

constexpr int kYearPivot = 75;  // two-digit years below it are 20xx

}  // namespace

QuenzelError CQuenzelField::GetNumber(long long& out) {
  if (m_Type == kTypeYear) {
    long long n = Atoi64(m_Value);
    if (n > 99) n %= 100;
    n += n < kYearPivot ? 2000 : 1900;
    out = n;
    if (NumberAllowed(n, m_Min, m_Max, m_ValueList)) return QuenzelError::kNone;
    m_Rejected = m_Value;
    return QuenzelError::kRangeError;
  }
  if (IsNumericType(m_Type)) {
    QuenzelError result = QuenzelError::kNone;
    out = Atoi64(m_Value);
    if (!NumberAllowed(out, m_Min, m_Max, m_ValueList)) {
      m_Rejected = m_Value;
      result = QuenzelError::kRangeError;
    }
    if (!IsWeightConversion()) return result;
    if (ConvertsWeight()) {
      float converted = 0;
      result = Convert(out, m_ScaleMS, m_ScaleSF, m_HostMS, m_HostSF, converted);
      out = CutToInteger<long long>(converted);
    }
    if (!NumberAllowed(out, m_Min, m_Max, m_ValueList)) {
      m_Rejected = m_Value;
      return QuenzelError::kRangeError;
    }
    return result;
  }
  if (IsSingleCharacterType(m_Type)) {
    out = m_Value.empty() ? 0 : static_cast<unsigned char>(m_Value[0]);
    return QuenzelError::kNone;
  }
  m_Rejected = m_Value;
  return QuenzelError::kConvertFail;
}

template <typename T>
QuenzelError CQuenzelField::GetNarrowed(T& out) {
  long long value = 0;
  QuenzelError result = GetNumber(value);
  out = static_cast<T>(value);
  return result;
}

// NOLINTBEGIN(bugprone-macro-parentheses): Type is a type name
#define QUENZEL_NUMBER_GETTERS(Type)                                           \
  QuenzelError CQuenzelField::GetValue(Type& out) { return GetNarrowed(out); } \
  QuenzelError CQuenzelField::GetValueUTF8(Type& out) { return GetNarrowed(out); }
// NOLINTEND(bugprone-macro-parentheses)
QUENZEL_NUMBER_GETTERS(int)
QUENZEL_NUMBER_GETTERS(long)
QUENZEL_NUMBER_GETTERS(unsigned int)
QUENZEL_NUMBER_GETTERS(unsigned long)
QUENZEL_NUMBER_GETTERS(short)
QUENZEL_NUMBER_GETTERS(unsigned short)
QUENZEL_NUMBER_GETTERS(unsigned long long)
QUENZEL_NUMBER_GETTERS(float)
#undef QUENZEL_NUMBER_GETTERS

QuenzelError CQuenzelField::GetValue(long long& out) { return GetNumber(out); }
QuenzelError CQuenzelField::GetValueUTF8(long long& out) { return GetNumber(out); }

QuenzelError CQuenzelField::GetCharacter(unsigned char& out) {
  if (IsSingleCharacterType(m_Type)) {
    out = m_Value.empty() ? 0 : static_cast<unsigned char>(m_Value[0]);
    if (m_ValueList.empty() || MatchesCharacter(m_ValueList, out)) return QuenzelError::kNone;
    m_Rejected = m_Value;
    return QuenzelError::kRangeError;
  }
  if (IsNumericType(m_Type)) {
    long long number = 0;
    QuenzelError result = GetNumber(number);
    out = static_cast<unsigned char>(number & 0xFF);
    bool inRange = m_Max == -1 || (out >= m_Min && out <= m_Max);
    if (!inRange || (!m_ValueList.empty() && !MatchesCharacter(m_ValueList, out))) {
      m_Rejected = m_Value;
      return QuenzelError::kRangeError;
    }
    return result;
  }
  m_Rejected = m_Value;
  return QuenzelError::kConvertFail;
}

QuenzelError CQuenzelField::GetValue(unsigned char& out) { return GetCharacter(out); }
QuenzelError CQuenzelField::GetValueUTF8(unsigned char& out) { return GetCharacter(out); }

QuenzelError CQuenzelField::GetValue(char& out) {
  unsigned char c = static_cast<unsigned char>(out);
  QuenzelError result = GetCharacter(c);
  out = static_cast<char>(c);
  return result;
}

QuenzelError CQuenzelField::GetValueUTF8(char& out) { return GetValue(out); }

QuenzelError CQuenzelField::GetValue(std::string& out) { return GetText(out, false); }
QuenzelError CQuenzelField::GetValueUTF8(std::string& out) { return GetText(out, true); }

QuenzelError CQuenzelField::GetText(std::string& out, bool utf8) {
  if (IsNumericType(m_Type)) {
    const bool padded = m_Value.size() < static_cast<std::size_t>(std::max(m_Length, 0));
    if (!ConvertsWeight()) {
      out = m_Value;
      if (padded) out.insert(0, static_cast<std::size_t>(m_Length) - m_Value.size(), '0');
      return QuenzelError::kNone;
    }
    // The number of the zero-padded text, without building it: leading
    // zeros change nothing before a digit and end the number before
    // anything else (so "-42" padded reads as 0). Fields may be millions of
    // characters long.
    const bool digitFirst = !m_Value.empty() && m_Value[0] >= '0' && m_Value[0] <= '9';
    const int number = padded && !digitFirst ? 0 : Atoi(m_Value);
    float converted = 0;
    QuenzelError result = Convert(number, m_ScaleMS, m_ScaleSF, m_HostMS, m_HostSF, converted);
    out = std::to_string(CutToInteger<long long>(converted));
    return result;
  }
  if (IsTextType(m_Type) || m_TreatAsText) {
    if (m_Value.empty())
      out = m_InitValue;
    else
      out = utf8 ? m_Value : quenzel::detail::Utf8ToCodePage(m_Value, m_CodePage);
    if (!m_NoPad && (m_Default & 0xFF) != 0 &&
        out.size() < static_cast<std::size_t>(std::max(m_Length, 0)))
      out.append(static_cast<std::size_t>(m_Length) - out.size(), ' ');
    return QuenzelError::kNone;
  }
  if (!m_Value.empty()) out.assign(1, m_Value[0]);
  return QuenzelError::kNone;
}

// ---------------------------------------------------------------------------
// Data-record element.

const std::string* CQuenzelField::ElementValue(std::string& number) {
  if (m_TreatAsText) return nullptr;
  if (IsTextType(m_Type)) {
    if (m_Default == 0) return m_Value.empty() ? nullptr : &m_Value;
    // A value of nothing but pad characters over the whole length is the default.
    const char pad = static_cast<char>(m_Default & 0xFF);
    const std::size_t length = static_cast<std::size_t>(std::max(m_Length, 0));
    if (m_Value.size() >= length &&
        std::all_of(m_Value.begin(), m_Value.begin() + static_cast<std::ptrdiff_t>(length),
                    [pad](char c) { return c == pad; }))
      return nullptr;
    return &m_Value;
  }
  if (IsSingleCharacterType(m_Type)) {
    unsigned char c = 0;
    if (GetCharacter(c) != QuenzelError::kNone || c == m_Default) return nullptr;
    return &m_Value;
  }
  long long value = 0;
  if (GetNumber(value) != QuenzelError::kNone || value == m_Default) return nullptr;
  number.clear();
  AppendDecimal(number, value);
  return &number;
}

bool CQuenzelField::AppendElement(std::string& buffer) {
  std::string number;
  const std::string* text = ElementValue(number);
  if (text == nullptr) return false;
  AppendDecimal(buffer, m_FieldNumber);
  buffer.push_back(' ');
  AppendDecimal(buffer, static_cast<long long>(text->size()));
  buffer.append(" \"");
  buffer.append(*text);
  buffer.append("\" ");
  return true;
}

std::ostream& operator<<(std::ostream& out, CQuenzelField& field) {
  if (quenzel::detail::PlainNumbers(out)) {
    std::string element;
    if (field.AppendElement(element)) quenzel::detail::WritePieces(out, {element});
    return out;
  }
  std::string number;
  const std::string* text = field.ElementValue(number);
  if (text != nullptr)
    out << field.m_FieldNumber << ' ' << text->size() << ' ' << '"' << *text << '"' << ' ';
  return out;
}
