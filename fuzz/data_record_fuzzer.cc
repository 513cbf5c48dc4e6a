// Data records through operator>> into copies of the example catalogue's
// records (records 8 and 9 included). The first byte picks the record and
// the default-data mode; the rest is the stream.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "catalogue_check.h"
#include "cfgstore.h"
#include "fuzz_env.h"
#include "quenzel.h"

namespace {

struct Catalogue {
  CQuenzelFile file;
  std::vector<const CQuenzelRecord*> records;  // in record-number order
};

Catalogue& Loaded() {
  static Catalogue* catalogue = [] {
    auto* c = new Catalogue;
    quenzel_fuzz::Environment& env = quenzel_fuzz::Environment::Get();
    quenzel_fuzz::WriteText(env.zqapi() + "shop.def", quenzel_fuzz::ReadText(QUENZEL_EXAMPLE_DEF));
    FUZZ_CHECK(c->file.Initialise("shop.def", "", nullptr, ""));
    for (int number = 0; number < 100; ++number)
      if (const CQuenzelRecord* record = c->file.GetRecord(number)) c->records.push_back(record);
    FUZZ_CHECK(c->file.GetRecord(8) != nullptr && c->file.GetRecord(9) != nullptr);
    return c;
  }();
  return *catalogue;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > quenzel_fuzz::kMaxInput) return 0;
  Catalogue& catalogue = Loaded();
  cfgstore::SetOverride("SOFTWARE\\TORVANHOLME\\DRIVER\\QUENZEL", "DEFAULTDATAMODE",
                        (data[0] & 0x80) != 0 ? "true" : "false");
  CQuenzelRecord record = *catalogue.records[(data[0] & 0x7F) % catalogue.records.size()];
  std::istringstream in(std::string(reinterpret_cast<const char*>(data + 1), size - 1));

  in >> record;
  quenzel_fuzz::CheckIndexes(record);
  FUZZ_CHECK(record.fields.size() == catalogue.file.GetRecord(record.recordNumber)->fields.size());
  std::ostringstream out;
  out << record;
  return 0;
}
