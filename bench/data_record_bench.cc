// Data records: writing and reading a typical record of 20 fields of mixed
// types, in records per second and bytes per second, with a plain copy of
// the same bytes as the floor.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "generate.h"
#include "quenzel.h"

namespace {

CQuenzelRecord TypicalRecord() {
  CQuenzelRecord read("bench", "");
  std::istringstream in(quenzel_bench::StreamRecordDefinition());
  read.Read(in);
  CQuenzelRecord record(read);
  std::vector<std::string> values = quenzel_bench::StreamRecordValues(4711);
  for (std::size_t i = 0; i < values.size(); ++i) record.fields[i].SetValueUTF8(values[i], false);
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
