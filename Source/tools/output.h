// Where a verb's results go: standard output, or the file of -o. Every
// write is checked, so that a full disk or a closed pipe ends the tool with
// a message and exit status 1 instead of a silent loss.
#ifndef QUENZEL_TOOLS_OUTPUT_H_
#define QUENZEL_TOOLS_OUTPUT_H_

#include <cstdio>
#include <string>
#include <string_view>

namespace quenzel_tool {

class Output {
 public:
  Output() = default;
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  ~Output();

  // Opens `path` for writing ("" or "-": standard output). False after
  // saying why on stderr.
  bool Open(const std::string& path);

  // Writes `text`; false (once said on stderr) when the output failed.
  bool Write(std::string_view text);
  // Writes `text` and a line feed, and hands it on at once unless `flush`
  // is false.
  bool WriteLine(std::string_view text, bool flush = true);
  // Hands what was written on, so that a reader at the other end of a pipe
  // sees it now.
  bool Flush();

  // Flushes and closes; false when anything written was lost.
  bool Finish();

 private:
  bool Fail();

  std::FILE* file_ = nullptr;
  std::string name_ = "standard output";
  bool ours_ = false;
  bool failed_ = false;
};

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_OUTPUT_H_
