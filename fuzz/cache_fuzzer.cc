// The definition cache loader: the input is the .cache file beside a
// definition file that does not exist, so Initialise succeeds only by
// loading the cache, all or nothing.
#include "catalogue_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  quenzel_fuzz::Dir("\"CacheFiles\"=\"on\"\n");
  if (!quenzel_fuzz::WriteInput("zqapi/input.def.cache", data, size)) return 0;
  CQuenzelFile catalogue;
  if (catalogue.Initialise("input.def", "", nullptr, ""))
    quenzel_fuzz::UseCatalogue(catalogue, false);
  else
    FUZZ_CHECK(catalogue.records.empty() && catalogue.recordKeys.empty());
  return 0;
}
