// Fonts: the marker scan and the glyph cells it cuts, the pen arithmetic of
// the three text calls read back from drawn glyphs, the character mapping, the
// 255-character cut and the full font table.
#include "gl_fixture.h"

#include <cstring>

namespace {

constexpr int glyph_rows = 3;

// Each glyph's cells in its own opaque colour; the space is transparent, as
// in a real font picture.
uint32_t glyphcolour(int g)
{
    return g == 1 ? 0u : 0xFF000000u | (uint32_t)(g * 2) << 16 | (uint32_t)(255 - g) << 8 | 0x40u;
}

// A font picture: glyph 0 in column 0, then glyphs 1, 2, ... of the given
// widths, a marker above every glyph from 2 on.
std::string fontpicture(const std::vector<int> &widths)
{
    int total = 1;
    for (int w : widths) total += w;
    std::vector<uint32_t> top(total, 0), cells(total, glyphcolour(0));
    int column = 1;
    for (size_t i = 0; i < widths.size(); i++) {
        int g = (int)i + 1;
        if (g >= 2) top[column] = 0xFFFFFFFFu;
        for (int k = 0; k < widths[i]; k++) cells[column + k] = glyphcolour(g);
        column += widths[i];
    }
    std::vector<uint32_t> pixels = top;
    for (int r = 0; r < glyph_rows; r++) pixels.insert(pixels.end(), cells.begin(), cells.end());
    return tga32(total, glyph_rows + 1, pixels);
}

// Glyph g is 2 + g % 4 wide, the space 3: "A" (glyph 34) is 4, "B" 5.
std::vector<int> textwidths()
{
    std::vector<int> out = {3};
    for (int g = 2; g <= 95; g++) out.push_back(2 + g % 4);
    return out;
}

// Where each drawn glyph begins on row y: (column, glyph) for every run of a
// glyph's colour.
std::vector<std::pair<int, int>> glyphsat(const std::vector<uint32_t> &row)
{
    std::vector<std::pair<int, int>> out;
    int previous = -1;
    for (int x = 0; x < (int)row.size(); x++) {
        int found = -1;
        for (int g = 2; g < 96 && found < 0; g++)
            if (row[x] == stored(glyphcolour(g))) found = g;
        if (found >= 0 && found != previous) out.push_back({x, found});
        previous = found;
    }
    return out;
}

using Glyphs = std::vector<std::pair<int, int>>;

class Fonts : public Graphics2D {
protected:
    s_font *loadtextfont(int spacing)
    {
        mount({{"text.tga", fontpicture(textwidths())}});
        s_font *f = font();
        printed([&] { FENK_LoadFont("text.tga", f); });
        FENK_SetFontSpacing(spacing, f);
        return f;
    }
};

} // namespace

TEST_F(Fonts, MarkersCutTheGlyphCells)
{
    // Markers at columns 6 and 12 of a picture 20 wide.
    mount({{"four.tga", fontpicture({5, 6, 8})}, {"bare.tga", fontpicture({6})}});
    s_font *f = font();
    std::string output = printed([&] { FENK_LoadFont("four.tga", f); });
    EXPECT_NE(output.find("FENK_LoadFont - Num.Letters: 4\nFENK_LoadFont - Font Added (NumFonts: 1)\n"),
              std::string::npos)
        << output;
    ASSERT_EQ(f->numletters, 4);
    EXPECT_EQ(f->picture, &fenk_fontbmp[0]);
    EXPECT_EQ(f->height, glyph_rows);
    EXPECT_EQ(f->spacing, 0);
    const int widths[] = {1, 5, 6, 8}, starts[] = {0, 1, 6, 12};
    for (int g = 0; g < 4; g++) {
        EXPECT_EQ(f->widths[g], widths[g]) << g;
        EXPECT_EQ(f->glyphs[g].width, widths[g]) << g;
        EXPECT_EQ(f->glyphs[g].height, glyph_rows) << g;
        EXPECT_EQ(f->glyphs[g].u0, starts[g] / 20.0f) << g;
        EXPECT_EQ(f->glyphs[g].u1, (starts[g] + widths[g]) / 20.0f) << g;
        EXPECT_EQ(f->glyphs[g].v0, 1 / 4.0f) << g;
        EXPECT_EQ(f->glyphs[g].texture, f->picture->texture) << g;
        EXPECT_EQ(fenk_spritelist[g], &f->glyphs[g]) << g;
    }
    EXPECT_EQ(fenk_numsprites, 4);
    EXPECT_EQ(fenk_numbitmaps, 1);

    // No marker: glyph 0 and one glyph to the right edge.
    s_font *bare = font();
    printed([&] { FENK_LoadFont("bare.tga", bare); });
    EXPECT_EQ(bare->numletters, 2);
    EXPECT_EQ(bare->widths[1], 6);
    EXPECT_EQ(bare->picture, &fenk_fontbmp[1]);
    EXPECT_EQ(fenk_numfonts, 2);
}

