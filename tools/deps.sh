#!/usr/bin/env bash
# Installs the Debian packages zEP needs to build, test and play. Idempotent:
# quiet when everything is there already. Further packages may be named on
# the command line (web.sh and test.sh name the browser build's).
set -euo pipefail
packages=("$@" build-essential cmake pkg-config libgtest-dev libbenchmark-dev
  libsdl1.2-dev libsdl-mixer1.2-dev libvorbis-dev zlib1g-dev libpng-dev
  xvfb xdotool imagemagick x11-utils clang libclang-rt-14-dev
  dpkg-dev lintian desktop-file-utils appstream)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
