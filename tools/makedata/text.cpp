#include "text.h"

#include <algorithm>
#include <climits>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace makedata {

std::string font_dir;

std::string font_path(const char *file_name) { return font_dir + "/" + file_name; }

TextMask set_text(const std::string &font_file, int pixel_size, const std::string &text, int tracking,
                  int border)
{
    TextMask out;
    FT_Library lib;
    if (FT_Init_FreeType(&lib)) return out;
    FT_Face face;
    if (FT_New_Face(lib, font_file.c_str(), 0, &face)) {
        FT_Done_FreeType(lib);
        return out;
    }
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixel_size));

    // Two passes: measure the ink box, then draw each glyph into it.
    struct Placed {
        int x;
        unsigned ch;
    };
    std::vector<Placed> placed;
    int pen = 0, left = INT_MAX, right = INT_MIN, top = INT_MIN, bottom = INT_MAX;
    FT_UInt prev = 0;
    bool kerning = FT_HAS_KERNING(face);
    for (unsigned char c : text) {
        FT_UInt gi = FT_Get_Char_Index(face, c);
        if (kerning && prev && gi) {
            FT_Vector k;
            FT_Get_Kerning(face, prev, gi, FT_KERNING_DEFAULT, &k);
            pen += int(k.x >> 6);
        }
        if (FT_Load_Glyph(face, gi, FT_LOAD_DEFAULT) || FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL))
            continue;
        FT_GlyphSlot g = face->glyph;
        if (g->bitmap.width > 0 && g->bitmap.rows > 0) {
            left = std::min(left, pen + g->bitmap_left);
            right = std::max(right, pen + g->bitmap_left + int(g->bitmap.width));
            top = std::max(top, g->bitmap_top);
            bottom = std::min(bottom, g->bitmap_top - int(g->bitmap.rows));
        }
        placed.push_back({pen, c});
        pen += int((g->advance.x + 32) >> 6) + tracking;
        prev = gi;
    }
    if (left > right) { // nothing inked: a box of the advance and the font's height
        left = 0;
        right = std::max(1, pen);
        top = int(face->size->metrics.ascender >> 6);
        bottom = top - 1;
    }
    out.mask = Mask(right - left + 2 * border, top - bottom + 2 * border);
    out.baseline = top + border;
    out.origin = border - left;
    out.advance = pen - tracking;
    for (const Placed &p : placed) {
        FT_UInt gi = FT_Get_Char_Index(face, p.ch);
        if (FT_Load_Glyph(face, gi, FT_LOAD_DEFAULT) || FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL))
            continue;
        FT_GlyphSlot g = face->glyph;
        int x0 = out.origin + p.x + g->bitmap_left, y0 = out.baseline - g->bitmap_top;
        for (unsigned y = 0; y < g->bitmap.rows; ++y)
            for (unsigned x = 0; x < g->bitmap.width; ++x) {
                float v = g->bitmap.buffer[y * g->bitmap.pitch + x] / 255.0f;
                float &d = out.mask.a[size_t(y0 + y) * out.mask.width + x0 + x];
                d = std::max(d, v);
            }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return out;
}

} // namespace makedata
