# Started from a folder without the complete bundle set, zep opens no menu:
# it says on stderr which file is missing or damaged and which folder it
# looked in, and ends with exit code 1. Runs on SDL's dummy video driver.
source "$(dirname "$0")/lib.bash"
export SDL_VIDEODRIVER=dummy
FOLDER=$(mktemp -d)
trap 'rm -rf "$FOLDER" "$FOLDER.err"; Cleanup' EXIT
ZEP=$(realpath "$RUNDIR/zep")

# ExpectRefusal <what stderr must name>: zep, started in $FOLDER, refuses.
ExpectRefusal()
{
	(cd "$FOLDER" && timeout $((10 * SLOW)) "$ZEP") >/dev/null 2>"$FOLDER.err"
	local code=$?
	echo "zep said: $(cat "$FOLDER.err")"
	[ "$code" = 1 ] || Fail "exit code $code, expected 1"
	grep -qF -- "$1" "$FOLDER.err" || Fail "the message does not name $1"
	grep -qF -- "$FOLDER" "$FOLDER.err" || Fail "the message does not name the folder $FOLDER"
}

ExpectRefusal '"Graphics/Sprites.laser"'
RequireBundles
bundles=(Graphics/Sprites Graphics/Title Graphics/Backgrounds/NightSky Sounds)
mkdir -p "$FOLDER/Graphics/Backgrounds"
for b in "${bundles[@]}"; do cp "$RUNDIR/$b.laser" "$FOLDER/$b.laser"; done

# each picture bundle missing in turn, the others there (without the sounds
# zep plays silently: tests/e2e/bundles.sh)
for b in "${bundles[@]:0:3}"; do
	mv "$FOLDER/$b.laser" "$FOLDER/$b.away"
	ExpectRefusal "\"$b.laser\""
	mv "$FOLDER/$b.away" "$FOLDER/$b.laser"
done
# a damaged title bundle: cut off in the middle
head -c "$(($(stat -c %s "$FOLDER/Graphics/Title.laser") / 2))" "$RUNDIR/Graphics/Title.laser" >"$FOLDER/Graphics/Title.laser"
ExpectRefusal '"Graphics/Title.laser"'
