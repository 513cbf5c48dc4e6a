#include "numbers.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>

namespace quenzel {
namespace detail {

namespace {

// The position of the first character at or after `i` that is not '0'.
// Blocks are compared at once: a text may hold millions of zeros.
std::size_t SkipZeros(std::string_view text, std::size_t i) {
  static const std::string kZeros(64, '0');
  while (text.size() - i >= kZeros.size() &&
         std::memcmp(text.data() + i, kZeros.data(), kZeros.size()) == 0)
    i += kZeros.size();
  while (i < text.size() && text[i] == '0') ++i;
  return i;
}

}  // namespace

bool IsDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

// A zero byte ends the text, as it ends a C string: it is no blank, sign or
// digit, so every step below stops at it.
long long ParseDecimal(std::string_view text, const DecimalSyntax& syntax, bool* overflow) {
  long long value = 0;
  if (ShortDigits(text, value)) {  // the same in every syntax, and no overflow
    if (overflow != nullptr) *overflow = false;
    return value;
  }
  std::size_t i = 0;
  auto next = [&] {
    while (i < text.size() && syntax.ignored != '\0' && text[i] == syntax.ignored) ++i;
    return i < text.size() ? text[i] : '\0';
  };
  if (syntax.leadingSpace)
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  char c = next();
  const bool negative = c == '-' || (syntax.minusAlias != '\0' && c == syntax.minusAlias);
  if (negative || (syntax.plusSign && c == '+')) {
    ++i;
    c = next();
  }
  // Leading zeros change nothing; a field's text may hold millions of them
  // (a negative number padded to the field's length).
  if (syntax.ignored == '\0') {
    i = SkipZeros(text, i);
    c = next();
  }
  const unsigned long long limit = negative ? 9223372036854775808ULL : LLONG_MAX;
  // magnitude * 10 + digit exceeds the limit exactly when magnitude exceeds
  // limit / 10, or equals it and the digit exceeds the limit's last digit.
  const unsigned long long tenth = limit / 10;
  const unsigned lastDigit = static_cast<unsigned>(limit % 10);
  unsigned long long magnitude = 0;
  bool over = false;
  // Without an ignored character the digits stand together; a run of at
  // most 18 of them cannot exceed either limit.
  if (syntax.ignored == '\0') {
    std::size_t run = i;
    while (run < text.size() && IsDigit(text[run])) ++run;
    if (run - i <= 18) {
      for (; i < run; ++i) magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
      c = '\0';
    }
  }
  for (; IsDigit(c); ++i, c = next()) {
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (magnitude > tenth || (magnitude == tenth && digit > lastDigit)) {
      over = true;
      magnitude = limit;
      break;
    }
    magnitude = magnitude * 10 + digit;
  }
  if (overflow != nullptr) *overflow = over;
  if (!negative) return static_cast<long long>(magnitude);
  return magnitude == limit ? LLONG_MIN : -static_cast<long long>(magnitude);
}

int Atoi(std::string_view text) {
  return static_cast<int>(std::clamp<long long>(Atoi64(text), INT_MIN, INT_MAX));
}

void AppendDecimal(std::string& out, long long value) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, static_cast<std::size_t>(result.ptr - digits));
}

std::string FormatStoredNumber(long long value, int length) {
  std::string text;
  if (value >= 0) {
    AppendDecimal(text, value);
    return text;
  }
  const unsigned long long magnitude = 0ULL - static_cast<unsigned long long>(value);
  std::string digits = std::to_string(magnitude);
  const std::size_t width = length > 1 ? static_cast<std::size_t>(length - 1) : 0;
  const std::size_t zeros = digits.size() < width ? width - digits.size() : 0;
  text.reserve(1 + zeros + digits.size());
  text.push_back('-');
  text.append(zeros, '0');
  return text.append(digits);
}

}  // namespace detail
}  // namespace quenzel
