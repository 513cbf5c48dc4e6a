// Record definition: construction, copying, the registry's measurement
// settings and the reader of one record block of the definition file.
//
// A block is a header line (after its '#': record number, action word, and
// optionally "table:action" with the record name in double quotes) followed
// by field lines up to the next line that begins with '#' or the end of the
// file. Blank and comment-only lines inside a block are skipped. The format
// is described in docs/definition-format.md.
#include "quenzel_record.h"

#include <strings.h>

#include <sstream>
#include <utility>

#include "host_services.h"
#include "read_error.h"
#include "text_readers.h"

using quenzel::detail::kKeyDriver;

namespace {

struct ActionEntry {
  const char* name;
  int code;
};

// Looked up in this order; the first whole, exact match wins.
constexpr ActionEntry kActionTable[] = {
    {"SEND", 0},
    {"ENQUIRE", 1},
    {"SEARCH", 2},
    {"RAND_SEARCH", 3},
    {"SEARCHTRANS", 4},
    {"SEARCHFIRST", 5},
    {"SEARCHFIRSTLIVE", 6},
    {"SEARCHFIRSTNEXT", 7},
    {"SEARCHFIRSTNEXTRAND", 8},
    {"SEARCHFIRSTNEXT2KEY", 9},
    {"TOTALSENQUIRE", 11},
    {"TOTALSSEARCHFIRSTNEXT", 12},
    {"TOTALSSEARCHFIRSTNEXTRAND", 13},
    {"SEARCHFIRSTNEXTTRANS", 10},
    {"TOTALS_RAND_SEARCH", 14},
    {"DELETE", 15},
};

constexpr const char* kReadOperation = "CQuenzelRecord::Read()";
constexpr int kDefaultSystem = 1;
constexpr int kDefaultScalingFactor = -3;

// Measurement system code of a registry text; `knowsAvoir` for the one
// setting that may name avoirdupois pounds.
int SystemCode(const std::string& text, bool knowsAvoir) {
  if (strcasecmp(text.c_str(), "decimal") == 0) return 2;
  if (knowsAvoir && strcasecmp(text.c_str(), "avoir") == 0) return 3;
  return kDefaultSystem;
}

std::string ReadSystemSetting(const char* valueName) {
  return registry.read(HKEY_LOCAL_MACHINE, kKeyDriver, "system", valueName, "", 0);
}

int ReadScalingSetting(const char* valueName) {
  return readRegInt(HKEY_LOCAL_MACHINE, kKeyDriver, "system", valueName, "-3");
}

// A string stream over one definition line. Building a stream costs more
// than reading a typical line, so each thread reuses one, reset to the
// state of a new stream: no error state, at the line's start, default
// format flags.
std::istringstream& LineStream(const std::string& line) {
  thread_local std::istringstream stream;
  stream.clear();
  stream.flags(std::ios::skipws | std::ios::dec);
  stream.width(0);
  stream.str(line);
  return stream;
}

// The record name of a header line that contains "table:action": the text
// between its first and last double quote, after a lone quote to the end,
// or the whole line when it has none.
std::string HeaderName(const std::string& line) {
  std::size_t first = line.find('"');
  if (first == std::string::npos) return line;
  std::size_t last = line.rfind('"');
  if (last == first) return line.substr(first + 1);
  return line.substr(first + 1, last - first - 1);
}

// The field name of a field line: the text between the first double quote
// at or after "name=" and the next one (to the end of the line when that
// one is missing). Empty when no quote follows "name=".
bool FieldLineName(const std::string& line, std::string& fieldName) {
  std::size_t at = line.find("name=");
  if (at == std::string::npos) return false;
  std::size_t open = line.find('"', at);
  if (open == std::string::npos) {
    fieldName.clear();
    return true;
  }
  std::size_t close = line.find('"', open + 1);
  fieldName =
      line.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
  return true;
}

}  // namespace

int ActionCodeFromName(const std::string& upperName) {
  for (const ActionEntry& entry : kActionTable)
    if (upperName == entry.name) return entry.code;
  return kActionNone;
}

const char* ActionCodeName(int code) {
  for (const ActionEntry& entry : kActionTable)
    if (entry.code == code) return entry.name;
  return "";
}

