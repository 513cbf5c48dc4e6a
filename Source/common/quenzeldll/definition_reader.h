// Loading the definition file: the file, its record blocks, their lines and
// the fields on them, and the keys the catalogue files each record under.
// Each failure is recorded with its position (file, line, token, record,
// field) for QuenzelLastReadError, written to the audit log when the reader
// has a log name, and described for a caller that asks. Not installed.
#ifndef QUENZEL_DEFINITION_READER_H_
#define QUENZEL_DEFINITION_READER_H_

#include <functional>
#include <istream>
#include <string>

#include "definition_line.h"
#include "quenzel_diagnostics.h"
#include "quenzel_record.h"

namespace quenzel {
namespace detail {

// Where and why a definition read stopped, in the file's own terms, for
// callers that show it to a user.
struct DefinitionDiagnosis {
  QuenzelReadError error;    // as QuenzelLastReadError gives it
  std::string piece;         // the refused line (a header without its '#'), or its piece of a
                             // line longer than a piece
  bool header = false;       // the piece is a record header
  int fileLine = 0;          // the file's own line of the piece, from 1
  int column = 1;            // where the piece starts on it (a header's '#'), from 1
  FieldLineDiagnosis field;  // why a field line was refused
};

// Reads one record block into `record`; `in` stands just after the '#' that
// opened it. Stops before the next line that begins with '#'. True when the
// block was read whole; when it was not and `why` is given, it says where.
bool ReadRecordBlock(CQuenzelRecord& record, std::istream& in, DefinitionDiagnosis* why = nullptr);

// Receives each good record with the keys a catalogue keeps it under:
// `number` is its number as decimal text, `key` its name, or `number` when
// it has none.
using KeepRecord = std::function<void(const std::string& number, const std::string& key,
                                      const CQuenzelRecord& record)>;

// Loads the definition file `path`, opened at `openPath`: regular files
// only (a FIFO is refused without waiting for a writer), then as
// LoadDefinitionStream. `text`, when given, receives every byte read.
bool LoadDefinitionFile(const std::string& path, const std::string& openPath,
                        const std::string& logName, const KeepRecord& keep,
                        DefinitionDiagnosis* why = nullptr, std::string* text = nullptr);

// Loads the definition file `path` from `in`, which stands at its start: a
// file that begins with a UTF-16 byte-order mark byte is refused, every
// good record goes to `keep`, and the read stops at the first block that
// fails or at a read error (a stream that turns bad; the block it cut short
// is not kept). False for each of these and for a file that cannot be
// opened; the blocks kept before stay kept. Every failure is recorded for
// QuenzelLastReadError, written to the audit log under `logName` (empty:
// no entries), and, when `why` is given, described there.
bool LoadDefinitionStream(std::istream& in, const std::string& path, const std::string& logName,
                          const KeepRecord& keep, DefinitionDiagnosis* why = nullptr);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_DEFINITION_READER_H_
