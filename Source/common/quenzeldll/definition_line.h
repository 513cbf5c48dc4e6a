// The grammar of one line of the definition file: the header line of a
// record block and a field line. docs/definition-format.md describes both.
// Not installed.
//
// A header line reads, after its '#':
//   number ACTION [... table:action ... "name" ...]
// A field line reads:
//   number TYPE name="..." length tail
// The record reader takes the field's name and comment from the raw line
// (FieldLineName, FieldLineComment) before the field parses the tokens
// (ParseFieldLine). The tail of a numeric type is: default, attributes,
// then either a value list or a minimum and a maximum. The tail of a text or
// single-character type is: a first item (padding character, "#" no-pad
// mark, INITVALUE= initial value, or an attribute), attributes, then for
// single-character types a value list or a list of allowed characters.
#ifndef QUENZEL_DEFINITION_LINE_H_
#define QUENZEL_DEFINITION_LINE_H_

#include <istream>
#include <string>

#include "quenzel_field.h"
#include "quenzel_record.h"

namespace quenzel {
namespace detail {

enum class HeaderResult { kOk, kBadNumber, kBadAction };

// Parses a header line (the text after its '#'). kBadNumber when the first
// token is missing or not all digits (`number` untouched); kBadAction when
// the action word is missing or unknown (`number` and `name` already set,
// `action` kActionNone). `name` is set only when the line contains
// "table:action".
HeaderResult ParseHeaderLine(const std::string& line, int& number, int& action, std::string& name);

// The field name of a raw field line: the text between the first double
// quote at or after "name=" and the next one (to the end of the line when
// that one is missing); empty when no quote follows "name=". False, `name`
// untouched, when the line has no "name=".
bool FieldLineName(const std::string& line, std::string& name);

// The comment of a raw field line: the text after its first "//"; empty
// when there is none.
std::string FieldLineComment(const std::string& line);

// Why ParseFieldLine refused a line, for tools that explain the refusal to
// a user. The reader itself only needs the verdict.
enum class FieldLineFault {
  kNone,
  kBadFieldNumber,     // the first item is not a field number of 1 to 9999999
  kUnknownType,        // the second item is no type name
  kNoLength,           // the line ends before its length
  kBadLength,          // the length is not a number item
  kLengthOutOfRange,   // the length is not 1 to 99999998
  kBadPseudo,          // PSEUDO without a field number of 1 to 9999999 after it
  kBadSplitCount,      // SPLITCNT without two counts after it
  kUnexpectedItem,     // an item after the attributes of a type that takes no list
  kBadValidCharacter,  // an item of more than one character among the valid characters
  kDefaultNotValid,    // the default character is not among the valid characters
};

// The refusal and the item (upper-cased, as the token reader gives it) it
// concerns, when there is one.
struct FieldLineDiagnosis {
  FieldLineFault fault = FieldLineFault::kNone;
  std::string item;
};

// Parses the tokens of a field line into `field`. True when the line
// defines a valid field, or holds none (`noField` then true). False for an
// invalid line; members set before the failure keep their values. When
// `why` is given it says why a line was refused.
bool ParseFieldLine(CQuenzelField& field, std::istream& in, bool& noField,
                    FieldLineDiagnosis* why = nullptr);

// Whether `record` could have come from the reader: a known action, a
// record number the header grammar gives, and in every field a known type,
// field and pseudo numbers (-1: none) and a length within the grammar's bounds, and no
// text taken from a line (names, keys, value list, initial value, comment,
// value, valid characters) longer than a line piece. Texts the host or the
// registry supplies (log name, paths, code page) are not bounded here.
bool WithinReaderLimits(const CQuenzelRecord& record);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_DEFINITION_LINE_H_
