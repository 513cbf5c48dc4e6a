// Writing data records: each field's element formatted in place, the whole
// record handed to the stream at once when its numbers need no stream
// formatting.
#include <algorithm>
#include <charconv>
#include <cstring>
#include <locale>
#include <string_view>

#include "data_record.h"
#include "field_getters.h"
#include "field_types.h"
#include "measurement.h"
#include "numbers.h"
#include "short_text.h"
#include "stream_guard.h"
#include "weight_conversion.h"

namespace quenzel {
namespace detail {

namespace {

// Names the writer's ThreadText.
struct WriterText;

// True when numbers inserted into `out` come out as plain decimal digits,
// exactly as std::to_string writes them: decimal base, no sign or base
// flags, no field width, and the classic locale (no digit grouping). The
// writers then write preformatted bytes in one go.
bool PlainNumbers(const std::ostream& out) {
  const std::ios::fmtflags flags = out.flags();
  const std::ios::fmtflags base = flags & std::ios::basefield;
  return (base == std::ios::dec || base == 0) && !(flags & std::ios::showpos) && out.width() == 0 &&
         out.getloc() == std::locale::classic();
}

// Writes `text` as one formatted output: nothing when the stream is not
// ready, the bad bit when the stream buffer takes less.
void WriteText(std::ostream& out, std::string_view text) {
  std::ostream::sentry ready(out);
  if (!ready) return;
  const std::streamsize size = static_cast<std::streamsize>(text.size());
  std::streamsize put = 0;
  if (GuardBuffer(out, [&] { put = out.rdbuf()->sputn(text.data(), size); }) && put != size)
    out.setstate(std::ios::badbit);
}

// The digits of a numeric value an element sends; the longest is that of
// the 64-bit minimum.
struct NumberText {
  char digits[24];
};

// A number's text as the writer would write it: 1 to 18 digits, without a
// leading zero (unless it is the only one).
inline bool PlainDigits(const std::string& text, long long& value) {
  return ShortDigits(text, value) && (text.size() == 1 || text[0] != '0');
}

// The value a field's element sends, or a null view when it sends nothing
// (its default, unreadable, or text only). A numeric value's text is
// written into `number`.
[[gnu::always_inline]] inline std::string_view ElementValue(CQuenzelField& f, NumberText& number) {
  if (f.m_TreatAsText) return {};
  switch (ClassOf(f.m_Type)) {
    case TypeClass::kText: {
      if (f.m_Default == 0 && f.m_Value.empty()) return {};
      if (f.m_Default == 0) return f.m_Value;
      // A value of nothing but pad characters over the whole length is the default.
      const char pad = static_cast<char>(f.m_Default & 0xFF);
      const std::size_t length = static_cast<std::size_t>(std::max(f.m_Length, 0));
      const bool onlyPad = f.m_Value.size() >= length && f.m_Value.find_first_not_of(pad) >= length;
      return onlyPad ? std::string_view() : std::string_view(f.m_Value);
    }
    case TypeClass::kSingleCharacter: {
      unsigned char c = 0;
      if (GetSingleCharacter(f, c) != QuenzelError::kNone || c == f.m_Default) return {};
      return f.m_Value;
    }
    case TypeClass::kNumeric: {
      // Plain digits without a leading zero that the getter gives back
      // unchanged and that pass its checks are the text the number would
      // be written as: sent as they stand. A year's digits come back
      // unchanged in the century the getter maps two-digit years to.
      long long value = 0;
      if (!TakesPartInConversion(f) && PlainDigits(f.m_Value, value) &&
          (f.m_Type != kTypeYear || (value >= 1975 && value <= 2074)) && NumberAllowed(f, value))
        return value == f.m_Default ? std::string_view() : std::string_view(f.m_Value);
      [[fallthrough]];
    }
    default: {
      long long value = 0;
      if (GetNumber(f, value) != QuenzelError::kNone || value == f.m_Default) return {};
      char* end = std::to_chars(number.digits, number.digits + sizeof number.digits, value).ptr;
      return std::string_view(number.digits, static_cast<std::size_t>(end - number.digits));
    }
  }
}

// The decimal digits of `value` at `p`, as std::to_chars writes them; field
// numbers and lengths are mostly below 100.
inline char* Decimal(char* p, char* end, long long value) {
  if (value >= 0 && value < 10) {
    *p = static_cast<char>('0' + value);
    return p + 1;
  }
  if (value >= 10 && value < 100) {
    p[0] = static_cast<char>('0' + value / 10);
    p[1] = static_cast<char>('0' + value % 10);
    return p + 2;
  }
  return std::to_chars(p, end, value).ptr;
}

// Formats a whole record in one piece of memory that grows as needed and is
// kept for the thread's next record: one bounds check per element instead
// of one per append.
class RecordText {
 public:
  explicit RecordText(std::string& storage) : storage_(storage) {}

