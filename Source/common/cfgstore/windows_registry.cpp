#include "windows_registry.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace cfgstore {
namespace detail {

std::optional<Value> SystemValue(const std::string& key, const std::string& name) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle) !=
      ERROR_SUCCESS)
    return std::nullopt;
  DWORD type = 0, size = 0;
  std::string data;
  LSTATUS status = ::RegQueryValueExA(handle, name.c_str(), nullptr, &type, nullptr, &size);
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {  // it may grow meanwhile
    data.resize(size);
    status = ::RegQueryValueExA(handle, name.c_str(), nullptr, &type,
                                reinterpret_cast<BYTE*>(&data[0]), &size);
    if (status == ERROR_SUCCESS) break;
  }
  ::RegCloseKey(handle);
  if (status != ERROR_SUCCESS) return std::nullopt;
  data.resize(size);
  Value v;
  if (type == REG_DWORD && size == 4) {
    v.kind = Kind::kNumber32;
    v.number = static_cast<uint8_t>(data[0]) |
               static_cast<uint32_t>(static_cast<uint8_t>(data[1])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(data[2])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(data[3])) << 24;
  } else if (type == REG_QWORD && size == 8) {
    v.kind = Kind::kNumber64;
    for (int i = 7; i >= 0; --i) v.number = (v.number << 8) | static_cast<uint8_t>(data[i]);
  } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
    v.kind = type == REG_SZ ? Kind::kText : Kind::kExpandText;
    v.text = data.substr(0, data.find('\0'));
  } else {
    v.kind = Kind::kOpaque;
  }
  return v;
}

}  // namespace detail
}  // namespace cfgstore

#endif  // _WIN32
