#include "host_services.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>  // the version API of version.dll
#include <winver.h>
#else
#include "winver.h"  // the stand-in
#endif

namespace quenzel {
namespace detail {

bool ReadSwitch(const settings::Setting& setting, const char* defaultText) {
  return registry.readBool(HKEY_LOCAL_MACHINE, setting.key, setting.section, setting.value,
                           defaultText, 0);
}

std::string ReadText(const settings::Setting& setting) {
  return registry.read(HKEY_LOCAL_MACHINE, setting.key, setting.section, setting.value, "", 0);
}

bool DefaultDataMode() {
  const settings::Setting& mode = settings::kDefaultDataMode;
  return readRegTrueFalse(HKEY_LOCAL_MACHINE, mode.key, mode.section, mode.value, "false") != 0;
}

}  // namespace detail
}  // namespace quenzel

namespace {

constexpr int kDirectorySize = 260;
thread_local char t_directory[kDirectorySize];

}  // namespace

int Cgetver::GetVersion(char* out, const char* fileName, char* /*reserved*/) {
  if (out == nullptr) return 1;
  out[0] = '\0';
  if (fileName == nullptr || fileName[0] == '\0') return 7;

  const quenzel::settings::Setting& zqexe = quenzel::settings::kZqexe;
  readReg(HKEY_LOCAL_MACHINE, zqexe.key, zqexe.section, zqexe.value, t_directory, kDirectorySize,
          "");
  std::string path = std::string(t_directory) + "\\" + fileName;

  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  if (size == 0) return 2;
  std::unique_ptr<unsigned char[]> block(new (std::nothrow) unsigned char[size + 1]);
  if (!block) return 3;
  if (!GetFileVersionInfoA(path.c_str(), handle, size, block.get())) return 4;
  void* info = nullptr;
  UINT infoLength = 0;
  if (!VerQueryValueA(block.get(), "\\", &info, &infoLength) || info == nullptr ||
      infoLength < sizeof(VS_FIXEDFILEINFO))
    return 5;
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, info, sizeof fixed);
  if (fixed.dwFileVersionMS != fixed.dwProductVersionMS ||
      fixed.dwFileVersionLS != fixed.dwProductVersionLS)
    return 6;
  // Three 16-bit numbers and two dots fit the 18 bytes: the result needs no check.
  (void)std::snprintf(out, 18, "%d.%d.%d", static_cast<int>(fixed.dwProductVersionMS >> 16),
                      static_cast<int>(fixed.dwProductVersionMS & 0xFFFF),
                      static_cast<int>(fixed.dwProductVersionLS >> 16));
  return 0;
}
