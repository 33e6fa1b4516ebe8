/* Bitmap fonts: glyphs cut as sprites from one picture whose top row marks
 * where each glyph begins, and one-line text drawn glyph by glyph from a
 * printf-style format. */
#ifndef FENK_GRAPHICS2D_COREFONT_H
#define FENK_GRAPHICS2D_COREFONT_H

#include "graphics2d/corebitmap.h"
#include "graphics2d/coresprite.h"

#ifdef __cplusplus
extern "C" {
#endif

#define FENK_MAXFONTS 16
#define FENK_MAXGLYPHS 96
/* Glyph 1 is the space (character 0x20); 93 is the last a character reaches. */
#define FENK_FONT_LASTDRAWN 93
/* Formatted text is cut to this many characters. */
#define FENK_FONT_MAXTEXT 255

typedef struct s_font {
    s_sprite glyphs[FENK_MAXGLYPHS];
    unsigned char widths[FENK_MAXGLYPHS]; /* also each glyph's advance */
    int height;                           /* picture height - 1: row 0 holds the markers */
    int numletters;                       /* glyphs cut, glyph 0 included */
    int spacing;                          /* extra pixels after each glyph but the space; may be negative */
    s_bitmap *picture;                    /* one of the fenk_fontbmp slots */
} s_font;

/* The pictures of the loaded fonts; fenk_numfonts is the next free slot. */
extern s_bitmap fenk_fontbmp[FENK_MAXFONTS];
extern int fenk_numfonts;

/* The font record must stay in place: its glyphs are registered by reference.
 * With all FENK_MAXFONTS slots in use the font is refused and left empty. */
void FENK_LoadFont(const char *name, s_font *font);
void FENK_LoadDarkFont(const char *name, s_font *font);

/* FENK_LoadTTFont's flag: each glyph's edge coverage kept as alpha, for text drawn
 * with alpha blending on. Without it a pixel is opaque where the glyph covers at least
 * half of it and transparent elsewhere. */
#define FENK_FONT_SMOOTH 1
/* The largest size FENK_LoadTTFont renders, in pixels. */
#define FENK_TTFONT_MAXSIZE 1000
/* A TrueType or OpenType font file from the data folder rendered at `size` pixels per
 * em into the next font picture slot, in `colour` (0xRRGGBB; the top byte is not
 * read), the characters from the space to '|' cut as FENK_LoadFont cuts a font
 * picture: the same s_font, the same picture fenk_fontmaker writes. Returns 1, or 0
 * with one line saying why and the slot holding an empty font, as FENK_LoadFont
 * leaves a picture that does not load. */
int FENK_LoadTTFont(const char *name, int size, int colour, int flags, s_font *font);
/* Releases nothing: the picture and glyphs go with FENK_FlushGraphics. */
void FENK_DeleteFont(s_font *font);
void FENK_SetFontSpacing(int spacing, s_font *font);

/* A character's glyph is its code - 31 as a signed 8-bit value; characters
 * whose glyph is negative or above FENK_FONT_LASTDRAWN are not drawn and move
 * no pen. Each glyph's top-left corner goes at the pen, which starts at (x, y). */
void FENK_DrawText(int x, int y, s_font font, const char *format, ...);
/* Centred on the current frame buffer's width. */
void FENK_DrawCenteredText(int y, s_font font, const char *format, ...);
/* Centred in the span x .. x + w. */
void FENK_DrawCenteredTextXW(int x, int y, int w, s_font font, const char *format, ...);
/* The width in pixels the centring calls give the formatted text: each drawn glyph's
 * width plus the font's spacing, the space's included, cut at FENK_FONT_MAXTEXT
 * characters as the draws are. FENK_DrawText's pen skips the spacing after a space. */
int FENK_MeasureText(s_font font, const char *format, ...);

#ifdef __cplusplus
}
#endif

#endif
