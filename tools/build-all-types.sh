#!/usr/bin/env bash
# Builds everything (game, tools, tests, benchmarks) in each build type with
# GCC and with Clang, warnings as errors, and prints one line per build.
# "None" gets Debian's packaging flags from dpkg-buildflags, as a package
# build would. Usage: tools/build-all-types.sh [folder for the builds]
set -uo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$src/build-types}
mkdir -p "$out"
failed=0
for cc in gcc clang; do
  for type in Debug Release RelWithDebInfo MinSizeRel None; do
    dir=$out/$cc-$type
    rm -rf "$dir"
    if [ $cc = gcc ]; then export CC=gcc CXX=g++; else export CC=clang CXX=clang++; fi
    unset CFLAGS CXXFLAGS LDFLAGS
    if [ $type = None ]; then
      export CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
      export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
      export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
    fi
    if cmake -S "$src" -B "$dir" -DCMAKE_BUILD_TYPE=$type -DZEP_WERROR=ON >"$dir.log" 2>&1 &&
      cmake --build "$dir" -j2 >>"$dir.log" 2>&1; then result=built; else result=FAILED; failed=1; fi
    echo "$cc $type: $result, $(grep -c 'warning:' "$dir.log") warnings (log: $dir.log)"
  done
done
exit $failed
