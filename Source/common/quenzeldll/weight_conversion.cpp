// Each pair of systems converts by a fixed short list of steps (the pair
// table below). Every multiplication and division is rounded to single
// precision before the next one; the store through a volatile float keeps
// a compiler from carrying extra precision (x87) or fusing steps.
#include "weight_conversion.h"

#include <cmath>
#include <cstdio>

#include "field_types.h"
#include "host_services.h"
#include "numbers.h"

namespace quenzel {
namespace detail {

namespace {

constexpr double kPoundsPerKilogram = 2.2045;
constexpr double kKilogramsPerPound = 0.4536;

inline float Single(double x) {
  volatile float rounded = static_cast<float>(x);
  return rounded;
}

// Whether another step by ten can still change `f`: zero, infinity and NaN
// stay as they are, so the loops below stop there. Every finite value gets
// there within a hundred steps, which bounds the work for any scaling
// factor the registry or a host may give.
bool Scalable(float f) { return std::isfinite(f) && f != 0.0f; }

// `k` is 64-bit: the difference or negation of two int factors always fits.
// A `k` of 0 or less leaves `f` as it is.
float TimesPowerOfTen(float f, long long k) {
  for (long long i = 0; i < k && Scalable(f); ++i) f = Single(static_cast<double>(f) * 10.0);
  return f;
}

float DividedByPowerOfTen(float f, long long k) {
  for (long long i = 0; i < k && Scalable(f); ++i) f = Single(static_cast<double>(f) / 10.0);
  return f;
}

// Avoirdupois scaling factors: the step from units of a factor to pounds,
// and the step from pounds back to such units.
struct AvoirRow {
  int factor;
  char toPounds;  // '*', '/' or '=' (unchanged)
  double toPoundsBy;
  char fromPounds;
  double fromPoundsBy;
};
constexpr AvoirRow kAvoirdupois[] = {
    {4, '*', 2240, '/', 2240},  {3, '*', 112, '/', 112},
    {2, '*', 28, '/', 28},      {1, '*', 14, '/', 14},
    {0, '=', 1, '=', 1},        {-1, '*', 0.25, '*', 4},
    {-2, '*', 0.0625, '*', 16}, {-3, '*', 0.0078125, '*', 128},
    {-4, '/', 1280, '*', 1280},
};

float Apply(float f, char op, double by) {
  if (op == '*') return Single(static_cast<double>(f) * by);
  if (op == '/') return Single(static_cast<double>(f) / by);
  return f;
}

// Units of `factor` to pounds (toPounds) or pounds to units; false for a
// factor outside the table, `f` unchanged.
bool Avoirdupois(float& f, int factor, bool toPounds) {
  for (const AvoirRow& row : kAvoirdupois) {
    if (row.factor != factor) continue;
    f = toPounds ? Apply(f, row.toPounds, row.toPoundsBy)
                 : Apply(f, row.fromPounds, row.fromPoundsBy);
    return true;
  }
  return false;
}

enum class Step : unsigned char {
  kNone,
  kRescale,        // from the source factor to the target factor, same system
  kToPounds,       // kilograms to pounds
  kToKilograms,    // pounds to kilograms
  kUnscaleSource,  // a negative source factor divided out
  kDecimalTarget,  // base units to the target factor (either sign)
  kScaleUpTarget,  // base units to a negative target factor only
  kAvoirSource,    // avoirdupois units of the source factor to pounds
  kAvoirTarget,    // pounds to avoirdupois units of the target factor
};

struct PairRow {
  int source;
  int target;
  Step steps[3];
};

constexpr PairRow kPairs[] = {
    {1, 1, {Step::kRescale}},
    {1, 2, {Step::kToPounds, Step::kRescale}},
    {1, 3, {Step::kUnscaleSource, Step::kToPounds, Step::kAvoirTarget}},
    {2, 1, {Step::kUnscaleSource, Step::kToKilograms, Step::kDecimalTarget}},
    {2, 2, {Step::kRescale}},
    {2, 3, {Step::kUnscaleSource, Step::kAvoirTarget}},
    {3, 1, {Step::kAvoirSource, Step::kToKilograms, Step::kDecimalTarget}},
    {3, 2, {Step::kAvoirSource, Step::kScaleUpTarget}},
    {3, 3, {Step::kAvoirSource, Step::kAvoirTarget}},
};

// One step; false when an avoirdupois factor is outside the table.
bool Run(Step step, float& f, int sourceSF, int targetSF) {
  const long long rescale = static_cast<long long>(sourceSF) - targetSF;
  const long long toTarget = -static_cast<long long>(targetSF);
  switch (step) {
    case Step::kNone:
      return true;
    case Step::kRescale:
      f = DividedByPowerOfTen(TimesPowerOfTen(f, rescale), -rescale);  // one of them moves
      return true;
    case Step::kToPounds:
      f = Single(static_cast<double>(f) * kPoundsPerKilogram);
      return true;
    case Step::kToKilograms:
      f = Single(static_cast<double>(f) * kKilogramsPerPound);
      return true;
    case Step::kUnscaleSource:  // a positive factor asks for no step
      f = DividedByPowerOfTen(f, -static_cast<long long>(sourceSF));
      return true;
    case Step::kDecimalTarget:
      f = DividedByPowerOfTen(TimesPowerOfTen(f, toTarget), -toTarget);
      return true;
    case Step::kScaleUpTarget:
      f = TimesPowerOfTen(f, toTarget);
      return true;
    case Step::kAvoirSource:
      return Avoirdupois(f, sourceSF, true);
    case Step::kAvoirTarget:
      return Avoirdupois(f, targetSF, false);
  }
  return true;
}

void AuditValue(const ConversionAudit& audit, const char* message, int value) {
  logbook_log_msg(audit.logName.c_str(), kAuditSource, kEventRecord, 0, 10, 0, message, "%s%d%d%z",
                  audit.auditText.c_str(), audit.fieldNumber, value, "CQuenzelField::Convert()");
}

void AuditUnits(const ConversionAudit& audit, WeightUnits from, WeightUnits to) {
  char units[128];  // four ints and the labels take at most 95 bytes
  (void)std::snprintf(units, sizeof units,
                      "HostMS = <%d> HostSF = <%d> ScaleMS = <%d> ScaleSF = <%d> ", from.system,
                      from.factor, to.system, to.factor);
  logbook_log_msg(audit.logName.c_str(), kAuditSource, kEventRecord, 0, 10, 0, units, "%s%d%z",
                  audit.auditText.c_str(), audit.fieldNumber, "CQuenzelField::Convert()");
}

}  // namespace

QuenzelError ConvertWeight(long long value, WeightUnits from, WeightUnits to, float& out,
                           const ConversionAudit& audit) {
  if (value == 0) {
    out = 0.0f;
    return QuenzelError::kNone;
  }
  const bool logged = !audit.logName.empty();
  if (logged) {
    AuditUnits(audit, from, to);
    AuditValue(audit, "Quenzel Weight Field conversion. Before",
               static_cast<int>(static_cast<unsigned long long>(value) & 0xFFFFFFFFu));
  }

  float f = static_cast<float>(value);
  QuenzelError result = QuenzelError::kNone;
  const PairRow* pair = nullptr;
  for (const PairRow& row : kPairs)
    if (row.source == from.system && row.target == to.system) pair = &row;
  if (pair == nullptr) {
    // An unknown target: avoirdupois units still reach pounds. No rounding.
    if (from.system == 3 && to.system != 1 && to.system != 2)
      Run(Step::kAvoirSource, f, from.factor, to.factor);
    result = QuenzelError::kConvertFail;
  } else {
    for (Step step : pair->steps)
      if (!Run(step, f, from.factor, to.factor)) result = QuenzelError::kConvertFail;
    float whole;
    if (std::modf(f, &whole) >= 0.5f) f = Single(static_cast<double>(f) + 1.0);
  }
  out = f;
  if (logged) AuditValue(audit, "Quenzel Weight Field conversion. After", CutToInteger<int>(f));
  return result;
}

bool ConvertsWeight(const CQuenzelField& field) {
  return TakesPartInConversion(field) && !(field.m_Type == kTypeNetWeight && field.m_ScaleMS == 0);
}

QuenzelError ConvertFieldWeight(const CQuenzelField& field, long long value, bool toScale,
                                float& out) {
  const WeightUnits host = {field.m_HostMS, field.m_HostSF};
  const WeightUnits scale = {field.m_ScaleMS, field.m_ScaleSF};
  const ConversionAudit audit = {field.m_AuditName, field.m_AuditText, field.m_FieldNumber};
  return toScale ? ConvertWeight(value, host, scale, out, audit)
                 : ConvertWeight(value, scale, host, out, audit);
}

}  // namespace detail
}  // namespace quenzel
