// Fonts rendered from font files: fenk_fontmaker's pictures load with FENK_LoadFont and
// draw text whose pixels are FreeType's glyphs, rendered here independently (unhinted,
// as the engine's renderer draws them, and within what two rasterisers differ by);
// FENK_LoadTTFont gives the same font from the same file at run time; small sizes
// leave no glyph empty; bad arguments, unreadable fonts and unwritable outputs end with
// a message and a nonzero status, writing nothing.
#include "gl_fixture.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "child_process.h"

namespace {

const char font_file[] = DEJAVU_SANS;
constexpr int size = 24;
// Not symmetric in its channels, so a swapped red and blue shows.
constexpr uint8_t colour[3] = {0x30, 0xC0, 0xF0};

struct Outcome {
    int status = -1; // exit status, -1 when it did not exit by itself
    std::string output;
};

Outcome fontmaker(const std::vector<std::string> &args, const fs::path &log)
{
    std::vector<std::string> argv = {FONTMAKER};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess child;
    Outcome run;
    if (!child.start(argv, log) || !child.wait(60)) return run;
    if (WIFEXITED(child.status())) run.status = WEXITSTATUS(child.status());
    run.output = slurp(log);
    return run;
}

// One character as FreeType renders it without hinting, 8-bit coverage rows from the top.
struct Reference {
    int width = 0, rows = 0, left = 0, top = 0, advance = 0;
    std::vector<uint8_t> coverage;
    // The engine advances by the cell, which the maker widens where ink sticks out.
    int shift() const { return std::max(0, -left); }
    int cell() const { return rows ? shift() + std::max(advance, left + width) : advance; }
};

std::vector<Reference> freetype_glyphs(int last)
{
    std::vector<Reference> out;
    FT_Library lib;
    FT_Face face;
    if (FT_Init_FreeType(&lib)) return out;
    if (FT_New_Face(lib, font_file, 0, &face) == 0) {
        FT_Set_Pixel_Sizes(face, 0, size);
        for (int c = 0x20; c <= last; c++) {
            Reference r;
            if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_RENDER | FT_LOAD_NO_HINTING) == 0 && c != ' ') {
                const FT_Bitmap &b = face->glyph->bitmap;
                r.width = int(b.width);
                r.rows = int(b.rows);
                r.left = face->glyph->bitmap_left;
                r.top = face->glyph->bitmap_top;
                for (int y = 0; y < r.rows; y++)
                    r.coverage.insert(r.coverage.end(), b.buffer + y * b.pitch,
                                      b.buffer + y * b.pitch + r.width);
            }
            r.advance = int((face->glyph->advance.x + 32) >> 6);
            out.push_back(r);
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(lib);
    return out;
}

class FontMaker : public Graphics2D {
protected:
    // Makes data/NAME with the maker's extra options, mounts it and loads it; the
    // maker's messages in `said`.
    s_font *make(const std::string &name, std::vector<std::string> options, int at = size,
                 std::string *said = nullptr)
    {
        if (!scratch_) scratch_ = std::make_unique<ScratchFolder>(current_test_tag());
        fs::create_directories(scratch_->path() / "data");
        std::vector<std::string> args = {font_file, std::to_string(at),
                                         (scratch_->path() / "data" / name).string(), "--colour", "30C0F0"};
        args.insert(args.end(), options.begin(), options.end());
        Outcome run = fontmaker(args, scratch_->path() / "maker.log");
        EXPECT_EQ(run.status, 0) << run.output;
        if (said) *said = run.output;
        mount({});
        s_font *f = font();
        printed([&] { FENK_LoadFont(name.c_str(), f); });
        return f;
    }

    // The font file in the data folder, loaded at run time; what it printed in `said`.
    s_font *load(int at, int flags, std::string *said = nullptr)
    {
        if (!scratch_) scratch_ = std::make_unique<ScratchFolder>(current_test_tag());
        fs::create_directories(scratch_->path() / "data");
        fs::copy_file(font_file, scratch_->path() / "data" / "dejavu.ttf",
                      fs::copy_options::overwrite_existing);
        mount({});
        s_font *f = font();
        std::string log =
            printed([&] { EXPECT_EQ(FENK_LoadTTFont("dejavu.ttf", at, 0x30C0F0, flags, f), 1); });
        if (said) *said = log;
        return f;
    }

