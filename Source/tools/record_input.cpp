#include "record_input.h"

#include <cerrno>
#include <cstring>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "field_values.h"

namespace quenzel_tool {

namespace {

constexpr int kEof = std::char_traits<char>::eof();
constexpr std::size_t kChunk = std::size_t{64} * 1024;

bool IsSeparator(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Shown(int c) {
  if (c >= 0x20 && c < 0x7F) return std::string("'") + static_cast<char>(c) + "'";
  char code[8];
  (void)std::snprintf(code, sizeof code, "0x%02X", c & 0xFF);
  return std::string("byte ") + code;
}

}  // namespace

CaptureBuffer::int_type CaptureBuffer::underflow() {
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  // Bytes before the mark are no longer needed, once their lines are
  // counted.
  const std::size_t position = static_cast<std::size_t>(gptr() - eback()) - mark_;
  CountLines(mark_);
  data_.erase(0, mark_);
  base_ += mark_;
  counted_ -= mark_;
  mark_ = 0;
  const std::size_t used = data_.size();
  if (beforeWait_) beforeWait_();
  data_.resize(used + kChunk);
  long n = 0;
  do {
#ifdef _WIN32
    n = ::_read(fd_, &data_[used], static_cast<unsigned>(kChunk));
#else
    n = static_cast<long>(::read(fd_, &data_[used], kChunk));
#endif
  } while (n < 0 && errno == EINTR);
  if (n < 0) error_ = errno;
  data_.resize(used + static_cast<std::size_t>(n > 0 ? n : 0));
  setg(&data_[0], &data_[0] + position, &data_[0] + data_.size());
  return n > 0 ? traits_type::to_int_type(*gptr()) : kEof;
}

bool CaptureBuffer::NextRecord() {
  for (int c = sgetc(); c != kEof; c = sgetc()) {
    if (c == '/') {  // a comment runs to the end of its line, as between elements
      while (c != kEof && c != '\n') c = snextc();
      continue;
    }
    if (!IsSeparator(c)) {
      Mark();
      return true;
    }
    sbumpc();
  }
  Mark();
  return false;
}

bool CaptureBuffer::PeekNumber(int& number, std::string& found) {
  std::string digits;
  int c = sgetc();
  for (; c >= '0' && c <= '9' && digits.size() < 12; c = snextc())
    digits.push_back(static_cast<char>(c));
  RewindToMark();
  found = digits.empty() ? (c == kEof ? "the end of the input" : Shown(c)) : digits;
  if (digits.empty() || !(IsSeparator(c) || c == kEof) || digits.size() > 10) return false;
  const long long value = std::stoll(digits);
  if (value > 2147483647LL) return false;
  number = static_cast<int>(value);
  return true;
}

void CaptureBuffer::CountLines(std::size_t end) {
  for (; counted_ < end; ++counted_) {
    if (data_[counted_] == '\n') {
      ++line_;
      lineStart_ = base_ + counted_ + 1;
    }
  }
}

void CaptureBuffer::MarkLine(long long& line, long long& column) {
  CountLines(mark_);
  line = line_;
  column = static_cast<long long>(MarkOffset() - lineStart_) + 1;
}

std::string_view CaptureBuffer::Marked() const {
  return std::string_view(eback() + mark_, static_cast<std::size_t>(gptr() - eback()) - mark_);
}

CaptureBuffer::pos_type CaptureBuffer::seekoff(off_type off, std::ios::seekdir dir,
                                               std::ios::openmode which) {
  if (off != 0 || dir != std::ios::cur || (which & std::ios::in) == 0) return pos_type(-1);
  return pos_type(static_cast<off_type>(Offset()));
}

namespace {

using quenzel::detail::DataRecordDiagnosis;
using quenzel::detail::DataRecordFault;

std::string Label(CQuenzelRecord& record, int fieldNumber) {
  const CQuenzelField* field = record.FindField(fieldNumber);
  return field != nullptr ? FieldLabel(*field) : "field " + std::to_string(fieldNumber);
}

// "field 3 (DESC): "x": Length Error (allowed: ...)"
std::string SetterSaid(CQuenzelRecord& record, int fieldNumber, const std::string& value,
                       QuenzelError result) {
  const CQuenzelField* field = record.FindField(fieldNumber);
  return Label(record, fieldNumber) + ": " + Quoted(value) + ": " + QuenzelErrorName(result) +
         " (allowed: " + (field != nullptr ? Allowed(*field) : std::string()) + ")";
}

// The byte that stands where element `why` should open its value with a
// double quote, when another does: the element's field number and length,
// one separator, then the quote. -1 when the quote is there or the bytes
// do not tell.
int NotAQuote(const DataRecordDiagnosis& why, std::string_view bytes, std::uint64_t start) {
  if (why.elementOffset < 0 || static_cast<std::uint64_t>(why.elementOffset) < start) return -1;
  std::size_t at = static_cast<std::size_t>(why.elementOffset) - static_cast<std::size_t>(start);
  auto skip = [&](bool digits) {
    const std::size_t from = at;
    while (at < bytes.size() && (digits ? bytes[at] >= '0' && bytes[at] <= '9'
                                        : IsSeparator(static_cast<unsigned char>(bytes[at]))))
      ++at;
    return at > from;
  };
  if (!skip(true) || !skip(false) || !skip(true) || at + 1 >= bytes.size()) return -1;
  const unsigned char opening = static_cast<unsigned char>(bytes[at + 1]);
  return opening == '"' ? -1 : opening;
}

std::string Fault(CQuenzelRecord& record, const DataRecordDiagnosis& why, std::string_view bytes,
                  std::uint64_t start) {
  const std::string field = std::to_string(why.fieldNumber);
  switch (why.fault) {
    case DataRecordFault::kNone:
      break;
    case DataRecordFault::kNoRecordNumber:
      return "no record number";
    case DataRecordFault::kOtherRecord:
      return "record number " + std::to_string(why.number) + ", where record " +
             std::to_string(record.recordNumber) + " was expected";
    case DataRecordFault::kNoFieldNumber:
      return why.item.empty()
                 ? "the input ends before the record's closing 0"
                 : Quoted(why.item) + " where a field number or the closing 0 was expected";
    case DataRecordFault::kNoLength:
      return "field " + field + ": the value's length is missing or not a number";
    case DataRecordFault::kUndefinedField:
      return "field " + field + " is not defined in record " + std::to_string(record.recordNumber);
    case DataRecordFault::kValueCut:
      return Label(record, why.fieldNumber) + ": the input ends inside the value (" +
             std::to_string(why.taken) + " of " + std::to_string(why.length) + " bytes)";
    case DataRecordFault::kEmptyValue:
      return Label(record, why.fieldNumber) + ": an empty value (length 0) does not read";
    case DataRecordFault::kValueRefused: {
      const int opening = NotAQuote(why, bytes, start);
      if (opening >= 0)
        return Label(record, why.fieldNumber) +
               ": expected a double quote before the value, found " + Shown(opening);
      return SetterSaid(record, why.fieldNumber, why.value, why.result);
    }
  }
  return "the data record is malformed";
}

}  // namespace

std::string Explain(CQuenzelRecord& record, const DataRecordDiagnosis& why, std::string_view bytes,
                    std::uint64_t start) {
  std::string text = Fault(record, why, bytes, start);
  if (why.zeroCut.fieldNumber != 0)
    text += " (the value of " + Label(record, why.zeroCut.fieldNumber) +
            " holds a zero byte after " + std::to_string(why.zeroCut.taken) + " of its " +
            std::to_string(why.zeroCut.length) + " bytes)";
  return text;
}

std::vector<std::string> OutOfRange(CQuenzelRecord& record, const DataRecordDiagnosis& why) {
  std::vector<std::string> said;
  for (const quenzel::detail::DataRecordNote& note : why.notes)
    if (note.result == QuenzelError::kRangeError)
      said.push_back(SetterSaid(record, note.fieldNumber, note.value, note.result));
  return said;
}

}  // namespace quenzel_tool
