// The game logic: loading everything once, starting a game, one frame of the
// world in a fixed order, and drawing it back to front with the status line.
#include <cstdio>
#include <initializer_list>
#include "Game/Controllers.h"
#include "Game/Font.h"
#include "Game/Game.h"
#include "Game/Layout.h"
#include "Graphics/Drawing.h"
#include "Graphics/Pixels/Construction32.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceLoader.h"
#include "Platform/PixelDoubledScreen.h"

static ObjectList *const AllLists[7] = {&game.controllers, &game.enemies, &game.enemybullets, &game.playerbullets,
	&game.items, &game.decorations, &game.newdecorations};

static const char *const Sounds[8] = {"Sounds/bulletcontact", "Sounds/dash", "Sounds/enemybullet", "Sounds/enemyexplode",
	"Sounds/health", "Sounds/zorvabullet", "Sounds/pichun", "Sounds/points"};

static void DisplayLoadingProgress()
{
	int progress;
	while ((progress = ResourceLoadingProgress(game.loader)) != 100) {
		Bitmap *screen = StartScreenUpdates();
		int w = ScreenWidth(), h = ScreenHeight();
		FillBitmap(screen, RGB(0, 64, 0));
		DrawRectangle(screen, 32, h / 2 - 16, w - 64, 32, RGB(224, 255, 224));
		DrawFilledRectangle(screen, 34, h / 2 - 14, (w - 68) * progress / 100, 28, RGB(224, 255, 224));
		EndScreenUpdates();
	}
}

// One batch of every game bundle: bundles already resident stay in place.
// Only a loader that works in the background ever shows the bar.
static void RequestGameBundles()
{
	StartRequestingResourceBundles(game.loader);
	for (const char *bundle : GameBundleNames) RequestResourceBundle(game.loader, bundle);
	EndRequestingResourceBundles(game.loader);
	DisplayLoadingProgress();
	game.resources = ResourceBundleList(game.loader);
}

// Sounds and music are optional, and what is missing is said once: not
// while a platform still fetches bundles the loader found no file for.
static void LoadGameSounds()
{
	char problem[300];
	if (game.loader && !MayResourceBundlesArrive() && !CheckGameSounds(game.resources, problem, sizeof problem))
		fprintf(stderr, "zEP plays without some of its sounds: %s\n", problem);
	for (const char *sound : Sounds) LoadSound(&game.audio, sound);
	LoadMusic(&game.audio, "Sounds/oladventure");
	SetMusicVolume(&game.audio, 0.7f);
}

// Pictures are checked by the caller, which refuses to start without them.
bool InitializeGame()
{
	game.loader = AllocResourceLoader();
	game.resources = nullptr;
	if (game.loader) RequestGameBundles();
	else fprintf(stderr, "zEP: no memory for the resource loader\n");
	InitializeSimpleAllocator(&game.allocator, MaximumObjectSize, MaximumNumberOfObjects, game.allocatorstorage);
	game.objectcounter = 0;
	for (ObjectList *list : AllLists) InitializeObjectList(list);
	InitializeNightSky(&game.background);
	InitializeAudioMixer(&game.audio, 1, 15);
	LoadGameSounds();
	game.star = (RLEBitmap **)DataForResourceWithName(game.resources, "Graphics/Sprites/Star", nullptr);
	game.warning = (RLEBitmap **)DataForResourceWithName(game.resources, "Graphics/Sprites/Warning", nullptr);
	return game.loader != nullptr;
}

void PickUpLateSounds()
{
	if (!game.loader || !HaveResourceBundlesArrived(game.loader)) return;
	RequestGameBundles();
	LoadGameSounds();
}

void CleanupGame()
{
	for (ObjectList *list : AllLists) CleanupObjectList(list);
	CleanupAudioMixer(&game.audio);
	FreeResourceLoader(game.loader);
	game.loader = nullptr;
	game.resources = nullptr;
}

void StartGame()
{
	for (ObjectList *list : AllLists) CleanupObjectList(list);
	InitializePlayer(&game.player);
	NewMainController();
	game.xmask = 0x7fffff;
	game.x0 = game.y0 = game.viewx = 0;
	game.score = 0;
}

bool IsGameOver() { return IsPlayerOutOfLives(&game.player); }

// The view leads the player in its facing direction and closes 1/16 of the
// remaining distance a frame, at most 4 pixels beyond the player's own speed.
static void FollowPlayer(bool focus)
{
	Player *p = &game.player;
	int32_t lead = !IsPlayerDead(p) && focus ? 0x78000 : 0x50000;
	int32_t aimx = (int32_t)((uint32_t)p->x + (uint32_t)(p->dir * lead));
	int32_t force = (int32_t)((uint32_t)aimx - (uint32_t)game.viewx) / 16;
	const int32_t maxforce = 0x4000;
	if (force > maxforce) force = maxforce;
	if (force < -maxforce) force = -maxforce;
	game.viewx = (int32_t)((uint32_t)game.viewx + (uint32_t)p->vx + (uint32_t)force);
	game.x0 = FixedToInt(game.viewx) - 160;
}

void RunGame(bool left, bool right, bool up, bool down, bool fire, bool focus, bool bomb)
{
	int oldscore = game.score;
	RunPlayer(&game.player, left, right, up, down, fire, focus, bomb);
	FollowPlayer(focus);
	RunObjectList(&game.controllers);
	RunAndMoveObjectList(&game.enemies);
	RunAndMoveObjectList(&game.enemybullets);
	RunAndMoveObjectList(&game.playerbullets);
	RunAndMoveObjectList(&game.items);
	MergeObjectLists(&game.decorations, &game.newdecorations);
	RunAndMoveObjectList(&game.decorations);
	ClipObjectListAgainstScreen(&game.playerbullets, -32, ScreenWidth() + 32, -32, ScreenHeight() + 32);
	for (ObjectList *list : {&game.enemies, &game.enemybullets, &game.playerbullets, &game.items, &game.decorations})
		CalculateExtentsForObjectList(list);
	InsertionSortObjectList(&game.enemies);
	InsertionSortObjectList(&game.playerbullets);
	InsertionSortObjectList(&game.enemybullets);
	CollideSortedObjectLists(&game.enemies, &game.playerbullets);
	CollidePlayer(&game.player);
	int extralives = game.score / 500 - oldscore / 500;
	if (extralives != 0) {
		game.player.lives += extralives;
		PlaySound(&game.audio, "Sounds/points", 1.0f);
	}
	game.timer++;
}

// The lives beyond the current one, growing leftwards from x = 296.
static void DrawLives(Bitmap *screen)
{
	if (!game.star || !game.star[0] || !game.star[1]) return;
	int maxlives = game.player.lives > 3 ? game.player.lives : 3;
	for (int i = 1; i < maxlives; i++)
		DrawRLEBitmap(screen, game.star[game.player.lives > i ? 1 : 0], 312 - 16 * i, 224);
}

void DrawGame(Bitmap *screen)
{
	DrawParallaxBackground(&game.background, screen, game.x0);
	DrawPlayer(&game.player, screen);
	for (ObjectList *list : {&game.enemies, &game.decorations, &game.items, &game.enemybullets, &game.playerbullets})
		DrawObjectList(list, screen);
	DrawLives(screen);
	char text[64];
	snprintf(text, sizeof text, "Score: %05d", game.score);
	DrawStringToTheLeftOf(screen, &OL8Font, 312, 4, RGB(255, 255, 255), text);
	if (IsPlayerOutOfLives(&game.player))
		DrawStringCenteredInRectangle(screen, &OL12Font, 0, 0, 320, 240, RGB(255, 255, 255), "Game Over");
}
