#include "value_list.h"

#include "numbers.h"

namespace quenzel {
namespace detail {

namespace {

struct ListEntry {
  std::string_view low;
  std::string_view high;
};

// The position of `c` in `text`, or npos: lists are short, so a plain loop
// beats a library search call.
inline std::size_t FindChar(std::string_view text, char c) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == c) return i;
  return std::string_view::npos;
}

// Calls `visit` on each entry until it returns true. Matching runs on every
// set and get of a listed field, so it works on views of the list, without
// copying.
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

long long ListNumber(std::string_view text) { return ParseDecimal(text, kListSyntax); }

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

bool MatchesNumber(std::string_view list, long long v) {
  return AnyEntry(list, [v](const ListEntry& e) {
    if (!e.low.empty() && !e.high.empty()) return ListNumber(e.low) <= v && v <= ListNumber(e.high);
    if (!e.low.empty()) return v == ListNumber(e.low);
    if (!e.high.empty()) return v == ListNumber(e.high);
    return false;
  });
}

bool MatchesCharacter(std::string_view list, unsigned char c) {
  return AnyEntry(list, [c](const ListEntry& e) {
    const bool hasLow = !e.low.empty();
    const bool hasHigh = !e.high.empty();
    if (!hasLow && !hasHigh) return false;
    if ((hasLow && IsAsciiLetter(e.low[0])) || (hasHigh && IsAsciiLetter(e.high[0]))) {
      // First characters count as signed bytes, c as an unsigned one: a
      // range that ends in a byte above 127 matches no letter.
      // NOLINTBEGIN(bugprone-signed-char-misuse,cert-str34-c)
      const int low = static_cast<signed char>(hasLow ? e.low[0] : e.high[0]);
      const int high = static_cast<signed char>(hasHigh ? e.high[0] : e.low[0]);
      // NOLINTEND(bugprone-signed-char-misuse,cert-str34-c)
      if (hasLow && hasHigh) return low <= c && c <= high;
      return c == low;
    }
    const long long value = IsDigit(static_cast<char>(c)) ? c - '0' : c;
    const auto bound = [](std::string_view text) { return ParseDecimal(text, kSetterSyntax); };
    if (hasLow && hasHigh) return bound(e.low) <= value && value <= bound(e.high);
    return value == bound(hasLow ? e.low : e.high);
  });
}

}  // namespace detail
}  // namespace quenzel
