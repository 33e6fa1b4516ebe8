// A small TGA writer for the pictures the generator makes. It writes every kind the
// engine's reader takes: true colour (16, 24, 32 bits), colour-mapped with a 24-bit
// map, grey, each raw or run-length coded, with the rows bottom-up or top-down.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace makedata {

enum class Origin { bottom_left, top_left };

// True-colour picture: rgba holds width * height pixels, 4 bytes each (R, G, B, A),
// rows from the top. depth is 16, 24 or 32.
bool write_tga_rgb(const std::string &path, int width, int height, const uint8_t *rgba, int depth, bool rle,
                   Origin origin);

// Grey picture: one byte per pixel, rows from the top.
bool write_tga_grey(const std::string &path, int width, int height, const uint8_t *grey, bool rle,
                    Origin origin);

// Colour-mapped picture: one palette index per pixel, rows from the top; palette holds
// entries * 3 bytes (R, G, B), at most 256 entries.
bool write_tga_mapped(const std::string &path, int width, int height, const uint8_t *index,
                      const uint8_t *palette, int entries, bool rle, Origin origin);

// The engine turns near-magenta (red > 240, green < 16, blue > 240) into transparent
// black. Artwork must never hit that by accident, so every colour passes through here.
void avoid_key(uint8_t &r, uint8_t &g, uint8_t &b);

bool write_file(const std::string &path, const std::vector<uint8_t> &bytes);

} // namespace makedata
