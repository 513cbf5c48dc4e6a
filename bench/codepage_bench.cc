// Code-page conversion: the library (a thread's cached converters) against
// ICU's one-shot conversion (a converter pair opened and closed per call),
// for short field texts and long ones, with a plain copy as the floor.
#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <string>

#include "code_page.h"

namespace {

std::string SampleText(std::size_t size) {
  const std::string pattern = "Caf\xe9 cr\xe8me br\xfbl\xe9\x65 ";  // cp-1252 accents
  std::string text;
  while (text.size() < size) text += pattern;
  text.resize(size);
  return text;
}

// The baseline: ICU's one-shot conversion, which opens and closes a
// converter pair on every call.
std::string OneShotToUtf8(const std::string& text, const char* codePage) {
  std::string out(text.size() * 3 + 16, '\0');
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_convert("utf8", codePage, &out[0], static_cast<int32_t>(out.size()), text.data(),
                           static_cast<int32_t>(text.size()), &status);
  out.resize(U_FAILURE(status) ? 0 : static_cast<std::size_t>(n));
  return out;
}

void BM_OneShot(benchmark::State& state) {
  std::string text = SampleText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(OneShotToUtf8(text, "cp-1252"));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OneShot)->Arg(16)->Arg(256)->Arg(65536);

// The library: the thread's cached converters.
void BM_Library(benchmark::State& state) {
  std::string text = SampleText(static_cast<std::size_t>(state.range(0)));
  if (quenzel::detail::CodePageToUtf8(text, "cp-1252") != OneShotToUtf8(text, "cp-1252"))
    state.SkipWithError("the library's conversion differs from the one-shot one");
  for (auto _ : state) benchmark::DoNotOptimize(quenzel::detail::CodePageToUtf8(text, "cp-1252"));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Library)->Arg(16)->Arg(256)->Arg(65536);

void BM_LibraryToCodePage(benchmark::State& state) {
  std::string text = quenzel::detail::CodePageToUtf8(
      SampleText(static_cast<std::size_t>(state.range(0))), "cp-1252");
  for (auto _ : state) benchmark::DoNotOptimize(quenzel::detail::Utf8ToCodePage(text, "cp-1252"));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LibraryToCodePage)->Arg(16)->Arg(256)->Arg(65536);

// The floor: copying the same bytes.
void BM_Copy(benchmark::State& state) {
  std::string text = SampleText(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(std::string(text));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Copy)->Arg(16)->Arg(256)->Arg(65536);

}  // namespace

BENCHMARK_MAIN();
