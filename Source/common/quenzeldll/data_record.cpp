// Reading data records: the elements of every record, the long texts of
// records 8 and 9, the diagnosis of a read that stopped, and the frame walk
// that finds the record boundary. Writing is in data_record_writer.cpp.
#include "data_record.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <initializer_list>

#include "base64.h"
#include "field_setters.h"
#include "field_types.h"
#include "measurement.h"
#include "short_text.h"
#include "stream_guard.h"
#include "token_reader.h"

namespace quenzel {
namespace detail {

namespace {

// Names the reader's ThreadText.
struct ReaderValue;

constexpr int kEof = std::char_traits<char>::eof();

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

// Skips CLOSE: the byte after a value held whole (see FindHeldElement) is
// in the buffer, so it is only stepped over.
void SkipClose(std::istream& in, bool held) {
  if (held)
    GetArea::Advance(in.rdbuf(), 1);
  else
    SkipByte(in);
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

// An element the buffer holds whole, up to the byte after its value: blanks,
// the field number, a separator, blanks, the length, a separator, the OPEN
// byte, `length` value bytes without a zero byte, and one more byte. The
// reader takes such an element straight from the buffer, exactly as the
// token reader, SkipByte and ExtractValue would take it piece by piece.
struct HeldElement {
  int fieldNumber = 0;
  int length = 0;
  std::size_t numbersSize = 0;  // bytes of the two number items
  const char* value = nullptr;  // the value bytes, after the OPEN byte
};

// Blank, tab, carriage return and line feed, tested as bits of one word.
inline bool IsItemSeparator(char c) {
  constexpr unsigned long long kSeparators =
      (1ULL << ' ') | (1ULL << '\t') | (1ULL << '\r') | (1ULL << '\n');
  const unsigned char u = static_cast<unsigned char>(c);
  return u <= ' ' && ((kSeparators >> u) & 1) != 0;
}

// A number item as the token reader takes it from held bytes: separators,
// digits and the one separator after them; null when `p` holds no such
// item. Numbers of ten digits or more, and items that end less than a
// dozen bytes before `end`, are left to the token reader, so that the
// digits are read without a bound or overflow check each.
[[gnu::always_inline]] inline const char* HeldNumber(const char* p, const char* end, int& number) {
  while (p != end && IsItemSeparator(*p)) ++p;
  if (end - p < 12) return nullptr;
  unsigned value = 0;
  const char* const last = p + 9;  // past the ninth digit
  unsigned digit = static_cast<unsigned char>(*p) - static_cast<unsigned>('0');
  if (digit > 9) return nullptr;
  do {
    value = value * 10 + digit;
    digit = static_cast<unsigned char>(*++p) - static_cast<unsigned>('0');
  } while (digit <= 9 && p != last);
  if (digit <= 9 || !IsItemSeparator(*p)) return nullptr;
  number = static_cast<int>(value);
  return p + 1;
}

// Whether `n` held bytes at `p` include a zero byte: most values are
// short, and are tested a word at a time (the last word overlapping the
// one before) without a library call.
inline bool HoldsZeroByte(const char* p, std::size_t n) {
  if (n > 32) return std::memchr(p, '\0', n) != nullptr;
  if (n < 8) {
    for (std::size_t i = 0; i < n; ++i)
      if (p[i] == '\0') return true;
    return false;
  }
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL, kHighs = 0x8080808080808080ULL;
  const auto zeroIn = [](const char* at) {
    std::uint64_t word = 0;
    std::memcpy(&word, at, sizeof word);
    return ((word - kOnes) & ~word & kHighs) != 0;
  };
  for (std::size_t i = 0; i + 8 < n; i += 8)
    if (zeroIn(p + i)) return true;
  return zeroIn(p + n - 8);
}

bool FindHeldElement(std::istream& in, HeldElement& element) {
  if (!in.good() || in.tie() != nullptr) return false;
  std::streambuf* sb = in.rdbuf();
  const std::size_t held = std::min<std::size_t>(GetArea::Held(sb), INT_MAX);
  if (held == 0) return false;
  const char* const begin = GetArea::Next(sb);
  const char* const end = begin + held;
  const char* p = HeldNumber(begin, end, element.fieldNumber);
  if (p == nullptr || element.fieldNumber == 0) return false;
  p = HeldNumber(p, end, element.length);
  if (p == nullptr || element.length < 1) return false;
  const std::size_t rest = static_cast<std::size_t>(end - p);
  const std::size_t length = static_cast<std::size_t>(element.length);
  if (rest < length + 2 || HoldsZeroByte(p + 1, length)) return false;
  element.numbersSize = static_cast<std::size_t>(p - begin);
  element.value = p + 1;
  return true;
}

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
  ThreadText<ReaderValue> memory;  // the value of each element in turn
  std::string& value = memory.Text();
  HeldElement held;
  for (;;) {
    int fieldNumber = 0, length = 0;
    // Without a diagnosis to fill, an element the buffer holds whole is
    // taken in one step; any other goes through the stream piece by piece.
    const bool whole = !diagnosis && FindHeldElement(in, held);
    if (whole) {
      fieldNumber = held.fieldNumber;
      length = held.length;
      GetArea::Advance(in.rdbuf(), held.numbersSize);
      at.token = at.token < INT_MAX - 1 ? at.token + 2 : INT_MAX;  // two number items
    } else {
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
    }
    CQuenzelField* field = record.FindField(fieldNumber);
    if (field == nullptr && !split) {
      diagnosis.Fault(DataRecordFault::kUndefinedField);
      break;
    }
    if (whole && field != nullptr && !split) {
      // A number or a character is set from the buffer's bytes: nothing
      // below needs them as a text of their own.
      const TypeClass kind = ClassOf(field->m_Type);
      if ((kind == TypeClass::kNumeric && !IsWeightType(field->m_Type)) ||
          kind == TypeClass::kSingleCharacter) {
        if (field->m_Type == kTypeUom && record.action >= kActionSearchFirstNextTrans)
          record.uomFlag = held.value[0] == '0';
        const QuenzelError result =
            kind == TypeClass::kNumeric
                ? SetNumericFromText(*field,
                                     std::string_view(held.value, static_cast<std::size_t>(length)))
                : SetCharacterFromFirstByte(*field, held.value[0]);
        GetArea::Advance(in.rdbuf(), 1 + static_cast<std::size_t>(length));
        if (!Continues(result)) break;
        SkipClose(in, true);
        continue;
      }
    }
    if (whole) {
      AssignBytes(value, std::string_view(held.value, static_cast<std::size_t>(length)));
      GetArea::Advance(in.rdbuf(), 1 + static_cast<std::size_t>(length));
    } else {
      SkipByte(in);
      diagnosis.Taken(value, ExtractValue(in, static_cast<unsigned long long>(length), value));
    }
    if (field == nullptr) {
      if (in.good()) texts.Continue(fieldNumber, value);
      SkipClose(in, whole);
      continue;
    }
    if (!in.good()) break;
    if (field->m_Type == kTypeUom && (split || record.action >= kActionSearchFirstNextTrans))
      record.uomFlag = value[0] == '0';
    if (split && field->m_Type == kTypePriceBase) record.priceBaseFlag = value[0] == '1';
    if (IsWeightType(field->m_Type)) HandOver(record, *field, HandOverSite::kReader);
    if (split && texts.Head(fieldNumber, value)) {
      SkipClose(in, whole);
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
      SkipClose(in, whole);
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
