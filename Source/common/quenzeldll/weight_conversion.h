// Weight conversion between measurement systems (1 kilograms, 2 decimal
// pounds, 3 avoirdupois pounds) and scaling factors (signed powers of ten,
// or rows of the avoirdupois table). docs/weights.md gives the rules. Not
// installed.
#ifndef QUENZEL_WEIGHT_CONVERSION_H_
#define QUENZEL_WEIGHT_CONVERSION_H_

#include <string>

#include "quenzel_error.h"
#include "quenzel_field.h"

namespace quenzel {
namespace detail {

struct WeightUnits {
  int system;  // 1 kilograms, 2 decimal pounds, 3 avoirdupois pounds
  int factor;  // scaling factor of the system
};

// Where the conversion's audit entries go: the field's log name (empty: no
// entries), its audit text and its number.
struct ConversionAudit {
  const std::string& logName;
  const std::string& auditText;
  int fieldNumber;
};

// Converts `value` from units `from` to units `to`; the rounded result goes
// to `out`. Every step is rounded to single precision. kConvertFail for an
// unknown system or avoirdupois factor (`out` then holds what the steps
// reached). A value of 0 converts to 0 without audit entries.
QuenzelError ConvertWeight(long long value, WeightUnits from, WeightUnits to, float& out,
                           const ConversionAudit& audit);

// Whether `field` takes part in weight conversion: the switch is on, it is
// a weight type and its own flag is set.
inline bool TakesPartInConversion(const CQuenzelField& field) {
  return field.m_ConversionOn && field.m_ConvertField &&
         (field.m_Type == kTypeWeight || field.m_Type == kTypeNetWeight ||
          field.m_Type == kTypeWeightHiRes);
}
// Whether such a field converts at all: a NETWEIGHT field needs a scale
// system.
bool ConvertsWeight(const CQuenzelField& field);

// Converts `value` for `field`, host to scale (`toScale`) or scale to host,
// with the field's units and audit entries.
QuenzelError ConvertFieldWeight(const CQuenzelField& field, long long value, bool toScale,
                                float& out);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_WEIGHT_CONVERSION_H_
