// Data records from a file or a pipe, one at a time: the bytes are read as
// they arrive (a capture that is still growing prints each record as it
// completes) and only the current record's bytes are kept, so memory stays
// bounded by the largest record however long the input runs.
#ifndef QUENZEL_TOOLS_RECORD_INPUT_H_
#define QUENZEL_TOOLS_RECORD_INPUT_H_

#include <quenzel.h>

#include <cstdint>
#include <functional>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "data_record.h"

namespace quenzel_tool {

// A stream buffer over a file descriptor that keeps the bytes from a mark
// on, so that a record can be looked at again after the library read it.
class CaptureBuffer : public std::streambuf {
 public:
  // `beforeWait` runs before each read of the input, which may wait for
  // more bytes: the moment to pass on what was printed so far.
  CaptureBuffer(int fd, std::function<void()> beforeWait)
      : fd_(fd), beforeWait_(std::move(beforeWait)) {}

  // Skips separators and comments up to the next record; false at the end
  // of the input. The mark is set where the record begins.
  bool NextRecord();
  // The record number that follows the mark, without taking it; false
  // when the record does not begin with one (`found` then holds what does).
  bool PeekNumber(int& number, std::string& found);

  // Goes back to the mark, so that the record can be read again or
  // skipped (quenzel::detail::SkipRecord) after a failed read.
  void RewindToMark() { setg(eback(), eback() + mark_, egptr()); }
  // Moves past one byte, for a skip that found no frame to skip.
  void SkipByte() { sbumpc(); }

  // The line and column (from 1) of the mark in the input.
  void MarkLine(long long& line, long long& column);

  std::string_view Marked() const;  // from the mark to the read position
  std::uint64_t MarkOffset() const { return base_ + mark_; }
  std::uint64_t Offset() const { return base_ + static_cast<std::uint64_t>(gptr() - eback()); }
  int error() const { return error_; }  // errno of a failed read, else 0

 protected:
  int_type underflow() override;
  // Tells the input offset (tellg), which the reader's diagnosis counts
  // its offsets from; seeks nowhere.
  pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode which) override;

 private:
  void Mark() { mark_ = static_cast<std::size_t>(gptr() - eback()); }
  // Counts the line feeds of data_ up to `end`.
  void CountLines(std::size_t end);

  int fd_;
  std::function<void()> beforeWait_;
  std::string data_;             // bytes from before the mark to the end of what was read
  std::size_t mark_ = 0;         // index of the mark in data_
  std::uint64_t base_ = 0;       // input offset of data_[0]
  std::size_t counted_ = 0;      // data_ is counted up to here
  long long line_ = 1;           // the line of data_[counted_]
  std::uint64_t lineStart_ = 0;  // the input offset where that line begins
  int error_ = 0;
};

// Why the library's reader refused a data record, in words, from its
// diagnosis; `record` is the record it read into. `bytes` are the record's
// bytes from `start` (its input offset) on, when known: an element whose
// value does not begin with a double quote is told as such.
std::string Explain(CQuenzelRecord& record, const quenzel::detail::DataRecordDiagnosis& why,
                    std::string_view bytes = std::string_view(), std::uint64_t start = 0);

// The values the reader stored with a Range Error, one message each.
std::vector<std::string> OutOfRange(CQuenzelRecord& record,
                                    const quenzel::detail::DataRecordDiagnosis& why);

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_RECORD_INPUT_H_
