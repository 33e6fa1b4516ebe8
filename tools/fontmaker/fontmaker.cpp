// fenk_fontmaker: renders a TrueType or OpenType font at one pixel size into a font
// picture that FENK_LoadFont reads. The picture's layout:
//   row 0        markers: one opaque white pixel where each glyph after the space
//                begins, every other pixel transparent (alpha 0);
//   column 0     glyph 0, one blank column;
//   column 1     the space (character 0x20), as wide as the font's space;
//   then         one cell per character from '!' up to the last one asked for, in
//                code order, each starting at its marker; the last cell ends at the
//                picture's right edge.
// A cell is as wide as the character's advance, widened where ink reaches past it
// on either side (the engine advances the pen by the cell's width). Every cell puts
// the baseline on the same row, below the tallest glyph's top.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "tga.h"

namespace {

// The engine draws characters 0x20 to 0x7C; the space is always glyph 1.
constexpr int first_char = 0x20;
constexpr int last_drawn = 0x7C;
// Glyph widths are 8-bit in the engine's font record.
constexpr int max_cell = 255;
// Larger textures than this are refused by many graphics cards.
constexpr int wide_picture = 8192;

constexpr int exit_usage = 2;
constexpr int exit_failed = 1;

const char usage_text[] = "usage: fenk_fontmaker FONT SIZE OUT.tga [--last C] [--colour RRGGBB] [--smooth]\n"
                          "Renders the characters from the space (0x20) to C of a TrueType or OpenType font\n"
                          "at SIZE pixels into a 32-bit TGA font picture for FENK_LoadFont.\n"
                          "  --last C          last character, one character or a code such as 0x5A\n"
                          "                    (from '!' to '|', the default '|')\n"
                          "  --colour RRGGBB   glyph colour in hexadecimal (default FFFFFF)\n"
                          "  --smooth          keep FreeType's edge coverage as alpha, for text drawn with\n"
                          "                    alpha blending on; by default a pixel is opaque where the\n"
                          "                    glyph covers at least half of it and transparent elsewhere,\n"
                          "                    which is what the plain text draws show\n";

struct Options {
    std::string font, out;
    int size = 0;
    int last = last_drawn;
    uint8_t colour[3] = {255, 255, 255};
    bool smooth = false;
};

// One rendered character: 8-bit coverage, rows from the top.
struct Glyph {
    int width = 0, rows = 0;
    int left = 0, top = 0; // ink box relative to the pen on the baseline
    int advance = 0;
    std::vector<uint8_t> coverage;
    int shift = 0; // where the pen sits inside the cell
    int cell = 0;  // cell width
};

int usage_error(const char *what, const std::string &detail = "")
{
    std::fprintf(stderr, "fenk_fontmaker: %s%s\n%s", what, detail.c_str(), usage_text);
    return exit_usage;
}

bool parse_int(const char *text, int base, long lo, long hi, int &out)
{
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, base);
    if (errno || end == text || *end || v < lo || v > hi) return false;
    out = int(v);
    return true;
}

// A character given as itself ("Z") or as a number ("0x5A", "90").
bool parse_char(const char *text, int &out)
{
    if (text[0] && !text[1]) {
        out = (unsigned char)text[0];
        return true;
    }
    return parse_int(text, 0, 0, 255, out);
}

bool parse_colour(const char *text, uint8_t (&rgb)[3])
{
    if (std::strlen(text) != 6 || std::strspn(text, "0123456789abcdefABCDEF") != 6) return false;
    int v = 0;
    if (!parse_int(text, 16, 0, 0xFFFFFF, v)) return false;
    rgb[0] = uint8_t(v >> 16);
    rgb[1] = uint8_t(v >> 8);
    rgb[2] = uint8_t(v);
    return true;
}

// 0 when the options are complete, else the exit status after the message.
int parse(int argc, char **argv, Options &o)
{
    std::vector<const char *> plain;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "-h" || a == "--help") {
            std::fputs(usage_text, stdout);
            std::exit(0);
        } else if (a == "--smooth") {
            o.smooth = true;
        } else if (a == "--last" || a == "--colour" || a == "--color") {
            if (i + 1 >= argc) return usage_error("missing value after ", a);
            const char *v = argv[++i];
            if (a == "--last") {
                if (!parse_char(v, o.last) || o.last <= first_char || o.last > last_drawn)
                    return usage_error("--last must be a character from '!' to '|' (0x21 to 0x7C), not ", v);
            } else if (!parse_colour(v, o.colour)) {
                return usage_error("--colour takes six hexadecimal digits RRGGBB, not ", v);
            }
        } else if (a.size() > 1 && a[0] == '-') {
            return usage_error("unknown option ", a);
        } else {
            plain.push_back(argv[i]);
        }
    }
    if (plain.size() != 3) return usage_error("expected FONT SIZE OUT.tga");
    o.font = plain[0];
    o.out = plain[2];
    if (!parse_int(plain[1], 10, 1, 1000, o.size))
        return usage_error("SIZE must be a pixel height from 1 to 1000, not ", plain[1]);
    // The engine turns near-magenta colours transparent when it loads a picture.
    if (o.colour[0] > 240 && o.colour[1] < 16 && o.colour[2] > 240)
        return usage_error("--colour is the engine's transparent key colour (red > 240, green < 16, "
                           "blue > 240), which would hide every glyph");
    return 0;
}

