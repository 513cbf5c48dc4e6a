#include "value_list.h"

#include <algorithm>

#include "numbers.h"

namespace quenzel {
namespace detail {

namespace {

struct ListEntry {
  std::string_view low;
  std::string_view high;
};

// What one entry admits: a range of numbers and one of characters.
struct Entry {
  long long numberLow, numberHigh;
  long long characterLow, characterHigh;
  bool letters;  // the character bounds are letters: c is compared as it is
};

// The position of `c` in `text`, or npos: lists are short, so a plain loop
// beats a library search call.
inline std::size_t FindChar(std::string_view text, char c) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == c) return i;
  return std::string_view::npos;
}

// Calls `visit` on each entry until it returns true.
template <typename Visit>
bool AnyEntry(std::string_view list, Visit visit) {
  for (;;) {
    const std::size_t comma = FindChar(list, ',');
    const std::string_view entry = list.substr(0, comma);
    ListEntry parts;
    const std::size_t dash = FindChar(entry, '-');
    if (dash == std::string_view::npos) {
      parts.low = entry;
    } else {
      parts.low = entry.substr(0, dash);
      const std::string_view rest = entry.substr(dash + 1);
      parts.high = rest.substr(0, FindChar(rest, '-'));
    }
    if (visit(parts)) return true;
    if (comma == std::string_view::npos) return false;
    list.remove_prefix(comma + 1);
  }
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The ranges an entry with at least one bound matches. A single bound is a
// range of one value. For characters, when either text begins with a
// letter the bounds are the first characters, read as signed bytes (so a
// range that ends in a byte above 127 matches no letter); otherwise they
// are numbers.
Entry Ranges(const ListEntry& e) {
  const std::string_view low = e.low.empty() ? e.high : e.low;
  const std::string_view high = e.high.empty() ? e.low : e.high;
  Entry r{};
  r.numberLow = ParseDecimal(low, kListSyntax);
  r.numberHigh = ParseDecimal(high, kListSyntax);
  r.letters = IsAsciiLetter(low[0]) || IsAsciiLetter(high[0]);
  if (r.letters) {
    // NOLINTBEGIN(bugprone-signed-char-misuse,cert-str34-c)
    r.characterLow = static_cast<signed char>(low[0]);
    r.characterHigh = static_cast<signed char>(high[0]);
    // NOLINTEND(bugprone-signed-char-misuse,cert-str34-c)
  } else {
    r.characterLow = ParseDecimal(low, kSetterSyntax);
    r.characterHigh = ParseDecimal(high, kSetterSyntax);
  }
  return r;
}

bool HasBound(const ListEntry& e) { return !e.low.empty() || !e.high.empty(); }

bool NumberIn(const Entry& e, long long v) { return e.numberLow <= v && v <= e.numberHigh; }

bool CharacterIn(const Entry& e, unsigned char c) {
  const long long value = e.letters || !IsDigit(static_cast<char>(c)) ? c : c - '0';
  return e.characterLow <= value && value <= e.characterHigh;
}

using CharacterSet = std::uint64_t[4];

// Adds the characters from..to (clipped to 0..255) to `set`, a word at a time.
void AddCharacters(CharacterSet& set, long long from, long long to) {
  from = std::max(from, 0LL);
  to = std::min(to, 255LL);
  for (long long c = from; c <= to; c = (c | 63) + 1) {
    const long long last = std::min(to, c | 63);
    const unsigned low = static_cast<unsigned>(c & 63), high = static_cast<unsigned>(last & 63);
    set[c >> 6] |= (~0ULL << low) & (~0ULL >> (63 - high));
  }
}

// The characters CharacterIn admits for `e`: with letter bounds the bytes
// between them; otherwise the other bytes between the numbers, and the
// digit characters whose digit values lie between them.
void AddCharacters(CharacterSet& set, const Entry& e) {
  if (e.letters) return AddCharacters(set, e.characterLow, e.characterHigh);
  CharacterSet entry = {};
  AddCharacters(entry, e.characterLow, e.characterHigh);
  entry['0' >> 6] &= ~(((1ULL << 10) - 1) << ('0' & 63));  // the digits count by value
  const long long lowDigit = std::max(e.characterLow, 0LL);
  const long long highDigit = std::min(e.characterHigh, 9LL);
  if (lowDigit <= highDigit) AddCharacters(entry, '0' + lowDigit, '0' + highDigit);
  for (int w = 0; w < 4; ++w) set[w] |= entry[w];
}

}  // namespace

bool MatchesNumber(std::string_view list, long long v) {
  return AnyEntry(list, [v](const ListEntry& e) { return HasBound(e) && NumberIn(Ranges(e), v); });
}

bool MatchesCharacter(std::string_view list, unsigned char c) {
  return AnyEntry(list,
                  [c](const ListEntry& e) { return HasBound(e) && CharacterIn(Ranges(e), c); });
}

std::shared_ptr<const ParsedValueList> ParseValueList(std::string_view list) {
  auto parsed = std::make_shared<ParsedValueList>();
  parsed->source.assign(list.data(), list.size());
  // Kept for every field with a list: no spare capacity.
  parsed->entries.reserve(static_cast<std::size_t>(std::count(list.begin(), list.end(), ',')) + 1);
  AnyEntry(list, [&](const ListEntry& e) {
    if (!HasBound(e)) return false;
    const Entry ranges = Ranges(e);
    parsed->entries.push_back({ranges.numberLow, ranges.numberHigh});
    AddCharacters(parsed->characters, ranges);
    return false;
  });
  return parsed;
}

const ParsedValueList& FieldRules::ReadAgain(const CQuenzelField& field) {
  field.listRules_ = ParseValueList(field.m_ValueList);
  return *field.listRules_;
}

}  // namespace detail
}  // namespace quenzel
