// Span and rectangle clipping shared by lines, rectangles, blits and RLE
// drawing. A span is (start, length) with the end excluded; a clip range is
// [0, max).
#pragma once

static inline bool IsSpanCompletelyOutside(int start, int len, int max)
{
	if (start >= max) return true;
	return start + len <= 0;
}

static inline bool IsSpanCompletelyInside(int start, int len, int max)
{
	return start >= 0 && start + len <= max;
}

static inline bool IsCompletelyOutside(int x, int y, int w, int h, int clipw, int cliph)
{
	return IsSpanCompletelyOutside(x, w, clipw) || IsSpanCompletelyOutside(y, h, cliph);
}

static inline void AdjustSpan(int *start, int *len, int max)
{
	if (*start < 0) {
		*len += *start;
		*start = 0;
	}
	if (*start + *len > max) *len = max - *start;
}

// As AdjustSpan, moving a second coordinate u along with start so that each
// source pixel still lands on the same destination pixel.
static inline void AdjustSpan2(int *start, int *u, int *len, int max)
{
	if (*start < 0) {
		*len += *start;
		*u -= *start;
		*start = 0;
	}
	if (*start + *len > max) *len = max - *start;
}

static inline bool ClipRectangle(int *x, int *y, int *w, int *h, int clipw, int cliph)
{
	if (IsCompletelyOutside(*x, *y, *w, *h, clipw, cliph)) return false;
	AdjustSpan(x, w, clipw);
	AdjustSpan(y, h, cliph);
	return true;
}

static inline bool ClipRectangle2(int *x, int *y, int *u, int *v, int *w, int *h, int clipw, int cliph)
{
	if (IsCompletelyOutside(*x, *y, *w, *h, clipw, cliph)) return false;
	AdjustSpan2(x, u, w, clipw);
	AdjustSpan2(y, v, h, cliph);
	return true;
}

// The coordinate across the line (v) is tested but never changed.
static inline bool ClipLine(int *u, int *v, int *len, int clipu, int clipv)
{
	if (IsCompletelyOutside(*u, *v, *len, 1, clipu, clipv)) return false;
	AdjustSpan(u, len, clipu);
	return true;
}
