# The title menu: it opens with "Start game" highlighted, Down and Up move the
# highlight one item at a time and wrap at both ends, and Escape ends zep
# with exit code 0.
source "$(dirname "$0")/lib.bash"
RequireBundles
StartX
StartGame
MenuChecks 0; WaitFor menu "${CHECKS[@]}"
Press Down
MenuChecks 1; WaitFor down-to-credits "${CHECKS[@]}"
Press Down
MenuChecks 2; WaitFor down-to-quit "${CHECKS[@]}"
Press Down
MenuChecks 0; WaitFor down-wraps-to-start "${CHECKS[@]}"
Press Up
MenuChecks 2; WaitFor up-wraps-to-quit "${CHECKS[@]}"
Press Escape
ExpectExit 0
