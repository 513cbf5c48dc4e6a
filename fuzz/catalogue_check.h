// What every catalogue and record must satisfy, however it was loaded: the
// reader's guarantees for definition files and the rebuilt indexes of
// records loaded from a cache. A broken guarantee aborts, which the fuzzer
// reports like a crash.
#ifndef QUENZEL_FUZZ_CATALOGUE_CHECK_H_
#define QUENZEL_FUZZ_CATALOGUE_CHECK_H_

#include <sstream>
#include <string>

#include "fuzz_env.h"
#include "quenzel.h"

namespace quenzel_fuzz {

// The indexes of a record point at fields with that number and name.
inline void CheckIndexes(const CQuenzelRecord& record) {
  for (const auto& entry : record.fieldsByNumber) {
    FUZZ_CHECK(entry.second >= 0 && static_cast<std::size_t>(entry.second) < record.fields.size());
    FUZZ_CHECK(std::to_string(record.fields[entry.second].m_FieldNumber) == entry.first);
  }
  for (const auto& entry : record.fieldsByName) {
    FUZZ_CHECK(entry.second >= 0 && static_cast<std::size_t>(entry.second) < record.fields.size());
    FUZZ_CHECK(record.fields[entry.second].m_Name == entry.first);
  }
}

// A record read from a definition file holds only what the format allows,
// also in the fields read before a failure.
inline void CheckReadRecord(const CQuenzelRecord& record, bool complete = true) {
  if (complete) FUZZ_CHECK(record.action >= kActionSend && record.action <= kActionDelete);
  for (const CQuenzelField& field : record.fields) {
    FUZZ_CHECK(field.m_FieldNumber >= 1 && field.m_FieldNumber <= 9999999);
    FUZZ_CHECK(field.m_Length >= 1 && field.m_Length <= 99999998);
    FUZZ_CHECK(field.m_Type != kTypeNone);
  }
}

// Works on a copy of every template the way a host does: copy, look up,
// write as a data record.
inline void UseCatalogue(CQuenzelFile& catalogue) {
  for (auto& entry : catalogue.records) {
    CQuenzelRecord copy = entry.second;
    CheckIndexes(copy);
    FUZZ_CHECK(copy.fields.size() == entry.second.fields.size());
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