CQuenzelRecord::CQuenzelRecord()
    : sourceBaseWeightUnits(kDefaultSystem),
      sourceTotalsBaseWeightUnits(kDefaultSystem),
      sourceScalingFactor(kDefaultScalingFactor),
      sourceTotalsScalingFactor(kDefaultScalingFactor),
      destinationBaseWeightUnits(0),
      destinationScalingFactor(0),
      netWeightBaseWeightUnits(kDefaultSystem),
      netWeightScalingFactor(kDefaultScalingFactor),
      priceUnits(kDefaultSystem),
      uomFlag(false),
      conversionOn(false),
      priceBaseFlag(false),
      backwardCompatible(false),
      highResolution(false),
      rangeWarning(false),
      seventhFlag(false),
      action(kActionNone),
      recordNumber(0) {}

CQuenzelRecord::CQuenzelRecord(const std::string& path, const std::string& log) : CQuenzelRecord() {
  definitionPath = path;
  logName = log;
  sourceBaseWeightUnits = GetSourceBaseWeightUnits();
  sourceTotalsBaseWeightUnits = GetSourceTotalsBaseWeightUnits();
  sourceScalingFactor = GetSourceScalingFactor();
  sourceTotalsScalingFactor = GetSourceTotalsScalingFactor();
  netWeightBaseWeightUnits = GetNetWeightBaseWeightUnits();
  netWeightScalingFactor = GetNetWeightScalingFactor();
  priceUnits = GetPriceUnits();
}

CQuenzelRecord::CQuenzelRecord(int number) : CQuenzelRecord() { recordNumber = number; }

CQuenzelRecord::CQuenzelRecord(const std::string& recordName) : CQuenzelRecord() {
  name = recordName;
}

CQuenzelRecord::CQuenzelRecord(const CQuenzelRecord& other) : CQuenzelRecord() { *this = other; }

// Assignment copies (or moves) every member but the two working texts of
// Read, then rebuilds the indexes: the name index starts from the source's.
template <typename Other>
void CQuenzelRecord::AssignFrom(Other&& other) {
  if (this != &other) {
    name = std::forward<Other>(other).name;
    codepage = std::forward<Other>(other).codepage;
    recordNumber = other.recordNumber;
    action = other.action;
    logName = std::forward<Other>(other).logName;
    definitionPath = std::forward<Other>(other).definitionPath;
    keyF1Name = std::forward<Other>(other).keyF1Name;
    keyF2Name = std::forward<Other>(other).keyF2Name;
    keyF3Name = std::forward<Other>(other).keyF3Name;
    sourceBaseWeightUnits = other.sourceBaseWeightUnits;
    sourceTotalsBaseWeightUnits = other.sourceTotalsBaseWeightUnits;
    sourceScalingFactor = other.sourceScalingFactor;
    sourceTotalsScalingFactor = other.sourceTotalsScalingFactor;
    destinationBaseWeightUnits = other.destinationBaseWeightUnits;
    destinationScalingFactor = other.destinationScalingFactor;
    netWeightBaseWeightUnits = other.netWeightBaseWeightUnits;
    netWeightScalingFactor = other.netWeightScalingFactor;
    priceUnits = other.priceUnits;
    uomFlag = other.uomFlag;
    conversionOn = other.conversionOn;
    priceBaseFlag = other.priceBaseFlag;
    backwardCompatible = other.backwardCompatible;
    highResolution = other.highResolution;
    rangeWarning = other.rangeWarning;
    seventhFlag = other.seventhFlag;
    fields = std::forward<Other>(other).fields;
    fieldsByName = std::forward<Other>(other).fieldsByName;
  }
  RebuildIndexes();
}

// AssignFrom copies nothing onto itself; the indexes are rebuilt either way.
// NOLINTNEXTLINE(cert-oop54-cpp)
CQuenzelRecord& CQuenzelRecord::operator=(const CQuenzelRecord& other) {
  AssignFrom(other);
  return *this;
}

// Moving rebuilds the field indexes, which allocates: not noexcept.
// NOLINTNEXTLINE(performance-noexcept-move-constructor)
CQuenzelRecord::CQuenzelRecord(CQuenzelRecord&& other) : CQuenzelRecord() {
  AssignFrom(std::move(other));
}

// NOLINTNEXTLINE(performance-noexcept-move-constructor)
CQuenzelRecord& CQuenzelRecord::operator=(CQuenzelRecord&& other) {
  AssignFrom(std::move(other));
  return *this;
}

