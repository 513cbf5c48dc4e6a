// The main() of a benchmark program whose benchmarks each run once per
// content shape (generate.h), named "<benchmark>/<shape>".
#ifndef QUENZEL_BENCH_PER_SHAPE_H_
#define QUENZEL_BENCH_PER_SHAPE_H_

#include <benchmark/benchmark.h>

#include <initializer_list>
#include <string>
#include <utility>

#include "generate.h"

namespace quenzel_bench {

using ShapeBenchmark = void (*)(benchmark::State&, const Shape&);

// Registers every benchmark for every shape (in milliseconds) and runs them.
inline int RunPerShape(int argc, char** argv,
                       std::initializer_list<std::pair<const char*, ShapeBenchmark>> benchmarks) {
  for (const Shape& shape : Shapes())
    for (const auto& entry : benchmarks)
      benchmark::RegisterBenchmark((std::string(entry.first) + "/" + shape.name).c_str(),
                                   entry.second, shape)
          ->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace quenzel_bench

#endif  // QUENZEL_BENCH_PER_SHAPE_H_
