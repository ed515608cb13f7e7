#!/usr/bin/env bash
# Builds and runs the benchmarks in the folder the game runs from, then prints
# each hot path's time against its peer measured in the same run (medians of
# five repetitions, CPU time, which a shared machine disturbs least). Installs
# the benchmark-only peers first: libdeflate, stb_image and libspng, and the
# Debian packages whose PNG files make the fixed real-world set of png_bench.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
peers=(libdeflate-dev libstb-dev libspng-dev desktop-base adwaita-icon-theme valgrind gnupg)
missing=()
for p in "${peers[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
cmake -S . -B build >/dev/null
cmake --build build -j2 --target engine_bench png_bench screen_bench zep-pictures zep-sounds >/dev/null
cd build/run
options=(--benchmark_min_time=0.5 --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
  --benchmark_out_format=json)
# One core for the whole run, the last: the cores of a virtual machine need
# not run at one speed (on the 2-core machine of bench/README.md, core 0 runs
# these loops up to twice as slowly), and a run that moves between them mixes
# the two.
pin=(taskset -c "$(($(nproc) - 1))")
SDL_AUDIODRIVER=dummy "${pin[@]}" ../bench/engine/engine_bench "${options[@]}" --benchmark_out=../bench.json >/dev/null 2>&1
"${pin[@]}" ../bench/engine/png_bench "${options[@]}" --benchmark_out=../png_bench.json >/dev/null
python3 - ../bench.json ../png_bench.json <<'PY'
import json, sys
medians = {}
# A benchmark checks its output against the reference before it measures;
# one that differs, or cannot run, fails the whole run. Only a benchmark this
# machine cannot run at all says "skipped:".
failed = set()
for path in sys.argv[1:]:
    for b in json.load(open(path))["benchmarks"]:
        if b.get("error_occurred") and not b.get("error_message", "").startswith("skipped:"):
            failed.add(f"{b['run_name']}: {b.get('error_message')}")
        if b.get("aggregate_name") == "median":
            medians[b["run_name"]] = b
runs = {name: b["cpu_time"] for name, b in medians.items()}
def row(name, ours, peer):
    if ours not in runs or peer not in runs:
        print(f"{name:52s} (not measured: {ours if ours not in runs else peer})")
        return
    a, b = runs[ours], runs[peer]
    print(f"{name:52s} {a/1000:10.1f} us {b/1000:10.1f} us   peer/ours {b/a:5.2f}")
print(f"{'hot path (ours vs peer)':52s} {'ours':>13s} {'peer':>13s}")
row("RLE sprites vs SDL RLE colour-key blit", "BM_DrawRLEBitmap/0", "BM_SDLBlitSurface/0")
row("  clipped at the edges", "BM_DrawRLEBitmap/1", "BM_SDLBlitSurface/1")
row("RLE blink composite vs SDL RLE colour-key blit", "BM_CompositeRLEBitmap/0", "BM_SDLBlitSurface/0")
row("  clipped at the edges", "BM_CompositeRLEBitmap/1", "BM_SDLBlitSurface/1")
row("doubling vs a plain AVX2 doubling loop", "BM_CopyDoubledPixels", "BM_DoubleAVX2")
row("doubling vs a plain SSE2 doubling loop", "BM_CopyDoubledPixels", "BM_DoubleSSE2")
row("doubling vs memcpy of 1,228,800 bytes", "BM_CopyDoubledPixels", "BM_Memcpy1228800")
row("doubling vs SDL_SoftStretch", "BM_CopyDoubledPixels", "BM_SDLSoftStretch")
for k in range(2, 10):
    row(f"full screen {k}x ({320*k}x{240*k}) vs memcpy of its bytes", f"BM_CopyScaledPixels/{k}/0", f"BM_MemcpyScaled/{k}")
    row(f"  the SSE2 path", f"BM_CopyScaledPixels/{k}/1", f"BM_MemcpyScaled/{k}")
    row(f"  the portable path", f"BM_CopyScaledPixels/{k}/2", f"BM_MemcpyScaled/{k}")
for n, what in ((0, "the game's pictures"), (1, "40 real-world files")):
    print(f"-- {what}")
    row("  inflate vs libdeflate raw", f"BM_Inflate/{n}", f"BM_LibdeflateRaw/{n}")
    row("  inflate vs libdeflate zlib (Adler-32 checked)", f"BM_Inflate/{n}", f"BM_LibdeflateZlib/{n}")
    row("  inflate vs zlib raw inflate", f"BM_Inflate/{n}", f"BM_ZlibInflateRaw/{n}")
    row("  inflate vs zlib uncompress", f"BM_Inflate/{n}", f"BM_ZlibUncompress/{n}")
    row("  PNG to RGBA vs stb_image (4 channels)", f"BM_LoadPNG/{n}", f"BM_StbImage/{n}")
    row("  PNG to RGBA vs libspng", f"BM_LoadPNG/{n}", f"BM_Spng/{n}")
    row("  PNG to RGBA vs libpng", f"BM_LoadPNG/{n}", f"BM_Libpng/{n}")
    row("  the same, a caller's pixel function, vs stb_image", f"BM_LoadPNGCallersFunction/{n}", f"BM_StbImage/{n}")
for n in (64, 256, 1024):
    row(f"collision sweep vs every pair, n = m = {n}", f"BM_CollisionSweep/{n}", f"BM_CollisionBruteForce/{n}")
if "BM_CrowdedFrame" in runs:
    frame = runs["BM_CrowdedFrame"]
    objects = medians["BM_CrowdedFrame"].get("objects", 0)
    print(f"{'crowded frame (run + draw + double)':52s} {frame/1000:10.1f} us   {100*frame/16666667:.2f} % of a 60 Hz frame, {objects:.0f} objects")
for f in sorted(failed):
    print(f"FAILED {f}")
sys.exit(1 if failed else 0)
PY