CQuenzelRecord::~CQuenzelRecord() = default;

void CQuenzelRecord::RebuildIndexes() {
  fieldsByNumber.clear();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    int position = static_cast<int>(i);
    fieldsByNumber.emplace(std::to_string(fields[i].m_FieldNumber), position);
    fieldsByName.emplace(fields[i].m_Name, position);
  }
}

CQuenzelField* CQuenzelRecord::FindField(int number) {
  auto it = fieldsByNumber.find(std::to_string(number));
  return it == fieldsByNumber.end() ? nullptr : &fields[it->second];
}

CQuenzelField* CQuenzelRecord::FindField(std::string fieldName_) {
  auto it = fieldsByName.find(fieldName_);
  return it == fieldsByName.end() ? nullptr : &fields[it->second];
}

CQuenzelField* CQuenzelRecord::GetFieldByIdx(unsigned int index) {
  return index < fields.size() ? &fields[index] : nullptr;
}

int CQuenzelRecord::GetSourceBaseWeightUnits() const {
  return SystemCode(ReadSystemSetting("WeightMeasurementSystem"), false);
}

int CQuenzelRecord::GetSourceTotalsBaseWeightUnits() const {
  return SystemCode(ReadSystemSetting("TotalsWeightMeasurementSystem"), false);
}

int CQuenzelRecord::GetNetWeightBaseWeightUnits() const {
  return SystemCode(ReadSystemSetting("NetWeightMeasurementSystem"), true);
}

int CQuenzelRecord::GetPriceUnits() const {
  return SystemCode(ReadSystemSetting("PriceMeasurementSystem"), false);
}

int CQuenzelRecord::GetSourceScalingFactor() const {
  return ReadScalingSetting("WeightScalingSystem");
}

int CQuenzelRecord::GetSourceTotalsScalingFactor() const {
  return ReadScalingSetting("TotalsWeightScalingSystem");
}

int CQuenzelRecord::GetNetWeightScalingFactor() const {
  return ReadScalingSetting("NetWeightScalingSystem");
}

bool CQuenzelRecord::GetBackwardCompatibleMode() const {
  return registry.readBool(HKEY_LOCAL_MACHINE, kKeyDriver, "system", "FixedWeightUnits", "", 0);
}

bool CQuenzelRecord::Read(std::istream& in) {
  using quenzel::detail::ReadLine;
  std::string line;
  ReadLine(in, line);
  if (!ReadHeader(line)) return false;
  if (in.eof()) return true;

  bool ok = true;
  while (ok && !in.eof()) {
    if (in.peek() == '#') break;  // the next block begins; its '#' stays for the catalogue
    ReadLine(in, line);
    ok = ReadFieldLine(line);
  }
  return ok;
}

bool CQuenzelRecord::ReadHeader(const std::string& line) {
  using namespace quenzel::detail;
  std::istringstream& header = LineStream(line);
  std::string token = ReadToken(header);
  if (!IsNumberItem(token)) {
    ReportReadError(ReadErrorKind::kBadHeader, definitionPath, 0, 0);
    if (!logName.empty())
      logbook_log_msg(logName.c_str(), kAuditSource, kEventRecord, 0, 10, 0, "Quenzel Read Error",
                      "%s%d%d%z", definitionPath.c_str(), LineCounter(), TokenCounter(),
                      kReadOperation);
    return false;
  }
  recordNumber = Atoi(token);

  if (line.find("table:action") != std::string::npos) name = HeaderName(line);

  token = ReadToken(header);
  action = ActionCodeFromName(token);
  if (action == kActionNone) {
    ReportReadError(ReadErrorKind::kBadAction, definitionPath, recordNumber, 0);
    return false;
  }
  return true;
}

