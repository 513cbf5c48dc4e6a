#include "definition_line.h"

#include <algorithm>
#include <initializer_list>

#include "field_types.h"
#include "line_reader.h"
#include "numbers.h"
#include "quenzel_record.h"
#include "token_reader.h"

namespace quenzel {
namespace detail {

namespace {

struct ActionEntry {
  const char* name;
  ActionCode code;
};

// Looked up in this order; the first whole, exact match wins.
constexpr ActionEntry kActionTable[] = {
    {"SEND", kActionSend},
    {"ENQUIRE", kActionEnquire},
    {"SEARCH", kActionSearch},
    {"RAND_SEARCH", kActionRandSearch},
    {"SEARCHTRANS", kActionSearchTrans},
    {"SEARCHFIRST", kActionSearchFirst},
    {"SEARCHFIRSTLIVE", kActionSearchFirstLive},
    {"SEARCHFIRSTNEXT", kActionSearchFirstNext},
    {"SEARCHFIRSTNEXTRAND", kActionSearchFirstNextRand},
    {"SEARCHFIRSTNEXT2KEY", kActionSearchFirstNext2Key},
    {"TOTALSENQUIRE", kActionTotalsEnquire},
    {"TOTALSSEARCHFIRSTNEXT", kActionTotalsSearchFirstNext},
    {"TOTALSSEARCHFIRSTNEXTRAND", kActionTotalsSearchFirstNextRand},
    {"SEARCHFIRSTNEXTTRANS", kActionSearchFirstNextTrans},
    {"TOTALS_RAND_SEARCH", kActionTotalsRandSearch},
    {"DELETE", kActionDelete},
};

constexpr int kMaxFieldNumber = 9999999;
constexpr int kMaxLength = 99999998;
// A text-tail token that begins with '#' carries its initial value after
// this many characters ("#INITVALUE=" is eleven).
constexpr std::size_t kNoPadPrefix = 11;
constexpr int kEof = std::char_traits<char>::eof();

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
    while ((c = in.get()) != kEof && c != '"') value.push_back(static_cast<char>(c));
  } else {
    for (; c != kEof && c != ' '; c = in.get()) value.push_back(static_cast<char>(c));
  }
  return value.empty() ? std::string(" ") : value;
}

// KEY= and KEYPOS=: the next character that is not a separator or a quote
// must be '='; it is taken either way.
void ReadKeyValue(std::istream& in, std::string& target) {
  int c;
  do {
    c = in.get();
  } while (c != kEof && IsAttributeSeparator(c));
  if (c == '=') target = ReadAttributeValue(in);
}

// The item after INITVALUE=: characters up to a quote or separator, and
// when that is a quote, the quoted text after it.
std::string ReadInitialValue(std::istream& in) {
  std::string value;
  int c;
  while ((c = in.get()) != kEof && c != '"' && c != ' ' && c != '\t' && c != '\r' && c != '\n')
    value.push_back(static_cast<char>(c));
  if (c == '"')
    while ((c = in.get()) != kEof && c != '"') value.push_back(static_cast<char>(c));
  return value;
}

// The tail parser of one field; `error` is set by an attribute whose value
// is invalid.
class TailParser {
 public:
  TailParser(CQuenzelField& field, std::istream& in) : f_(field), in_(in) {}

  bool Numeric();
  bool Text();
  const FieldLineDiagnosis& why() const { return why_; }

 private:
  bool Attribute(const std::string& token);
  // Applies tokens as attributes until one is not; returns that token.
  std::string Attributes();
  bool ValidCharacters(const std::string& first);
  bool PassesValueListTest(const std::string& token) const {
    return !f_.m_Name.empty() || token.find_first_of("-,") != std::string::npos;
  }

  bool Refuse(FieldLineFault fault, const std::string& item = std::string()) {
    why_.fault = fault;
    why_.item = item;
    return false;
  }

