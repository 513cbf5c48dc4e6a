// One record block through CQuenzelRecord::Read, as the catalogue hands it
// over: the stream stands just after the block's '#'.
#include "catalogue_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > quenzel_fuzz::kMaxInput) return 0;
  quenzel_fuzz::Dir();
  std::istringstream in{std::string(quenzel_fuzz::Text(data, size))};
  CQuenzelRecord record("fuzz.def", "");
  record.codepage = "cp-1252";
  const bool ok = record.Read(in);
  // The block ends at the end of the stream or before the next '#' line,
  // which stays unread for the catalogue.
  if (ok && !in.eof()) FUZZ_CHECK(in.peek() == '#');
  quenzel_fuzz::CheckReadRecord(record, ok);
  CQuenzelRecord copy(record);
  quenzel_fuzz::CheckIndexes(copy);
  std::ostringstream out;
  out << copy;
  return 0;
}
