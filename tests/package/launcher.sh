# An installed copy (cmake --install) started by its launcher from another
# folder finds its bundles and shows the title menu in a real X server;
# Escape there ends it with exit code 0.
#   bash launcher.sh <prefix>/share/games/zep <zepprobe> <shots> <cmake> <build> <prefix>
source "$(dirname "$0")/../e2e/lib.bash"
CMAKE=$4 BUILD=$5 PREFIX=$6
rm -rf "$PREFIX"
"$CMAKE" --install "$BUILD" --prefix "$PREFIX" >"$ERR" 2>&1 || Fail "cmake --install failed: $(cat "$ERR")"
StartX
(cd / && exec "$PREFIX/games/zep" 2>"$ERR") & GAME=$!
Menu 0 menu
Press Escape
ExpectExit 0
