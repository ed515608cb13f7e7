// The game content with the real bundles (the tests run where the game's
// bundles are), checked against tables of its constants and against the
// random numbers replayed from a saved generator state; a silent mixer
// replaces Game/AudioMixer.cpp at link time. What play shows and sounds like
// over time (hits, flashes, rings, waves entering, deaths, extra lives) is
// the simulator's golden runs' to check, frame by frame: here the edges that
// a run seldom meets.
#include <gtest/gtest.h>
#include <vector>
#include "Game/Bullets.h"
#include "Game/Controllers.h"
#include "Game/Enemy.h"
#include "Game/Random.h"
#include "GameFixture.h"
#include "Platform/GameResources.h"
#include "Platform/ResourceBundle.h"

bool InitializeAudioMixer(AudioMixer *, int, int) { return true; }
void CleanupAudioMixer(AudioMixer *) {}
bool LoadSound(AudioMixer *, const char *) { return true; }
void FlushLoadedSounds(AudioMixer *) {}
void PlaySoundInStereo(AudioMixer *, const char *, float, float) {}
void PlaySoundInStereoOnChannel(AudioMixer *, const char *, float, float, int) {}
bool LoadMusic(AudioMixer *, const char *) { return true; }
void PlayMusic(AudioMixer *) {}
void PauseMusic(AudioMixer *) {}
void SetMusicVolume(AudioMixer *, float) {}

namespace {

// The generator's words, to replay the draws a step made.
struct Draws
{
	uint32_t a = s1, b = s2, c = s3;
	void Replay() { s1 = a, s2 = b, s3 = c; }
	bool Same() const { return s1 == a && s2 == b && s3 == c; }
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
	}
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

// The three kinds of enemy, and the bullets' sizes, as their tables give them.
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
	for (int size = 0; size < 3; size++) {  // bullets: the enemies' of 1 to 3 pixels in radius, the player's of 4 to 8
		EXPECT_EQ(NewSimpleBulletAtAngle(0, 0, 12288, 1024, 1, 3, size)->sprite.obj.hitradius, 4096 * (size + 1));
		EXPECT_EQ(NewPlayerBullet(0, 0, 0, 0, 1, 1, size, 1)->sprite.obj.hitradius, 16384 + 8192 * size);
	}
}

// The ectoplasm settles, and rests, once within 64 pixels of its mark
// (262143 4096ths), and retreats from the player: to the left when right
// above it.
TEST_F(Gameplay, EctoplasmSettlesRestsAndRetreatsAtItsEdges)
{
	const struct { EctoplasmState state; int32_t dx, dy; EctoplasmState next; } rows[] = {{Approach, 262000, 8658, Settle},
		{Approach, 262144, 0, Approach}, {Retreat, -262000, -8658, Rest}, {Retreat, 0, 262144, Retreat}};
	for (auto &row : rows) {
		Ectoplasm *e = (Ectoplasm *)NewEctoplasm(game.player.x + row.dx, game.player.y + row.dy, 1);
		e->state = row.state, e->tx = game.player.x, e->ty = game.player.y;
		RunEctoplasm(&e->enemy.sprite.obj);
		EXPECT_EQ(e->state, row.next) << row.dx << " " << row.dy;
	}
	for (int dx : {0, 1}) {
		Ectoplasm *e = (Ectoplasm *)NewEctoplasm(game.player.x + dx, game.player.y, 1);
		e->state = Charge, e->startcharge = game.timer - 30;
		Draws draws;
		RunEctoplasm(&e->enemy.sprite.obj);
		draws.Replay();
		RandomInteger();  // the ring's angle
		EXPECT_TRUE(e->state == Retreat && e->tx == game.player.x + Px((int)RandomIntegerInRange(150, 300) * (dx ? 1 : -1))) << dx;
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
// then the turn, the new heading (4096 to the turn, so 2048 is its own
// opposite) and the numbers drawn in all (a third when the flame turns away
// from the nearer edge).
TEST_F(Gameplay, FlamesTurnAndBounce)
{
	const struct { int y, a; bool choose; int da, turned, draws; } rows[] = {{100, 1000, 1, -1, 990, 3},
		{100, 2048, 1, -1, 2038, 2}, {100, 2500, 1, -1, 2490, 2}, {100, 3072, 1, 1, 3082, 2}, {100, 3500, 1, 1, 3510, 2},
		{100, 4096 + 3500, 1, 1, 4096 + 3510, 2}, {120, 1000, 1, -1, 990, 2}, {200, 3000, 1, -1, 2990, 3},
		{200, 1500, 1, 1, 1510, 2}, {200, 1024, 1, -1, 1014, 2}, {200, 2048, 1, 1, 2058, 2}, {100, 700, 0, -1, 690, 2},
		{250, 500, 0, -1, -510, 2}, {240, 500, 0, -1, 490, 2}, {-1, 3000, 0, -1, -3010, 2}, {0, 3000, 0, -1, 2990, 2},
		{-1, 1500, 0, -1, 1490, 2}};
	for (auto &row : rows) {
		Flame *f = (Flame *)NewFlame(Px(100), Px(row.y), 1);
		f->a = row.a, f->da = row.choose ? 0 : -1;
		SeedRandom(SeedChoosing(row.choose));
		Draws draws;
		RunFlame(&f->enemy.sprite.obj);
		Object *o = &f->enemy.sprite.obj;
		EXPECT_TRUE(f->da == row.da && (f->a & 4095) == (row.turned & 4095) && o->vx == Sine(row.turned + 1024) &&
			o->vy == Sine(row.turned)) << row.y << " " << row.a;
		Draws after;
		draws.Replay();
		for (int i = 0; i < row.draws; i++) RandomInteger();
		EXPECT_TRUE(after.Same()) << row.y << " " << row.a;
	}
	EXPECT_EQ(Count(&game.enemybullets), 0u);
}

}  // namespace
