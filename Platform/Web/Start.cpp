// The browser's entry: the screen, then the game, then a word to the page,
// which says that the game has ended and why (a page cannot close its tab).
#include "Platform/EntryPoint.h"
#include "Platform/PixelDoubledScreen.h"
#include "Platform/Web/Web.h"

int main()
{
	EndStatus status = _InitializeScreen() ? EntryPoint() : EndedPlatformFailed;
	zep_ended(status);
	return status;
}