TEST_F(Fonts, ExtraMarkersMissingPicturesAndAFullTableOverrunNothing)
{
    // 100 markers: the counter stops at 96 glyphs, later markers only move the
    // last glyph's start.
    mount({{"many.tga", fontpicture(std::vector<int>(101, 2))}});
    s_font *many = font();
    printed([&] { FENK_LoadFont("many.tga", many); });
    EXPECT_EQ(many->numletters, FENK_MAXGLYPHS);
    EXPECT_EQ(many->widths[95], 2);
    EXPECT_EQ(fenk_numsprites, FENK_MAXGLYPHS);

    // A picture that does not load still counts as a font, with empty glyphs
    // rather than ones cut from a stale slot.
    fenk_fontbmp[1].width = 300;
    s_font *missing = font();
    std::string output = printed([&] { FENK_LoadFont("none.tga", missing); });
    EXPECT_NE(output.find("- ERROR: Image none.tga not loaded. "), std::string::npos) << output;
    EXPECT_EQ(fenk_numfonts, 2);
    EXPECT_EQ(missing->numletters, 2);
    EXPECT_EQ(missing->widths[1], 0);
    EXPECT_EQ(missing->height, 0);

    // The table holds 16 fonts; the next is refused and left empty.
    while (fenk_numfonts < FENK_MAXFONTS) printed([&] { FENK_LoadFont("none.tga", font()); });
    s_font *extra = font();
    memset(extra, 0x33, sizeof *extra);
    EXPECT_EQ(printed([&] { FENK_LoadFont("many.tga", extra); }), "- ERROR: font table full (16 fonts).\n");
    EXPECT_EQ(fenk_numfonts, FENK_MAXFONTS);
    EXPECT_EQ(extra->picture, nullptr);
}

TEST_F(Fonts, PenAdvancesByWidthAndSpacingButNotAfterSpaces)
{
    s_font *f = loadtextfont(2);
    ASSERT_EQ(f->numletters, 96);
    ASSERT_EQ(f->widths[34], 4);
    ASSERT_EQ(f->widths[35], 5);

    FENK_DrawText(5, 10, *f, "A B");
    EXPECT_EQ(glyphsat(row(10)), (Glyphs{{5, 34}, {5 + 4 + 2 + 3, 35}}));
    EXPECT_EQ(glyphsat(row(10 + glyph_rows)), Glyphs{});

    // "~" and "}" are past the last glyph, control and high codes before the
    // first: none is drawn or moves the pen. Glyph 0 (code 0x1F) moves it by
    // its width and the spacing and is never drawn. "|" is the last glyph.
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawText(5, 20, *f, "A~}\x01\xA0\xFF%c", 'B');
    EXPECT_EQ(glyphsat(row(20)), (Glyphs{{5, 34}, {5 + 4 + 2, 35}}));
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawText(5, 20, *f, "\x1F|A");
    EXPECT_EQ(glyphsat(row(20)), (Glyphs{{5 + 1 + 2, 93}, {5 + 1 + 2 + 3 + 2, 34}}));
}

