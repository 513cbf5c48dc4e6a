/// @file quenzel_field.h
/// CQuenzelField, one typed field of a record, with the field type codes and
/// the data-record writer of a single field.

#ifndef QUENZEL_QUENZEL_FIELD_H_
#define QUENZEL_QUENZEL_FIELD_H_

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "quenzel_error.h"
#include "quenzel_export.h"

namespace quenzel {
namespace detail {
struct ParsedValueList;
class FieldRules;
}  // namespace detail
}  // namespace quenzel

/// Field type codes. Several type names of the definition file share a code;
/// 0 is an unknown type name.
enum FieldType : int {
  kTypeNone = 0,          ///< not a known type name
  kTypeNumeric = 1,       ///< NUMERIC, COLOUR
  kTypeYear = 2,          ///< YEAR
  kTypeString = 3,        ///< STRING, DATETIME, BLOB, FILENAME
  kTypeFlag = 4,          ///< FLAG
  kTypeText = 5,          ///< TEXT
  kTypeCurrency = 6,      ///< CURRENCY
  kTypeWeight = 7,        ///< WEIGHT
  kTypeNetWeight = 8,     ///< NETWEIGHT
  kTypeWeightHiRes = 9,   ///< WEIGHTHIRES
  kTypePrice = 10,        ///< PRICE, UNITVALUE
  kTypeUom = 11,          ///< UOM
  kTypePriceBase = 12,    ///< PRICEBASE
  kTypeFont = 13,         ///< FONT
  kTypeNString = 14,      ///< NSTRING
  kTypeCharacter = 15,    ///< CHARACTER
  kTypeBarcode = 16,      ///< BARCODE
  kTypeStringNoTr = 17,   ///< STRINGNOTR
  kTypeTextNoTr = 18,     ///< TEXTNOTR
  kTypeNStringNoTr = 19,  ///< NSTRINGNOTR
  kTypeClob = 20,         ///< CLOB
  kTypePercentage = 21,   ///< PERCENTAGE
  kTypeValue = 22,        ///< VALUE
};

/// The code of a type name as written in the definition file (already upper
/// case); kTypeNone when the name is not known.
QUENZEL_API int FieldTypeFromName(const std::string& upperName);
/// The first type name that has `code`, or "" for an unknown code.
QUENZEL_API const char* FieldTypeName(int code);

// The three classes of type codes that every accessor distinguishes.
QUENZEL_API bool IsNumericType(int code);          ///< 1, 2, 6-10, 16, 21, 22
QUENZEL_API bool IsTextType(int code);             ///< 3, 5, 14, 17-20
QUENZEL_API bool IsSingleCharacterType(int code);  ///< 4, 11, 12, 13, 15

/// One typed field of a record definition together with its current value.
///
/// A field is built by the record reader from one line of the definition
/// file (Read), reset to its default or initial value (Reset) and kept by
/// value in its record; records and their fields are copied by value. The
/// value is always held as UTF-8 text in m_Value; a weight field holds it in
/// the scale's units (see docs/weights.md).
///
/// The public m_ members are part of the host interface: host programs read
/// them directly. A field is used by one thread at a time.
class QUENZEL_API CQuenzelField {
 public:
  /// The constructor the record reader uses. `fieldName` also gives the
  /// initial field number (its leading digits, 0 when there are none).
  CQuenzelField(int recordNumber, const std::string& auditText, const std::string& auditName,
                const std::string& fieldName, const std::string& codePage, bool sendOrDelete,
                const std::string& recordName);
  /// As above without a record number: `unused` is not kept, m_FieldNumber is
  /// -1 and m_RecordNumber 0.
  CQuenzelField(const std::string& unused, const std::string& auditText,
                const std::string& auditName, const std::string& fieldName,
                const std::string& codePage, bool sendOrDelete, const std::string& recordName);
  /// Copies every member.
  CQuenzelField(const CQuenzelField& other);
  /// Copies every member.
  CQuenzelField& operator=(const CQuenzelField& other);
  /// Moving transfers every member, as a copy would copy it.
  CQuenzelField(CQuenzelField&& other) noexcept;
  /// Moving transfers every member, as a copy would copy it.
  CQuenzelField& operator=(CQuenzelField&& other) noexcept;
  virtual ~CQuenzelField();

