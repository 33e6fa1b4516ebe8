// fenk_fontmaker: its pictures load with FENK_LoadFont and draw text whose pixels are
// FreeType's own glyphs, rendered here independently; bad arguments, unreadable fonts
// and unwritable outputs end with a message and a nonzero status, writing nothing.
#include "gl_fixture.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>

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

// One character as FreeType renders it, 8-bit coverage rows from the top.
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
            if (FT_Load_Char(face, FT_ULong(c), FT_LOAD_RENDER) == 0 && c != ' ') {
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
    // Makes data/NAME with the maker's extra options, mounts it and loads it.
    s_font *make(const std::string &name, std::vector<std::string> options)
    {
        if (!scratch_) scratch_ = std::make_unique<ScratchFolder>(current_test_tag());
        fs::create_directories(scratch_->path() / "data");
        std::vector<std::string> args = {font_file, std::to_string(size),
                                         (scratch_->path() / "data" / name).string(), "--colour", "30C0F0"};
        args.insert(args.end(), options.begin(), options.end());
        Outcome run = fontmaker(args, scratch_->path() / "maker.log");
        EXPECT_EQ(run.status, 0) << run.output;
        mount({});
        s_font *f = font();
        printed([&] { FENK_LoadFont(name.c_str(), f); });
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
    // for every pixel FreeType gave the glyph, placed by the cells and baseline.
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

// Compares red, green and blue, and alpha too with `alpha`.
std::string differences(const Picture &got, const std::vector<uint32_t> &want, int tolerance,
                        bool alpha = true)
{
    int count = 0;
    std::string first;
    for (int y = 0; y < got.height; y++)
        for (int x = 0; x < got.width; x++) {
            uint32_t a = got.at(x, y), b = want[size_t(y) * got.width + x];
            bool same = true;
            for (int s = 0; s < (alpha ? 32 : 24); s += 8)
                same = same && std::abs(int((a >> s) & 255) - int((b >> s) & 255)) <= tolerance;
            if (same) continue;
            if (!count++) {
                char text[96];
                std::snprintf(text, sizeof text, "first at (%d, %d): %08X, expected %08X", x, y, a, b);
                first = text;
            }
        }
    return count ? std::to_string(count) + " pixels differ, " + first : "";
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
    std::vector<uint32_t> want(size_t(text_width) * text_height, opaque_black);
    std::string drawn = text;
    std::erase_if(drawn, [](char c) { return c == '}' || c == '~'; });
    place(glyphs, above, 7, 5, drawn, [&](int x, int y, int coverage) {
        if (coverage >= 128) want[size_t(y) * text_width + x] = rgba(colour[0], colour[1], colour[2]);
    });
    EXPECT_EQ(differences(got, want, 0), "");
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
    std::vector<uint32_t> want(size_t(text_width) * text_height, opaque_black);
    place(glyphs, above, 3, 2, text, [&](int x, int y, int coverage) {
        if (coverage) want[size_t(y) * text_width + x] = (face & 0xFFFFFFu) | uint32_t(coverage) << 24;
    });
    EXPECT_EQ(differences(read_target(), want, 0), "");

    // With alpha blending on, each pixel is the colour weighted by its coverage.
    textbuffer();
    FENK_EnableAlphaBlend(1.0f);
    FENK_DrawText(3, 2, *f, "%s", text.c_str());
    FENK_DisableAlphaBlend();
    std::fill(want.begin(), want.end(), opaque_black);
    auto blend = [](int c, int coverage) { return uint32_t((c * coverage + 127) / 255); };
    place(glyphs, above, 3, 2, text, [&](int x, int y, int coverage) {
        want[size_t(y) * text_width + x] =
            rgba(blend(colour[0], coverage), blend(colour[1], coverage), blend(colour[2], coverage));
    });
    // Blending's rounding differs by one step between GL drivers; the frame buffer's
    // alpha is the blend's own.
    EXPECT_EQ(differences(read_target(), want, 1, false), "");
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
    }
    Outcome help = fontmaker({"--help"}, scratch / "help.log");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("--smooth"), std::string::npos) << help.output;
}
