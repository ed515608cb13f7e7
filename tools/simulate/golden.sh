#!/usr/bin/env bash
# The simulator's golden runs: a bot's run and a run of recorded input give
# the committed figures at several frames, and one play frame of the bot's
# run the committed picture, byte for byte. A change that moves them remakes
# them on purpose, and the picture is looked at before it is committed:
#   tools/simulate/golden.sh build/tools/simulate/simulate build/run --remake
# Run by ctest without --remake, in the folder with the bundles; with
# --figures in place of --remake it checks the figures alone, for the
# browser's build of the simulator (a .js file, run under node), which
# writes no pictures.
set -euo pipefail
sim=$(realpath "$1") golden=$(cd "$(dirname "$0")" && pwd)/golden
run=("$sim")
[[ $sim == *.js ]] && run=(node "$sim")
cd "$2"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
files=(bot7.txt recorded.txt bot7-frame1200.png) png=(--png "1199:$out/bot7-frame1200.png")
[ "${3:-}" = --figures ] && files=(bot7.txt recorded.txt) png=()
# every button state but Escape in turn, stepping through them out of order
seq 0 3999 | awk '{print ($1 * 7919) % 256}' >"$out/input"
"${run[@]}" --bot 7 --frames 18000 --at 600 --at 1200 --at 2400 --at 6000 --at 12000 "${png[@]}" >"$out/bot7.txt"
"${run[@]}" --input "$out/input" --frames 4000 --at 1000 --at 2000 --at 3000 >"$out/recorded.txt"
if [ "${3:-}" = --remake ]; then
  for f in "${files[@]}"; do cp "$out/$f" "$golden/$f"; done
  echo "remade ${files[*]} in $golden"
  exit 0
fi
status=0
for f in "${files[@]}"; do
  cmp -s "$out/$f" "$golden/$f" && continue
  echo "FAIL: $f differs from $golden/$f"
  [[ $f == *.txt ]] && diff "$golden/$f" "$out/$f"
  status=1
done
exit $status