  /// Parses the field part of one definition line from `in`. True when the
  /// line defines a valid field, or holds none: then `noField` is true and the
  /// caller skips the line. False for an invalid line; members set before the
  /// failure keep their values.
  bool Read(std::istream& in, bool& noField);

  /// Clears m_Supplied and stores the field's default (numeric and
  /// single-character types) or its initial value (text types).
  void Reset();

  /// @name Setting the value from text
  ///@{

  /// Sets the value from text in the field's code page (SetValue) or in
  /// UTF-8 (SetValueUTF8), checked against the definition. A PRIVATE field
  /// changes only with `privateOverride`, and a PRIVATE numeric field never.
  /// Returns kNone, kRangeWarning (the default was stored instead),
  /// kRangeError, kLengthError, kInvalidNumeric or kConvertFail; except for
  /// kInvalidNumeric the value stays stored when a check fails, and
  /// m_Rejected tells the refused text. SetValue with an empty text on a
  /// single-character field throws std::out_of_range, the field unchanged.
  QuenzelError SetValue(const std::string& text, bool privateOverride);
  QuenzelError SetValueUTF8(const std::string& text, bool privateOverride);
  ///@}

  /// @name Typed setters
  ///@{

  /// Typed setters. Every integer and float form leads to the 64-bit core
  /// setter (integers sign- or zero-extended as their type, floats cut toward
  /// zero), every character form to the unsigned-char core setter. On a
  /// single-character field a number 0 to 9 stores its digit character; on a
  /// numeric field a character stores its byte value as a number; a text
  /// field takes a number as its decimal text. The UTF8 twins behave
  /// identically.
  QuenzelError SetValue(long long value, bool privateOverride);
  QuenzelError SetValue(unsigned char value, bool privateOverride);
  QuenzelError SetValue(char value, bool privateOverride);
  QuenzelError SetValue(int value, bool privateOverride);
  QuenzelError SetValue(long value, bool privateOverride);
  QuenzelError SetValue(unsigned int value, bool privateOverride);
  QuenzelError SetValue(unsigned long value, bool privateOverride);
  QuenzelError SetValue(short value, bool privateOverride);
  QuenzelError SetValue(unsigned short value, bool privateOverride);
  QuenzelError SetValue(unsigned long long value, bool privateOverride);
  QuenzelError SetValue(float value, bool privateOverride);
  QuenzelError SetValueUTF8(long long value, bool privateOverride);
  QuenzelError SetValueUTF8(unsigned char value, bool privateOverride);
  QuenzelError SetValueUTF8(char value, bool privateOverride);
  QuenzelError SetValueUTF8(int value, bool privateOverride);
  QuenzelError SetValueUTF8(long value, bool privateOverride);
  QuenzelError SetValueUTF8(unsigned int value, bool privateOverride);
  QuenzelError SetValueUTF8(unsigned long value, bool privateOverride);
  QuenzelError SetValueUTF8(short value, bool privateOverride);
  QuenzelError SetValueUTF8(unsigned short value, bool privateOverride);
  QuenzelError SetValueUTF8(unsigned long long value, bool privateOverride);
  QuenzelError SetValueUTF8(float value, bool privateOverride);
  ///@}

  /// @name Text getters
  ///@{

  /// The value as text: numeric fields zero-padded to m_Length (weights
  /// converted to the host's units, unpadded), text fields padded with
  /// blanks unless the definition says otherwise, single-character fields as
  /// their one character (`out` untouched when the value is empty). GetValue
  /// gives text fields in the field's code page, GetValueUTF8 in UTF-8.
  QuenzelError GetValue(std::string& out);
  QuenzelError GetValueUTF8(std::string& out);
  ///@}

