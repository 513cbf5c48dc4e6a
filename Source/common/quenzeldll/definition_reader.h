// Reading the definition file: the file, its record blocks, their lines and
// the fields on them. Each failure is recorded with its position (file,
// line, token, record, field) for QuenzelLastReadError and, when the reader
// has a log name, written to the audit log. Not installed.
#ifndef QUENZEL_DEFINITION_READER_H_
#define QUENZEL_DEFINITION_READER_H_

#include <functional>
#include <istream>
#include <string>

#include "quenzel_record.h"

namespace quenzel {
namespace detail {

// Reads one record block into `record`; `in` stands just after the '#' that
// opened it. Stops before the next line that begins with '#'. True when the
// block was read whole.
bool ReadRecordBlock(CQuenzelRecord& record, std::istream& in);

// Reads the definition file at `path` and hands every good record to
// `keep`. False when the file cannot be opened or is no regular file (a
// FIFO is refused without waiting for a writer), is refused (UTF-16), a
// block fails, or a read error stops the read (the blocks before it have
// been kept in each case). `logName` empty: no audit entries.
bool ReadDefinitionFile(const std::string& path, const std::string& logName,
                        const std::function<void(const CQuenzelRecord&)>& keep);

// The part of ReadDefinitionFile after the file is open: reads `in` as the
// definition file `path`. A stream that turns bad (its buffer threw, as on
// a read error) ends the read as a failed block does; the block it cut
// short is not kept.
bool ReadDefinitionStream(std::istream& in, const std::string& path, const std::string& logName,
                          const std::function<void(const CQuenzelRecord&)>& keep);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_DEFINITION_READER_H_
