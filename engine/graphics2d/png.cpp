// stb_image from Debian's libstb-dev, built here rather than linked: the Windows build
// has no libstb, and a private copy keeps its names from meeting another copy a program
// or a test links. Only the PNG reader, from memory (the file layer reads the file).
#include "graphics2d/png.h"

#include <stdint.h>
#include <stdio.h>
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

void putbigendian(unsigned char *p, uint32_t value)
{
    p[0] = (unsigned char)(value >> 24);
    p[1] = (unsigned char)(value >> 16);
    p[2] = (unsigned char)(value >> 8);
    p[3] = (unsigned char)value;
}

uint32_t crc32(const unsigned char *p, size_t length)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; i++) {
        crc ^= p[i];
        for (int bit = 0; bit < 8; bit++) crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFu;
}

// A chunk's type as text: its letters, other bytes as \xNN.
void chunkname(const unsigned char *type, char out[20])
{
    char *at = out;
    for (int i = 0; i < 4; i++) {
        const unsigned char c = type[i];
        if (c >= 0x21 && c < 0x7F)
            *at++ = (char)c;
        else
            at += snprintf(at, 5, "\\x%02X", c);
    }
    *at = 0;
}

// The file as the decoder is given it, and what the walk over its chunks found.
// Empty data chunks hold nothing and are left out: stb_image copies such a chunk
// through a null pointer when it is the first, which the compiler may take as a
// promise that the pointer is set and drop the check that refuses a file without
// data. The palette is given all 256 entries, those the file lacks opaque black, as
// libpng reads them: stb_image would take the missing ones from its stack. A
// second palette is left out (libpng keeps the first, stb_image the last). A
// transparency chunk longer than the palette, or before it, is left out, as libpng
// ignores it; so is one after a transparency chunk libpng took (it keeps the first,
// stb_image the last). The transparent grey of a picture of 1, 2 or 4 bits keeps only
// those bits, as libpng compares it (stb_image would scale the whole value and match
// none).
struct Chunks {
    std::vector<unsigned char> kept; // empty when the file is given as it is
    uint64_t databytes = 0;
    char problem[96] = "";
};

// Appends one chunk of `length` bytes taken from `body` (zeros past `have` bytes),
// with its checksum.
void appendchunk(std::vector<unsigned char> &out, const unsigned char *type, const unsigned char *body,
                 uint32_t have, uint32_t length)
{
    const size_t start = out.size();
    out.resize(start + 12 + length, 0);
    unsigned char *at = out.data() + start;
    putbigendian(at, length);
    memcpy(at + 4, type, 4);
    memcpy(at + 8, body, have);
    putbigendian(at + 8 + length, crc32(at + 4, 4 + (size_t)length));
}

Chunks scan(const unsigned char *data, int size)
{
    Chunks chunks;
    const size_t end = (size_t)size;
    const bool header = size >= 33 && memcmp(data + 12, "IHDR", 4) == 0;
    const bool paletted = header && data[25] == 3;
    const int greybits = header && data[25] == 0 && data[24] < 8 ? data[24] : 0;
    const int colours = header ? data[25] : -1; // the colour type: 0 grey, 2 RGB, 3 paletted
    bool transparency = false;                  // a transparency chunk taken
    uint32_t palette = 0;                       // entries of the palette
    bool seenpalette = false;
    size_t at = 8, copied = 0;
    bool ended = false;
    // Moves what lies between the last change and `upto` into the copy.
    auto keep = [&](size_t upto) { chunks.kept.insert(chunks.kept.end(), data + copied, data + upto); };
    while (!ended && at + 12 <= end) {
        const uint32_t length = bigendian(data + at);
        const unsigned char *type = data + at + 4;
        // The decoder would take memory for the whole chunk before it finds it short.
        if (length > end - at - 12) {
            char name[20];
            chunkname(type, name);
            snprintf(chunks.problem, sizeof chunks.problem, "file cut short inside its %s chunk", name);
            return chunks;
        }
        const size_t next = at + 12 + (size_t)length;
        if (memcmp(type, "IEND", 4) == 0) {
            ended = true;
        } else if (memcmp(type, "IDAT", 4) == 0) {
            chunks.databytes += length;
            if (length == 0) {
                keep(at);
                copied = next;
            }
        } else if (paletted && memcmp(type, "PLTE", 4) == 0 && seenpalette) {
            keep(at);
            copied = next;
        } else if (paletted && memcmp(type, "PLTE", 4) == 0 && length % 3 == 0 && length > 0 &&
                   length < 768) {
            seenpalette = true;
            palette = length / 3;
            keep(at);
            appendchunk(chunks.kept, type, data + at + 8, length, 768);
            copied = next;
        } else if (paletted && memcmp(type, "PLTE", 4) == 0) {
            seenpalette = true;
            palette = length / 3;
        } else if (memcmp(type, "tRNS", 4) == 0 &&
                   (transparency || (paletted && (length > palette || length == 0)))) {
            keep(at);
            copied = next;
        } else if (greybits && memcmp(type, "tRNS", 4) == 0 && length == 2) {
            const unsigned char grey[2] = {0, (unsigned char)(data[at + 9] & ((1 << greybits) - 1))};
            keep(at);
            appendchunk(chunks.kept, type, grey, 2, 2);
            copied = next;
            transparency = true;
        } else if (memcmp(type, "tRNS", 4) == 0) {
            transparency = paletted || (colours == 0 && length == 2) || (colours == 2 && length == 6);
        } else if (!(type[0] & 0x20) && memcmp(type, "IHDR", 4) != 0 && memcmp(type, "PLTE", 4) != 0 &&
                   memcmp(type, "CgBI", 4) != 0) {
            char name[20];
            chunkname(type, name);
            snprintf(chunks.problem, sizeof chunks.problem, "unknown critical chunk %s", name);
            return chunks;
        }
        at = next;
    }
    if (!ended) {
        snprintf(chunks.problem, sizeof chunks.problem, "%s",
                 at < end ? "file cut short inside a chunk header" : "file cut short: no IEND chunk");
        return chunks;
    }
    if (copied) keep(end);
    return chunks;
}