bool render(FT_Face face, int c, Glyph &g, std::string &error)
{
    if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_RENDER)) {
        error = "FreeType could not render it";
        return false;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap &b = slot->bitmap;
    if (b.pixel_mode != FT_PIXEL_MODE_GRAY && b.pixel_mode != FT_PIXEL_MODE_MONO && b.rows > 0) {
        error = "the font gives it in a pixel format other than grey or black and white";
        return false;
    }
    g.width = int(b.width);
    g.rows = int(b.rows);
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.advance = int((slot->advance.x + 32) >> 6);
    g.coverage.assign(size_t(g.width) * g.rows, 0);
    for (int y = 0; y < g.rows; y++) {
        const unsigned char *line = b.buffer + ptrdiff_t(y) * b.pitch;
        for (int x = 0; x < g.width; x++) {
            uint8_t v =
                b.pixel_mode == FT_PIXEL_MODE_MONO ? ((line[x >> 3] >> (7 - (x & 7))) & 1) * 255 : line[x];
            g.coverage[size_t(y) * g.width + x] = v;
        }
    }
    g.shift = std::max(0, -g.left);
    g.cell = std::max(1, g.shift + std::max(g.advance, g.left + g.width));
    return true;
}

std::string describe(int c)
{
    char text[32];
    std::snprintf(text, sizeof text, "'%c' (0x%02X)", c, c);
    return text;
}

int make(const Options &o)
{
    FT_Library lib;
    if (FT_Init_FreeType(&lib)) {
        std::fprintf(stderr, "fenk_fontmaker: FreeType did not start\n");
        return exit_failed;
    }
    FT_Face face;
    if (FT_New_Face(lib, o.font.c_str(), 0, &face)) {
        std::FILE *f = std::fopen(o.font.c_str(), "rb");
        const char *why = f ? "not a font FreeType reads" : std::strerror(errno);
        if (f) std::fclose(f);
        std::fprintf(stderr, "fenk_fontmaker: cannot read font %s: %s\n", o.font.c_str(), why);
        FT_Done_FreeType(lib);
        return exit_failed;
    }
    auto fail = [&](const std::string &message) {
        std::fprintf(stderr, "fenk_fontmaker: %s\n", message.c_str());
        FT_Done_Face(face);
        FT_Done_FreeType(lib);
        return exit_failed;
    };
    if (FT_Set_Pixel_Sizes(face, 0, FT_UInt(o.size)))
        return fail(o.font + " has no " + std::to_string(o.size) + "-pixel size");

    std::vector<Glyph> glyphs(size_t(o.last - first_char + 1));
    int above = 0, below = 0;
    for (int c = first_char; c <= o.last; c++) {
        Glyph &g = glyphs[size_t(c - first_char)];
        std::string error;
        if (!render(face, c, g, error)) return fail("cannot render " + describe(c) + ": " + error);
        if (c != first_char && FT_Get_Char_Index(face, FT_ULong(c)) == 0)
            std::fprintf(stderr, "fenk_fontmaker: warning: %s has no %s; its missing-glyph box is used\n",
                         o.font.c_str(), describe(c).c_str());
        if (c == first_char) { // the space draws nothing, whatever ink the font gives it
            g.rows = g.width = 0;
            g.coverage.clear();
            g.shift = 0;
            g.cell = std::max(1, g.advance);
        }
        if (g.cell > max_cell)
            return fail(describe(c) + " is " + std::to_string(g.cell) + " pixels wide at size " +
                        std::to_string(o.size) + "; a font picture's glyphs are at most " +
                        std::to_string(max_cell) + ": use a smaller size");
        if (g.rows > 0) {
            above = std::max(above, g.top);
            below = std::max(below, g.rows - g.top);
        }
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    if (above + below <= 0) return fail(o.font + " draws no ink for any of the characters");

    int width = 1;
    for (const Glyph &g : glyphs) width += g.cell;
    const int height = 1 + above + below;
    std::vector<uint8_t> rgba(size_t(width) * height * 4, 0);
    int x0 = 1;
    for (size_t k = 0; k < glyphs.size(); k++) {
        const Glyph &g = glyphs[k];
        if (k > 0) std::fill_n(&rgba[size_t(x0) * 4], 4, uint8_t(255));
        const int ox = x0 + g.shift + g.left, oy = 1 + above - g.top;
        for (int y = 0; y < g.rows; y++)
            for (int x = 0; x < g.width; x++) {
                uint8_t a = g.coverage[size_t(y) * g.width + x];
                if (!o.smooth) a = a >= 128 ? 255 : 0;
                if (!a) continue;
                uint8_t *px = &rgba[(size_t(oy + y) * width + ox + x) * 4];
                std::copy_n(o.colour, 3, px);
                px[3] = a;
            }
        x0 += g.cell;
    }
    if (!makedata::write_tga_rgb(o.out, width, height, rgba.data(), 32, true, makedata::Origin::top_left)) {
        // A picture cut short (a full disk) is not left behind to be loaded; a device
        // named as the output is left alone.
        const int error = errno;
        std::error_code ignored;
        if (std::filesystem::is_regular_file(o.out, ignored)) std::filesystem::remove(o.out, ignored);
        std::fprintf(stderr, "fenk_fontmaker: cannot write %s: %s\n", o.out.c_str(), std::strerror(error));
        return exit_failed;
    }
    std::printf("%s: %d x %d pixels, %zu characters from ' ' to '%c', glyph height %d\n", o.out.c_str(),
                width, height, glyphs.size(), o.last, height - 1);
    if (width > wide_picture)
        std::fprintf(stderr, "fenk_fontmaker: warning: %d pixels wide; many graphics cards take at most %d\n",
                     width, wide_picture);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options o;
    if (int status = parse(argc, argv, o)) return status;
    return make(o);
}
