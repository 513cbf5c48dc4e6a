// CQuenzelField: construction, copying and Reset; every other operation
// delegates to the module of its concern (definition_line, field_setters,
// field_getters, weight_conversion, data_record).
#include "quenzel_field.h"

#include "data_record.h"
#include "definition_line.h"
#include "field_getters.h"
#include "field_setters.h"
#include "field_types.h"
#include "numbers.h"

namespace detail = quenzel::detail;

CQuenzelField::CQuenzelField(int recordNumber, const std::string& auditText,
                             const std::string& auditName, const std::string& fieldName,
                             const std::string& codePage, bool sendOrDelete,
                             const std::string& recordName)
    : m_HostSF(0),
      m_ScaleMS(0),
      m_ScaleSF(0),
      m_HostMS(0),
      m_TotalsMS(0),
      m_ConvertField(false),
      m_ConversionOn(false),
      m_ConversionFlagA(false),
      m_HostUnitsFixed(false),
      m_ConversionFlagB(false),
      m_Type(kTypeString),
      m_Default(0),
      m_Min(-1),
      m_Max(-1),
      m_PseudoNumber(-1),
      m_FieldNumber(detail::Atoi(fieldName)),
      m_Length(0),
      m_SplitCnt1(0),
      m_SplitCnt2(0),
      m_Reserved1(0),
      m_RecordNumber(recordNumber),
      m_Reserved2(false),
      m_Reserved3(false),
      m_Private(false),
      m_NoPartial(false),
      m_DelCtlCh(false),
      m_Supplied(false),
      m_TreatAsText(false),
      m_NoPad(false),
      m_SendOrDelete(sendOrDelete) {
  // Copied only when given: the definition cache builds every field from
  // empty texts and overwrites them.
  for (auto [member, text] : {std::pair{&m_AuditName, &auditName},
                              {&m_AuditText, &auditText},
                              {&m_RecordName, &recordName},
                              {&m_CodePage, &codePage},
                              {&m_Name, &fieldName}})
    if (!text->empty()) *member = std::string(*text);  // at its exact size
}

CQuenzelField::CQuenzelField(const std::string& /*unused*/, const std::string& auditText,
                             const std::string& auditName, const std::string& fieldName,
                             const std::string& codePage, bool sendOrDelete,
                             const std::string& recordName)
    : CQuenzelField(0, auditText, auditName, fieldName, codePage, sendOrDelete, recordName) {
  m_FieldNumber = -1;
}

CQuenzelField::CQuenzelField(const CQuenzelField& other) = default;
CQuenzelField& CQuenzelField::operator=(const CQuenzelField& other) = default;
CQuenzelField::CQuenzelField(CQuenzelField&& other) noexcept = default;
CQuenzelField& CQuenzelField::operator=(CQuenzelField&& other) noexcept = default;
CQuenzelField::~CQuenzelField() = default;

bool CQuenzelField::Read(std::istream& in, bool& noField) {
  return detail::ParseFieldLine(*this, in, noField);
}

void CQuenzelField::Reset() {
  m_Supplied = false;
  switch (detail::ClassOf(m_Type)) {
    case detail::TypeClass::kNumeric:
      detail::SetNumber(*this, m_Default, true);
      break;
    case detail::TypeClass::kSingleCharacter:
      detail::SetCharacter(*this, static_cast<unsigned char>(m_Default & 0xFF), true);
      break;
    default:
      m_Value = m_InitValue;
  }
}

void CQuenzelField::SetFieldConversionDetails(bool conversionOn, int scaleMS, int scaleSF,
                                              int hostMS, int hostSF, int totalsMS,
                                              bool convertField, bool flagA, bool flagB) {
  m_ConversionOn = conversionOn;
  m_ScaleMS = scaleMS;
  m_ScaleSF = scaleSF;
  if (!m_HostUnitsFixed) {
    m_HostMS = hostMS;
    m_HostSF = hostSF;
  }
  m_TotalsMS = totalsMS;
  m_ConvertField = convertField;
  m_ConversionFlagA = flagA;
  m_ConversionFlagB = flagB;
}

// ---------------------------------------------------------------------------
// Setters: every integer form leads to the 64-bit core setter, every
// character form to the character core setter; the UTF8 twins are the same.

QuenzelError CQuenzelField::SetValue(const std::string& text, bool privateOverride) {
  return detail::SetFromText(*this, text, privateOverride, false);
}
QuenzelError CQuenzelField::SetValueUTF8(const std::string& text, bool privateOverride) {
  return detail::SetFromText(*this, text, privateOverride, true);
}

