#!/usr/bin/env bash
# Runs every benchmark of a build and prints a table of the figures and of
# the ratios its performance goals are stated in. All ratios come from this
# one run, so they hold on a busy machine too.
#   bench/run.sh [BUILD_DIR]      (default: build)
set -euo pipefail
build=${1:-build}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

for bench in record_stream_bench catalogue_bench data_record_bench field_bench codepage_bench; do
  "$build/bench/$bench" --benchmark_format=csv --benchmark_min_time=0.5 2>/dev/null \
    | grep -v '^name,' >> "$out/all.csv"
done

awk -F, '
  { gsub(/"/, "", $1); name[$1] = $1; ns[$1] = $3; unit[$1] = $5; bps[$1] = $6; ips[$1] = $7; order[n++] = $1 }
  function ms(k) { return unit[k] == "ms" ? ns[k] : unit[k] == "us" ? ns[k] / 1000 : ns[k] / 1e6 }
  function shown(k) {
    if (ms(k) >= 1) return sprintf("%.1f ms", ms(k))
    if (ms(k) >= 0.001) return sprintf("%.2f us", ms(k) * 1000)
    return sprintf("%.1f ns", ms(k) * 1e6)
  }
  END {
    printf "%-32s %14s %14s %12s\n", "benchmark", "time", "items/s", "MB/s"
    for (i = 0; i < n; i++) {
      k = order[i]
      printf "%-32s %14s %14s %12s\n", k, shown(k), ips[k] ? sprintf("%.0f", ips[k]) : "-", bps[k] ? sprintf("%.1f", bps[k] / 1e6) : "-"
    }
    print ""
    printf "%-58s %8s %8s\n", "ratio", "measured", "goal"
    printf "%-58s %8.2f %8s\n", "write data records / nlohmann-json serialise (records/s)", ips["BM_WriteRecords"] / ips["BM_JsonSerialise"], ">= 3"
    printf "%-58s %8.2f %8s\n", "read data records / nlohmann-json parse (records/s)", ips["BM_ReadRecords"] / ips["BM_JsonParse"], ">= 3"
    printf "%-58s %8.2f %8s\n", "catalogue: parsing time / loading from the cache", ms("BM_LoadByParsing") / ms("BM_LoadFromCache"), ">= 10"
    printf "%-58s %8.3f %8s\n", "write data records / plain copy of the bytes (MB/s)", bps["BM_WriteRecords"] / bps["BM_CopyBytes"], "floor"
  }' "$out/all.csv"
echo
"$build/bench/catalogue_memory"
"$build/bench/catalogue_memory" --cache
