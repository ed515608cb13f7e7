// The game driven through the real RunGame and DrawGame with the real
// bundles (the tests run in the folder the game runs from).
#include <gtest/gtest.h>
#include <SDL.h>
#include <cstring>
#include <vector>
#include "Game/Bullets.h"
#include "Game/Controllers.h"
#include "Game/Enemy.h"
#include "Game/Game.h"
#include "Graphics/Drawing.h"
#include "Platform/GameResources.h"

namespace {

constexpr int32_t Px(int pixels) { return pixels * 4096; }

size_t Count(ObjectList *list)
{
	size_t n = 0;
	for (Object *o = list->first; o; o = o->next) n++;
	return n;
}

bool StayPut(Object *) { return true; }

class Gameplay : public ::testing::Test
{
protected:
	static void SetUpTestSuite()
	{
		SDL_Init(SDL_INIT_AUDIO);
		InitializeGame();
	}
	static void TearDownTestSuite()
	{
		CleanupGame();
		SDL_Quit();
	}
	void SetUp() override
	{
		char problem[256];
		if (!CheckGameResources(game.resources, problem, sizeof problem)) GTEST_SKIP() << problem;
		StartGame();
		CleanupObjectList(&game.controllers);  // no waves unless a test wants them
		game.player.timeofdeath = game.timer - 1000;  // mortal from the start
	}
	static void Run(int frames = 1, bool left = false, bool right = false, bool up = false, bool down = false,
		bool fire = false, bool focus = false)
	{
		for (int i = 0; i < frames; i++) RunGame(left, right, up, down, fire, focus, false);
	}
	// An enemy that stands still and is destroyed by any shot.
	static Enemy *Target(int x, int y, int score)
	{
		Enemy *e = NewEnemy(sizeof(Enemy), Px(x), Px(y), "Graphics/Sprites/Orb", 10, score, StayPut, HitEnemy, DrawEnemy);
		SetObjectPower(&e->sprite.obj, 1);
		SetObjectHitRadius(&e->sprite.obj, Px(4));
		return e;
	}
};

TEST_F(Gameplay, EachBoundaryOf500GivesALife)
{
	const int cases[][3] = {{490, 20, 1}, {990, 520, 2}, {400, 20, 0}};
	for (auto &c : cases) {
		StartGame();
		CleanupObjectList(&game.controllers);
		game.score = c[0];
		Target(100, 40, c[1]);
		NewPlayerBullet(Px(100), Px(40), 0, 0, 50, 2, 1, 1);
		int lives = game.player.lives;
		Run();
		EXPECT_EQ(game.score, c[0] + c[1]);
		EXPECT_EQ(game.player.lives, lives + c[2]) << c[0] << " + " << c[1];
	}
}

TEST_F(Gameplay, ViewGlidesAtFourPixelsAndSettlesAhead)
{
	Run();
	EXPECT_EQ(game.viewx, 0x4000);  // still far from its aim: the most it may move
	Run(300);
	EXPECT_EQ(game.viewx, game.player.x + 0x50000 - 15);  // within what 1/16 can no longer close
	Run(300, false, false, false, false, false, true);
	EXPECT_NEAR(game.viewx, game.player.x + 0x78000, 16);
	int32_t before = game.viewx;
	Run(1, true);  // turning round: the view swings back by at most 4 pixels plus the player's speed
	EXPECT_GE(game.viewx - before, -0x4000 + game.player.vx - 4096);
}

TEST_F(Gameplay, ShotsMoreThan32PixelsOffScreenAreClipped)
{
	Run(400);  // the view has settled
	int x0 = game.x0;
	Bullet *in = NewPlayerBullet(Px(x0 + 352), Px(100), 0, 0, 50, 1, 0, 1);
	NewPlayerBullet(Px(x0 + 353), Px(100), 0, 0, 50, 1, 0, 1);
	NewPlayerBullet(Px(x0 + 100), Px(273), 0, 0, 50, 1, 0, 1);
	NewPlayerBullet(Px(x0 - 33), Px(100), 0, 0, 50, 1, 0, 1);
	Run();
	ASSERT_EQ(game.x0, x0);
	ASSERT_EQ(Count(&game.playerbullets), 1u);
	EXPECT_EQ(game.playerbullets.first, &in->sprite.obj);
}

TEST_F(Gameplay, VolleysOnTheFirstFrameAndEveryThirdAfter)
{
	game.player.nextbullet = 0;
	game.player.dir = -1;  // shots fly left across the whole screen and stay on it
	std::vector<size_t> counts;
	for (int i = 0; i < 7; i++) {
		Run(1, false, false, false, false, true);
		counts.push_back(Count(&game.playerbullets));
	}
	EXPECT_EQ(counts, (std::vector<size_t>{3, 3, 3, 6, 6, 6, 9}));
	Run(1);  // released
	Run(1, false, false, false, false, true);
	EXPECT_EQ(Count(&game.playerbullets), 9u);  // pressed again too soon
	Run(3, false, false, false, false, true, true);
	EXPECT_EQ(Count(&game.playerbullets), 10u);  // focused: one strong shot
}

TEST_F(Gameplay, PicturesFollowButtonsAndFacing)
{
	Run(1, false, false, true, false, true);
	EXPECT_EQ(game.player.frame, 7);
	Run(1, true);
	EXPECT_EQ(game.player.dir, -1);
	Run(1, false, false, true, false, true);
	EXPECT_EQ(game.player.frame, 19);
	Run(1, false, true);
	Run(1, true, false, false, false, false, true);  // focused: left moves back, facing kept
	EXPECT_EQ(game.player.dir, 1);
	EXPECT_EQ(game.player.frame, 3);
	EXPECT_LT(game.player.vx, 0);
}

TEST_F(Gameplay, TopBoundKeepsTheVelocity)
{
	Run(120, false, false, true);
	EXPECT_EQ(game.player.y, 12288);
	EXPECT_EQ(game.player.vy, -12288);  // v - v/4 with the step settles here exactly
	Run(1, false, false, false, true);
	EXPECT_EQ(game.player.y, 12288);
	Run(1, false, false, false, true);
	EXPECT_EQ(game.player.y, 12288);
	Run(1, false, false, false, true);
	EXPECT_GT(game.player.y, 12288);
}

TEST_F(Gameplay, TwoBulletsTouchingTogetherConsumeOne)
{
	Player *p = &game.player;
	NewSimpleBulletAtAngle(p->x, p->y, 0, 0, 100, 1, 1);
	NewSimpleBulletAtAngle(p->x, p->y, 0, 0, 100, 1, 1);
	Run();
	EXPECT_EQ(p->lives, 2);
	EXPECT_EQ(Count(&game.enemybullets), 1u);
	EXPECT_TRUE(IsPlayerDead(p));
}

TEST_F(Gameplay, OutOfLivesThePlayerIsNeitherHitNorDrawn)
{
	Player *p = &game.player;
	p->lives = 1;
	NewSimpleBulletAtAngle(p->x, p->y, 0, 0, 1000, 1, 1);
	Run();
	EXPECT_EQ(p->lives, 0);
	EXPECT_TRUE(IsGameOver());
	Run(400);
	NewSimpleBulletAtAngle(p->x, p->y, 0, 0, 1000, 1, 1);
	Run();
	EXPECT_EQ(Count(&game.enemybullets), 1u);  // not consumed: nothing hits a player out of lives
	EXPECT_EQ(p->lives, 0);
	// drawing with and without the player gives the same picture
	std::vector<Pixel> a(320 * 240), b(320 * 240);
	Bitmap sa, sb;
	InitializeBitmap(&sa, 320, 240, 1280, a.data());
	InitializeBitmap(&sb, 320, 240, 1280, b.data());
	DrawPlayer(p, &sa);
	EXPECT_EQ(a, b);
}

TEST_F(Gameplay, EnemiesLoseHitPointsFlashAndScore)
{
	Object *plasma = NewEctoplasm(Px(300), Px(50), 1);
	game.score = 0;
	HitEnemy(plasma, nullptr, 5);
	EXPECT_EQ(plasma->power, 20);
	EXPECT_EQ(((Enemy *)plasma)->hitend, game.timer + 10);
	for (int i = 0; i < 3; i++) EXPECT_TRUE(HitEnemy(plasma, nullptr, 5));
	EXPECT_FALSE(HitEnemy(plasma, nullptr, 5));
	EXPECT_EQ(game.score, 20);
	Object *orb = NewOrb(Px(100), Px(100), 0);
	EXPECT_TRUE(HitEnemy(orb, nullptr, 4));  // a whole normal volley leaves it one point
	EXPECT_FALSE(HitEnemy(orb, nullptr, 1));
	EXPECT_EQ(game.score, 21);
}

TEST_F(Gameplay, OrbsBurstIntoRingsWithoutScore)
{
	for (int size = 0; size < 2; size++) {
		CleanupObjectList(&game.enemybullets);
		Object *orb = NewOrb(Px(100), Px(5), size);
		game.score = 0;
		EXPECT_FALSE(RunOrb(orb));
		EXPECT_EQ(Count(&game.enemybullets), size ? 12u : 8u);
		EXPECT_EQ(game.score, 0);
		CleanupObjectList(&game.enemies);
	}
}

TEST_F(Gameplay, EctoplasmCloseToThePlayerSettlesAtOnce)
{
	Ectoplasm *e = (Ectoplasm *)NewEctoplasm(game.player.x + Px(30), game.player.y, 1);
	RunEctoplasm(&e->enemy.sprite.obj);
	EXPECT_EQ(e->state, Settle);
	Ectoplasm *on = (Ectoplasm *)NewEctoplasm(game.player.x, game.player.y, 1);
	RunEctoplasm(&on->enemy.sprite.obj);  // on the player itself: no direction and no force
	EXPECT_EQ(on->enemy.sprite.obj.vx, 0);
	EXPECT_EQ(on->enemy.sprite.obj.vy, 0);
}

TEST_F(Gameplay, FlameBouncesOffTheBottom)
{
	Flame *f = (Flame *)NewFlame(Px(100), Px(250), 1);
	f->a = 500;
	RunFlame(&f->enemy.sprite.obj);
	EXPECT_EQ(f->a, -500 + 10 * f->da);
}

TEST_F(Gameplay, WarningSignMarksEnemiesOffEitherEdge)
{
	ASSERT_NE(game.warning, nullptr);
	for (int side = 0; side < 2; side++) {
		Object *flame = NewFlame(Px(game.x0 + (side ? 330 : -40)), Px(100), 1);
		std::vector<Pixel> a(320 * 240), b(320 * 240);
		Bitmap sa, sb;
		InitializeBitmap(&sa, 320, 240, 1280, a.data());
		InitializeBitmap(&sb, 320, 240, 1280, b.data());
		DrawIndicatorEnemy(flame, &sa);
		DrawRLEBitmap(&sb, game.warning[0], side ? 295 : -6, 100 - 15);
		DrawEnemy(flame, &sb);
		EXPECT_EQ(a, b);
		EXPECT_NE(a, std::vector<Pixel>(320 * 240));
	}
}

MainController *Script() { return (MainController *)NewMainController(); }

EdgeController *Wave(Object *o) { return (EdgeController *)o; }

TEST_F(Gameplay, ScriptStartsAtOnceAndReleasesTheFirstFlameLater)
{
	MainController *m = Script();
	Run();
	EXPECT_EQ(m->state, 1);
	ASSERT_EQ(m->numwait, 1);
	EXPECT_EQ(m->waitobjects[0]->runfunc, RunFlameController);
	Run(60);
	EXPECT_EQ(Count(&game.enemies), 0u);
	Run();
	EXPECT_EQ(Count(&game.enemies), 1u);
}

TEST_F(Gameplay, ScriptSidesAndWrap)
{
	const int states[] = {6, 10, 13, 14, 15};
	for (int state : states) {
		CleanupObjectList(&game.controllers);
		MainController *m = Script();
		m->state = state;
		Run();
		ASSERT_GE(m->numwait, 2);
		bool same = Wave(m->waitobjects[0])->left == Wave(m->waitobjects[1])->left;
		EXPECT_EQ(same, state == 6) << "state " << state;
	}
	CleanupObjectList(&game.controllers);
	MainController *m = Script();
	m->state = 16;
	Run();
	EXPECT_EQ(m->state, 0);
	EXPECT_EQ(m->numwait, 0);
	Run();
	EXPECT_EQ(m->state, 1);
}

TEST_F(Gameplay, WaveEndsOnlyWhenTheFieldIsClear)
{
	Object *wave = NewOrbController(1, 1);
	uint32_t tag = ObjectDogTag(wave);
	Target(100, 40, 0);  // an enemy the wave did not release
	Run(5);
	EXPECT_FALSE(IsObjectDead(wave, tag));
	CleanupObjectList(&game.enemies);
	Run();
	EXPECT_TRUE(IsObjectDead(wave, tag));
}

TEST_F(Gameplay, NewGameEmptiesEveryListIntoThePool)
{
	Script();
	for (int i = 0; i < 2000; i++) Run(1, i % 200 < 100, i % 200 >= 100, i % 50 < 20, i % 50 >= 30, true);
	EXPECT_GT(game.allocator.nummembers, 1u);
	StartGame();
	EXPECT_EQ(game.allocator.nummembers, 1u);
	EXPECT_EQ(Count(&game.controllers), 1u);
	for (ObjectList *l : {&game.enemies, &game.enemybullets, &game.playerbullets, &game.items, &game.decorations, &game.newdecorations})
		EXPECT_EQ(Count(l), 0u);
}

}  // namespace
