# Play: "Start game" starts a game showing the sky, the player and the score
# "Score: 00000"; Escape returns to a fresh menu with "Start game"
# highlighted; a second game starts the same way; "Quit" ends with exit code 0.
source "$(dirname "$0")/lib.bash"
Begin
Menu 0 menu
Play play z
Menu 0 menu-after-play Escape
Play second-game z
Menu 0 menu-again Escape
Menu 2 quit-selected Up
Press z
ExpectExit 0
