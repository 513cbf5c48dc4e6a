// Loading a large definition file (2,000 records of 30 fields): parsing the
// file against loading the same catalogue from its cache, storing the
// cache, and freeing a loaded catalogue (what a host that reloads pays on
// top of the load).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <string>

#include "definition_cache.h"
#include "generate.h"
#include "quenzel.h"

class CQuenzelFileTestAccess {
 public:
  static int Save(CQuenzelFile& f, const std::string& base) {
    return quenzel::detail::SaveCache(f, base, nullptr);
  }
};

namespace {

constexpr int kRecords = 2000;
constexpr int kFields = 30;

// A private directory with the definition file and a registry that points
// at it, switching the cache on or off.
class Setup {
 public:
  Setup() {
    char pattern[] = "/tmp/quenzel-bench-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    ::mkdir((dir_ + "/zqapi").c_str(), 0755);
    std::ofstream(dir_ + "/zqapi/large.def") << quenzel_bench::DefinitionFile(kRecords, kFields);
    ::setenv("CFGSTORE_FILE", (dir_ + "/registry.reg").c_str(), 1);
  }
  ~Setup() {
    ::unlink((dir_ + "/zqapi/large.def.cache").c_str());
    ::unlink((dir_ + "/zqapi/large.def").c_str());
    ::unlink((dir_ + "/registry.reg").c_str());
    ::rmdir((dir_ + "/zqapi").c_str());
    ::rmdir(dir_.c_str());
  }
  void Cache(bool on) {
    std::ofstream(dir_ + "/registry.reg")
        << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANHOLME\\Environment]\n\"ZQEXE\"=\""
        << dir_ << "/\"\n\"Codepage\"=\"1252\"\n\"CacheFiles\"=\"" << (on ? "on" : "off") << "\"\n";
  }
  std::string definitionPath() const { return dir_ + "/zqapi\\large.def"; }

 private:
  std::string dir_;
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

// Loads the catalogue once per iteration; freeing it is not timed.
void Load(benchmark::State& state) {
  for (auto _ : state) {
    auto catalogue = std::make_unique<CQuenzelFile>();
    if (!catalogue->Initialise("large.def", "", nullptr, "")) state.SkipWithError("load failed");
    state.PauseTiming();
    catalogue.reset();
    state.ResumeTiming();
  }
  state.counters["fields"] = kRecords * kFields;
}

void BM_LoadByParsing(benchmark::State& state) {
  TheSetup().Cache(false);
  Load(state);
}
BENCHMARK(BM_LoadByParsing)->Unit(benchmark::kMillisecond);

void BM_LoadFromCache(benchmark::State& state) {
  TheSetup().Cache(true);
  {
    CQuenzelFile first;  // writes the cache
    first.Initialise("large.def", "", nullptr, "");
  }
  Load(state);
}
BENCHMARK(BM_LoadFromCache)->Unit(benchmark::kMillisecond);

void BM_FreeCatalogue(benchmark::State& state) {
  TheSetup().Cache(true);
  for (auto _ : state) {
    state.PauseTiming();
    auto catalogue = std::make_unique<CQuenzelFile>();
    if (!catalogue->Initialise("large.def", "", nullptr, "")) state.SkipWithError("load failed");
    state.ResumeTiming();
    catalogue.reset();
  }
  state.counters["fields"] = kRecords * kFields;
}
BENCHMARK(BM_FreeCatalogue)->Unit(benchmark::kMillisecond);

void BM_SaveCache(benchmark::State& state) {
  TheSetup().Cache(true);
  CQuenzelFile catalogue;
  catalogue.Initialise("large.def", "", nullptr, "");
  for (auto _ : state) CQuenzelFileTestAccess::Save(catalogue, TheSetup().definitionPath());
  // The CSV report needs the same counters in every run, whatever order
  // interleaved rounds run them in.
  state.counters["fields"] = kRecords * kFields;
}
BENCHMARK(BM_SaveCache)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
