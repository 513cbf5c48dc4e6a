// The C interface (quenzel_c.h): every function checks its handle, converts
// it to the C++ object it stands for, makes the one C++ call and copies text
// out under the header's buffer rule. Exceptions stop here: Guard turns them
// into QUENZEL_OUT_OF_MEMORY or QUENZEL_INTERNAL_ERROR, GuardValue into the
// function's failure value (0 or NULL).

#include "quenzel_c.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "cfgstore.h"
#include "data_record.h"
#include "quenzel.h"

#ifndef QUENZEL_C_LIBRARY_VERSION
#error "the build defines QUENZEL_C_LIBRARY_VERSION, the project version"
#endif

namespace {

// The handles are the C++ objects themselves.
// A catalogue handle is the catalogue with its records in key order, so
// that quenzel_catalogue_record_at answers in constant time. The order is
// taken again after every quenzel_catalogue_initialise, the one call that
// adds records.
struct CatalogueHandle {
  CQuenzelFile file;
  std::vector<const CQuenzelRecord*> order;

  void TakeOrder() {
    order.clear();
    order.reserve(file.records.size());
    for (const auto& entry : file.records) order.push_back(&entry.second);
  }
};
CatalogueHandle* Unwrap(QuenzelCatalogue* handle) {
  return reinterpret_cast<CatalogueHandle*>(handle);
}
const CatalogueHandle* Unwrap(const QuenzelCatalogue* handle) {
  return reinterpret_cast<const CatalogueHandle*>(handle);
}
CQuenzelFile* Cast(QuenzelCatalogue* handle) { return &Unwrap(handle)->file; }
const CQuenzelFile* Cast(const QuenzelCatalogue* handle) { return &Unwrap(handle)->file; }
CQuenzelRecord* Cast(QuenzelRecord* handle) { return reinterpret_cast<CQuenzelRecord*>(handle); }
const CQuenzelRecord* Cast(const QuenzelRecord* handle) {
  return reinterpret_cast<const CQuenzelRecord*>(handle);
}
CQuenzelField* Cast(QuenzelField* handle) { return reinterpret_cast<CQuenzelField*>(handle); }
const CQuenzelField* Cast(const QuenzelField* handle) {
  return reinterpret_cast<const CQuenzelField*>(handle);
}
const QuenzelRecord* Handle(const CQuenzelRecord* record) {
  return reinterpret_cast<const QuenzelRecord*>(record);
}
QuenzelField* Handle(CQuenzelField* field) { return reinterpret_cast<QuenzelField*>(field); }

int Code(QuenzelError error) { return static_cast<int>(error); }
int Code(bool value) { return value ? 1 : 0; }

std::string Text(const char* text) { return text != nullptr ? text : std::string(); }
std::string Text(const char* text, size_t length) {
  return text != nullptr ? std::string(text, length) : std::string();
}

// Copies `text` into the caller's buffer, truncated and zero-terminated;
// returns the size a whole copy needs.
size_t CopyOut(const std::string& text, char* buffer, size_t capacity) {
  if (buffer != nullptr && capacity > 0) {
    const size_t count = std::min(text.size(), capacity - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
  }
  return text.size() + 1;
}

// CopyOut for the functions that also give a result: the size goes to
// `*needed`, and a text that does not fit replaces `result`.
int CopyOut(const std::string& text, char* buffer, size_t capacity, size_t* needed, int result) {
  const size_t size = CopyOut(text, buffer, capacity);
  if (needed != nullptr) *needed = size;
  return size > capacity ? QUENZEL_BUFFER_TOO_SMALL : result;
}

template <typename Body>
int Guard(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return QUENZEL_OUT_OF_MEMORY;
  } catch (...) {
    return QUENZEL_INTERNAL_ERROR;
  }
}

// Guard for a function whose handle must not be null.
template <typename Handle, typename Body>
int Call(Handle* handle, Body body) noexcept {
  if (handle == nullptr) return QUENZEL_INVALID_ARGUMENT;
  return Guard(body);
}

template <typename Value, typename Body>
Value GuardValue(Value failed, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return failed;
  }
}

template <typename Value>
using Setter = QuenzelError (CQuenzelField::*)(Value, bool);
template <typename Value>
using Getter = QuenzelError (CQuenzelField::*)(Value&);

