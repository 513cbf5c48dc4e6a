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

// Notes the refused piece `line` at the reader's position.
void Describe(DefinitionDiagnosis* why, const std::string& line, bool header) {
  if (why == nullptr) return;
  const ReadPosition& at = CurrentPosition();
  why->piece = line;
  why->header = header;
  why->fileLine = at.fileLine;
  why->column = header ? at.column - 1 : at.column;  // the '#' was taken before the piece
}

bool ReadHeader(CQuenzelRecord& r, const std::string& line, DefinitionDiagnosis* why) {
  switch (ParseHeaderLine(line, r.recordNumber, r.action, r.name)) {
    case HeaderResult::kOk:
      return true;
    case HeaderResult::kBadAction:  // not logged
      Describe(why, line, true);
      ReportReadError(ReadErrorKind::kBadAction, r.definitionPath, r.recordNumber, 0);
      return false;
    case HeaderResult::kBadNumber:
      break;
  }
  Describe(why, line, true);
  ReportReadError(ReadErrorKind::kBadHeader, r.definitionPath, 0, 0);
  const ReadPosition& at = CurrentPosition();
  if (!r.logName.empty())
    logbook_log_msg(r.logName.c_str(), kAuditSource, kEventRecord, 0, 10, 0, "Quenzel Read Error",
                    "%s%d%d%z", r.definitionPath.c_str(), at.line, at.token, kRecordOperation);
  return false;
}

// A field line: the name of a line without "name=" is the previous line's.
bool ReadFieldLine(CQuenzelRecord& r, const std::string& line, DefinitionDiagnosis* why) {
  if (FieldLineName(line, r.lastFieldName)) r.fieldName = r.lastFieldName;
  const bool sendOrDelete = r.action == kActionSend || r.action == kActionDelete;
  CQuenzelField field(r.recordNumber, r.definitionPath, r.logName, r.fieldName, r.codepage,
                      sendOrDelete, r.name);
  field.m_Comment = FieldLineComment(line);

  bool noField = false;
  if (!ParseFieldLine(field, LineStream(line), noField, why ? &why->field : nullptr)) {
    Describe(why, line, false);
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

// Hands on what `source` gives, keeping a copy of every byte in `text`; the
// last byte of each refill stays in front for putting back.
class KeepingBuffer : public std::streambuf {
 public:
  KeepingBuffer(std::streambuf* source, std::string& text) : source_(source), text_(text) {
    setg(chunk_, chunk_ + 1, chunk_ + 1);
  }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (egptr() > chunk_ + 1) chunk_[0] = egptr()[-1];
    const std::streamsize n = source_->sgetn(chunk_ + 1, sizeof chunk_ - 1);
    if (n <= 0) return traits_type::eof();
    text_.append(chunk_ + 1, static_cast<std::size_t>(n));
    setg(chunk_, chunk_ + 1, chunk_ + 1 + n);
    return traits_type::to_int_type(*gptr());
  }

 private:
  std::streambuf* source_;
  std::string& text_;
  char chunk_[1 + 65536];
};

// LoadDefinitionStream without the diagnosis's error.
bool ReadBlocks(std::istream& in, const std::string& path, const std::string& logName,
                const KeepRecord& keep, DefinitionDiagnosis* why) {
  ClearReadError();
  // A file that begins with a UTF-16 byte-order mark byte is refused.
  const int first = in.peek();
  if (first == 0xFF || first == 0xFE) {
    ReportReadError(ReadErrorKind::kUnicode, path, 0, 0);
    LogFileEntry(logName, "File is unicode", path.c_str());
    return false;
  }
  ReadPosition& at = CurrentPosition();
  at = ReadPosition();
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
    CountTaken(at, 1);
    CQuenzelRecord record(path, logName);
    // The code page is read once per file, at its first block.
    if (codepage.empty()) codepage = "cp-" + ReadText(settings::kCodepage);
    record.codepage = codepage;
    ok = ReadRecordBlock(record, in, why);
    // A block cut short by a read error is not kept.
    if (ok && !in.bad()) {
      const std::string number = std::to_string(record.recordNumber);
      keep(number, record.name.empty() ? number : record.name, record);
    }
  }
  if (in.bad()) {
    ReportReadError(ReadErrorKind::kReadFailed, path, 0, 0);
    LogFileEntry(logName, "Quenzel.dll failed to read " + path, nullptr);
    if (why != nullptr) why->fileLine = at.fileLine;
    return false;
  }
  return ok;
}

}  // namespace

bool ReadRecordBlock(CQuenzelRecord& record, std::istream& in, DefinitionDiagnosis* why) {
  std::string line;
  ReadLine(in, line);
  if (!ReadHeader(record, line, why)) return false;
  bool ok = true;
  while (ok && in.good()) {
    if (in.peek() == '#') break;  // the next block begins; its '#' stays for the catalogue
    ReadLine(in, line);
    ok = ReadFieldLine(record, line, why);
  }
  return ok;
}

bool LoadDefinitionFile(const std::string& path, const std::string& openPath,
                        const std::string& logName, const KeepRecord& keep,
                        DefinitionDiagnosis* why, std::string* text) {
  ClearReadError();
  InputFile file;
  if (!file.Open(openPath)) {
    ReportReadError(ReadErrorKind::kOpenFailed, path, 0, 0);
    LogFileEntry(logName, "Quenzel.dll failed to open " + path, nullptr);
    if (why != nullptr) why->error = QuenzelLastReadError();
    return false;
  }
  if (text == nullptr) {
    std::istream in(&file);
    return LoadDefinitionStream(in, path, logName, keep, why);
  }
  KeepingBuffer keeping(&file, *text);
  std::istream in(&keeping);
  return LoadDefinitionStream(in, path, logName, keep, why);
}

bool LoadDefinitionStream(std::istream& in, const std::string& path, const std::string& logName,
                          const KeepRecord& keep, DefinitionDiagnosis* why) {
  const bool ok = ReadBlocks(in, path, logName, keep, why);
  if (why != nullptr) why->error = QuenzelLastReadError();
  return ok;
}

}  // namespace detail
}  // namespace quenzel
