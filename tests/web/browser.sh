# The browser build against the desktop game: the desktop zep's title menu
# is shot in Xvfb as the end-to-end tests shoot it, then browser_test.mjs
# plays the site (web.sh's build-web/site) in chromium and compares.
#   bash browser.sh <run folder> <zepprobe> <screenshot folder> <site>
source "$(dirname "$0")/../e2e/lib.bash"
SITE=$4
[ -f "$SITE/zep.wasm" ] || { echo "SKIP: $SITE has not been built (./web.sh)"; exit 77; }
Begin
Menu 0 desktop-menu
kill "$GAME" && wait "$GAME"
GAME=''
convert "$SHOT" "rgb:$SHOTS/$TEST-desktop-menu.rgb" || Fail "no raw copy of $SHOT"
node "$(dirname "$0")/browser_test.mjs" "$SITE" "$RUNDIR" "$PROBE" "$SHOTS" "$SHOTS/$TEST-desktop-menu.rgb"
