// Field accessors per call: setting and getting text, numbers, characters
// and weights (with conversion).
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "quenzel.h"

namespace {

CQuenzelField MakeField(const char* line) {
  CQuenzelField field(12, "bench", "", "F", "cp-1252", true, "ITEM");
  std::istringstream in(line);
  bool noField = false;
  field.Read(in, noField);
  field.Reset();
  return field;
}

void BM_SetText(benchmark::State& state) {
  CQuenzelField field = MakeField("3 STRING name=\"F\" 24 #");
  const std::string text = "Gouda cheese, mild";
  for (auto _ : state) benchmark::DoNotOptimize(field.SetValue(text, false));
}
BENCHMARK(BM_SetText);

void BM_SetTextCodePage(benchmark::State& state) {
  CQuenzelField field = MakeField("3 STRING name=\"F\" 24 #");
  const std::string text = "Caf\xe9 cr\xe8me br\xfbl\xe9\x65";
  for (auto _ : state) benchmark::DoNotOptimize(field.SetValue(text, false));
}
BENCHMARK(BM_SetTextCodePage);

void BM_GetText(benchmark::State& state) {
  CQuenzelField field = MakeField("3 STRING name=\"F\" 24");
  field.SetValueUTF8("Gouda cheese", false);
  std::string out;
  for (auto _ : state) benchmark::DoNotOptimize(field.GetValue(out));
}
BENCHMARK(BM_GetText);

void BM_SetNumberText(benchmark::State& state) {
  CQuenzelField field = MakeField("5 PRICE name=\"F\" 7 0 0-9999999");
  for (auto _ : state) benchmark::DoNotOptimize(field.SetValueUTF8("1299", false));
}
BENCHMARK(BM_SetNumberText);

void BM_SetNumber(benchmark::State& state) {
  CQuenzelField field = MakeField("5 PRICE name=\"F\" 7 0 0-9999999");
  long long value = 0;
  for (auto _ : state) benchmark::DoNotOptimize(field.SetValue(++value % 9999999, false));
}
BENCHMARK(BM_SetNumber);

void BM_GetNumber(benchmark::State& state) {
  CQuenzelField field = MakeField("5 PRICE name=\"F\" 7 0 0-9999999");
  field.SetValue(1299LL, false);
  long long value = 0;
  for (auto _ : state) benchmark::DoNotOptimize(field.GetValue(value));
}
BENCHMARK(BM_GetNumber);

void BM_SetCharacter(benchmark::State& state) {
  CQuenzelField field = MakeField("4 FLAG name=\"F\" 1 N Y,N");
  for (auto _ : state) benchmark::DoNotOptimize(field.SetValue('Y', false));
}
BENCHMARK(BM_SetCharacter);

void BM_GetCharacter(benchmark::State& state) {
  CQuenzelField field = MakeField("4 FLAG name=\"F\" 1 N Y,N");
  unsigned char c = 0;
  for (auto _ : state) benchmark::DoNotOptimize(field.GetValue(c));
}
BENCHMARK(BM_GetCharacter);

void BM_SetWeightConverted(benchmark::State& state) {
  CQuenzelField field = MakeField("7 WEIGHT name=\"F\" 6 0 0-999999");
  field.SetFieldConversionDetails(true, 2, -2, 1, -3, 1, true, false, false);
  for (auto _ : state) benchmark::DoNotOptimize(field.SetValue(1000LL, false));
}
BENCHMARK(BM_SetWeightConverted);

void BM_GetWeightConverted(benchmark::State& state) {
  CQuenzelField field = MakeField("7 WEIGHT name=\"F\" 6 0 0-999999");
  field.SetFieldConversionDetails(true, 2, -2, 1, -3, 1, true, false, false);
  field.SetValue(1000LL, false);
  long long grams = 0;
  for (auto _ : state) benchmark::DoNotOptimize(field.GetValue(grams));
}
BENCHMARK(BM_GetWeightConverted);

}  // namespace

BENCHMARK_MAIN();
