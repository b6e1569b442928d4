#!/usr/bin/env bash
# Benchmark of the native build (not part of the tests; see "Benchmark" in README.md): builds
# the native preset in build/bench, generates large inputs once (about 420 MiB, in
# $EVALCONV_BENCH_DIR, default build/bench-data) and times whole runs against the copy floor.
# With --micro it also runs the micro-benchmarks of the line toolkit.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"
tree=build/bench
data=${EVALCONV_BENCH_DIR:-$repo/build/bench-data}
cmake --preset native -B "$tree" -DBUILD_TESTING=OFF -DEVALCONV_BENCHMARKS=ON >/dev/null
cmake --build "$tree" --target evalconv write_filter_double evalconv_copy_floor evalconv_do_nothing \
  evalconv_run_once $([ "${1:-}" = --micro ] && echo evalconv_perftest) >/dev/null
python3 bench/generate_inputs.py "$data"
python3 bench/measure.py --tool "$tree/evalconv" --floor "$tree/bench/evalconv_copy_floor" \
  --nothing "$tree/bench/evalconv_do_nothing" --write-filter "$tree/write_filter_double.so" \
  --runner "$tree/bench/evalconv_run_once" --data "$data" --sample sample/drive
if [ "${1:-}" = --micro ]; then
  "$tree/bench/evalconv_perftest"
fi
