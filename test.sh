#!/usr/bin/env bash
# Sets up, builds and runs every test. "./test.sh --sanitize" does the same in
# a second build with AddressSanitizer and UndefinedBehaviorSanitizer; the
# browser build (web.sh) and its test in chromium run in the plain one only.
set -euo pipefail
cd "$(dirname "$0")"
# Warnings are errors here and in CI; a plain configure leaves them warnings.
dir=build flags=(-DZEP_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan flags+=(-DZEP_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
  tools/deps.sh
else
  tools/deps.sh chromium
  # playwright-core as the lock file pins it; it never fetches a browser
  [ tests/web/node_modules/.package-lock.json -nt tests/web/package-lock.json ] ||
    (cd tests/web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --silent --no-audit --no-fund)
fi
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
[ "$dir" = build ] && ./web.sh -DZEP_WERROR=ON
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)"
