// Sprites: creation from the pool, sheets from a bundle with the hot spot at
// the first frame's centre, and drawing at the wrapped screen position.
#include <vector>
#include "BundleImage.h"
#include "GameFixture.h"
#include "Game/Sprite.h"
#include "Graphics/Drawing.h"
#include "Platform/ResourceBundle.h"

namespace {

constexpr Pixel Red = 0xFFFF0000u, Blue = 0xFF0000FFu, Guard = 0x12345678u;

// A 15 x 9 frame, opaque but for a transparent top-left pixel, and a 3 x 3
// one; the sheet's hot spot comes from the first only.
std::vector<uint8_t> SpriteBundle()
{
	std::vector<uint32_t> big(15 * 9, Red), small(3 * 3, Blue);
	big[0] = 0;
	BundleImage image;
	image.AddFrames("Dot", {MakePicture(15, 9, big), MakePicture(3, 3, small)});
	image.Add("Sound", 'S', {1, 2, 3});
	return image.Build();
}

struct Screen
{
	static constexpr int width = 40, height = 30;
	std::vector<Pixel> pixels = std::vector<Pixel>(width * height, Guard);
	Bitmap bitmap;
	Screen() { InitializeBitmap(&bitmap, width, height, width * 4, pixels.data()); }
	Pixel At(int x, int y) const { return pixels[y * width + x]; }
	// The box of pixels that differ from the guard value.
	void Painted(int *x0, int *y0, int *x1, int *y1) const
	{
		*x0 = *y0 = 1000, *x1 = *y1 = -1;
		for (int y = 0; y < height; y++)
			for (int x = 0; x < width; x++)
				if (At(x, y) != Guard)
					*x0 = std::min(*x0, x), *y0 = std::min(*y0, y), *x1 = std::max(*x1, x), *y1 = std::max(*y1, y);
	}
};

Pixel Brighten(Pixel below, Pixel above) { return below ^ above; }

}  // namespace

class Sprites : public GameFixture
{
protected:
	std::vector<uint8_t> file = SpriteBundle();
	void SetUp() override
	{
		GameFixture::SetUp();
		ASSERT_TRUE(FixUpBundleImage(file, "Graphics/Sprites"));
		game.resources = (ResourceBundle *)file.data();
	}
	Sprite *NewDot()
	{
		return NewSprite(&game.decorations, sizeof(Sprite), nullptr, nullptr, DrawSprite);
	}
};

TEST_F(Sprites, NewSpriteHasNoSheetAndFrameZero)
{
	// the pool hands out dirty members: the constructor must clear its fields
	memset(game.allocatorstorage + 2048, 0xEE, 256);
	Sprite *s = NewDot();
	ASSERT_NE(s, nullptr);
	EXPECT_EQ(s->frames, nullptr);
	EXPECT_EQ(s->frame, 0);
	EXPECT_EQ(s->hotx, 0);
	EXPECT_EQ(s->hoty, 0);
	EXPECT_EQ(s->obj.drawfunc, DrawSprite);
	EXPECT_EQ(game.decorations.first, &s->obj);
}

TEST_F(Sprites, FullPoolGivesNullAndTouchesNothing)
{
	while (NewObject(&game.items, sizeof(Object), nullptr, nullptr, nullptr)) {}
	uint32_t counter = game.objectcounter;
	EXPECT_EQ(NewDot(), nullptr);
	EXPECT_EQ(game.objectcounter, counter);
	EXPECT_TRUE(IsObjectListEmpty(&game.decorations));
}

TEST_F(Sprites, SheetHotSpotIsTheFirstFramesCentre)
{
	Sprite *s = NewDot();
	SetSpriteFrame(s, 1);
	SetSpriteSheet(s, "Graphics/Sprites/Dot");
	ASSERT_NE(s->frames, nullptr);
	EXPECT_EQ(s->frames[0]->width, 15);
	EXPECT_EQ(s->frames[1]->width, 3);
	EXPECT_EQ(s->frames[2], nullptr);
	EXPECT_EQ(s->hotx, 7);
	EXPECT_EQ(s->hoty, 4);
	EXPECT_EQ(s->frame, 1);  // the sheet does not reset the frame
}

