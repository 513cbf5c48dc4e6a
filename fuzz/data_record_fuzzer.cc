// Data records through operator>> into copies of the example catalogue's
// records (records 8 and 9 included). The first byte picks the record and
// the default-data mode; the rest is the stream.
#include <vector>

#include "catalogue_check.h"
#include "cfgstore.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > quenzel_fuzz::kMaxInput) return 0;
  // The example catalogue's templates in record-number order.
  static const std::vector<const CQuenzelRecord*>& templates = *[] {
    std::filesystem::copy_file(QUENZEL_EXAMPLE_DEF, quenzel_fuzz::Dir() + "/zqapi/shop.def");
    auto* catalogue = new CQuenzelFile;
    FUZZ_CHECK(catalogue->Initialise("shop.def", "", nullptr, ""));
    FUZZ_CHECK(catalogue->GetRecord(8) != nullptr && catalogue->GetRecord(9) != nullptr);
    auto* list = new std::vector<const CQuenzelRecord*>;
    for (int number = 0; number < 100; ++number)
      if (const CQuenzelRecord* record = catalogue->GetRecord(number)) list->push_back(record);
    return list;
  }();
  cfgstore::SetOverride("SOFTWARE\\TORVANHOLME\\DRIVER\\QUENZEL", "DEFAULTDATAMODE",
                        (data[0] & 0x80) != 0 ? "true" : "false");
  const CQuenzelRecord& original = *templates[(data[0] & 0x7F) % templates.size()];
  CQuenzelRecord record = original;
  std::istringstream in{std::string(quenzel_fuzz::Text(data + 1, size - 1))};
  in >> record;
  quenzel_fuzz::CheckIndexes(record);
  FUZZ_CHECK(record.fields.size() == original.fields.size());
  std::ostringstream out;
  out << record;
  return 0;
}
