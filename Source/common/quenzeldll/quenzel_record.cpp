// CQuenzelRecord: construction, copying, field lookups, keys and Reset;
// reading a block, data records and measurement settings delegate to
// definition_reader, data_record and measurement.
#include "quenzel_record.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "data_record.h"
#include "definition_reader.h"
#include "host_services.h"
#include "measurement.h"

namespace detail = quenzel::detail;
namespace settings = quenzel::settings;

namespace {

constexpr int kDefaultSystem = 1;
constexpr int kDefaultScalingFactor = -3;

// True when `key` is the "%d" text of a number, which it then gives: only
// such keys answer FindField(int).
bool NumberKeyValue(const std::string& key, int& number) {
  const char* end = key.data() + key.size();
  const auto result = std::from_chars(key.data(), end, number);
  return result.ec == std::errc() && result.ptr == end && std::to_string(number) == key;
}

}  // namespace

CQuenzelRecord::CQuenzelRecord()
    : sourceBaseWeightUnits(kDefaultSystem),
      sourceTotalsBaseWeightUnits(kDefaultSystem),
      sourceScalingFactor(kDefaultScalingFactor),
      sourceTotalsScalingFactor(kDefaultScalingFactor),
      destinationBaseWeightUnits(0),
      destinationScalingFactor(0),
      netWeightBaseWeightUnits(kDefaultSystem),
      netWeightScalingFactor(kDefaultScalingFactor),
      priceUnits(kDefaultSystem),
      uomFlag(false),
      conversionOn(false),
      priceBaseFlag(false),
      backwardCompatible(false),
      highResolution(false),
      rangeWarning(false),
      seventhFlag(false),
      action(kActionNone),
      recordNumber(0) {}

CQuenzelRecord::CQuenzelRecord(const std::string& path, const std::string& log) : CQuenzelRecord() {
  definitionPath = path;
  logName = log;
  sourceBaseWeightUnits = GetSourceBaseWeightUnits();
  sourceTotalsBaseWeightUnits = GetSourceTotalsBaseWeightUnits();
  sourceScalingFactor = GetSourceScalingFactor();
  sourceTotalsScalingFactor = GetSourceTotalsScalingFactor();
  netWeightBaseWeightUnits = GetNetWeightBaseWeightUnits();
  netWeightScalingFactor = GetNetWeightScalingFactor();
  priceUnits = GetPriceUnits();
}

CQuenzelRecord::CQuenzelRecord(int number) : CQuenzelRecord() { recordNumber = number; }

CQuenzelRecord::CQuenzelRecord(const std::string& recordName) : CQuenzelRecord() {
  name = recordName;
}

CQuenzelRecord::CQuenzelRecord(const CQuenzelRecord& other) : CQuenzelRecord() { *this = other; }

// Assignment copies (or moves) every member but the two working texts of
// Read, then rebuilds the indexes: the name index starts from the source's.
template <typename Other>
void CQuenzelRecord::AssignFrom(Other&& other) {
  if (this != &other) {
    name = std::forward<Other>(other).name;
    codepage = std::forward<Other>(other).codepage;
    recordNumber = other.recordNumber;
    action = other.action;
    logName = std::forward<Other>(other).logName;
    definitionPath = std::forward<Other>(other).definitionPath;
    keyF1Name = std::forward<Other>(other).keyF1Name;
    keyF2Name = std::forward<Other>(other).keyF2Name;
    keyF3Name = std::forward<Other>(other).keyF3Name;
    sourceBaseWeightUnits = other.sourceBaseWeightUnits;
    sourceTotalsBaseWeightUnits = other.sourceTotalsBaseWeightUnits;
    sourceScalingFactor = other.sourceScalingFactor;
    sourceTotalsScalingFactor = other.sourceTotalsScalingFactor;
    destinationBaseWeightUnits = other.destinationBaseWeightUnits;
    destinationScalingFactor = other.destinationScalingFactor;
    netWeightBaseWeightUnits = other.netWeightBaseWeightUnits;
    netWeightScalingFactor = other.netWeightScalingFactor;
    priceUnits = other.priceUnits;
    uomFlag = other.uomFlag;
    conversionOn = other.conversionOn;
    priceBaseFlag = other.priceBaseFlag;
    backwardCompatible = other.backwardCompatible;
    highResolution = other.highResolution;
    rangeWarning = other.rangeWarning;
    seventhFlag = other.seventhFlag;
    fields = std::forward<Other>(other).fields;
    fieldsByName = std::forward<Other>(other).fieldsByName;
  }
  RebuildIndexes();
}

