#include "platform.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace quenzel {
namespace detail {

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

std::string NativePath(const std::string& path) {
  std::string native = path;
#ifndef _WIN32
  for (char& c : native)
    if (c == '\\') c = '/';
#endif
  return native;
}

bool StatFile(const std::string& path, FileStatus& status) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  status.modified.seconds = info.st_mtim.tv_sec;
  status.modified.nanoseconds = info.st_mtim.tv_nsec;
  status.size = static_cast<std::uint64_t>(info.st_size);
  status.directory = S_ISDIR(info.st_mode);
  return true;
}

bool ReadWholeFile(const std::string& path, std::size_t size, std::unique_ptr<char[]>& bytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd == -1) return false;
  bytes.reset(new (std::nothrow) char[size]);
  if (!bytes) {
    ::close(fd);
    return false;
  }
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::read(fd, bytes.get() + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return done == size;
}

bool ReplaceFile(const std::string& path, const std::string& bytes, const FileTime* modified) {
  const std::string temporary = path + ".tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd == -1) return false;
  bool written = WriteAll(fd, bytes);
  if (written && modified != nullptr) {
    struct timespec times[2] = {{0, UTIME_OMIT}, {}};  // access, modification
    times[1].tv_sec = static_cast<time_t>(modified->seconds);
    times[1].tv_nsec = modified->nanoseconds;
    written = ::futimens(fd, times) == 0;
  }
  written = written && ::fsync(fd) == 0;
  written = (::close(fd) == 0) && written;
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) ::unlink(temporary.c_str());
  return true;
}

bool EqualsIgnoreCase(const std::string& a, const char* b) {
  return ::strcasecmp(a.c_str(), b) == 0;
}

}  // namespace detail
}  // namespace quenzel
