#include "commands.h"

#include <quenzel.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string_view>

#include "base64.h"
#include "cfgstore.h"
#include "registry_keys.h"
#include "registry_pointer.h"

namespace quenzel_tool {

namespace {

using json = nlohmann::ordered_json;

// A registry text as the library reads it.
std::string ReadRegistryText(const quenzel::settings::Setting& setting) {
  return registry.read(HKEY_LOCAL_MACHINE, setting.key, setting.section, setting.value, "", 0);
}

constexpr const char* kDefaultCodePage = "1252";

void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
  ::_putenv_s(name, value.c_str());
#else
  ::setenv(name, value.c_str(), 1);
#endif
}

bool IsNumber(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Line `number` of `path` (from 1), for showing where a read stopped.
std::string LineOfFile(const std::string& path, int number) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  for (int i = 0; i < number && std::getline(in, line); ++i) {
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void PrintReadError(const std::string& path) {
  QuenzelReadError error = QuenzelLastReadError();
  std::ostringstream where;
  where << path << ":" << error.line << ": token " << error.token << ": ";
  switch (error.kind) {
    case ReadErrorKind::kUnicode:
      std::cerr << path << ": the file is UTF-16 text; save it as 8-bit text\n";
      return;
    case ReadErrorKind::kOpenFailed:
      std::cerr << path << ": cannot open the file (missing, unreadable, or not a regular file)\n";
      return;
    case ReadErrorKind::kReadFailed:
      std::cerr << path << ":" << error.line << ": a read error stopped reading the file\n";
      return;
    case ReadErrorKind::kNone:
      std::cerr << path << ": the file could not be loaded\n";
      return;
    case ReadErrorKind::kBadHeader:
      std::cerr << where.str() << "record header without a record number\n";
      break;
    case ReadErrorKind::kBadAction:
      std::cerr << where.str() << "record " << error.recordNumber
                << ": missing or unknown action word\n";
      break;
    case ReadErrorKind::kBadField:
      std::cerr << where.str() << "record " << error.recordNumber << ": invalid field line (field "
                << error.fieldNumber << ")\n";
      break;
  }
  std::cerr << "    " << LineOfFile(path, error.line) << "\n";
}

// Applies the common options to this process's registry and audit log,
// then loads the definition file. False (after saying why) on failure.
bool LoadCatalogue(const CommonOptions& common, CQuenzelFile& catalogue,
                   DefinitionLocation& location) {
  if (!common.registry.empty()) SetEnvironment("CFGSTORE_FILE", common.registry);
  if (!common.logDir.empty()) SetEnvironment("LOGBOOK_DIR", common.logDir);
  if (!common.logName.empty()) EnableAuditLog();
  if (!common.codePage.empty())
    SetCodePage(common.codePage);
  else if (ReadRegistryText(quenzel::settings::kCodepage).empty())
    SetCodePage(kDefaultCodePage);
  std::string error;
  if (!location.PointAt(common.file, error)) {
    std::cerr << "quenzel: " << error << "\n";
    return false;
  }
  if (!catalogue.Initialise(location.fileName(), common.logName, nullptr, "")) {
    PrintReadError(common.file);
    return false;
  }
  return true;
}

// The value of a text of digits; false when it is none or does not fit.
bool ToNumber(std::string_view text, int& value) {
  if (!IsNumber(std::string(text))) return false;
  auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

// A record by number, else by name.
CQuenzelRecord* FindRecord(CQuenzelFile& catalogue, const std::string& which) {
  int number = 0;
  if (ToNumber(which, number)) {
    if (CQuenzelRecord* record = catalogue.GetRecord(number)) return record;
  }
  return catalogue.GetRecord(which);
}

// A field by number, else by name.
CQuenzelField* FindField(CQuenzelRecord& record, const std::string& which) {
  int number = 0;
  if (ToNumber(which, number)) {
    if (CQuenzelField* field = record.FindField(number)) return field;
  }
  return record.FindField(which);
}

// The catalogue's records in record-number order.
std::vector<CQuenzelRecord*> RecordsByNumber(CQuenzelFile& catalogue) {
  std::vector<CQuenzelRecord*> records;
  for (auto& entry : catalogue.records) records.push_back(&entry.second);
  std::stable_sort(records.begin(), records.end(),
                   [](const CQuenzelRecord* a, const CQuenzelRecord* b) {
                     return a->recordNumber < b->recordNumber;
                   });
  return records;
}

std::vector<std::string> KeyFields(const CQuenzelRecord& record) {
  std::vector<std::string> keys;
  for (const std::string* key : {&record.keyF1Name, &record.keyF2Name, &record.keyF3Name})
    if (!key->empty()) keys.push_back(*key);
  return keys;
}

std::string Joined(const std::vector<std::string>& items, const char* empty = "-") {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ",") + item;
  return text.empty() ? empty : text;
}

std::string Trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t");
  std::size_t last = text.find_last_not_of(" \t");
  return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string ActionName(int action) {
  const char* name = ActionCodeName(action);
  return *name ? name : "-";
}

// The default as the definition gives it: a number, a character, or a
// text field's initial value.
std::string DefaultText(const CQuenzelField& f) {
  if (IsNumericType(f.m_Type)) return std::to_string(f.m_Default);
  if (IsSingleCharacterType(f.m_Type)) {
    char c = static_cast<char>(f.m_Default & 0xFF);
    return c == '\0' ? std::string() : std::string(1, c);
  }
  return f.m_InitValue;
}

std::string RangeText(const CQuenzelField& f) {
  if (f.m_Min == -1 && f.m_Max == -1) return std::string();
  return std::to_string(f.m_Min) + ".." + std::to_string(f.m_Max);
}

std::vector<std::string> Attributes(const CQuenzelField& f) {
  std::vector<std::string> attributes;
  if (f.m_Private) attributes.emplace_back("PRIVATE");
  if (f.m_NoPartial) attributes.emplace_back("NOPARTIAL");
  if (f.m_DelCtlCh) attributes.emplace_back("DELCTLCH");
  if (f.m_PseudoNumber != -1) attributes.emplace_back("PSEUDO " + std::to_string(f.m_PseudoNumber));
  if (f.m_SplitCnt1 != 0 || f.m_SplitCnt2 != 0)
    attributes.emplace_back("SPLITCNT " + std::to_string(f.m_SplitCnt1) + " " +
                            std::to_string(f.m_SplitCnt2));
  if (!f.m_Key.empty()) attributes.emplace_back("KEY=" + f.m_Key);
  if (!IsNumericType(f.m_Type) && !IsSingleCharacterType(f.m_Type)) {
    if (f.m_NoPad)
      attributes.emplace_back("NOPAD");
    else if ((f.m_Default & 0xFF) != 0)
      attributes.emplace_back("PADDED");
  }
  return attributes;
}

json FieldJson(const CQuenzelField& f) {
  return json{{"number", f.m_FieldNumber},
              {"name", f.m_Name},
              {"type", FieldTypeName(f.m_Type)},
              {"length", f.m_Length},
              {"default", DefaultText(f)},
              {"min", f.m_Min},
              {"max", f.m_Max},
              {"valueList", f.m_ValueList},
              {"validCharacters", std::string(f.m_ValidChars.begin(), f.m_ValidChars.end())},
              {"attributes", Attributes(f)},
              {"keyPosition", f.m_KeyPos},
              {"comment", Trimmed(f.m_Comment)}};
}

json RecordJson(const CQuenzelRecord& record, bool withFields) {
  json out{{"number", record.recordNumber},
           {"name", record.name},
           {"action", ActionName(record.action)},
           {"fieldCount", record.fields.size()},
           {"keys", KeyFields(record)}};
  if (withFields) {
    out["fields"] = json::array();
    for (const CQuenzelField& field : record.fields) out["fields"].push_back(FieldJson(field));
  }
  return out;
}

std::string Dump(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

void PrintRecordTable(const std::vector<CQuenzelRecord*>& records) {
  std::printf("%8s  %-24s %-26s %6s  %s\n", "NUMBER", "NAME", "ACTION", "FIELDS", "KEYS");
  for (const CQuenzelRecord* record : records)
    std::printf("%8d  %-24s %-26s %6zu  %s\n", record->recordNumber,
                record->name.empty() ? "-" : record->name.c_str(),
                ActionName(record->action).c_str(), record->fields.size(),
                Joined(KeyFields(*record)).c_str());
}

void PrintFieldTable(const CQuenzelRecord& record) {
  std::printf("record %d %s, action %s, %zu field%s, keys %s\n", record.recordNumber,
              record.name.empty() ? "-" : record.name.c_str(), ActionName(record.action).c_str(),
              record.fields.size(), record.fields.size() == 1 ? "" : "s",
              Joined(KeyFields(record)).c_str());
  std::printf("%8s  %-16s %-11s %6s  %-12s %-14s %-12s %-6s %-4s %-20s %s\n", "NUMBER", "NAME",
              "TYPE", "LENGTH", "DEFAULT", "RANGE", "LIST", "VALID", "KEY", "ATTRIBUTES",
              "COMMENT");
  for (const CQuenzelField& f : record.fields) {
    std::string dash = "-";
    auto orDash = [&](const std::string& text) { return text.empty() ? dash : text; };
    std::printf(
        "%8d  %-16s %-11s %6d  %-12s %-14s %-12s %-6s %-4s %-20s %s\n", f.m_FieldNumber,
        orDash(f.m_Name).c_str(), FieldTypeName(f.m_Type), f.m_Length,
        orDash(DefaultText(f)).c_str(), orDash(RangeText(f)).c_str(), orDash(f.m_ValueList).c_str(),
        orDash(std::string(f.m_ValidChars.begin(), f.m_ValidChars.end())).c_str(),
        orDash(f.m_KeyPos).c_str(), Joined(Attributes(f)).c_str(), Trimmed(f.m_Comment).c_str());
  }
}

// Hands the record's measurement settings to its weight fields, as writing
// a data record does, so that values set afterwards convert.
void HandOverSettings(CQuenzelRecord& record) {
  std::ostringstream discard;
  discard << record;
}

bool ParseHostUnits(const std::string& text, int& system, int& factor) {
  char comma = 0;
  std::istringstream in(text);
  return (in >> system >> comma >> factor) && comma == ',' &&
         in.peek() == std::char_traits<char>::eof();
}

// Sets one value and reports a refusal or substitution on stderr. False
// when the value was rejected. CLOB values are given plain and stored as
// Base64, as a host must store them for the scale.
bool SetField(CQuenzelRecord& record, const std::string& fieldSpec, const std::string& plain) {
  CQuenzelField* field = FindField(record, fieldSpec);
  if (field == nullptr) {
    std::cerr << QuenzelErrorName(QuenzelError::kNotFound) << ": record " << record.recordNumber
              << " has no field " << fieldSpec << "\n";
    return false;
  }
  if (field->m_Private) {
    std::cerr << "note: field " << field->m_FieldNumber << " (" << field->m_Name
              << ") is PRIVATE; its value is not set\n";
    return true;
  }
  const std::string value = field->IsClob() ? quenzel::detail::EncodeBase64(plain) : plain;
  QuenzelError result = field->SetValueUTF8(value, false);
  if (result == QuenzelError::kNone) return true;
  std::cerr << QuenzelErrorName(result) << ": field " << field->m_FieldNumber << " ("
            << field->m_Name
            << "): " << (result == QuenzelError::kRangeWarning ? "substituted " : "rejected ")
            << field->m_Rejected << "\n";
  return result == QuenzelError::kRangeWarning;
}

// Builds one data record from a template and values; prints it. False when
// a value was rejected.
bool EncodeOne(CQuenzelRecord& templateRecord,
               const std::vector<std::pair<std::string, std::string>>& values,
               const EncodeOptions& options) {
  CQuenzelRecord record = templateRecord;
  if (!options.hostUnits.empty()) {
    int system = 0, factor = 0;
    ParseHostUnits(options.hostUnits, system, factor);
    record.DriverSetRecordWeightDetails(system, factor, false, false, false);
    HandOverSettings(record);
  }
  bool ok = true;
  for (const auto& value : values) ok = SetField(record, value.first, value.second) && ok;
  std::cout << record << "\n";
  return ok;
}

std::string JsonValueText(const json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "1" : "0";
  return value.dump();
}

int EncodeJsonLines(CQuenzelFile& catalogue, const EncodeOptions& options) {
  int status = kExitOk;
  std::string line;
  for (int lineNumber = 1; std::getline(std::cin, line); ++lineNumber) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    json object = json::parse(line, nullptr, false);
    if (object.is_discarded() || !object.is_object()) {
      std::cerr << "quenzel: stdin line " << lineNumber << ": not a JSON object\n";
      status = kExitBad;
      continue;
    }
    std::string recordSpec = options.record;
    if (object.contains("record")) recordSpec = JsonValueText(object["record"]);
    CQuenzelRecord* record = FindRecord(catalogue, recordSpec);
    if (record == nullptr) {
      std::cerr << "quenzel: stdin line " << lineNumber << ": no record " << recordSpec << "\n";
      status = kExitBad;
      continue;
    }
    std::vector<std::pair<std::string, std::string>> values;
    if (object.contains("fields") && object["fields"].is_object())
      for (auto& item : object["fields"].items())
        values.emplace_back(item.key(), JsonValueText(item.value()));
    if (!EncodeOne(*record, values, options)) status = kExitBad;
  }
  return status;
}

std::string ReadInputs(const std::vector<std::string>& inputs) {
  std::ostringstream data;
  if (inputs.empty()) {
    data << std::cin.rdbuf();
  } else {
    for (const std::string& input : inputs) {
      std::ifstream in(input, std::ios::binary);
      data << in.rdbuf();
    }
  }
  return data.str();
}

// The record number at `offset` (after separators), without consuming it.
bool PeekRecordNumber(const std::string& data, std::size_t offset, int& number) {
  std::size_t end = offset;
  while (end < data.size() && data[end] >= '0' && data[end] <= '9') ++end;
  return ToNumber(std::string_view(data).substr(offset, end - offset), number);
}

json DecodedJson(CQuenzelRecord& record) {
  json out{{"record", record.recordNumber}, {"name", record.name}, {"fields", json::array()}};
  for (CQuenzelField& field : record.fields) {
    std::string value;
    field.GetValueUTF8(value);
    out["fields"].push_back(
        json{{"number", field.m_FieldNumber}, {"name", field.m_Name}, {"value", value}});
  }
  return out;
}

}  // namespace

int Check(const CommonOptions& common) {
  CQuenzelFile catalogue;
  DefinitionLocation location;
  if (!LoadCatalogue(common, catalogue, location)) return kExitBad;
  std::vector<CQuenzelRecord*> records = RecordsByNumber(catalogue);
  std::printf("%s: %zu record%s\n", common.file.c_str(), records.size(),
              records.size() == 1 ? "" : "s");
  if (!records.empty()) PrintRecordTable(records);
  return kExitOk;
}

int Show(const CommonOptions& common, const ShowOptions& options) {
  CQuenzelFile catalogue;
  DefinitionLocation location;
  if (!LoadCatalogue(common, catalogue, location)) return kExitBad;
  if (options.record.empty()) {
    std::vector<CQuenzelRecord*> records = RecordsByNumber(catalogue);
    if (options.json) {
      json out = json::array();
      for (const CQuenzelRecord* record : records) out.push_back(RecordJson(*record, true));
      std::cout << Dump(out) << "\n";
    } else {
      PrintRecordTable(records);
    }
    return kExitOk;
  }
  CQuenzelRecord* record = FindRecord(catalogue, options.record);
  if (record == nullptr) {
    std::cerr << "quenzel: " << common.file << " has no record " << options.record << "\n";
    return kExitBad;
  }
  if (options.json)
    std::cout << Dump(RecordJson(*record, true)) << "\n";
  else
    PrintFieldTable(*record);
  return kExitOk;
}

int Encode(const CommonOptions& common, const EncodeOptions& options) {
  int system = 0, factor = 0;
  if (!options.hostUnits.empty() && !ParseHostUnits(options.hostUnits, system, factor)) {
    std::cerr << "quenzel: --host-units takes SYSTEM,FACTOR, for example 1,-3\n";
    return kExitUsage;
  }
  if (!options.json && options.record.empty()) {
    std::cerr << "quenzel: encode needs a RECORD (or --json)\n";
    return kExitUsage;
  }
  std::vector<std::pair<std::string, std::string>> values;
  for (const std::string& item : options.values) {
    std::size_t equals = item.find('=');
    if (equals == std::string::npos || equals == 0) {
      std::cerr << "quenzel: " << item << ": values are written FIELD=VALUE\n";
      return kExitUsage;
    }
    values.emplace_back(item.substr(0, equals), item.substr(equals + 1));
  }
  CQuenzelFile catalogue;
  DefinitionLocation location;
  if (!LoadCatalogue(common, catalogue, location)) return kExitBad;
  if (options.json) return EncodeJsonLines(catalogue, options);
  CQuenzelRecord* record = FindRecord(catalogue, options.record);
  if (record == nullptr) {
    std::cerr << "quenzel: " << common.file << " has no record " << options.record << "\n";
    return kExitBad;
  }
  return EncodeOne(*record, values, options) ? kExitOk : kExitBad;
}

int Decode(const CommonOptions& common, const DecodeOptions& options) {
  CQuenzelFile catalogue;
  DefinitionLocation location;
  if (!LoadCatalogue(common, catalogue, location)) return kExitBad;
  CQuenzelRecord* fixed = nullptr;
  if (!options.record.empty() && (fixed = FindRecord(catalogue, options.record)) == nullptr) {
    std::cerr << "quenzel: " << common.file << " has no record " << options.record << "\n";
    return kExitBad;
  }
  const std::string data = ReadInputs(options.inputs);
  std::istringstream in(data);
  for (;;) {
    std::size_t start = data.find_first_not_of(" \t\r\n", static_cast<std::size_t>(in.tellg()));
    if (start == std::string::npos) return kExitOk;
    CQuenzelRecord* definition = fixed;
    int number = 0;
    if (definition == nullptr) {
      if (!PeekRecordNumber(data, start, number)) {
        std::cerr << "quenzel: byte " << start << ": no record number\n";
        return kExitBad;
      }
      if ((definition = catalogue.GetRecord(number)) == nullptr) {
        std::cerr << "quenzel: byte " << start << ": record " << number << " is not defined in "
                  << common.file << "\n";
        return kExitBad;
      }
    }
    CQuenzelRecord record = *definition;
    in.seekg(static_cast<std::streamoff>(start));
    in >> record;
    if (in.fail()) {
      in.clear();
      std::streamoff stopped = in.tellg();
      std::cerr << "quenzel: byte " << start << ": record " << record.recordNumber
                << " does not read (stopped at byte "
                << (stopped < 0 ? static_cast<std::streamoff>(data.size()) : stopped) << ")\n";
      return kExitBad;
    }
    std::cout << Dump(DecodedJson(record)) << "\n";
    if (in.tellg() < 0) return kExitOk;  // the record ended with the data
  }
}

}  // namespace quenzel_tool
