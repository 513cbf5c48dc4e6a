// The setters and getters on a field built from a fuzzed definition line,
// under a fuzzed action, default-data mode and weight conversion.
#include <fuzzer/FuzzedDataProvider.h>

#include <stdexcept>
#include <type_traits>

#include "catalogue_check.h"
#include "cfgstore.h"

namespace {

bool IsResult(QuenzelError result) {
  return result >= QuenzelError::kNone && result <= QuenzelError::kInvalidNumeric;
}

// A text setter: a refused number and a PRIVATE field keep the value, and
// an empty text on a single-character field raises with the field unchanged.
void SetText(CQuenzelField& field, FuzzedDataProvider& input, bool utf8) {
  const std::string text = input.ConsumeRandomLengthString(64);
  const bool privateOverride = input.ConsumeBool();
  const std::string before = field.m_Value;
  QuenzelError result;
  try {
    result =
        utf8 ? field.SetValueUTF8(text, privateOverride) : field.SetValue(text, privateOverride);
  } catch (const std::out_of_range&) {
    FUZZ_CHECK(!utf8 && text.empty() && IsSingleCharacterType(field.m_Type));
    FUZZ_CHECK(field.m_Value == before);
    return;
  }
  FUZZ_CHECK(IsResult(result));
  if (result == QuenzelError::kInvalidNumeric) FUZZ_CHECK(field.m_Value == before);
  if (field.m_Private && (!privateOverride || field.IsNumeric()))
    FUZZ_CHECK(field.m_Value == before && result == QuenzelError::kNone);
}

template <typename T, bool kUtf8>
QuenzelError Set(CQuenzelField& field, FuzzedDataProvider& input, bool privateOverride) {
  T value;
  if constexpr (std::is_floating_point_v<T>)
    value = input.ConsumeFloatingPoint<T>();
  else
    value = input.ConsumeIntegral<T>();
  return kUtf8 ? field.SetValueUTF8(value, privateOverride)
               : field.SetValue(value, privateOverride);
}

constexpr QuenzelError (*kTypedSetters[])(CQuenzelField&, FuzzedDataProvider&, bool) = {
    Set<long long, false>,     Set<int, true>,
    Set<unsigned char, false>, Set<char, true>,
    Set<float, false>,         Set<unsigned long long, false>,
    Set<short, false>,         Set<unsigned short, true>,
    Set<long, false>,          Set<unsigned int, false>,
    Set<unsigned long, true>};

// The private-override flag comes first, then the pick of setter.
void SetTyped(CQuenzelField& field, FuzzedDataProvider& input) {
  const bool privateOverride = input.ConsumeBool();
  const auto set = kTypedSetters[input.ConsumeIntegralInRange(0, 10)];
  FUZZ_CHECK(IsResult(set(field, input, privateOverride)));
}

void GetAll(CQuenzelField& field) {
  std::string text;
  long long number = 0;
  unsigned char c = 0;
  FUZZ_CHECK(IsResult(field.GetValue(text)) && IsResult(field.GetValueUTF8(text)) &&
             IsResult(field.GetValue(number)) && IsResult(field.GetValue(c)));
  std::ostringstream out;
  out << field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > quenzel_fuzz::kMaxInput) return 0;
  quenzel_fuzz::Dir();
  FuzzedDataProvider input(data, size);
  cfgstore::SetOverride("SOFTWARE\\TORVANHOLME\\DRIVER\\QUENZEL", "DEFAULTDATAMODE",
                        input.ConsumeBool() ? "true" : "false");
  const char* action = input.PickValueInArray({"SEND", "SEARCH", "DELETE", "TOTALSENQUIRE"});
  const std::string line = input.ConsumeRandomLengthString(256);

  CQuenzelRecord read("fuzz.def", "");
  read.codepage = "cp-1252";
  std::istringstream block("12 " + std::string(action) + "\n" + line + "\n");
  if (!read.Read(block) || read.fields.empty()) return 0;
  CQuenzelRecord record(read);
  CQuenzelField& field = record.fields.front();

  if (input.ConsumeBool()) {
    // Weight conversion as a record hands it over, with any units.
    const bool on = input.ConsumeBool();
    const int scaleMS = input.ConsumeIntegralInRange(0, 4);
    const int scaleSF = input.ConsumeIntegral<int>();
    const int hostMS = input.ConsumeIntegralInRange(0, 4);
    const int hostSF = input.ConsumeIntegral<int>();
    // One after the other: the order in which arguments are evaluated is open.
    const bool flagA = input.ConsumeBool();
    const bool flagB = input.ConsumeBool();
    field.SetFieldConversionDetails(on, scaleMS, scaleSF, hostMS, hostSF, 1, true, flagA, flagB);
  }

  while (input.remaining_bytes() > 0) {
    const int step = input.ConsumeIntegralInRange(0, 5);
    if (step <= 1)
      SetText(field, input, step == 1);
    else if (step == 2)
      SetTyped(field, input);
    else if (step == 3)
      GetAll(field);
    else if (step == 4)
      field.Reset();
    else
      record.Reset();
  }
  GetAll(field);
  return 0;
}
