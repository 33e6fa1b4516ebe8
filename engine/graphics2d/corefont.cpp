// Bitmap fonts: the marker scan, glyph cutting and the three text draws, and fonts
// rendered from TrueType and OpenType files into a picture cut the same way.
#include "graphics2d/corefont.h"
#include "platform/log.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "files/core.h"
#include "graphics2d/ttfont.h"
#include "video/video_opengl.h"

s_bitmap fenk_fontbmp[FENK_MAXFONTS];
int fenk_numfonts;

namespace {

// A marker leaves at most this many glyphs behind it: later markers only move
// the start of the last glyph.
constexpr int marker_glyphs = FENK_MAXGLYPHS - 2;

// Widths are 8-bit. A cell outside 0..255 only comes from a broken picture (a
// marker in column 0, a glyph over 255 wide, a picture that did not load);
// saturating keeps such a glyph from wrapping round to a small or huge advance.
unsigned char width8(int width) { return (unsigned char)(width < 0 ? 0 : width > 255 ? 255 : width); }

int glyphindex(char c) { return (signed char)(unsigned char)((unsigned char)c - 31); }

bool drawable(int glyph) { return glyph >= 0 && glyph <= FENK_FONT_LASTDRAWN; }

// What every glyph adds to a measured line, the space included.
int measure(const s_font &font, const char *text)
{
    int total = 0;
    for (const char *p = text; *p; p++) {
        int g = glyphindex(*p);
        if (drawable(g)) total += font.widths[g] + font.spacing;
    }
    return total;
}

// spaced: whether the space, too, is followed by the font's spacing.
void drawline(int x, int y, const s_font &font, const char *text, bool spaced)
{
    for (const char *p = text; *p; p++) {
        int g = glyphindex(*p);
        if (!drawable(g)) continue;
        if (g >= 1) FENK_DrawSprite(x, y, font.glyphs[g]);
        x += font.widths[g];
        if (g != 1 || spaced) x += font.spacing;
    }
}

// The formatted text, cut to FENK_FONT_MAXTEXT characters.
void format(char (&text)[FENK_FONT_MAXTEXT + 1], const char *fmt, va_list args)
{
    text[0] = 0;
    if (fmt) vsnprintf(text, sizeof text, fmt, args);
}

// The next font picture slot, emptied: after a flush it still holds the size of a
// deleted picture, which a file that does not load would cut glyphs from. Null, with
// the font zeroed, when all are taken.
s_bitmap *freeslot(s_font *font)
{
    if (fenk_numfonts < 0 || fenk_numfonts >= FENK_MAXFONTS) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: font table full (%d fonts).\n", FENK_MAXFONTS);
        memset(font, 0, sizeof *font);
        return nullptr;
    }
    s_bitmap *picture = &fenk_fontbmp[fenk_numfonts];
    memset(picture, 0, sizeof *picture);
    return picture;
}

// The glyphs row 0 of the picture marks: their widths in the font, their cells'
// first columns in `starts`. Returns the glyph count. `clear` counts the pixels of
// row 0 that are no marker.
int scanmarkers(const s_bitmap &picture, s_font *font, int (&starts)[FENK_MAXGLYPHS], int &clear)
{
    // Each cell is cut from where its glyph starts, not from the sum of the widths
    // before it: a saturated width or a marker in column 0 would otherwise shift
    // every later cell right, the last one past the picture's edge. Column 0 is
    // glyph 0's, so a marker there counts as standing in column 1 (glyph 1 empty).
    font->widths[0] = 1;
    int count = 1, previous = 1;
    clear = 0;
    for (int x = 0; x < picture.width; x++) {
        if (((unsigned)FENK_GetPixel(x, 0, picture) >> 24) == 0) {
            clear++;
            continue;
        }
        int at = x < 1 ? 1 : x;
        font->widths[count] = width8(at - previous);
        starts[count] = previous;
        if (count <= marker_glyphs) count++;
        previous = at;
    }
    starts[count] = previous;
    font->widths[count] = width8(picture.width - previous);
    count++;
    font->numletters = count;
    for (int j = count; j < FENK_MAXGLYPHS; j++) font->widths[j] = 0;
    font->height = picture.height > 0 ? picture.height - 1 : 0;
    font->spacing = 0;
    return count;
}

