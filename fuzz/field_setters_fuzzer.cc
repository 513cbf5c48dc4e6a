// The text and typed setters, and the getters after them, on a field built
// from a fuzzed definition line. The input drives the record's action, the
// default-data mode, the weight conversion settings and a sequence of
// setter and getter calls.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <stdexcept>
#include <string>

#include "catalogue_check.h"
#include "cfgstore.h"
#include "fuzz_env.h"
#include "quenzel.h"

namespace {

constexpr const char* kActions[] = {"SEND", "SEARCH", "DELETE", "TOTALSENQUIRE"};

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

void SetTyped(CQuenzelField& field, FuzzedDataProvider& input) {
  const bool privateOverride = input.ConsumeBool();
  QuenzelError result = QuenzelError::kNone;
  switch (input.ConsumeIntegralInRange(0, 10)) {
    case 0:
      result = field.SetValue(input.ConsumeIntegral<long long>(), privateOverride);
      break;
    case 1:
      result = field.SetValueUTF8(input.ConsumeIntegral<int>(), privateOverride);
      break;
    case 2:
      result = field.SetValue(input.ConsumeIntegral<unsigned char>(), privateOverride);
      break;
    case 3:
      result = field.SetValueUTF8(input.ConsumeIntegral<char>(), privateOverride);
      break;
    case 4:
      result = field.SetValue(input.ConsumeFloatingPoint<float>(), privateOverride);
      break;
    case 5:
      result = field.SetValue(input.ConsumeIntegral<unsigned long long>(), privateOverride);
      break;
    case 6:
      result = field.SetValue(input.ConsumeIntegral<short>(), privateOverride);
      break;
    case 7:
      result = field.SetValueUTF8(input.ConsumeIntegral<unsigned short>(), privateOverride);
      break;
    case 8:
      result = field.SetValue(input.ConsumeIntegral<long>(), privateOverride);
      break;
    case 9:
      result = field.SetValue(input.ConsumeIntegral<unsigned int>(), privateOverride);
      break;
    default:
      result = field.SetValueUTF8(input.ConsumeIntegral<unsigned long>(), privateOverride);
      break;
  }
  FUZZ_CHECK(IsResult(result));
}

void GetAll(CQuenzelField& field) {
  std::string text;
  long long number = 0;
  int narrow = 0;
  unsigned char byte = 0;
  char character = 0;
  float real = 0;
  FUZZ_CHECK(IsResult(field.GetValue(text)));
  FUZZ_CHECK(IsResult(field.GetValueUTF8(text)));
  FUZZ_CHECK(IsResult(field.GetValue(number)));
  FUZZ_CHECK(IsResult(field.GetValue(narrow)));
  FUZZ_CHECK(IsResult(field.GetValue(byte)));
  FUZZ_CHECK(IsResult(field.GetValue(character)));
  FUZZ_CHECK(IsResult(field.GetValue(real)));
  std::ostringstream out;
  out << field;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > quenzel_fuzz::kMaxInput) return 0;
  quenzel_fuzz::Environment::Get();
  FuzzedDataProvider input(data, size);
  cfgstore::SetOverride("SOFTWARE\\TORVANHOLME\\DRIVER\\QUENZEL", "DEFAULTDATAMODE",
                        input.ConsumeBool() ? "true" : "false");
  const char* action = input.PickValueInArray(kActions);
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
    field.SetFieldConversionDetails(on, scaleMS, scaleSF, hostMS, hostSF, 1, true,
                                    input.ConsumeBool(), input.ConsumeBool());
  }

  while (input.remaining_bytes() > 0) {
    switch (input.ConsumeIntegralInRange(0, 5)) {
      case 0:
        SetText(field, input, false);
        break;
      case 1:
        SetText(field, input, true);
        break;
      case 2:
        SetTyped(field, input);
        break;
      case 3:
        GetAll(field);
        break;
      case 4:
        field.Reset();
        break;
      default:
        record.Reset();
        break;
    }
  }
  GetAll(field);
  return 0;
}
