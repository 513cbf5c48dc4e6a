// The definition cache loader: the input is the .cache file beside a
// definition file that does not exist, so Initialise succeeds only by
// loading the cache, all or nothing.
#include <cstddef>
#include <cstdint>

#include "catalogue_check.h"
#include "fuzz_env.h"
#include "quenzel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > quenzel_fuzz::kMaxInput) return 0;
  quenzel_fuzz::Environment& env = quenzel_fuzz::Environment::Get("\"CacheFiles\"=\"on\"\n");
  if (!quenzel_fuzz::WriteBytes(env.zqapi() + "input.def.cache", data, size)) return 0;

  CQuenzelFile catalogue;
  const bool loaded = catalogue.Initialise("input.def", "", nullptr, "");
  if (!loaded) {
    FUZZ_CHECK(catalogue.records.empty() && catalogue.recordKeys.empty());
    return 0;
  }
  for (const auto& entry : catalogue.records) quenzel_fuzz::CheckIndexes(entry.second);
  quenzel_fuzz::UseCatalogue(catalogue);
  return 0;
}
