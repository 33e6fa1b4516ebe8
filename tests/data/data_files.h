// Access to the generated data directory for the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::string data_path(const std::string &name);
std::vector<uint8_t> read_bytes(const std::string &path);

// The 18-byte TGA header fields the checks look at.
struct TgaHeader {
    int id_length, map_type, image_type, map_length, map_entry_bits;
    int width, height, depth, descriptor;
};
bool parse_tga_header(const std::vector<uint8_t> &file, TgaHeader &h);

// Decoded picture as R, G, B, A bytes, rows from the top.
struct Rgba {
    int width = 0, height = 0;
    std::vector<uint8_t> px;
    const uint8_t *at(int x, int y) const { return &px[(size_t(y) * width + x) * 4]; }
};
bool decode_tga(const std::vector<uint8_t> &file, Rgba &out);

std::vector<std::string> caption_lines();
