// The platform seam on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <new>

#include "platform.h"

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

// Creates a file of its own beside `path` for writing: `path` + ".tmp." and
// the process id and a per-process count, retried with the next count while
// the name is taken. O_EXCL refuses an existing name, a symbolic link
// included, so a planted link is never followed.
int CreateTemporary(const std::string& path, std::string& name) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd != -1 || errno != EEXIST) return fd;
  }
  return -1;
}

// Makes a completed rename durable: the directory entry reaches the disk.
void SyncDirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd == -1) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

int InputFile::OpenRegular(const std::string& path) {
  // O_NONBLOCK: opening a FIFO without a writer would wait for one.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd == -1) return -1;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

long InputFile::ReadSome(int fd, char* into, unsigned size) {
  ssize_t n;
  do {
    n = ::read(fd, into, size);
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

void InputFile::Close(int fd) { ::close(fd); }

bool StatFile(const std::string& path, FileStatus& status) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  status.modified.seconds = info.st_mtim.tv_sec;
  status.modified.nanoseconds = info.st_mtim.tv_nsec;
  status.size = static_cast<std::uint64_t>(info.st_size);
  status.directory = S_ISDIR(info.st_mode);
  return true;
}

BinaryFile::~BinaryFile() {
  if (handle_ != -1) InputFile::Close(static_cast<int>(handle_));
}

bool BinaryFile::Open(const std::string& path) {
  handle_ = InputFile::OpenRegular(path);
  return handle_ != -1;
}

long BinaryFile::Read(char* into, unsigned size) {
  return InputFile::ReadSome(static_cast<int>(handle_), into, size);
}

bool ReplaceFile(const std::string& path, const std::string& bytes, const FileTime* modified) {
  std::string temporary;
  const int fd = CreateTemporary(path, temporary);
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
  if (!written || ::rename(temporary.c_str(), path.c_str()) != 0)
    ::unlink(temporary.c_str());
  else
    SyncDirectoryOf(path);
  return true;
}

}  // namespace detail
}  // namespace quenzel
