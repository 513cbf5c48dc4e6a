// A record's measurement settings: the scale's systems and scaling factors
// from the registry, the host's units from the driver, and the hand-over of
// both to a weight field before it converts. docs/weights.md describes
// them. Not installed.
#ifndef QUENZEL_MEASUREMENT_H_
#define QUENZEL_MEASUREMENT_H_

#include "quenzel_record.h"
#include "registry_keys.h"

namespace quenzel {
namespace detail {

// The scale's system named by a registry value ("decimal" 2, "avoir" 3 where
// `knowsAvoir`, anything else 1) and a scaling factor (default -3).
int ReadSystemSetting(const settings::Setting& setting, bool knowsAvoir);
int ReadScalingSetting(const settings::Setting& setting);

// Where the record hands its settings to a field: reading a data record,
// writing one, or the record's own single-character lookup.
enum class HandOverSite { kReader, kWriter, kGetField };
void HandOver(const CQuenzelRecord& record, CQuenzelField& field, HandOverSite site);

// The host's units for the whole record (DriverSetRecordWeightDetails):
// conversion switches off when host and scale count alike.
void SetHostUnits(CQuenzelRecord& record, int hostMS, int hostSF, bool compatible, bool uomOn);

// One field's own host units, kept across later hand-overs.
void SetFieldHostUnits(CQuenzelRecord& record, int fieldNumber, int hostMS, int hostSF);

}  // namespace detail
}  // namespace quenzel

#endif  // QUENZEL_MEASUREMENT_H_
