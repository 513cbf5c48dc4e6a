// Every registry setting the library reads (below HKEY_LOCAL_MACHINE), in
// one place, for the library and for the tool that points the library at
// its own settings. Not installed; docs/configuration.md lists them for
// users.
#ifndef QUENZEL_REGISTRY_KEYS_H_
#define QUENZEL_REGISTRY_KEYS_H_

#include <string>

namespace quenzel {
namespace settings {

constexpr const char* kKeyRoot = "SOFTWARE\\TORVANHOLME";
constexpr const char* kKeyDriver = "SOFTWARE\\TORVANHOLME\\DRIVER";

// A value as the library asks for it: key path, section (a subkey) and
// value name. Section names keep the letter case the library passes.
struct Setting {
  const char* key;
  const char* section;
  const char* value;
};

constexpr Setting kAuditLog = {kKeyDriver, "quenzel", "AUDITLOG"};
constexpr Setting kZqexe = {kKeyRoot, "Environment", "ZQEXE"};
constexpr Setting kCodepage = {kKeyRoot, "ENVIRONMENT", "Codepage"};
constexpr Setting kCacheFiles = {kKeyRoot, "Environment", "CacheFiles"};
constexpr Setting kDefaultDataMode = {kKeyDriver, "QUENZEL", "DEFAULTDATAMODE"};
constexpr Setting kFixedWeightUnits = {kKeyDriver, "system", "FixedWeightUnits"};
// The measurement settings of the scale share the driver's "system" section.
constexpr const char* kSystemSection = "system";

// The full key path of a setting: its key, a backslash and its section.
inline std::string FullKey(const Setting& setting) {
  return std::string(setting.key) + "\\" + setting.section;
}

}  // namespace settings
}  // namespace quenzel

#endif  // QUENZEL_REGISTRY_KEYS_H_