    // A frame buffer for lines of text, made once per process, current and cleared.
    static void textbuffer()
    {
        static int id = FENK_CreateFrameBuffer(text_width, text_height, 0);
        FENK_SetFrameBuffer(id);
        FENK_ClearFrameBuffer(opaque_black);
    }

    // Where the glyphs of `text` land when drawn at (x, y): calls `ink`(x, y, coverage)
    // for every pixel FreeType gave the glyph, placed by the cells and baseline. Glyph
    // boxes overlap where ink reaches out of its cell: the larger coverage counts.
    template <class Ink> static void place(const std::vector<Reference> &glyphs, int above, int x, int y,
                                           const std::string &text, Ink ink)
    {
        for (char ch : text) {
            const Reference &r = glyphs[size_t(ch - 0x20)];
            for (int j = 0; j < r.rows; j++)
                for (int i = 0; i < r.width; i++)
                    ink(x + r.shift() + r.left + i, y + above - r.top + j,
                        r.coverage[size_t(j) * r.width + i]);
            x += r.cell();
        }
    }

    static int ascent(const std::vector<Reference> &glyphs)
    {
        int above = 0;
        for (const Reference &r : glyphs)
            if (r.rows) above = std::max(above, r.top);
        return above;
    }

    static constexpr int text_width = 640;
    static constexpr int text_height = 96;
};

// Two rasterisers' coverage of the same outline differs where it crosses a pixel:
// FreeType's and stb_truetype's by up to 87 of 255 at this size (stb_truetype cuts
// curves into straight pieces), by 7 on average over the ink. A pixel drawn on one
// side of half coverage and not on the other is a difference only where FreeType
// gives it less than an eighth or more than seven eighths; such edge pixels are at
// most 3 % of the ink.
constexpr int rasteriser_slack = 96;

// The drawn coverage of each pixel (`drawn`, from the read-back word) against
// FreeType's (`want`, 0 where no glyph reaches): how many pixels differ beyond what the
// rasterisers do, the first of them, and how many edge pixels differ at all.
template <class Drawn>
std::string beyond(const Picture &got, const std::vector<int> &want, bool threshold, Drawn drawn)
{
    int count = 0, edges = 0, ink = 0;
    long total = 0;
    std::string first;
    for (int y = 0; y < got.height; y++)
        for (int x = 0; x < got.width; x++) {
            const int expected = want[size_t(y) * got.width + x], is = drawn(got.at(x, y));
            ink += expected > 0;
            bool far = false;
            if (threshold) {
                const bool differs = (is >= 128) != (expected >= 128);
                edges += differs;
                far = differs && std::abs(expected - 128) >= rasteriser_slack;
            } else {
                total += std::abs(is - expected);
                far = std::abs(is - expected) > rasteriser_slack;
            }
            if (far && !count++) {
                char text[96];
                std::snprintf(text, sizeof text, "first at (%d, %d): %08X for FreeType's coverage %d", x, y,
                              got.at(x, y), expected);
                first = text;
            }
        }
    if (count) return std::to_string(count) + " pixels differ, " + first;
    if (threshold && edges * 100 > ink * 3)
        return std::to_string(edges) + " edge pixels of " + std::to_string(ink);
    if (!threshold && total > 12L * ink)
        return "coverage differs by " + std::to_string(total / ink) + " on average";
    return "";
}

// Two read-back frames that are the same to the bit.
std::string differences(const Picture &got, const Picture &want)
{
    for (int y = 0; y < got.height; y++)
        for (int x = 0; x < got.width; x++)
            if (got.at(x, y) != want.at(x, y)) {
                char text[96];
                std::snprintf(text, sizeof text, "first difference at (%d, %d): %08X, expected %08X", x, y,
                              got.at(x, y), want.at(x, y));
                return text;
            }
    return "";
}

// Whether every glyph from '!' to '|' has at least one drawn pixel in its cell.
std::string emptyglyphs(const s_font &f)
{
    std::string empty;
    int start = 1 + f.widths[1];
    for (int g = 2; g <= FENK_FONT_LASTDRAWN && g < f.numletters; g++) {
        bool ink = false;
        for (int y = 1; y <= f.height && !ink; y++)
            for (int x = start; x < start + f.widths[g] && !ink; x++)
                ink = ((uint32_t)FENK_GetPixel(x, y, *f.picture) >> 24) != 0;
        if (!ink) empty += char(g + 31);
        start += f.widths[g];
    }
    return empty;
}

} // namespace