  /// @name Character getters
  ///@{

  /// The value as one character: the character of a single-character field,
  /// the low byte of a numeric field's number. kRangeError outside the range
  /// or list, kConvertFail for a text field (`out` unchanged).
  QuenzelError GetValue(unsigned char& out);
  QuenzelError GetValue(char& out);
  QuenzelError GetValueUTF8(unsigned char& out);
  QuenzelError GetValueUTF8(char& out);
  ///@}

  /// @name Number getters
  ///@{

  /// The value as a number. The 64-bit getter leaves `out` unchanged for a
  /// text field (kConvertFail); the narrower getters store the low bits that
  /// their type holds of a 64-bit temporary that starts at 0, whatever the
  /// result. YEAR fields give four-digit years (two-digit years below 75 are
  /// 20xx, the others 19xx).
  QuenzelError GetValue(long long& out);
  QuenzelError GetValue(int& out);
  QuenzelError GetValue(long& out);
  QuenzelError GetValue(unsigned int& out);
  QuenzelError GetValue(unsigned long& out);
  QuenzelError GetValue(short& out);
  QuenzelError GetValue(unsigned short& out);
  QuenzelError GetValue(unsigned long long& out);
  QuenzelError GetValue(float& out);
  QuenzelError GetValueUTF8(long long& out);
  QuenzelError GetValueUTF8(int& out);
  QuenzelError GetValueUTF8(long& out);
  QuenzelError GetValueUTF8(unsigned int& out);
  QuenzelError GetValueUTF8(unsigned long& out);
  QuenzelError GetValueUTF8(short& out);
  QuenzelError GetValueUTF8(unsigned short& out);
  QuenzelError GetValueUTF8(unsigned long long& out);
  QuenzelError GetValueUTF8(float& out);
  ///@}

  /// Takes the weight conversion settings the record hands over. The host
  /// units stay as they are when m_HostUnitsFixed is set.
  void SetFieldConversionDetails(bool conversionOn, int scaleMS, int scaleSF, int hostMS,
                                 int hostSF, int totalsMS, bool convertField, bool flagA,
                                 bool flagB);

  // Small accessors for host code; the library changes m_Supplied and
  // m_TreatAsText only by copying, by Reset and by the definition cache.
  void SetSupplied(bool supplied) { m_Supplied = supplied; }  ///< sets m_Supplied
  bool IsSupplied() const { return m_Supplied; }              ///< m_Supplied
  void SetTreatAsText() { m_TreatAsText = true; }             ///< sets m_TreatAsText
  bool IsTreatAsText() const { return m_TreatAsText; }        ///< m_TreatAsText
  bool IsSendOrDelete() const { return m_SendOrDelete; }      ///< m_SendOrDelete
  bool IsPrivate() const { return m_Private; }                ///< m_Private
  bool IsYear() const { return m_Type == kTypeYear; }         ///< a YEAR field
  bool IsNumeric() const { return IsNumericType(m_Type); }    ///< a numeric type
  /// WEIGHT, NETWEIGHT or WEIGHTHIRES.
  bool IsWeight() const {
    return m_Type == kTypeWeight || m_Type == kTypeNetWeight || m_Type == kTypeWeightHiRes;
  }
  bool IsNetWeight() const { return m_Type == kTypeNetWeight; }      ///< a NETWEIGHT field
  bool IsWeightHiRes() const { return m_Type == kTypeWeightHiRes; }  ///< a WEIGHTHIRES field
  bool IsClob() const { return m_Type == kTypeClob; }                ///< a CLOB field
  bool IsUOM() const { return m_Type == kTypeUom; }                  ///< a UOM field
  bool IsPriceBase() const { return m_Type == kTypePriceBase; }      ///< a PRICEBASE field

 private:
  friend class quenzel::detail::FieldRules;

