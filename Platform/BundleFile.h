// How the resource loader gets a bundle file's bytes: one definition for each
// platform, Platform/ResourceLoaderSTDIO.cpp with the C runtime's file
// functions, Platform/Web/BundleFile.cpp from what the page has fetched.
#pragma once
#include <cstddef>
#include <cstdint>

// The whole file in a new block from malloc (at least one byte long), its
// length stored through size. Null when it cannot be had: *why then says why,
// or is null when there is no such file.
[[nodiscard]] uint8_t *AllocAndReadBundleFile(const char *filename, size_t *size, const char **why);
// Whether there is a file by that name to read.
[[nodiscard]] bool BundleFileExists(const char *filename);
