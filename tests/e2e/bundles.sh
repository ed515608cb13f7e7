# Bundles from another writer and incomplete sets. zep started on a complete
# set rewritten with every entry's data 1 to 3 bytes past a 4-byte boundary
# shows the title menu; without Sounds.laser it shows the menu and plays,
# saying once what it plays without; with a broken sprite bundle it ends with
# exit code 1 and a message naming the entry, the fault and its offset.
source "$(dirname "$0")/lib.bash"
RequireBundles
LASERPACK=$(realpath "$RUNDIR/../tools/laserpack/laserpack")
FOLDER=$(mktemp -d)
trap 'rm -rf "$FOLDER" "$FOLDER.err"; Cleanup' EXIT
mkdir -p "$FOLDER/Graphics/Backgrounds"
ln -s "$(realpath "$RUNDIR/zep")" "$FOLDER/zep"
skew=1
for b in Graphics/Sprites Graphics/Title Graphics/Backgrounds/NightSky Sounds; do
	"$LASERPACK" --skew $skew "$RUNDIR/$b.laser" "$FOLDER/$b.laser" || Fail "cannot rewrite $b.laser"
	skew=$((skew % 3 + 1))
done
RUNDIR=$FOLDER  # zep and zepprobe read the rewritten bundles
StartZep() { (cd "$RUNDIR" && exec ./zep 2>"$FOLDER.err") & GAME=$!; }
StartX
StartZep
MenuChecks 0; WaitFor unaligned-menu "${CHECKS[@]}"
Press Escape
ExpectExit 0

rm "$FOLDER/Sounds.laser"
StartZep
MenuChecks 0; WaitFor menu-without-sounds "${CHECKS[@]}"
Press z
PlayChecks; WaitFor play-without-sounds "${CHECKS[@]}"
CloseWindow
ExpectExit 0
echo "zep said: $(cat "$FOLDER.err")"
grep -qF 'plays without some of its sounds: the bundle file "Sounds.laser" is missing' "$FOLDER.err" || Fail "not said"
# (the sanitizer build adds its own report to stderr: count zep's lines only)
[ "$(grep -c '^zEP' "$FOLDER.err")" = 1 ] || Fail "said more than once"

# the first span of the first picture of the first sprite entry made 65535 pixels wide
sprites=$FOLDER/Graphics/Sprites.laser
Word() { od -An -tu4 -j"$1" -N4 "$sprites" | tr -d ' '; }
entry=$(Word 140)
span=$((entry + $(Word "$entry") + 8))
name=$(dd if="$sprites" bs=1 skip=152 count=32 2>/dev/null | tr -d '\0')
printf '\377\377' | dd of="$sprites" bs=1 seek=$span conv=notrunc 2>/dev/null
(cd "$FOLDER" && timeout 10 ./zep) 2>"$FOLDER.err"
code=$?
echo "zep said: $(cat "$FOLDER.err")"
[ "$code" = 1 ] || Fail "exit code $code, expected 1"
grep -qF "Sprites.laser: entry \"$name\", frame 0: row 0 runs past the image's width of" "$FOLDER.err" || Fail "not named"
grep -qF "at offset $(printf 0x%x $span)" "$FOLDER.err" || Fail "the offset is not named"
