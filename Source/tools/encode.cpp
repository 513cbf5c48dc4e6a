// encode: data records from field values, all or nothing per record.
#include <fstream>
#include <iostream>
#include <sstream>

#include "catalogue.h"
#include "commands.h"
#include "field_values.h"
#include "json_records.h"
#include "output.h"
#include "suggest.h"

namespace quenzel_tool {

namespace {

bool ParseHostUnits(const std::string& text, int& system, int& factor) {
  char comma = 0;
  std::istringstream in(text);
  return (in >> system >> comma >> factor) && comma == ',' &&
         in.peek() == std::char_traits<char>::eof();
}

// A field by number, else by name, as the user names it.
CQuenzelField* FindField(CQuenzelRecord& record, const Assignment& assignment) {
  if (assignment.number != -1) return record.FindField(assignment.number);
  int number = 0;
  if (ToNumber(assignment.field, number))
    if (CQuenzelField* field = record.FindField(number)) return field;
  return record.FindField(assignment.field);
}

std::vector<std::string> FieldNames(const CQuenzelRecord& record) {
  std::vector<std::string> names;
  for (const CQuenzelField& field : record.fields) names.push_back(field.m_Name);
  return names;
}

class Encoder {
 public:
  Encoder(const Catalogue& catalogue, const EncodeOptions& options, Output& out)
      : catalogue_(catalogue), options_(options), out_(out) {}

  // Builds and writes one data record. False when nothing was written;
  // `where` prefixes every message ("" or "INPUT:LINE: ").
  bool Encode(const EncodeRequest& request, const std::string& where);
  bool outputFailed() const { return outputFailed_; }

 private:
  const Catalogue& catalogue_;
  const EncodeOptions& options_;
  Output& out_;
  bool outputFailed_ = false;
};

bool Encoder::Encode(const EncodeRequest& request, const std::string& where) {
  // The record key given on the command line or in the JSON line: a
  // number or a name.
  const std::string recordKey = request.record.empty() ? options_.record : request.record;
  if (recordKey.empty()) {
    std::cerr << "quenzel: " << where << "no record given (a \"record\" member, or RECORD)\n";
    return false;
  }
  const CQuenzelRecord* definition = catalogue_.Find(recordKey);
  if (definition == nullptr) {
    std::cerr << "quenzel: " << where << catalogue_.name() << " has no record " << recordKey
              << DidYouMean(recordKey, catalogue_.RecordNames()) << "\n";
    return false;
  }
  if (!request.recordName.empty() && request.recordName != definition->name) {
    std::cerr << "quenzel: " << where << "record " << recordKey << " is " << definition->name
              << ", not " << request.recordName << "\n";
    return false;
  }
  CQuenzelRecord record = *definition;
  if (!options_.hostUnits.empty()) {
    int system = 0, factor = 0;
    ParseHostUnits(options_.hostUnits, system, factor);
    record.DriverSetRecordWeightDetails(system, factor, false, false, false);
    std::ostringstream handOver;  // writing hands the settings to the weight fields
    handOver << record;
  }
  const std::string prefix =
      "quenzel: " + where + "record " + std::to_string(record.recordNumber) + ": ";
  std::vector<std::string> refused, substituted;
  for (const Assignment& assignment : request.values) {
    CQuenzelField* field = FindField(record, assignment);
    if (field == nullptr) {
      refused.push_back("no field " + assignment.field +
                        DidYouMean(assignment.field, FieldNames(record)) + " (" +
                        QuenzelErrorName(QuenzelError::kNotFound) + ")");
      continue;
    }
    if (!assignment.name.empty() && assignment.name != field->m_Name) {
      refused.push_back(FieldLabel(*field) + " is not called " + assignment.name);
      continue;
    }
    if (assignment.keepWhenUnchanged && StoredValue(*field) == assignment.value) continue;
    std::string message;
    switch (SetFromUser(*field, assignment.value, message)) {
      case SetResult::kSet:
        break;
      case SetResult::kSubstituted:
        substituted.push_back(message);
        break;
      case SetResult::kRefused:
        refused.push_back(message);
        break;
    }
  }
  if (!refused.empty()) {
    for (const std::string& message : refused) std::cerr << prefix << message << "\n";
    std::cerr << prefix << "not written: " << refused.size() << " value"
              << (refused.size() == 1 ? " was" : "s were") << " refused\n";
    return false;
  }
  for (const std::string& message : substituted)
    std::cerr << prefix << "warning: " << message << "\n";
  std::ostringstream text;
  text << record;
  if (!out_.WriteLine(text.str())) outputFailed_ = true;
  return !outputFailed_;
}

// Reads `in` line by line; each line is one record on its own.
int EncodeJsonLines(std::istream& in, const std::string& inputName, Encoder& encoder) {
  int status = kExitOk;
  std::string line;
  for (long long lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
    const std::string where = inputName + ":" + std::to_string(lineNumber) + ": ";
    EncodeRequest request;
    std::string error;
    if (!ParseJsonRecord(line, request, error)) {
      std::cerr << "quenzel: " << where << error << "; no record written\n";
      status = kExitBad;
      continue;
    }
    if (!encoder.Encode(request, where)) status = kExitBad;
    if (encoder.outputFailed()) return kExitBad;
  }
  if (in.bad()) {
    std::cerr << "quenzel: " << inputName << ": a read error stopped the input\n";
    return kExitBad;
  }
  return status;
}

}  // namespace

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
  if (!options.json && !options.input.empty()) {
    std::cerr << "quenzel: -i is for --json input; give values as FIELD=VALUE\n";
    return kExitUsage;
  }
  EncodeRequest request;
  request.record = options.record;
  for (const std::string& item : options.values) {
    std::size_t equals = item.find('=');
    if (equals == std::string::npos || equals == 0) {
      std::cerr << "quenzel: " << item << ": values are written FIELD=VALUE\n";
      return kExitUsage;
    }
    Assignment assignment;
    assignment.field = item.substr(0, equals);
    assignment.value = item.substr(equals + 1);
    request.values.push_back(std::move(assignment));
  }
  if (options.json && !request.values.empty()) {
    std::cerr << "quenzel: with --json the values come from the input, not FIELD=VALUE\n";
    return kExitUsage;
  }
  if (options.json && common.file == "-" && (options.input.empty() || options.input == "-")) {
    std::cerr << "quenzel: the definition file and the JSON input cannot both be standard input\n";
    return kExitUsage;
  }
  if (int status = ApplySettings(common); status != kExitOk) return status;
  Catalogue catalogue;
  if (!catalogue.Load(common)) return kExitBad;
  if (!options.record.empty() && catalogue.Find(options.record) == nullptr) {
    std::cerr << "quenzel: " << catalogue.name() << " has no record " << options.record
              << DidYouMean(options.record, catalogue.RecordNames()) << "\n";
    return kExitBad;
  }
  Output out;
  if (!out.Open(common.output)) return kExitBad;
  Encoder encoder(catalogue, options, out);
  int status = kExitOk;
  if (!options.json) {
    status = encoder.Encode(request, "") ? kExitOk : kExitBad;
  } else if (options.input.empty() || options.input == "-") {
    status = EncodeJsonLines(std::cin, "standard input", encoder);
  } else {
    std::ifstream in(options.input, std::ios::binary);
    if (!in) {
      std::cerr << "quenzel: cannot open " << options.input << "\n";
      return kExitBad;
    }
    status = EncodeJsonLines(in, options.input, encoder);
  }
  return out.Finish() ? status : kExitBad;
}

}  // namespace quenzel_tool
