// The tool's verbs. Each takes its parsed options, works through the
// library, prints, and returns the exit status: 0 success; 1 the file or
// the data is bad, a value was refused, or output was lost; 2 the command
// line or a setting it names is wrong.
#ifndef QUENZEL_TOOLS_COMMANDS_H_
#define QUENZEL_TOOLS_COMMANDS_H_

#include <string>
#include <vector>

namespace quenzel_tool {

constexpr int kExitOk = 0;
constexpr int kExitBad = 1;
constexpr int kExitUsage = 2;

// Options every verb takes.
struct CommonOptions {
  std::string file;                        // the definition file; "-": standard input
  std::string output;                      // -o: where results go; empty or "-": standard output
  std::string codePage;                    // code page number; empty: the registry's, else 1252
  std::string registry;                    // a registry export (.reg) to read settings from
  std::string logName;                     // audit-log name for read errors
  std::string logDir;                      // directory for the audit log
  std::string diagnosticsFormat = "text";  // "text" (GCC's form) or "json"
  bool warningsAsErrors = false;           // check, encode, decode: warnings fail the run
};

struct CheckOptions {
  bool strict = false;  // also warn about lines that lose their meaning
};

struct ShowOptions {
  std::string record;  // number or name; empty: all records
  bool json = false;
};

struct EncodeOptions {
  std::string record;               // number or name (may come from JSON)
  std::vector<std::string> values;  // FIELD=VALUE
  bool json = false;                // one JSON object per input line
  std::string input;                // -i for --json: a file, or "-"
  std::string hostUnits;            // "MS,SF"
  bool lenient = false;             // accept values stored differently, with a warning
};

struct DecodeOptions {
  std::string record;               // number or name; empty: by each record's number
  std::vector<std::string> inputs;  // files ("-": stdin); empty: stdin
  bool keepGoing = false;           // after a bad record, go on at the next record
  bool check = false;               // validate only: a summary instead of JSON
};

int Check(const CommonOptions& common, const CheckOptions& options);
int Show(const CommonOptions& common, const ShowOptions& options);
int Encode(const CommonOptions& common, const EncodeOptions& options);
int Decode(const CommonOptions& common, const DecodeOptions& options);

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_COMMANDS_H_
