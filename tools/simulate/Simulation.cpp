// The simulation behind the simulate command.
#include "tools/simulate/Simulation.h"
#include <SDL.h>
#include <cstring>
#include "Game/Game.h"
#include "Platform/GameResources.h"
#include "Platform/Input.h"

static uint64_t Fnv(uint64_t h, const void *data, size_t n)
{
	const uint8_t *p = (const uint8_t *)data;
	for (size_t i = 0; i < n; i++) h = (h ^ p[i]) * 1099511628211ull;
	return h;
}

// Every sound the game starts, in turn (HearMixerCall).
static uint64_t heardhash = 1469598103934665603ull;
void HearMixerCall(uint32_t what) { heardhash = Fnv(heardhash, &what, sizeof what); }

bool StartSimulation(Simulation *self, uint64_t botseed, std::string *problem)
{
	if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_TIMER) < 0) {
		*problem = SDL_GetError();
		return false;
	}
	InitializeGame();
	char text[256];
	if (!CheckGameResources(game.resources, text, sizeof text)) {
		*problem = text;
		return false;
	}
	self->pixels.assign(320 * 240, 0);
	InitializeBitmap(&self->screen, 320, 240, 320 * 4, self->pixels.data());
	self->botstate = botseed * 0x9E3779B97F4A7C15ull + 1;
	self->lastbuttons = 0;
	self->drawnhash = 1469598103934665603ull;
	StartGame();
	return true;
}

static uint32_t BotRandom(Simulation *self)
{
	self->botstate = self->botstate * 6364136223846793005ull + 1442695040888963407ull;
	return (uint32_t)(self->botstate >> 33);
}

// Flies at a drifting height, turns towards the nearest enemy, fires all the
// time and steps out of the way of bullets coming close.
uint32_t BotButtons(Simulation *self)
{
	Player *p = &game.player;
	uint32_t buttons = Fire1Button;
	if (IsGameOver()) return (game.timer & 32) ? (uint32_t)Fire1Button : 0u;
	int32_t targety = (int32_t)(120 + 80 * isin(game.timer * 3) / 4096) << 12;
	Object *nearest = nullptr;
	int32_t best = INT32_MAX;
	for (Object *e = game.enemies.first; e; e = e->next) {
		int32_t d = idistance(XCoordDifference(e->x, p->x), YCoordDifference(e->y, p->y));
		if (d < best) best = d, nearest = e;
	}
	if (nearest) {
		int32_t dx = XCoordDifference(nearest->x, p->x);
		buttons |= dx < 0 ? LeftButton : RightButton;
		if (best < (80 << 12)) buttons ^= LeftButton | RightButton;  // too close: back off
		targety = nearest->y;
	}
	for (Object *b = game.enemybullets.first; b; b = b->next) {
		int32_t dx = XCoordDifference(b->x, p->x), dy = YCoordDifference(b->y, p->y);
		if (dx > -(24 << 12) && dx < (24 << 12) && dy > -(24 << 12) && dy < (24 << 12))
			targety = p->y + (dy > 0 ? -(40 << 12) : (40 << 12));
	}
	if (targety < p->y - (4 << 12)) buttons |= UpButton;
	if (targety > p->y + (4 << 12)) buttons |= DownButton;
	if (BotRandom(self) % 16 == 0) buttons |= Fire4Button;
	return buttons;
}

void StepSimulation(Simulation *self, uint32_t buttons)
{
	if (IsGameOver() && (self->lastbuttons & Fire1Button) == 0 && (buttons & Fire1Button)) StartGame();
	self->lastbuttons = buttons;
	RunGame(buttons & LeftButton, buttons & RightButton, buttons & UpButton, buttons & DownButton, buttons & Fire1Button,
		buttons & Fire4Button, buttons & Fire2Button);
	DrawGame(&self->screen);
	// a pixel at a time: a byte at a time made long runs slow
	for (Pixel p : self->pixels) self->drawnhash = (self->drawnhash ^ p) * 1099511628211ull;
}

void MeasureSimulation(Simulation *self, SimulationFigures *f)
{
	ObjectList *lists[7] = {&game.controllers, &game.enemies, &game.enemybullets, &game.playerbullets, &game.items,
		&game.decorations, &game.newdecorations};
	uint64_t h = 1469598103934665603ull;
	size_t listed = 0;
	const uint8_t *low = game.allocatorstorage, *high = game.allocatorstorage + sizeof game.allocatorstorage;
	for (int i = 0; i < 7; i++) {
		f->alive[i] = 0;
		for (Object *o = lists[i]->first; o; o = o->next) {
			f->alive[i]++;
			if ((const uint8_t *)o < low || (const uint8_t *)o >= high || f->alive[i] > MaximumNumberOfObjects) {
				f->consistent = false;
				break;
			}
			int32_t fields[5] = {o->x, o->y, o->vx, o->vy, o->power};
			h = Fnv(h, fields, sizeof fields);
		}
		listed += f->alive[i];
	}
	if (listed != game.allocator.nummembers) f->consistent = false;
	Player *p = &game.player;
	int32_t player[8] = {p->x, p->y, p->vx, p->vy, p->frame, p->dir, p->lives, game.score};
	h = Fnv(h, player, sizeof player);
	h = Fnv(h, &game.timer, sizeof game.timer);
	f->statehash = Fnv(h, &heardhash, sizeof heardhash);
	f->pixelhash = Fnv(1469598103934665603ull, self->pixels.data(), self->pixels.size() * 4);
	f->drawnhash = self->drawnhash;
	f->score = game.score;
	f->lives = game.player.lives;
}
