// cfgstore: the registry-access library that quenzel reads every setting
// through.
//
// On Windows, values come from the system registry (HKEY_LOCAL_MACHINE as
// the process sees it; a 32-bit process is redirected to the 32-bit view by
// Windows itself): REG_SZ, REG_EXPAND_SZ (expanded at read time), REG_DWORD
// and REG_QWORD; other types read as missing. Setting CFGSTORE_FILE selects
// a registry export file instead, as on every other platform.
//
// Elsewhere, values live in a Windows registry export file (.reg) named by
// the environment variable CFGSTORE_FILE. The file is parsed on first use and
// parsed again whenever the variable names another file or the file's size
// or modification time changes, so a running host sees edits. Without the
// variable, or without the file, the registry is empty and every read gives
// its default. Only HKEY_LOCAL_MACHINE is backed by the file; reads below any
// other root give the default.
//
// A value is addressed by key path, section (a subkey below the path) and
// value name: HKEY_LOCAL_MACHINE\<keyPath>\<section>, value <valueName>. Key
// paths and value names compare case-insensitively, as on Windows.
//
// Every function is thread-safe.
#ifndef CFGSTORE_CFGSTORE_H_
#define CFGSTORE_CFGSTORE_H_

#include <cstdint>
#include <string>

#if defined(_WIN32)
#if defined(CFGSTORE_BUILDING)
#define CFGSTORE_API __declspec(dllexport)
#else
#define CFGSTORE_API __declspec(dllimport)
#endif
#else
#define CFGSTORE_API __attribute__((visibility("default")))
#endif

// Root handles, shaped like the Windows ones so that callers read the same.
struct HKEY__;
using HKEY = HKEY__*;
#ifndef HKEY_LOCAL_MACHINE
#ifdef _WIN32  // as <windows.h> has it: the 32-bit value sign-extended
#define HKEY_LOCAL_MACHINE \
  (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<std::int32_t>(0x80000002u))))
#else
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002u)))
#endif
#endif

class CFGSTORE_API Registry {
 public:
  // The value's text (dword values as decimal text), or `defaultValue` when
  // the value is missing. `reserved` is ignored.
  std::string read(HKEY root, const std::string& keyPath, const std::string& section,
                   const std::string& valueName, const std::string& defaultValue, int reserved);

  // The value read as a switch: true for 1, true, yes, on (any case) or a
  // non-zero dword; everything else is false. A missing value reads
  // `defaultValue` the same way.
  bool readBool(HKEY root, const std::string& keyPath, const std::string& section,
                const std::string& valueName, const std::string& defaultValue, int reserved);
};

// The process-wide registry object the library calls.
extern CFGSTORE_API Registry registry;

// The value as a number: a dword as it is, a text read like atoi. A missing
// value reads `defaultValue` like atoi.
CFGSTORE_API int readRegInt(HKEY root, const char* keyPath, const char* section,
                            const char* valueName, const char* defaultValue);

// Non-zero when the value (or `defaultValue`) reads as a true switch.
CFGSTORE_API int readRegTrueFalse(HKEY root, const char* keyPath, const char* section,
                                  const char* valueName, const char* defaultValue);

// The value `valueName` of HKEY_LOCAL_MACHINE\SOFTWARE\TORVANHOLME\Environment,
// or `defaultValue`. The pointer stays valid until the calling thread's next
// readRegA; callers copy it at once.
CFGSTORE_API const char* readRegA(const char* valueName, const char* defaultValue);

// Copies the value's text (or `defaultValue`) into `buffer` of `size` bytes,
// truncated and always terminated when size > 0. Returns the length of the
// full text.
CFGSTORE_API int readReg(HKEY root, const char* keyPath, const char* section, const char* valueName,
                         char* buffer, int size, const char* defaultValue);

namespace cfgstore {

// Process-local values laid over the file: an override answers before the
// file does. `key` is the full key below HKEY_LOCAL_MACHINE, for example
// "SOFTWARE\\TORVANHOLME\\Environment". Tools use this to point the library
// at a definition file of their choosing without touching any file.
CFGSTORE_API void SetOverride(const std::string& key, const std::string& valueName,
                              const std::string& value);
CFGSTORE_API void ClearOverrides();

// True when `path` is a regular file that begins as a registry export does
// (the header line, after an optional byte-order mark); anything else would
// read as an empty registry.
CFGSTORE_API bool IsExportFile(const std::string& path);

}  // namespace cfgstore

#endif  // CFGSTORE_CFGSTORE_H_
