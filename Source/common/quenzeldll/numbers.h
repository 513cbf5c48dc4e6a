// Number texts as the library reads and writes them: the C runtime's
// atoi/_atoi64, the setters' decimal reading, digit checks and formatting.
// Every number text of the library goes through this one parser. Not
// installed.
#ifndef QUENZEL_NUMBERS_H_
#define QUENZEL_NUMBERS_H_

#include <limits>
#include <string>
#include <string_view>

namespace quenzel {
namespace detail {

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Non-empty and decimal digits only: a number item of the definition file
// and of data records, and a numeric default word.
bool IsDigits(std::string_view text);

// True when `text` is 1 to 18 decimal digits and nothing else, the common
// number text, which every reading below gives as `value`.
inline bool ShortDigits(std::string_view text, long long& value) {
  if (text.empty() || text.size() > 18) return false;
  long long v = 0;
  for (char c : text) {
    const unsigned digit = static_cast<unsigned char>(c) - static_cast<unsigned>('0');
    if (digit > 9) return false;
    v = v * 10 + digit;
  }
  value = v;
  return true;
}

// What a decimal text may carry besides its digits.
struct DecimalSyntax {
  bool leadingSpace;  // white space before the number is skipped (C runtime)
  bool plusSign;      // a leading '+' is taken
  char minusAlias;    // a second character that stands for '-' ('\0': none)
  char ignored;       // a character dropped wherever it stands ('\0': none)
};

// The C runtime's reading, as atoi and _atoi64 do it.
constexpr DecimalSyntax kRuntimeSyntax = {true, true, '\0', '\0'};
// The setters' reading: an optional '-', then digits up to the first other
// character.
constexpr DecimalSyntax kSetterSyntax = {false, false, '\0', '\0'};
// A bound of a value list: '(' stands for a minus sign, ')' is ignored.
constexpr DecimalSyntax kListSyntax = {false, false, '(', ')'};

// Reads the leading number of `text` (0 when it has no digit). Values
// beyond 64 bits saturate at the 64-bit minimum or maximum and set
// `*overflow` when it is given.
long long ParseDecimal(std::string_view text, const DecimalSyntax& syntax,
                       bool* overflow = nullptr);

// C `_atoi64` and `atoi` (the latter saturating at the int range). The text
// ends at its first zero byte.
inline long long Atoi64(std::string_view text) {
  long long value = 0;
  if (text.empty()) return 0;
  if (ShortDigits(text, value)) return value;  // most stored numbers: plain digits
  return ParseDecimal(text, kRuntimeSyntax);
}
int Atoi(std::string_view text);

// Appends the decimal digits of `value`, as std::to_string writes them.
void AppendDecimal(std::string& out, long long value);

// A stored number: plain digits when not negative; otherwise '-' and the
// magnitude zero-padded to `length` - 1 digits (length 5: -42 is "-0042").
// The magnitude is written in full, whatever its size.
std::string FormatStoredNumber(long long value, int length);

// A float cut toward zero to an integer type; values the type cannot hold
// (and NaN) give its minimum, the processor's "integer indefinite".
template <typename T>
T CutToInteger(float f) {
  const double low = static_cast<double>(std::numeric_limits<T>::min());
  const double high = -low;  // one past the maximum
  const double d = static_cast<double>(f);
  if (!(d >= low && d < high)) return std::numeric_limits<T>::min();
  return static_cast<T>(d);
}

// ASCII upper case; other bytes are left as they are.
inline char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_NUMBERS_H_
