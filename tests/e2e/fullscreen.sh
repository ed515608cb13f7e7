# Full screen: on a 1280x1024 screen zep opens its 640x480 window at the
# top-left. F11 shows the menu at 4x (1280x960), centred with 32 black rows
# above and below, the same item still lit; F11 again gives back the window,
# its picture as before. Alt+Enter does the same, and play goes on through
# both switches. A closed window then ends zep with 0.
source "$(dirname "$0")/lib.bash"
RequireBundles
StartX 1280x1024
StartGame

FULL="picture 4 0 32" WINDOW="picture 2 0 0"
# ExpectWindowSize: zep's window is 640x480 again, not just its picture.
ExpectWindowSize()
{
	local size
	size=$(xdotool getwindowgeometry "$(xdotool search --class '^zep$' | head -1)" | sed -n 's/.*Geometry: //p')
	[ "$size" = 640x480 ] || Fail "zep's window is $size, not 640x480"
}

WaitFor window-menu "$WINDOW" "menu 0"
BEFORE=$SHOT
ExpectWindowSize
# no window manager here: keys go to the window under the pointer
xdotool mousemove 320 240
Press F11
WaitFor full-menu "$FULL" "menu 0"
Press F11
WaitFor window-menu-again "$WINDOW" "menu 0" "same $BEFORE"
ExpectWindowSize
Press alt+Return
WaitFor full-menu-alt-enter "$FULL" "menu 0"
Press z
WaitFor full-play "$FULL" "${PLAYING[@]}"
Press alt+Return
WaitFor window-play "$WINDOW" "${PLAYING[@]}"
ExpectWindowSize
CloseWindow
ExpectExit 0
