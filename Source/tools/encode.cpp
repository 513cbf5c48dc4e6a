// encode: data records from field values, all or nothing per record, and
// exact unless told otherwise: a value the library would store differently
// from what was given is refused (or, with --lenient, written with a
// warning), and every record is read back as decode reads it before it is
// written.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "base64.h"
#include "catalogue.h"
#include "commands.h"
#include "data_record.h"
#include "diagnostics.h"
#include "field_types.h"
#include "field_values.h"
#include "json_records.h"
#include "output.h"
#include "record_input.h"
#include "suggest.h"

namespace quenzel_tool {

namespace {

// The host's measurement system and scaling factor: systems 1 and 2 take
// a power of ten, system 3 a row of the avoirdupois table (-4 to 4).
bool ParseHostUnits(const std::string& text, int& system, int& factor) {
  char comma = 0;
  std::istringstream in(text);
  if (!(in >> system >> comma >> factor) || comma != ',' ||
      in.peek() != std::char_traits<char>::eof())
    return false;
  if (system < 1 || system > 3) return false;
  return system == 3 ? factor >= -4 && factor <= 4 : factor >= -9 && factor <= 9;
}

// A field by number, else by name (given in UTF-8), as the user names it.
CQuenzelField* FindField(CQuenzelRecord& record, const Assignment& assignment) {
  if (assignment.number != -1) return record.FindField(assignment.number);
  int number = 0;
  if (ToNumber(assignment.field, number))
    if (CQuenzelField* field = record.FindField(number)) return field;
  if (CQuenzelField* field = record.FindField(assignment.field)) return field;
  return record.FindField(NameFromUtf8(assignment.field));
}

std::vector<std::string> FieldNames(const CQuenzelRecord& record) {
  std::vector<std::string> names;
  for (const CQuenzelField& field : record.fields) names.push_back(NameToUtf8(field.m_Name));
  return names;
}

// Whether two values of `field` mean the same: numbers by their value,
// everything else byte for byte.
bool SameValue(const CQuenzelField& field, const std::string& a, const std::string& b) {
  if (a == b) return true;
  if (!IsNumericType(field.m_Type)) return false;
  char* endA = nullptr;
  char* endB = nullptr;
  errno = 0;
  const long long x = std::strtoll(a.c_str(), &endA, 10);
  const long long y = std::strtoll(b.c_str(), &endB, 10);
  return errno == 0 && !a.empty() && !b.empty() && *endA == '\0' && *endB == '\0' && x == y;
}

// What the user sees of a stored value: CLOB values decoded.
std::string Shown(const CQuenzelField& field, const std::string& stored) {
  if (!field.IsClob()) return stored;
  return quenzel::detail::DecodeBase64(stored);
}

class Encoder {
 public:
  Encoder(const Catalogue& catalogue, const EncodeOptions& options, Output& out)
      : catalogue_(catalogue), options_(options), out_(out) {
    if (!options_.hostUnits.empty()) ParseHostUnits(options_.hostUnits, system_, factor_);
  }

  // Builds and writes one data record. False when nothing was written;
  // `where` locates the messages (no file: the command line).
  bool Encode(const EncodeRequest& request, const Location& where);
  bool outputFailed() const { return outputFailed_; }

 private:
  // The value a weight field holds is converted from the host's units.
  bool Converts(const CQuenzelField& field) const {
    return !options_.hostUnits.empty() && quenzel::detail::IsWeightType(field.m_Type);
  }
  // Reads `text` back as decode does; reports what it refuses or gives
  // back differently. False when the record must not be written.
  bool ReadBack(const std::string& text, const CQuenzelRecord& definition, CQuenzelRecord& written,
                const std::map<int, std::string>& given, const Location& where,
                const std::string& prefix);
  // A value stored differently from what was given: an error, or with
  // --lenient a warning. True when the record may still be written.
  bool Differs(const Location& where, const std::string& message) {
    Diag().Report(options_.lenient ? Severity::kWarning : Severity::kError, where,
                  message + (options_.lenient ? "" : " (--lenient writes it)"));
    return options_.lenient;
  }

