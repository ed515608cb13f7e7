// The four-band night sky behind the playfield, farthest band first. Each band
// is a 512-pixel tile drawn from row 0 and repeated sideways, scrolled by a
// quarter, a third, half and all of the view's movement. The images point into
// a loaded bundle and are not owned here. Needs Graphics/RLEBitmap.h.
#pragma once
#include <cstdint>
#include "Graphics/Bitmap.h"
#include "Graphics/RLEBitmap.h"

struct ParallaxBackground
{
	RLEBitmap *layers[4];    // null entries are skipped
	int32_t startheight[4];  // first row of a band's scenery (recorded only)
	int32_t endheight[4];    // last row a band may cover
};

void InitializeParallaxBackground(ParallaxBackground *self, const char *file1, const char *file2, const char *file3,
	const char *file4, int start1, int start2, int start3, int start4, int end1, int end2, int end3, int end4);
void DrawParallaxBackground(ParallaxBackground *self, Bitmap *screen, int x0);
