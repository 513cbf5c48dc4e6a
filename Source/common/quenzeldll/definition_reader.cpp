#include "definition_reader.h"

#include <istream>

#include "definition_line.h"
#include "host_services.h"
#include "line_reader.h"
#include "platform.h"
#include "read_error.h"

namespace quenzel {
namespace detail {

namespace {

constexpr const char* kRecordOperation = "CQuenzelRecord::Read()";
constexpr const char* kFileOperation = "CQuenzelFile::Read()";

bool ReadHeader(CQuenzelRecord& r, const std::string& line) {
  switch (ParseHeaderLine(line, r.recordNumber, r.action, r.name)) {
    case HeaderResult::kOk:
      return true;
    case HeaderResult::kBadAction:  // not logged
      ReportReadError(ReadErrorKind::kBadAction, r.definitionPath, r.recordNumber, 0);
      return false;
    case HeaderResult::kBadNumber:
      break;
  }
  ReportReadError(ReadErrorKind::kBadHeader, r.definitionPath, 0, 0);
  const ReadPosition& at = CurrentPosition();
  if (!r.logName.empty())
    logbook_log_msg(r.logName.c_str(), kAuditSource, kEventRecord, 0, 10, 0, "Quenzel Read Error",
                    "%s%d%d%z", r.definitionPath.c_str(), at.line, at.token, kRecordOperation);
  return false;
}

// A field line: the name of a line without "name=" is the previous line's.
bool ReadFieldLine(CQuenzelRecord& r, const std::string& line) {
  if (FieldLineName(line, r.lastFieldName)) r.fieldName = r.lastFieldName;
  const bool sendOrDelete = r.action == kActionSend || r.action == kActionDelete;
  CQuenzelField field(r.recordNumber, r.definitionPath, r.logName, r.fieldName, r.codepage,
                      sendOrDelete, r.name);
  field.m_Comment = FieldLineComment(line);

  bool noField = false;
  if (!ParseFieldLine(field, LineStream(line), noField)) {
    ReportReadError(ReadErrorKind::kBadField, r.definitionPath, r.recordNumber,
                    field.m_FieldNumber);
    const ReadPosition& at = CurrentPosition();
    if (!r.logName.empty())
      logbook_log_msg(r.logName.c_str(), kAuditSource, kEventRecord, 0, 10, 0, "Quenzel Read Error",
                      "%s%d%d%d%d%z", r.definitionPath.c_str(), r.recordNumber, field.m_FieldNumber,
                      at.line, at.token, kRecordOperation);
    return false;
  }
  if (noField) return true;

  if (field.m_KeyPos == "F1")
    r.keyF1Name = field.m_Name;
  else if (field.m_KeyPos == "F2")
    r.keyF2Name = field.m_Name;
  else if (field.m_KeyPos == "F3")
    r.keyF3Name = field.m_Name;
  field.Reset();
  r.fields.push_back(std::move(field));
  return true;
}

// A catalogue entry: the message, then `path` when given.
void LogFileEntry(const std::string& logName, const std::string& message, const char* path) {
  if (logName.empty()) return;
  if (path == nullptr)
    logbook_log_msg(logName.c_str(), kAuditSource, kEventCatalogue, 0, 10, 0, message.c_str(), "%z",
                    kFileOperation);
  else
    logbook_log_msg(logName.c_str(), kAuditSource, kEventCatalogue, 0, 10, 0, message.c_str(), path,
                    "%z", kFileOperation);
}

}  // namespace

bool ReadRecordBlock(CQuenzelRecord& record, std::istream& in) {
  std::string line;
  ReadLine(in, line);
  if (!ReadHeader(record, line)) return false;
  bool ok = true;
  while (ok && in.good()) {
    if (in.peek() == '#') break;  // the next block begins; its '#' stays for the catalogue
    ReadLine(in, line);
    ok = ReadFieldLine(record, line);
  }
  return ok;
}

bool ReadDefinitionFile(const std::string& path, const std::string& logName,
                        const std::function<void(const CQuenzelRecord&)>& keep) {
  InputFile file;
  if (!file.Open(NativePath(path))) {
    ReportReadError(ReadErrorKind::kOpenFailed, path, 0, 0);
    LogFileEntry(logName, "Quenzel.dll failed to open " + path, nullptr);
    return false;
  }
  std::istream in(&file);
  // A file that begins with a UTF-16 byte-order mark byte is refused.
  const int first = in.peek();
  if (first == 0xFF || first == 0xFE) {
    ReportReadError(ReadErrorKind::kUnicode, path, 0, 0);
    LogFileEntry(logName, "File is unicode", path.c_str());
    return false;
  }
  return ReadDefinitionStream(in, path, logName, keep);
}

bool ReadDefinitionStream(std::istream& in, const std::string& path, const std::string& logName,
                          const std::function<void(const CQuenzelRecord&)>& keep) {
  CurrentPosition().line = 0;
  std::string codepage;
  std::string skipped;
  bool ok = true;
  while (ok && !in.eof()) {
    const int c = in.get();
    if (c == std::char_traits<char>::eof()) break;
    if (c != '#') {
      in.unget();
      ReadLine(in, skipped);  // a line outside any block
      continue;
    }
    CQuenzelRecord record(path, logName);
    // The code page is read once per file, at its first block.
    if (codepage.empty()) codepage = "cp-" + ReadText(settings::kCodepage);
    record.codepage = codepage;
    ok = ReadRecordBlock(record, in);
    // A block cut short by a read error is not kept.
    if (ok && !in.bad()) keep(record);
  }
  if (in.bad()) {
    ReportReadError(ReadErrorKind::kReadFailed, path, 0, 0);
    LogFileEntry(logName, "Quenzel.dll failed to read " + path, nullptr);
    return false;
  }
  return ok;
}

}  // namespace detail
}  // namespace quenzel