TEST_F(Sprites, MissingSheetLeavesTheSpriteBlank)
{
	Sprite *s = NewDot();
	SetSpriteSheet(s, "Graphics/Sprites/Nothing");
	EXPECT_EQ(s->frames, nullptr);
	Screen screen;
	DrawSprite(&s->obj, &screen.bitmap);
	FillSprite(&s->obj, &screen.bitmap, Blue);
	CompositeSprite(&s->obj, &screen.bitmap, Brighten);
	for (Pixel p : screen.pixels) ASSERT_EQ(p, Guard);
}

TEST_F(Sprites, DrawsAroundTheHotSpotAtTheScreenPosition)
{
	game.x0 = 1000;
	Sprite *s = NewDot();
	SetSpriteSheet(s, "Graphics/Sprites/Dot");
	SetObjectPosition(&s->obj, Px(1020) + 4095, Px(15));  // screen (20, 15): fractions drop
	Screen screen;
	DrawObjectList(&game.decorations, &screen.bitmap);
	int x0, y0, x1, y1;
	screen.Painted(&x0, &y0, &x1, &y1);
	EXPECT_EQ(x0, 13);
	EXPECT_EQ(y0, 11);
	EXPECT_EQ(x1, 13 + 14);
	EXPECT_EQ(y1, 11 + 8);
	EXPECT_EQ(screen.At(13, 11), Guard);  // the transparent pixel
	EXPECT_EQ(screen.At(14, 11), Red);
	SetSpriteFrame(s, 1);  // the small frame, same hot spot
	Screen again;
	DrawSprite(&s->obj, &again.bitmap);
	again.Painted(&x0, &y0, &x1, &y1);
	EXPECT_EQ(x0, 13);
	EXPECT_EQ(y1, 13);
	EXPECT_EQ(again.At(15, 13), Blue);
}

TEST_F(Sprites, PositionWrapsAcrossTheSeam)
{
	game.x0 = 2040;
	Sprite *s = NewDot();
	SetSpriteSheet(s, "Graphics/Sprites/Dot");
	SetObjectPosition(&s->obj, Px(5 + 2048 * 3), Px(4));  // screen x 13
	Screen screen;
	DrawSprite(&s->obj, &screen.bitmap);
	int x0, y0, x1, y1;
	screen.Painted(&x0, &y0, &x1, &y1);
	EXPECT_EQ(x0, 6);
	EXPECT_EQ(y0, 0);
	EXPECT_EQ(screen.At(7, 0), Red);
}

TEST_F(Sprites, FillAndCompositeUseTheSameShapeAndPlace)
{
	Sprite *s = NewDot();
	SetSpriteSheet(s, "Graphics/Sprites/Dot");
	SetObjectPosition(&s->obj, Px(10), Px(10));
	Screen fill, comp;
	FillSprite(&s->obj, &fill.bitmap, 0xFFFFFFFFu);
	CompositeSprite(&s->obj, &comp.bitmap, Brighten);
	EXPECT_EQ(fill.At(3, 6), Guard);  // transparent corner
	EXPECT_EQ(fill.At(4, 6), 0xFFFFFFFFu);
	EXPECT_EQ(fill.At(17, 14), 0xFFFFFFFFu);
	EXPECT_EQ(fill.At(18, 14), Guard);
	EXPECT_EQ(comp.At(4, 6), Guard ^ Red);
	EXPECT_EQ(comp.At(3, 6), Guard);
	for (size_t i = 0; i < fill.pixels.size(); i++) ASSERT_EQ(fill.pixels[i] == Guard, comp.pixels[i] == Guard) << i;
}
