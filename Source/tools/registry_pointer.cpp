#include "registry_pointer.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>

#include "cfgstore.h"
#include "registry_keys.h"

namespace quenzel_tool {

namespace {

using quenzel::settings::FullKey;
using quenzel::settings::kAuditLog;
using quenzel::settings::kCodepage;
using quenzel::settings::kZqexe;

#ifndef _WIN32
std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }
#endif

}  // namespace

#ifdef _WIN32

DefinitionLocation::~DefinitionLocation() = default;

// Windows resolves "zqapi\.." in a path by its text, so the file is reached
// as <its folder>\zqapi\..\<name> with no link and no temporary folder.
bool DefinitionLocation::PointAt(const std::string& path, std::string& error) {
  char full[MAX_PATH];
  char* name = nullptr;
  const DWORD length = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, &name);
  const DWORD attributes = ::GetFileAttributesA(path.c_str());
  if (length == 0 || length >= MAX_PATH || name == nullptr ||
      attributes == INVALID_FILE_ATTRIBUTES) {
    error = path + ": No such file or directory";  // the words the C library uses
    return false;
  }
  fileName_ = std::string("..\\") + name;
  const std::string zqexe(full, static_cast<std::size_t>(name - full));
  cfgstore::SetOverride(FullKey(kZqexe), kZqexe.value, zqexe);
  return true;
}

#else

DefinitionLocation::~DefinitionLocation() {
  if (linkDirectory_.empty()) return;
  ::unlink((linkDirectory_ + "/zqapi").c_str());
  ::rmdir(linkDirectory_.c_str());
}

bool DefinitionLocation::PointAt(const std::string& path, std::string& error) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  std::string full = resolved;
  std::string directory = DirectoryOf(full);
  fileName_ = BaseOf(full);
  if (fileName_.find('\\') != std::string::npos) {
    error = path + ": file names with a backslash cannot be loaded";
    return false;
  }

  std::string zqexe;
  if (BaseOf(directory) == "zqapi" && directory != "/zqapi") {
    zqexe = DirectoryOf(directory) + "/";
  } else {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/quenzel-XXXXXX";
    if (::mkdtemp(&pattern[0]) == nullptr ||
        ::symlink(directory.c_str(), (pattern + "/zqapi").c_str()) != 0) {
      error = std::string("cannot create a temporary directory: ") + std::strerror(errno);
      ::rmdir(pattern.c_str());
      return false;
    }
    linkDirectory_ = pattern;
    zqexe = pattern + "/";
  }
  cfgstore::SetOverride(FullKey(kZqexe), kZqexe.value, zqexe);
  return true;
}

#endif

void SetCodePage(const std::string& number) {
  cfgstore::SetOverride(FullKey(kCodepage), kCodepage.value, number);
}

void EnableAuditLog() { cfgstore::SetOverride(FullKey(kAuditLog), kAuditLog.value, "1"); }

}  // namespace quenzel_tool
