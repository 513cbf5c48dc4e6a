#include "data_record.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <initializer_list>
#include <locale>
#include <string_view>

#include "base64.h"
#include "field_getters.h"
#include "field_types.h"
#include "measurement.h"
#include "numbers.h"
#include "stream_guard.h"
#include "token_reader.h"

namespace quenzel {
namespace detail {

namespace {

constexpr int kEof = std::char_traits<char>::eof();

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

// The value a field's element sends, or a null view when it sends nothing
// (its default, unreadable, or text only). A numeric value's text is
// written into `number`.
std::string_view ElementValue(CQuenzelField& f, NumberText& number) {
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
      if (GetCharacter(f, c) != QuenzelError::kNone || c == f.m_Default) return {};
      return f.m_Value;
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

// Copies `n` bytes; most values are short, and short copies of fixed
// sizes need no library call.
inline void CopyBytes(char* to, const char* from, std::size_t n) {
  if (n > 16) {
    std::memcpy(to, from, n);
  } else if (n >= 8) {  // two copies of 8 that overlap in the middle
    std::memcpy(to, from, 8);
    std::memcpy(to + n - 8, from + n - 8, 8);
  } else {
    for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
  }
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
  void Element(int fieldNumber, std::string_view value) {
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

// The thread's record text memory, reached once per record: not inlined,
// so that the compiler cannot look the thread-local up again at every use.
[[gnu::noinline]] std::string& RecordStorage() {
  thread_local std::string storage;
  return storage;
}

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

// What an unformatted input's sentry does (without skipping blanks): a
// stream that is not good gets the fail bit, a tied stream is flushed.
// Spelled out because the reader runs it twice per field.
bool ReadyForInput(std::istream& in) {
  if (!in.good()) {
    in.setstate(std::ios::failbit);
    return false;
  }
  if (in.tie() != nullptr) in.tie()->flush();
  return in.good();
}

// Skips one byte as the stream's ignore(1) does: OPEN and CLOSE.
void SkipByte(std::istream& in) {
  if (!ReadyForInput(in)) return;
  int c = 0;
  if (GuardBuffer(in, [&] { c = in.rdbuf()->sbumpc(); }) && c == kEof)
    in.setstate(std::ios::eofbit);
}

// Takes up to `length` bytes, stopping before a zero byte (which stays in
// the stream), as the stream's character-array extraction does: at the end
// of the stream the end-of-file state is set, and when nothing could be
// taken the fail state. Memory grows with the bytes actually present, never
// with the length the data claims. Bytes already in the buffer's get area
// are copied at once; a buffer without one is read byte by byte. True when
// a zero byte stopped it.
bool ExtractValue(std::istream& in, unsigned long long length, std::string& value) {
  value.clear();
  if (!ReadyForInput(in)) return false;
  std::streambuf* sb = in.rdbuf();
  std::ios::iostate state = std::ios::goodbit;
  int c = 0;
  const bool read = GuardBuffer(in, [&] {
    unsigned long long taken = 0;
    c = sb->sgetc();
    while (taken < length && c != kEof && c != '\0') {
      const std::size_t held = GetArea::Held(sb);
      if (held == 0) {
        value.push_back(static_cast<char>(c));
        ++taken;
        c = sb->snextc();
        continue;
      }
      // gbump takes an int: a piece of at most INT_MAX bytes at a time.
      const char* next = GetArea::Next(sb);
      std::size_t piece = std::min<unsigned long long>({held, length - taken, INT_MAX});
      const void* zero = std::memchr(next, '\0', piece);
      if (zero != nullptr) piece = static_cast<std::size_t>(static_cast<const char*>(zero) - next);
      value.append(next, piece);
      taken += piece;
      GetArea::Advance(sb, piece);
      c = sb->sgetc();
    }
  });
  if (!read) return false;
  if (c == kEof) state |= std::ios::eofbit;
  if (value.empty()) state |= std::ios::failbit;
  if (state != std::ios::goodbit) in.setstate(state);
  return c == '\0' && value.size() < length;
}

// Skips `length` bytes, zero bytes included, a held piece at a time; false
// when the input ends first.
bool SkipBytes(std::istream& in, unsigned long long length) {
  std::streambuf* sb = in.rdbuf();
  bool whole = false;
  if (!GuardBuffer(in, [&] {
        while (length > 0) {
          std::size_t piece = std::min<unsigned long long>({GetArea::Held(sb), length, INT_MAX});
          if (piece > 0) {
            GetArea::Advance(sb, piece);
          } else if (sb->sbumpc() == kEof) {
            return;
          } else {
            piece = 1;
          }
          length -= piece;
        }
        whole = true;
      }))
    return false;
  if (!whole) in.setstate(std::ios::eofbit | std::ios::failbit);
  return whole;
}

// The stream buffer's position, -1 when it cannot tell; unlike tellg it
// answers on a stream that has failed.
std::streamoff Position(std::istream& in) {
  std::streamoff at = -1;
  GuardBuffer(in, [&] { at = in.rdbuf()->pubseekoff(0, std::ios::cur, std::ios::in); });
  return at;
}

// Fills a diagnosis as the reader goes, when one was asked for; every
// member does nothing otherwise.
class Diagnosis {
 public:
  Diagnosis(std::istream& in, DataRecordDiagnosis* why) : in_(in), why_(why) {
    if (why_ == nullptr) return;
    *why_ = DataRecordDiagnosis();
    start_ = Position(in_);
  }
  explicit operator bool() const { return why_ != nullptr; }
  DataRecordDiagnosis& operator*() const { return *why_; }
  DataRecordDiagnosis* operator->() const { return why_; }

  // A number item, keeping the token when it is none.
  bool ReadNumber(int& number, ReadPosition& at) {
    if (why_ == nullptr) return ReadNumberItem(in_, number, at);
    return ReadNumberItem(in_, number, at, why_->item, DataRecordDiagnosis::kMaxItem);
  }
  void Element(int fieldNumber) {
    if (why_ == nullptr) return;
    why_->fieldNumber = fieldNumber;
    why_->length = 0;
    why_->taken = 0;
    why_->elementOffset = Since(Position(in_));
  }
  void Fault(DataRecordFault fault) {
    if (why_ != nullptr) why_->fault = fault;
  }
  // What taking a value gave: a zero byte that cut it short is kept for a
  // later failure, an empty value or the end of the input is the fault.
  void Taken(const std::string& value, bool cutByZero) {
    if (why_ == nullptr) return;
    why_->taken = value.size();
    if (cutByZero) why_->zeroCut = {why_->fieldNumber, value.size(), why_->length};
    if (in_.good()) return;
    if (static_cast<long long>(value.size()) < why_->length && in_.eof())
      why_->fault = DataRecordFault::kValueCut;
    else if (value.empty())
      why_->fault = DataRecordFault::kEmptyValue;
    else  // the input ends right after the value
      why_->fault = DataRecordFault::kNoFieldNumber;
  }
  // The setter's result: a note when it is not None and reading goes on,
  // the fault when it stops the read.
  void Set(const std::string& value, QuenzelError result, bool goesOn) {
    if (why_ == nullptr || result == QuenzelError::kNone) return;
    if (goesOn) {
      why_->notes.push_back({why_->fieldNumber, value, result});
      return;
    }
    why_->fault = DataRecordFault::kValueRefused;
    why_->value = value;
    why_->result = result;
  }
  void Stop() {
    if (why_ == nullptr) return;
    why_->stopOffset = Since(Position(in_));
  }

 private:
  std::streamoff Since(std::streamoff at) const {
    return start_ < 0 || at < 0 ? std::streamoff(-1) : at - start_;
  }
  std::istream& in_;
  DataRecordDiagnosis* why_;
  std::streamoff start_ = -1;
};

// The records that carry long texts in pieces, and the offset of the second's
// field numbers.
constexpr int kSplitRecord = 8;
constexpr int kSecondSplitRecord = 9;
constexpr int kSecondSplitOffset = 1000;

// The three long texts of records 8 and 9: head field and continuation
// ranges, relative to 0 (record 8) or 1000 (record 9).
struct SplitText {
  int head;
  int firstFrom, firstTo;
  int secondFrom, secondTo;
};
constexpr SplitText kSplitTexts[] = {
    {8740, 8741, 8759, 8050, 8089},
    {8820, 8821, 8839, 8900, 8939},
    {8760, 8761, 8779, 8090, 8129},
};

// Records 8 and 9 carry three long texts that may arrive in pieces: a head
// field starts each text, continuation numbers the record does not define
// append to it (a defined one is set as its own field), and the heads are
// set from their texts once the record is read, whether or not it ended
// well.
class SplitTexts {
 public:
  explicit SplitTexts(int recordNumber)
      : offset_(recordNumber == kSecondSplitRecord ? kSecondSplitOffset : 0) {}

  void Continue(int fieldNumber, const std::string& value) {
    const int n = fieldNumber - offset_;
    for (int t = 0; t < 3; ++t) {
      const SplitText& s = kSplitTexts[t];
      if ((n >= s.firstFrom && n <= s.firstTo) || (n >= s.secondFrom && n <= s.secondTo))
        texts_[t] += value;
    }
  }
  // True when `fieldNumber` is a head; its text starts over with `value`.
  bool Head(int fieldNumber, const std::string& value) {
    for (int t = 0; t < 3; ++t) {
      if (fieldNumber != kSplitTexts[t].head + offset_) continue;
      texts_[t] = value;
      return true;
    }
    return false;
  }
  // Results are ignored. An empty text leaves a single-character head as it
  // is, as its code-page setter would refuse it.
  void SetHeads(CQuenzelRecord& record) const {
    for (int t = 0; t < 3; ++t) {
      CQuenzelField* head = record.FindField(kSplitTexts[t].head + offset_);
      if (head == nullptr || (texts_[t].empty() && IsSingleCharacterType(head->m_Type))) continue;
      head->SetValue(texts_[t], false);
    }
  }

 private:
  int offset_;
  std::string texts_[3];
};

// Whether reading goes on after a field's value was set.
bool Continues(QuenzelError result) {
  return result == QuenzelError::kNone || result == QuenzelError::kRangeError ||
         result == QuenzelError::kRangeWarning;
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
  std::string& storage = RecordStorage();
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
  if (storage.size() > (1u << 20)) std::string().swap(storage);  // no lasting large buffers
  return out;
}

// One loop reads the elements of every record. Records 8 and 9 differ: an
// element of a field they do not define continues a long text, an element
// whose value is refused is not closed but read on, and the record's flags
// follow every UOM and PRICEBASE value.
std::istream& ReadRecord(std::istream& in, CQuenzelRecord& record, DataRecordDiagnosis* why) {
  ReadPosition& at = CurrentPosition();
  Diagnosis diagnosis(in, why);
  int number = 0;
  diagnosis.Element(0);
  const bool isNumber = diagnosis.ReadNumber(number, at);
  if (!isNumber || number != record.recordNumber) {
    diagnosis.Fault(isNumber ? DataRecordFault::kOtherRecord : DataRecordFault::kNoRecordNumber);
    if (diagnosis) diagnosis->number = number;
    in.setstate(std::ios::failbit);
    diagnosis.Stop();
    return in;
  }
  const bool split =
      record.recordNumber == kSplitRecord || record.recordNumber == kSecondSplitRecord;
  SplitTexts texts(record.recordNumber);
  bool failed = true;
  std::string value;
  for (;;) {
    int fieldNumber = 0, length = 0;
    diagnosis.Element(0);
    if (!diagnosis.ReadNumber(fieldNumber, at)) {
      diagnosis.Fault(DataRecordFault::kNoFieldNumber);
      break;
    }
    if (fieldNumber == 0) {
      failed = false;
      break;
    }
    if (diagnosis) diagnosis->fieldNumber = fieldNumber;
    if (!ReadNumberItem(in, length, at)) {
      diagnosis.Fault(DataRecordFault::kNoLength);
      break;
    }
    if (diagnosis) diagnosis->length = length;
    CQuenzelField* field = record.FindField(fieldNumber);
    if (field == nullptr && !split) {
      diagnosis.Fault(DataRecordFault::kUndefinedField);
      break;
    }
    SkipByte(in);
    diagnosis.Taken(value, ExtractValue(in, static_cast<unsigned long long>(length), value));
    if (field == nullptr) {
      if (in.good()) texts.Continue(fieldNumber, value);
      SkipByte(in);
      continue;
    }
    if (!in.good()) break;
    if (field->m_Type == kTypeUom && (split || record.action >= kActionSearchFirstNextTrans))
      record.uomFlag = value[0] == '0';
    if (split && field->m_Type == kTypePriceBase) record.priceBaseFlag = value[0] == '1';
    if (IsWeightType(field->m_Type)) HandOver(record, *field, HandOverSite::kReader);
    if (split && texts.Head(fieldNumber, value)) {
      SkipByte(in);
      continue;
    }
    // PRIVATE fields are left alone by SetValue; CLOB values are Base64.
    // (Two calls: one conditional expression would copy every value.)
    const QuenzelError result = field->m_Type == kTypeClob
                                    ? field->SetValue(DecodeBase64(value), false)
                                    : field->SetValue(value, false);
    if (split && result == QuenzelError::kRangeWarning) record.rangeWarning = true;
    diagnosis.Set(value, result, split || Continues(result));
    if (Continues(result))
      SkipByte(in);
    else if (!split)
      break;
  }
  if (split) texts.SetHeads(record);
  if (failed && !in.bad()) in.setstate(std::ios::failbit);  // a failed buffer sets badbit alone
  diagnosis.Stop();
  return in;
}

bool SkipRecord(std::istream& in) {
  ReadPosition& at = CurrentPosition();
  int number = 0, length = 0;
  if (!ReadNumberItem(in, number, at)) return false;
  for (;;) {
    if (!ReadNumberItem(in, number, at)) return false;
    if (number == 0) return true;
    if (!ReadNumberItem(in, length, at)) return false;
    // OPEN, the value and CLOSE.
    if (!SkipBytes(in, static_cast<unsigned long long>(length) + 2)) return false;
  }
}

}  // namespace detail
}  // namespace quenzel
