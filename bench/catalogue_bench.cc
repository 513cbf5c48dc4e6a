// Loading a large definition file of each content shape (generate.h; 2,000
// records of 30 fields for the item catalogue): parsing the file against
// loading the same catalogue from its cache, storing the cache, and freeing
// a loaded catalogue (what a host that reloads pays on top of the load).
// Each benchmark's name ends in its shape's name.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "definition_cache.h"
#include "generate.h"
#include "per_shape.h"
#include "quenzel.h"

class CQuenzelFileTestAccess {
 public:
  static int Save(CQuenzelFile& f, const std::string& base) {
    return quenzel::detail::SaveCache(f, base, nullptr);
  }
};

namespace {

using quenzel_bench::Shape;

// A private directory with the shapes' definition files and a registry that
// points at it, switching the cache on or off.
class Setup {
 public:
  Setup() {
    char pattern[] = "/tmp/quenzel-bench-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    ::mkdir((dir_ + "/zqapi").c_str(), 0755);
    for (const Shape& shape : quenzel_bench::Shapes())
      std::ofstream(dir_ + "/zqapi/" + FileName(shape))
          << quenzel_bench::ShapeDefinitionFile(shape);
    ::setenv("CFGSTORE_FILE", (dir_ + "/registry.reg").c_str(), 1);
  }
  ~Setup() {
    for (const Shape& shape : quenzel_bench::Shapes()) {
      ::unlink((dir_ + "/zqapi/" + FileName(shape) + ".cache").c_str());
      ::unlink((dir_ + "/zqapi/" + FileName(shape)).c_str());
    }
    ::unlink((dir_ + "/registry.reg").c_str());
    ::rmdir((dir_ + "/zqapi").c_str());
    ::rmdir(dir_.c_str());
  }
  void Cache(bool on) {
    std::ofstream(dir_ + "/registry.reg")
        << "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\TORVANHOLME\\Environment]\n\"ZQEXE\"=\""
        << dir_ << "/\"\n\"Codepage\"=\"1252\"\n\"CacheFiles\"=\"" << (on ? "on" : "off") << "\"\n";
  }
  static std::string FileName(const Shape& shape) { return shape.name + std::string(".def"); }
  std::string definitionPath(const Shape& shape) const {
    return dir_ + "/zqapi\\" + FileName(shape);
  }

 private:
  std::string dir_;
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

// The C library defers part of the work of freeing small blocks until a
// later large request; that request belongs to the free, not to whatever
// load happens to come next.
void SettleFreedMemory() {
  void* block = std::malloc(64 * 1024);
  benchmark::DoNotOptimize(block);
  std::free(block);
}

// Loads the catalogue once per iteration; freeing it is not timed.
void Load(benchmark::State& state, const Shape& shape) {
  const std::string file = Setup::FileName(shape);
  for (auto _ : state) {
    auto catalogue = std::make_unique<CQuenzelFile>();
    if (!catalogue->Initialise(file, "", nullptr, "")) state.SkipWithError("load failed");
    state.PauseTiming();
    catalogue.reset();
    SettleFreedMemory();
    state.ResumeTiming();
  }
  state.counters["fields"] = shape.records * shape.fields;
}

void BM_LoadByParsing(benchmark::State& state, const Shape& shape) {
  TheSetup().Cache(false);
  Load(state, shape);
}

void BM_LoadFromCache(benchmark::State& state, const Shape& shape) {
  TheSetup().Cache(true);
  {
    CQuenzelFile first;  // writes the cache
    first.Initialise(Setup::FileName(shape), "", nullptr, "");
  }
  SettleFreedMemory();
  Load(state, shape);
}

void BM_FreeCatalogue(benchmark::State& state, const Shape& shape) {
  TheSetup().Cache(true);
  for (auto _ : state) {
    state.PauseTiming();
    auto catalogue = std::make_unique<CQuenzelFile>();
    if (!catalogue->Initialise(Setup::FileName(shape), "", nullptr, ""))
      state.SkipWithError("load failed");
    state.ResumeTiming();
    catalogue.reset();
    SettleFreedMemory();
  }
  state.counters["fields"] = shape.records * shape.fields;
}

void BM_SaveCache(benchmark::State& state, const Shape& shape) {
  TheSetup().Cache(true);
  CQuenzelFile catalogue;
  catalogue.Initialise(Setup::FileName(shape), "", nullptr, "");
  for (auto _ : state) CQuenzelFileTestAccess::Save(catalogue, TheSetup().definitionPath(shape));
  // The CSV report needs the same counters in every run, whatever order
  // interleaved rounds run them in.
  state.counters["fields"] = shape.records * shape.fields;
}

}  // namespace

int main(int argc, char** argv) {
  return quenzel_bench::RunPerShape(argc, argv,
                                    {{"BM_LoadByParsing", BM_LoadByParsing},
                                     {"BM_LoadFromCache", BM_LoadFromCache},
                                     {"BM_FreeCatalogue", BM_FreeCatalogue},
                                     {"BM_SaveCache", BM_SaveCache}});
}