template <typename Value>
int SetTyped(QuenzelField* field, Setter<Value> setter, Value value, int privateOverride) {
  return Call(field, [&] { return Code((Cast(field)->*setter)(value, privateOverride != 0)); });
}

template <typename Value>
int GetTyped(QuenzelField* field, Getter<Value> getter, Value* out) {
  if (out == nullptr) return QUENZEL_INVALID_ARGUMENT;
  return Call(field, [&] { return Code((Cast(field)->*getter)(*out)); });
}

int SetText(QuenzelField* field, Setter<const std::string&> setter, const char* text, size_t length,
            int privateOverride) {
  return Call(field, [&] {
    return Code((Cast(field)->*setter)(Text(text, length), privateOverride != 0));
  });
}

int GetText(QuenzelField* field, Getter<std::string> getter, char* buffer, size_t capacity,
            size_t* needed) {
  return Call(field, [&] {
    std::string text;
    const int result = Code((Cast(field)->*getter)(text));
    return CopyOut(text, buffer, capacity, needed, result);
  });
}

// A read-only stream buffer over the caller's bytes, which tells how many
// of them the reader took.
class MemoryBuffer : public std::streambuf {
 public:
  MemoryBuffer(const char* data, size_t size) {
    char* begin = const_cast<char*>(data);  // the get area is never written
    setg(begin, begin, begin + size);
  }
  size_t consumed() const { return static_cast<size_t>(gptr() - eback()); }

 protected:
  // Tells the position (tellg), from which the reader's diagnosis counts.
  pos_type seekoff(off_type off, std::ios::seekdir dir, std::ios::openmode which) override {
    if (off != 0 || dir != std::ios::cur || (which & std::ios::in) == 0) return pos_type(-1);
    return pos_type(static_cast<off_type>(consumed()));
  }
};

// Names of this layer's codes, from QUENZEL_INVALID_ARGUMENT down.
constexpr const char* kLayerResultNames[] = {"Invalid Argument", "Buffer Too Small",
                                             "Out Of Memory", "Internal Error"};

// The selector tables: each entry names the enumerator that selects it, and
// the static_asserts below check that every entry stands at its
// enumerator's value and that the last enumerator has its entry.
template <typename Table>
constexpr bool InSelectorOrder(const Table& table) {
  for (size_t i = 0; i < std::size(table); ++i)
    if (static_cast<size_t>(table[i].which) != i) return false;
  return true;
}

using MeasurementReader = int (*)(const CQuenzelRecord&);
struct Measurement {
  QuenzelMeasurement which;
  MeasurementReader read;
};
constexpr Measurement kMeasurements[] = {
    {QUENZEL_SOURCE_BASE_WEIGHT_UNITS,
     [](const CQuenzelRecord& r) { return r.GetSourceBaseWeightUnits(); }},
    {QUENZEL_SOURCE_TOTALS_BASE_WEIGHT_UNITS,
     [](const CQuenzelRecord& r) { return r.GetSourceTotalsBaseWeightUnits(); }},
    {QUENZEL_NET_WEIGHT_BASE_WEIGHT_UNITS,
     [](const CQuenzelRecord& r) { return r.GetNetWeightBaseWeightUnits(); }},
    {QUENZEL_PRICE_UNITS, [](const CQuenzelRecord& r) { return r.GetPriceUnits(); }},
    {QUENZEL_SOURCE_SCALING_FACTOR,
     [](const CQuenzelRecord& r) { return r.GetSourceScalingFactor(); }},
    {QUENZEL_SOURCE_TOTALS_SCALING_FACTOR,
     [](const CQuenzelRecord& r) { return r.GetSourceTotalsScalingFactor(); }},
    {QUENZEL_NET_WEIGHT_SCALING_FACTOR,
     [](const CQuenzelRecord& r) { return r.GetNetWeightScalingFactor(); }},
    {QUENZEL_BACKWARD_COMPATIBLE_MODE,
     [](const CQuenzelRecord& r) { return Code(r.GetBackwardCompatibleMode()); }},
    {QUENZEL_DESTINATION_BASE_WEIGHT_UNITS,
     [](const CQuenzelRecord& r) { return r.destinationBaseWeightUnits; }},
    {QUENZEL_DESTINATION_SCALING_FACTOR,
     [](const CQuenzelRecord& r) { return r.destinationScalingFactor; }},
    {QUENZEL_CONVERSION_ON, [](const CQuenzelRecord& r) { return Code(r.conversionOn); }},
    {QUENZEL_UOM_FLAG, [](const CQuenzelRecord& r) { return Code(r.uomFlag); }},
    {QUENZEL_PRICE_BASE_FLAG, [](const CQuenzelRecord& r) { return Code(r.priceBaseFlag); }},
    {QUENZEL_RANGE_WARNING_FLAG, [](const CQuenzelRecord& r) { return Code(r.rangeWarning); }},
};
static_assert(InSelectorOrder(kMeasurements) &&
                  std::size(kMeasurements) == QUENZEL_RANGE_WARNING_FLAG + 1,
              "kMeasurements follows enum QuenzelMeasurement");

