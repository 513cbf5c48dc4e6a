#include "measurement.h"

#include "host_services.h"
#include "platform.h"

namespace quenzel {
namespace detail {

namespace {

constexpr int kKilograms = 1;
constexpr int kDecimalPounds = 2;
constexpr int kAvoirdupois = 3;
// High-resolution weights always count in tenths of a gram or its like.
constexpr int kHighResolutionFactor = -4;

}  // namespace

int ReadSystemSetting(const settings::Setting& setting, bool knowsAvoir) {
  const std::string text =
      registry.read(HKEY_LOCAL_MACHINE, setting.key, setting.section, setting.value, "", 0);
  if (EqualsIgnoreCase(text, "decimal")) return kDecimalPounds;
  if (knowsAvoir && EqualsIgnoreCase(text, "avoir")) return kAvoirdupois;
  return kKilograms;
}

int ReadScalingSetting(const settings::Setting& setting) {
  return readRegInt(HKEY_LOCAL_MACHINE, setting.key, setting.section, setting.value, "-3");
}

void HandOver(const CQuenzelRecord& r, CQuenzelField& field, HandOverSite site) {
  const bool totals = r.action >= kActionSearchFirstNextTrans;
  const bool netWeight = field.m_Type == kTypeNetWeight;
  const bool highResWeight = field.m_Type == kTypeWeightHiRes && r.highResolution;
  int scaleMS = r.sourceBaseWeightUnits;
  int scaleSF = r.sourceScalingFactor;
  switch (site) {
    case HandOverSite::kReader:
      if (netWeight) {
        scaleMS = r.netWeightBaseWeightUnits;
        scaleSF = r.netWeightScalingFactor;
      } else {
        scaleMS = totals ? r.sourceTotalsBaseWeightUnits : r.sourceBaseWeightUnits;
        scaleSF = highResWeight ? kHighResolutionFactor
                  : totals      ? r.sourceTotalsScalingFactor
                                : r.sourceScalingFactor;
      }
      break;
    case HandOverSite::kWriter:
      if (netWeight) {
        scaleMS = r.netWeightBaseWeightUnits;
        scaleSF = r.netWeightScalingFactor;
      } else if (highResWeight) {
        scaleSF = kHighResolutionFactor;
      }
      break;
    case HandOverSite::kGetField:
      if (netWeight && r.conversionOn) {
        scaleMS = r.netWeightBaseWeightUnits;
        scaleSF = r.netWeightScalingFactor;
      }
      break;
  }
  field.SetFieldConversionDetails(r.conversionOn, scaleMS, scaleSF, r.destinationBaseWeightUnits,
                                  r.destinationScalingFactor, r.priceUnits, r.uomFlag,
                                  r.priceBaseFlag, r.backwardCompatible);
}

void SetHostUnits(CQuenzelRecord& r, int hostMS, int hostSF, bool compatible, bool uomOn) {
  r.destinationBaseWeightUnits = hostMS;
  r.destinationScalingFactor = hostSF;
  r.sourceBaseWeightUnits = hostMS;
  const bool agree = r.sourceTotalsBaseWeightUnits == hostMS && r.sourceScalingFactor == hostSF &&
                     r.sourceTotalsScalingFactor == r.sourceScalingFactor &&
                     r.netWeightScalingFactor == r.sourceScalingFactor &&
                     r.netWeightBaseWeightUnits == hostMS && r.priceUnits == hostMS;
  if (!r.highResolution && agree) {
    r.conversionOn = false;  // host and scale count alike
    return;
  }
  r.conversionOn = true;
  r.backwardCompatible = compatible;
  r.priceBaseFlag = r.GetPriceBase();
  r.uomFlag = uomOn ? true : r.GetUOMFieldValue();
}

void SetFieldHostUnits(CQuenzelRecord& r, int fieldNumber, int hostMS, int hostSF) {
  for (CQuenzelField& field : r.fields) {
    if (field.m_FieldNumber != fieldNumber) continue;
    field.m_HostSF = hostSF;
    field.m_HostMS = hostMS;
    field.m_HostUnitsFixed = true;
    r.uomFlag = true;
    r.conversionOn = true;
    return;
  }
}

}  // namespace detail
}  // namespace quenzel
