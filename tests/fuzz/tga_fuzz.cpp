// The TGA reader over any bytes: headers, colour maps, run-length packets.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "graphics2d/corebitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > INT32_MAX)
        return 0;
    // A block of exactly the input's size, so a read past the file's end is seen.
    std::vector<unsigned char> bytes(data, data + size);
    s_bitmap bitmap;
    memset(&bitmap, 0, sizeof bitmap);
    DecodeImageTGA("fuzz.tga", bytes.data(), (int)size, &bitmap);
    if (bitmap.pixels && (bitmap.width <= 0 || bitmap.height <= 0))
        abort();
    for (int i = 0; i < fenk_numbitmaps; i++)
        free(fenk_bitmaplist[i]->pixels);
    fenk_numbitmaps = 0;
    return 0;
}
