// A fresh game record for tests of the object system: the pool set up over
// the record's storage, the seven lists empty, the game's world width, the
// clocks at zero.
#pragma once
#include <gtest/gtest.h>
#include <cstring>
#include "Game/Game.h"

class GameFixture : public ::testing::Test
{
protected:
	void SetUp() override
	{
		memset((void *)&game, 0, sizeof game);
		InitializeSimpleAllocator(&game.allocator, MaximumObjectSize, MaximumNumberOfObjects, game.allocatorstorage);
		for (ObjectList *list : {&game.controllers, &game.enemies, &game.enemybullets, &game.playerbullets,
		                         &game.items, &game.decorations, &game.newdecorations})
			InitializeObjectList(list);
		game.xmask = 0x7FFFFF;
	}
	// Whatever the pool has handed out must still be in the game's lists: a
	// leak or a double release shows here.
	void TearDown() override { EXPECT_EQ(game.allocator.nummembers, CountAllListed()); }

	static size_t Count(ObjectList *list)
	{
		size_t n = 0;
		for (Object *obj = list->first; obj; obj = obj->next) n++;
		return n;
	}
	static size_t CountAllListed()
	{
		return Count(&game.controllers) + Count(&game.enemies) + Count(&game.enemybullets) +
		       Count(&game.playerbullets) + Count(&game.items) + Count(&game.decorations) + Count(&game.newdecorations);
	}
};

static inline int32_t Px(double pixels) { return (int32_t)(pixels * 4096); }