TEST_F(Fonts, CentredLinesMeasureSpacesWithTheirSpacing)
{
    s_font *f = loadtextfont(0);
    widescreen();

    // 24 times "A" and one "B": 101 pixels, begun at 960 - 50. Touching
    // glyphs of one colour read back as one run.
    FENK_DrawCenteredText(100, *f, "%sB", std::string(24, 'A').c_str());
    EXPECT_EQ(glyphsat(row(100)), (Glyphs{{910, 34}, {910 + 96, 35}}));
    EXPECT_EQ(FENK_MeasureText(*f, "%sB", std::string(24, 'A').c_str()), 101);
    EXPECT_EQ(FENK_MeasureText(*f, "%s", std::string(300, 'A').c_str()), 255 * 4); // cut as drawn
    EXPECT_EQ(FENK_MeasureText(*f, "\x01~"), 0);                                   // no glyphs

    // 100 pixels centred in the span 100 .. 400.
    FENK_DrawCenteredTextXW(100, 50, 300, *f, "%s", std::string(25, 'A').c_str());
    EXPECT_EQ(glyphsat(row(50)).front(), (std::pair{200, 34}));

    // Spacing -1: "A B" measures 3 + 2 + 4 = 9. The centred line skips the
    // space's spacing when drawing, the span line does not.
    FENK_SetFontSpacing(-1, f);
    EXPECT_EQ(FENK_MeasureText(*f, "A B"), 9);
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawCenteredText(10, *f, "A B");
    FENK_DrawCenteredTextXW(100, 20, 300, *f, "A B");
    EXPECT_EQ(glyphsat(row(10)), (Glyphs{{956, 34}, {956 + 3 + 3, 35}}));
    EXPECT_EQ(glyphsat(row(20)), (Glyphs{{246, 34}, {246 + 3 + 2, 35}}));

    // A negative total halves towards minus infinity: -11 >> 1 is -6, and
    // "B" lands left of "A".
    FENK_SetFontSpacing(-10, f);
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawCenteredText(30, *f, "AB");
    EXPECT_EQ(glyphsat(row(30)), (Glyphs{{960, 35}, {966, 34}}));
}

TEST_F(Fonts, FormattedTextIsCutAt255Characters)
{
    s_font *f = loadtextfont(0);
    widescreen();
    FENK_DrawText(0, 0, *f, "%s", std::string(300, 'A').c_str());
    std::vector<uint32_t> line = row(0);
    EXPECT_EQ(line[255 * 4 - 1], stored(glyphcolour(34)));
    EXPECT_EQ(line[255 * 4], opaque_black);
}

#ifdef FENK_DATA_DIR
// The show's caption font, drawn as a caption line on a 1920-wide screen.
TEST_F(Graphics2D, TheShowFontCentresACaptionLine)
{
    int mounted = 0;
    printed([&] { mounted = corefile_mountimage(FENK_DATA_DIR, COREFILE_MOUNT_DIRECTORY); });
    ASSERT_EQ(mounted, 1);
    s_font &f = *font();
    printed([&] { FENK_LoadFont("panfont.tga", &f); });
    printed([] { corefile_closeimage(); });
    ASSERT_EQ(f.numletters, 94);
    ASSERT_GT(f.height, 0);
    FENK_SetFontSpacing(-5, &f);

    const char *text = "FENK SHOWS A CAPTION LINE HERE!!";
    ASSERT_EQ(strlen(text), 32u);
    widescreen();
    FENK_DrawCenteredText(960, f, "%s", text);

    // Every glyph cell where the pen arithmetic puts it.
    int total = 0;
    for (const char *p = text; *p; p++) total += f.widths[*p - 31] + f.spacing;
    int pen = 960 - (total >> 1), left = 1920, right = -1;
    int cellsleft = pen, cellsright = pen;
    for (const char *p = text; *p; p++) {
        int g = *p - 31;
        cellsright = std::max(cellsright, pen + f.widths[g]);
        pen += f.widths[g] + (g == 1 ? 0 : f.spacing);
    }
    for (int y = 960; y < 960 + f.height; y++) {
        std::vector<uint32_t> line = row(y);
        for (int x = 0; x < 1920; x++)
            if (line[x] != opaque_black) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    }
    EXPECT_GE(left, cellsleft);
    EXPECT_LT(right, cellsright);
    // Glyphs fill most of their cells, and the line sits in the middle: five
    // spaces at spacing -5 put it 12.5 pixels right of the centre.
    EXPECT_GT(right - left, (cellsright - cellsleft) * 9 / 10);
    EXPECT_NEAR((left + right) / 2.0, 960 + 12.5, 12);
}
#endif

