#!/usr/bin/env bash
# Sets up, builds and starts zEP.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target all
cd build/run
exec ./zep
