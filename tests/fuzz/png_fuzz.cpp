// The PNG reader over any bytes: chunks, compressed data, filters, palettes,
// interlacing. A refused input leaves no pixels and no registry entry; a loaded one
// has a size within the reader's limit, and wherever libpng reads the same bytes the
// pixels are libpng's to the byte, so no pixel shows memory the reader never filled
// (a palette index past the palette once showed the decoder's stack).
#include <png.h>
#include <setjmp.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "graphics2d/corebitmap.h"
#include "platform/log.h"

namespace {

struct Source {
    const uint8_t *data;
    size_t size, at;
};

void readbytes(png_structp png, png_bytep out, png_size_t count)
{
    Source *source = static_cast<Source *>(png_get_io_ptr(png));
    if (count > source->size - source->at) png_error(png, "read past the end");
    memcpy(out, source->data + source->at, count);
    source->at += count;
}

void quiet(png_structp, png_const_charp) {}

// The picture as libpng reads it into 8-bit RGBA, no gamma applied (the engine's
// decoder applies none), or false where libpng refuses it. Checksums are not held
// against the file: the engine's decoder reads none, and a fuzzed file rarely keeps
// one right. What changes after the jump point lives in the caller's frame, which a
// jump back does not leave indeterminate.
bool libpng_rgba(const uint8_t *data, size_t size, std::vector<uint8_t> *rgba, std::vector<png_bytep> *rows,
                 uint32_t *width, uint32_t *height)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quiet, quiet);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
        return false;
    }
    Source source = {data, size, 0};
    png_set_read_fn(png, &source, readbytes);
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#ifdef PNG_IGNORE_ADLER32
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    png_set_user_limits(png, 16384, 16384);
    png_read_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != (size_t)*width * 4) longjmp(png_jmpbuf(png), 1);
    rgba->assign((size_t)*width * *height * 4, 0);
    for (uint32_t y = 0; y < *height; y++) rows->push_back(rgba->data() + (size_t)y * *width * 4);
    png_read_image(png, rows->data());
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

} // namespace

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

    std::vector<uint8_t> reference;
    std::vector<png_bytep> rows;
    uint32_t width = 0, height = 0;
    if (loaded && libpng_rgba(data, size, &reference, &rows, &width, &height)) {
        if (width != (uint32_t)bitmap.width || height != (uint32_t)bitmap.height) abort();
        const uint8_t *ours = reinterpret_cast<const uint8_t *>(bitmap.pixels);
        for (size_t i = 0; i < reference.size(); i++) {
            if (ours[i] != reference[i]) {
                fprintf(stderr, "pixel %zu of %u x %u, byte %zu: the engine gives %u, libpng %u\n", i / 4,
                        (unsigned)width, (unsigned)height, i % 4, ours[i], reference[i]);
                abort();
            }
        }
    }
    for (int i = 0; i < fenk_numbitmaps; i++) free(fenk_bitmaplist[i]->pixels);
    fenk_numbitmaps = 0;
    return 0;
}
