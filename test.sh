#!/usr/bin/env bash
# Sets up, builds and runs every test. "./test.sh --sanitize" does the same in
# a second build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
# Warnings are errors here and in CI; a plain configure leaves them warnings.
dir=build flags=(-DZEP_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan flags+=(-DZEP_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
fi
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