using NumberAttribute = long long (*)(const CQuenzelField&);
struct NumberSelector {
  QuenzelFieldNumber which;
  NumberAttribute read;
};
constexpr NumberSelector kNumberAttributes[] = {
    {QUENZEL_FIELD_NUMBER, [](const CQuenzelField& f) -> long long { return f.m_FieldNumber; }},
    {QUENZEL_FIELD_TYPE, [](const CQuenzelField& f) -> long long { return f.m_Type; }},
    {QUENZEL_FIELD_LENGTH, [](const CQuenzelField& f) -> long long { return f.m_Length; }},
    {QUENZEL_FIELD_MIN, [](const CQuenzelField& f) -> long long { return f.m_Min; }},
    {QUENZEL_FIELD_MAX, [](const CQuenzelField& f) -> long long { return f.m_Max; }},
    {QUENZEL_FIELD_DEFAULT, [](const CQuenzelField& f) -> long long { return f.m_Default; }},
    {QUENZEL_FIELD_PSEUDO_NUMBER,
     [](const CQuenzelField& f) -> long long { return f.m_PseudoNumber; }},
    {QUENZEL_FIELD_SPLIT_COUNT_1,
     [](const CQuenzelField& f) -> long long { return f.m_SplitCnt1; }},
    {QUENZEL_FIELD_SPLIT_COUNT_2,
     [](const CQuenzelField& f) -> long long { return f.m_SplitCnt2; }},
    {QUENZEL_FIELD_RECORD_NUMBER,
     [](const CQuenzelField& f) -> long long { return f.m_RecordNumber; }},
    {QUENZEL_FIELD_HOST_MS, [](const CQuenzelField& f) -> long long { return f.m_HostMS; }},
    {QUENZEL_FIELD_HOST_SF, [](const CQuenzelField& f) -> long long { return f.m_HostSF; }},
    {QUENZEL_FIELD_SCALE_MS, [](const CQuenzelField& f) -> long long { return f.m_ScaleMS; }},
    {QUENZEL_FIELD_SCALE_SF, [](const CQuenzelField& f) -> long long { return f.m_ScaleSF; }},
};
static_assert(InSelectorOrder(kNumberAttributes) &&
                  std::size(kNumberAttributes) == QUENZEL_FIELD_SCALE_SF + 1,
              "kNumberAttributes follows enum QuenzelFieldNumber");

