// logbook: the audit-log library that quenzel writes its diagnostic entries
// to: a file per log, or the system's log (syslog, the Windows event log).
//
// An entry names a log, a source and an event number, then a message and a
// type format whose letters announce the values that follow it:
//   "%s" a text (const char*), "%d" an int, and "%z" last, the name of the
//   reporting operation (const char*), which closes the list.
// Example:
//   logbook_log_msg("POS", "quenzel", 997, 0, 10, 0, "Quenzel Read Error",
//                   "%s%d%d%z", path, line, token, "CQuenzelRecord::Read()");
//
// A text may also stand between the message and the format. The argument
// after the message is the format when it is made only of the letters above
// and ends with its single "%z"; otherwise it is such a leading text and the
// format follows it. The format of an entry with a leading text describes
// values that were already passed before it, so only its "%z" value is read
// after it. The function never reads an argument that the format does not
// announce. A format that is malformed or longer than 64 letters is not a
// format; when one stands where the format must be, or the argument after
// the message is null, nothing further is read and the entry ends with an
// empty operation name.
//
// Where entries go: with LOGBOOK_DIR set (looked up at each entry), one line
// appended to $LOGBOOK_DIR/<logName>.log:
//   UTC time (ISO 8601) TAB source TAB event TAB message {TAB value} TAB operation
// with TAB, CR, LF and backslash inside texts written as \t \r \n \\.
// The time has millisecond precision (2026-12-06T01:02:03.456Z); a null text
// is written as an empty field and integers in decimal. In the file name
// every '/' of the log name (on Windows also '\\' and ':') becomes '_', and
// the names "." and ".." become "_" and "__", so no log name reaches
// outside LOGBOOK_DIR.
// Without LOGBOOK_DIR (or with it empty), the same line goes to syslog
// (LOG_USER, LOG_INFO) with the log name as ident; on Windows to the event
// log instead: an information event of the entry's source (registered as an
// event source by the installer, otherwise Windows shows the strings
// without a message text), its event number as the event id, and as its
// strings the message, the values and the operation. Entries with a null or
// empty log name are dropped.
//
// Thread-safe: each entry is written with a single append. An entry that a
// full file system cut short is not completed; the next entry begins with a
// line feed of its own, so it starts on a new line.
#ifndef LOGBOOK_LOGBOOK_H_
#define LOGBOOK_LOGBOOK_H_

#if defined(_WIN32)
#if defined(LOGBOOK_BUILDING)
#define LOGBOOK_API __declspec(dllexport)
#else
#define LOGBOOK_API __declspec(dllimport)
#endif
#else
#define LOGBOOK_API __attribute__((visibility("default")))
#endif

extern "C" {

// Writes one entry. Returns 0 when it was written or dropped on purpose,
// -1 when it could not be written. Callers may ignore the result.
LOGBOOK_API int logbook_log_msg(const char* logName, const char* source, int eventNumber,
                                int category, int severity, int flags, const char* message, ...);

}  // extern "C"

#endif  // LOGBOOK_LOGBOOK_H_
