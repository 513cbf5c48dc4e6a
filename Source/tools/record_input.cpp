#include "record_input.h"

#include <cerrno>
#include <cstring>
#include <sstream>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "base64.h"
#include "field_types.h"
#include "field_values.h"
#include "measurement.h"
#include "token_reader.h"

namespace quenzel_tool {

namespace {

namespace detail = quenzel::detail;
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
  // Bytes before the mark are no longer needed.
  const std::size_t position = static_cast<std::size_t>(gptr() - eback()) - mark_;
  data_.erase(0, mark_);
  base_ += mark_;
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
  Rewind();
  found = digits.empty() ? (c == kEof ? "the end of the input" : Shown(c)) : digits;
  if (digits.empty() || !(IsSeparator(c) || c == kEof) || digits.size() > 10) return false;
  const long long value = std::stoll(digits);
  if (value > 2147483647LL) return false;
  number = static_cast<int>(value);
  return true;
}

std::string_view CaptureBuffer::Marked() const {
  return std::string_view(eback() + mark_, static_cast<std::size_t>(gptr() - eback()) - mark_);
}

RecordFindings Examine(const CQuenzelRecord& definition, CQuenzelRecord& record,
                       std::string_view bytes) {
  RecordFindings findings;
  record.uomFlag = definition.uomFlag;
  record.priceBaseFlag = definition.priceBaseFlag;
  std::istringstream in{std::string(bytes)};
  const bool split = record.recordNumber == 8 || record.recordNumber == 9;
  std::string cutByZero;  // a value cut short by a zero byte, for a later failure
  auto fail = [&](const std::string& why) {
    findings.failure = why + cutByZero;
    return findings;
  };
  int number = 0;
  if (!detail::ReadNumberItem(in, number)) return fail("no record number");
  if (number != record.recordNumber)
    return fail("record number " + std::to_string(number) + ", where record " +
                std::to_string(record.recordNumber) + " was expected");
  for (;;) {
    const auto at = in.tellg();
    int fieldNumber = 0, length = 0;
    if (!detail::ReadNumberItem(in, fieldNumber)) {
      in.clear();
      in.seekg(at);
      const std::string item = detail::ReadToken(in);
      return fail(item.empty()
                      ? "the input ends before the record's closing 0"
                      : "\"" + item + "\" where a field number or the closing 0 was expected");
    }
    if (fieldNumber == 0) return findings;
    if (!detail::ReadNumberItem(in, length))
      return fail("field " + std::to_string(fieldNumber) +
                  ": the value's length is missing or not a number");
    CQuenzelField* field = record.FindField(fieldNumber);
    if (field == nullptr && !split)
      return fail("field " + std::to_string(fieldNumber) + " is not defined in record " +
                  std::to_string(record.recordNumber));
    const std::string label = field ? FieldLabel(*field) : "field " + std::to_string(fieldNumber);
    in.get();  // the opening quote
    std::string value;
    int c = in.peek();
    while (value.size() < static_cast<std::size_t>(length) && c != kEof && c != '\0') {
      value.push_back(static_cast<char>(in.get()));
      c = in.peek();
    }
    if (c == '\0' && value.size() < static_cast<std::size_t>(length))
      cutByZero = " (the value of " + label + " holds a zero byte after " +
                  std::to_string(value.size()) + " of its " + std::to_string(length) + " bytes)";
    if (c == kEof && value.size() < static_cast<std::size_t>(length))
      return fail(label + ": the input ends inside the value (" + std::to_string(value.size()) +
                  " of " + std::to_string(length) + " bytes)");
    if (value.empty()) return fail(label + ": an empty value (length 0) does not read");
    // A continuation of a long text, or the head that starts one: the
    // library sets the heads once the record is read.
    const int head = fieldNumber - (record.recordNumber == 9 ? 1000 : 0);
    if (field == nullptr || (split && (head == 8740 || head == 8820 || head == 8760))) {
      in.get();
      continue;
    }
    if (field->m_Type == kTypeUom && (split || record.action >= kActionSearchFirstNextTrans))
      record.uomFlag = value[0] == '0';
    if (split && field->m_Type == kTypePriceBase) record.priceBaseFlag = value[0] == '1';
    if (detail::IsWeightType(field->m_Type))
      detail::HandOver(record, *field, detail::HandOverSite::kReader);
    const QuenzelError result =
        field->SetValue(field->IsClob() ? detail::DecodeBase64(value) : value, false);
    const std::string said = label + ": " + Quoted(value) + ": " + QuenzelErrorName(result) +
                             " (allowed: " + Allowed(*field) + ")";
    if (result == QuenzelError::kRangeError) findings.outOfRange.push_back(said);
    if (result != QuenzelError::kNone && result != QuenzelError::kRangeError &&
        result != QuenzelError::kRangeWarning && !split)
      return fail(said);
    in.get();  // the closing quote
  }
}

}  // namespace quenzel_tool