// Whether the compressed data could make the rows the header promises: deflate
// expands at most 1032 times. A small file that claims a huge picture is refused
// before the decoder takes memory for the whole picture.
bool enough_data(const unsigned char *data, uint64_t databytes, int w, int h)
{
    static const int channels[7] = {1, 0, 3, 1, 2, 0, 4};
    const int depth = data[24], colour = data[25];
    const uint64_t bits = (uint64_t)depth * (colour <= 6 ? channels[colour] : 1);
    const uint64_t rows = (uint64_t)h * (1 + ((uint64_t)w * bits + 7) / 8);
    return rows <= databytes * 1032 + 1032;
}

// The decoder's own reason, or a word where it gives none.
const char *decoderreason()
{
    const char *reason = stbi_failure_reason();
    return reason && reason[0] ? reason : "no reason given";
}

} // namespace

unsigned char *decode(const unsigned char *data, int size, int *width, int *height, char *why, size_t whysize)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    *width = *height = 0;
    if (!data || size < 8 || memcmp(data, signature, sizeof signature) != 0) {
        snprintf(why, whysize, "not a PNG: no PNG signature");
        return nullptr;
    }
    // The size first: the header says it before anything can be found wrong further on.
    if (size >= 33 && memcmp(data + 12, "IHDR", 4) == 0) {
        const uint32_t w = bigendian(data + 16), h = bigendian(data + 20);
        // The bitmap's byte size is a 32-bit count.
        if (w > FENK_PNG_MAXSIDE || h > FENK_PNG_MAXSIDE || (uint64_t)w * h * 4 > INT32_MAX) {
            snprintf(why, whysize, "picture too large: %u x %u pixels, this reader takes up to %d on a side",
                     (unsigned)w, (unsigned)h, FENK_PNG_MAXSIDE);
            return nullptr;
        }
    }
    const Chunks chunks = scan(data, size);
    if (chunks.problem[0]) {
        snprintf(why, whysize, "%s", chunks.problem);
        return nullptr;
    }
    if (!chunks.kept.empty()) {
        data = chunks.kept.data();
        size = (int)chunks.kept.size();
    }
    // The decoder's header reader, called directly: the public call answers any
    // failure with "unknown image type".
    int w = 0, h = 0, channels = 0;
    stbi__context context;
    stbi__start_mem(&context, data, size);
    if (!stbi__png_info(&context, &w, &h, &channels)) {
        snprintf(why, whysize, "bad header: %s", decoderreason());
        return nullptr;
    }
    if (!enough_data(data, chunks.databytes, w, h)) {
        snprintf(why, whysize, "too little image data for its size");
        return nullptr;
    }
    unsigned char *pixels = stbi_load_from_memory(data, size, &w, &h, &channels, 4);
    if (!pixels) {
        snprintf(why, whysize, "bad image data: %s", decoderreason());
        return nullptr;
    }
    *width = w;
    *height = h;
    return pixels;
}

void release(unsigned char *pixels) { stbi_image_free(pixels); }

} // namespace png
