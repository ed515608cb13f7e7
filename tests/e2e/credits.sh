# The credits: "Credits" opens them, Escape and Z each return to the menu,
# which keeps "Credits" selected; "Quit" then ends zep with exit code 0.
source "$(dirname "$0")/lib.bash"
RequireBundles
StartX
StartGame
MenuChecks 0; WaitFor menu "${CHECKS[@]}"
Press Down
Press z
CreditsChecks; WaitFor credits "${CHECKS[@]}"
Press Escape
MenuChecks 1; WaitFor menu-after-escape "${CHECKS[@]}"
Press z
CreditsChecks; WaitFor credits-again "${CHECKS[@]}"
Press z
MenuChecks 1; WaitFor menu-after-z "${CHECKS[@]}"
Press Down
Press z
ExpectExit 0