bool CQuenzelRecord::ReadFieldLine(const std::string& line) {
  using namespace quenzel::detail;
  if (FieldLineName(line, lastFieldName)) fieldName = lastFieldName;

  bool sendOrDelete = action == kActionSend || action == kActionDelete;
  CQuenzelField field(recordNumber, definitionPath, logName, fieldName, codepage, sendOrDelete,
                      name);
  std::size_t comment = line.find("//");
  if (comment != std::string::npos) field.m_Comment = line.substr(comment + 2);

  std::istringstream& fieldLine = LineStream(line);
  bool noField = false;
  if (!field.Read(fieldLine, noField)) {
    ReportReadError(ReadErrorKind::kBadField, definitionPath, recordNumber, field.m_FieldNumber);
    if (!logName.empty())
      logbook_log_msg(logName.c_str(), kAuditSource, kEventRecord, 0, 10, 0, "Quenzel Read Error",
                      "%s%d%d%d%d%z", definitionPath.c_str(), recordNumber, field.m_FieldNumber,
                      LineCounter(), TokenCounter(), kReadOperation);
    return false;
  }
  if (noField) return true;

  if (field.m_KeyPos == "F1")
    keyF1Name = field.m_Name;
  else if (field.m_KeyPos == "F2")
    keyF2Name = field.m_Name;
  else if (field.m_KeyPos == "F3")
    keyF3Name = field.m_Name;
  field.Reset();
  fields.push_back(field);
  return true;
}

// ---------------------------------------------------------------------------
// Field lookup and keys.

CQuenzelField* CQuenzelRecord::CreateField(const std::string& key) {
  const int position = static_cast<int>(fields.size());
  CQuenzelField field(recordNumber, definitionPath, logName, key, codepage, true, "");
  field.m_Comment = key;
  fieldsByNumber.emplace(key, position);
  fieldsByName.emplace(key, position);
  fields.push_back(field);
  return &fields.back();
}

CQuenzelField* CQuenzelRecord::CreateFindField(int number) {
  CQuenzelField* field = FindField(number);
  return field != nullptr ? field : CreateField(std::to_string(number));
}

CQuenzelField* CQuenzelRecord::CreateFindField(std::string key) {
  auto byName = fieldsByName.find(key);
  if (byName != fieldsByName.end()) return &fields[byName->second];
  auto byNumber = fieldsByNumber.find(key);
  if (byNumber != fieldsByNumber.end()) return &fields[byNumber->second];
  return CreateField(key);
}

bool CQuenzelRecord::CheckKeyFieldSupplied() {
  for (const std::string* key : {&keyF1Name, &keyF2Name, &keyF3Name}) {
    if (key->empty()) continue;
    CQuenzelField* field = FindField(*key);
    if (field != nullptr && field->m_Supplied) return true;
  }
  if (name.find("DELETEONE") != std::string::npos) {
    for (const char* key : {"F1", "F2", "F3"}) {
      CQuenzelField* field = FindField(std::string(key));
      if (field != nullptr && field->m_Supplied) return true;
    }
    return false;
  }
  return keyF1Name.empty() && keyF2Name.empty() && keyF3Name.empty();
}

void CQuenzelRecord::Reset() {
  std::vector<CQuenzelField> kept;
  bool removed = false;
  for (CQuenzelField& field : fields) {
    if (field.m_TreatAsText) {
      removed = true;  // both indexes are rebuilt below
    } else {
      field.Reset();
    }
  }
  if (!removed) return;
  for (CQuenzelField& field : fields)
    if (!field.m_TreatAsText) kept.push_back(std::move(field));
  fields = std::move(kept);
  fieldsByNumber.clear();
  fieldsByName.clear();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    fieldsByNumber.emplace(std::to_string(fields[i].m_FieldNumber), static_cast<int>(i));
    fieldsByName.emplace(fields[i].m_Name, static_cast<int>(i));
  }
}

void CQuenzelRecord::GetField(std::string fieldName_, unsigned char& value) {
  CQuenzelField* field = FindField(fieldName_);
  if (field == nullptr)
    throw CQuenzelException("GetField", definitionPath, -1, name, fieldName_, "", "");
  HandOver(*field, HandOverSite::kGetField);
  QuenzelError result = field->GetValue(value);
  lastFieldName = field->m_Comment;
  if (result == QuenzelError::kNone) return;
  throw CQuenzelException("GetField", definitionPath, static_cast<int>(result), name, fieldName_,
                          field->m_Rejected, field->m_Comment);
}

// ---------------------------------------------------------------------------
// Measurement settings.

