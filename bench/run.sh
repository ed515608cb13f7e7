#!/usr/bin/env bash
# Builds and runs the benchmarks in the folder the game runs from, then prints
# each hot path's time against its peer measured in the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target engine_bench screen_bench zep-pictures zep-sounds >/dev/null
cd build/run
SDL_AUDIODRIVER=dummy ../bench/engine/engine_bench --benchmark_min_time=0.5 --benchmark_repetitions=3 \
  --benchmark_report_aggregates_only=true --benchmark_format=json --benchmark_out=../bench.json \
  --benchmark_out_format=json >/dev/null 2>&1
python3 - ../bench.json <<'PY'
import json, sys
medians = {b["run_name"]: b for b in json.load(open(sys.argv[1]))["benchmarks"] if b["aggregate_name"] == "median"}
runs = {name: b["real_time"] for name, b in medians.items()}
def row(name, ours, peer):
    a, b = runs[ours], runs[peer]
    print(f"{name:44s} {a/1000:10.1f} us {b/1000:10.1f} us   peer/ours {b/a:5.2f}")
print(f"{'hot path (ours vs peer)':44s} {'ours':>13s} {'peer':>13s}")
row("RLE sprites vs SDL RLE colour-key blit", "BM_DrawRLEBitmap/0", "BM_SDLBlitSurface/0")
row("  clipped at the edges", "BM_DrawRLEBitmap/1", "BM_SDLBlitSurface/1")
row("doubling vs memcpy of 1,228,800 bytes", "BM_CopyDoubledPixels", "BM_Memcpy1228800")
row("doubling vs SDL_SoftStretch", "BM_CopyDoubledPixels", "BM_SDLSoftStretch")
for n, what in ((0, "the game's pictures"), (1, "PNG files of /usr/share")):
    row(f"PNG loader vs libpng, {what}", f"BM_LoadPNG/{n}", f"BM_Libpng/{n}")
    row(f"  inflate vs zlib uncompress", f"BM_Inflate/{n}", f"BM_ZlibUncompress/{n}")
    row(f"  inflate vs zlib raw inflate (no Adler-32)", f"BM_Inflate/{n}", f"BM_ZlibInflateRaw/{n}")
for n in (64, 256, 1024):
    row(f"collision sweep vs every pair, n = m = {n}", f"BM_CollisionSweep/{n}", f"BM_CollisionBruteForce/{n}")
frame = runs["BM_CrowdedFrame"]
objects = medians["BM_CrowdedFrame"]["objects"]
print(f"{'crowded frame (run + draw + double)':44s} {frame/1000:10.1f} us   {100*frame/16666667:.2f} % of a 60 Hz frame, {objects:.0f} objects")
PY
