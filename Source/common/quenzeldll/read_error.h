// Recording of the latest read failure (see quenzel_diagnostics.h). Not
// installed.
#ifndef QUENZEL_READ_ERROR_H_
#define QUENZEL_READ_ERROR_H_

#include <string>

#include "quenzel_diagnostics.h"

namespace quenzel {
namespace detail {

// Forgets the latest failure and restarts the line and token counters.
void ClearReadError();
// Records a failure at the current line and token counters.
void ReportReadError(ReadErrorKind kind, const std::string& definitionPath, int recordNumber,
                     int fieldNumber);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_READ_ERROR_H_
