// PNG: the signature, IHDR, one IDAT, IEND; each chunk's length, type, data and CRC.
#include "png_writer.h"

#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void put32(std::vector<unsigned char> &out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

void chunk(std::vector<unsigned char> &png, const char *type, const unsigned char *data, size_t size)
{
    put32(png, static_cast<uint32_t>(size));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    if (size) png.insert(png.end(), data, data + size);
    put32(png, static_cast<uint32_t>(crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}

int paeth(int a, int b, int c)
{
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Row `y` filtered into out[0] (the filter's number) and out[1..]: of the five filters
// the one whose bytes, taken as signed, sum smallest in magnitude.
void filter_row(const std::vector<unsigned char> &pixels, size_t stride, int bpp, int y, unsigned char *out)
{
    const unsigned char *row = &pixels[stride * static_cast<size_t>(y)];
    const unsigned char *up = y ? row - stride : nullptr;
    std::vector<unsigned char> trial(stride);
    long best = -1;
    for (int f = 0; f < 5; f++) {
        long cost = 0;
        for (size_t i = 0; i < stride; i++) {
            const int a = i >= static_cast<size_t>(bpp) ? row[i - bpp] : 0, b = up ? up[i] : 0;
            const int c = up && i >= static_cast<size_t>(bpp) ? up[i - bpp] : 0;
            const int predicted = f == 0   ? 0
                                  : f == 1 ? a
                                  : f == 2 ? b
                                  : f == 3 ? (a + b) / 2
                                           : paeth(a, b, c);
            trial[i] = static_cast<unsigned char>(row[i] - predicted);
            cost += trial[i] < 128 ? trial[i] : 256 - trial[i];
        }
        if (best < 0 || cost < best) {
            best = cost;
            out[0] = static_cast<unsigned char>(f);
            memcpy(out + 1, trial.data(), stride);
        }
    }
}

// The data through zlib at its highest level, with the strategy that packs it smaller:
// zlib's default, or the one for filtered data. Empty when zlib fails.
std::vector<unsigned char> deflated(std::vector<unsigned char> &raw)
{
    std::vector<unsigned char> best;
    for (const int strategy : {Z_DEFAULT_STRATEGY, Z_FILTERED}) {
        z_stream z = {};
        if (deflateInit2(&z, 9, Z_DEFLATED, 15, 9, strategy) != Z_OK) return {};
        std::vector<unsigned char> out(deflateBound(&z, static_cast<uLong>(raw.size())));
        z.next_in = raw.data();
        z.avail_in = static_cast<uInt>(raw.size());
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        const int done = deflate(&z, Z_FINISH);
        out.resize(z.total_out);
        deflateEnd(&z);
        if (done != Z_STREAM_END) return {};
        if (best.empty() || out.size() < best.size()) best.swap(out);
    }
    return best;
}

} // namespace

std::vector<unsigned char> webdata_png(int width, int height, const unsigned char *rgba)
{
    const size_t count = static_cast<size_t>(width) * height;
    bool grey = true, opaque = true;
    for (size_t i = 0; i < count; i++) {
        const unsigned char *p = rgba + i * 4;
        grey = grey && p[0] == p[1] && p[1] == p[2];
        opaque = opaque && p[3] == 255;
    }
    // PNG's colour types: 0 grey, 4 grey and alpha, 2 RGB, 6 RGBA.
    const int type = grey ? (opaque ? 0 : 4) : (opaque ? 2 : 6);
    const int bpp = (grey ? 1 : 3) + (opaque ? 0 : 1);
    const size_t stride = static_cast<size_t>(width) * bpp;
    std::vector<unsigned char> pixels(stride * height);
    for (size_t i = 0, o = 0; i < count; i++) {
        const unsigned char *p = rgba + i * 4;
        for (int c = 0; c < (grey ? 1 : 3); c++) pixels[o++] = p[c];
        if (!opaque) pixels[o++] = p[3];
    }
    std::vector<unsigned char> raw((stride + 1) * height);
    for (int y = 0; y < height; y++) filter_row(pixels, stride, bpp, y, &raw[(stride + 1) * y]);

    std::vector<unsigned char> packed = deflated(raw);
    if (packed.empty()) return {};
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    put32(header, static_cast<uint32_t>(width));
    put32(header, static_cast<uint32_t>(height));
    header.insert(header.end(),
                  {8, static_cast<unsigned char>(type), 0, 0, 0}); // deflate, filters, no interlace
    chunk(png, "IHDR", header.data(), header.size());
    chunk(png, "IDAT", packed.data(), packed.size());
    chunk(png, "IEND", nullptr, 0);
    return png;
}
