// Reading a field's value: the 64-bit core getter every typed getter leads
// to, the character getter and the text getter. Weight fields convert
// scale to host on the way out. Not installed.
#ifndef QUENZEL_FIELD_GETTERS_H_
#define QUENZEL_FIELD_GETTERS_H_

#include <string>

#include "quenzel_field.h"
#include "value_list.h"

namespace quenzel {
namespace detail {

// The check of the number getter: within m_Min..m_Max when a maximum is
// set, then in the value list when there is one.
[[gnu::always_inline]] inline bool NumberAllowed(const CQuenzelField& f, long long n) {
  if (f.m_Max != -1 && (n < f.m_Min || n > f.m_Max)) return false;
  return f.m_ValueList.empty() || MatchesNumber(FieldRules::ValueList(f), n);
}

// The value as a number: checked against m_Min..m_Max (when a maximum is
// set) and the value list, kRangeError and m_Rejected otherwise. YEAR
// fields give four-digit years. A text field gives kConvertFail, `out`
// unchanged.
QuenzelError GetNumber(CQuenzelField& field, long long& out);

// The value as one character: the character of a single-character field,
// the low byte of a numeric field's number; kConvertFail for a text field.
QuenzelError GetCharacter(CQuenzelField& field, unsigned char& out);

// GetCharacter for a field of a single-character type: its first byte (0
// when it has none), which must match the value list when there is one.
[[gnu::always_inline]] inline QuenzelError GetSingleCharacter(CQuenzelField& f,
                                                              unsigned char& out) {
  out = f.m_Value.empty() ? 0 : static_cast<unsigned char>(f.m_Value[0]);
  if (f.m_ValueList.empty() || MatchesCharacter(FieldRules::ValueList(f), out))
    return QuenzelError::kNone;
  f.m_Rejected = f.m_Value;
  return QuenzelError::kRangeError;
}

// The value as text: numeric fields zero-padded to m_Length (converted
// weights unpadded), text fields in UTF-8 or the code page and padded with
// blanks, single-character fields as their character (`out` untouched
// when the value is empty).
QuenzelError GetText(CQuenzelField& field, std::string& out, bool utf8);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_FIELD_GETTERS_H_
