// A PNG writer for pictures that must come back as they went in: the smallest colour
// type that holds the picture without loss (grey, grey and alpha, RGB or RGBA, 8 bits),
// each row under the filter that suits it best, the whole through zlib at its highest
// level.
#pragma once

#include <vector>

// The PNG file of width x height pixels given as RGBA bytes, top row first; empty when
// zlib fails.
std::vector<unsigned char> webdata_png(int width, int height, const unsigned char *rgba);
