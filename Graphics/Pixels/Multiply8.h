// Integer colour multiply: floor(a*b/255) for channel values 0-255.
#pragma once

static inline int PixelMul8(int a, int b) { return (a * b) / 255; }