TEST_F(FontMaker, CellsFollowFreeTypesAdvancesAndTextDrawsItsGlyphs)
{
    s_font *f = make("dejavu.tga", {});
    const std::vector<Reference> glyphs = freetype_glyphs(0x7C);
    ASSERT_EQ(glyphs.size(), 93u);
    int above = ascent(glyphs), below = 0;
    for (const Reference &r : glyphs) below = std::max(below, r.rows - r.top);

    // Every character from the space to '|', each cell its advance unless ink sticks out.
    ASSERT_EQ(f->numletters, 94);
    EXPECT_EQ(f->height, above + below);
    EXPECT_EQ(f->widths[0], 1);
    for (int c = 0x20; c <= 0x7C; c++) {
        const Reference &r = glyphs[size_t(c - 0x20)];
        EXPECT_EQ(f->widths[c - 31], r.cell()) << char(c);
    }

    // Letters that reach left of the pen and below the baseline, digits, punctuation,
    // the space, and '}' and '~', which have no glyph.
    const std::string text = "jQuick fox, {gyp_}@|# 0123~ W!";
    textbuffer();
    FENK_DrawText(7, 5, *f, "%s", text.c_str());
    Picture got = read_target();
    std::vector<int> want(size_t(text_width) * text_height, 0);
    std::string drawn = text;
    std::erase_if(drawn, [](char c) { return c == '}' || c == '~'; });
    place(glyphs, above, 7, 5, drawn, [&](int x, int y, int coverage) {
        int &at = want[size_t(y) * text_width + x];
        at = std::max(at, coverage);
    });
    // Every pixel is the glyph colour or the black behind it.
    const uint32_t face = rgba(colour[0], colour[1], colour[2]);
    EXPECT_EQ(std::count_if(got.pixels.begin(), got.pixels.end(),
                            [&](uint32_t p) { return p != face && p != opaque_black; }),
              0);
    EXPECT_EQ(beyond(got, want, true, [&](uint32_t p) { return p == face ? 255 : 0; }), "");
}

TEST_F(FontMaker, SmoothEdgesBlendTheirCoverageAndDrawOpaqueWithoutBlending)
{
    s_font *f = make("smooth.tga", {"--smooth", "--last", "z"});
    const std::vector<Reference> glyphs = freetype_glyphs('z');
    ASSERT_EQ(f->numletters, 'z' - 31 + 1);
    const int above = ascent(glyphs);
    const std::string text = "Smooth edges 42";

    const uint32_t face = rgba(colour[0], colour[1], colour[2]);

    // The plain draw's alpha test: any coverage at all is drawn at full strength, and
    // the texel's alpha goes into the frame buffer with it.
    textbuffer();
    FENK_DrawText(3, 2, *f, "%s", text.c_str());
    std::vector<int> want(size_t(text_width) * text_height, 0);
    place(glyphs, above, 3, 2, text, [&](int x, int y, int coverage) {
        int &at = want[size_t(y) * text_width + x];
        at = std::max(at, coverage);
    });
    Picture got = read_target();
    // Any coverage is the full colour; the alpha channel holds the coverage.
    EXPECT_EQ(
        std::count_if(got.pixels.begin(), got.pixels.end(),
                      [&](uint32_t p) { return (p & 0xFFFFFFu) != (face & 0xFFFFFFu) && p != opaque_black; }),
        0);
    EXPECT_EQ(beyond(got, want, false, [&](uint32_t p) { return p == opaque_black ? 0 : int(p >> 24); }), "");

    // With alpha blending on, each pixel is the colour weighted by its coverage: green
    // (0xC0) tells the coverage back to within the blend's rounding.
    textbuffer();
    FENK_EnableAlphaBlend(1.0f);
    FENK_DrawText(3, 2, *f, "%s", text.c_str());
    FENK_DisableAlphaBlend();
    got = read_target();
    EXPECT_EQ(beyond(got, want, false, [&](uint32_t p) { return int((p >> 8 & 255) * 255 / colour[1]); }),
              "");
    for (uint32_t p : got.pixels) {
        const int coverage = int((p >> 8 & 255) * 255 / colour[1]);
        EXPECT_LE(std::abs(int(p & 255) - colour[0] * coverage / 255), 2) << std::hex << p;
        EXPECT_LE(std::abs(int(p >> 16 & 255) - colour[2] * coverage / 255), 2) << std::hex << p;
    }
}