// AssignFrom copies nothing onto itself; the indexes are rebuilt either way.
// NOLINTNEXTLINE(cert-oop54-cpp)
CQuenzelRecord& CQuenzelRecord::operator=(const CQuenzelRecord& other) {
  AssignFrom(other);
  return *this;
}

// Moving rebuilds the field indexes, which allocates: not noexcept.
// NOLINTNEXTLINE(performance-noexcept-move-constructor)
CQuenzelRecord::CQuenzelRecord(CQuenzelRecord&& other) : CQuenzelRecord() {
  AssignFrom(std::move(other));
}

// NOLINTNEXTLINE(performance-noexcept-move-constructor)
CQuenzelRecord& CQuenzelRecord::operator=(CQuenzelRecord&& other) {
  AssignFrom(std::move(other));
  return *this;
}

CQuenzelRecord::~CQuenzelRecord() = default;

namespace {

// A key that orders non-negative numbers as std::map<std::string, int>
// orders their "%d" texts: the digits padded with zeros to ten places, then
// the count of digits ("1" < "10" < "2").
std::uint64_t TextOrderKey(int number) {
  static constexpr std::uint64_t kPowers[] = {1,      10,      100,      1000,      10000,
                                              100000, 1000000, 10000000, 100000000, 1000000000};
  std::uint64_t digits = 1;
  while (digits < 10 && static_cast<std::uint64_t>(number) >= kPowers[digits]) ++digits;
  return static_cast<std::uint64_t>(number) * kPowers[10 - digits] << 4 | digits;
}

// The eight bytes of `text` from `from` on as a big-endian number,
// zero-padded. Of texts that share their first `from` bytes, two whose keys
// differ order as their keys do; equal keys need the full comparison.
std::uint64_t PrefixKey(const std::string& text, std::size_t from) {
  unsigned char bytes[8] = {};
  if (from + 8 <= text.size())
    std::memcpy(bytes, text.data() + from, 8);  // one load
  else
    for (std::size_t i = from; i < text.size(); ++i)
      bytes[i - from] = static_cast<unsigned char>(text[i]);
  std::uint64_t key = 0;
  for (unsigned char byte : bytes) key = key << 8 | byte;
  return key;
}

// The length of the beginning all the fields' names share ("Text field 1",
// "Text field 2", ...).
std::size_t SharedNameBeginning(const std::vector<CQuenzelField>& fields) {
  if (fields.empty()) return 0;
  const std::string& first = fields[0].m_Name;
  std::size_t shared = first.size();
  for (std::size_t i = 1; i < fields.size() && shared > 0; ++i) {
    const std::string& name = fields[i].m_Name;
    if (shared >= 8 && name.size() >= shared && std::memcmp(first.data(), name.data(), shared) == 0)
      continue;  // a long shared beginning: compared by the library at once
    const std::size_t n = std::min(shared, name.size());
    shared = static_cast<std::size_t>(
        std::mismatch(first.begin(), first.begin() + static_cast<std::ptrdiff_t>(n), name.begin())
            .first -
        first.begin());
  }
  return shared;
}

// Fills the empty `index` as one insertion per field would, the first field
// of a name winning, but in key order, each entry after the last (a hint
// that costs one comparison). Names are sorted by the eight bytes after
// their shared beginning, then whole, then by position; `order` is scratch.
void IndexNamesInOrder(const std::vector<CQuenzelField>& fields, std::map<std::string, int>& index,
                       std::vector<std::pair<std::uint64_t, int>>& order) {
  const std::size_t shared = SharedNameBeginning(fields);
  order.clear();
  for (std::size_t i = 0; i < fields.size(); ++i)
    order.emplace_back(PrefixKey(fields[i].m_Name, shared), static_cast<int>(i));
  const auto nameOf = [&fields](const std::pair<std::uint64_t, int>& entry) -> const std::string& {
    return fields[static_cast<std::size_t>(entry.second)].m_Name;
  };
  std::sort(order.begin(), order.end(), [&nameOf](const auto& a, const auto& b) {
    if (a.first != b.first) return a.first < b.first;
    const int c = nameOf(a).compare(nameOf(b));
    return c != 0 ? c < 0 : a.second < b.second;
  });
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (i > 0 && order[i].first == order[i - 1].first && nameOf(order[i]) == nameOf(order[i - 1]))
      continue;
    index.emplace_hint(index.end(), nameOf(order[i]), order[i].second);
  }
}

}  // namespace