void CQuenzelRecord::HandOver(CQuenzelField& field, HandOverSite site) const {
  const bool totals = action >= kActionSearchFirstNextTrans;
  const bool highResWeight = field.m_Type == kTypeWeightHiRes && highResolution;
  int scaleMS = sourceBaseWeightUnits;
  int scaleSF = sourceScalingFactor;
  switch (site) {
    case HandOverSite::kReader:
      if (field.m_Type == kTypeNetWeight) {
        scaleMS = netWeightBaseWeightUnits;
        scaleSF = netWeightScalingFactor;
      } else {
        scaleMS = totals ? sourceTotalsBaseWeightUnits : sourceBaseWeightUnits;
        scaleSF = highResWeight ? -4 : totals ? sourceTotalsScalingFactor : sourceScalingFactor;
      }
      break;
    case HandOverSite::kWriter:
      if (field.m_Type == kTypeNetWeight) {
        scaleMS = netWeightBaseWeightUnits;
        scaleSF = netWeightScalingFactor;
      } else if (highResWeight) {
        scaleSF = -4;
      }
      break;
    case HandOverSite::kGetField:
      if (field.m_Type == kTypeNetWeight && conversionOn) {
        scaleMS = netWeightBaseWeightUnits;
        scaleSF = netWeightScalingFactor;
      }
      break;
  }
  field.SetFieldConversionDetails(conversionOn, scaleMS, scaleSF, destinationBaseWeightUnits,
                                  destinationScalingFactor, priceUnits, uomFlag, priceBaseFlag,
                                  backwardCompatible);
}

void CQuenzelRecord::WeightConversionOn(bool on) { conversionOn = on; }

void CQuenzelRecord::DriverSetFieldWeightDetails(int fieldNumber, int hostMS, int hostSF) {
  for (CQuenzelField& field : fields) {
    if (field.m_FieldNumber != fieldNumber) continue;
    field.m_HostSF = hostSF;
    field.m_HostMS = hostMS;
    field.m_HostUnitsFixed = true;
    uomFlag = true;
    conversionOn = true;
    return;
  }
}

void CQuenzelRecord::DriverSetRecordWeightDetails(int hostMS, int hostSF, bool compatible,
                                                  bool /*unused*/, bool uomOn) {
  destinationBaseWeightUnits = hostMS;
  destinationScalingFactor = hostSF;
  sourceBaseWeightUnits = hostMS;
  const bool agree = sourceTotalsBaseWeightUnits == hostMS && sourceScalingFactor == hostSF &&
                     sourceTotalsScalingFactor == sourceScalingFactor &&
                     netWeightScalingFactor == sourceScalingFactor &&
                     netWeightBaseWeightUnits == hostMS && priceUnits == hostMS;
  if (!highResolution && agree) {
    conversionOn = false;  // host and scale count alike
    return;
  }
  conversionOn = true;
  backwardCompatible = compatible;
  priceBaseFlag = GetPriceBase();
  uomFlag = uomOn ? true : GetUOMFieldValue();
}

unsigned char CQuenzelRecord::RecordCharacter(const char* fieldName_, int type) {
  unsigned char value = 255;
  try {
    GetField(fieldName_, value);
    return value;
  } catch (const CQuenzelException&) {
    for (CQuenzelField& field : fields) {
      if (field.m_Type != type) continue;
      unsigned char c = 255;
      field.GetValue(c);
      return c;
    }
  }
  return 255;
}

bool CQuenzelRecord::GetPriceBase() { return RecordCharacter("PB", kTypePriceBase) == '1'; }

bool CQuenzelRecord::GetUOMFieldValue() { return RecordCharacter("UOM", kTypeUom) == '0'; }

// ---------------------------------------------------------------------------
// Data records on streams; the format is described in
// docs/data-record-format.md.

