// Setting a field's value: from text in the code page or UTF-8, and the two
// core setters every typed setter leads to. Each check stores the value
// before it judges it; docs/errors.md lists the outcomes. Not installed.
#ifndef QUENZEL_FIELD_SETTERS_H_
#define QUENZEL_FIELD_SETTERS_H_

#include <string>
#include <string_view>

#include "quenzel_field.h"

namespace quenzel {
namespace detail {

// SetValue (code page, `utf8` false) and SetValueUTF8 from text. A PRIVATE
// field changes only with `privateOverride`, a PRIVATE numeric field never.
// An empty text on a single-character field throws std::out_of_range from
// the code-page form, the field unchanged.
QuenzelError SetFromText(CQuenzelField& field, const std::string& text, bool privateOverride,
                         bool utf8);

// SetFromText(field, text, false, false) for a field of a numeric type, from
// text held elsewhere (a reader's buffer): no copy of it is made.
QuenzelError SetNumericFromText(CQuenzelField& field, std::string_view text);

// SetFromText(field, text, false, false) for a single-character field and
// a text that begins with `first`: the rest of such a text is never looked
// at, so the reader need not copy it.
QuenzelError SetCharacterFromFirstByte(CQuenzelField& field, char first);

// The 64-bit core setter: numbers are stored with width, bounds, value-list
// and weight conversion; a single-character field takes 0 to 9 as their
// digit characters; a text field takes the decimal text.
QuenzelError SetNumber(CQuenzelField& field, long long v, bool privateOverride);

// The character core setter: bytes 0 to 9 become their digit characters on
// single-character fields; a numeric field stores the byte's value.
QuenzelError SetCharacter(CQuenzelField& field, unsigned char c, bool privateOverride);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_FIELD_SETTERS_H_