void cutglyphs(s_bitmap *picture, s_font *font, const int (&starts)[FENK_MAXGLYPHS])
{
    font->picture = picture;
    for (int j = 0; j < font->numletters; j++) {
        // Never past the right edge, whatever the picture (one not loaded is 0 wide).
        int width = font->widths[j];
        if (starts[j] + width > picture->width)
            width = picture->width > starts[j] ? picture->width - starts[j] : 0;
        FENK_GetSprite(starts[j], 1, width, font->height, *picture, &font->glyphs[j]);
    }
    for (int j = font->numletters; j < FENK_MAXGLYPHS; j++)
        memset(&font->glyphs[j], 0, sizeof font->glyphs[j]);
}

// The font file's bytes through the file layer, or an empty buffer.
std::string readfont(const char *name)
{
    std::string bytes;
    s_corefile file = {};
    if (!corefile_open(name, &file, 0)) return bytes;
    const int size = corefile_fsize(&file);
    if (size > 0) {
        bytes.resize((size_t)size);
        corefile_read(bytes.data(), 1, size, &file);
    }
    corefile_close(&file);
    return bytes;
}

} // namespace

void FENK_LoadFont(const char *name, s_font *font)
{
    if (!font) return;
    s_bitmap *picture = freeslot(font);
    if (!picture) return;
    FENK_LoadBitmap(name, picture);
    font->picture = picture;

    int starts[FENK_MAXGLYPHS] = {0}, clear = 0;
    const int count = scanmarkers(*picture, font, starts, clear);
    fenk_log(FENK_LOG_INFO, "FENK_LoadFont - Num.Letters: %d\n", count);
    // A picture that is no font picture (a photograph, a 24-bit picture without the
    // key colour) has no transparent pixel in its top row: every column is a marker.
    if (picture->pixels && picture->width > 1 && (clear == 0 || clear == picture->width))
        fenk_log(FENK_LOG_WARNING,
                 "- WARNING: FENK_LoadFont - font %s has no marker row: %s (a font picture's top row is "
                 "transparent but for one marker where each glyph begins)\n",
                 name ? name : "",
                 clear ? "row 0 holds no marker, so the whole picture is one glyph"
                       : "row 0 is opaque from edge to edge, so each of its columns was taken as a marker");
    cutglyphs(picture, font, starts);

    fenk_numfonts++;
    // The slot stays taken either way, as callers count on; only a picture that loaded
    // makes a font worth announcing.
    if (picture->pixels)
        fenk_log(FENK_LOG_INFO, "FENK_LoadFont - Font Added (NumFonts: %d)\n", fenk_numfonts);
    else
        fenk_log(
            FENK_LOG_ERROR,
            "- ERROR: FENK_LoadFont - font %s has no picture: its slot holds an empty font (NumFonts: %d)\n",
            name ? name : "", fenk_numfonts);
}

void FENK_LoadDarkFont(const char *name, s_font *font) { FENK_LoadFont(name, font); }

