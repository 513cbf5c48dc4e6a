// Where a verb's results go: standard output, or the file of -o. Every
// write is checked, so that a full disk or a closed pipe ends the tool with
// a message and exit status 1 instead of a silent loss. A regular file is
// written to a temporary file beside it and renamed over it only when the
// run succeeds, so a failed run leaves the old file as it was.
#ifndef QUENZEL_TOOLS_OUTPUT_H_
#define QUENZEL_TOOLS_OUTPUT_H_

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

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

  // Flushes and closes; false when anything written was lost. The file of
  // -o takes the new contents only when `keep` is true; otherwise it stays
  // as it was.
  bool Finish(bool keep = true);

 private:
  bool Fail();

  void Discard();

  std::FILE* file_ = nullptr;
  std::string target_;     // the file of -o
  std::string temporary_;  // where it is written until the run succeeds
  std::string name_ = "standard output";
  bool ours_ = false;
  bool failed_ = false;
};

// False, after saying so, when `output` names one of `inputs` (the same
// file, also through another path or link): writing it would destroy what
// is to be read. "" and "-" name standard output and input.
bool OutputSpareInputs(const std::string& output, const std::vector<std::string>& inputs);

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_OUTPUT_H_
