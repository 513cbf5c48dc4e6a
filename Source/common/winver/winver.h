// winver: the file-version functions of the Windows version API, for
// platforms without it. They read the version resource (VS_VERSIONINFO with
// its VS_FIXEDFILEINFO) of a Windows PE image, 32- or 64-bit.
//
// Paths may use backslashes; each becomes '/' when the file is opened.
// A missing, truncated or corrupt file is a failure result, never a crash or
// a read outside the file's bytes.
//
// Thread-safe: no shared state.
#ifndef WINVER_WINVER_H_
#define WINVER_WINVER_H_

#include <cstdint>

using DWORD = std::uint32_t;
using UINT = unsigned int;
using BOOL = int;

// Layout and meaning as in the PE version resource.
struct VS_FIXEDFILEINFO {
  DWORD dwSignature;  // 0xFEEF04BD
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};

// Size in bytes of the file's version block, or 0 when the file has none
// (or cannot be read). `handle`, when not null, is set to 0.
DWORD GetFileVersionInfoSizeA(const char* fileName, DWORD* handle);

// Copies the version block into `data` (`len` bytes available). Non-zero on
// success; fails when the file has no valid block or it does not fit.
BOOL GetFileVersionInfoA(const char* fileName, DWORD handle, DWORD len, void* data);

// With `subBlock` "\\", points `*buffer` at the block's VS_FIXEDFILEINFO and
// sets `*len` to its size. Non-zero on success. Other sub-blocks are not
// supported and fail.
BOOL VerQueryValueA(const void* block, const char* subBlock, void** buffer, UINT* len);

#endif  // WINVER_WINVER_H_