  // m_ValueList as the checks read it, made when a check first needs it
  // and shared (read-only) between copies. Kept with the text it was read
  // from: a list text that differs is read anew, so a host may assign
  // m_ValueList at any time. Declared first, so that the members every
  // value check reads share as few cache lines as they can.
  mutable std::shared_ptr<const quenzel::detail::ParsedValueList> listRules_;

 public:
  // Weight conversion settings, handed over by the record.
  int m_HostSF;            ///< host scaling factor; default 0
  int m_ScaleMS;           ///< scale measurement system; default 0
  int m_ScaleSF;           ///< scale scaling factor; default 0
  int m_HostMS;            ///< host measurement system; default 0
  int m_TotalsMS;          ///< sixth conversion setting (price units); default 0
  bool m_ConvertField;     ///< this field takes part in weight conversion; default false
  bool m_ConversionOn;     ///< weight conversion is switched on; default false
  bool m_ConversionFlagA;  ///< eighth conversion setting (price base); default false
  bool m_HostUnitsFixed;   ///< keep m_HostMS/m_HostSF on later hand-overs; default false
  bool m_ConversionFlagB;  ///< ninth conversion setting (backward compatible); default false

  // Definition.
  int m_Type;               ///< FieldType code; default 3 (STRING)
  long long m_Default;      ///< default number / character (low byte) / text padding switch
  long long m_Min;          ///< minimum of the allowed range; default -1
  long long m_Max;          ///< maximum of the allowed range; default -1
  std::string m_ValueList;  ///< allowed values and low-high ranges, comma separated
  int m_PseudoNumber;       ///< PSEUDO number; default -1
  int m_FieldNumber;        ///< field number within the record
  int m_Length;             ///< length in characters; default 0
  int m_SplitCnt1;          ///< first SPLITCNT number; default 0
  int m_SplitCnt2;          ///< second SPLITCNT number; default 0
  int m_Reserved1;          ///< kept and copied only; default 0
  int m_RecordNumber;       ///< number of the owning record
  bool m_Reserved2;         ///< kept and copied only; default false
  bool m_Reserved3;         ///< kept and copied only; default false
  bool m_Private;           ///< PRIVATE attribute; default false
  bool m_NoPartial;         ///< NOPARTIAL attribute; default false
  bool m_DelCtlCh;          ///< DELCTLCH attribute; default false
  bool m_Supplied;          ///< the host supplied a value; cleared by Reset
  bool m_TreatAsText;       ///< text getters treat the field as text; the writer skips it
  bool m_NoPad;             ///< never pad the text value; default false
  bool m_SendOrDelete;      ///< owning record's action is SEND or DELETE

  // Value and texts.
  std::string m_Value;       ///< current value, UTF-8
  std::string m_AuditName;   ///< audit-log name of the field's entries
  std::string m_Key;         ///< KEY attribute value
  std::string m_KeyPos;      ///< KEYPOS attribute value ("F1".."F3" mark key fields)
  std::string m_AuditText;   ///< definition file path, first in the field's audit entries
  std::string m_Comment;     ///< text after "//" on the definition line
  std::string m_Rejected;    ///< last rejected or replaced value ("old:new" on substitution)
  std::string m_RecordName;  ///< name of the owning record
  std::string m_InitValue;   ///< initial value of a text field (INITVALUE=)
  std::string m_CodePage;    ///< converter name of the definition's code page, e.g. "cp-1252"
  std::string m_Name;        ///< the field's name
  std::vector<unsigned char> m_ValidChars;  ///< allowed characters of a single-character field
};

/// Writes the field as one element of a data record: number, blank, byte
/// length, blank, the value in double quotes, blank. Writes nothing when the
/// value is the field's default, cannot be read, or the field is treated as
/// text only. See docs/data-record-format.md. An exception from the
/// stream's buffer sets the bad bit and is rethrown only when the stream's
/// exceptions() mask includes badbit.
QUENZEL_API std::ostream& operator<<(std::ostream& out, CQuenzelField& field);

#endif  // QUENZEL_QUENZEL_FIELD_H_
