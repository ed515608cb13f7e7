// The packer's manifest: one entry a line, '#' starts a comment, paths
// relative to the manifest's folder.
//   B <entry> <file.png>                          a bitmap
//   R <entry> <file.png> [<cellw> <cellh> [<n>]]  frames: the whole picture, or
//                                                 n cells of a grid, row-major
//   R <entry> <a.png> <b.png> ...                 frames: one picture a file
//   <letter> <entry> <file>                       raw data of that type
// Pixels with alpha below 128 become transparent in frames.
#pragma once
#include <string>
#include "tools/laserpack/BundleWriter.h"

struct Manifest
{
	std::string path, folder;
	int line;
	mutable std::string error;  // "path:line: what is wrong" after a failure
};

// Adds the entry of one line (nothing for a blank or comment line); false,
// with the reason in m.error, when the line is wrong.
bool AddManifestLine(BundleWriter *writer, const Manifest &m, const std::string &text);
