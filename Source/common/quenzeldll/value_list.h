// Value lists of field definitions (m_ValueList): entries separated by ',',
// each a single value or a low-high range. The first '-' of an entry
// separates its low text from its high text; the rest of the entry from a
// second '-' on is dropped. An empty entry matches nothing. Not installed.
#ifndef QUENZEL_VALUE_LIST_H_
#define QUENZEL_VALUE_LIST_H_

#include <string_view>

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

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_VALUE_LIST_H_
