#!/usr/bin/env bash
# Runs every benchmark of a build and prints a table of the figures and of
# the ratios its performance goals are stated in.
#
# The machine may be shared and busy, so the benchmarks a ratio compares run
# in interleaved rounds: each round measures every way once, in a random
# order, and each way's figure is its best round. A slow spell then hits all
# ways alike instead of the one that happened to run during it.
#   bench/run.sh [BUILD_DIR] [ROUNDS]      (defaults: build, 7)
set -euo pipefail
build=${1:-build}
rounds=${2:-7}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

for bench in record_stream_bench catalogue_bench; do
  "$build/bench/$bench" --benchmark_format=csv --benchmark_min_time=0.3 \
    --benchmark_repetitions="$rounds" --benchmark_enable_random_interleaving=true 2>/dev/null |
    grep -v -e '^name,' -e '_mean"' -e '_median"' -e '_stddev"' -e '_cv"' >>"$out/all.csv"
done
for bench in data_record_bench field_bench codepage_bench; do
  "$build/bench/$bench" --benchmark_format=csv --benchmark_min_time=0.5 2>/dev/null |
    grep -v '^name,' >>"$out/all.csv"
done

# Columns: name, iterations, real_time, cpu_time, time_unit, bytes/s, items/s.
# The best round has the least CPU time and the highest rates (which the
# library computes from CPU time).
awk -F, '
  {
    gsub(/"/, "", $1); k = $1
    t = $5 == "ms" ? $4 : $5 == "us" ? $4 / 1000 : $5 == "s" ? $4 * 1000 : $4 / 1e6
    if (!(k in ms)) { order[n++] = k; ms[k] = t; bps[k] = $6; ips[k] = $7 }
    if (t < ms[k]) ms[k] = t
    if ($6 + 0 > bps[k] + 0) bps[k] = $6
    if ($7 + 0 > ips[k] + 0) ips[k] = $7
  }
  function shown(k) {
    if (ms[k] >= 1) return sprintf("%.1f ms", ms[k])
    if (ms[k] >= 0.001) return sprintf("%.2f us", ms[k] * 1000)
    return sprintf("%.1f ns", ms[k] * 1e6)
  }
  END {
    printf "%-32s %14s %14s %12s\n", "benchmark (best round)", "time", "items/s", "MB/s"
    for (i = 0; i < n; i++) {
      k = order[i]
      printf "%-32s %14s %14s %12s\n", k, shown(k), ips[k] ? sprintf("%.0f", ips[k]) : "-", bps[k] ? sprintf("%.1f", bps[k] / 1e6) : "-"
    }
    print ""
    printf "%-58s %8s %8s\n", "ratio", "measured", "goal"
    printf "%-58s %8.2f %8s\n", "write data records / nlohmann-json serialise (records/s)", ips["BM_WriteRecords"] / ips["BM_JsonSerialise"], ">= 3"
    printf "%-58s %8.2f %8s\n", "write data records / RapidJSON serialise (records/s)", ips["BM_WriteRecords"] / ips["BM_RapidJsonSerialise"], "-"
    printf "%-58s %8.2f %8s\n", "read data records / nlohmann-json parse (records/s)", ips["BM_ReadRecords"] / ips["BM_JsonParse"], ">= 3"
    printf "%-58s %8.2f %8s\n", "read data records / RapidJSON parse (records/s)", ips["BM_ReadRecords"] / ips["BM_RapidJsonParse"], "-"
    printf "%-58s %8.2f %8s\n", "catalogue: parsing time / loading from the cache", ms["BM_LoadByParsing"] / ms["BM_LoadFromCache"], ">= 10"
    printf "%-58s %8.2f %8s\n", "catalogue: freeing / loading from the cache (time)", ms["BM_FreeCatalogue"] / ms["BM_LoadFromCache"], "-"
    printf "%-58s %8.3f %8s\n", "write data records / plain copy of the bytes (MB/s)", bps["BM_WriteRecords"] / bps["BM_CopyBytes"], "floor"
  }' "$out/all.csv"
echo
"$build/bench/catalogue_memory"
"$build/bench/catalogue_memory" --cache
