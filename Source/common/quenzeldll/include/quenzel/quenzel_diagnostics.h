/// @file quenzel_diagnostics.h
/// Where the latest definition-file read on this thread stopped, for tools
/// that show a user the failing line. The catalogue records the same facts
/// in its audit entries; this makes them available without an audit log.
#ifndef QUENZEL_QUENZEL_DIAGNOSTICS_H_
#define QUENZEL_QUENZEL_DIAGNOSTICS_H_

#include <string>

#include "quenzel_export.h"

/// Why the latest CQuenzelFile::Initialise on this thread failed to read.
enum class ReadErrorKind : int {
  kNone = 0,        ///< the latest read succeeded (or none was made)
  kUnicode = 1,     ///< the file begins with a UTF-16 byte-order mark
  kOpenFailed = 2,  ///< the file could not be opened, or is no regular file
  kBadHeader = 3,   ///< a header line without a record number
  kBadAction = 4,   ///< a header line without a known action word
  kBadField = 5,    ///< a field line the field reader rejects
  kReadFailed = 6,  ///< a read error (e.g. EIO) stopped the read at `line`
};

/// The place where a definition-file read stopped.
struct QuenzelReadError {
  ReadErrorKind kind = ReadErrorKind::kNone;  ///< what went wrong
  std::string definitionPath;                 ///< the file, as the library names it
  int line = 0;          ///< line (or 1023-character piece) within the file, from 1
  int token = 0;         ///< tokens read on that line when the read stopped
  int recordNumber = 0;  ///< record of the failing block (0 for a bad header)
  int fieldNumber = 0;   ///< field number of a rejected field line
};

/// The failure of the latest CQuenzelFile::Initialise on this thread, or
/// kind kNone when it loaded. A failed version check or a catalogue loaded
/// from its cache also gives kNone.
QUENZEL_API QuenzelReadError QuenzelLastReadError();

#endif  // QUENZEL_QUENZEL_DIAGNOSTICS_H_