// The number map is filled in key order, each entry after the last one (a
// hint that costs one comparison), the first field of a number winning as
// it does with one insertion per field. Fields numbered below zero, whose
// texts order otherwise, take the insertions. The private index of numbers
// is built at the first FindField(int). A name map that starts empty is
// filled in key order too; one that holds entries takes the insertions.
void CQuenzelRecord::RebuildIndexes() {
  fieldsByNumber.clear();
  numberIndex_.clear();
  numberIndexedSize_ = static_cast<std::size_t>(-1);  // matches no map size: built on first use
  thread_local std::vector<std::pair<std::uint64_t, int>> order;
  order.clear();
  bool ordered = true;
  for (std::size_t i = 0; i < fields.size() && ordered; ++i) {
    const int number = fields[i].m_FieldNumber;
    ordered = number >= 0;
    order.emplace_back(TextOrderKey(number), static_cast<int>(i));
  }
  if (ordered) {
    std::sort(order.begin(), order.end());  // by key, then by position
    for (std::size_t i = 0; i < order.size(); ++i) {
      if (i > 0 && order[i].first == order[i - 1].first) continue;
      const int position = order[i].second;
      char digits[16];
      const auto end = std::to_chars(digits, digits + sizeof digits,
                                     fields[static_cast<std::size_t>(position)].m_FieldNumber)
                           .ptr;
      fieldsByNumber.emplace_hint(
          fieldsByNumber.end(), std::piecewise_construct,
          std::forward_as_tuple(digits, static_cast<std::size_t>(end - digits)),
          std::forward_as_tuple(position));
    }
  } else {
    for (std::size_t i = 0; i < fields.size(); ++i)
      fieldsByNumber.emplace(std::to_string(fields[i].m_FieldNumber), static_cast<int>(i));
  }
  if (fieldsByName.empty()) {
    IndexNamesInOrder(fields, fieldsByName, order);
  } else {
    for (std::size_t i = 0; i < fields.size(); ++i)
      fieldsByName.emplace(fields[i].m_Name, static_cast<int>(i));
  }
  if (order.capacity() > 4096) std::vector<std::pair<std::uint64_t, int>>().swap(order);
}

void CQuenzelRecord::IndexNumbersFromMap() {
  numberIndex_.clear();
  int number = 0;
  for (const auto& entry : fieldsByNumber)
    if (NumberKeyValue(entry.first, number)) numberIndex_.emplace_back(number, entry.second);
  std::sort(numberIndex_.begin(), numberIndex_.end());
  numberIndexedSize_ = fieldsByNumber.size();
}

