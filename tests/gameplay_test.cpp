// The game content with the real bundles (the tests run where the game's
// bundles are), checked against tables of its constants and against the
// random numbers replayed from a saved generator state. Sounds go to a
// recording mixer that replaces Game/AudioMixer.cpp at link time. What play
// shows and sounds like over time (hits, flashes, waves entering, deaths,
// extra lives) is the simulator's golden runs' to check, frame by frame.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "Game/Bullets.h"
#include "Game/Controllers.h"
#include "Game/Decorations.h"
#include "Game/Enemy.h"
#include "Game/Random.h"
#include "GameFixture.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceBundle.h"

struct Played
{
	std::string name;
	float volume;
};
static std::vector<Played> played;
bool InitializeAudioMixer(AudioMixer *, int, int) { return true; }
void CleanupAudioMixer(AudioMixer *) {}
bool LoadSound(AudioMixer *, const char *) { return true; }
void FlushLoadedSounds(AudioMixer *) {}
void PlaySoundInStereo(AudioMixer *, const char *name, float l, float) { played.push_back({name, l}); }
void PlaySoundInStereoOnChannel(AudioMixer *, const char *name, float l, float, int) { played.push_back({name, l}); }
bool LoadMusic(AudioMixer *, const char *) { return true; }
void PlayMusic(AudioMixer *) {}
void PauseMusic(AudioMixer *) {}
void SetMusicVolume(AudioMixer *, float) {}

