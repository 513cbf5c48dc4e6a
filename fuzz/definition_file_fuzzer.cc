// A whole definition file through CQuenzelFile::Initialise: it loads or
// fails, and whatever loaded keeps the reader's guarantees.
#include "catalogue_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!quenzel_fuzz::WriteInput("zqapi/input.def", data, size)) return 0;
  CQuenzelFile catalogue;
  catalogue.Initialise("input.def", "", nullptr, "");
  for (const auto& entry : catalogue.recordKeys)
    FUZZ_CHECK(catalogue.GetRecord(entry.second) != nullptr);
  quenzel_fuzz::UseCatalogue(catalogue, true);
  return 0;
}