int CQuenzelRecord::NumberPosition(int number) {
  if (numberIndexedSize_ != fieldsByNumber.size()) IndexNumbersFromMap();
  if (numberIndex_.empty()) return -1;
  // Fields are mostly numbered without gaps: try the slot the number would
  // have then before searching.
  const std::size_t slot =
      static_cast<std::size_t>(static_cast<long long>(number) - numberIndex_.front().first);
  if (slot < numberIndex_.size() && numberIndex_[slot].first == number)
    return numberIndex_[slot].second;
  const auto it =
      std::lower_bound(numberIndex_.begin(), numberIndex_.end(), std::make_pair(number, INT_MIN));
  return it != numberIndex_.end() && it->first == number ? it->second : -1;
}

CQuenzelField* CQuenzelRecord::FindField(int number) {
  const int position = NumberPosition(number);
  return position < 0 ? nullptr : &fields[static_cast<std::size_t>(position)];
}

CQuenzelField* CQuenzelRecord::FindField(std::string fieldName_) {
  auto it = fieldsByName.find(fieldName_);
  return it == fieldsByName.end() ? nullptr : &fields[it->second];
}

CQuenzelField* CQuenzelRecord::GetFieldByIdx(unsigned int index) {
  return index < fields.size() ? &fields[index] : nullptr;
}

bool CQuenzelRecord::Read(std::istream& in) { return detail::ReadRecordBlock(*this, in); }

int CQuenzelRecord::GetSourceBaseWeightUnits() const {
  return detail::ReadSystemSetting(settings::kWeightMeasurementSystem, false);
}
int CQuenzelRecord::GetSourceTotalsBaseWeightUnits() const {
  return detail::ReadSystemSetting(settings::kTotalsWeightMeasurementSystem, false);
}
int CQuenzelRecord::GetNetWeightBaseWeightUnits() const {
  return detail::ReadSystemSetting(settings::kNetWeightMeasurementSystem, true);
}
int CQuenzelRecord::GetPriceUnits() const {
  return detail::ReadSystemSetting(settings::kPriceMeasurementSystem, false);
}
int CQuenzelRecord::GetSourceScalingFactor() const {
  return detail::ReadScalingSetting(settings::kWeightScalingSystem);
}
int CQuenzelRecord::GetSourceTotalsScalingFactor() const {
  return detail::ReadScalingSetting(settings::kTotalsWeightScalingSystem);
}
int CQuenzelRecord::GetNetWeightScalingFactor() const {
  return detail::ReadScalingSetting(settings::kNetWeightScalingSystem);
}
bool CQuenzelRecord::GetBackwardCompatibleMode() const {
  return detail::ReadSwitch(settings::kFixedWeightUnits, "");
}

void CQuenzelRecord::WeightConversionOn(bool on) { conversionOn = on; }

void CQuenzelRecord::DriverSetFieldWeightDetails(int fieldNumber, int hostMS, int hostSF) {
  detail::SetFieldHostUnits(*this, fieldNumber, hostMS, hostSF);
}

void CQuenzelRecord::DriverSetRecordWeightDetails(int hostMS, int hostSF, bool compatible,
                                                  bool /*unused*/, bool uomOn) {
  detail::SetHostUnits(*this, hostMS, hostSF, compatible, uomOn);
}

bool CQuenzelRecord::GetPriceBase() { return RecordCharacter("PB", kTypePriceBase) == '1'; }

bool CQuenzelRecord::GetUOMFieldValue() { return RecordCharacter("UOM", kTypeUom) == '0'; }

// ---------------------------------------------------------------------------
// Field lookup and keys.

