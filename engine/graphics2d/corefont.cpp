// Bitmap fonts: the marker scan, glyph cutting and the three text draws.
#include "graphics2d/corefont.h"
#include "platform/log.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

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

} // namespace

void FENK_LoadFont(const char *name, s_font *font)
{
    if (!font) return;
    if (fenk_numfonts < 0 || fenk_numfonts >= FENK_MAXFONTS) {
        fenk_log(FENK_LOG_ERROR, "- ERROR: font table full (%d fonts).\n", FENK_MAXFONTS);
        memset(font, 0, sizeof *font);
        return;
    }
    // The slot is emptied first: after a flush it still holds the size of a
    // deleted picture, which a file that does not load would cut glyphs from.
    s_bitmap *picture = &fenk_fontbmp[fenk_numfonts];
    memset(picture, 0, sizeof *picture);
    FENK_LoadBitmap(name, picture);
    font->picture = picture;

    // Each cell is cut from where its glyph starts, not from the sum of the widths
    // before it: a saturated width or a marker in column 0 would otherwise shift
    // every later cell right, the last one past the picture's edge. Column 0 is
    // glyph 0's, so a marker there counts as standing in column 1 (glyph 1 empty).
    int starts[FENK_MAXGLYPHS] = {0};
    font->widths[0] = 1;
    int count = 1, previous = 1;
    for (int x = 0; x < picture->width; x++) {
        if (((unsigned)FENK_GetPixel(x, 0, *picture) >> 24) == 0) continue;
        int at = x < 1 ? 1 : x;
        font->widths[count] = width8(at - previous);
        starts[count] = previous;
        if (count <= marker_glyphs) count++;
        previous = at;
    }
    starts[count] = previous;
    font->widths[count] = width8(picture->width - previous);
    count++;
    font->numletters = count;
    for (int j = count; j < FENK_MAXGLYPHS; j++) font->widths[j] = 0;

    int height = picture->height > 0 ? picture->height - 1 : 0;
    font->height = height;
    font->spacing = 0;
    fenk_log(FENK_LOG_INFO, "FENK_LoadFont - Num.Letters: %d\n", count);

    for (int j = 0; j < count; j++) {
        // Never past the right edge, whatever the picture (one not loaded is 0 wide).
        int width = font->widths[j];
        if (starts[j] + width > picture->width)
            width = picture->width > starts[j] ? picture->width - starts[j] : 0;
        FENK_GetSprite(starts[j], 1, width, height, *picture, &font->glyphs[j]);
    }
    for (int j = count; j < FENK_MAXGLYPHS; j++) memset(&font->glyphs[j], 0, sizeof font->glyphs[j]);

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
