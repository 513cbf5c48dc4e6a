#include "read_error.h"

#include "line_reader.h"

namespace {
thread_local QuenzelReadError t_lastError;
}  // namespace

QuenzelReadError QuenzelLastReadError() { return t_lastError; }

namespace quenzel {
namespace detail {

// The line and token counters start again too, so that a load that fails
// before reading a line does not report where an earlier load stopped.
void ClearReadError() {
  t_lastError = QuenzelReadError();
  CurrentPosition() = ReadPosition();
}

void ReportReadError(ReadErrorKind kind, const std::string& definitionPath, int recordNumber,
                     int fieldNumber) {
  t_lastError.kind = kind;
  t_lastError.definitionPath = definitionPath;
  t_lastError.line = CurrentPosition().line;
  t_lastError.token = CurrentPosition().token;
  t_lastError.recordNumber = recordNumber;
  t_lastError.fieldNumber = fieldNumber;
}

}  // namespace detail
}  // namespace quenzel
