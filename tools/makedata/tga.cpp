#include "tga.h"

#include <cstdio>
#include <cstring>

namespace makedata {

void avoid_key(uint8_t &r, uint8_t &g, uint8_t &b)
{
    if (r > 240 && g < 16 && b > 240) g = 16;
}

bool write_file(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

namespace {

void put16(std::vector<uint8_t> &out, int v)
{
    out.push_back(uint8_t(v & 255));
    out.push_back(uint8_t((v >> 8) & 255));
}

std::vector<uint8_t> header(int type, int width, int height, int depth, Origin origin, int map_entries)
{
    std::vector<uint8_t> h;
    h.push_back(0); // no identification field
    h.push_back(map_entries ? 1 : 0);
    h.push_back(uint8_t(type));
    put16(h, 0); // first map index
    put16(h, map_entries);
    h.push_back(map_entries ? 24 : 0);
    put16(h, 0); // x origin
    put16(h, 0); // y origin
    put16(h, width);
    put16(h, height);
    h.push_back(uint8_t(depth));
    uint8_t descriptor = origin == Origin::top_left ? 0x20 : 0;
    if (depth == 32) descriptor |= 8; // eight attribute (alpha) bits
    h.push_back(descriptor);
    return h;
}

// Appends one row of already-encoded pixels (bpp bytes each). Run packets never cross a
// row end, which every reader accepts.
void encode_row(std::vector<uint8_t> &out, const uint8_t *row, int width, int bpp, bool rle)
{
    if (!rle) {
        out.insert(out.end(), row, row + size_t(width) * bpp);
        return;
    }
    auto same = [&](int a, int b) { return std::memcmp(row + a * bpp, row + b * bpp, bpp) == 0; };
    int i = 0;
    while (i < width) {
        int run = 1;
        while (i + run < width && run < 128 && same(i, i + run)) ++run;
        if (run >= 2) {
            out.push_back(uint8_t(0x80 | (run - 1)));
            out.insert(out.end(), row + i * bpp, row + (i + 1) * bpp);
            i += run;
            continue;
        }
        // A raw packet lasts until two equal neighbours start a run.
        int n = 1;
        while (i + n < width && n < 128 && !(i + n + 1 < width && same(i + n, i + n + 1))) ++n;
        out.push_back(uint8_t(n - 1));
        out.insert(out.end(), row + i * bpp, row + (i + n) * bpp);
        i += n;
    }
}

// Encodes rows given top-down in `pixels` into the file's row order.
void encode_rows(std::vector<uint8_t> &out, const std::vector<uint8_t> &pixels, int width, int height,
                 int bpp, bool rle, Origin origin)
{
    for (int k = 0; k < height; ++k) {
        int y = origin == Origin::top_left ? k : height - 1 - k;
        encode_row(out, pixels.data() + size_t(y) * width * bpp, width, bpp, rle);
    }
}

bool valid_size(int width, int height)
{
    return width > 0 && height > 0 && width <= 65535 && height <= 65535;
}

} // namespace

bool write_tga_rgb(const std::string &path, int width, int height, const uint8_t *rgba, int depth, bool rle,
                   Origin origin)
{
    if (!valid_size(width, height) || (depth != 16 && depth != 24 && depth != 32)) return false;
    int bpp = depth / 8;
    size_t count = size_t(width) * height;
    std::vector<uint8_t> px(count * bpp);
    for (size_t i = 0; i < count; ++i) {
        uint8_t r = rgba[i * 4], g = rgba[i * 4 + 1], b = rgba[i * 4 + 2], a = rgba[i * 4 + 3];
        uint8_t *o = &px[i * bpp];
        if (depth == 16) {
            int r5 = r >> 3, g5 = g >> 3, b5 = b >> 3;
            if (r5 == 31 && g5 < 2 && b5 == 31) // decodes to 248, <16, 248: the key
                g5 = 2;
            int w = 0x8000 | (r5 << 10) | (g5 << 5) | b5;
            o[0] = uint8_t(w & 255);
            o[1] = uint8_t(w >> 8);
        } else {
            avoid_key(r, g, b);
            o[0] = b;
            o[1] = g;
            o[2] = r;
            if (depth == 32) o[3] = a;
        }
    }
    std::vector<uint8_t> out = header(rle ? 10 : 2, width, height, depth, origin, 0);
    encode_rows(out, px, width, height, bpp, rle, origin);
    return write_file(path, out);
}

bool write_tga_grey(const std::string &path, int width, int height, const uint8_t *grey, bool rle,
                    Origin origin)
{
    if (!valid_size(width, height)) return false;
    std::vector<uint8_t> px(grey, grey + size_t(width) * height);
    std::vector<uint8_t> out = header(rle ? 11 : 3, width, height, 8, origin, 0);
    encode_rows(out, px, width, height, 1, rle, origin);
    return write_file(path, out);
}

bool write_tga_mapped(const std::string &path, int width, int height, const uint8_t *index,
                      const uint8_t *palette, int entries, bool rle, Origin origin)
{
    if (!valid_size(width, height) || entries < 1 || entries > 256) return false;
    std::vector<uint8_t> out = header(rle ? 9 : 1, width, height, 8, origin, entries);
    for (int i = 0; i < entries; ++i) {
        uint8_t r = palette[i * 3], g = palette[i * 3 + 1], b = palette[i * 3 + 2];
        avoid_key(r, g, b);
        out.push_back(b);
        out.push_back(g);
        out.push_back(r);
    }
    std::vector<uint8_t> px(index, index + size_t(width) * height);
    encode_rows(out, px, width, height, 1, rle, origin);
    return write_file(path, out);
}

} // namespace makedata
