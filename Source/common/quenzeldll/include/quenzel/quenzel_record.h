/// @file quenzel_record.h
/// CQuenzelRecord, one record of the host interface, with the action codes
/// and the data-record reader and writer.

#ifndef QUENZEL_QUENZEL_RECORD_H_
#define QUENZEL_QUENZEL_RECORD_H_

#include <istream>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "quenzel_export.h"
#include "quenzel_field.h"

namespace quenzel {
namespace detail {
class RecordIndexes;
}  // namespace detail
}  // namespace quenzel

/// Action of a record, from the word on its header line.
enum ActionCode : int {
  kActionSend = 0,                        ///< SEND
  kActionEnquire = 1,                     ///< ENQUIRE
  kActionSearch = 2,                      ///< SEARCH
  kActionRandSearch = 3,                  ///< RAND_SEARCH
  kActionSearchTrans = 4,                 ///< SEARCHTRANS
  kActionSearchFirst = 5,                 ///< SEARCHFIRST
  kActionSearchFirstLive = 6,             ///< SEARCHFIRSTLIVE
  kActionSearchFirstNext = 7,             ///< SEARCHFIRSTNEXT
  kActionSearchFirstNextRand = 8,         ///< SEARCHFIRSTNEXTRAND
  kActionSearchFirstNext2Key = 9,         ///< SEARCHFIRSTNEXT2KEY
  kActionSearchFirstNextTrans = 10,       ///< SEARCHFIRSTNEXTTRANS; this and later use totals units
  kActionTotalsEnquire = 11,              ///< TOTALSENQUIRE
  kActionTotalsSearchFirstNext = 12,      ///< TOTALSSEARCHFIRSTNEXT
  kActionTotalsSearchFirstNextRand = 13,  ///< TOTALSSEARCHFIRSTNEXTRAND
  kActionTotalsRandSearch = 14,           ///< TOTALS_RAND_SEARCH
  kActionDelete = 15,                     ///< DELETE
  kActionNone = 16,                       ///< no header read yet, or an unknown word
};

/// The code of an action word (already upper case); kActionNone when unknown.
QUENZEL_API int ActionCodeFromName(const std::string& upperName);
/// The word of an action code, or "" for kActionNone and unknown codes.
QUENZEL_API const char* ActionCodeName(int code);

/// One record of the host interface: a numbered, named list of typed fields
/// for one table and one action, with the measurement settings its weight
/// fields convert with.
///
/// The catalogue reads each record block of the definition file into a
/// record (Read) and keeps a copy; copying builds the two field indexes
/// (fieldsByName, fieldsByNumber), so every record handed to a host has them.
/// A record owns its fields by value; a field pointer returned by a lookup
/// stays valid until the field list changes (assignment, field creation,
/// Reset removing fields). A record is used by one thread at a time.
///
/// Hosts read fieldsByName and fieldsByNumber but change them only through
/// the record's operations (assignment, CreateFindField, Reset): FindField
/// by number answers from a private index that those operations keep in
/// step with fieldsByNumber. An entry a host inserts or erases directly is
/// noticed (the lookup then searches the map itself); a position a host
/// rewrites in place is not.
///
/// The record hands its measurement settings to a weight field only when it
/// reads or writes a data record (and to the PB and UOM fields when it looks
/// them up); see docs/weights.md.
class QUENZEL_API CQuenzelRecord {
 public:
  /// An empty record with no registry access; measurement settings as with an
  /// empty registry (systems 1, factors -3).
  CQuenzelRecord();
  /// The catalogue's constructor: reads the scale's measurement settings from
  /// the registry.
  CQuenzelRecord(const std::string& definitionPath, const std::string& logName);
  /// An empty record numbered `number`.
  explicit CQuenzelRecord(int number);
  /// An empty record named `name`.
  explicit CQuenzelRecord(const std::string& name);
  /// An empty record, then assignment: the two working texts stay empty.
  CQuenzelRecord(const CQuenzelRecord& other);
  /// Copies every member except lastFieldName and fieldName and rebuilds the
  /// field indexes.
  CQuenzelRecord& operator=(const CQuenzelRecord& other);
  /// The same results as copying, with the source's members moved.
  // NOLINTNEXTLINE(performance-noexcept-move-constructor): moving rebuilds the indexes
  CQuenzelRecord(CQuenzelRecord&& other);
  /// The same results as copying, with the source's members moved.
  // NOLINTNEXTLINE(performance-noexcept-move-constructor)
  CQuenzelRecord& operator=(CQuenzelRecord&& other);
  virtual ~CQuenzelRecord();

