// The library's seam to its platform services: registry settings
// (cfgstore), audit entries (logbook) and its own file version (winver).
// Not installed.
#ifndef QUENZEL_HOST_SERVICES_H_
#define QUENZEL_HOST_SERVICES_H_

#include <string>

#include "cfgstore.h"
#include "logbook.h"
#include "registry_keys.h"

namespace quenzel {
namespace detail {

// Audit entries: source and event numbers.
constexpr const char* kAuditSource = "quenzel";
constexpr int kEventCatalogue = 996;
constexpr int kEventRecord = 997;

// The registry's switches and texts, read at the moment of use.
bool ReadSwitch(const settings::Setting& setting, const char* defaultText);
std::string ReadText(const settings::Setting& setting);

// The default-data mode ("DEFAULTDATAMODE"), read anew at every call.
bool DefaultDataMode();

}  // namespace detail
}  // namespace quenzel

// Reads the version of a file in the library's own directory (the ZQEXE
// directory of the registry). Calls on one thread must not overlap; each
// thread has its own directory buffer.
class Cgetver {
 public:
  virtual ~Cgetver() = default;

  // Writes "major.minor.build" of `fileName` into `out` (at least 18 bytes).
  // Returns 0 on success; 1 `out` is null; 7 `fileName` is null or empty;
  // 2 the file has no version block; 3 no memory for it; 4 it cannot be read;
  // 5 it has no fixed version information; 6 file and product versions
  // differ. `reserved` is not used.
  int GetVersion(char* out, const char* fileName, char* reserved);
};

#endif  // QUENZEL_HOST_SERVICES_H_
