// Font pictures rendered from TrueType and OpenType fonts by stb_truetype, in the
// layout FENK_LoadFont cuts: FENK_LoadTTFont makes one at run time and fenk_fontmaker
// (tools/fontmaker) writes one to a file, both through this unit, so both give the same
// picture. It knows nothing of the engine: no files, no GL, no messages.
//
// The picture:
//   row 0        markers: one opaque pixel where each glyph after the space begins,
//                every other pixel transparent (alpha 0);
//   column 0     glyph 0, one blank column;
//   column 1     the space (character 0x20), as wide as the font's space;
//   then         one cell per character from '!' up to the last one asked for, in
//                code order, each starting at its marker; the last cell ends at the
//                picture's right edge.
// A cell is as wide as the character's advance, widened where ink reaches past it on
// either side (the engine advances the pen by the cell's width). Every cell puts the
// baseline on the same row, below the tallest glyph's top.
#ifndef FENK_GRAPHICS2D_TTFONT_H
#define FENK_GRAPHICS2D_TTFONT_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

namespace ttfont {

// The engine draws characters 0x20 to 0x7C; the space is always glyph 1.
constexpr int first_char = 0x20;
constexpr int last_drawn = 0x7C;
// Glyph widths are 8-bit in the engine's font record.
constexpr int max_cell = 255;
// Larger textures than this are refused by many graphics cards.
constexpr int wide_picture = 8192;

struct Options {
    int size = 0;          // pixels per em, as FreeType's pixel sizes and CSS font sizes
    int last = last_drawn; // the last character, '!' to '|'
    uint8_t colour[3] = {255, 255, 255};
    // Edge coverage kept as alpha; else a pixel is opaque where the glyph covers at
    // least half of it and transparent elsewhere, what the plain text draws show.
    bool smooth = false;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba; // red, green, blue, alpha bytes, top row first
    // Characters the font has no glyph for (drawn as its missing-glyph box), and
    // characters of which no pixel was half covered, cut at half their own strongest
    // pixel's coverage instead so that they are not left empty.
    std::string missing, faint;
};

enum class Outcome { made, not_a_font, failed };

// Renders the font file's bytes. On anything but `made`, `why` says what is wrong.
Outcome render(const unsigned char *font, size_t size, const Options &options, Picture &picture,
               std::string &why);

// 'c' (0x63), as the messages name a character.
std::string describe(int c);
// The characters of a list as the messages give them: "' i l".
std::string spaced(const std::string &characters);

} // namespace ttfont

#endif
