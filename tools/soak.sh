#!/usr/bin/env bash
# An hour of play (216,000 frames) on several bot seeds, under AddressSanitizer
# and UndefinedBehaviorSanitizer: nothing may leak, every list must stay well
# formed and the pool must hold exactly the objects in the lists.
#   tools/soak.sh [frames] [seeds...]
set -euo pipefail
cd "$(dirname "$0")/.."
frames=${1:-216000}
shift || true
seeds=("${@:-11 12 13}")
tools/deps.sh
cmake -S . -B build-asan -DZEP_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$(nproc)" --target simulate zep-pictures zep-sounds >/dev/null
cd build-asan/run
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for seed in ${seeds[@]}; do
  echo "== bot $seed, $frames frames"
  ../tools/simulate/simulate --frames "$frames" --bot "$seed" 2>&1 | grep -v '^ALSA'
done
