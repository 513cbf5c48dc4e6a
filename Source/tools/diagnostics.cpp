#include "diagnostics.h"

#include <iostream>
#include <nlohmann/json.hpp>

namespace quenzel_tool {

Diagnostics& Diagnostics::Get() {
  static Diagnostics reporter;
  return reporter;
}

void Diagnostics::Report(Severity severity, const Location& where, const std::string& message,
                         const std::string& source) {
  std::string text = message;
  if (severity == Severity::kWarning && warningsAsErrors_) {
    severity = Severity::kError;
    text += " [--warnings-as-errors]";
  }
  if (severity == Severity::kError) ++errors_;
  if (severity == Severity::kWarning) ++warnings_;
  const char* kind = severity == Severity::kError     ? "error"
                     : severity == Severity::kWarning ? "warning"
                                                      : "note";
  if (json_) {
    nlohmann::ordered_json entry{{"severity", kind}};
    if (!where.file.empty()) entry["file"] = where.file;
    if (where.line > 0) entry["line"] = where.line;
    if (where.column > 0) entry["column"] = where.column;
    if (where.offset >= 0) entry["offset"] = where.offset;
    entry["message"] = text;
    if (!source.empty()) entry["source"] = source;
    std::cerr << entry.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
              << "\n";
    return;
  }
  std::string prefix = where.file.empty() ? std::string("quenzel") : where.file;
  if (where.line > 0) prefix += ":" + std::to_string(where.line);
  if (where.line > 0 && where.column > 0) prefix += ":" + std::to_string(where.column);
  std::cerr << prefix << ": " << kind << ": " << text << "\n";
  if (!source.empty()) std::cerr << "    " << source << "\n";
}

}  // namespace quenzel_tool
