// stb_image from Debian's libstb-dev, built here rather than linked: the Windows build
// has no libstb, and a private copy keeps its names from meeting another copy a program
// or a test links. Only the PNG reader, from memory (the file layer reads the file).
#include "graphics2d/png.h"

#include <stdint.h>
#include <string.h>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS FENK_PNG_MAXSIDE
#include <stb_image.h>

namespace png {

unsigned char *decode(const unsigned char *data, int size, int *width, int *height, const char **why)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    *width = *height = 0;
    if (!data || size < 8 || memcmp(data, signature, sizeof signature) != 0) {
        *why = "no PNG signature";
        return nullptr;
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
