#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ (ASan and UBSan on)
# and runs each for a bounded time. Usage: fuzz/run.sh [seconds per target]
# (default 60). Exits non-zero on the first target that finds a fault; its
# input is kept in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build-fuzz
CC=clang CXX=clang++ cmake -S fuzz -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$out" -j2 >/dev/null
"$out"/fuzzseeds "$out"/seeds
# a few real pictures as well, when the machine has small ones
mapfile -t real < <(find /usr/share -name '*.png' -size -4k 2>/dev/null | sort | head -40)
for f in "${real[@]}"; do
  cp "$f" "$out/seeds/png/real-$(echo "$f" | md5sum | cut -c1-12).png"
done
mkdir -p "$out"/artifacts "$out"/seeds/manifest
cp fuzz/seeds/manifest/* "$out"/seeds/manifest/
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in bundle png inflate manifest; do
  mkdir -p "$out/corpus/$target"
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  log="$out/$target.log"
  if ! "$out/${target}_fuzz" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=1 -artifact_prefix="$out/artifacts/$target-" "${dict[@]}" \
      "$out/corpus/$target" "$out/seeds/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $target found a fault (log: $log)" >&2
    exit 1
  fi
  echo "fuzz: $target ran ${seconds}s clean: $(grep -E 'stat::number_of_executed_units' "$log" | awk '{print $2}') runs," \
    "corpus $(ls "$out/corpus/$target" | wc -l) inputs"
done
