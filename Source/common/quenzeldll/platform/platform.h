// The library's seam to the operating system's files: paths, file status
// and times, whole-file reading and atomic replacement: platform_posix.cpp
// and platform_win32.cpp. errno and Win32 error codes stop here. Not
// installed.
#ifndef QUENZEL_PLATFORM_H_
#define QUENZEL_PLATFORM_H_

#include <cstdint>
#include <ios>
#include <memory>
#include <streambuf>
#include <string>
#include <vector>

namespace quenzel {
namespace detail {

// A path as the library builds it (with backslashes) in the form the
// operating system opens: on POSIX every backslash becomes '/'; Windows
// takes it as it is.
inline std::string NativePath(std::string path) {
#ifndef _WIN32
  for (char& c : path)
    if (c == '\\') c = '/';
#endif
  return path;
}

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

// A regular file opened for reading in binary, read in pieces straight
// into the caller's memory. Opening never blocks: a FIFO, device or
// directory is refused like a file that cannot be opened. On Windows the
// file stays open to a saver that renames a new file over it.
class BinaryFile {
 public:
  BinaryFile() = default;
  ~BinaryFile();
  BinaryFile(const BinaryFile&) = delete;
  BinaryFile& operator=(const BinaryFile&) = delete;
  // Opens the file at native path `path`; false when it cannot be opened
  // or is not a regular file.
  bool Open(const std::string& path);
  // Reads up to `size` bytes into `into`: the count read, 0 at the end of
  // the file, -1 on an error.
  long Read(char* into, unsigned size);

 private:
  std::intptr_t handle_ = -1;  // a descriptor on POSIX, a HANDLE on Windows
};

// A read-only stream buffer over a regular file. Opening never blocks: a
// FIFO, socket, device or directory is refused like a file that cannot be
// opened. A read error throws std::ios_base::failure from underflow(), as
// the standard file buffer does, so the stream reading through it turns the
// error into its bad bit.
class InputFile : public std::streambuf {
 public:
  InputFile() = default;
  ~InputFile() override {
    if (fd_ != -1) Close(fd_);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens the file at native path `path`; false when it cannot be opened
  // or is not a regular file.
  bool Open(const std::string& path) {
    fd_ = OpenRegular(path);
    if (fd_ == -1) return false;
    buffer_.resize(1 + kChunk);
    setg(buffer_.data(), buffer_.data() + 1, buffer_.data() + 1);
    return true;
  }

 protected:
  // Refills the buffer, keeping the last byte read in front of it for
  // putting back.
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (fd_ == -1) return traits_type::eof();
    char* const start = buffer_.data() + 1;
    if (gptr() > start) buffer_[0] = gptr()[-1];
    const long n = ReadSome(fd_, start, kChunk);
    if (n < 0) throw std::ios_base::failure("error reading the definition file");
    setg(buffer_.data(), start, start + n);
    return n == 0 ? traits_type::eof() : traits_type::to_int_type(*start);
  }

 private:
  static constexpr unsigned kChunk = 64u * 1024u;  // bytes asked of the file per read
  // The operating system's part, in platform_posix.cpp and
  // platform_win32.cpp: a descriptor of a regular file opened without
  // blocking (-1 otherwise), a read of up to `size` bytes (-1 on an error),
  // and the close.
  static int OpenRegular(const std::string& path);
  static long ReadSome(int fd, char* into, unsigned size);
  static void Close(int fd);
  friend class BinaryFile;

  int fd_ = -1;
  std::vector<char> buffer_;
};

// Writes `bytes` to a new temporary file beside `path` (its name is `path`
// + ".tmp" and a suffix unique to this save; created exclusively, never
// through a link), stamps it with `modified` when given, flushes it to the
// disk and renames it over `path`, so that a reader sees the old file or the
// new one whatever other savers do at the same time. A failed write removes
// the temporary file and leaves `path` as it was. False when no temporary
// file can be created.
bool ReplaceFile(const std::string& path, const std::string& bytes, const FileTime* modified);

// ASCII case-insensitive comparison of `a` (up to its first zero byte)
// and `b`.
inline bool EqualsIgnoreCase(const std::string& a, const char* b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  const char* p = a.c_str();
  for (; *p != '\0' && lower(*p) == lower(*b); ++p, ++b) {
  }
  return lower(*p) == lower(*b);
}

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_PLATFORM_H_
