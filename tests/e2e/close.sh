# Closing the window ends zep with exit code 0 wherever it is: in the menu,
# in the credits and in play.
source "$(dirname "$0")/lib.bash"
RequireBundles
StartX
StartGame
MenuChecks 0; WaitFor menu "${CHECKS[@]}"
CloseWindow
ExpectExit 0

StartGame
MenuChecks 0; WaitFor menu-before-credits "${CHECKS[@]}"
Press Down
Press z
CreditsChecks; WaitFor credits "${CHECKS[@]}"
CloseWindow
ExpectExit 0

StartGame
MenuChecks 0; WaitFor menu-before-play "${CHECKS[@]}"
Press z
CHECKS=("text 8 312 4 right white 'Score: 00000'"); WaitFor play "${CHECKS[@]}"
CloseWindow
ExpectExit 0
