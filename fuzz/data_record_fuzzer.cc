// Data records through operator>> into copies of the example catalogue's
// records (records 8 and 9 included). The first byte picks the record and
// the default-data mode; the rest is the stream.
#include <vector>

#include "catalogue_check.h"
#include "cfgstore.h"
#include "data_record.h"

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
  const std::string text(quenzel_fuzz::Text(data + 1, size - 1));
  std::istringstream in{text};
  in >> record;
  quenzel_fuzz::CheckIndexes(record);
  FUZZ_CHECK(record.fields.size() == original.fields.size());
  std::ostringstream out;
  out << record;

  // The diagnosed read gives the same verdict, a fault exactly when it
  // fails, and offsets within what it read; the record boundary after a
  // failure lies within the input and moves on unless the input is spent.
  CQuenzelRecord again = original;
  std::istringstream second{text};
  quenzel::detail::DataRecordDiagnosis why;
  quenzel::detail::ReadRecord(second, again, &why);
  FUZZ_CHECK(second.fail() == in.fail());
  FUZZ_CHECK((why.fault == quenzel::detail::DataRecordFault::kNone) == !second.fail());
  FUZZ_CHECK(why.stopOffset >= 0 && why.stopOffset <= static_cast<std::streamoff>(text.size()));
  FUZZ_CHECK(why.elementOffset >= 0 && why.elementOffset <= why.stopOffset);
  FUZZ_CHECK(why.item.size() <= quenzel::detail::DataRecordDiagnosis::kMaxItem);
  std::istringstream frame{text};
  quenzel::detail::SkipRecord(frame);
  frame.clear();
  const std::streamoff boundary = frame.tellg();
  FUZZ_CHECK(boundary >= 0 && boundary <= static_cast<std::streamoff>(text.size()));
  FUZZ_CHECK(boundary > 0 || text.empty());
  return 0;
}
