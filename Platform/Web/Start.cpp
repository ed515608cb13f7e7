// The browser's entry: the screen, then the game, then a word to the page,
// which says that the game has ended (a page cannot close its tab).
#include "Game/Main.h"
#include "Platform/PixelDoubledScreen.h"
#include "Platform/Web/Web.h"

int main()
{
	if (!_InitializeScreen()) {
		zep_ended(1);
		return 1;
	}
	EntryPoint();
	zep_ended(0);
	return 0;
}
