#include "field_getters.h"

#include <algorithm>

#include "code_page.h"
#include "field_types.h"
#include "numbers.h"
#include "value_list.h"
#include "weight_conversion.h"

namespace quenzel {
namespace detail {

namespace {

constexpr int kYearPivot = 75;  // two-digit years below it are 20xx

QuenzelError Checked(CQuenzelField& f, long long n, QuenzelError result) {
  if (NumberAllowed(f, n)) return result;
  f.m_Rejected = f.m_Value;
  return QuenzelError::kRangeError;
}

}  // namespace

QuenzelError GetNumber(CQuenzelField& f, long long& out) {
  switch (ClassOf(f.m_Type)) {
    case TypeClass::kNumeric:
      break;
    case TypeClass::kSingleCharacter:
      out = f.m_Value.empty() ? 0 : static_cast<unsigned char>(f.m_Value[0]);
      return QuenzelError::kNone;
    default:
      f.m_Rejected = f.m_Value;
      return QuenzelError::kConvertFail;
  }
  if (f.m_Type == kTypeYear) {
    long long n = Atoi64(f.m_Value);
    if (n > 99) n %= 100;
    out = n + (n < kYearPivot ? 2000 : 1900);
    return Checked(f, out, QuenzelError::kNone);
  }
  out = Atoi64(f.m_Value);
  QuenzelError result = Checked(f, out, QuenzelError::kNone);
  if (!TakesPartInConversion(f)) return result;
  if (ConvertsWeight(f)) {
    float converted = 0;
    result = ConvertFieldWeight(f, out, false, converted);
    out = CutToInteger<long long>(converted);
  }
  return Checked(f, out, result);
}

QuenzelError GetCharacter(CQuenzelField& f, unsigned char& out) {
  switch (ClassOf(f.m_Type)) {
    case TypeClass::kSingleCharacter:
      return GetSingleCharacter(f, out);
    case TypeClass::kNumeric: {
      long long number = 0;
      const QuenzelError result = GetNumber(f, number);
      out = static_cast<unsigned char>(number & 0xFF);
      const bool inRange = f.m_Max == -1 || (out >= f.m_Min && out <= f.m_Max);
      if (inRange && (f.m_ValueList.empty() || MatchesCharacter(FieldRules::ValueList(f), out)))
        return result;
      break;
    }
    default:
      f.m_Rejected = f.m_Value;
      return QuenzelError::kConvertFail;
  }
  f.m_Rejected = f.m_Value;
  return QuenzelError::kRangeError;
}

QuenzelError GetText(CQuenzelField& f, std::string& out, bool utf8) {
  const std::size_t length = static_cast<std::size_t>(std::max(f.m_Length, 0));
  if (IsNumericType(f.m_Type)) {
    const bool padded = f.m_Value.size() < length;
    if (!ConvertsWeight(f)) {
      out = f.m_Value;
      if (padded) out.insert(0, length - f.m_Value.size(), '0');
      return QuenzelError::kNone;
    }
    // The number of the zero-padded text, without building it: leading
    // zeros change nothing before a digit and end the number before
    // anything else (so "-42" padded reads as 0). Fields may be millions of
    // characters long.
    const bool digitFirst = !f.m_Value.empty() && IsDigit(f.m_Value[0]);
    const int number = padded && !digitFirst ? 0 : Atoi(f.m_Value);
    float converted = 0;
    const QuenzelError result = ConvertFieldWeight(f, number, false, converted);
    out = std::to_string(CutToInteger<long long>(converted));
    return result;
  }
  if (IsTextType(f.m_Type) || f.m_TreatAsText) {
    if (f.m_Value.empty())
      out = f.m_InitValue;
    else
      out = utf8 ? f.m_Value : Utf8ToCodePage(f.m_Value, f.m_CodePage);
    if (!f.m_NoPad && (f.m_Default & 0xFF) != 0) out.resize(std::max(out.size(), length), ' ');
    return QuenzelError::kNone;
  }
  if (!f.m_Value.empty()) out.assign(1, f.m_Value[0]);
  return QuenzelError::kNone;
}

}  // namespace detail
}  // namespace quenzel
