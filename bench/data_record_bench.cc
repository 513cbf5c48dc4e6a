// Data records: writing and reading a typical record of 20 fields of mixed
// types, in records per second and bytes per second, with a plain copy of
// the same bytes as the floor.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "quenzel.h"

namespace {

const char* const kDefinition =
    "12 SEND table:action \"ITEM\"\n"
    "1 NUMERIC name=\"PLU\" 6 0 KEYPOS = \"F1\" 1-999999\n"
    "2 BARCODE name=\"EAN\" 13 0 \n"
    "3 STRING name=\"DESCRIPTION\" 24 #\n"
    "4 NSTRING name=\"SHORTNAME\" 12 #\n"
    "5 PRICE name=\"PRICE\" 7 0 0-9999999\n"
    "6 PRICEBASE name=\"PB\" 1 0 0,1\n"
    "7 WEIGHT name=\"TARE\" 6 0 0-99999\n"
    "8 UOM name=\"UOM\" 1 1 0,1\n"
    "9 NUMERIC name=\"GROUP\" 4 0 1-9999\n"
    "10 CURRENCY name=\"DEPOSIT\" 5 0 0-99999\n"
    "11 YEAR name=\"BESTBEFORE\" 4 0 \n"
    "12 PERCENTAGE name=\"DISCOUNT\" 3 0 0-100\n"
    "13 TEXT name=\"INGREDIENTS\" 400 #\n"
    "14 FLAG name=\"ACTIVE\" 1 N Y,N\n"
    "15 CHARACTER name=\"CLASS\" 1 X A-Z\n"
    "16 VALUE name=\"POINTS\" 5 0 0-99999\n"
    "17 STRING name=\"ORIGIN\" 20 #\n"
    "18 NUMERIC name=\"SHELFLIFE\" 3 0 0-999\n"
    "19 FONT name=\"FONT\" 1 A A,B,C\n"
    "20 TEXTNOTR name=\"NOTES\" 60 #\n";

CQuenzelRecord TypicalRecord() {
  CQuenzelRecord read("bench", "");
  std::istringstream in(kDefinition);
  read.Read(in);
  CQuenzelRecord record(read);
  const char* values[] = {"4711",
                          "4006381333931",
                          "Gouda cheese, mild",
                          "Gouda",
                          "1299",
                          "1",
                          "25",
                          "0",
                          "17",
                          "25",
                          "27",
                          "10",
                          "Milk, salt, rennet, cultures. Store below 7 degrees.",
                          "Y",
                          "B",
                          "150",
                          "Netherlands",
                          "90",
                          "B",
                          "Counter 2"};
  for (int i = 0; i < 20; ++i)
    record.fields[static_cast<std::size_t>(i)].SetValueUTF8(values[i], false);
  return record;
}

void BM_WriteRecord(benchmark::State& state) {
  CQuenzelRecord record = TypicalRecord();
  std::ostringstream probe;
  probe << record;
  const std::size_t size = probe.str().size();
  std::ostringstream out;
  for (auto _ : state) {
    out.str(std::string());
    out << record;
    benchmark::DoNotOptimize(out);
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}
BENCHMARK(BM_WriteRecord);

void BM_ReadRecord(benchmark::State& state) {
  CQuenzelRecord record = TypicalRecord();
  std::ostringstream out;
  out << record;
  const std::string data = out.str();
  CQuenzelRecord target = TypicalRecord();
  for (auto _ : state) {
    std::istringstream in(data);
    in >> target;
    if (in.fail()) state.SkipWithError("the record did not read back");
  }
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_ReadRecord);

void BM_CopyRecordBytes(benchmark::State& state) {
  CQuenzelRecord record = TypicalRecord();
  std::ostringstream out;
  out << record;
  const std::string data = out.str();
  for (auto _ : state) benchmark::DoNotOptimize(std::string(data));
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(data.size()));
}
BENCHMARK(BM_CopyRecordBytes);

}  // namespace

BENCHMARK_MAIN();