TEST_F(Fonts, EveryCellStartsAtItsMarkerInsideThePicture)
{
    // Markers at columns 0, 6 and 12 of a picture 20 wide. Column 0 is glyph 0's,
    // so its marker leaves glyph 1 empty; the cells after it once ended one
    // column further right each, the last past the edge.
    std::vector<uint32_t> pixels(20 * 2, 0xFF336699u);
    for (int x = 0; x < 20; x++) pixels[x] = x == 0 || x == 6 || x == 12 ? 0xFFFFFFFFu : 0;
    // A glyph over 255 wide is held at 255 and must not move the cell after it.
    std::vector<uint32_t> wide(300 * 2, 0xFF336699u);
    for (int x = 0; x < 300; x++) wide[x] = x == 280 ? 0xFFFFFFFFu : 0;
    mount({{"zero.tga", tga32(20, 2, pixels)}, {"wide.tga", tga32(300, 2, wide)}});

    s_font *f = font();
    printed([&] { FENK_LoadFont("zero.tga", f); });
    ASSERT_EQ(f->numletters, 5);
    const int widths[] = {1, 0, 5, 6, 8}, starts[] = {0, 1, 1, 6, 12};
    for (int g = 0; g < 5; g++) {
        EXPECT_EQ(f->widths[g], widths[g]) << g;
        EXPECT_EQ(f->glyphs[g].width, widths[g]) << g;
        EXPECT_EQ(f->glyphs[g].u0, starts[g] / 20.0f) << g;
        EXPECT_EQ(f->glyphs[g].u1, (starts[g] + widths[g]) / 20.0f) << g;
    }

    s_font *w = font();
    printed([&] { FENK_LoadFont("wide.tga", w); });
    ASSERT_EQ(w->numletters, 3);
    EXPECT_EQ(w->widths[1], 255);
    EXPECT_EQ(w->widths[2], 20);
    const float texwidth = (float)w->picture->texwidth;
    EXPECT_EQ(w->glyphs[1].u0, 1 / texwidth);
    EXPECT_EQ(w->glyphs[2].u0, 280 / texwidth);
    EXPECT_EQ(w->glyphs[2].u1, 300 / texwidth);
}

// A picture whose top row marks no glyphs (a photograph: opaque from edge to edge; or
// no marker at all) loads as before, with one line naming the file and what it lacks.
TEST_F(Fonts, APictureWithoutAMarkerRowIsNamed)
{
    std::vector<uint32_t> photo(12 * 3);
    for (size_t i = 0; i < photo.size(); i++) photo[i] = 0xFF000000u | (uint32_t)(i * 7) << 8;
    mount({{"photo.tga", tga32(12, 3, photo)},
           {"bare.tga", fontpicture({6})},
           {"four.tga", fontpicture({5, 6, 8})}});
    const std::string row =
        " (a font picture's top row is transparent but for one marker where each glyph begins)\n";

    s_font *f = font();
    std::string output = printed([&] { FENK_LoadFont("photo.tga", f); });
    EXPECT_NE(output.find(
                  "FENK_LoadFont - Num.Letters: 14\n- WARNING: FENK_LoadFont - font photo.tga has no marker "
                  "row: row 0 is opaque from edge to edge, so each of its columns was taken as a marker" +
                  row),
              std::string::npos)
        << output;
    EXPECT_EQ(f->numletters, 14);

    output = printed([&] { FENK_LoadFont("bare.tga", font()); });
    EXPECT_NE(output.find(
                  "- WARNING: FENK_LoadFont - font bare.tga has no marker row: row 0 holds no marker, so the "
                  "whole picture is one glyph" +
                  row),
              std::string::npos)
        << output;
    EXPECT_EQ(printed([&] { FENK_LoadFont("four.tga", font()); }).find("WARNING"), std::string::npos);
}
