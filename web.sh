#!/usr/bin/env bash
# Builds zEP for the browser: the native tools draw, render and pack the
# bundles (in build, as ./play.sh does), then Emscripten compiles the same
# sources with Platform/Web into build-web/site, a self-contained site, and
# zips it for a game portal (build-web/zep-web-<version>.zip). Serve it with
#   python3 -m http.server -d build-web/site
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh emscripten
# Debian's emcc runs its JavaScript tools on the first node of PATH, which
# finds Debian's modules only through NODE_PATH when it is not Debian's own.
export NODE_PATH=/usr/share/nodejs
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target zep-pictures zep-sounds zep-fonts
site=$PWD/build-web/site
emcmake cmake -S . -B build-web/wasm -DCMAKE_BUILD_TYPE=Release -DZEP_HOST_BUILD="$PWD/build" \
  -DZEP_SITE_DIR="$site" "$@" >/dev/null
cmake --build build-web/wasm -j"$(nproc)"
echo "zEP for the browser: $site/index.html, and the same as build-web/zep-web-*.zip"
