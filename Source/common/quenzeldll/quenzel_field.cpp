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
#include <cstring>

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
CQuenzelField::~CQuenzelField() = default;

void CQuenzelField::Reset() {
  m_Supplied = false;
  if (IsNumericType(m_Type)) {
    m_Value = std::to_string(m_Default);
  } else if (IsSingleCharacterType(m_Type)) {
    char c = static_cast<char>(m_Default & 0xFF);
    m_Value = c == '\0' ? std::string() : std::string(1, c);
  } else {
    m_Value = m_InitValue;
  }
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
    m_Default = static_cast<signed char>(first[0]);
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
