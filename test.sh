#!/usr/bin/env bash
# Builds every target and runs every test: native, native with ASan+UBSan, Windows x86-64
# under Wine (unit tests and the real .exe end to end), the Windows x86 build (checked), and
# the fuzz targets (clang, libFuzzer, ASan+UBSan) for a bounded time each.
set -uo pipefail
cd "$(dirname "$0")"
tools/install-deps || exit 1
set -e
for preset in mingw64 mingw32 native asan fuzz; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
set +e
passed=0
failed=0
for tree in native asan mingw64 mingw32 fuzz; do
  echo "== tests: $tree"
  selection=()
  # The fuzz tree's unit and end-to-end tests repeat the asan tree's; only its fuzzers run.
  [ "$tree" = fuzz ] && selection=(-R '^fuzz_')
  ctest --test-dir "build/$tree" --output-on-failure "${selection[@]}" | tee "build/$tree/ctest.log"
  summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "build/$tree/ctest.log")
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  bad=$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$summary")
  if [ -z "$summary" ]; then total=1; bad=1; fi
  passed=$((passed + total - bad))
  failed=$((failed + bad))
done
echo "ctest: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