  CQuenzelField& f_;
  std::istream& in_;
  bool error_ = false;
  FieldLineDiagnosis why_;
};

bool TailParser::Attribute(const std::string& token) {
  const bool numeric = IsNumericType(f_.m_Type);
  if (token == "KEYPOS") {
    ReadKeyValue(in_, f_.m_KeyPos);
  } else if (token == "KEY") {
    ReadKeyValue(in_, f_.m_Key);
  } else if (token == "ERROR" || token == "WARNING") {
    // accepted, no effect
  } else if (token == "NOPARTIAL") {
    f_.m_NoPartial = true;
  } else if (token == "PRIVATE") {
    f_.m_Private = true;
  } else if (token == "PSEUDO") {
    int value = 0;
    if (!ReadNumberItem(in_, value) || value < 1 || value > kMaxFieldNumber) {
      error_ = true;
      Refuse(FieldLineFault::kBadPseudo);
    } else {
      f_.m_PseudoNumber = value;
    }
  } else if (token == "SPLITCNT" && !numeric) {
    in_ >> f_.m_SplitCnt1;
    if (in_.eof()) error_ = true;
    in_ >> f_.m_SplitCnt2;
    if (in_.eof()) error_ = true;
    if (error_ && why_.fault == FieldLineFault::kNone) Refuse(FieldLineFault::kBadSplitCount);
  } else if (token == "DELCTLCH" && !numeric) {
    f_.m_DelCtlCh = true;
  } else {
    return false;
  }
  return true;
}

std::string TailParser::Attributes() {
  std::string token;
  do {
    token = ReadToken(in_);
  } while (Attribute(token));
  return token;
}

bool TailParser::Numeric() {
  std::string word;
  in_ >> word;
  if (!in_.eof() && IsDigits(word))
    f_.m_Default = Atoi64(word);
  else if (word == "=")
    f_.m_Default = 0;
  else
    in_.setstate(std::ios::eofbit);  // the rest of the line is ignored

  std::string token = Attributes();
  if (error_) return false;
  if (in_.eof()) return true;

  if (PassesValueListTest(token)) {
    f_.m_ValueList = token;
    Attributes();  // the token that ends them is ignored
    return !error_;
  }
  f_.m_Min = f_.m_Max = Atoi64(token);
  token = Attributes();
  if (!in_.eof()) f_.m_Max = Atoi64(token);
  return !error_;
}

bool TailParser::Text() {
  const std::string first = ReadToken(in_);
  if (first.empty() && in_.eof()) {
    f_.m_Default = ' ';
    return true;
  }
  if (Attribute(first)) {
    f_.m_Default = ' ';
    if (error_) return false;
  } else if (first == "INITVALUE=") {
    std::string value = ReadInitialValue(in_);
    if (!value.empty()) f_.m_InitValue = value;
  } else if (!first.empty() && first[0] == '#') {
    f_.m_NoPad = true;
    // Shorter marks carry no initial value.
    if (first.size() > kNoPadPrefix) f_.m_InitValue = first.substr(kNoPadPrefix);
  } else if (first.size() == 1) {
    // The default keeps the byte's sign; every reader takes its low byte.
    f_.m_Default = static_cast<signed char>(first[0]);  // NOLINT(*signed-char-misuse,cert-str34-c)
    f_.m_NoPad = false;
  } else {
    f_.m_Default = 0;
    f_.m_NoPad = false;
  }
  if (first.size() > static_cast<std::size_t>(f_.m_Length)) return true;

  std::string token;
  do {
    token = ReadToken(in_);
  } while (Attribute(token));
  if (token.find("NAME=") != std::string::npos) return !error_;
  if (in_.eof()) return !error_;
  if (!IsSingleCharacterType(f_.m_Type)) return Refuse(FieldLineFault::kUnexpectedItem, token);

  if (PassesValueListTest(token)) {
    f_.m_ValueList = token;
    Attributes();  // the token that ends them is ignored
    return !error_;
  }
  return ValidCharacters(token) && !error_;
}

bool TailParser::ValidCharacters(const std::string& first) {
  if (first.size() != 1) return Refuse(FieldLineFault::kBadValidCharacter, first);
  f_.m_ValidChars.push_back(static_cast<unsigned char>(first[0]));
  for (;;) {
    const std::string token = ReadToken(in_);
    if (Attribute(token)) continue;
    if (token.empty() && in_.eof()) break;
    if (token.size() == 1) {
      f_.m_ValidChars.push_back(static_cast<unsigned char>(token[0]));
      continue;
    }
    if (token.find("NAME=") != std::string::npos) break;
    return Refuse(FieldLineFault::kBadValidCharacter, token);
  }
  const unsigned char defaultChar = static_cast<unsigned char>(f_.m_Default & 0xFF);
  if (std::find(f_.m_ValidChars.begin(), f_.m_ValidChars.end(), defaultChar) !=
      f_.m_ValidChars.end())
    return true;
  return Refuse(FieldLineFault::kDefaultNotValid, std::string(1, static_cast<char>(defaultChar)));
}

}  // namespace

