#include "field_types.h"

#include <array>

namespace quenzel {
namespace detail {

namespace {

struct TypeEntry {
  const char* name;
  FieldType code;
  TypeClass typeClass;
};

constexpr TypeClass kNumber = TypeClass::kNumeric;
constexpr TypeClass kChar = TypeClass::kSingleCharacter;
constexpr TypeClass kText = TypeClass::kText;

// Looked up in this order; the first name of a code is its display name.
constexpr TypeEntry kTypeTable[] = {
    {"NUMERIC", kTypeNumeric, kNumber},
    {"COLOUR", kTypeNumeric, kNumber},
    {"YEAR", kTypeYear, kNumber},
    {"STRING", kTypeString, kText},
    {"DATETIME", kTypeString, kText},
    {"BLOB", kTypeString, kText},
    {"FLAG", kTypeFlag, kChar},
    {"TEXT", kTypeText, kText},
    {"CURRENCY", kTypeCurrency, kNumber},
    {"WEIGHT", kTypeWeight, kNumber},
    {"NETWEIGHT", kTypeNetWeight, kNumber},
    {"WEIGHTHIRES", kTypeWeightHiRes, kNumber},
    {"PRICE", kTypePrice, kNumber},
    {"UOM", kTypeUom, kChar},
    {"PRICEBASE", kTypePriceBase, kChar},
    {"FONT", kTypeFont, kChar},
    {"NSTRING", kTypeNString, kText},
    {"CHARACTER", kTypeCharacter, kChar},
    {"BARCODE", kTypeBarcode, kNumber},
    {"STRINGNOTR", kTypeStringNoTr, kText},
    {"TEXTNOTR", kTypeTextNoTr, kText},
    {"NSTRINGNOTR", kTypeNStringNoTr, kText},
    {"CLOB", kTypeClob, kText},
    {"VALUE", kTypeValue, kNumber},
    {"UNITVALUE", kTypePrice, kNumber},
    {"FILENAME", kTypeString, kText},
    {"PERCENTAGE", kTypePercentage, kNumber},
};

// The class of every code, indexed by code, derived from the table; names
// that share a code must agree on its class.
constexpr std::array<TypeClass, kTypeCodeCount> BuildClasses() {
  std::array<TypeClass, kTypeCodeCount> classes{};
  for (const TypeEntry& entry : kTypeTable) classes[entry.code] = entry.typeClass;
  return classes;
}

constexpr bool ClassesAgree() {
  for (const TypeEntry& entry : kTypeTable)
    if (BuildClasses()[entry.code] != entry.typeClass) return false;
  return true;
}
static_assert(ClassesAgree(), "type names that share a code must share its class");

}  // namespace

constexpr std::array<TypeClass, kTypeCodeCount> kTypeClasses = BuildClasses();

std::vector<std::string> TypeNames() {
  std::vector<std::string> names;
  for (const TypeEntry& entry : kTypeTable) names.emplace_back(entry.name);
  return names;
}

}  // namespace detail
}  // namespace quenzel

using quenzel::detail::ClassOf;
using quenzel::detail::kTypeTable;
using quenzel::detail::TypeClass;

int FieldTypeFromName(const std::string& upperName) {
  for (const auto& entry : kTypeTable)
    if (upperName == entry.name) return entry.code;
  return kTypeNone;
}

const char* FieldTypeName(int code) {
  for (const auto& entry : kTypeTable)
    if (entry.code == code) return entry.name;
  return "";
}

bool IsNumericType(int code) { return ClassOf(code) == TypeClass::kNumeric; }
bool IsTextType(int code) { return ClassOf(code) == TypeClass::kText; }
bool IsSingleCharacterType(int code) { return ClassOf(code) == TypeClass::kSingleCharacter; }
