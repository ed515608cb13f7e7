// Bundle files that come gzip-compressed (RFC 1952, one member, as the
// browser build's site ships its pictures): inflated whole with the engine's
// own inflate (Graphics/Inflate.h), their length and CRC-32 checked, so that
// the loader goes on with the bundle's own bytes. Needs only the C library.
#pragma once
#include <cstddef>
#include <cstdint>

// Whether a file begins as a gzip member does (its two magic bytes).
[[nodiscard]] bool IsGzipFile(const void *file, size_t size);

// The data of a gzip file of one member in a new block from malloc (at least
// one byte long), its length stored through inflatedsize. Null when the file
// is not one this reads, is cut short or damaged, or there is no memory for
// it; *why then says which.
[[nodiscard]] uint8_t *AllocAndInflateGzipFile(const void *file, size_t size, size_t *inflatedsize, const char **why);
