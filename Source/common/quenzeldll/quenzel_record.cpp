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

CQuenzelRecord& CQuenzelRecord::operator=(const CQuenzelRecord& other) {
  if (this != &other) {
    name = other.name;
    codepage = other.codepage;
    recordNumber = other.recordNumber;
    action = other.action;
    logName = other.logName;
    definitionPath = other.definitionPath;
    keyF1Name = other.keyF1Name;
    keyF2Name = other.keyF2Name;
    keyF3Name = other.keyF3Name;
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
    fields = other.fields;
    fieldsByName = other.fieldsByName;
  }
  RebuildIndexes();
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
  std::istringstream header(line);
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

  std::istringstream fieldLine(line);
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
