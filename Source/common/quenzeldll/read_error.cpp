#include "read_error.h"

#include "line_reader.h"

namespace {
thread_local QuenzelReadError t_lastError;
}  // namespace

QuenzelReadError QuenzelLastReadError() { return t_lastError; }

namespace quenzel {
namespace detail {

void ClearReadError() { t_lastError = QuenzelReadError(); }

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
