// Every message the verbs give goes through one reporter, in one of two
// forms: GCC's text form, "FILE:LINE:COL: error: message" (or "quenzel:
// error: message" when the message belongs to no input), or one JSON
// object per line for editors and CI. The reporter also counts errors and
// warnings, and with --warnings-as-errors reports every warning as an error.
#ifndef QUENZEL_TOOLS_DIAGNOSTICS_H_
#define QUENZEL_TOOLS_DIAGNOSTICS_H_

#include <string>
#include <utility>

namespace quenzel_tool {

// Where a message points: an input and, when known, its line and column
// (from 1) and byte offset (from 0).
struct Location {
  std::string file;
  long long line = 0;
  long long column = 0;
  long long offset = -1;
  static Location At(std::string file, long long line, long long column, long long offset = -1) {
    Location where;
    where.file = std::move(file);
    where.line = line;
    where.column = column;
    where.offset = offset;
    return where;
  }
};

enum class Severity { kError, kWarning, kNote };

class Diagnostics {
 public:
  // The process's reporter.
  static Diagnostics& Get();

  void SetJson(bool json) { json_ = json; }
  void SetWarningsAsErrors(bool on) { warningsAsErrors_ = on; }
  bool warningsAsErrors() const { return warningsAsErrors_; }

  // Reports one message on standard error. `source` is the input line the
  // message is about, echoed under it in the text form.
  void Report(Severity severity, const Location& where, const std::string& message,
              const std::string& source = std::string());
  void Error(const Location& where, const std::string& message,
             const std::string& source = std::string()) {
    Report(Severity::kError, where, message, source);
  }
  void Warning(const Location& where, const std::string& message) {
    Report(Severity::kWarning, where, message);
  }
  // A message that belongs to no input: "quenzel: error: ...".
  void Error(const std::string& message) { Report(Severity::kError, Location(), message); }

  long long errors() const { return errors_; }
  long long warnings() const { return warnings_; }

 private:
  bool json_ = false;
  bool warningsAsErrors_ = false;
  long long errors_ = 0;
  long long warnings_ = 0;
};

// The reporter of this process, for short calls.
inline Diagnostics& Diag() { return Diagnostics::Get(); }

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_DIAGNOSTICS_H_
