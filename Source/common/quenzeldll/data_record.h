// Data records on streams: the record's number, the elements of its fields,
// the closing 0. docs/data-record-format.md describes the format. Not
// installed; the public stream operators delegate here.
#ifndef QUENZEL_DATA_RECORD_H_
#define QUENZEL_DATA_RECORD_H_

#include <ios>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "quenzel_record.h"

namespace quenzel {
namespace detail {

// Memory for the text a reader or writer builds, kept for the thread's next
// record, so that long texts grow it once rather than once per record (and
// released when it grew beyond 1 MB). Each `Tag` has its own. A use nested
// in another on the same thread (a host's stream buffer that reads or
// writes a record itself) gets memory of its own.
template <typename Tag>
class ThreadText {
 public:
  ThreadText() : thread_(ThreadMemory()), nested_(thread_.inUse) { thread_.inUse = true; }
  ~ThreadText() {
    if (nested_) return;
    thread_.inUse = false;
    if (thread_.text.capacity() > (1u << 20)) std::string().swap(thread_.text);
  }
  ThreadText(const ThreadText&) = delete;
  ThreadText& operator=(const ThreadText&) = delete;
  std::string& Text() { return nested_ ? own_ : thread_.text; }

 private:
  struct Thread {
    std::string text;
    bool inUse = false;
  };
  // Not inlined, so that the thread-local is looked up once per record.
  [[gnu::noinline]] static Thread& ThreadMemory() {
    thread_local Thread memory;
    return memory;
  }
  Thread& thread_;
  bool nested_;
  std::string own_;
};

// Writes one field's element (number, blank, byte length, blank, the value
// in double quotes, blank), or nothing when the field sends nothing.
std::ostream& WriteField(std::ostream& out, CQuenzelField& field);

// Writes the whole data record, handing the record's settings to each
// weight field first.
std::ostream& WriteRecord(std::ostream& out, CQuenzelRecord& record);

// Why the reader stopped short of a record's closing 0, for tools that
// explain a refused data record. The reader itself needs only the verdict.
enum class DataRecordFault {
  kNone,
  kNoRecordNumber,  // the record does not begin with a number item
  kOtherRecord,     // it begins with another record's number (`number`)
  kNoFieldNumber,   // neither a field number nor the closing 0; an empty
                    // `item` means the input ended before the closing 0
  kNoLength,        // the element's length is missing or not a number item
  kUndefinedField,  // the record defines no field of the element's number
  kValueCut,        // the input ends inside the value (`taken` of `length`)
  kEmptyValue,      // no value byte could be taken: a length of 0, or a
                    // zero byte first
  kValueRefused,    // the field's setter refused the value (`result`)
};

// A value the reader set with a result other than None and read on: a
// Range Error or Range Warning (any refusal in records 8 and 9).
struct DataRecordNote {
  int fieldNumber = 0;
  std::string value;  // as the element carried it (CLOB values not decoded)
  QuenzelError result = QuenzelError::kNone;
};

// Where and why one read stopped. Offsets count bytes from where the read
// began, as the stream buffer reports its position; they are -1 when the
// buffer cannot tell (it does not implement seekoff).
struct DataRecordDiagnosis {
  DataRecordFault fault = DataRecordFault::kNone;
  std::string item;       // the token that is no number item, at most kMaxItem bytes
  int number = 0;         // the record number read (kOtherRecord)
  int fieldNumber = 0;    // the element the fault concerns; 0 before the first
  int length = 0;         // the length that element claims
  std::size_t taken = 0;  // the value bytes taken from it
  std::string value;      // the refused value (kValueRefused)
  QuenzelError result = QuenzelError::kNone;  // the setter's result (kValueRefused)
  std::streamoff elementOffset = -1;          // where the element (or the record number) began
  std::streamoff stopOffset = -1;             // where reading stopped
  // The last value a zero byte cut short before its length was reached
  // (fieldNumber 0: none); a cut value usually makes a later element fail.
  struct ZeroCut {
    int fieldNumber = 0;
    std::size_t taken = 0;
    int length = 0;
  };
  ZeroCut zeroCut;
  std::vector<DataRecordNote> notes;  // in the order of the elements

  static constexpr std::size_t kMaxItem = 1023;
};

// Reads one data record into `record`; failure sets the fail bit, fields
// set before it keep their new values. Records 8 and 9 collect their three
// long texts from continuation elements. When `why` is given it is reset
// and then says where and why the read stopped, and notes every value set
// with a Range Error or Range Warning.
std::istream& ReadRecord(std::istream& in, CQuenzelRecord& record,
                         DataRecordDiagnosis* why = nullptr);

// The record boundary: where the next data record can be tried after a
// read failed. Reads one record's frame from its start without a
// definition and without setting anything: the record number, then
// elements (field number, length, one byte, exactly `length` bytes, zero
// bytes included, one byte) up to the field number 0 and the separator
// after it. True when the frame is whole; the stream then stands right
// after it, where a successful read would have stopped. False when a token
// that must be a number item is not one (the stream stands right after
// that token and the separator that ended it) or when the input ends (the
// stream stands at its end). Every call that does not meet the end of the
// input takes at least one byte, so a caller that resumes at the boundary
// always moves on.
bool SkipRecord(std::istream& in);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_DATA_RECORD_H_
