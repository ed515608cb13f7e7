// The one game record. It lives here rather than beside the game logic so the
// object system and its tests can link without the game's content.
#include "Game/Game.h"

Game game;
