#include "output.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#ifdef _WIN32
#include <io.h>
#include <process.h>
#else
#include <unistd.h>
#endif

#include "diagnostics.h"

namespace quenzel_tool {

namespace {

namespace fs = std::filesystem;

int ProcessId() {
#ifdef _WIN32
  return ::_getpid();
#else
  return static_cast<int>(::getpid());
#endif
}

// Creates `path`, which must not exist yet, for writing.
std::FILE* CreateNew(const std::string& path) {
#ifdef _WIN32
  const int fd = ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, 0666);
  std::FILE* file = fd < 0 ? nullptr : ::_fdopen(fd, "wb");
  if (fd >= 0 && file == nullptr) ::_close(fd);
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  std::FILE* file = fd < 0 ? nullptr : ::fdopen(fd, "wb");
  if (fd >= 0 && file == nullptr) ::close(fd);
#endif
  return file;
}

// Whether `path` is written in place: standard output aside, anything that
// exists and is no regular file (a device, a pipe) cannot be replaced.
bool WrittenInPlace(const std::string& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  return fs::exists(status) && !fs::is_regular_file(status);
}

}  // namespace

Output::~Output() { Discard(); }

void Output::Discard() {
  if (ours_ && file_ != nullptr) (void)std::fclose(file_);  // nothing more to report
  ours_ = false;
  file_ = nullptr;
  if (!temporary_.empty()) {
    std::error_code error;
    fs::remove(temporary_, error);
    temporary_.clear();
  }
}

bool Output::Open(const std::string& path) {
  if (path.empty() || path == "-") {
    file_ = stdout;
    return true;
  }
  name_ = path;
  std::string written = path;
  if (!WrittenInPlace(path)) {
    // Beside the target, so that the rename stays within one file system.
    const fs::path target(path);
    for (int attempt = 0; attempt < 100 && file_ == nullptr; ++attempt) {
      const fs::path temporary =
          target.parent_path() / ("." + target.filename().string() + ".quenzel-" +
                                  std::to_string(ProcessId()) + "-" + std::to_string(attempt));
      written = temporary.string();
      errno = 0;
      file_ = CreateNew(written);
      if (file_ == nullptr && errno != EEXIST) break;
    }
    if (file_ != nullptr) {
      target_ = path;
      temporary_ = written;
    }
  } else {
    file_ = std::fopen(path.c_str(), "wb");
  }
  if (file_ == nullptr) {
    Diag().Error("cannot write " + path + ": " + std::strerror(errno));
    return false;
  }
  ours_ = true;
  return true;
}

bool Output::Fail() {
  if (!failed_) Diag().Error("writing to " + name_ + " failed: " + std::strerror(errno));
  failed_ = true;
  return false;
}

bool Output::Write(std::string_view text) {
  if (failed_) return false;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) return Fail();
  return true;
}

bool Output::WriteLine(std::string_view text, bool flush) {
  if (!Write(text) || !Write("\n")) return false;
  return !flush || Flush();
}

bool Output::Flush() {
  if (failed_ || file_ == nullptr) return !failed_;
  errno = 0;
  return std::fflush(file_) == 0 || Fail();
}

bool Output::Finish(bool keep) {
  if (file_ == nullptr) return !failed_;
  errno = 0;
  if (std::fflush(file_) != 0 || std::ferror(file_) != 0) Fail();
  if (ours_) {
    if (std::fclose(file_) != 0) Fail();
    ours_ = false;
  }
  file_ = nullptr;
  if (!temporary_.empty()) {
    if (failed_ || !keep) {
      Discard();
      if (!failed_)
        Diag().Report(Severity::kNote, Location(), target_ + " left as it was: the run failed");
      return !failed_;
    }
    std::error_code error;
    fs::rename(temporary_, target_, error);
    if (error) {
      Diag().Error("cannot replace " + target_ + ": " + error.message());
      failed_ = true;
      Discard();
      return false;
    }
    temporary_.clear();
  }
  return !failed_;
}

bool OutputSpareInputs(const std::string& output, const std::vector<std::string>& inputs) {
  if (output.empty() || output == "-") return true;
  for (const std::string& input : inputs) {
    if (input.empty() || input == "-") continue;
    std::error_code error;
    const bool same =
        fs::equivalent(output, input, error) ||
        (error && fs::path(output).lexically_normal() == fs::path(input).lexically_normal());
    if (same) {
      std::string message = "the output " + output;
      message.append(" is the input ")
          .append(input)
          .append(": writing it would destroy what is to be read; nothing was read");
      Diag().Error(message);
      return false;
    }
  }
  return true;
}

}  // namespace quenzel_tool
