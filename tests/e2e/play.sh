# Play: "Start game" starts a game showing the sky, the player and the score
# "Score: 00000"; Escape returns to a fresh menu with "Start game"
# highlighted; a second game starts the same way; "Quit" ends with exit code 0.
source "$(dirname "$0")/lib.bash"
RequireBundles
StartX
StartGame
MenuChecks 0; WaitFor menu "${CHECKS[@]}"
Press z
PlayChecks; WaitFor play "${CHECKS[@]}"
Press Escape
MenuChecks 0; WaitFor menu-after-play "${CHECKS[@]}"
Press z
PlayChecks; WaitFor second-game "${CHECKS[@]}"
Press Escape
MenuChecks 0; WaitFor menu-again "${CHECKS[@]}"
Press Up
MenuChecks 2; WaitFor quit-selected "${CHECKS[@]}"
Press z
ExpectExit 0
