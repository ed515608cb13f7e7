# The title menu and the credits: the menu opens with "Start game"
# highlighted, Down and Up move the highlight one item at a time and wrap at
# both ends; "Credits" opens the credits, Escape and Z each return to the
# menu, which keeps "Credits" selected; Escape ends zep with exit code 0.
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
Press Escape
ExpectExit 0
