#include "code_page.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <numeric>

#include "short_text.h"

namespace quenzel {
namespace detail {

namespace {

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
      byteTable_ = false;
      if (Open(codePage_, name.c_str()) != nullptr) {
        asciiTransparent_ = CheckAsciiTransparent();
        byteTable_ = BuildByteTable();
      }
    }
    return codePage_;
  }

  // Whether the current code page maps the 128 ASCII bytes to themselves in
  // both directions; ASCII text then converts to itself.
  bool AsciiTransparent() const { return codePage_ != nullptr && asciiTransparent_; }

  // Whether the current code page is one byte per character without state,
  // so that a text converts to UTF-8 as the concatenation of its bytes'
  // conversions, which ByteToUtf8 holds.
  bool ByteTable() const { return codePage_ != nullptr && byteTable_; }
  struct Utf8Bytes {
    unsigned char size;
    char bytes[4];
  };
  const Utf8Bytes& ByteToUtf8(unsigned char byte) const { return toUtf8_[byte]; }

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
  bool BuildByteTable();

  UConverter* utf8_ = nullptr;
  UConverter* codePage_ = nullptr;
  std::string codePageName_;
  bool asciiTransparent_ = false;
  bool byteTable_ = false;
  Utf8Bytes toUtf8_[256] = {};
};

std::string ConvertText(const std::string& text, UConverter* target, UConverter* source);

bool ThreadConverters::CheckAsciiTransparent() {
  std::string ascii(128, '\0');
  std::iota(ascii.begin(), ascii.end(), '\0');
  UConverter* utf8 = Utf8();
  return ConvertText(ascii, utf8, codePage_) == ascii &&
         ConvertText(ascii, codePage_, utf8) == ascii;
}

// Each byte's UTF-8, converted by ICU once, for the single-byte code pages
// whose converters keep no state. Any byte ICU cannot convert on its own
// (the whole text would then give nothing), or one that gives more than a
// character, leaves the table unused.
bool ThreadConverters::BuildByteTable() {
  const UConverterType type = ucnv_getType(codePage_);
  if (ucnv_getMaxCharSize(codePage_) != 1 ||
      (type != UCNV_SBCS && type != UCNV_LATIN_1 && type != UCNV_US_ASCII))
    return false;
  UConverter* utf8 = Utf8();
  for (int byte = 0; byte < 256; ++byte) {
    const std::string utf8Text =
        ConvertText(std::string(1, static_cast<char>(byte)), utf8, codePage_);
    if (utf8Text.empty() || utf8Text.size() > sizeof toUtf8_[byte].bytes) return false;
    toUtf8_[byte].size = static_cast<unsigned char>(utf8Text.size());
    utf8Text.copy(toUtf8_[byte].bytes, utf8Text.size());
  }
  return true;
}

// Converts through the byte table into `out`: runs of ASCII a word at a
// time when the code page keeps ASCII as it is, other bytes one by one.
void ConvertByTable(const ThreadConverters& converters, const std::string& text, std::string& out) {
  out.resize(text.size() * 4);
  char* to = &out[0];
  const char* from = text.data();
  const char* const end = from + text.size();
  const bool ascii = converters.AsciiTransparent();
  while (from != end) {
    if (ascii && end - from >= 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, from, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        std::memcpy(to, from, 8);
        to += 8;
        from += 8;
        continue;
      }
    }
    const ThreadConverters::Utf8Bytes& bytes =
        converters.ByteToUtf8(static_cast<unsigned char>(*from++));
    std::memcpy(to, bytes.bytes, sizeof bytes.bytes);  // the room is there; size says what counts
    to += bytes.size;
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
}

// Eight bytes at a time: field texts run to hundreds of bytes.
bool IsAscii(const std::string& text) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + i, 8);
    if ((word & kHighBits) != 0) return false;
  }
  return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
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

}  // namespace

// ASCII text through a code page that keeps ASCII as it is comes out as it
// went in; only other text goes through ICU.
std::string CodePageToUtf8(const std::string& text, const std::string& codePage) {
  if (text.empty()) return std::string();
  ThreadConverters& converters = Converters();
  UConverter* source = converters.CodePage(codePage);
  if (converters.AsciiTransparent() && IsAscii(text)) return text;
  if (converters.ByteTable()) {
    std::string out;
    ConvertByTable(converters, text, out);
    return out;
  }
  return ConvertText(text, converters.Utf8(), source);
}

void AssignCodePageToUtf8(std::string& out, const std::string& text, const std::string& codePage) {
  if (text.empty()) return out.clear();
  ThreadConverters& converters = Converters();
  UConverter* source = converters.CodePage(codePage);
  if (converters.AsciiTransparent() && IsAscii(text)) {
    if (&out != &text) AssignBytes(out, text);  // a field set from its own value keeps it
    return;
  }
  if (converters.ByteTable()) {
    if (&out != &text) return ConvertByTable(converters, text, out);
    std::string converted;  // a field set from its own value
    ConvertByTable(converters, text, converted);
    return out.swap(converted);
  }
  out = ConvertText(text, converters.Utf8(), source);
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