TEST_F(FontMaker, RunTimeFontsAreTheMakersPicturesPixelForPixel)
{
    const std::string text = "Run time, 24 px: jQuick {fox} @|#";
    for (const bool smooth : {false, true}) {
        s_font *made = make(smooth ? "smooth.tga" : "plain.tga",
                            smooth ? std::vector<std::string>{"--smooth"} : std::vector<std::string>{});
        std::string said;
        s_font *loaded = load(size, smooth ? FENK_FONT_SMOOTH : 0, &said);
        EXPECT_EQ(said, "loading file for dir: " + (scratch_->path() / "data").string() +
                            "/dejavu.ttf\nFENK_LoadTTFont - dejavu.ttf at 24 pixels: 94 glyphs, " +
                            std::to_string(made->picture->width) + " x " +
                            std::to_string(made->picture->height) +
                            " pixels (NumFonts: " + std::to_string(fenk_numfonts) + ")\n");
        ASSERT_EQ(loaded->numletters, made->numletters);
        EXPECT_EQ(loaded->height, made->height);
        EXPECT_EQ(std::memcmp(loaded->widths, made->widths, sizeof made->widths), 0);
        ASSERT_EQ(loaded->picture->width, made->picture->width);
        ASSERT_EQ(loaded->picture->height, made->picture->height);
        const size_t words = size_t(made->picture->width) * made->picture->height;
        EXPECT_EQ(std::memcmp(loaded->picture->pixels, made->picture->pixels, words * 4), 0);

        textbuffer();
        FENK_DrawText(4, 3, *made, "%s", text.c_str());
        const Picture want = read_target();
        textbuffer();
        FENK_DrawText(4, 3, *loaded, "%s", text.c_str());
        EXPECT_EQ(differences(read_target(), want), "") << (smooth ? "smooth" : "plain");
    }
}

// At 8 pixels thin strokes cover no pixel by half: those glyphs are cut at half their
// own strongest coverage, and the maker and the loader say which they are.
TEST_F(FontMaker, SmallSizesLeaveNoGlyphEmpty)
{
    std::string said;
    s_font *made = make("small.tga", {}, 8, &said);
    EXPECT_EQ(emptyglyphs(*made), "");
    const std::string lead = "fenk_fontmaker: warning: at 8 pixels no pixel of ";
    const size_t at = said.find(lead);
    ASSERT_NE(at, std::string::npos) << said;
    const size_t from = at + lead.size();
    const std::string faint = said.substr(from, said.find(" is half covered", from) - from);
    EXPECT_FALSE(faint.empty());
    EXPECT_NE(said.find("(--smooth keeps every edge's coverage)\n", at), std::string::npos) << said;

    s_font *loaded = load(8, 0, &said);
    EXPECT_EQ(emptyglyphs(*loaded), "");
    EXPECT_NE(
        said.find("FENK_LoadTTFont - dejavu.ttf at 8 pixels: no pixel of " + faint + " is half covered"),
        std::string::npos)
        << said;
    // Kept smooth, nothing needs cutting.
    EXPECT_EQ(load(8, FENK_FONT_SMOOTH, &said)->numletters, 94);
    EXPECT_EQ(said.find("half covered"), std::string::npos) << said;
}

