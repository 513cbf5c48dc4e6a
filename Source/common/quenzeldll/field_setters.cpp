#include "field_setters.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "code_page.h"
#include "field_types.h"
#include "host_services.h"
#include "numbers.h"
#include "short_text.h"
#include "value_list.h"
#include "weight_conversion.h"

namespace quenzel {
namespace detail {

namespace {

// What a failed bounds, list or character check does: the default-data
// mode substitutes the default for a field that is no key in a record that
// is neither SEND nor DELETE; with the mode on for any other field the
// failure is reported without noting the rejected text (kKept).
enum class OnFailure { kReport, kSubstitute, kKept };

OnFailure FailurePolicy(const CQuenzelField& f) {
  if (!DefaultDataMode()) return OnFailure::kReport;
  return f.m_KeyPos.empty() && !f.m_SendOrDelete ? OnFailure::kSubstitute : OnFailure::kKept;
}

// Text form of the default character: the low byte of m_Default, or ""
// when that byte is 0.
std::string DefaultCharacterText(const CQuenzelField& f) {
  const char c = static_cast<char>(f.m_Default & 0xFF);
  return c == '\0' ? std::string() : std::string(1, c);
}

// Stores the one character of a single-character field and checks it:
// against the value list when there is one (`listed` is its verdict), else
// against the valid characters.
QuenzelError StoreCharacter(CQuenzelField& f, unsigned char stored, bool listed) {
  const char c = static_cast<char>(stored);
  AssignBytes(f.m_Value, std::string_view(&c, 1));
  const std::vector<unsigned char>& valid = f.m_ValidChars;
  const bool accepted =
      !f.m_ValueList.empty()
          ? listed
          : valid.empty() || std::find(valid.begin(), valid.end(), stored) != valid.end();
  if (accepted) return QuenzelError::kNone;
  if (FailurePolicy(f) == OnFailure::kSubstitute) {
    const std::string rejected = f.m_Value;
    f.m_Value = DefaultCharacterText(f);
    f.m_Rejected = rejected + ":" + f.m_Value;
    return QuenzelError::kRangeWarning;
  }
  f.m_Rejected = f.m_Value;
  return QuenzelError::kRangeError;
}

// Byte values 0 to 9 stand for their digit characters.
QuenzelError SetFirstByte(CQuenzelField& f, char first) {
  unsigned char c = static_cast<unsigned char>(first);
  if (c <= 9) c = static_cast<unsigned char>(c + '0');
  return StoreCharacter(f, c,
                        f.m_ValueList.empty() || MatchesCharacter(FieldRules::ValueList(f), c));
}

QuenzelError SetCharacterFromText(CQuenzelField& f, const std::string& text, bool utf8) {
  if (text.empty()) {
    if (!utf8) throw std::out_of_range("invalid string position");
    if (FailurePolicy(f) == OnFailure::kSubstitute) {
      f.m_Value = DefaultCharacterText(f);
      f.m_Rejected = ":" + f.m_Value;
      return QuenzelError::kRangeWarning;
    }
    f.m_Rejected = f.m_Value;
    return QuenzelError::kRangeError;
  }
  return SetFirstByte(f, text[0]);
}

// Stores the number v: formatting, width, bounds, value list, default
// substitution and weight conversion (host to scale). A later check
// replaces an earlier result.
QuenzelError StoreNumber(CQuenzelField& f, long long v) {
  QuenzelError result = QuenzelError::kNone;
  // A number that is not negative is its plain digits (see
  // FormatStoredNumber), formatted here without a string of its own.
  char digits[24];
  std::string padded;
  std::string_view formatted;
  if (v >= 0) {
    const char* end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    formatted = std::string_view(digits, static_cast<std::size_t>(end - digits));
  } else {
    padded = FormatStoredNumber(v, f.m_Length);
    formatted = padded;
  }
  AssignBytes(f.m_Value, formatted);
  if (f.m_Length != 0 && formatted.size() > static_cast<std::size_t>(f.m_Length)) {
    f.m_Rejected = f.m_Value;
    result = QuenzelError::kLengthError;
  }
  if (!IsNumericType(f.m_Type)) return result;  // text types: the width check only

  // Replaces the number by the default after a failed check.
  const auto substitute = [&] {
    v = f.m_Default;
    f.m_Value = std::to_string(f.m_Default);
    f.m_Rejected = std::string(formatted) + ":" + f.m_Value;
    return QuenzelError::kRangeWarning;
  };
  // Outside the bounds reads "Length Error"; outside the list "Range Error".
  const auto fail = [&](QuenzelError error) {
    const OnFailure policy = FailurePolicy(f);
    if (policy == OnFailure::kSubstitute) return substitute();
    if (policy == OnFailure::kReport || error == QuenzelError::kRangeError)
      f.m_Rejected = f.m_Value;
    return error;
  };

  if (f.m_Min != f.m_Max && (v < f.m_Min || v > f.m_Max))
    result = fail(QuenzelError::kLengthError);
  else if (!f.m_ValueList.empty() && !MatchesNumber(FieldRules::ValueList(f), v))
    result = fail(QuenzelError::kRangeError);

  if (TakesPartInConversion(f)) {
    if (ConvertsWeight(f)) {
      float converted = 0;
      result = ConvertFieldWeight(f, v, true, converted);
      v = CutToInteger<long long>(converted);
    }
    const bool outside = f.m_Max != -1 && (v < f.m_Min || v > f.m_Max);
    if (outside || (!f.m_ValueList.empty() && !MatchesNumber(FieldRules::ValueList(f), v))) {
      if (FailurePolicy(f) == OnFailure::kSubstitute) {
        v = f.m_Default;
        f.m_Rejected = std::string(formatted) + ":" + std::to_string(f.m_Default);
        result = QuenzelError::kRangeWarning;
      } else {
        f.m_Rejected = f.m_Value;
        result = QuenzelError::kRangeError;
      }
    }
  }
  if (f.m_ConversionOn) f.m_Value = FormatStoredNumber(v, f.m_Length);
  return result;
}

// The common case of StoreNumber, decided from the text: plain digits
// without a leading zero are the number's own stored form, so a number
// within the width, the bounds and the value list that takes no part in
// weight conversion is stored as the text stands, with nothing else to
// change. False (and nothing stored) otherwise.
bool StoredAsGiven(CQuenzelField& f, std::string_view text, long long v) {
  if (text.size() > 1 && text[0] == '0') return false;
  if (f.m_Length != 0 && text.size() > static_cast<std::size_t>(f.m_Length)) return false;
  if (ClassOf(f.m_Type) != TypeClass::kNumeric || TakesPartInConversion(f)) return false;
  if (f.m_Min != f.m_Max && (v < f.m_Min || v > f.m_Max)) return false;
  if (!f.m_ValueList.empty() && !MatchesNumber(FieldRules::ValueList(f), v)) return false;
  AssignBytes(f.m_Value, text);
  return true;
}

// A numeric text holds digits and '-' only ('-' anywhere, any number of
// times) and is read up to its first character that is not a digit after
// an optional leading '-'. Digits beyond the 64-bit range are no number
// the field can hold: "Invalid Numeric", like any other text that is no
// number, rather than a silently clamped value.
QuenzelError SetNumberFromText(CQuenzelField& f, std::string_view text) {
  long long digits = 0;
  if (ShortDigits(text, digits))
    return StoredAsGiven(f, text, digits) ? QuenzelError::kNone : StoreNumber(f, digits);
  const bool numeric = !text.empty() && std::all_of(text.begin(), text.end(),
                                                    [](char c) { return IsDigit(c) || c == '-'; });
  bool overflow = false;
  const long long v = numeric ? ParseDecimal(text, kSetterSyntax, &overflow) : 0;
  if (!numeric || overflow) {
    f.m_Rejected.assign(text.data(), text.size());
    return QuenzelError::kInvalidNumeric;
  }
  return StoreNumber(f, v);
}

}  // namespace

QuenzelError SetFromText(CQuenzelField& f, const std::string& text, bool privateOverride,
                         bool utf8) {
  if (f.m_Private && !privateOverride) return QuenzelError::kNone;
  switch (ClassOf(f.m_Type)) {
    case TypeClass::kSingleCharacter:
      return SetCharacterFromText(f, text, utf8);
    case TypeClass::kNumeric:
      // A PRIVATE numeric field is set only through the number setter.
      return f.m_Private ? QuenzelError::kNone : SetNumberFromText(f, text);
    default:
      if (utf8)
        f.m_Value = text;
      else if (!text.empty())
        AssignCodePageToUtf8(f.m_Value, text, f.m_CodePage);
      return QuenzelError::kNone;
  }
}

QuenzelError SetNumericFromText(CQuenzelField& f, std::string_view text) {
  return f.m_Private ? QuenzelError::kNone : SetNumberFromText(f, text);
}

QuenzelError SetCharacterFromFirstByte(CQuenzelField& f, char first) {
  return f.m_Private ? QuenzelError::kNone : SetFirstByte(f, first);
}

// After a default substitution a single-character field holds its default
// as that one character (nothing when the default byte is 0), whichever
// setter substituted it.
QuenzelError SetNumber(CQuenzelField& f, long long v, bool privateOverride) {
  if (f.m_Private && !privateOverride) return QuenzelError::kNone;
  if (!IsSingleCharacterType(f.m_Type)) return StoreNumber(f, v);
  if (v < 0 || v > 9) {
    f.m_Rejected.assign(1, static_cast<char>(v & 0xFF));
    return QuenzelError::kConvertFail;
  }
  // The list sees the number 0 to 9, the valid characters its digit.
  const unsigned char digit = static_cast<unsigned char>('0' + v);
  return StoreCharacter(f, digit,
                        f.m_ValueList.empty() || MatchesNumber(FieldRules::ValueList(f), v));
}

QuenzelError SetCharacter(CQuenzelField& f, unsigned char c, bool privateOverride) {
  if (f.m_Private && !privateOverride) return QuenzelError::kNone;
  switch (ClassOf(f.m_Type)) {
    case TypeClass::kNumeric:
      return f.m_Private ? QuenzelError::kNone : StoreNumber(f, c);  // only SetNumber sets these
    case TypeClass::kSingleCharacter: {
      const unsigned char stored = c <= 9 ? static_cast<unsigned char>(c + '0') : c;
      // The list sees the byte as given, before the digit mapping.
      return StoreCharacter(f, stored,
                            f.m_ValueList.empty() || MatchesCharacter(FieldRules::ValueList(f), c));
    }
    default:
      return QuenzelError::kNone;
  }
}

}  // namespace detail
}  // namespace quenzel
