// A small TGA writer for tests and benchmarks: header, identification field,
// colour map and pixels, raw or run-length coded with packets running on across
// row ends. Values are given in file order, one word per pixel or map entry:
// an index or grey level for 8 bits, the 16-bit word for 15 and 16 bits,
// 0xRRGGBB for 24 and 0xAARRGGBB for 32.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Tga {
    int type = 2;
    int depth = 24;
    int maptype = 0;
    int mapfirst = 0;
    int maplength = -1; // -1: the size of map
    int mapbits = 0;
    int width = 1;
    int height = 1;
    int descriptor = 0x20;
    std::string id;
    std::vector<uint32_t> map;
    std::vector<uint32_t> pixels;
};

inline std::string tga_value(uint32_t v, int bits)
{
    std::string out;
    switch (bits) {
    case 8: out += (char)v; break;
    case 15:
    case 16:
        out += (char)(v & 255);
        out += (char)(v >> 8 & 255);
        break;
    case 24: out += {(char)(v & 255), (char)(v >> 8 & 255), (char)(v >> 16 & 255)}; break;
    default:
        out += {(char)(v & 255), (char)(v >> 8 & 255), (char)(v >> 16 & 255), (char)(v >> 24 & 255)};
        break;
    }
    return out;
}

// Greedy coding: two or more equal values make a run packet, anything else a
// raw packet; neither looks at row ends.
inline std::string tga_rle(const std::vector<uint32_t> &values, int bits)
{
    std::string out;
    size_t n = values.size(), i = 0;
    while (i < n) {
        size_t run = 1;
        while (i + run < n && run < 128 && values[i + run] == values[i]) run++;
        if (run >= 2) {
            out += (char)(0x80 | (run - 1));
            out += tga_value(values[i], bits);
            i += run;
            continue;
        }
        size_t raw = 1;
        while (i + raw < n && raw < 128 && !(i + raw + 1 < n && values[i + raw] == values[i + raw + 1]))
            raw++;
        out += (char)(raw - 1);
        for (size_t k = 0; k < raw; k++) out += tga_value(values[i + k], bits);
        i += raw;
    }
    return out;
}

inline std::string tga_bytes(const Tga &t)
{
    int maplength = t.maplength >= 0 ? t.maplength : (int)t.map.size();
    auto word = [](int v) { return std::string{(char)(v & 255), (char)(v >> 8 & 255)}; };
    std::string out;
    out += (char)t.id.size();
    out += (char)t.maptype;
    out += (char)t.type;
    out += word(t.mapfirst) + word(maplength);
    out += (char)t.mapbits;
    out += word(0) + word(0) + word(t.width) + word(t.height);
    out += (char)t.depth;
    out += (char)t.descriptor;
    out += t.id;
    for (uint32_t entry : t.map) out += tga_value(entry, t.mapbits);
    if (t.type >= 8) {
        out += tga_rle(t.pixels, t.depth);
    } else {
        for (uint32_t v : t.pixels) out += tga_value(v, t.depth);
    }
    return out;
}
