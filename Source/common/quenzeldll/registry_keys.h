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
// The measurement settings of the scale share the driver's "system" section.
constexpr const char* kSystemSection = "system";
constexpr Setting kFixedWeightUnits = {kKeyDriver, kSystemSection, "FixedWeightUnits"};
// The scale's measurement systems ("decimal", "avoir", else kilograms) ...
constexpr Setting kWeightMeasurementSystem = {kKeyDriver, kSystemSection,
                                              "WeightMeasurementSystem"};
constexpr Setting kTotalsWeightMeasurementSystem = {kKeyDriver, kSystemSection,
                                                    "TotalsWeightMeasurementSystem"};
constexpr Setting kNetWeightMeasurementSystem = {kKeyDriver, kSystemSection,
                                                 "NetWeightMeasurementSystem"};
constexpr Setting kPriceMeasurementSystem = {kKeyDriver, kSystemSection, "PriceMeasurementSystem"};
// ... and its scaling factors.
constexpr Setting kWeightScalingSystem = {kKeyDriver, kSystemSection, "WeightScalingSystem"};
constexpr Setting kTotalsWeightScalingSystem = {kKeyDriver, kSystemSection,
                                                "TotalsWeightScalingSystem"};
constexpr Setting kNetWeightScalingSystem = {kKeyDriver, kSystemSection, "NetWeightScalingSystem"};

// The full key path of a setting: its key, a backslash and its section.
inline std::string FullKey(const Setting& setting) {
  return std::string(setting.key) + "\\" + setting.section;
}

}  // namespace settings
}  // namespace quenzel

#endif  // QUENZEL_REGISTRY_KEYS_H_
