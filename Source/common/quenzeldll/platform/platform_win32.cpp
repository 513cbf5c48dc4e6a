// The platform seam on Windows: the C runtime's text mode for the definition
// file, the Win32 file API for status, times and the atomic replacement.
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#undef ReplaceFile  // the Win32 name; the library's own is declared in platform.h

#include <algorithm>
#include <atomic>
#include <new>

#include "platform.h"

namespace quenzel {
namespace detail {

namespace {

// 100-nanosecond ticks between 1601-01-01 (FILETIME) and 1970-01-01.
constexpr std::int64_t kEpochTicks = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000;

FileTime FromFiletime(const FILETIME& time) {
  const std::int64_t ticks =
      static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                time.dwLowDateTime) -
      kEpochTicks;
  std::int64_t seconds = ticks / kTicksPerSecond;
  std::int64_t rest = ticks % kTicksPerSecond;
  if (rest < 0) {  // times before 1970: the nanoseconds stay positive
    rest += kTicksPerSecond;
    --seconds;
  }
  return FileTime{seconds, static_cast<long>(rest * 100)};
}

FILETIME ToFiletime(const FileTime& time) {
  const std::uint64_t ticks = static_cast<std::uint64_t>(time.seconds * kTicksPerSecond +
                                                         time.nanoseconds / 100 + kEpochTicks);
  FILETIME result;
  result.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  result.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return result;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  return true;
}

// Creates a file of its own beside `path` for writing: `path` + ".tmp." and
// the process id and a per-process count, retried with the next count while
// the name is taken. CREATE_NEW refuses an existing name, a link included.
HANDLE CreateTemporary(const std::string& path, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name =
        path + ".tmp." + std::to_string(::GetCurrentProcessId()) + "." + std::to_string(counter++);
    const HANDLE file = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

int InputFile::OpenRegular(const std::string& path) {
  // Text mode: the C runtime ends lines and the file (at a Ctrl-Z) as it
  // does for any text file.
  const int fd = ::_sopen(path.c_str(), _O_RDONLY | _O_TEXT | _O_NOINHERIT, _SH_DENYNO);
  if (fd == -1) return -1;
  struct _stat64 info;
  if (::_fstat64(fd, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
    ::_close(fd);
    return -1;
  }
  return fd;
}

long InputFile::ReadSome(int fd, char* into, unsigned size) { return ::_read(fd, into, size); }

void InputFile::Close(int fd) { ::_close(fd); }

bool StatFile(const std::string& path, FileStatus& status) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
  status.modified = FromFiletime(data.ftLastWriteTime);
  status.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  status.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  return true;
}

BinaryFile::~BinaryFile() {
  if (handle_ != -1) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool BinaryFile::Open(const std::string& path) {
  // Shared for deleting too, so that a saver may rename a new file over it.
  const HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (::GetFileType(file) != FILE_TYPE_DISK) {
    ::CloseHandle(file);
    return false;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  return true;
}

long BinaryFile::Read(char* into, unsigned size) {
  DWORD read = 0;
  if (!::ReadFile(reinterpret_cast<HANDLE>(handle_), into, size, &read, nullptr)) return -1;
  return static_cast<long>(read);
}

bool ReplaceFile(const std::string& path, const std::string& bytes, const FileTime* modified) {
  std::string temporary;
  const HANDLE file = CreateTemporary(path, temporary);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool written = WriteAll(file, bytes);
  if (written && modified != nullptr) {
    const FILETIME time = ToFiletime(*modified);
    written = ::SetFileTime(file, nullptr, nullptr, &time) != 0;
  }
  written = written && ::FlushFileBuffers(file);
  written = ::CloseHandle(file) && written;
  if (!written || !::MoveFileExA(temporary.c_str(), path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    ::DeleteFileA(temporary.c_str());
  return true;
}

}  // namespace detail
}  // namespace quenzel