namespace {

// A number token of the data record: decimal digits only.
bool ReadNumber(std::istream& in, int& number) {
  return quenzel::detail::ReadNumberItem(in, number);
}

// What an unformatted input's sentry does (without skipping blanks): a
// stream that is not good gets the fail bit, a tied stream is flushed.
// Spelled out because the reader runs it twice per field.
bool ReadyForInput(std::istream& in) {
  if (!in.good()) {
    in.setstate(std::ios::failbit);
    return false;
  }
  if (in.tie() != nullptr) in.tie()->flush();
  return in.good();
}

// Skips one byte as the stream's ignore(1) does.
void SkipByte(std::istream& in) {
  if (ReadyForInput(in) && in.rdbuf()->sbumpc() == std::char_traits<char>::eof())
    in.setstate(std::ios::eofbit);
}

// Takes up to `length` bytes, stopping before a zero byte (which stays in
// the stream), as the stream's character-array extraction does: at the end
// of the stream the end-of-file state is set, and when nothing could be
// taken the fail state. Memory grows with the bytes actually present, never
// with the length the data claims.
void ExtractValue(std::istream& in, unsigned long long length, std::string& value) {
  value.clear();
  if (!ReadyForInput(in)) return;
  std::streambuf* sb = in.rdbuf();
  std::ios::iostate state = std::ios::goodbit;
  constexpr int kEof = std::char_traits<char>::eof();
  // Bytes are gathered in blocks, so memory follows the bytes that arrive.
  char block[512];
  std::size_t filled = 0;
  unsigned long long taken = 0;
  int c = sb->sgetc();
  while (taken < length && c != kEof && c != '\0') {
    block[filled++] = static_cast<char>(c);
    ++taken;
    if (filled == sizeof block) {
      value.append(block, filled);
      filled = 0;
    }
    c = sb->snextc();
  }
  if (filled > 0) value.append(block, filled);
  if (c == kEof) state |= std::ios::eofbit;
  if (value.empty()) state |= std::ios::failbit;
  if (state != std::ios::goodbit) in.setstate(state);
}

int Base64Value(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

// Decodes a Base64 value: bytes outside the alphabet are ignored, '=' pads;
// decoding works in groups of four and keeps what it emitted when the input
// ends inside a group. The result stops at its first zero byte.
std::string DecodeBase64(const std::string& text) {
  std::string out;
  if (text.size() < 4) return out;
  std::size_t pos = 0;
  for (;;) {
    int values[4];
    bool padded[4];
    for (int k = 0; k < 4; ++k) {
      while (pos < text.size() && text[pos] != '=' &&
             Base64Value(static_cast<unsigned char>(text[pos])) < 0)
        ++pos;
      if (pos == text.size()) return out.substr(0, out.find('\0'));
      padded[k] = text[pos] == '=';
      values[k] = padded[k] ? 0 : Base64Value(static_cast<unsigned char>(text[pos]));
      ++pos;
    }
    if (!padded[0] && !padded[1]) {
      out.push_back(static_cast<char>((values[0] << 2) + (values[1] >> 4)));
      if (!padded[2]) {
        out.push_back(static_cast<char>(((values[1] << 4) + (values[2] >> 2)) & 255));
        if (!padded[3]) out.push_back(static_cast<char>(((values[2] << 6) + values[3]) & 255));
      }
    }
    if (padded[3] || text.size() - pos < 4) break;
  }
  return out.substr(0, out.find('\0'));
}

bool Continues(QuenzelError result) {
  return result == QuenzelError::kNone || result == QuenzelError::kRangeError ||
         result == QuenzelError::kRangeWarning;
}

// Sets a field from a data-record value: PRIVATE fields are left alone and
// CLOB values are Base64.
QuenzelError SetFromRecord(CQuenzelField& field, const std::string& value) {
  if (field.m_Private) return QuenzelError::kNone;
  if (field.m_Type == kTypeClob) return field.SetValue(DecodeBase64(value), false);
  return field.SetValue(value, false);
}

// The three long texts of records 8 and 9: head field and continuation
// ranges, relative to 0 (record 8) or 1000 (record 9).
struct SplitText {
  int head;
  int firstFrom, firstTo;
  int secondFrom, secondTo;
};
constexpr SplitText kSplitTexts[] = {
    {8740, 8741, 8759, 8050, 8089},
    {8820, 8821, 8839, 8900, 8939},
    {8760, 8761, 8779, 8090, 8129},
};

}  // namespace

// Records 8 and 9 carry three long texts that may arrive in pieces: a head
// field starts each text, continuation numbers the record does not define
// append to it (a defined one is set as its own field), and the heads are
// set from their texts once the record is complete.
std::istream& CQuenzelRecord::ReadSplitRecord(std::istream& in) {
  CQuenzelRecord& record = *this;
  const int offset = record.recordNumber == 9 ? 1000 : 0;
  std::string texts[3];
  bool failed = false;
  std::string value;
  for (;;) {
    int fieldNumber = 0, length = 0;
    if (!ReadNumber(in, fieldNumber)) {
      failed = true;
      break;
    }
    if (fieldNumber == 0) break;
    if (!ReadNumber(in, length)) {
      failed = true;
      break;
    }
    CQuenzelField* field = record.FindField(fieldNumber);
    SkipByte(in);
    ExtractValue(in, static_cast<unsigned long long>(length), value);
    if (field == nullptr) {
      if (in.good()) {
        for (int t = 0; t < 3; ++t) {
          const SplitText& s = kSplitTexts[t];
          int n = fieldNumber - offset;
          if ((n >= s.firstFrom && n <= s.firstTo) || (n >= s.secondFrom && n <= s.secondTo))
            texts[t] += value;
        }
      }
      SkipByte(in);
      continue;
    }
    if (!in.good()) continue;  // the next number token fails the read
    if (field->m_Type == kTypeUom) record.uomFlag = value[0] == '0';
    if (field->m_Type == kTypePriceBase) record.priceBaseFlag = value[0] == '1';
    if (field->IsWeight()) record.HandOver(*field, HandOverSite::kReader);
    int head = -1;
    for (int t = 0; t < 3; ++t)
      if (fieldNumber == kSplitTexts[t].head + offset) head = t;
    if (head >= 0) {
      texts[head] = value;
      SkipByte(in);
      continue;
    }
    QuenzelError result = SetFromRecord(*field, value);
    if (result == QuenzelError::kRangeWarning) record.rangeWarning = true;
    if (Continues(result)) SkipByte(in);
  }
  for (int t = 0; t < 3; ++t) {
    CQuenzelField* head = record.FindField(kSplitTexts[t].head + offset);
    if (head == nullptr) continue;
    // Results are ignored; an empty text on a single-character head raises,
    // which is ignored the same way.
    try {
      head->SetValue(texts[t], false);
    } catch (const std::out_of_range&) {
    }
  }
  if (failed) in.setstate(std::ios::failbit);
  return in;
}

std::istream& operator>>(std::istream& in, CQuenzelRecord& record) {
  int number = 0;
  if (!ReadNumber(in, number) || number != record.recordNumber) {
    in.setstate(std::ios::failbit);
    return in;
  }
  if (record.recordNumber == 8 || record.recordNumber == 9) return record.ReadSplitRecord(in);
  std::string value;
  for (;;) {
    int fieldNumber = 0, length = 0;
    if (!ReadNumber(in, fieldNumber)) break;
    if (fieldNumber == 0) return in;
    if (!ReadNumber(in, length)) break;
    CQuenzelField* field = record.FindField(fieldNumber);
    if (field == nullptr) break;
    SkipByte(in);
    ExtractValue(in, static_cast<unsigned long long>(length), value);
    if (!in.good()) break;
    if (record.action >= kActionSearchFirstNextTrans && field->m_Type == kTypeUom)
      record.uomFlag = value[0] == '0';
    if (field->IsWeight()) record.HandOver(*field, CQuenzelRecord::HandOverSite::kReader);
    if (!Continues(SetFromRecord(*field, value))) break;
    SkipByte(in);
  }
  in.setstate(std::ios::failbit);
  return in;
}

void CQuenzelRecord::AppendDataRecord(std::string& buffer) {
  buffer.assign(std::to_string(recordNumber)).push_back(' ');
  for (CQuenzelField& field : fields) {
    if (field.IsWeight()) HandOver(field, HandOverSite::kWriter);
    field.AppendElement(buffer);
  }
  buffer.append("0 ");
}

std::ostream& operator<<(std::ostream& out, CQuenzelRecord& record) {
  if (quenzel::detail::PlainNumbers(out)) {
    // The whole record is formatted first and handed to the stream at once:
    // the same bytes the field writer gives, without a stream call per piece.
    thread_local std::string buffer;
    record.AppendDataRecord(buffer);
    quenzel::detail::WritePieces(out, {buffer});
    if (buffer.capacity() > (1u << 20)) std::string().swap(buffer);  // no lasting large buffers
    return out;
  }
  out << record.recordNumber << ' ';
  for (CQuenzelField& field : record.fields) {
    if (field.IsWeight()) record.HandOver(field, CQuenzelRecord::HandOverSite::kWriter);
    out << field;
  }
  out << "0 ";
  return out;
}