  const Catalogue& catalogue_;
  const EncodeOptions& options_;
  Output& out_;
  int system_ = 0;
  int factor_ = 0;
  bool outputFailed_ = false;
};

bool Encoder::ReadBack(const std::string& text, const CQuenzelRecord& definition,
                       CQuenzelRecord& written, const std::map<int, std::string>& given,
                       const Location& where, const std::string& prefix) {
  CQuenzelRecord back = definition;
  std::istringstream in(text);
  quenzel::detail::DataRecordDiagnosis why;
  quenzel::detail::ReadRecord(in, back, &why);
  if (in.fail()) {
    const std::string said = Explain(back, why);
    if (why.fault == quenzel::detail::DataRecordFault::kEmptyValue) {
      // The format's own way of writing an empty padded text: kept, but
      // the user must know that the record will not read.
      const CQuenzelField* field = written.FindField(why.fieldNumber);
      Diag().Warning(where, prefix + (field != nullptr ? FieldLabel(*field) : said) +
                                ": an empty padded text is written as " +
                                std::to_string(why.fieldNumber) +
                                " 0 \"\", as the data-record format writes it, and a reader "
                                "refuses the record there (an empty value does not read)");
      return true;
    }
    return Differs(where, prefix + "the record as written does not read back: " + said);
  }
  bool ok = true;
  for (const auto& entry : given) {
    const CQuenzelField* mine = written.FindField(entry.first);
    CQuenzelField* theirs = back.FindField(entry.first);
    if (mine == nullptr || theirs == nullptr || Converts(*mine)) continue;
    // Text is sent as stored, in UTF-8, and read in the definition's code
    // page: that difference is the format's, not the value's.
    // A reader keeps a CLOB value decoded, as the user gave it.
    std::string expected = mine->IsClob() ? entry.second : StoredValue(*mine);
    if (IsTextType(mine->m_Type) && !mine->IsClob()) expected = NameToUtf8(expected);
    if (SameValue(*mine, StoredValue(*theirs), expected)) continue;
    ok = Differs(where, prefix + FieldLabel(*mine) + ": " + Quoted(entry.second) +
                            ": a reader of the record gets " + Quoted(StoredValue(*theirs)) +
                            (StoredValue(*mine) == mine->m_InitValue ||
                                     StoredValue(*theirs) == theirs->m_InitValue
                                 ? " (the field is left out of the record)"
                                 : "")) &&
         ok;
  }
  return ok;
}

bool Encoder::Encode(const EncodeRequest& request, const Location& where) {
  // The record key given on the command line or in the JSON line: a
  // number or a name.
  const std::string recordKey = request.record.empty() ? options_.record : request.record;
  if (recordKey.empty()) {
    Diag().Error(where, "no record given (a \"record\" member, or RECORD)");
    return false;
  }
  const CQuenzelRecord* definition = catalogue_.Find(recordKey);
  if (definition == nullptr) {
    Diag().Error(where, catalogue_.NoRecord(recordKey));
    return false;
  }
  if (!request.recordName.empty() && NameFromUtf8(request.recordName) != definition->name) {
    Diag().Error(where, "record " + recordKey + " is " + NameToUtf8(definition->name) + ", not " +
                            request.recordName);
    return false;
  }
  CQuenzelRecord record = *definition;
  if (!options_.hostUnits.empty()) {
    record.DriverSetRecordWeightDetails(system_, factor_, false, false, false);
    std::ostringstream handOver;  // writing hands the settings to the weight fields
    handOver << record;
  }
  const std::string prefix = "record " + std::to_string(record.recordNumber) + ": ";
  const long long errorsBefore = Diag().errors();
  long long refused = 0;
  auto refuse = [&](const std::string& message) {
    Diag().Error(where, prefix + message);
    ++refused;
  };
  std::map<int, const Assignment*> named;  // field number -> where it was given
  std::map<int, std::string> given;        // field number -> the value given
  for (const Assignment& assignment : request.values) {
    CQuenzelField* field = FindField(record, assignment);
    if (field == nullptr) {
      refuse("no field " + assignment.field + DidYouMean(assignment.field, FieldNames(record)) +
             " (" + QuenzelErrorName(QuenzelError::kNotFound) + ")");
      continue;
    }
    if (!assignment.name.empty() && NameFromUtf8(assignment.name) != field->m_Name) {
      refuse(FieldLabel(*field) + " is not called " + assignment.name);
      continue;
    }
    auto first = named.emplace(field->m_FieldNumber, &assignment);
    if (!first.second) {
      refuse(FieldLabel(*field) + " is given twice: " + first.first->second->place + " and " +
             assignment.place);
      continue;
    }
    if (assignment.keepWhenUnchanged && SameValue(*field, StoredValue(*field), assignment.value))
      continue;
    std::string message;
    const SetResult result = SetFromUser(*field, assignment.value, message);
    if (result == SetResult::kRefused) {
      refuse(message);
      continue;
    }
    given.emplace(field->m_FieldNumber, assignment.value);
    const std::string expected =
        field->IsClob() ? quenzel::detail::EncodeBase64(assignment.value) : assignment.value;
    if (result == SetResult::kSubstituted) {
      if (!Differs(where, prefix + message)) ++refused;
    } else if (!Converts(*field) && !SameValue(*field, StoredValue(*field), expected)) {
      if (!Differs(where, prefix + FieldLabel(*field) + ": " + Quoted(assignment.value) +
                              ": the library stores " + Quoted(Shown(*field, StoredValue(*field))) +
                              " (allowed: " + Allowed(*field) + ")"))
        ++refused;
    }
  }
  std::ostringstream text;
  if (refused == 0) {
    text << record;
    if (!ReadBack(text.str(), *definition, record, given, where, prefix)) ++refused;
  }
  if (refused > 0) {
    Diag().Report(Severity::kNote, where,
                  prefix + "not written: " + std::to_string(refused) + " value" +
                      (refused == 1 ? " was" : "s were") + " refused");
    return false;
  }
  if (Diag().errors() > errorsBefore) {  // warnings counted as errors
    Diag().Report(Severity::kNote, where, prefix + "not written (--warnings-as-errors)");
    return false;
  }
  if (!out_.WriteLine(text.str())) outputFailed_ = true;
  return !outputFailed_;
}

// Reads `in` line by line; each line is one record on its own.
int EncodeJsonLines(std::istream& in, const std::string& inputName, Encoder& encoder) {
  int status = kExitOk;
  std::string line;
  for (long long lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    Location where = Location::At(inputName, lineNumber, 1);
    EncodeRequest request;
    JsonError error;
    if (!ParseJsonRecord(line, request, error)) {
      where.column = error.column;
      Diag().Error(where, error.message + "; no record written");
      status = kExitBad;
      continue;
    }
    if (!encoder.Encode(request, where)) status = kExitBad;
    if (encoder.outputFailed()) return kExitBad;
  }
  if (in.bad()) {
    Diag().Error(Location::At(inputName, 0, 0), "a read error stopped the input");
    return kExitBad;
  }
  return status;
}

}  // namespace

int Encode(const CommonOptions& common, const EncodeOptions& options) {
  int system = 0, factor = 0;
  if (!options.hostUnits.empty() && !ParseHostUnits(options.hostUnits, system, factor)) {
    Diag().Error(
        "--host-units takes SYSTEM,FACTOR: system 1 (kilograms) or 2 (decimal pounds) "
        "with a power of ten from -9 to 9, or 3 (avoirdupois pounds) with a factor "
        "from -4 to 4; for example 1,-3 (grams)");
    return kExitUsage;
  }
  if (!options.json && options.record.empty()) {
    Diag().Error("encode needs a RECORD (or --json)");
    return kExitUsage;
  }
  if (!options.json && !options.input.empty()) {
    Diag().Error("-i is for --json input; give values as FIELD=VALUE");
    return kExitUsage;
  }
  EncodeRequest request;
  request.record = options.record;
  for (const std::string& item : options.values) {
    std::size_t equals = item.find('=');
    if (equals == std::string::npos || equals == 0) {
      Diag().Error(item + ": values are written FIELD=VALUE");
      return kExitUsage;
    }
    Assignment assignment;
    assignment.field = item.substr(0, equals);
    assignment.value = item.substr(equals + 1);
    assignment.place = item;
    request.values.push_back(std::move(assignment));
  }
  if (options.json && !request.values.empty()) {
    Diag().Error("with --json the values come from the input, not FIELD=VALUE");
    return kExitUsage;
  }
  const bool jsonFromStdin = options.input.empty() || options.input == "-";
  if (options.json && common.file == "-" && jsonFromStdin) {
    Diag().Error("the definition file and the JSON input cannot both be standard input");
    return kExitUsage;
  }
  if (!OutputSpareInputs(common.output, {common.file, options.json ? options.input : ""}))
    return kExitUsage;
  if (int status = ApplySettings(common); status != kExitOk) return status;
  Catalogue catalogue;
  if (!catalogue.Load(common)) return kExitBad;
  if (!options.record.empty() && catalogue.Find(options.record) == nullptr) {
    Diag().Error(catalogue.NoRecord(options.record));
    return kExitBad;
  }
  std::ifstream file;
  if (options.json && !jsonFromStdin) {
    file.open(options.input, std::ios::binary);
    if (!file) {
      Diag().Error("cannot open " + options.input + ": " + std::strerror(errno));
      return kExitBad;
    }
  }
  Output out;
  if (!out.Open(common.output)) return kExitBad;
  Encoder encoder(catalogue, options, out);
  int status = kExitOk;
  if (!options.json)
    status = encoder.Encode(request, Location()) ? kExitOk : kExitBad;
  else
    status = EncodeJsonLines(jsonFromStdin ? std::cin : file,
                             jsonFromStdin ? "standard input" : options.input, encoder);
  if (status == kExitOk && Diag().warningsAsErrors() && Diag().errors() > 0) status = kExitBad;
  return out.Finish(status == kExitOk) ? status : kExitBad;
}

}  // namespace quenzel_tool