  void Number(long long value) {
    Reserve(24);
    used_ = static_cast<std::size_t>(std::to_chars(At(), End(), value).ptr - storage_.data());
  }
  void Put(char c) {
    Reserve(1);
    storage_[used_++] = c;
  }
  void Put(std::string_view text) {
    Reserve(text.size());
    text.copy(At(), text.size());
    used_ += text.size();
  }
  // Number, blank, length, blank, the value in double quotes, blank. Written
  // through a local pointer, which the compiler need not reload after every
  // byte as it must a member.
  [[gnu::always_inline]] void Element(int fieldNumber, std::string_view value) {
    const std::size_t most = 2 * 24 + 5 + value.size();
    Reserve(most);
    char* p = At();
    char* const end = p + most;
    p = Decimal(p, end, fieldNumber);
    *p++ = ' ';
    p = Decimal(p, end, static_cast<long long>(value.size()));
    *p++ = ' ';
    *p++ = '"';
    CopyBytes(p, value.data(), value.size());
    p += value.size();
    *p++ = '"';
    *p++ = ' ';
    used_ = static_cast<std::size_t>(p - storage_.data());
  }
  std::string_view View() const { return std::string_view(storage_.data(), used_); }

 private:
  char* At() { return &storage_[0] + used_; }
  char* End() { return &storage_[0] + storage_.size(); }
  void Reserve(std::size_t more) {
    if (storage_.size() - used_ < more)
      storage_.resize(std::max(2 * storage_.size(), used_ + more));
  }
  std::string& storage_;
  std::size_t used_ = 0;
};

// A record written from memory the processor has not seen lately waits for
// each field in turn; asking for a later field's definition and value
// members ahead lets the waits overlap. Only a hint: it changes nothing.
constexpr std::size_t kPrefetchAhead = 2;
inline void PrefetchDefinition(const CQuenzelField& field) {
#if defined(__GNUC__)
  const char* const end = reinterpret_cast<const char*>(&field.m_Value + 1);
  for (const char* at = reinterpret_cast<const char*>(&field); at < end; at += 64)
    __builtin_prefetch(at);
  __builtin_prefetch(end - 1);
#else
  static_cast<void>(field);
#endif
}

void AppendElement(CQuenzelField& f, RecordText& text) {
  NumberText number;
  const std::string_view value = ElementValue(f, number);
  if (value.data() != nullptr) text.Element(f.m_FieldNumber, value);
}

}  // namespace

std::ostream& WriteField(std::ostream& out, CQuenzelField& field) {
  NumberText number;
  const std::string_view value = ElementValue(field, number);
  if (value.data() == nullptr) return out;
  if (PlainNumbers(out)) {
    std::string storage;
    RecordText element(storage);
    element.Element(field.m_FieldNumber, value);
    WriteText(out, element.View());
    return out;
  }
  return out << field.m_FieldNumber << ' ' << value.size() << ' ' << '"' << value << '"' << ' ';
}

std::ostream& WriteRecord(std::ostream& out, CQuenzelRecord& record) {
  if (!PlainNumbers(out)) {
    out << record.recordNumber << ' ';
    for (CQuenzelField& field : record.fields) {
      if (IsWeightType(field.m_Type)) HandOver(record, field, HandOverSite::kWriter);
      WriteField(out, field);
    }
    return out << "0 ";
  }
  // The whole record is formatted first and handed to the stream at once:
  // the same bytes the field writer gives, without a stream call per piece.
  ThreadText<WriterText> memory;
  std::string& storage = memory.Text();
  RecordText text(storage);
  text.Number(record.recordNumber);
  text.Put(' ');
  std::vector<CQuenzelField>& fields = record.fields;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i + kPrefetchAhead < fields.size()) PrefetchDefinition(fields[i + kPrefetchAhead]);
    if (IsWeightType(fields[i].m_Type)) HandOver(record, fields[i], HandOverSite::kWriter);
    AppendElement(fields[i], text);
  }
  text.Put("0 ");
  WriteText(out, text.View());
  return out;
}

}  // namespace detail
}  // namespace quenzel
