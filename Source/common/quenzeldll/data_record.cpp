#include "data_record.h"

#include <algorithm>
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

// The value a field's element sends, or null when it sends nothing (its
// default, unreadable, or text only). `number` holds a numeric value's text.
const std::string* ElementValue(CQuenzelField& f, std::string& number) {
  if (f.m_TreatAsText) return nullptr;
  switch (ClassOf(f.m_Type)) {
    case TypeClass::kText: {
      if (f.m_Default == 0 && f.m_Value.empty()) return nullptr;
      if (f.m_Default == 0) return &f.m_Value;
      // A value of nothing but pad characters over the whole length is the default.
      const char pad = static_cast<char>(f.m_Default & 0xFF);
      const std::size_t length = static_cast<std::size_t>(std::max(f.m_Length, 0));
      const bool onlyPad = f.m_Value.size() >= length && f.m_Value.find_first_not_of(pad) >= length;
      return onlyPad ? nullptr : &f.m_Value;
    }
    case TypeClass::kSingleCharacter: {
      unsigned char c = 0;
      if (GetCharacter(f, c) != QuenzelError::kNone || c == f.m_Default) return nullptr;
      return &f.m_Value;
    }
    default: {
      long long value = 0;
      if (GetNumber(f, value) != QuenzelError::kNone || value == f.m_Default) return nullptr;
      number.clear();
      AppendDecimal(number, value);
      return &number;
    }
  }
}

void AppendElement(CQuenzelField& f, std::string& buffer) {
  std::string number;
  const std::string* text = ElementValue(f, number);
  if (text == nullptr) return;
  AppendDecimal(buffer, f.m_FieldNumber);
  buffer.push_back(' ');
  AppendDecimal(buffer, static_cast<long long>(text->size()));
  buffer.append(" \"");
  buffer.append(*text);
  buffer.append("\" ");
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
// with the length the data claims.
void ExtractValue(std::istream& in, unsigned long long length, std::string& value) {
  value.clear();
  if (!ReadyForInput(in)) return;
  std::streambuf* sb = in.rdbuf();
  std::ios::iostate state = std::ios::goodbit;
  int c = 0;
  const bool read = GuardBuffer(in, [&] {
    char block[512];
    std::size_t filled = 0;
    unsigned long long taken = 0;
    c = sb->sgetc();
    while (taken < length && c != kEof && c != '\0') {
      block[filled++] = static_cast<char>(c);
      ++taken;
      if (filled == sizeof block) {
        value.append(block, filled);
        filled = 0;
      }
      c = sb->snextc();
    }
    if (filled > 0) value.append(block, filled);
  });
  if (!read) return;
  if (c == kEof) state |= std::ios::eofbit;
  if (value.empty()) state |= std::ios::failbit;
  if (state != std::ios::goodbit) in.setstate(state);
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

std::ostream& WriteField(std::ostream& out, CQuenzelField& field) {
  if (PlainNumbers(out)) {
    std::string element;
    AppendElement(field, element);
    if (!element.empty()) WriteText(out, element);
    return out;
  }
  std::string number;
  const std::string* text = ElementValue(field, number);
  if (text != nullptr)
    out << field.m_FieldNumber << ' ' << text->size() << ' ' << '"' << *text << '"' << ' ';
  return out;
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
  thread_local std::string buffer;
  buffer.clear();
  AppendDecimal(buffer, record.recordNumber);
  buffer.push_back(' ');
  for (CQuenzelField& field : record.fields) {
    if (IsWeightType(field.m_Type)) HandOver(record, field, HandOverSite::kWriter);
    AppendElement(field, buffer);
  }
  buffer.append("0 ");
  WriteText(out, buffer);
  if (buffer.capacity() > (1u << 20)) std::string().swap(buffer);  // no lasting large buffers
  return out;
}

// One loop reads the elements of every record. Records 8 and 9 differ: an
// element of a field they do not define continues a long text, an element
// whose value is refused is not closed but read on, and the record's flags
// follow every UOM and PRICEBASE value.
std::istream& ReadRecord(std::istream& in, CQuenzelRecord& record) {
  int number = 0;
  if (!ReadNumberItem(in, number) || number != record.recordNumber) {
    in.setstate(std::ios::failbit);
    return in;
  }
  const bool split =
      record.recordNumber == kSplitRecord || record.recordNumber == kSecondSplitRecord;
  SplitTexts texts(record.recordNumber);
  bool failed = true;
  std::string value;
  for (;;) {
    int fieldNumber = 0, length = 0;
    if (!ReadNumberItem(in, fieldNumber)) break;
    if (fieldNumber == 0) {
      failed = false;
      break;
    }
    if (!ReadNumberItem(in, length)) break;
    CQuenzelField* field = record.FindField(fieldNumber);
    if (field == nullptr && !split) break;
    SkipByte(in);
    ExtractValue(in, static_cast<unsigned long long>(length), value);
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
    const QuenzelError result =
        field->SetValue(field->m_Type == kTypeClob ? DecodeBase64(value) : value, false);
    if (split && result == QuenzelError::kRangeWarning) record.rangeWarning = true;
    if (Continues(result))
      SkipByte(in);
    else if (!split)
      break;
  }
  if (split) texts.SetHeads(record);
  if (failed && !in.bad()) in.setstate(std::ios::failbit);  // a failed buffer sets badbit alone
  return in;
}

}  // namespace detail
}  // namespace quenzel
