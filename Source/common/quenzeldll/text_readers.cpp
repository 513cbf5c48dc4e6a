#include "text_readers.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <locale>

namespace quenzel {
namespace detail {

namespace {

thread_local int t_lineCounter = 0;
thread_local int t_tokenCounter = 0;

// Converters are opened once per thread and reused: one for UTF-8 and one
// for the most recent code page (a program normally uses one). Opening a
// converter pair for every conversion costs three times a short field
// text's conversion. Reset before every use, a cached converter gives
// exactly what a freshly opened one gives.
class ThreadConverters {
 public:
  ThreadConverters() = default;
  ThreadConverters(const ThreadConverters&) = delete;
  ThreadConverters& operator=(const ThreadConverters&) = delete;
  ~ThreadConverters() {
    Close(utf8_);
    Close(codePage_);
  }

  UConverter* Utf8() { return Open(utf8_, "utf8"); }

  // Null when ICU knows no converter of that name.
  UConverter* CodePage(const std::string& name) {
    if (codePage_ == nullptr || codePageName_ != name) {
      Close(codePage_);
      codePageName_ = name;
      asciiTransparent_ = false;
      if (Open(codePage_, name.c_str()) != nullptr) asciiTransparent_ = CheckAsciiTransparent();
    }
    return codePage_;
  }

  // Whether the current code page maps the 128 ASCII bytes to themselves in
  // both directions; ASCII text then converts to itself.
  bool AsciiTransparent() const { return codePage_ != nullptr && asciiTransparent_; }

 private:
  static UConverter* Open(UConverter*& slot, const char* name) {
    if (slot == nullptr) {
      UErrorCode status = U_ZERO_ERROR;
      slot = ucnv_open(name, &status);
      if (U_FAILURE(status)) Close(slot);
    }
    return slot;
  }
  static void Close(UConverter*& slot) {
    if (slot != nullptr) ucnv_close(slot);
    slot = nullptr;
  }

  bool CheckAsciiTransparent();