TEST_F(FontMaker, RunTimeRefusalsSayWhyAndLeaveAnEmptyFont)
{
    const std::string whole = slurp(font_file);
    mount({{"notes.ttf", "not a font\n"}, {"cut.ttf", whole.substr(0, 4000)}, {"dejavu.ttf", whole}});
    const std::string reads = "not a font stb_truetype reads (TrueType or OpenType)";
    struct Case {
        const char *name;
        int size;
        std::string says;
    } cases[] = {
        {"missing.ttf", 24, "no such file in the data folder, or an empty one"},
        {"notes.ttf", 24, reads},
        {"cut.ttf", 24, reads},
        {"dejavu.ttf", 0, "a size of 0 pixels; sizes go from 1 to 1000"},
        {"dejavu.ttf", 1001, "a size of 1001 pixels; sizes go from 1 to 1000"},
        {"dejavu.ttf", 500,
         "pixels wide at size 500; a font picture's glyphs are at most 255: use a smaller size"},
    };
    int fonts = 0;
    for (const Case &c : cases) {
        s_font *f = font();
        std::string log = printed([&] { EXPECT_EQ(FENK_LoadTTFont(c.name, c.size, 0xFFFFFF, 0, f), 0); });
        fonts++;
        const std::string line = "- ERROR: FENK_LoadTTFont - font " + std::string(c.name) + " not loaded: ";
        const size_t at = log.find(line);
        ASSERT_NE(at, std::string::npos) << log;
        EXPECT_NE(
            log.find(c.says + "; its slot holds an empty font (NumFonts: " + std::to_string(fonts) + ")\n",
                     at),
            std::string::npos)
            << log;
        EXPECT_EQ(f->picture, &fenk_fontbmp[fonts - 1]);
        EXPECT_EQ(f->picture->pixels, nullptr);
        EXPECT_EQ(f->numletters, 2);
        EXPECT_EQ(f->height, 0);
    }
    EXPECT_EQ(fenk_numfonts, fonts);
}

TEST(FontMakerArguments, RefusalsSayWhyAndWriteNothing)
{
    ScratchFolder scratch(current_test_tag());
    const std::string out = (scratch / "out.tga").string();
    const std::string text_file = (scratch / "notes.ttf").string();
    std::ofstream(text_file) << "not a font\n";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    } cases[] = {
        {{}, 2, "usage: fenk_fontmaker FONT SIZE OUT.tga"},
        {{font_file, "24"}, 2, "expected FONT SIZE OUT.tga"},
        {{font_file, "0", out}, 2, "SIZE must be a pixel height"},
        {{font_file, "24px", out}, 2, "SIZE must be a pixel height"},
        {{font_file, "24", out, "--last"}, 2, "missing value after --last"},
        {{font_file, "24", out, "--last", "~"}, 2, "--last must be a character from '!' to '|'"},
        {{font_file, "24", out, "--colour", "F0F"}, 2, "--colour takes six hexadecimal digits"},
        {{font_file, "24", out, "--colour", "FF08F8"}, 2, "transparent key colour"},
        {{font_file, "24", out, "--bold"}, 2, "unknown option --bold"},
        {{font_file, "24", (scratch / "out.png").string()},
         2,
         "OUT.tga names the TGA picture written: it must end in .tga, not " + (scratch / "out.png").string()},
        {{(scratch / "missing.ttf").string(), "24", out},
         1,
         "cannot read font " + (scratch / "missing.ttf").string() + ": No such file"},
        {{text_file, "24", out}, 1, "cannot read font " + text_file + ": not a font"},
        {{font_file, "500", out}, 1, "pixels wide at size 500; a font picture's glyphs are at most 255"},
        {{font_file, "24", (scratch / "no" / "out.tga").string()},
         1,
         "cannot write " + (scratch / "no" / "out.tga").string()},
    };
    // A full disk: the error named, the device left in place.
    Outcome full = fontmaker({font_file, "24", "/dev/full"}, scratch / "full.log");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.output.find("cannot write /dev/full: No space left on device"), std::string::npos)
        << full.output;
    EXPECT_TRUE(fs::exists("/dev/full"));
    int n = 0;
    for (const Case &c : cases) {
        Outcome run = fontmaker(c.args, scratch / ("run" + std::to_string(n++) + ".log"));
        std::string line = c.args.empty() ? "(none)" : c.args.back();
        EXPECT_EQ(run.status, c.status) << line << "\n" << run.output;
        EXPECT_NE(run.output.find("fenk_fontmaker: "), std::string::npos) << line << "\n" << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << line << "\n" << run.output;
        EXPECT_FALSE(fs::exists(out)) << line;
        EXPECT_FALSE(fs::exists(scratch / "out.png")) << line;
    }
    Outcome help = fontmaker({"--help"}, scratch / "help.log");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--smooth"), std::string::npos) << help.output;
}
