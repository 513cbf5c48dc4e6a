// The Base64 decoder of CLOB values, reached the way data arrives: the
// input is the value of field 20 (CLOB) of record 12 in a data record.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "catalogue_check.h"
#include "fuzz_env.h"
#include "quenzel.h"

namespace {

const CQuenzelRecord& Template() {
  static CQuenzelRecord* record = [] {
    quenzel_fuzz::Environment& env = quenzel_fuzz::Environment::Get();
    quenzel_fuzz::WriteText(env.zqapi() + "clob.def",
                            "#12 SEND table:action \"ITEM\"\n"
                            "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
                            "20 CLOB name=\"PICTURE\" 60000 #\n");
    CQuenzelFile catalogue;
    FUZZ_CHECK(catalogue.Initialise("clob.def", "", nullptr, ""));
    return new CQuenzelRecord(*catalogue.GetRecord(12));
  }();
  return *record;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > quenzel_fuzz::kMaxInput) return 0;
  CQuenzelRecord record = Template();
  const std::string value(reinterpret_cast<const char*>(data), size);
  std::istringstream in("12 20 " + std::to_string(size) + " \"" + value + "\" 0 ");

  in >> record;
  // Any value without a zero byte is taken whole and the record read to its end.
  if (size > 0 && std::memchr(data, 0, size) == nullptr) FUZZ_CHECK(!in.fail());
  // Four Base64 characters give at most three bytes, and the decoded bytes
  // grow by at most three in the conversion to UTF-8.
  FUZZ_CHECK(record.FindField(20)->m_Value.size() <= (size / 4) * 3 * 3);
  return 0;
}
