// The type table of the definition file: every type name with its code and
// the class of values the code holds. Not installed; the public lookups are
// declared in quenzel_field.h.
#ifndef QUENZEL_FIELD_TYPES_H_
#define QUENZEL_FIELD_TYPES_H_

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "quenzel_field.h"

namespace quenzel {
namespace detail {

// How the accessors treat a type code's values. kOther covers unknown codes,
// which the accessors treat as text where they must choose.
enum class TypeClass : unsigned char { kOther, kNumeric, kText, kSingleCharacter };

// The class of every type code, indexed by code (built from the type table
// in field_types.cpp). The accessors ask for a field's class on every value,
// so the lookup is inline.
constexpr int kTypeCodeCount = kTypeValue + 1;
extern const std::array<TypeClass, kTypeCodeCount> kTypeClasses;

inline TypeClass ClassOf(int code) {
  return code >= 0 && code < kTypeCodeCount ? kTypeClasses[static_cast<std::size_t>(code)]
                                            : TypeClass::kOther;
}

// Every type name the definition file accepts, aliases included, in the
// table's order.
std::vector<std::string> TypeNames();

// WEIGHT, NETWEIGHT and WEIGHTHIRES: the types weight conversion applies to.
inline bool IsWeightType(int code) {
  return code == kTypeWeight || code == kTypeNetWeight || code == kTypeWeightHiRes;
}

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_FIELD_TYPES_H_
