// The caption font: the marker row cuts the glyphs the text calls expect, each glyph
// sits whole inside its cell, and the captions fit the screen at the show's spacing.
#include <gtest/gtest.h>

#include "data_files.h"

namespace {

constexpr int glyphs_expected = 94; // glyph 0, then 0x20 to 0x7C
constexpr int show_spacing = -5;
constexpr int screen_width = 1920;
constexpr int caption_y = 960;
constexpr int screen_height = 1080;

struct Font {
    Rgba pic;
    std::vector<int> starts, widths;
};

// Cuts the picture the way the engine's font loader does.
Font load_font()
{
    Font f;
    std::vector<uint8_t> file = read_bytes(data_path("panfont.tga"));
    TgaHeader h;
    EXPECT_TRUE(parse_tga_header(file, h));
    EXPECT_EQ(h.depth, 32) << "the marker row needs alpha";
    EXPECT_TRUE(decode_tga(file, f.pic));
    if (f.pic.width == 0) return f;
    f.starts = {0};
    f.widths = {1};
    int previous = 1;
    for (int x = 0; x < f.pic.width; ++x)
        if (f.pic.at(x, 0)[3] != 0) {
            f.starts.push_back(previous);
            f.widths.push_back(x - previous);
            previous = x;
        }
    f.starts.push_back(previous);
    f.widths.push_back(f.pic.width - previous);
    return f;
}

int glyph_of(char c) { return int(static_cast<signed char>(c)) - 31; }

TEST(Font, MarkerRowCutsEveryGlyphWholeIntoItsCell)
{
    Font f = load_font();
    ASSERT_GT(f.pic.width, 0);
    ASSERT_EQ(int(f.widths.size()), glyphs_expected);
    EXPECT_GE(f.starts[2], 2) << "the first marker must leave room for the space";
    for (int x = 0; x < f.pic.width; ++x) {
        const uint8_t *px = f.pic.at(x, 0);
        EXPECT_TRUE(px[3] == 0 || px[3] == 255) << "column " << x;
        if (px[3] == 0) {
            EXPECT_EQ(px[0] | px[1] | px[2], 0) << "column " << x;
        }
    }

    for (int g = 0; g < glyphs_expected; ++g) {
        SCOPED_TRACE("glyph " + std::to_string(g));
        EXPECT_GE(f.widths[g], 1);
        EXPECT_LE(f.widths[g], 255);
        int ink = 0, left = f.pic.width, right = -1, top = f.pic.height, bottom = -1;
        for (int y = 1; y < f.pic.height; ++y)
            for (int x = f.starts[g]; x < f.starts[g] + f.widths[g]; ++x)
                if (f.pic.at(x, y)[3] != 0) {
                    ++ink;
                    left = std::min(left, x - f.starts[g]);
                    right = std::max(right, x - f.starts[g]);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        if (g <= 1) { // glyph 0 and the space draw nothing
            EXPECT_EQ(ink, 0);
            continue;
        }
        ASSERT_GT(ink, 0);
        // Ink against a cell edge means the outline or shadow was cut off.
        EXPECT_GT(left, 0);
        EXPECT_LT(right, f.widths[g] - 1);
        EXPECT_GT(top, 1);
        EXPECT_LT(bottom, f.pic.height - 1);
    }
}

TEST(Font, CaptionsHaveTheirLengthsAndFitTheScreen)
{
    const size_t lengths[] = {24, 16, 19, 28, 27, 23, 30, 25, 23, 28, 32, 25, 23, 12, 15, 21, 28, 8, 22};
    std::vector<std::string> lines = caption_lines();
    ASSERT_EQ(lines.size(), std::size(lengths));
    Font f = load_font();
    ASSERT_EQ(int(f.widths.size()), glyphs_expected);
    EXPECT_LE(caption_y + f.pic.height - 1, screen_height);
    int widest = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_EQ(lines[i].size(), lengths[i]);
        int total = 0;
        for (char c : lines[i]) {
            EXPECT_TRUE(c >= 0x20 && c <= 0x7C && c != '%') << "character " << int(c);
            total += f.widths[glyph_of(c)] + show_spacing;
        }
        widest = std::max(widest, total);
    }
    // Well inside the screen: a tenth of it left free on each side.
    EXPECT_LE(widest, screen_width * 8 / 10);
    EXPECT_GE(widest, screen_width / 3) << "captions this small would be hard to read";
}

} // namespace
