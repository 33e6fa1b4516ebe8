// The TGA reader over any bytes: headers, colour maps, run-length packets. The reader
// takes its pixel memory unfilled and promises to write every pixel; the sanitizer
// fills new memory with 0xBE bytes here, so a pixel left unwritten shows.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "graphics2d/corebitmap.h"

extern "C" const char *__asan_default_options()
{
    return "malloc_fill_byte=190:max_malloc_fill_size=2147483647";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > INT32_MAX) return 0;
    // A block of exactly the input's size, so a read past the file's end is seen.
    std::vector<unsigned char> bytes(data, data + size);
    s_bitmap bitmap;
    memset(&bitmap, 0, sizeof bitmap);
    DecodeImageTGA("fuzz.tga", bytes.data(), (int)size, &bitmap);
    if (bitmap.pixels && (bitmap.width <= 0 || bitmap.height <= 0)) abort();
    // Only 32-bit colours and 16-bit grey with alpha can give the fill's word themselves.
    bool greyalpha = size >= FENK_TGA_HEADERSIZE && data[16] == 16 && (data[2] == 3 || data[2] == 11);
    bool wide = size >= FENK_TGA_HEADERSIZE && (data[16] == 32 || (data[1] && data[7] == 32) || greyalpha);
    if (bitmap.pixels && !wide) {
        for (int i = 0; i < bitmap.width * bitmap.height; i++) {
            if (bitmap.pixels[i] == 0xBEBEBEBEu) {
                fprintf(stderr, "pixel %d of %d x %d never written\n", i, bitmap.width, bitmap.height);
                abort();
            }
        }
    }
    for (int i = 0; i < fenk_numbitmaps; i++) free(fenk_bitmaplist[i]->pixels);
    fenk_numbitmaps = 0;
    return 0;
}
