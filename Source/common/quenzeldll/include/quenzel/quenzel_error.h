/// @file quenzel_error.h
/// Result codes of the field value accessors and the one exception type of
/// the library.
///
/// Every value accessor of CQuenzelField returns a QuenzelError; only
/// "Range Warning" is a warning (a valid value, the field's default, was
/// stored). Hosts store these codes, so the numbers are fixed.
#ifndef QUENZEL_QUENZEL_ERROR_H_
#define QUENZEL_QUENZEL_ERROR_H_

#include <string>

#include "quenzel_export.h"

/// The result of a field value accessor. The numbers never change.
enum class QuenzelError : int {
  kNone = 0,            ///< success
  kRangeError = 1,      ///< outside the range or value list, or a converted value does not fit
  kRangeWarning = 2,    ///< not acceptable; the field's default was stored instead
  kConvertFail = 3,     ///< cannot be converted to or from the requested form
  kLengthError = 4,     ///< does not fit the field's length or its minimum and maximum
  kInvalidNumeric = 5,  ///< not a number where the field needs one
  kNotFound = 6,        ///< the field named does not exist in the record
};

/// Names of the codes, indexed by the code. Each translation unit that
/// includes this header has its own copy of the table.
static const char* const QuenzelErrorNames[7] = {
    "None",         "Range Error",     "Range Warning", "Convert Fail",
    "Length Error", "Invalid Numeric", "Not Found",
};

/// The name of `code`; -1 (field not found) and any code outside the table
/// give "Not Found".
QUENZEL_API const char* QuenzelErrorName(int code);
/// The name of `code`, as QuenzelErrorName(int).
inline const char* QuenzelErrorName(QuenzelError code) {
  return QuenzelErrorName(static_cast<int>(code));
}

/// Raised by value, and caught by its own type, by the record's internal
/// single-character getter when the field it needs is missing or unreadable.
/// The record catches it itself (CQuenzelRecord::GetPriceBase and
/// CQuenzelRecord::GetUOMFieldValue then fall back on the field type), so
/// no public call lets it escape; hosts may raise and catch it themselves.
class QUENZEL_API CQuenzelException {
 public:
  /// Fills every member from the arguments; m_Extra is 0 and m_ErrorName
  /// is QuenzelErrorName(error).
  CQuenzelException(const std::string& method, const std::string& auditText, int error,
                    const std::string& recordName, const std::string& fieldName,
                    const std::string& context2, const std::string& context1);

  int m_Error;               ///< QuenzelError value, or -1 when the field was not found
  int m_Extra;               ///< always 0
  std::string m_Method;      ///< operation that threw, e.g. "GetField"
  std::string m_FieldName;   ///< name of the field asked for
  std::string m_AuditText;   ///< the record's audit text (definition path)
  std::string m_ErrorName;   ///< name of m_Error; -1 gives "Not Found"
  std::string m_Context1;    ///< the field's comment
  std::string m_Context2;    ///< the field's rejected-value text
  std::string m_RecordName;  ///< name of the record
};

#endif  // QUENZEL_QUENZEL_ERROR_H_
