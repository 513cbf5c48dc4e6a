// What every catalogue and record must satisfy, however it was loaded.
#ifndef QUENZEL_FUZZ_CATALOGUE_CHECK_H_
#define QUENZEL_FUZZ_CATALOGUE_CHECK_H_

#include "fuzz_env.h"
#include "quenzel.h"

namespace quenzel_fuzz {

// The indexes of a record point at fields with that number and name.
inline void CheckIndexes(const CQuenzelRecord& record) {
  const auto at = [&record](int index) -> const CQuenzelField& {
    FUZZ_CHECK(index >= 0 && static_cast<std::size_t>(index) < record.fields.size());
    return record.fields[index];
  };
  for (const auto& [number, index] : record.fieldsByNumber)
    FUZZ_CHECK(std::to_string(at(index).m_FieldNumber) == number);
  for (const auto& [name, index] : record.fieldsByName) FUZZ_CHECK(at(index).m_Name == name);
}

// A record read from a definition file holds only what the format allows.
inline void CheckReadRecord(const CQuenzelRecord& record) {
  FUZZ_CHECK(record.action >= kActionSend && record.action <= kActionDelete);
  for (const CQuenzelField& field : record.fields) {
    FUZZ_CHECK(field.m_FieldNumber >= 1 && field.m_FieldNumber <= 9999999);
    FUZZ_CHECK(field.m_Length >= 1 && field.m_Length <= 99999998);
    FUZZ_CHECK(field.m_Type != kTypeNone);
  }
}

// Checks every template of a loaded catalogue (`read`: from a definition
// file), then uses a copy of it the way a host does: look up, write out.
inline void UseCatalogue(CQuenzelFile& catalogue, bool read) {
  for (auto& entry : catalogue.records) {
    if (read) CheckReadRecord(entry.second);
    CheckIndexes(entry.second);
    CQuenzelRecord copy = entry.second;
    CheckIndexes(copy);
    for (const CQuenzelField& field : entry.second.fields) {
      FUZZ_CHECK(copy.FindField(field.m_Name) != nullptr);
      FUZZ_CHECK(copy.FindField(field.m_FieldNumber) != nullptr);
    }
    std::ostringstream out;
    out << copy;
    copy.CheckKeyFieldSupplied();
  }
}

}  // namespace quenzel_fuzz

#endif  // QUENZEL_FUZZ_CATALOGUE_CHECK_H_
