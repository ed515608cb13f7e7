#!/usr/bin/env bash
# The browser build's figures in Debian's headless chromium, the cache off,
# the site served from 127.0.0.1 with gzip as a web host serves it: the first
# menu frame after navigation and the bytes before it, the same over an
# emulated slow link (1.5 Mbit/s, 150 ms) from a plain server that does not
# compress, with and without Content-Length, all bytes, the main
# thread's busy share and frame rate in play, and the crowded frame of the
# engine benchmark as wasm in the same chromium beside the native one. Not
# pinned to one core, unlike bench/run.sh: chromium's processes starve there.
#   bench/web/run.sh [loads]
set -euo pipefail
cd "$(dirname "$0")/../.."
tools/deps.sh chromium
[ tests/web/node_modules/.package-lock.json -nt tests/web/package-lock.json ] ||
  (cd tests/web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --silent --no-audit --no-fund)
./web.sh >/dev/null
NODE_PATH=/usr/share/nodejs cmake --build build-web/wasm --target crowded_frame >/dev/null
cmake --build build --target crowded_frame >/dev/null
# the native crowded frame three times; bench.mjs runs the wasm one as often
native=$(cd build/run && for run in 1 2 3; do SDL_AUDIODRIVER=dummy ../bench/web/crowded_frame 2>/dev/null; done)
node bench/web/bench.mjs build-web/site build-web/wasm/bench "${1:-5}" "$native"
