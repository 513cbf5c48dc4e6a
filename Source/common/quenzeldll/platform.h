// The library's seam to the operating system's files: paths, file status
// and times, whole-file reading and atomic replacement. errno stops here.
// Not installed.
#ifndef QUENZEL_PLATFORM_H_
#define QUENZEL_PLATFORM_H_

#include <cstdint>
#include <memory>
#include <string>

namespace quenzel {
namespace detail {

// A path as the library builds it (with backslashes) in the form the
// operating system opens: on POSIX every backslash becomes '/'.
std::string NativePath(const std::string& path);

// A modification time at the file system's full resolution.
struct FileTime {
  std::int64_t seconds = 0;
  long nanoseconds = 0;
  bool LaterThan(const FileTime& other) const {
    return seconds != other.seconds ? seconds > other.seconds : nanoseconds > other.nanoseconds;
  }
};

struct FileStatus {
  FileTime modified;
  std::uint64_t size = 0;
  bool directory = false;
};

// The status of the file at native path `path`; false when it has none.
bool StatFile(const std::string& path, FileStatus& status);

// Reads exactly `size` bytes of the file at native path `path` into a new
// buffer; false when the file cannot be opened, the buffer cannot be had or
// fewer bytes arrive.
bool ReadWholeFile(const std::string& path, std::size_t size, std::unique_ptr<char[]>& bytes);

// Writes `bytes` to `path` + ".tmp", stamps it with `modified` when given,
// flushes it to the disk and renames it over `path`, so that a reader sees
// the old file or the new one. A failed write removes the temporary file
// and leaves `path` as it was. False when the temporary file cannot be
// created.
bool ReplaceFile(const std::string& path, const std::string& bytes, const FileTime* modified);

// ASCII case-insensitive comparison.
bool EqualsIgnoreCase(const std::string& a, const char* b);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_PLATFORM_H_
