// The game content with the real bundles (the tests run where the game's
// bundles are), checked against the stage script and the enemy kinds as the
// game's description writes them (not as the code holds them), watched
// from outside, and against the random numbers replayed from a saved
// generator state; a silent mixer
// replaces Game/AudioMixer.cpp at link time. What play shows and sounds like
// over time (hits, flashes, rings, waves entering, deaths, extra lives) is
// the simulator's golden runs' to check, frame by frame: here the edges that
// a run seldom meets.
#include <gtest/gtest.h>
#include <algorithm>
#include <sstream>
#include <string>
#include <tuple>
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

// The stage script as the design's table reads, row by row.
const char *const ScriptTable[17] = {"flames: 4, random side", "orbs: 32, one every 10 frames",
	"flames: 6, random side", "ectoplasms: 4, random side", "orbs: 64, every 10 frames", "ectoplasms: 4, random side",
	"ectoplasms: 4, random side; flames: 6, same side", "flames: 4, random side; orbs: 128, every 10 frames",
	"ectoplasms: 8, random side", "flames: 12, random side", "flames: 8, random side; ectoplasms: 6, other side",
	"orbs: 128, every 10 frames; flames: 8, random side", "orbs: 128, every 10 frames; ectoplasms: 12, random side",
	"flames: 6, random side; flames: 6, other side", "ectoplasms: 8, random side; ectoplasms: 8, other side",
	"flames: 12, random side; ectoplasms: 12, other side; orbs: 256, every 10 frames", "nothing"};

struct Release
{
	std::string kind;  // "flames", "orbs" or "ectoplasms"
	int frame;         // after the frame the state was performed in
	bool left;         // entered at the left edge (orbs: false)
};

std::string KindOf(Object *o)
{
	return o->runfunc == RunFlame ? "flames" : o->runfunc == RunOrb ? "orbs" : o->runfunc == RunEctoplasm ? "ectoplasms" : "?";
}

// What a state's row says, released one by one as the design times them:
// flames and ectoplasms 61 frames after their wave begins and then every 60,
// orbs at their interval plus one, then every interval. side is the random
// number drawn for the row (1: from the left).
std::vector<Release> Expected(const char *row, bool side)
{
	std::vector<Release> out;
	std::istringstream in(row);
	for (std::string part; std::getline(in, part, ';');) {
		std::istringstream words(part);
		std::string kind, how;
		int count = 0;
		words >> kind >> count;
		std::getline(words, how);
		if (kind == "nothing") continue;
		kind.pop_back();  // the colon
		bool left = how.find("other side") != std::string::npos ? !side : how.find("side") != std::string::npos && side;
		bool orbs = kind == "orbs";
		int interval = orbs ? std::stoi(how.substr(how.find("every") + 6)) : 60;
		for (int i = 0; i < count; i++) out.push_back({kind, interval + 1 + i * interval, left});
	}
	std::sort(out.begin(), out.end(), [](const Release &a, const Release &b) {
		return std::tie(a.frame, a.kind, a.left) < std::tie(b.frame, b.kind, b.left);
	});
	return out;
}

