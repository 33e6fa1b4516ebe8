// stb_image from Debian's libstb-dev, built here rather than linked: the Windows build
// has no libstb, and a private copy keeps its names from meeting another copy a program
// or a test links. Only the PNG reader, from memory (the file layer reads the file).
#include "graphics2d/png.h"

#include <stdint.h>
#include <string.h>

#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS FENK_PNG_MAXSIDE
#include <stb_image.h>

namespace png {

namespace {

uint32_t bigendian(const unsigned char *p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

// The file without its empty IDAT chunks (empty when it has none), and the bytes of
// compressed data it holds. Empty data chunks hold nothing, so the picture is the same;
// stb_image copies such a chunk through a null pointer when it is the first, which the
// compiler may take as a promise that the pointer is set and drop the check that
// refuses a file without data.
struct Chunks {
    std::vector<unsigned char> kept;
    uint64_t databytes = 0;
    bool cut = false; // a chunk before the end chunk runs past the file's end
};

Chunks scan(const unsigned char *data, int size)
{
    Chunks chunks;
    size_t at = 8, copied = 0;
    const size_t end = (size_t)size;
    while (at + 12 <= end) {
        const uint32_t length = bigendian(data + at);
        // The decoder would take memory for the whole chunk before it finds it short.
        if (length > end - at - 12) {
            chunks.cut = true;
            break;
        }
        if (memcmp(data + at + 4, "IEND", 4) == 0) break;
        if (memcmp(data + at + 4, "IDAT", 4) == 0) {
            chunks.databytes += length;
            if (length == 0) {
                chunks.kept.insert(chunks.kept.end(), data + copied, data + at);
                copied = at + 12;
            }
        }
        at += 12 + (size_t)length;
    }
    if (at + 12 > end && at < end) chunks.cut = true;
    if (copied) chunks.kept.insert(chunks.kept.end(), data + copied, data + end);
    return chunks;
}

// Whether the compressed data could make the rows the header promises: deflate
// expands at most 1032 times. A small file that claims a huge picture is refused
// before the decoder takes memory for the whole picture.
bool enough_data(const unsigned char *data, int size, uint64_t databytes, int w, int h)
{
    if (size < 33 || memcmp(data + 12, "IHDR", 4) != 0) return true; // the decoder refuses it
    static const int channels[7] = {1, 0, 3, 1, 2, 0, 4};
    const int depth = data[24], colour = data[25];
    const uint64_t bits = (uint64_t)depth * (colour <= 6 ? channels[colour] : 1);
    const uint64_t rows = (uint64_t)h * (1 + ((uint64_t)w * bits + 7) / 8);
    return rows <= databytes * 1032 + 1032;
}

} // namespace

unsigned char *decode(const unsigned char *data, int size, int *width, int *height, const char **why)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    *width = *height = 0;
    if (!data || size < 8 || memcmp(data, signature, sizeof signature) != 0) {
        *why = "no PNG signature";
        return nullptr;
    }
    const Chunks chunks = scan(data, size);
    if (chunks.cut) {
        *why = "file cut short";
        return nullptr;
    }
    if (!chunks.kept.empty()) {
        data = chunks.kept.data();
        size = (int)chunks.kept.size();
    }
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_memory(data, size, &w, &h, &channels)) {
        *why = stbi_failure_reason();
        return nullptr;
    }
    // The bitmap's byte size is a 32-bit count.
    if (w <= 0 || h <= 0 || w > FENK_PNG_MAXSIDE || h > FENK_PNG_MAXSIDE ||
        static_cast<int64_t>(w) * h * 4 > INT32_MAX) {
        *why = "picture too large";
        return nullptr;
    }
    if (!enough_data(data, size, chunks.databytes, w, h)) {
        *why = "too little image data for its size";
        return nullptr;
    }
    unsigned char *pixels = stbi_load_from_memory(data, size, &w, &h, &channels, 4);
    if (!pixels) {
        *why = stbi_failure_reason();
        return nullptr;
    }
    *width = w;
    *height = h;
    return pixels;
}

void release(unsigned char *pixels) { stbi_image_free(pixels); }

} // namespace png