  UConverter* utf8_ = nullptr;
  UConverter* codePage_ = nullptr;
  std::string codePageName_;
  bool asciiTransparent_ = false;
};

std::string ConvertText(const std::string& text, UConverter* target, UConverter* source);

bool ThreadConverters::CheckAsciiTransparent() {
  std::string ascii(128, '\0');
  for (int c = 0; c < 128; ++c) ascii[static_cast<std::size_t>(c)] = static_cast<char>(c);
  UConverter* utf8 = Utf8();
  return ConvertText(ascii, utf8, codePage_) == ascii &&
         ConvertText(ascii, codePage_, utf8) == ascii;
}

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

ThreadConverters& Converters() {
  thread_local ThreadConverters converters;
  return converters;
}

// Converts the whole of `text`. The first attempt uses a buffer sized for
// typical text; when that is too small the conversion starts again from
// the beginning with twice the room, so nothing is cut and nothing is
// written past the buffer. An unknown converter converts nothing.
std::string ConvertText(const std::string& text, UConverter* target, UConverter* source) {
  if (text.empty() || target == nullptr || source == nullptr) return std::string();
  std::string out(text.size() * 2 + 16, '\0');
  for (;;) {
    char* next = &out[0];
    const char* input = text.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_convertEx(target, source, &next, next + out.size(), &input, text.data() + text.size(),
                   nullptr, nullptr, nullptr, nullptr, /*reset=*/true, /*flush=*/true, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR && out.size() < text.size() * 16 + 64) {
      out.assign(out.size() * 2, '\0');
      continue;
    }
    out.resize(U_FAILURE(status) ? 0 : static_cast<std::size_t>(next - out.data()));
    return out;
  }
}

inline bool IsSeparator(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

template <typename T>
T ParseSigned(const char* p, T min, T max) {
  if (p == nullptr) return 0;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = (*p++ == '-');
  // Leading zeros change nothing; a field's text may hold millions of them
  // (a negative number padded to the field's length).
  p += std::strspn(p, "0");
  // Accumulate as a negative number so that the minimum is representable.
  T value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    int digit = *p - '0';
    if (value < (min + digit) / 10) return negative ? min : max;
    value = static_cast<T>(value * 10 - digit);
  }
  if (negative) return value;
  return value < -max ? max : static_cast<T>(-value);
}

}  // namespace

int& LineCounter() { return t_lineCounter; }
int& TokenCounter() { return t_tokenCounter; }

void ReadLine(std::istream& in, std::string& line) {
  line.clear();
  ++t_lineCounter;
  t_tokenCounter = 0;

  std::istream::sentry ok(in, true);
  if (!ok) return;  // the sentry has set failbit
  std::streambuf* sb = in.rdbuf();
  std::ios::iostate state = std::ios::goodbit;
  bool taken = false;
  bool stopped = false;  // a zero byte ended the text; later characters are dropped
  int stored = 0;
  for (;;) {
    int c = sb->sgetc();
    if (c == std::char_traits<char>::eof()) {
      state |= std::ios::eofbit;
      break;
    }
    if (c == '\n') {
      sb->sbumpc();
      taken = true;
      break;
    }
    if (c == '\r') {
      sb->sbumpc();
      if (sb->sgetc() == '\n') {
        sb->sbumpc();
        taken = true;
        break;
      }
      if (stored == kMaxLinePiece) {  // the CR starts the next piece
        sb->sputbackc('\r');
        state |= std::ios::failbit;
        break;
      }
    } else {
      if (stored == kMaxLinePiece) {
        state |= std::ios::failbit;
        break;
      }
      sb->sbumpc();
    }
    taken = true;
    ++stored;
    if (c == '\0') stopped = true;
    if (!stopped) line.push_back(static_cast<char>(c));
  }
  if (!taken) state |= std::ios::failbit;
  if (!line.empty())
    in.clear();
  else if (state != std::ios::goodbit)
    in.setstate(state);
}

namespace {

// The token reader's state machine, feeding each token character to
// `sink` (which must offer push(char) and empty()).
template <typename Sink>
void ReadTokenInto(std::istream& in, Sink& sink) {
  ++t_tokenCounter;
  if (!in.good()) {  // as a character read on a stream that is not good
    in.setstate(std::ios::failbit);
    return;
  }
  std::streambuf* sb = in.rdbuf();
  constexpr int kEof = std::char_traits<char>::eof();
  auto atEnd = [&] {
    if (sink.empty())
      in.setstate(std::ios::eofbit | std::ios::failbit);
    else
      in.clear();
  };
  bool lastWasSeparator = false;
  for (;;) {
    int c = sb->sbumpc();
    if (c == kEof) return atEnd();
    if (c == '"') {
      while ((c = sb->sbumpc()) != '"') {
        if (c == kEof) return atEnd();
        sink.push(UpperAscii(static_cast<char>(c)));
      }
      if (lastWasSeparator) return;
      continue;
    }
    if (c == '/') {
      while ((c = sb->sbumpc()) != '\n')
        if (c == kEof) return atEnd();
      lastWasSeparator = false;
      continue;
    }
    if (IsSeparator(c)) {
      if (!sink.empty()) return;
      lastWasSeparator = true;
      continue;
    }
    sink.push(UpperAscii(static_cast<char>(c)));
    lastWasSeparator = false;
  }
}

struct StringSink {
  std::string& token;
  void push(char c) { token.push_back(c); }
  bool empty() const { return token.empty(); }
};

// Keeps only what a number item needs: whether every character was a digit
// and the value as Atoi gives it (saturating at INT_MAX).
struct NumberSink {
  bool any = false;
  bool digitsOnly = true;
  long long value = 0;
  void push(char c) {
    any = true;
    if (c < '0' || c > '9') {
      digitsOnly = false;
      return;
    }
    if (value <= INT_MAX) value = value * 10 + (c - '0');
  }
  bool empty() const { return !any; }
};

}  // namespace

std::string ReadToken(std::istream& in) {
  std::string token;
  StringSink sink{token};
  ReadTokenInto(in, sink);
  return token;
}

bool ReadNumberItem(std::istream& in, int& number) {
  NumberSink sink;
  ReadTokenInto(in, sink);
  if (!sink.any || !sink.digitsOnly) return false;
  number = sink.value > INT_MAX ? INT_MAX : static_cast<int>(sink.value);
  return true;
}

bool IsNumberItem(const std::string& token) {
  if (token.empty()) return false;
  for (char c : token)
    if (c < '0' || c > '9') return false;
  return true;
}

int Atoi(const char* text) { return ParseSigned<int>(text, INT_MIN, INT_MAX); }

long long Atoi64(const char* text) { return ParseSigned<long long>(text, LLONG_MIN, LLONG_MAX); }

bool PlainNumbers(const std::ostream& out) {
  const std::ios::fmtflags flags = out.flags();
  const std::ios::fmtflags base = flags & std::ios::basefield;
  return (base == std::ios::dec || base == 0) && !(flags & std::ios::showpos) && out.width() == 0 &&
         out.getloc() == std::locale::classic();
}

void WritePieces(std::ostream& out, std::initializer_list<std::string_view> pieces) {
  std::ostream::sentry ready(out);
  if (!ready) return;
  std::streambuf* sb = out.rdbuf();
  for (std::string_view piece : pieces) {
    const std::streamsize size = static_cast<std::streamsize>(piece.size());
    if (sb->sputn(piece.data(), size) != size) {
      out.setstate(std::ios::badbit);
      return;
    }
  }
}

// ASCII text through a code page that keeps ASCII as it is comes out as it
// went in; only other text goes through ICU.
std::string CodePageToUtf8(const std::string& text, const std::string& codePage) {
  if (text.empty()) return std::string();
  ThreadConverters& converters = Converters();
  UConverter* source = converters.CodePage(codePage);
  if (converters.AsciiTransparent() && IsAscii(text)) return text;
  return ConvertText(text, converters.Utf8(), source);
}

std::string Utf8ToCodePage(const std::string& text, const std::string& codePage) {
  if (text.empty()) return std::string();
  ThreadConverters& converters = Converters();
  UConverter* target = converters.CodePage(codePage);
  if (converters.AsciiTransparent() && IsAscii(text)) return text;
  return ConvertText(text, target, converters.Utf8());
}

}  // namespace detail
}  // namespace quenzel
