// A fresh game record for tests of the object system: the pool set up over
// the record's storage, the seven lists empty, the game's world width, the
// clocks at zero. TearDown checks that the pool and the lists agree.
#pragma once
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include "Game/Game.h"

static inline size_t Count(ObjectList *list)
{
	size_t n = 0;
	for (Object *obj = list->first; obj; obj = obj->next) n++;
	return n;
}

static inline int32_t Px(double pixels) { return (int32_t)(pixels * 4096); }

// The sine of an angle (4096 to the turn) in 4096ths, from the rounded
// first-quadrant table mirrored into the other three.
static inline int32_t Sine(int a)
{
	int q = (a >> 10) & 3, i = a & 1023;
	int entry = (int)std::lround(4096 * std::sin((q & 1 ? 1024 - i : i) * M_PI / 2048));
	return q & 2 ? -entry : entry;
}

class GameFixture : public ::testing::Test
{
protected:
	static constexpr ObjectList *Lists[7] = {&game.controllers, &game.enemies, &game.enemybullets,
		&game.playerbullets, &game.items, &game.decorations, &game.newdecorations};
	void SetUp() override
	{
		memset((void *)&game, 0, sizeof game);
		InitializeSimpleAllocator(&game.allocator, MaximumObjectSize, MaximumNumberOfObjects, game.allocatorstorage);
		for (ObjectList *list : Lists) InitializeObjectList(list);
		game.xmask = 0x7FFFFF;
	}
	// A leak or a double release shows here.
	void TearDown() override
	{
		size_t listed = 0;
		for (ObjectList *list : Lists) listed += Count(list);
		EXPECT_EQ(game.allocator.nummembers, listed);
	}
};
