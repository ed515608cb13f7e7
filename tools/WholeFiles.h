// Whole files read and written by the build's tools. A file is written to a
// temporary beside it and renamed over it, so a tool stopped halfway never
// leaves a cut-off output that the next build would take as made.
#pragma once
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

[[nodiscard]] static inline bool ReadWholeFile(const char *path, std::string *text)
{
	std::ifstream in(path, std::ios::binary);
	std::ostringstream all;
	all << in.rdbuf();
	*text = all.str();
	return (bool)in;
}

[[nodiscard]] static inline bool ReplaceFile(const char *path, const void *bytes, size_t size)
{
	std::string tmp = std::string(path) + ".tmp";
	FILE *f = fopen(tmp.c_str(), "wb");
	bool ok = f && fwrite(bytes, 1, size, f) == size;
	if (f && fclose(f) != 0) ok = false;
	if (ok && rename(tmp.c_str(), path) == 0) return true;
	remove(tmp.c_str());
	return false;
}
