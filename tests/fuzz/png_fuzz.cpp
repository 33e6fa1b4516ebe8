// The PNG reader over any bytes: chunks, compressed data, filters, palettes,
// interlacing. A refused input leaves no pixels and no registry entry; a loaded one
// has a size within the reader's limit.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "graphics2d/corebitmap.h"
#include "platform/log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > INT32_MAX) return 0;
    FENK_SetLogLevel(FENK_LOG_NONE);
    // A block of exactly the input's size, so a read past the file's end is seen.
    std::vector<unsigned char> bytes(data, data + size);
    s_bitmap bitmap;
    memset(&bitmap, 0, sizeof bitmap);
    const int loaded = FENK_DecodePNG("fuzz.png", bytes.data(), (int)size, &bitmap);
    if (loaded != (bitmap.pixels != nullptr)) abort();
    if (loaded != fenk_numbitmaps) abort();
    if (loaded && (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.width > 16384 || bitmap.height > 16384))
        abort();
    for (int i = 0; i < fenk_numbitmaps; i++) free(fenk_bitmaplist[i]->pixels);
    fenk_numbitmaps = 0;
    return 0;
}