CQuenzelField* CQuenzelRecord::CreateField(const std::string& key) {
  const int position = static_cast<int>(fields.size());
  CQuenzelField field(recordNumber, definitionPath, logName, key, codepage, true, "");
  field.m_Comment = key;
  if (numberIndexedSize_ != fieldsByNumber.size()) IndexNumbersFromMap();
  if (fieldsByNumber.emplace(key, position).second) {
    int number = 0;
    if (NumberKeyValue(key, number))
      numberIndex_.insert(std::lower_bound(numberIndex_.begin(), numberIndex_.end(),
                                           std::make_pair(number, INT_MIN)),
                          std::make_pair(number, position));
    numberIndexedSize_ = fieldsByNumber.size();
  }
  fieldsByName.emplace(key, position);
  fields.push_back(std::move(field));
  return &fields.back();
}

CQuenzelField* CQuenzelRecord::CreateFindField(int number) {
  CQuenzelField* field = FindField(number);
  return field != nullptr ? field : CreateField(std::to_string(number));
}

CQuenzelField* CQuenzelRecord::CreateFindField(std::string key) {
  auto byName = fieldsByName.find(key);
  if (byName != fieldsByName.end()) return &fields[byName->second];
  auto byNumber = fieldsByNumber.find(key);
  if (byNumber != fieldsByNumber.end()) return &fields[byNumber->second];
  return CreateField(key);
}

bool CQuenzelRecord::CheckKeyFieldSupplied() {
  for (const std::string* key : {&keyF1Name, &keyF2Name, &keyF3Name}) {
    if (key->empty()) continue;
    CQuenzelField* field = FindField(*key);
    if (field != nullptr && field->m_Supplied) return true;
  }
  if (name.find("DELETEONE") != std::string::npos) {
    for (const char* key : {"F1", "F2", "F3"}) {
      CQuenzelField* field = FindField(std::string(key));
      if (field != nullptr && field->m_Supplied) return true;
    }
    return false;
  }
  return keyF1Name.empty() && keyF2Name.empty() && keyF3Name.empty();
}

void CQuenzelRecord::Reset() {
  std::vector<CQuenzelField> kept;
  bool removed = false;
  for (CQuenzelField& field : fields) {
    if (field.m_TreatAsText) {
      removed = true;  // both indexes are rebuilt below
    } else {
      field.Reset();
    }
  }
  if (!removed) return;
  for (CQuenzelField& field : fields)
    if (!field.m_TreatAsText) kept.push_back(std::move(field));
  fields = std::move(kept);
  fieldsByName.clear();
  RebuildIndexes();
}

int CQuenzelRecord::ReadFieldCharacter(const std::string& fieldName_, unsigned char& value,
                                       CQuenzelField*& field) {
  field = FindField(fieldName_);
  if (field == nullptr) return -1;
  detail::HandOver(*this, *field, detail::HandOverSite::kGetField);
  const QuenzelError result = field->GetValue(value);
  lastFieldName = field->m_Comment;
  return static_cast<int>(result);
}

void CQuenzelRecord::GetField(std::string fieldName_, unsigned char& value) {
  CQuenzelField* field = nullptr;
  const int code = ReadFieldCharacter(fieldName_, value, field);
  if (code == -1) throw CQuenzelException("GetField", definitionPath, -1, name, fieldName_, "", "");
  if (code != 0)
    throw CQuenzelException("GetField", definitionPath, code, name, fieldName_, field->m_Rejected,
                            field->m_Comment);
}

unsigned char CQuenzelRecord::RecordCharacter(const char* fieldName_, int type) {
  unsigned char value = 255;
  CQuenzelField* field = nullptr;
  if (ReadFieldCharacter(fieldName_, value, field) == 0) return value;
  for (CQuenzelField& candidate : fields) {
    if (candidate.m_Type != type) continue;
    unsigned char c = 255;
    candidate.GetValue(c);
    return c;
  }
  return 255;
}

std::istream& operator>>(std::istream& in, CQuenzelRecord& record) {
  return detail::ReadRecord(in, record);
}

std::ostream& operator<<(std::ostream& out, CQuenzelRecord& record) {
  return detail::WriteRecord(out, record);
}
