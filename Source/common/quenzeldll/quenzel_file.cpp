// CQuenzelFile: locating the definition file, the version check, and
// keeping the records by name and by number. Reading the file and the
// cache delegate to definition_reader and definition_cache.
#include "quenzel_file.h"

#include "definition_cache.h"
#include "definition_reader.h"
#include "host_services.h"
#include "platform.h"
#include "read_error.h"

namespace detail = quenzel::detail;
namespace settings = quenzel::settings;

namespace {

constexpr const char* kReadOperation = "CQuenzelFile::Read()";
constexpr const char* kLibraryFile = "quenzel.dll";

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
  detail::ClearReadError();
  if (!requiredVersion.empty() && !VersionMatches(reserved, requiredVersion)) return false;

  const bool audit = detail::ReadSwitch(settings::kAuditLog, "");
  definitionPath = std::string(readRegA(settings::kZqexe.value, "")) + "zqapi" + "\\" + fileName;
  // This entry carries the path before its type format; see logbook.h.
  logbook_log_msg(logName.c_str(), detail::kAuditSource, detail::kEventCatalogue, 0, 10, 0,
                  definitionPath.c_str(), definitionPath.c_str(), "%s%s%z", kReadOperation);

  // The cache lives beside the definition file under both operations. It
  // is stamped with the time the definition had before the read, so that a
  // definition replaced during the read, or later by a file whose time lies
  // between that and the cache's writing, counts as newer than the cache.
  detail::FileStatus source;
  const bool timed = detail::StatFile(detail::NativePath(definitionPath), source);
  if (detail::LoadCache(*this, definitionPath) == 0) return true;
  if (!Read(audit ? logName : std::string())) return false;
  detail::SaveCache(*this, definitionPath, timed ? &source.modified : nullptr);
  return true;
}

bool CQuenzelFile::InitialiseFromPath(const std::string& path, const std::string& logName) {
  detail::ClearReadError();
  const bool audit = detail::ReadSwitch(settings::kAuditLog, "");
  definitionPath = path;
  logbook_log_msg(logName.c_str(), detail::kAuditSource, detail::kEventCatalogue, 0, 10, 0,
                  definitionPath.c_str(), definitionPath.c_str(), "%s%s%z", kReadOperation);
  return Read(audit ? logName : std::string());
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

void CQuenzelFile::AddRecord(const std::string& number, const std::string& key,
                             const CQuenzelRecord& record) {
  recordKeys.emplace(number, key);
  records.emplace(key, record);  // the copy builds the record's field indexes
}

bool CQuenzelFile::Read(const std::string& logName) {
  return detail::LoadDefinitionFile(
      definitionPath, detail::NativePath(definitionPath), logName,
      [this](const std::string& number, const std::string& key, const CQuenzelRecord& record) {
        AddRecord(number, key, record);
      });
}
