// Whole-buffer inflate, for data deflated as one piece (the gzip-wrapped
// bundles of the browser build). It is the PNG loader's own decoder, so it
// lives in Graphics/PNG.cpp beside it. Needs only the C library.
#pragma once
#include <cstddef>

// Inflates the raw deflate stream (RFC 1951) of length bytes at stream into
// exactly size bytes at out, allocating the decoder's state (about 75 KiB)
// for the call. False when the stream is damaged, ends before size bytes,
// size is 4 GiB or more, or the state cannot be allocated; out may then hold
// part of the data. What the stream holds beyond size is not decoded.
[[nodiscard]] bool InflateWhole(const void *stream, size_t length, void *out, size_t size);
