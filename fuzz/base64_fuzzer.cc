// The Base64 decoder of CLOB values, reached the way data arrives: the
// input is the value of field 20 (CLOB) of record 12 in a data record.
#include <cstring>

#include "catalogue_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > quenzel_fuzz::kMaxInput) return 0;
  static const CQuenzelRecord* const clob = [] {
    quenzel_fuzz::WriteFile(quenzel_fuzz::Dir() + "/zqapi/clob.def",
                            "#12 SEND table:action \"ITEM\"\n"
                            "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
                            "20 CLOB name=\"PICTURE\" 60000 #\n");
    CQuenzelFile catalogue;
    FUZZ_CHECK(catalogue.Initialise("clob.def", "", nullptr, ""));
    return new CQuenzelRecord(*catalogue.GetRecord(12));
  }();
  CQuenzelRecord record = *clob;
  const std::string value(quenzel_fuzz::Text(data, size));
  std::istringstream in("12 20 " + std::to_string(size) + " \"" + value + "\" 0 ");
  in >> record;
  // Any value without a zero byte is taken whole and the record read to its end.
  if (size > 0 && std::memchr(data, 0, size) == nullptr) FUZZ_CHECK(!in.fail());
  // Four Base64 characters give at most three bytes, and the decoded bytes
  // grow by at most three in the conversion to UTF-8.
  FUZZ_CHECK(record.FindField(20)->m_Value.size() <= (size / 4) * 3 * 3);
  return 0;
}
