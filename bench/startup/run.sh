#!/usr/bin/env bash
# Time from process start to the first menu frame: starts zep [runs] times
# (default 10) in its own Xvfb, notes when the first frame reaches the window,
# checks that the screen shows the title menu, closes the window, and prints
# each time and the median. Exits 1 when the median is over the 300 ms budget.
set -euo pipefail
cd "$(dirname "$0")/../.."
RUNS=${1:-10}
tools/deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target zep zepprobe zepfirstframe zep-pictures zep-sounds >/dev/null
ROOT=$PWD
source tests/e2e/lib.bash "$ROOT/build/run" "$ROOT/build/zepprobe" "$ROOT/build/e2e-shots"
export SDL_AUDIODRIVER=dummy
RequireBundles
StartX
times=()
for run in $(seq 1 "$RUNS"); do
	note=$(mktemp)
	rm -f "$note"
	(cd "$RUNDIR" && export ZEP_START_NS=$(date +%s%N) ZEP_FIRST_FRAME_FILE=$note \
		LD_PRELOAD=$ROOT/build/bench/startup/libzepfirstframe.so && exec ./zep) &
	GAME=$!
	Menu 0 menu >/dev/null
	[ -s "$note" ] || Fail "run $run: the menu is on screen but no first frame was noted"
	times+=("$(cat "$note")")
	rm -f "$note"
	CloseWindow >/dev/null
	ExpectExit 0 >/dev/null
	echo "run $run: first menu frame after ${times[-1]} ms"
done
printf '%s\n' "${times[@]}" | sort -n | awk -v budget=300 '
	{ t[NR] = $1 }
	END {
		median = NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2
		printf "median %.1f ms, fastest %.1f ms, slowest %.1f ms over %d runs (budget %d ms)\n", median, t[1], t[NR], NR, budget
		exit median > budget
	}'
