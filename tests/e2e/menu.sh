# The title menu, the credits and play: the menu opens with "Start game"
# highlighted, Down and Up move the highlight one item at a time and wrap at
# both ends; "Credits" opens the credits, Escape and Z each return to the
# menu, which keeps "Credits" selected. "Start game" starts a game showing the
# sky, the player and the score "Score: 00000"; Escape returns to a fresh menu
# with "Start game" highlighted; a second game starts the same way; "Quit"
# ends zep with exit code 0 (Escape in the menu: launcher.sh).
source "$(dirname "$0")/lib.bash"
Begin
Menu 0 menu
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
Play second-game z
Menu 0 menu-again Escape
Menu 2 quit-selected Up
Press z
ExpectExit 0
