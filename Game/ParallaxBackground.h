// The four-band night sky behind the playfield, farthest band first. The
// images are 512-pixel tiles in a loaded bundle, not owned here. Needs
// Graphics/RLEBitmap.h.
#pragma once
#include <cstdint>
#include "Graphics/RLEBitmap.h"

struct ParallaxBackground
{
	RLEBitmap *layers[4];    // null entries are skipped
	int32_t startheight[4];  // first row of a band's scenery (recorded only)
	int32_t endheight[4];    // last row a band may cover
};
