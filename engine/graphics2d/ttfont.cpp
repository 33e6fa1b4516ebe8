// stb_truetype from Debian's libstb-dev, built here with internal names (STBTT_STATIC):
// the Windows and web builds have no FreeType, and a program's own copy of stb_truetype
// keeps its names to itself. stb_truetype trusts the offsets inside a font's tables;
// the table directory is checked against the file here, which is what a cut or
// foreign file breaks.
#include "graphics2d/ttfont.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>

namespace ttfont {

namespace {

// One rendered character: 8-bit coverage, rows from the top.
struct Glyph {
    int width = 0, rows = 0;
    int left = 0, top = 0; // ink box relative to the pen on the baseline
    int advance = 0;
    std::vector<uint8_t> coverage;
    int shift = 0; // where the pen sits inside the cell
    int cell = 0;  // cell width
    int cut = 128; // the least coverage drawn opaque when edges are not kept
};

uint32_t big16(const unsigned char *p) { return (uint32_t)p[0] << 8 | p[1]; }

uint32_t big32(const unsigned char *p) { return big16(p) << 16 | big16(p + 2); }

// Whether the font's table directory, and every table it names, lies inside the file.
bool tables_inside(const unsigned char *font, size_t size, int offset)
{
    if (offset < 0 || (size_t)offset + 12 > size) return false;
    const unsigned char *directory = font + offset;
    const size_t count = big16(directory + 4);
    if ((size_t)offset + 12 + 16 * count > size) return false;
    for (size_t i = 0; i < count; i++) {
        const unsigned char *entry = directory + 12 + 16 * i;
        const uint64_t at = big32(entry + 8), length = big32(entry + 12);
        if (at + length > size) return false;
    }
    return count > 0;
}

void render_glyph(const stbtt_fontinfo &info, float scale, int index, Glyph &g)
{
    int advance = 0, bearing = 0;
    stbtt_GetGlyphHMetrics(&info, index, &advance, &bearing);
    g.advance = (int)((float)advance * scale + 0.5f);
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetGlyphBitmapBox(&info, index, scale, scale, &x0, &y0, &x1, &y1);
    g.width = std::max(0, x1 - x0);
    g.rows = std::max(0, y1 - y0);
    g.left = x0;
    g.top = -y0;
    g.coverage.assign((size_t)g.width * g.rows, 0);
    if (g.width && g.rows)
        stbtt_MakeGlyphBitmap(&info, g.coverage.data(), g.width, g.rows, g.width, scale, scale, index);
    g.shift = std::max(0, -g.left);
    g.cell = std::max(1, g.shift + std::max(g.advance, g.left + g.width));
}

} // namespace

std::string describe(int c)
{
    char text[32];
    std::snprintf(text, sizeof text, "'%c' (0x%02X)", c, c);
    return text;
}

std::string spaced(const std::string &characters)
{
    std::string out;
    for (char c : characters) {
        if (!out.empty()) out += ' ';
        out += c;
    }
    return out;
}

Outcome render(const unsigned char *font, size_t size, const Options &o, Picture &picture, std::string &why)
{
    picture = Picture{};
    const int offset = font && size >= 12 ? stbtt_GetFontOffsetForIndex(font, 0) : -1;
    stbtt_fontinfo info;
    if (size > INT32_MAX || !tables_inside(font, size, offset) || !stbtt_InitFont(&info, font, offset)) {
        why = "not a font stb_truetype reads (TrueType or OpenType)";
        return Outcome::not_a_font;
    }
    const float scale = stbtt_ScaleForMappingEmToPixels(&info, (float)o.size);

    std::vector<Glyph> glyphs((size_t)(o.last - first_char + 1));
    int above = 0, below = 0;
    for (int c = first_char; c <= o.last; c++) {
        Glyph &g = glyphs[(size_t)(c - first_char)];
        const int index = stbtt_FindGlyphIndex(&info, c);
        if (index == 0 && c != first_char) picture.missing += (char)c;
        render_glyph(info, scale, index, g);
        if (c == first_char) { // the space draws nothing, whatever ink the font gives it
            g = Glyph{0, 0, 0, 0, g.advance, {}, 0, std::max(1, g.advance)};
        }
        if (g.cell > max_cell) {
            why = describe(c) + " is " + std::to_string(g.cell) + " pixels wide at size " +
                  std::to_string(o.size) + "; a font picture's glyphs are at most " +
                  std::to_string(max_cell) + ": use a smaller size";
            return Outcome::failed;
        }
        const uint8_t peak = g.coverage.empty() ? 0 : *std::max_element(g.coverage.begin(), g.coverage.end());
        // Thin strokes at small sizes may cover no pixel by half: cut at half of what
        // the glyph does cover, so that no character is left without ink.
        if (!o.smooth && peak > 0 && peak < g.cut) {
            g.cut = (peak + 1) / 2;
            picture.faint += (char)c;
        }
        if (g.rows > 0) {
            above = std::max(above, g.top);
            below = std::max(below, g.rows - g.top);
        }
    }
    if (above + below <= 0) {
        why = "the font draws no ink for any of the characters";
        return Outcome::failed;
    }

    int width = 1;
    for (const Glyph &g : glyphs) width += g.cell;
    const int height = 1 + above + below;
    picture.width = width;
    picture.height = height;
    picture.rgba.assign((size_t)width * height * 4, 0);
    int x0 = 1;
    for (size_t k = 0; k < glyphs.size(); k++) {
        const Glyph &g = glyphs[k];
        if (k > 0) std::fill_n(&picture.rgba[(size_t)x0 * 4], 4, uint8_t(255));
        const int ox = x0 + g.shift + g.left, oy = 1 + above - g.top;
        for (int y = 0; y < g.rows; y++)
            for (int x = 0; x < g.width; x++) {
                uint8_t a = g.coverage[(size_t)y * g.width + x];
                if (!o.smooth) a = a >= g.cut ? 255 : 0;
                if (!a) continue;
                uint8_t *px = &picture.rgba[((size_t)(oy + y) * width + ox + x) * 4];
                std::copy_n(o.colour, 3, px);
                px[3] = a;
            }
        x0 += g.cell;
    }
    return Outcome::made;
}

} // namespace ttfont