  /// The record name from the header line; may be empty.
  std::string GetName() { return name; }

  /// Reads one record block; `in` stands just after the '#' that opened it.
  /// True when the block was read whole; a bad header or field line is false
  /// (and logged, when logName is not empty). Stops before the next line that
  /// begins with '#'.
  bool Read(std::istream& in);

  /// @name Field lookups
  ///@{

  /// Field lookups; null when absent. FindField(int) looks up the number
  /// written in decimal, FindField(std::string) the exact, case-sensitive name.
  CQuenzelField* FindField(int number);
  CQuenzelField* FindField(std::string name);
  ///@}
  /// The field at position `index` of fields, or null.
  CQuenzelField* GetFieldByIdx(unsigned int index);
  /// @name Field lookups that create
  ///@{

  /// As FindField, but a missing field is created: a STRING field numbered by
  /// the key's digits, its key as name and comment. Never null. The number
  /// form finds a field by number only; the text form looks the key up as a
  /// name first, then as a number text.
  CQuenzelField* CreateFindField(int number);
  CQuenzelField* CreateFindField(std::string name);
  ///@}

  /// True when a key field (KEYPOS F1, F2 or F3) is marked supplied; a
  /// DELETEONE record needs one of the fields named F1, F2, F3; a record
  /// without key fields always passes.
  bool CheckKeyFieldSupplied();
  /// Returns every field to its default and drops the fields the host marked
  /// as text-only. Measurement settings, key names and texts stay.
  void Reset();

  // Driver settings for the host's side of weight conversion.

  /// Switches weight conversion on or off for the whole record.
  void WeightConversionOn(bool on);
  /// Gives one field its own host units, kept across later hand-overs.
  void DriverSetFieldWeightDetails(int fieldNumber, int hostMS, int hostSF);
  /// Sets the host units of the whole record and decides whether weights
  /// need converting. The fourth argument is not used.
  void DriverSetRecordWeightDetails(int hostMS, int hostSF, bool backwardCompatible, bool unused,
                                    bool uomOn);

  /// True when the record's price base (field "PB", else the first PRICEBASE
  /// field) is '1'.
  bool GetPriceBase();
  /// True when the record's unit of measure (field "UOM", else the first UOM
  /// field) is '0'.
  bool GetUOMFieldValue();

  // The scale's settings as the registry gives them now.
  int GetSourceBaseWeightUnits() const;        ///< WeightMeasurementSystem
  int GetSourceTotalsBaseWeightUnits() const;  ///< TotalsWeightMeasurementSystem
  int GetNetWeightBaseWeightUnits() const;     ///< NetWeightMeasurementSystem
  int GetPriceUnits() const;                   ///< PriceMeasurementSystem
  int GetSourceScalingFactor() const;          ///< WeightScalingSystem
  int GetSourceTotalsScalingFactor() const;    ///< TotalsWeightScalingSystem
  int GetNetWeightScalingFactor() const;       ///< NetWeightScalingSystem
  bool GetBackwardCompatibleMode() const;      ///< FixedWeightUnits

