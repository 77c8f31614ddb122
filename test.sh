#!/usr/bin/env bash
# Sets up, builds and runs every test: a warnings-as-errors build, the same suite
# under AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz targets'
# seed corpora under libFuzzer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh --test
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELT_WERROR=ON >/dev/null
cmake --build build/test
ctest --test-dir build/test --output-on-failure -j "$jobs"

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELT_WERROR=ON -DKELT_SANITIZE=ON >/dev/null
cmake --build build/asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/tests/lsan-qt.supp":print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j "$jobs"

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKELT_FUZZ_ONLY=ON \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
cmake --build build/fuzz
ctest --test-dir build/fuzz --output-on-failure -j "$jobs"
echo "All tests passed."
