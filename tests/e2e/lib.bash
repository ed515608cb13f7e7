# Shared steps of the end-to-end tests (bash <test>.sh <run folder> <zepprobe>
# <screenshot folder>): each starts its own Xvfb and zep, presses keys with
# xdotool and waits for screenshots (ImageMagick) to show what it expects.
# ZEP_E2E_SLOW (default 1) multiplies every wait and key hold, for slower builds.
set -uo pipefail
RUNDIR=$1 PROBE=$2 SHOTS=$3
TEST=$(basename "$0" .sh) SLOW=${ZEP_E2E_SLOW:-1}
mkdir -p "$SHOTS"
rm -f "$SHOTS/$TEST"-*
XVFB='' GAME='' STEP=0 ERR=$SHOTS/$TEST-stderr.txt
BUNDLES=(Graphics/Sprites Graphics/Title Graphics/Backgrounds/NightSky Sounds)

Fail() { echo "FAIL: $*"; exit 1; }
Cleanup() { kill $GAME $XVFB 2>/dev/null; wait 2>/dev/null; }
trap Cleanup EXIT

# Tests of play need the four bundles; until they are built there is nothing to play.
RequireBundles()
{
	for b in "${BUNDLES[@]}"; do
		[ -f "$RUNDIR/$b.laser" ] || { echo "SKIP: $RUNDIR/$b.laser has not been built"; exit 77; }
	done
}

# A 640x480 screen that the window fills (StartX <width>x<height>: a bigger
# one), on a display nobody uses; -noreset,
# or the server refuses connections while it resets after its last client;
# -r, or a key held across a slow frame repeats as a new press.
StartX()
{
	local fifo
	fifo=$(mktemp -u) && mkfifo "$fifo" || Fail "no fifo"
	Xvfb -displayfd 3 -screen 0 "${1:-640x480}x24" -nolisten tcp -noreset -r 3>"$fifo" >/dev/null 2>&1 &
	XVFB=$!
	read -r -t $((10 * SLOW)) display <"$fifo" || Fail "Xvfb did not start"
	rm -f "$fifo"
	export DISPLAY=":$display"
	unset SDL_VIDEODRIVER
}

# zep started in the run folder, what it says kept in $ERR.
StartGame() { (cd "$RUNDIR" && exec ./zep 2>"$ERR") & GAME=$!; }
Begin() { RequireBundles; StartX; StartGame; }

# WaitFor <what> <check> ...: screenshots into <test>-<step>-<what>.png until
# one passes every check (zepprobe's arguments but the file, shell-quoted),
# for up to 10 seconds (times SLOW).
WaitFor()
{
	local what=$1 deadline=$((SECONDS + 10 * SLOW)) check out ok
	shift
	STEP=$((STEP + 1))
	SHOT="$SHOTS/$TEST-$(printf %02d "$STEP")-$what.png"
	while :; do
		kill -0 "$GAME" 2>/dev/null || { wait "$GAME"; Fail "zep ended with exit code $? while waiting for $what"; }
		import -window root "$SHOT" 2>/dev/null
		ok=1 out=''
		for check in "$@"; do
			eval "local args=($check)"
			out+=$(cd "$RUNDIR" && "$PROBE" "${args[0]}" "$SHOT" "${args[@]:1}")$'\n' || { ok=0; break; }
		done
		[ $ok = 1 ] && { echo "seen $what:"; printf '%s' "$out" | sed 's/^/  /'; return 0; }
		[ $SECONDS -ge $deadline ] && { printf '%s' "$out"; Fail "$what not seen (last screenshot $SHOT)"; }
		sleep 0.2
	done
}

# Menu <highlighted item: 0|1|2> <what> [key ...], Credits <what> [key ...],
# Play <what> [key ...]: the keys pressed, then WaitFor that screen. Play has
# begun with the score line, the sky and, once the view has settled 80 pixels
# ahead of it, the player at its starting place (world 100, 100): PLAYING.
PLAYING=("text 8 312 4 right white 'Score: 00000'" "sprite Graphics/Sprites/OL 68 86 3" "sky -160 40")
Menu() { Press "${@:3}"; WaitFor "$2" "menu $1"; }
Credits() { Press "${@:2}"; WaitFor "$1" credits; }
Play() { Press "${@:2}"; WaitFor "$1" "${PLAYING[@]}"; }

# Press <key> ...: each long enough for a 60 Hz loop to see it down and then up.
Ms() { printf '%d.%03d' $(($1 * SLOW / 1000)) $(($1 * SLOW % 1000)); }
Press() { for key; do xdotool keydown "$key" && sleep "$(Ms 150)" && xdotool keyup "$key" && sleep "$(Ms 50)"; done; }

# Closes zep's window as a window manager does.
CloseWindow() { "$PROBE" close "$(xdotool search --class '^zep$' | head -1)" || Fail "could not close zep's window"; }

# ExpectExit <code>: zep must end with that exit code within 10 seconds (times SLOW).
ExpectExit()
{
	local deadline=$((SECONDS + 10 * SLOW)) code
	while kill -0 "$GAME" 2>/dev/null; do
		[ $SECONDS -ge $deadline ] && Fail "zep still runs, expected it to end with $1" || sleep 0.1
	done
	wait "$GAME"; code=$? GAME=''
	[ "$code" = "$1" ] || { cat "$ERR"; Fail "zep ended with exit code $code, expected $1"; }
}
