// The catalogue: locating the definition file, reading its record blocks
// and keeping the records by name and by number.
#include "quenzel_file.h"

#include <sys/stat.h>

#include <fstream>

#include "host_services.h"
#include "read_error.h"
#include "text_readers.h"

using namespace quenzel::detail;

namespace {

constexpr const char* kReadOperation = "CQuenzelFile::Read()";
constexpr const char* kLibraryFile = "quenzel.dll";

// A definition file that begins with a UTF-16 byte-order mark byte is
// refused. A file that cannot be opened here is not Unicode.
bool IsUnicodeFile(const std::string& path) {
  std::ifstream probe(NativePath(path), std::ios::binary);
  int first = probe.get();
  return first == 0xFF || first == 0xFE;
}

bool IsDirectory(const std::string& path) {
  struct stat status;
  return ::stat(NativePath(path).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool VersionMatches(char* reserved, const std::string& requiredVersion) {
  char version[32] = {};
  Cgetver reader;
  return reader.GetVersion(version, kLibraryFile, reserved) == 0 && requiredVersion == version;
}

}  // namespace

CQuenzelFile::CQuenzelFile() = default;
CQuenzelFile::~CQuenzelFile() = default;

bool CQuenzelFile::Initialise(const std::string& fileName, const std::string& logName,
                              char* reserved, const std::string& requiredVersion) {
  ClearReadError();
  if (!requiredVersion.empty() && !VersionMatches(reserved, requiredVersion)) return false;

  bool audit = registry.readBool(HKEY_LOCAL_MACHINE, kKeyDriver, "quenzel", "AUDITLOG", "", 0);
  definitionPath = std::string(readRegA("ZQEXE", "")) + "zqapi" + "\\" + fileName;
  // This entry carries the path before its type format; see logbook.h.
  logbook_log_msg(logName.c_str(), kAuditSource, kEventCatalogue, 0, 10, 0, definitionPath.c_str(),
                  definitionPath.c_str(), "%s%s%z", kReadOperation);

  if (LoadCache(definitionPath, definitionPath) == 0) return true;
  if (!Read(audit ? logName : std::string())) return false;
  SaveCache(fileName);
  return true;
}

CQuenzelRecord* CQuenzelFile::GetRecord(std::string name) {
  auto it = records.find(name);
  return it == records.end() ? nullptr : &it->second;
}

CQuenzelRecord* CQuenzelFile::GetRecord(int number) {
  auto key = recordKeys.find(std::to_string(number));
  if (key == recordKeys.end()) return nullptr;
  return GetRecord(key->second);
}

void CQuenzelFile::AddRecord(const CQuenzelRecord& record) {
  std::string number = std::to_string(record.recordNumber);
  const std::string& key = record.name.empty() ? number : record.name;
  recordKeys.emplace(number, key);
  records.emplace(key, record);  // the copy builds the record's field indexes
}

bool CQuenzelFile::Read(const std::string& logName) {
  std::string codepage;
  std::ifstream in(NativePath(definitionPath));

  if (IsUnicodeFile(definitionPath)) {
    ReportReadError(ReadErrorKind::kUnicode, definitionPath, 0, 0);
    if (!logName.empty())
      logbook_log_msg(logName.c_str(), kAuditSource, kEventCatalogue, 0, 10, 0, "File is unicode",
                      definitionPath.c_str(), "%z", kReadOperation);
    return false;
  }
  if (!in.is_open() || IsDirectory(definitionPath)) {  // a directory is no file to read
    ReportReadError(ReadErrorKind::kOpenFailed, definitionPath, 0, 0);
    if (!logName.empty()) {
      std::string message = "Quenzel.dll failed to open " + definitionPath;
      logbook_log_msg(logName.c_str(), kAuditSource, kEventCatalogue, 0, 10, 0, message.c_str(),
                      "%z", kReadOperation);
    }
    return false;
  }

  LineCounter() = 0;
  bool ok = true;
  std::string skipped;
  while (ok && !in.eof()) {
    int c = in.get();
    if (c == std::char_traits<char>::eof()) break;
    if (c != '#') {
      in.unget();
      ReadLine(in, skipped);  // a line outside any block
      continue;
    }
    CQuenzelRecord record(definitionPath, logName);
    if (codepage.empty())
      codepage =
          "cp-" + registry.read(HKEY_LOCAL_MACHINE, kKeyRoot, "ENVIRONMENT", "Codepage", "", 0);
    record.codepage = codepage;
    ok = record.Read(in);
    if (ok) AddRecord(record);
  }
  return ok;
}

// The definition cache is switched off until it is built; both report that
// nothing was loaded or stored.
int CQuenzelFile::LoadCache(std::string /*base*/, std::string /*sourcePath*/) { return -1; }
int CQuenzelFile::SaveCache(std::string /*base*/) { return -1; }
