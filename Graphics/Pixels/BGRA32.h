// The engine's one pixel format: a 32-bit word, alpha in the top byte, then
// red, green, blue. In memory on a little-endian machine: B, G, R, A.
#pragma once
#include <cstdint>

typedef uint32_t Pixel;
