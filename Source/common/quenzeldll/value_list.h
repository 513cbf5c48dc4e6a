// Value lists of field definitions (m_ValueList): entries separated by ',',
// each a single value or a low-high range. The first '-' of an entry
// separates its low text from its high text; the rest of the entry from a
// second '-' on is dropped. An empty entry matches nothing. Not installed.
#ifndef QUENZEL_VALUE_LIST_H_
#define QUENZEL_VALUE_LIST_H_

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "quenzel_field.h"

namespace quenzel {
namespace detail {

// Number matching: an entry with both bounds matches low <= v <= high, one
// with a single bound matches that value. In the bounds '(' stands for a
// minus sign and ')' is ignored, so "(5)-10" is -5 to 10.
bool MatchesNumber(std::string_view list, long long v);

// Character matching. When the low or high text begins with an ASCII
// letter, c is compared with the first characters (read as signed bytes);
// otherwise a digit character counts as its digit value, any other byte as
// its value, compared with the bounds read as numbers.
bool MatchesCharacter(std::string_view list, unsigned char c);

// A value list read once: the closed number ranges of every entry that
// can match, the characters it admits, and the text it was read from.
struct ParsedValueList {
  struct Entry {
    long long numberLow, numberHigh;
  };
  std::string source;
  std::vector<Entry> entries;
  // Bit c (of word c / 64) is set when the character c matches an entry:
  // characters are checked with one lookup instead of a walk of the list.
  std::uint64_t characters[4] = {};
};

std::shared_ptr<const ParsedValueList> ParseValueList(std::string_view list);
// The same results as the matchings of the list's text.
inline bool MatchesNumber(const ParsedValueList& list, long long v) {
  for (const ParsedValueList::Entry& e : list.entries)
    if (e.numberLow <= v && v <= e.numberHigh) return true;
  return false;
}
inline bool MatchesCharacter(const ParsedValueList& list, unsigned char c) {
  return ((list.characters[c >> 6] >> (c & 63)) & 1) != 0;
}

// The checks of the setters and getters run on every value, so a field
// keeps its value list read (see CQuenzelField's private cache).
class FieldRules {
 public:
  // The parsed form of `field`'s m_ValueList, read again whenever the text
  // differs from the one it was read from (a host may assign a new list).
  // Valid until the field's list is next looked at or the field changes.
  [[gnu::always_inline]] static const ParsedValueList& ValueList(const CQuenzelField& field) {
    const ParsedValueList* cached = field.listRules_.get();
    if (cached != nullptr && SameText(cached->source, field.m_ValueList)) return *cached;
    return ReadAgain(field);
  }

 private:
  static const ParsedValueList& ReadAgain(const CQuenzelField& field);
  // Lists are short: compared a word at a time, without a library call,
  // up to 16 bytes (two words that overlap in the middle), and below four
  // bytes by their first, middle and last byte.
  static bool SameText(const std::string& a, const std::string& b) {
    const std::size_t n = a.size();
    if (n != b.size()) return false;
    if (n > 16) return a == b;
    if (n >= 8) return Same<std::uint64_t>(a.data(), b.data(), n);
    if (n >= 4) return Same<std::uint32_t>(a.data(), b.data(), n);
    if (n == 0) return true;
    // First, middle and last byte: every byte of up to three.
    return a[0] == b[0] && a[n / 2] == b[n / 2] && a[n - 1] == b[n - 1];
  }
  // The first and the last sizeof(Word) of the n bytes (n at least that).
  template <typename Word>
  static bool Same(const char* a, const char* b, std::size_t n) {
    Word a0, a1, b0, b1;
    std::memcpy(&a0, a, sizeof a0);
    std::memcpy(&b0, b, sizeof b0);
    std::memcpy(&a1, a + n - sizeof a1, sizeof a1);
    std::memcpy(&b1, b + n - sizeof b1, sizeof b1);
    return ((a0 ^ b0) | (a1 ^ b1)) == 0;
  }
};

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_VALUE_LIST_H_