// Each state run by the real main controller with every enemy shot down as
// it appears: who comes, when, from which edge, and the next state only once
// the last of them is gone.
TEST_F(Gameplay, EveryScriptStateReleasesItsWavesAndWaitsForThem)
{
	game.x0 = 1500;  // the view across the world's seam
	for (int state = 0; state < 17; state++) {
		CleanupObjectList(&game.controllers);
		MainController *m = (MainController *)NewMainController();
		m->state = state;
		Draws draws;
		bool side = RandomInteger() & 1;
		draws.Replay();
		std::vector<Release> seen;
		int end = -1;
		for (int frame = 0; frame < 4000 && end < 0; frame++, game.timer++) {
			RunObjectList(&game.controllers);
			for (Object *o = game.enemies.first; o; o = o->next) {
				int32_t sx = (int32_t)((uint32_t)o->x - ((uint32_t)game.x0 << 12)) & 0x7FFFFF;
				bool orb = o->runfunc == RunOrb, left = sx == Px(2048 - 96);
				EXPECT_TRUE(orb ? o->y == Px(248) && sx >= Px(10) && sx <= Px(309)
				                : (left || sx == Px(416)) && o->y >= Px(10) && o->y <= Px(229))
					<< ScriptTable[state] << " at " << frame;
				seen.push_back({KindOf(o), frame, left});
			}
			CleanupObjectList(&game.enemies);
			if (frame > 0 && m->state != (state + 1) % 17) end = frame;
		}
		std::sort(seen.begin(), seen.end(), [](const Release &a, const Release &b) {
			return std::tie(a.frame, a.kind, a.left) < std::tie(b.frame, b.kind, b.left);
		});
		std::vector<Release> want = Expected(ScriptTable[state], side);
		ASSERT_EQ(seen.size(), want.size()) << ScriptTable[state];
		for (size_t i = 0; i < want.size(); i++)
			EXPECT_TRUE(seen[i].kind == want[i].kind && seen[i].frame == want[i].frame && seen[i].left == want[i].left)
				<< ScriptTable[state] << ": release " << i << " was " << seen[i].kind << " at " << seen[i].frame;
		// the next state comes in the frame after the last enemy (state 16: the frame after it)
		EXPECT_EQ(end, want.empty() ? 1 : want.back().frame + 1) << ScriptTable[state];
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

// The design's table of the three kinds, in its units: each starts so, takes
// that many hits of power 1, flashing, and scores on the last; an orb that
// reaches its burst row bursts into (size + 2) x 4 bullets and scores nothing.
TEST_F(Gameplay, EachKindIsAsItsTableSays)
{
	const struct {
		Object *obj;
		const char *sheet;
		int colour, score, hitpoints;
		double radius;  // pixels
		ObjectDrawFunction draw;
		ObjectRunFunction run;
	} kinds[] = {
		{NewEctoplasm(0, 0, 1), "Graphics/Sprites/Ectoplasm", 7, 20, 25, 12.0, DrawIndicatorEnemy, RunEctoplasm},
		{NewOrb(0, 0, 0), "Graphics/Sprites/Orb", 10, 1, 5, 4.0, DrawEnemy, RunOrb},
		{NewOrb(0, 0, 1), "Graphics/Sprites/Orb", 10, 1, 5, 6.0, DrawEnemy, RunOrb},
		{NewFlame(0, 0, 1), "Graphics/Sprites/Flame", 1, 10, 25, 12.0, DrawIndicatorEnemy, RunFlame}};
	for (auto &k : kinds) {
		Enemy *e = (Enemy *)k.obj;
		EXPECT_TRUE(e->sprite.frames == (RLEBitmap **)DataForResourceWithName(game.resources, k.sheet, nullptr) &&
			e->sprite.frame == 0 && e->colour == k.colour && k.obj->hitradius == Px(k.radius)) << k.sheet;
		EXPECT_TRUE(k.obj->drawfunc == k.draw && k.obj->runfunc == k.run && k.obj->hitfunc == HitEnemy) << k.sheet;
		int hits = 0, score = game.score;
		game.timer = 100;
		while (hits < 100 && HitEnemy(k.obj, nullptr, 1)) hits++;
		EXPECT_TRUE(hits + 1 == k.hitpoints && game.score == score + k.score && e->hitend == 110) << k.sheet;
	}
	for (int size = 0; size < 2; size++) {
		CleanupObjectList(&game.enemybullets);
		Orb *orb = (Orb *)NewOrb(0, Px(100), size);
		int score = game.score;
		orb->enemy.sprite.obj.y = orb->burstheight - 1;
		EXPECT_FALSE(RunOrb(&orb->enemy.sprite.obj));
		EXPECT_TRUE(Count(&game.enemybullets) == (size + 2) * 4u && game.score == score) << size;
	}
	for (int size = 0; size < 3; size++) {  // bullets: the enemies' of 1 to 3 pixels in radius, the player's of 4 to 8
		EXPECT_EQ(NewSimpleBulletAtAngle(0, 0, Px(3), 1024, 1, 3, size)->sprite.obj.hitradius, Px(size + 1));
		EXPECT_EQ(NewPlayerBullet(0, 0, 0, 0, 1, 1, size, 1)->sprite.obj.hitradius, Px(4 + 2 * size));
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