using TextAttribute = std::string (*)(const CQuenzelField&);
struct TextSelector {
  QuenzelFieldText which;
  TextAttribute read;
};
constexpr TextSelector kTextAttributes[] = {
    {QUENZEL_FIELD_NAME, [](const CQuenzelField& f) { return f.m_Name; }},
    {QUENZEL_FIELD_VALUE, [](const CQuenzelField& f) { return f.m_Value; }},
    {QUENZEL_FIELD_REJECTED, [](const CQuenzelField& f) { return f.m_Rejected; }},
    {QUENZEL_FIELD_VALUE_LIST, [](const CQuenzelField& f) { return f.m_ValueList; }},
    {QUENZEL_FIELD_VALID_CHARS,
     [](const CQuenzelField& f) {
       return std::string(f.m_ValidChars.begin(), f.m_ValidChars.end());
     }},
    {QUENZEL_FIELD_INIT_VALUE, [](const CQuenzelField& f) { return f.m_InitValue; }},
    {QUENZEL_FIELD_COMMENT, [](const CQuenzelField& f) { return f.m_Comment; }},
    {QUENZEL_FIELD_KEY, [](const CQuenzelField& f) { return f.m_Key; }},
    {QUENZEL_FIELD_KEY_POSITION, [](const CQuenzelField& f) { return f.m_KeyPos; }},
    {QUENZEL_FIELD_CODE_PAGE, [](const CQuenzelField& f) { return f.m_CodePage; }},
    {QUENZEL_FIELD_RECORD_NAME, [](const CQuenzelField& f) { return f.m_RecordName; }},
};
static_assert(InSelectorOrder(kTextAttributes) &&
                  std::size(kTextAttributes) == QUENZEL_FIELD_RECORD_NAME + 1,
              "kTextAttributes follows enum QuenzelFieldText");

// Whether `which` selects an entry of `table`.
template <typename Entry, size_t N>
bool Selects(const Entry (&)[N], int which) {
  return which >= 0 && static_cast<size_t>(which) < N;
}

}  // namespace