namespace {

enum { L = 1, R = 2, U = 4, D = 8, F = 16, Focus = 32 };
int Sounds(const char *name, float volume)
{
	int n = 0;
	for (const Played &p : played) n += p.name == name && p.volume == volume;
	return n;
}

// The generator's words, to replay the draws a step made.
struct Draws
{
	uint32_t a = s1, b = s2, c = s3;
	void Replay() { s1 = a, s2 = b, s3 = c; }
	bool Same() const { return s1 == a && s2 == b && s3 == c; }
	int Range(int low, int high) { return (int)RandomIntegerInRange((uint32_t)low, (uint32_t)high); }
};

class Gameplay : public ::testing::Test
{
protected:
	static void SetUpTestSuite() { InitializeGame(); }
	void SetUp() override
	{
		char problem[256];
		ASSERT_TRUE(CheckGameResources(game.resources, problem, sizeof problem)) << problem;
		StartGame();
		CleanupObjectList(&game.controllers);  // no waves unless a test wants them
		game.player.timeofdeath = game.timer - 1000;  // mortal from the start
		played.clear();
	}
	static void Run(int frames = 1, int b = 0)
	{
		for (int i = 0; i < frames; i++) RunGame(b & L, b & R, b & U, b & D, b & F, b & Focus, false);
	}
	static Object *Last(ObjectList *list) { return list->first; }  // new objects go to the head
};

struct Wave
{
	ObjectRunFunction run;
	int count;
	char side;  // 'r' a fresh random side, 's' the same as the first, 'o' the other
};
const ObjectRunFunction O = RunOrbController, Fl = RunFlameController, E = RunEctoplasmController;
const std::vector<Wave> Script[17] = {{{Fl, 4, 'r'}}, {{O, 32, 0}}, {{Fl, 6, 'r'}}, {{E, 4, 'r'}}, {{O, 64, 0}},
	{{E, 4, 'r'}}, {{E, 4, 'r'}, {Fl, 6, 's'}}, {{Fl, 4, 'r'}, {O, 128, 0}}, {{E, 8, 'r'}}, {{Fl, 12, 'r'}},
	{{Fl, 8, 'r'}, {E, 6, 'o'}}, {{O, 128, 0}, {Fl, 8, 'r'}}, {{O, 128, 0}, {E, 12, 'r'}}, {{Fl, 6, 'r'}, {Fl, 6, 'o'}},
	{{E, 8, 'r'}, {E, 8, 'o'}}, {{Fl, 12, 'r'}, {E, 12, 'o'}, {O, 256, 0}}, {}};

TEST_F(Gameplay, EveryScriptStateMakesItsWavesAndWaitsForThem)
{
	for (int state = 0; state < 17; state++) {
		CleanupObjectList(&game.controllers);
		MainController *m = (MainController *)NewMainController();
		m->state = state;
		game.timer = 0, m->waittime = 1;  // a wait holds the script until it is reached
		EXPECT_TRUE(RunMainController(&m->obj) && m->state == state && IsObjectListEmpty(&game.enemies));
		game.timer = 1;
		Draws draws;
		RunMainController(&m->obj);
		EXPECT_EQ(m->state, (state + 1) % 17);
		ASSERT_EQ(m->numwait, (int)Script[state].size()) << "state " << state;
		Draws after;
		draws.Replay();
		bool side = false;
		for (int i = 0; i < m->numwait; i++) {
			const Wave &w = Script[state][i];
			Object *o = m->waitobjects[i];
			EXPECT_TRUE(o->runfunc == w.run && m->waitdogtags[i] == o->dogtag) << "state " << state << " wave " << i;
			if (w.run == O) {
				EXPECT_EQ(((OrbController *)o)->numleft, w.count) << "state " << state;
				continue;
			}
			EdgeController *c = (EdgeController *)o;
			if (w.side == 'r') side = RandomInteger() & 1;
			EXPECT_EQ(c->numleft, w.count) << "state " << state;
			EXPECT_EQ(c->left, w.side == 'o' ? !side : side) << "state " << state;
		}
		EXPECT_TRUE(after.Same()) << "state " << state << " drew otherwise";
		after.Replay();
		EXPECT_TRUE(RunMainController(&m->obj));  // its waves are alive: nothing new
		EXPECT_EQ(m->state, (state + 1 + (state == 16)) % 17);
	}
}

// A state the pool cannot hold whole is taken back and tried again later.
TEST_F(Gameplay, AStateThePoolCannotHoldIsTakenBackWhole)
{
	MainController *m = (MainController *)NewMainController();
	m->state = 15;  // three waves
	for (size_t room : {2u, 0u}) {
		while (game.allocator.nummembers < MaximumNumberOfObjects - room) NewObject(&game.items, sizeof(Object), nullptr, nullptr, nullptr);
		EXPECT_TRUE(RunMainController(&m->obj));
		EXPECT_TRUE(m->state == 15 && m->numwait == 0 && game.allocator.nummembers == MaximumNumberOfObjects - room &&
			game.controllers.first == &m->obj && !m->obj.next) << room;
		CleanupObjectList(&game.items);
	}
	RunMainController(&m->obj);
	EXPECT_TRUE(m->state == 16 && m->numwait == 3);
}

TEST(ControllersDeathTest, NoMoreThanEightWaits)
{
	MainController m = {};
	m.numwait = 8;
	EXPECT_DEATH(WaitForObject(&m, &m.obj), "self->numwait<sizeof\\(self->waitobjects\\)/sizeof\\(self->waitobjects\\[0\\]\\).*Game/Controllers");
}

// The three kinds of enemy as their table gives them.
TEST_F(Gameplay, EachKindStartsAsItsTableSays)
{
	const struct {
		Object *obj;
		const char *sheet;
		int colour, score, power, radius;
		ObjectDrawFunction draw;
		ObjectRunFunction run;
	} kinds[] = {
		{NewEctoplasm(0, 0, 1), "Graphics/Sprites/Ectoplasm", 7, 20, 25, 49152, DrawIndicatorEnemy, RunEctoplasm},
		{NewOrb(0, 0, 0), "Graphics/Sprites/Orb", 10, 1, 5, 16384, DrawEnemy, RunOrb},
		{NewOrb(0, 0, 1), "Graphics/Sprites/Orb", 10, 1, 5, 24576, DrawEnemy, RunOrb},
		{NewFlame(0, 0, 1), "Graphics/Sprites/Flame", 1, 10, 25, 49152, DrawIndicatorEnemy, RunFlame}};
	for (auto &k : kinds) {
		Enemy *e = (Enemy *)k.obj;
		EXPECT_TRUE(e->sprite.frames == (RLEBitmap **)DataForResourceWithName(game.resources, k.sheet, nullptr) &&
			e->sprite.frame == 0 && e->colour == k.colour && e->score == k.score) << k.sheet;
		EXPECT_TRUE(k.obj->power == k.power && k.obj->hitradius == k.radius && k.obj->drawfunc == k.draw &&
			k.obj->runfunc == k.run && k.obj->hitfunc == HitEnemy) << k.sheet;
	}
}

// The ring of twelve bullets the ectoplasm fires from a random angle, at these
// steps and 3 pixels a frame.
const int Steps12[12] = {0, 341, 682, 1024, 1365, 1706, 2048, 2389, 2730, 3072, 3413, 3754};
void ExpectRing(Draws draws, Object *from, int colour)
{
	draws.Replay();
	int a = RandomInteger() & 4095;
	ASSERT_EQ(Count(&game.enemybullets), 12u);
	Object *b = game.enemybullets.first;
	for (int i = 11; i >= 0; i--, b = b->next) {
		int angle = Steps12[i] + a;
		EXPECT_TRUE(b->vx == 3 * Sine(angle + 1024) && b->vy == 3 * Sine(angle)) << i;
		EXPECT_TRUE(b->x == from->x && ((Bullet *)b)->ttl == 120 && ((Bullet *)b)->sprite.frame == colour * 3 + 1) << i;
	}
}

TEST_F(Gameplay, EctoplasmChargesFiresItsRingAndRetreats)
{
	Ectoplasm *e = (Ectoplasm *)NewEctoplasm(game.player.x + Px(30), game.player.y, 1);
	Object *obj = &e->enemy.sprite.obj;
	RunEctoplasm(obj);
	EXPECT_EQ(e->state, Settle);  // within 64 pixels at once
	e->enemy.sprite.frame = 4;
	RunEctoplasm(obj);
	EXPECT_EQ(e->state, Charge);
	const int pictures[4] = {9, 4, 10, 4};
	for (int t = 1; t <= 29; t++) {  // thirty frames from the start of the charge, in its pictures
		game.timer++;
		RunEctoplasm(obj);
		EXPECT_TRUE(e->state == Charge && e->enemy.sprite.frame == pictures[ObjectLocalTime(obj) / 3 % 4]) << t;
	}
	game.timer += 1;
	Draws draws;
	RunEctoplasm(obj);
	EXPECT_EQ(e->state, Retreat);
	ExpectRing(draws, obj, 7);
	EXPECT_EQ(Sounds("Sounds/enemybullet", 1.0f), 1);
	EXPECT_EQ(e->tx, game.player.x + Px(draws.Range(150, 300)));  // on its own side of the player
	EXPECT_EQ(e->ty, Px(draws.Range(10, 229)));
	obj->x = e->tx + Px(63), obj->y = e->ty;  // at the spot: rests thirty frames, then approaches again
	for (int wait : {0, 29, 1}) {
		game.timer += wait;
		RunEctoplasm(obj);
		EXPECT_EQ(e->state, wait == 1 ? Approach : Rest) << wait;
	}
}

// A seed whose first draw does (or does not) choose the turn again.
uint32_t SeedChoosing(bool choose)
{
	uint32_t seed = 0;
	while (SeedRandom(seed), ((RandomInteger() & 127) == 0) != choose) seed++;
	return seed;
}

// From a height and a heading: whether the first draw chooses the turn again,
// then the turn and the new heading.
TEST_F(Gameplay, FlamesTurnAndBounce)
{
	const struct { int y, a; bool choose; int da, turned; } rows[] = {
		{100, 1000, 1, -1, 990}, {100, 2500, 1, -1, 2490}, {100, 3500, 1, 1, 3510}, {100, 4096 + 3500, 1, 1, 4096 + 3510},
		{200, 3000, 1, -1, 2990}, {200, 1500, 1, 1, 1510}, {200, 1000, 1, -1, 990}, {200, 2048, 1, 1, 2058},
		{100, 700, 0, -1, 690}, {250, 500, 0, -1, -510}, {-1, 3000, 0, -1, -3010}, {-1, 1000, 0, -1, 990}};
	for (auto &row : rows) {
		Flame *f = (Flame *)NewFlame(Px(100), Px(row.y), 1);
		f->a = row.a, f->da = row.choose ? 0 : -1;
		SeedRandom(SeedChoosing(row.choose));
		RunFlame(&f->enemy.sprite.obj);
		EXPECT_TRUE(f->da == row.da && f->a == row.turned) << row.y << " " << row.a;
		Object *o = &f->enemy.sprite.obj;
		EXPECT_TRUE(o->vx == Sine(row.turned + 1024) && o->vy == Sine(row.turned)) << row.y << " " << row.a;
	}
	EXPECT_EQ(Count(&game.enemybullets), 0u);
}

TEST_F(Gameplay, BulletsLiveTheirTtlAndFlashWhenSpent)
{
	for (int ttl : {0, 1, 120}) {
		for (int size = 0; size < 3; size++)
			EXPECT_EQ(NewSimpleBulletAtAngle(0, 0, 12288, 1024, ttl, 3, size)->sprite.obj.hitradius, 4096 * (size + 1));
		NewPlayerBullet(0, 0, 0, 0, ttl, 1, 0, 1);
		int runs = 0;
		for (; !IsObjectListEmpty(&game.enemybullets) && runs < 200; runs++, game.timer++) {
			RunAndMoveObjectList(&game.enemybullets);
			RunAndMoveObjectList(&game.playerbullets);
			EXPECT_EQ(Count(&game.enemybullets), Count(&game.playerbullets) * 3);
		}
		EXPECT_EQ(runs, ttl + 2);  // the last run is the one that ends them
	}
	Bullet *shot = NewPlayerBullet(Px(70), Px(80), 0, 0, 50, 1, 0, 1);
	EXPECT_FALSE(HitPlayerBullet(&shot->sprite.obj, nullptr, 5));
	EXPECT_EQ(Last(&game.newdecorations)->x, Px(70));  // the flash is where the shot was
	EXPECT_EQ(Sounds("Sounds/bulletcontact", 0.25f), 1);
}

// The looping form, which the game's own splats and flashes do not use.
TEST_F(Gameplay, ALoopingAnimationCyclesItsPictures)
{
	Animation *loop = NewAnimation(Px(10), Px(10), "Graphics/Sprites/Splat", 3, 5, 10, true);
	const int looped[10] = {3, 3, 4, 4, 5, 5, 6, 6, 7, 7};  // five pictures over ten frames
	for (int t = 0; t < 40; t++, game.timer++) {
		RunAndMoveObjectList(&game.newdecorations);
		EXPECT_EQ(loop->sprite.frame, looped[t % 10]) << t;
	}
	EXPECT_EQ(Count(&game.newdecorations), 1u);
}

}  // namespace
