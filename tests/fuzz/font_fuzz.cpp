// The font's marker scan and glyph cutting over any font picture (a TGA file of any
// bytes): every glyph cell the font cuts must lie inside its picture.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "graphics2d/corefont.h"
#include "scratch.h"

namespace {

s_font font; // glyphs are registered by reference: the record stays in place

void fail(const char *what, int glyph, float at)
{
    fprintf(stderr, "glyph %d of %d: %s (%g) outside the %d x %d picture\n", glyph, font.numletters, what, at,
            font.picture->width, font.picture->height);
    abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::mountscratch();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::put(fuzz::scratch() + "/font.tga", data, size);
    FENK_LoadFont("font.tga", &font);
    const s_bitmap &picture = *font.picture;
    if (font.numletters < 1 || font.numletters > FENK_MAXGLYPHS) fail("glyph count", font.numletters, 0);
    for (int j = 0; j < font.numletters && picture.pixels; j++) {
        const s_sprite &glyph = font.glyphs[j];
        if (glyph.width < 0 || glyph.height < 0) fail("size", j, (float)glyph.width);
        if (glyph.width == 0 || glyph.height == 0) continue;
        // Cells are kept as texture coordinates; the texture is the picture's size.
        float left = glyph.u0 * picture.texwidth, right = glyph.u1 * picture.texwidth;
        float top = glyph.v0 * picture.texheight, bottom = glyph.v1 * picture.texheight;
        if (left < -0.5f) fail("left edge", j, left);
        if (right > picture.width + 0.5f) fail("right edge", j, right);
        if (top < -0.5f) fail("top edge", j, top);
        if (bottom > picture.height + 0.5f) fail("bottom edge", j, bottom);
    }
    // What a flush of the graphics does, without the video layer around it.
    for (int i = 0; i < fenk_numbitmaps; i++) FENK_DeleteBitmap(fenk_bitmaplist[i]);
    fenk_numbitmaps = 0;
    fenk_numsprites = 0;
    fenk_numfonts = 0;
    return 0;
}
