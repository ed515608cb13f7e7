# Bundles and the menu: without the complete set zep exits with 1, naming the
# file missing or damaged and the folder. A set rewritten with every entry's
# data 1 to 3 bytes past a 4-byte boundary plays: the menu opens with "Start
# game" highlighted, Down and Up move one item and wrap at both ends,
# "Credits" opens the credits, which Escape and Z each leave for the menu with
# "Credits" still selected; "Start game" plays, Escape returns to a fresh
# menu, "Quit" ends zep with 0. Without Sounds.laser zep plays, saying so
# once; a closed window ends play with 0. (A damaged entry named
# with its fault and offset: bundle_test's loader test.)
source "$(dirname "$0")/lib.bash"
RequireBundles
FOLDER=$(mktemp -d)
trap 'rm -rf "$FOLDER"; Cleanup' EXIT
ln -s "$(realpath "$RUNDIR/zep")" "$FOLDER/zep"

# ExpectRefusal <text> ...: zep, started in $FOLDER, ends with exit code 1
# naming each text on stderr; no window is needed for that.
ExpectRefusal()
{
	(cd "$FOLDER" && SDL_VIDEODRIVER=dummy timeout $((10 * SLOW)) ./zep) >/dev/null 2>"$ERR"
	local code=$? text
	echo "zep said: $(cat "$ERR")"
	[ "$code" = 1 ] || Fail "exit code $code, expected 1"
	for text; do grep -qF -- "$text" "$ERR" || Fail "the message does not name $text"; done
}

ExpectRefusal '"Graphics/Sprites.laser"' "$FOLDER"
mkdir -p "$FOLDER/Graphics/Backgrounds"
skew=1
for b in "${BUNDLES[@]}"; do
	"$RUNDIR/../tools/laserpack/laserpack" --skew $skew "$RUNDIR/$b.laser" "$FOLDER/$b.laser" || Fail "cannot rewrite $b.laser"
	skew=$((skew % 3 + 1))
done
# each picture bundle missing, then cut off in the middle (without the sounds zep plays)
for b in "${BUNDLES[@]:0:3}"; do
	mv "$FOLDER/$b.laser" "$FOLDER/$b.away"
	ExpectRefusal "\"$b.laser\"" "$FOLDER"
	head -c "$(($(stat -c %s "$FOLDER/$b.away") / 2))" "$FOLDER/$b.away" >"$FOLDER/$b.laser"
	ExpectRefusal "\"$b.laser\"" "$FOLDER"
	mv "$FOLDER/$b.away" "$FOLDER/$b.laser"
done

RUNDIR=$FOLDER  # zepprobe reads the rewritten bundles
StartX
StartGame
Menu 0 unaligned-menu
Menu 1 down-to-credits Down
Menu 2 down-to-quit Down
Menu 0 down-wraps-to-start Down
Menu 2 up-wraps-to-quit Up
Menu 1 up-to-credits Up
Credits credits z
Menu 1 menu-after-escape Escape
Credits credits-again z
Menu 1 menu-after-z z
Menu 0 start-selected Up
Play play z
Menu 0 menu-after-play Escape
Menu 2 quit-selected Up
Press z
ExpectExit 0

rm "$FOLDER/Sounds.laser"
StartGame
Menu 0 menu-without-sounds
Play play-without-sounds z
CloseWindow
ExpectExit 0
grep -qF 'plays without some of its sounds: the bundle file "Sounds.laser" is missing' "$ERR" || Fail "not said: $(cat "$ERR")"
[ "$(grep -c 'plays without' "$ERR")" = 1 ] || Fail "said more than once: $(cat "$ERR")"
