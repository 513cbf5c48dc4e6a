// The Windows registry itself, which answers when no export file is named.
// Internal to cfgstore; Windows only.
#ifndef CFGSTORE_WINDOWS_REGISTRY_H_
#define CFGSTORE_WINDOWS_REGISTRY_H_

#ifdef _WIN32
#include <optional>
#include <string>

#include "registry_values.h"

namespace cfgstore {
namespace detail {

// The value in the Windows registry, below HKEY_LOCAL_MACHINE as this
// process sees it (a 32-bit process sees the 32-bit view by itself).
// REG_SZ, REG_EXPAND_SZ, REG_DWORD and REG_QWORD; other types read as
// opaque. Nothing when the key or the value is missing.
std::optional<Value> SystemValue(const std::string& key, const std::string& name);

}  // namespace detail
}  // namespace cfgstore

#endif  // _WIN32
#endif  // CFGSTORE_WINDOWS_REGISTRY_H_
