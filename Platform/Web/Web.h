// What the browser build's platform files share: the calls into the page's
// JavaScript (Platform/Web/zep.js) and the bookkeeping of yields.
#pragma once
#include <cstdint>

extern "C" {
// the keys to keep in the button state: each one's browser name and bit
void zep_keys(const char *const *names, const uint32_t *bits, int count);
// the button state the page keeps from key events (Platform/Input.h bits)
uint32_t zep_buttons();
// The first connected gamepad as the browser reports it, untranslated:
// buttons pressed (bit n, up to 32), the first eight axes from -1 to 1, and
// the counts; 0 when there is none, 1 for one of the browser's "standard"
// mapping, 2 for one of another mapping.
int zep_pad(uint32_t *buttons, float *axes, int *nbuttons, int *naxes);
// 1 while the page is still fetching the sound bundle, which it puts into
// the file system when it arrives
int zep_bundles_coming();
// shows a frame of RGBA pixels, the same size every time
void zep_present(const void *pixels, int width, int height);
// tells the page that the game has ended
void zep_ended(int status);
// the page's clock in milliseconds, which stands still while the game is held
double zep_now();
// 1 while the page holds the game still (hidden, or paused by its portal)
int zep_still();
}

// Hands the main thread to the browser for at least the given milliseconds.
void YieldToBrowser(uint64_t ms);
// Whether the game has yielded since the last call.
bool TakeYield();
