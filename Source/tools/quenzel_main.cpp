// quenzel: work with definition files by hand.
//
//   quenzel check FILE [--codepage N] [--log NAME]
//
// The tool only dispatches: it parses arguments, calls the library, prints
// and returns a status (0 success, 1 the file or data is bad, 2 usage).
#include <quenzel.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "registry_pointer.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitBad = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: quenzel <command> [options]\n"
    "\n"
    "commands:\n"
    "  check FILE [--codepage N] [--log NAME]\n"
    "      load a definition file; print its records, or the line that fails\n"
    "\n"
    "options:\n"
    "  --codepage N   code page of the definition file (for example 1252)\n"
    "  --log NAME     also write read errors to the audit log NAME\n";

struct Options {
  std::vector<std::string> positional;
  std::string codePage;
  std::string logName;
};

// Parses "--name value" options and positional arguments. False with a
// message on stderr for an unknown option or a missing value.
bool ParseOptions(const std::vector<std::string>& args, Options& options) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::string* target = nullptr;
    if (arg == "--codepage") target = &options.codePage;
    if (arg == "--log") target = &options.logName;
    if (target == nullptr) {
      if (arg.size() > 1 && arg[0] == '-') {
        std::cerr << "quenzel: unknown option " << arg << "\n";
        return false;
      }
      options.positional.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) {
      std::cerr << "quenzel: " << arg << " needs a value\n";
      return false;
    }
    *target = args[++i];
  }
  return true;
}

// Line `number` of `path` (from 1), for showing the user where a read stopped.
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
  std::string where = path;
  switch (error.kind) {
    case ReadErrorKind::kUnicode:
      std::cerr << path << ": the file is UTF-16 text; save it as 8-bit text\n";
      return;
    case ReadErrorKind::kOpenFailed:
      std::cerr << path << ": cannot open the file\n";
      return;
    case ReadErrorKind::kBadHeader:
      std::cerr << path << ":" << error.line << ": token " << error.token
                << ": record header without a record number\n";
      break;
    case ReadErrorKind::kBadAction:
      std::cerr << path << ":" << error.line << ": token " << error.token << ": record "
                << error.recordNumber << ": missing or unknown action word\n";
      break;
    case ReadErrorKind::kBadField:
      std::cerr << path << ":" << error.line << ": token " << error.token << ": record "
                << error.recordNumber << ": invalid field line (field " << error.fieldNumber
                << ")\n";
      break;
    case ReadErrorKind::kNone:
      std::cerr << path << ": the file could not be loaded\n";
      return;
  }
  std::cerr << "    " << LineOfFile(path, error.line) << "\n";
}

// Loads FILE through the library. False (after printing why) when it fails.
bool LoadCatalogue(const Options& options, CQuenzelFile& catalogue,
                   quenzel_tool::DefinitionLocation& location) {
  const std::string& path = options.positional[0];
  std::string error;
  if (!location.PointAt(path, error)) {
    std::cerr << "quenzel: " << error << "\n";
    return false;
  }
  if (!options.codePage.empty()) quenzel_tool::SetCodePage(options.codePage);
  if (!options.logName.empty()) quenzel_tool::EnableAuditLog();
  if (!catalogue.Initialise(location.fileName(), options.logName, nullptr, "")) {
    PrintReadError(path);
    return false;
  }
  return true;
}

// The catalogue's records in record-number order (first entry per number).
std::vector<const CQuenzelRecord*> RecordsByNumber(const CQuenzelFile& catalogue) {
  std::vector<const CQuenzelRecord*> records;
  for (const auto& entry : catalogue.records) records.push_back(&entry.second);
  std::stable_sort(records.begin(), records.end(),
                   [](const CQuenzelRecord* a, const CQuenzelRecord* b) {
                     return a->recordNumber < b->recordNumber;
                   });
  return records;
}

std::string KeyFields(const CQuenzelRecord& record) {
  std::string keys;
  for (const std::string* key : {&record.keyF1Name, &record.keyF2Name, &record.keyF3Name}) {
    if (key->empty()) continue;
    if (!keys.empty()) keys += ",";
    keys += *key;
  }
  return keys.empty() ? "-" : keys;
}

int Check(const Options& options) {
  if (options.positional.size() != 1) {
    std::cerr << kUsage;
    return kExitUsage;
  }
  CQuenzelFile catalogue;
  quenzel_tool::DefinitionLocation location;
  if (!LoadCatalogue(options, catalogue, location)) return kExitBad;

  std::vector<const CQuenzelRecord*> records = RecordsByNumber(catalogue);
  std::printf("%s: %zu record%s\n", options.positional[0].c_str(), records.size(),
              records.size() == 1 ? "" : "s");
  if (records.empty()) return kExitOk;
  std::printf("%8s  %-24s %-26s %6s  %s\n", "NUMBER", "NAME", "ACTION", "FIELDS", "KEYS");
  for (const CQuenzelRecord* record : records) {
    const char* action = ActionCodeName(record->action);
    std::printf("%8d  %-24s %-26s %6zu  %s\n", record->recordNumber,
                record->name.empty() ? "-" : record->name.c_str(), *action ? action : "-",
                record->fields.size(), KeyFields(*record).c_str());
  }
  return kExitOk;
}

struct Command {
  const char* name;
  std::function<int(const Options&)> run;
};

const Command kCommands[] = {
    {"check", Check},
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "-h" || args[0] == "--help" || args[0] == "help") {
    std::cout << kUsage;
    return args.empty() ? kExitUsage : kExitOk;
  }
  for (const Command& command : kCommands) {
    if (args[0] != command.name) continue;
    Options options;
    if (!ParseOptions(std::vector<std::string>(args.begin() + 1, args.end()), options))
      return kExitUsage;
    return command.run(options);
  }
  std::cerr << "quenzel: unknown command " << args[0] << "\n" << kUsage;
  return kExitUsage;
}
