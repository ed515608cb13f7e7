// zepprobe's one reach into the X server, kept apart from the engine's
// headers because Xlib's own "Font" would clash with the engine's.
#pragma once

// Asks every top-level window of class "zep" on $DISPLAY to close, as a
// window manager does: 0 when one was asked, 1 when there is none, 2 when
// the display cannot be opened.
int CloseGameWindow();