HeaderResult ParseHeaderLine(const std::string& line, int& number, int& action, std::string& name) {
  std::istringstream& header = LineStream(line);
  if (!ReadNumberItem(header, number)) return HeaderResult::kBadNumber;
  if (line.find("table:action") != std::string::npos) {
    // The text between the first and the last double quote, after a lone
    // quote to the end, or the whole line when it has none.
    const std::size_t first = line.find('"');
    const std::size_t last = line.rfind('"');
    if (first == std::string::npos)
      name = line;
    else if (last == first)
      name = line.substr(first + 1);
    else
      name = line.substr(first + 1, last - first - 1);
  }
  action = ActionCodeFromName(ReadToken(header));
  return action == kActionNone ? HeaderResult::kBadAction : HeaderResult::kOk;
}

bool FieldLineName(const std::string& line, std::string& name) {
  const std::size_t at = line.find("name=");
  if (at == std::string::npos) return false;
  const std::size_t open = line.find('"', at);
  if (open == std::string::npos) {
    name.clear();
    return true;
  }
  const std::size_t close = line.find('"', open + 1);
  name = line.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
  return true;
}

std::string FieldLineComment(const std::string& line) {
  const std::size_t at = line.find("//");
  return at == std::string::npos ? std::string() : line.substr(at + 2);
}

bool ParseFieldLine(CQuenzelField& field, std::istream& in, bool& noField,
                    FieldLineDiagnosis* why) {
  FieldLineDiagnosis unused;
  FieldLineDiagnosis& diagnosis = why != nullptr ? *why : unused;
  diagnosis = FieldLineDiagnosis();
  auto refuse = [&diagnosis](FieldLineFault fault, std::string item) {
    diagnosis.fault = fault;
    diagnosis.item = std::move(item);
    return false;
  };
  noField = false;
  int number = 0;
  const bool numberOk = ReadNumberItem(in, number);
  if (numberOk) field.m_FieldNumber = number;
  if (!numberOk || number < 1 || number > kMaxFieldNumber) {
    noField = in.eof();
    return noField || refuse(FieldLineFault::kBadFieldNumber, std::string());
  }
  const std::string type = ReadToken(in);
  field.m_Type = FieldTypeFromName(type);
  if (field.m_Type == kTypeNone) return refuse(FieldLineFault::kUnknownType, type);
  ReadToken(in);  // the name="..." item, taken by the record reader from the raw line

  if (in.eof()) return refuse(FieldLineFault::kNoLength, std::string());
  int length = 0;
  if (!ReadNumberItem(in, length))
    return refuse(in.eof() ? FieldLineFault::kNoLength : FieldLineFault::kBadLength, std::string());
  field.m_Length = length;
  if (length < 1 || length > kMaxLength)
    return refuse(FieldLineFault::kLengthOutOfRange, std::to_string(length));

  TailParser tail(field, in);
  const bool ok = IsNumericType(field.m_Type) ? tail.Numeric() : tail.Text();
  if (!ok) diagnosis = tail.why();
  return ok;
}

bool WithinReaderLimits(const CQuenzelRecord& record) {
  auto fits = [](std::initializer_list<const std::string*> texts) {
    for (const std::string* text : texts)
      if (text->size() > static_cast<std::size_t>(kMaxLinePiece)) return false;
    return true;
  };
  if (record.recordNumber < 0 || *ActionCodeName(record.action) == '\0' ||
      !fits({&record.name, &record.lastFieldName, &record.fieldName, &record.keyF1Name,
             &record.keyF2Name, &record.keyF3Name}))
    return false;
  for (const CQuenzelField& f : record.fields) {
    // Every code of the type table has a class; others have none.
    if (ClassOf(f.m_Type) == TypeClass::kOther || f.m_FieldNumber < 1 ||
        f.m_FieldNumber > kMaxFieldNumber || f.m_PseudoNumber < -1 || f.m_PseudoNumber == 0 ||
        f.m_PseudoNumber > kMaxFieldNumber || f.m_Length < 1 || f.m_Length > kMaxLength ||
        f.m_ValidChars.size() > static_cast<std::size_t>(kMaxLinePiece) ||
        !fits({&f.m_Name, &f.m_RecordName, &f.m_Key, &f.m_KeyPos, &f.m_ValueList, &f.m_InitValue,
               &f.m_Comment, &f.m_Value, &f.m_Rejected}))
      return false;
  }
  return true;
}

}  // namespace detail
}  // namespace quenzel

using quenzel::detail::kActionTable;

int ActionCodeFromName(const std::string& upperName) {
  for (const auto& entry : kActionTable)
    if (upperName == entry.name) return entry.code;
  return kActionNone;
}

const char* ActionCodeName(int code) {
  for (const auto& entry : kActionTable)
    if (entry.code == code) return entry.name;
  return "";
}
