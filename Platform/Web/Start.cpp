// The browser's entry: the keys for the page to keep, the screen, then the
// game, then a word to the page, which says that the game has ended and why
// (a page cannot close its tab).
#include "Platform/EntryPoint.h"
#include "Platform/KeyButtons.h"
#include "Platform/PixelDoubledScreen.h"
#include "Platform/Web/Web.h"

int main()
{
	static const char *names[NumberOfKeyButtons];
	static uint32_t bits[NumberOfKeyButtons];
	for (int i = 0; i < NumberOfKeyButtons; i++) names[i] = KeyButtons[i].name, bits[i] = KeyButtons[i].button;
	zep_keys(names, bits, NumberOfKeyButtons);
	EndStatus status = _InitializeScreen() ? EntryPoint() : EndedPlatformFailed;
	zep_ended(status);
	return status;
}
