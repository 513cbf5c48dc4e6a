// A whole definition file through CQuenzelFile::Initialise: it loads or
// fails, and whatever loaded keeps the reader's guarantees.
#include <cstddef>
#include <cstdint>

#include "catalogue_check.h"
#include "fuzz_env.h"
#include "quenzel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > quenzel_fuzz::kMaxInput) return 0;
  quenzel_fuzz::Environment& env = quenzel_fuzz::Environment::Get();
  if (!quenzel_fuzz::WriteBytes(env.zqapi() + "input.def", data, size)) return 0;

  CQuenzelFile catalogue;
  catalogue.Initialise("input.def", "", nullptr, "");
  for (const auto& entry : catalogue.recordKeys)
    FUZZ_CHECK(catalogue.GetRecord(entry.second) != nullptr);
  for (const auto& entry : catalogue.records) {
    quenzel_fuzz::CheckReadRecord(entry.second);
    quenzel_fuzz::CheckIndexes(entry.second);
  }
  quenzel_fuzz::UseCatalogue(catalogue);
  return 0;
}
