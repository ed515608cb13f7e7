# Shared steps of the end-to-end tests, sourced by each tests/e2e/*.sh, which
# CTest runs as: bash <test>.sh <run folder> <zepprobe> <screenshot folder>.
# A test starts its own Xvfb, starts zep from the run folder, presses keys
# with xdotool, waits for screenshots to show what it expects, and checks how
# zep ends. Needs Xvfb, xdotool and ImageMagick. ZEP_E2E_SLOW (default 1)
# multiplies every wait and key hold, for slower builds (the sanitizers).
set -uo pipefail
RUNDIR=$1 PROBE=$2 SHOTS=$3
TEST=$(basename "$0" .sh) SLOW=${ZEP_E2E_SLOW:-1}
mkdir -p "$SHOTS"
rm -f "$SHOTS/$TEST"-*.png
XVFB='' GAME='' STEP=0

Fail() { echo "FAIL: $*"; exit 1; }
# Seconds for <milliseconds>, times SLOW.
Ms() { printf '%d.%03d' $(($1 * SLOW / 1000)) $(($1 * SLOW % 1000)); }

Cleanup() { kill $GAME $XVFB 2>/dev/null; wait 2>/dev/null; }
trap Cleanup EXIT

# Tests of play need the four bundles; until they are built there is nothing to play.
RequireBundles()
{
	for b in Graphics/Sprites Graphics/Title Graphics/Backgrounds/NightSky Sounds; do
		[ -f "$RUNDIR/$b.laser" ] || { echo "SKIP: $RUNDIR/$b.laser has not been built"; exit 77; }
	done
}

# A 640x480 screen that the window fills, on a display nobody uses; -noreset,
# or the server refuses connections while it resets after its last client.
StartX()
{
	local fifo
	fifo=$(mktemp -u) && mkfifo "$fifo" || Fail "no fifo"
	Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
	XVFB=$!
	read -r -t $((10 * SLOW)) display <"$fifo" || Fail "Xvfb did not start"
	rm -f "$fifo"
	export DISPLAY=":$display"
	unset SDL_VIDEODRIVER
}

StartGame() { (cd "$RUNDIR" && exec ./zep) & GAME=$!; }

# Screenshot into <test>-<step>-<what>.png; the last one of a step is kept.
Shoot() { SHOT="$SHOTS/$TEST-$(printf %02d "$STEP")-$1.png"; import -window root "$SHOT" 2>/dev/null; }

# WaitFor <what> <check> ...: screenshots until one passes every check, for
# up to 10 seconds (times SLOW). A check is a zepprobe command line without
# the program and the file, in shell quoting: "text 8 312 4 right white 'Score: 00000'".
WaitFor()
{
	local what=$1 deadline=$((SECONDS + 10 * SLOW)) check out ok
	shift
	STEP=$((STEP + 1))
	while :; do
		kill -0 "$GAME" 2>/dev/null || { wait "$GAME"; Fail "zep ended with exit code $? while waiting for $what"; }
		Shoot "$what"
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

# A press long enough for a 60 Hz loop to see the key down and then up.
Press() { xdotool keydown "$1" && sleep "$(Ms 150)" && xdotool keyup "$1" && sleep "$(Ms 50)"; }

CloseWindow() { "$PROBE" close || Fail "could not close the window"; }

# ExpectExit <code>: zep must end within 10 seconds (times SLOW) with that exit code.
ExpectExit()
{
	local deadline=$((SECONDS + 10 * SLOW)) code
	while kill -0 "$GAME" 2>/dev/null; do
		[ $SECONDS -ge $deadline ] && Fail "zep still runs, expected it to end with $1" || sleep 0.1
	done
	wait "$GAME"; code=$? GAME=''
	[ "$code" = "$1" ] || Fail "zep ended with exit code $code, expected $1"
	echo "zep ended with exit code $code"
}

# The checks of each screen, left in CHECKS. The menu's with the highlight
# on item <0|1|2>:
MenuChecks()
{
	local items=("'Start game'" Credits Quit) i colour=(text text text)
	colour[$1]=highlight CHECKS=()
	for i in 0 1 2; do CHECKS+=("text 12 187 $((140 + 16 * i)) left ${colour[$i]} ${items[$i]}"); done
	CHECKS+=("text 8 190 207 left text 'Arrow keys to move,'" "text 8 190 216 left text 'Z to fire (and select),'"
		"text 8 190 225 left text 'Left shift to focus fire.'" "text 8 230 2 left text 'zEP beta version'")
}

CreditsChecks()
{
	CHECKS=("text 8 180 140 left text 'Code & Graphics:'" "text 16 189 152 left text Quillon"
		"text 8 180 176 left text 'Audio & Title Art:'" "text 16 189 188 left text Ambrel"
		"text 12 200 216 left highlight OK")
}

# Play has begun: the score line, the sky and, once the view has settled 80
# pixels ahead of it, the player at its starting place (world 100, 100).
PlayChecks()
{
	CHECKS=("text 8 312 4 right white 'Score: 00000'" "sprite Graphics/Sprites/OL 68 86 3" "sky -160 40")
}