// The picture is rendered into the slot in memory, in the layout of a font picture, and
// cut as FENK_LoadFont cuts one; a font that does not load leaves the slot as a picture
// that does not load leaves it.
int FENK_LoadTTFont(const char *name, int size, int colour, int flags, s_font *font)
{
    if (!font) return 0;
    s_bitmap *picture = freeslot(font);
    if (!picture) return 0;
    if (!name) name = "";

    ttfont::Options options;
    options.size = size;
    options.colour[0] = (uint8_t)(colour >> 16);
    options.colour[1] = (uint8_t)(colour >> 8);
    options.colour[2] = (uint8_t)colour;
    options.smooth = (flags & FENK_FONT_SMOOTH) != 0;
    ttfont::Picture rendered;
    std::string why;
    if (size < 1 || size > FENK_TTFONT_MAXSIZE) {
        why = "a size of " + std::to_string(size) + " pixels; sizes go from 1 to " +
              std::to_string(FENK_TTFONT_MAXSIZE);
    } else {
        const std::string bytes = readfont(name);
        if (bytes.empty())
            why = "no such file in the data folder, or an empty one";
        else
            ttfont::render((const unsigned char *)bytes.data(), bytes.size(), options, rendered, why);
    }
    if (rendered.width > 0) FENK_CreateBitmap(rendered.width, rendered.height, picture);
    if (picture->pixels) {
        // The renderer's bytes are red, green, blue, alpha: the stored word's order.
        for (int y = 0; y < rendered.height; y++)
            memcpy(picture->pixels + (size_t)y * picture->texwidth,
                   &rendered.rgba[(size_t)y * rendered.width * 4], (size_t)rendered.width * 4);
        FENK_UpdateBitmap(*picture);
    }

    int starts[FENK_MAXGLYPHS] = {0}, clear = 0;
    scanmarkers(*picture, font, starts, clear);
    cutglyphs(picture, font, starts);
    fenk_numfonts++;
    if (!picture->pixels) {
        fenk_log(
            FENK_LOG_ERROR,
            "- ERROR: FENK_LoadTTFont - font %s not loaded: %s; its slot holds an empty font (NumFonts: %d)\n",
            name, why.empty() ? "no memory for its picture" : why.c_str(), fenk_numfonts);
        return 0;
    }
    fenk_log(FENK_LOG_INFO, "FENK_LoadTTFont - %s at %d pixels: %d glyphs, %d x %d pixels (NumFonts: %d)\n",
             name, size, font->numletters, rendered.width, rendered.height, fenk_numfonts);
    if (!rendered.missing.empty())
        fenk_log(FENK_LOG_WARNING,
                 "- WARNING: FENK_LoadTTFont - font %s has no glyph for %s: its missing-glyph box "
                 "stands in\n",
                 name, ttfont::spaced(rendered.missing).c_str());
    if (!rendered.faint.empty())
        fenk_log(FENK_LOG_INFO,
                 "FENK_LoadTTFont - %s at %d pixels: no pixel of %s is half covered; drawn where "
                 "they cover half as much as their strongest pixel (FENK_FONT_SMOOTH keeps every edge's "
                 "coverage)\n",
                 name, size, ttfont::spaced(rendered.faint).c_str());
    if (rendered.width > ttfont::wide_picture)
        fenk_log(FENK_LOG_WARNING,
                 "- WARNING: FENK_LoadTTFont - font %s at %d pixels is %d pixels wide; many "
                 "graphics cards take at most %d\n",
                 name, size, rendered.width, ttfont::wide_picture);
    return 1;
}

void FENK_DeleteFont(s_font *) {}

void FENK_SetFontSpacing(int spacing, s_font *font)
{
    if (font) font->spacing = spacing;
}

void FENK_DrawText(int x, int y, s_font font, const char *fmt, ...)
{
    char text[FENK_FONT_MAXTEXT + 1];
    va_list args;
    va_start(args, fmt);
    format(text, fmt, args);
    va_end(args);
    drawline(x, y, font, text, false);
}

// The space's spacing is measured but not drawn: with a negative spacing the
// line sits a little right of the centre, as the show's captions always have.
void FENK_DrawCenteredText(int y, s_font font, const char *fmt, ...)
{
    char text[FENK_FONT_MAXTEXT + 1];
    va_list args;
    va_start(args, fmt);
    format(text, fmt, args);
    va_end(args);
    int width = FENK_FrameBuffer ? FENK_FrameBuffer->width : 0;
    drawline((width >> 1) - (measure(font, text) >> 1), y, font, text, false);
}

void FENK_DrawCenteredTextXW(int x, int y, int w, s_font font, const char *fmt, ...)
{
    char text[FENK_FONT_MAXTEXT + 1];
    va_list args;
    va_start(args, fmt);
    format(text, fmt, args);
    va_end(args);
    drawline(x + (w >> 1) - (measure(font, text) >> 1), y, font, text, true);
}

int FENK_MeasureText(s_font font, const char *fmt, ...)
{
    char text[FENK_FONT_MAXTEXT + 1];
    va_list args;
    va_start(args, fmt);
    format(text, fmt, args);
    va_end(args);
    return measure(font, text);
}
