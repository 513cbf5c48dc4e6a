// One field's value as the user gives and sees it: setting it from the
// user's text with a message that says what the field allows, and the
// stored text that decode prints.
#ifndef QUENZEL_TOOLS_FIELD_VALUES_H_
#define QUENZEL_TOOLS_FIELD_VALUES_H_

#include <quenzel.h>

#include <string>

namespace quenzel_tool {

// What the field's definition allows, in words, e.g. "a whole number of at
// most 6 digits, 1-999999".
std::string Allowed(const CQuenzelField& field);

// A value in double quotes for a message, on one line: line feed and tab
// are shown as \n and \t, other control bytes as \xNN.
std::string Quoted(const std::string& value);

// "field 7 (BESTBEFORE)".
std::string FieldLabel(const CQuenzelField& field);

enum class SetResult { kSet, kSubstituted, kRefused };

// Sets `field` from the user's UTF-8 `value` (CLOB values plain; they are
// stored as Base64, as a host stores them). `message` says what happened
// when the value was not simply set: refused (by the library, or because
// the data-record format cannot carry it), or replaced by the default.
SetResult SetFromUser(CQuenzelField& field, const std::string& value, std::string& message);

// The field's value as stored: no padding, no conversion, UTF-8.
inline const std::string& StoredValue(const CQuenzelField& field) { return field.m_Value; }

}  // namespace quenzel_tool

#endif  // QUENZEL_TOOLS_FIELD_VALUES_H_