extern "C" {

// ---- The library ----

int QUENZEL_C_CALL quenzel_interface_version() { return QUENZEL_C_INTERFACE_VERSION; }

size_t QUENZEL_C_CALL quenzel_library_version(char* buffer, size_t capacity) {
  return GuardValue<size_t>(0,
                            [&] { return CopyOut(QUENZEL_C_LIBRARY_VERSION, buffer, capacity); });
}

size_t QUENZEL_C_CALL quenzel_result_name(int result, char* buffer, size_t capacity) {
  return GuardValue<size_t>(0, [&] {
    const bool layer = result <= QUENZEL_INVALID_ARGUMENT && result >= QUENZEL_INTERNAL_ERROR;
    return CopyOut(
        layer ? kLayerResultNames[QUENZEL_INVALID_ARGUMENT - result] : QuenzelErrorName(result),
        buffer, capacity);
  });
}

size_t QUENZEL_C_CALL quenzel_type_name(int type, char* buffer, size_t capacity) {
  return GuardValue<size_t>(0, [&] { return CopyOut(FieldTypeName(type), buffer, capacity); });
}

size_t QUENZEL_C_CALL quenzel_action_name(int action, char* buffer, size_t capacity) {
  return GuardValue<size_t>(0, [&] { return CopyOut(ActionCodeName(action), buffer, capacity); });
}

int QUENZEL_C_CALL quenzel_set_setting(const char* key, const char* value_name, const char* value) {
  if (key == nullptr || *key == '\0' || value_name == nullptr || *value_name == '\0')
    return QUENZEL_INVALID_ARGUMENT;
  return Guard([&] {
    cfgstore::SetOverride(key, value_name, Text(value));
    return QUENZEL_NONE;
  });
}

void QUENZEL_C_CALL quenzel_clear_settings() {
  Guard([] {
    cfgstore::ClearOverrides();
    return QUENZEL_NONE;
  });
}

size_t QUENZEL_C_CALL quenzel_last_read_error(QuenzelReadStop* stop, char* path, size_t capacity) {
  return GuardValue<size_t>(0, [&] {
    const QuenzelReadError error = QuenzelLastReadError();
    if (stop != nullptr)
      *stop = QuenzelReadStop{static_cast<int>(error.kind), error.line, error.token,
                              error.recordNumber, error.fieldNumber};
    return CopyOut(error.definitionPath, path, capacity);
  });
}

// ---- Catalogues ----

QuenzelCatalogue* QUENZEL_C_CALL quenzel_catalogue_create() {
  return reinterpret_cast<QuenzelCatalogue*>(new (std::nothrow) CatalogueHandle());
}

void QUENZEL_C_CALL quenzel_catalogue_free(QuenzelCatalogue* catalogue) {
  delete Unwrap(catalogue);
}

int QUENZEL_C_CALL quenzel_catalogue_initialise(QuenzelCatalogue* catalogue, const char* file_name,
                                                const char* log_name, char* reserved,
                                                const char* required_version) {
  return Call(catalogue, [&] {
    CatalogueHandle& handle = *Unwrap(catalogue);
    const bool loaded =
        handle.file.Initialise(Text(file_name), Text(log_name), reserved, Text(required_version));
    handle.TakeOrder();  // a failed load keeps the blocks read before the failure
    return Code(loaded);
  });
}

int QUENZEL_C_CALL quenzel_catalogue_initialise_from_path(QuenzelCatalogue* catalogue,
                                                          const char* path, const char* log_name) {
  if (path == nullptr || *path == '\0') return QUENZEL_INVALID_ARGUMENT;
  return Call(catalogue,
              [&] { return Code(Cast(catalogue)->InitialiseFromPath(path, Text(log_name))); });
}

const QuenzelRecord* QUENZEL_C_CALL quenzel_catalogue_record(QuenzelCatalogue* catalogue,
                                                             int number) {
  if (catalogue == nullptr) return nullptr;
  return GuardValue<const QuenzelRecord*>(
      nullptr, [&] { return Handle(Cast(catalogue)->GetRecord(number)); });
}

const QuenzelRecord* QUENZEL_C_CALL quenzel_catalogue_record_by_name(QuenzelCatalogue* catalogue,
                                                                     const char* name) {
  if (catalogue == nullptr) return nullptr;
  return GuardValue<const QuenzelRecord*>(
      nullptr, [&] { return Handle(Cast(catalogue)->GetRecord(Text(name))); });
}

size_t QUENZEL_C_CALL quenzel_catalogue_record_count(const QuenzelCatalogue* catalogue) {
  return catalogue != nullptr ? Cast(catalogue)->records.size() : 0;
}

const QuenzelRecord* QUENZEL_C_CALL quenzel_catalogue_record_at(const QuenzelCatalogue* catalogue,
                                                                size_t index) {
  if (catalogue == nullptr) return nullptr;
  const CatalogueHandle& handle = *Unwrap(catalogue);
  const auto& records = handle.file.records;
  if (index >= records.size()) return nullptr;
  if (handle.order.size() == records.size()) return Handle(handle.order[index]);
  // The order could not be taken (out of memory): a walk answers.
  auto entry = records.begin();
  std::advance(entry, static_cast<std::ptrdiff_t>(index));
  return Handle(&entry->second);
}

size_t QUENZEL_C_CALL quenzel_catalogue_definition_path(const QuenzelCatalogue* catalogue,
                                                        char* buffer, size_t capacity) {
  if (catalogue == nullptr) return 0;
  return GuardValue<size_t>(
      0, [&] { return CopyOut(Cast(catalogue)->definitionPath, buffer, capacity); });
}

// ---- Records ----

QuenzelRecord* QUENZEL_C_CALL quenzel_record_copy(const QuenzelRecord* record) {
  if (record == nullptr) return nullptr;
  return GuardValue<QuenzelRecord*>(
      nullptr, [&] { return reinterpret_cast<QuenzelRecord*>(new CQuenzelRecord(*Cast(record))); });
}

void QUENZEL_C_CALL quenzel_record_free(QuenzelRecord* record) { delete Cast(record); }

int QUENZEL_C_CALL quenzel_record_number(const QuenzelRecord* record) {
  return record != nullptr ? Cast(record)->recordNumber : 0;
}

int QUENZEL_C_CALL quenzel_record_action(const QuenzelRecord* record) {
  return record != nullptr ? Cast(record)->action : kActionNone;
}

size_t QUENZEL_C_CALL quenzel_record_name(const QuenzelRecord* record, char* buffer,
                                          size_t capacity) {
  if (record == nullptr) return 0;
  return GuardValue<size_t>(0, [&] { return CopyOut(Cast(record)->name, buffer, capacity); });
}

size_t QUENZEL_C_CALL quenzel_record_key_name(const QuenzelRecord* record, int position,
                                              char* buffer, size_t capacity) {
  if (record == nullptr || position < 1 || position > 3) return 0;
  const CQuenzelRecord& r = *Cast(record);
  const std::string* names[] = {&r.keyF1Name, &r.keyF2Name, &r.keyF3Name};
  return GuardValue<size_t>(0, [&] { return CopyOut(*names[position - 1], buffer, capacity); });
}

size_t QUENZEL_C_CALL quenzel_record_field_count(const QuenzelRecord* record) {
  return record != nullptr ? Cast(record)->fields.size() : 0;
}

QuenzelField* QUENZEL_C_CALL quenzel_record_field_at(QuenzelRecord* record, size_t index) {
  if (record == nullptr || index >= Cast(record)->fields.size()) return nullptr;
  return Handle(&Cast(record)->fields[index]);
}

QuenzelField* QUENZEL_C_CALL quenzel_record_find_field(QuenzelRecord* record, int number) {
  if (record == nullptr) return nullptr;
  return GuardValue<QuenzelField*>(nullptr,
                                   [&] { return Handle(Cast(record)->FindField(number)); });
}

QuenzelField* QUENZEL_C_CALL quenzel_record_find_field_by_name(QuenzelRecord* record,
                                                               const char* name) {
  if (record == nullptr) return nullptr;
  return GuardValue<QuenzelField*>(nullptr,
                                   [&] { return Handle(Cast(record)->FindField(Text(name))); });
}

QuenzelField* QUENZEL_C_CALL quenzel_record_create_find_field(QuenzelRecord* record, int number) {
  if (record == nullptr) return nullptr;
  return GuardValue<QuenzelField*>(nullptr,
                                   [&] { return Handle(Cast(record)->CreateFindField(number)); });
}

QuenzelField* QUENZEL_C_CALL quenzel_record_create_find_field_by_name(QuenzelRecord* record,
                                                                      const char* name) {
  if (record == nullptr) return nullptr;
  return GuardValue<QuenzelField*>(
      nullptr, [&] { return Handle(Cast(record)->CreateFindField(Text(name))); });
}

int QUENZEL_C_CALL quenzel_record_check_key_field_supplied(QuenzelRecord* record) {
  return Call(record, [&] { return Code(Cast(record)->CheckKeyFieldSupplied()); });
}

int QUENZEL_C_CALL quenzel_record_reset(QuenzelRecord* record) {
  return Call(record, [&] {
    Cast(record)->Reset();
    return QUENZEL_NONE;
  });
}

int QUENZEL_C_CALL quenzel_record_weight_conversion_on(QuenzelRecord* record, int on) {
  return Call(record, [&] {
    Cast(record)->WeightConversionOn(on != 0);
    return QUENZEL_NONE;
  });
}

int QUENZEL_C_CALL quenzel_record_driver_set_field_weight_details(QuenzelRecord* record,
                                                                  int field_number, int host_ms,
                                                                  int host_sf) {
  return Call(record, [&] {
    Cast(record)->DriverSetFieldWeightDetails(field_number, host_ms, host_sf);
    return QUENZEL_NONE;
  });
}

int QUENZEL_C_CALL quenzel_record_driver_set_record_weight_details(QuenzelRecord* record,
                                                                   int host_ms, int host_sf,
                                                                   int backward_compatible,
                                                                   int unused, int uom_on) {
  return Call(record, [&] {
    Cast(record)->DriverSetRecordWeightDetails(host_ms, host_sf, backward_compatible != 0,
                                               unused != 0, uom_on != 0);
    return QUENZEL_NONE;
  });
}

int QUENZEL_C_CALL quenzel_record_get_price_base(QuenzelRecord* record) {
  return Call(record, [&] { return Code(Cast(record)->GetPriceBase()); });
}

int QUENZEL_C_CALL quenzel_record_get_uom_field_value(QuenzelRecord* record) {
  return Call(record, [&] { return Code(Cast(record)->GetUOMFieldValue()); });
}

int QUENZEL_C_CALL quenzel_record_measurement(const QuenzelRecord* record, int which, int* value) {
  if (value == nullptr || !Selects(kMeasurements, which)) return QUENZEL_INVALID_ARGUMENT;
  return Call(record, [&] {
    *value = kMeasurements[which].read(*Cast(record));
    return QUENZEL_NONE;
  });
}

int QUENZEL_C_CALL quenzel_record_write(QuenzelRecord* record, char* buffer, size_t capacity,
                                        size_t* needed) {
  return Call(record, [&] {
    std::ostringstream out;
    out << *Cast(record);
    return CopyOut(out.str(), buffer, capacity, needed, QUENZEL_NONE);
  });
}

int QUENZEL_C_CALL quenzel_record_read(QuenzelRecord* record, const char* data, size_t size,
                                       size_t* consumed) {
  if (data == nullptr && size > 0) return QUENZEL_INVALID_ARGUMENT;
  return Call(record, [&] {
    MemoryBuffer buffer(data, size);
    std::istream in(&buffer);
    in >> *Cast(record);
    if (consumed != nullptr) *consumed = buffer.consumed();
    return Code(!in.fail());
  });
}

// QuenzelRecordStop's fault numbers are the diagnosis's faults in order.
static_assert(static_cast<int>(quenzel::detail::DataRecordFault::kNone) == 0 &&
                  static_cast<int>(quenzel::detail::DataRecordFault::kValueRefused) == 8,
              "the fault numbers of quenzel_c.h");

int QUENZEL_C_CALL quenzel_record_read_stop(QuenzelRecord* record, const char* data, size_t size,
                                            QuenzelRecordStop* stop) {
  if ((data == nullptr && size > 0) || stop == nullptr) return QUENZEL_INVALID_ARGUMENT;
  return Call(record, [&] {
    MemoryBuffer buffer(data, size);
    std::istream in(&buffer);
    quenzel::detail::DataRecordDiagnosis why;
    quenzel::detail::ReadRecord(in, *Cast(record), &why);
    *stop = QuenzelRecordStop();
    stop->fault = static_cast<int>(why.fault);
    stop->field_number = why.fieldNumber;
    stop->result = Code(why.result);
    stop->element_offset = static_cast<size_t>(std::max<std::streamoff>(why.elementOffset, 0));
    stop->consumed = buffer.consumed();
    stop->next = stop->consumed;
    if (in.fail()) {
      MemoryBuffer again(data, size);
      std::istream frame(&again);
      quenzel::detail::SkipRecord(frame);
      stop->next = again.consumed();
    }
    return Code(!in.fail());
  });
}

// ---- Fields ----

int QUENZEL_C_CALL quenzel_field_set_text(QuenzelField* field, const char* text, size_t length,
                                          int private_override) {
  return SetText(field, &CQuenzelField::SetValue, text, length, private_override);
}

int QUENZEL_C_CALL quenzel_field_set_text_utf8(QuenzelField* field, const char* text, size_t length,
                                               int private_override) {
  return SetText(field, &CQuenzelField::SetValueUTF8, text, length, private_override);
}

int QUENZEL_C_CALL quenzel_field_get_text(QuenzelField* field, char* buffer, size_t capacity,
                                          size_t* needed) {
  return GetText(field, &CQuenzelField::GetValue, buffer, capacity, needed);
}

int QUENZEL_C_CALL quenzel_field_get_text_utf8(QuenzelField* field, char* buffer, size_t capacity,
                                               size_t* needed) {
  return GetText(field, &CQuenzelField::GetValueUTF8, buffer, capacity, needed);
}

int QUENZEL_C_CALL quenzel_field_set_int64(QuenzelField* field, long long value,
                                           int private_override) {
  return SetTyped<long long>(field, &CQuenzelField::SetValue, value, private_override);
}

int QUENZEL_C_CALL quenzel_field_set_int64_utf8(QuenzelField* field, long long value,
                                                int private_override) {
  return SetTyped<long long>(field, &CQuenzelField::SetValueUTF8, value, private_override);
}

int QUENZEL_C_CALL quenzel_field_get_int64(QuenzelField* field, long long* value) {
  return GetTyped<long long>(field, &CQuenzelField::GetValue, value);
}

int QUENZEL_C_CALL quenzel_field_get_int64_utf8(QuenzelField* field, long long* value) {
  return GetTyped<long long>(field, &CQuenzelField::GetValueUTF8, value);
}

int QUENZEL_C_CALL quenzel_field_set_char(QuenzelField* field, unsigned char value,
                                          int private_override) {
  return SetTyped<unsigned char>(field, &CQuenzelField::SetValue, value, private_override);
}

int QUENZEL_C_CALL quenzel_field_set_char_utf8(QuenzelField* field, unsigned char value,
                                               int private_override) {
  return SetTyped<unsigned char>(field, &CQuenzelField::SetValueUTF8, value, private_override);
}

int QUENZEL_C_CALL quenzel_field_get_char(QuenzelField* field, unsigned char* value) {
  return GetTyped<unsigned char>(field, &CQuenzelField::GetValue, value);
}

int QUENZEL_C_CALL quenzel_field_get_char_utf8(QuenzelField* field, unsigned char* value) {
  return GetTyped<unsigned char>(field, &CQuenzelField::GetValueUTF8, value);
}

int QUENZEL_C_CALL quenzel_field_set_float(QuenzelField* field, float value, int private_override) {
  return SetTyped<float>(field, &CQuenzelField::SetValue, value, private_override);
}

int QUENZEL_C_CALL quenzel_field_set_float_utf8(QuenzelField* field, float value,
                                                int private_override) {
  return SetTyped<float>(field, &CQuenzelField::SetValueUTF8, value, private_override);
}

int QUENZEL_C_CALL quenzel_field_get_float(QuenzelField* field, float* value) {
  return GetTyped<float>(field, &CQuenzelField::GetValue, value);
}

int QUENZEL_C_CALL quenzel_field_get_float_utf8(QuenzelField* field, float* value) {
  return GetTyped<float>(field, &CQuenzelField::GetValueUTF8, value);
}

int QUENZEL_C_CALL quenzel_field_set_conversion_details(QuenzelField* field, int conversion_on,
                                                        int scale_ms, int scale_sf, int host_ms,
                                                        int host_sf, int totals_ms,
                                                        int convert_field, int flag_a, int flag_b) {
  return Call(field, [&] {
    Cast(field)->SetFieldConversionDetails(conversion_on != 0, scale_ms, scale_sf, host_ms, host_sf,
                                           totals_ms, convert_field != 0, flag_a != 0, flag_b != 0);
    return QUENZEL_NONE;
  });
}

int QUENZEL_C_CALL quenzel_field_reset(QuenzelField* field) {
  return Call(field, [&] {
    Cast(field)->Reset();
    return QUENZEL_NONE;
  });
}

int QUENZEL_C_CALL quenzel_field_set_supplied(QuenzelField* field, int supplied) {
  return Call(field, [&] {
    Cast(field)->SetSupplied(supplied != 0);
    return QUENZEL_NONE;
  });
}

int QUENZEL_C_CALL quenzel_field_set_treat_as_text(QuenzelField* field) {
  return Call(field, [&] {
    Cast(field)->SetTreatAsText();
    return QUENZEL_NONE;
  });
}

int QUENZEL_C_CALL quenzel_field_int_attribute(const QuenzelField* field, int which,
                                               long long* value) {
  if (value == nullptr || !Selects(kNumberAttributes, which)) return QUENZEL_INVALID_ARGUMENT;
  return Call(field, [&] {
    *value = kNumberAttributes[which].read(*Cast(field));
    return QUENZEL_NONE;
  });
}

size_t QUENZEL_C_CALL quenzel_field_text_attribute(const QuenzelField* field, int which,
                                                   char* buffer, size_t capacity) {
  if (field == nullptr || !Selects(kTextAttributes, which)) return 0;
  return GuardValue<size_t>(
      0, [&] { return CopyOut(kTextAttributes[which].read(*Cast(field)), buffer, capacity); });
}

unsigned QUENZEL_C_CALL quenzel_field_flags(const QuenzelField* field) {
  if (field == nullptr) return 0;
  const CQuenzelField& f = *Cast(field);
  const bool flags[] = {f.m_Private,
                        f.m_NoPartial,
                        f.m_DelCtlCh,
                        f.m_Supplied,
                        f.m_TreatAsText,
                        f.m_NoPad,
                        f.m_SendOrDelete,
                        f.m_ConvertField,
                        f.m_ConversionOn,
                        f.m_HostUnitsFixed,
                        IsNumericType(f.m_Type),
                        IsTextType(f.m_Type),
                        IsSingleCharacterType(f.m_Type)};
  unsigned result = 0;
  for (size_t bit = 0; bit < std::size(flags); ++bit)
    if (flags[bit]) result |= 1u << bit;
  return result;
}

}  // extern "C"
