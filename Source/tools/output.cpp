#include "output.h"

#include <cerrno>
#include <cstring>
#include <iostream>

namespace quenzel_tool {

Output::~Output() {
  if (ours_ && file_ != nullptr)
    (void)std::fclose(file_);  // an early return: nothing more to report
}

bool Output::Open(const std::string& path) {
  if (path.empty() || path == "-") {
    file_ = stdout;
    return true;
  }
  name_ = path;
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    std::cerr << "quenzel: cannot write " << path << ": " << std::strerror(errno) << "\n";
    return false;
  }
  ours_ = true;
  return true;
}

bool Output::Fail() {
  if (!failed_)
    std::cerr << "quenzel: writing to " << name_ << " failed: " << std::strerror(errno) << "\n";
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

bool Output::Finish() {
  if (file_ == nullptr) return !failed_;
  errno = 0;
  if (std::fflush(file_) != 0 || std::ferror(file_) != 0) Fail();
  if (ours_) {
    if (std::fclose(file_) != 0) Fail();
    ours_ = false;
  }
  file_ = nullptr;
  return !failed_;
}

}  // namespace quenzel_tool