#define QUENZEL_NUMBER_SETTERS(Type)                                                 \
  QuenzelError CQuenzelField::SetValue(Type value, bool privateOverride) {           \
    return detail::SetNumber(*this, static_cast<long long>(value), privateOverride); \
  }                                                                                  \
  QuenzelError CQuenzelField::SetValueUTF8(Type value, bool privateOverride) {       \
    return detail::SetNumber(*this, static_cast<long long>(value), privateOverride); \
  }
QUENZEL_NUMBER_SETTERS(long long)
QUENZEL_NUMBER_SETTERS(int)
QUENZEL_NUMBER_SETTERS(long)
QUENZEL_NUMBER_SETTERS(unsigned int)
QUENZEL_NUMBER_SETTERS(unsigned long)
QUENZEL_NUMBER_SETTERS(short)
QUENZEL_NUMBER_SETTERS(unsigned short)
QUENZEL_NUMBER_SETTERS(unsigned long long)
#undef QUENZEL_NUMBER_SETTERS

// Floats are cut toward zero; values beyond the 64-bit range (and NaN)
// give the 64-bit minimum, as the processor's conversion does.
QuenzelError CQuenzelField::SetValue(float value, bool privateOverride) {
  return detail::SetNumber(*this, detail::CutToInteger<long long>(value), privateOverride);
}
QuenzelError CQuenzelField::SetValueUTF8(float value, bool privateOverride) {
  return SetValue(value, privateOverride);
}

QuenzelError CQuenzelField::SetValue(unsigned char value, bool privateOverride) {
  return detail::SetCharacter(*this, value, privateOverride);
}
QuenzelError CQuenzelField::SetValueUTF8(unsigned char value, bool privateOverride) {
  return SetValue(value, privateOverride);
}
QuenzelError CQuenzelField::SetValue(char value, bool privateOverride) {
  return SetValue(static_cast<unsigned char>(value), privateOverride);
}
QuenzelError CQuenzelField::SetValueUTF8(char value, bool privateOverride) {
  return SetValue(static_cast<unsigned char>(value), privateOverride);
}

// ---------------------------------------------------------------------------
// Getters: the narrower number getters store the low bits their type holds
// of a 64-bit temporary that starts at 0, whatever the result.

namespace {

template <typename T>
QuenzelError GetNarrowed(CQuenzelField& field, T& out) {
  long long value = 0;
  const QuenzelError result = detail::GetNumber(field, value);
  out = static_cast<T>(value);
  return result;
}

}  // namespace

// NOLINTBEGIN(bugprone-macro-parentheses): Type is a type name
#define QUENZEL_NUMBER_GETTERS(Type)                                                  \
  QuenzelError CQuenzelField::GetValue(Type& out) { return GetNarrowed(*this, out); } \
  QuenzelError CQuenzelField::GetValueUTF8(Type& out) { return GetNarrowed(*this, out); }
// NOLINTEND(bugprone-macro-parentheses)
QUENZEL_NUMBER_GETTERS(int)
QUENZEL_NUMBER_GETTERS(long)
QUENZEL_NUMBER_GETTERS(unsigned int)
QUENZEL_NUMBER_GETTERS(unsigned long)
QUENZEL_NUMBER_GETTERS(short)
QUENZEL_NUMBER_GETTERS(unsigned short)
QUENZEL_NUMBER_GETTERS(unsigned long long)
QUENZEL_NUMBER_GETTERS(float)
#undef QUENZEL_NUMBER_GETTERS

QuenzelError CQuenzelField::GetValue(long long& out) { return detail::GetNumber(*this, out); }
QuenzelError CQuenzelField::GetValueUTF8(long long& out) { return detail::GetNumber(*this, out); }

QuenzelError CQuenzelField::GetValue(unsigned char& out) {
  return detail::GetCharacter(*this, out);
}
QuenzelError CQuenzelField::GetValueUTF8(unsigned char& out) {
  return detail::GetCharacter(*this, out);
}

QuenzelError CQuenzelField::GetValue(char& out) {
  unsigned char c = static_cast<unsigned char>(out);
  const QuenzelError result = detail::GetCharacter(*this, c);
  out = static_cast<char>(c);
  return result;
}
QuenzelError CQuenzelField::GetValueUTF8(char& out) { return GetValue(out); }

QuenzelError CQuenzelField::GetValue(std::string& out) {
  return detail::GetText(*this, out, false);
}
QuenzelError CQuenzelField::GetValueUTF8(std::string& out) {
  return detail::GetText(*this, out, true);
}

std::ostream& operator<<(std::ostream& out, CQuenzelField& field) {
  return detail::WriteField(out, field);
}