  // Measurement settings (systems: 1 kilograms, 2 decimal pounds, 3 avoirdupois).
  int sourceBaseWeightUnits;        ///< scale's system (registry), or the host's once set
  int sourceTotalsBaseWeightUnits;  ///< scale's system for totals (registry)
  int sourceScalingFactor;          ///< scale's factor (registry; default -3)
  int sourceTotalsScalingFactor;    ///< scale's factor for totals (registry; default -3)
  int destinationBaseWeightUnits;   ///< host's system; 0 until the driver sets it
  int destinationScalingFactor;     ///< host's factor; 0 until the driver sets it
  int netWeightBaseWeightUnits;     ///< scale's system for net weights (registry)
  int netWeightScalingFactor;       ///< scale's factor for net weights (registry; default -3)
  int priceUnits;                   ///< system prices are based on (registry)
  bool uomFlag;                     ///< convert weight fields (unit of measure); default false
  bool conversionOn;                ///< weight conversion switched on; default false
  bool priceBaseFlag;               ///< price base is 1; default false
  bool backwardCompatible;          ///< third value of the driver's record settings
  bool highResolution;              ///< high-resolution weights; default false
  bool rangeWarning;  ///< a value of a record 8 or 9 data record was replaced by its default
  bool seventhFlag;   ///< kept, copied and cached only

  std::vector<CQuenzelField> fields;          ///< the fields, in definition order
  std::map<std::string, int> fieldsByName;    ///< field name -> position in fields
  std::map<std::string, int> fieldsByNumber;  ///< field number ("%d") -> position
  int action;                                 ///< ActionCode; 16 until a header is read
  int recordNumber;                           ///< number from the header line; 0 until read
  std::string logName;                        ///< audit-log name; empty means no entries
  std::string lastFieldName;                  ///< name of the latest field line that carried name=
  std::string definitionPath;                 ///< definition file the record came from
  std::string keyF1Name;                      ///< name of the field with KEYPOS F1
  std::string keyF2Name;                      ///< name of the field with KEYPOS F2
  std::string keyF3Name;                      ///< name of the field with KEYPOS F3
  std::string name;                           ///< record name from the header; may be empty
  std::string codepage;   ///< converter name handed to every field, e.g. "cp-1252"
  std::string fieldName;  ///< copy of lastFieldName handed to each new field

 private:
  // Reads the single-character value of the field `fieldName`; throws
  // CQuenzelException when the field is missing (-1) or unreadable.
  void GetField(std::string fieldName, unsigned char& value);
  // GetField without the exception: -1 when the field is missing, else the
  // character getter's code; `field` is the field found.
  int ReadFieldCharacter(const std::string& fieldName, unsigned char& value, CQuenzelField*& field);
  // The character of the field named `fieldName`, else of the first field
  // of `type`; 255 when neither delivers one.
  unsigned char RecordCharacter(const char* fieldName, int type);
  CQuenzelField* CreateField(const std::string& key);
  // Rebuilds both indexes from the fields; fieldsByName keeps the entries
  // it holds.
  void RebuildIndexes();
  // The position fieldsByNumber gives for the number key of `number`, or -1.
  int NumberPosition(int number);
  // Rebuilds numberIndex_ from the entries of fieldsByNumber.
  void IndexNumbersFromMap();
  template <typename Other>
  void AssignFrom(Other&& other);

  // The definition cache builds the indexes of the records it fills in place.
  friend class quenzel::detail::RecordIndexes;

  // The entries of fieldsByNumber whose key is the "%d" text of a number,
  // as (number, position) sorted by number; no other key can answer
  // FindField(int). Valid while fieldsByNumber has numberIndexedSize_
  // entries; RebuildIndexes leaves it to be built at the first use.
  std::vector<std::pair<int, int>> numberIndex_;
  std::size_t numberIndexedSize_ = 0;
};

/// Reads one data record into `record` (see docs/data-record-format.md).
/// Failure sets the stream's fail bit; fields set before it keep their new
/// values. The record is not reset first. An exception from the stream's
/// buffer sets the bad bit and reaches the caller only when the stream's
/// exceptions() mask includes badbit, as with the standard extractors.
QUENZEL_API std::istream& operator>>(std::istream& in, CQuenzelRecord& record);
/// Writes `record` as one data record: its number, every field that differs
/// from its default, and the closing 0. A throwing stream buffer is handled
/// as by operator>>.
QUENZEL_API std::ostream& operator<<(std::ostream& out, CQuenzelRecord& record);

#endif  // QUENZEL_QUENZEL_RECORD_H_
