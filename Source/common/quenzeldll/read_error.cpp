#include "read_error.h"

#include "text_readers.h"

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
  t_lastError.line = LineCounter();
  t_lastError.token = TokenCounter();
  t_lastError.recordNumber = recordNumber;
  t_lastError.fieldNumber = fieldNumber;
}

}  // namespace detail
}  // namespace quenzel
