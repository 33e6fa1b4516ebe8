// Pictures as ImageMagick, Pillow and netpbm write them load the right way up, and
// a picture of another format is refused in one line naming the call that reads it
// or the convert command that, run as printed, gives one that loads.
#include "bitmap_fixture.h"

#include <cstdlib>

namespace {

bool have(const std::string &tool)
{
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a command inside the test's own data folder.
int run(const std::string &command)
{
    return std::system(("cd data && (" + command + ") >/dev/null 2>&1").c_str());
}

std::string readfile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class TgaTools : public Bitmaps {
protected:
    void SetUp() override
    {
        Bitmaps::SetUp();
        if (!have("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
        fs::create_directories("data");
        // Red at the top left, green at the bottom right, blue elsewhere.
        ASSERT_EQ(run("convert -size 5x3 xc:blue -fill red -draw 'point 0,0' -fill lime -draw 'point 4,2' "
                      "PNG24:picture.png"),
                  0);
    }

    // Loads through the data image; gives what was printed.
    std::string load(const std::string &name, s_bitmap **out)
    {
        *out = record();
        mount();
        return printed([&] { FENK_LoadBitmap(name.c_str(), *out); });
    }

    void expectpicture(const s_bitmap *b)
    {
        ASSERT_NE(b->pixels, nullptr);
        ASSERT_EQ(b->width, 5);
        ASSERT_EQ(b->height, 3);
        EXPECT_EQ(pixel(b, 0, 0), 0xFFFF0000u);
        EXPECT_EQ(pixel(b, 4, 2), 0xFF00FF00u);
        EXPECT_EQ(pixel(b, 4, 0), 0xFF0000FFu);
        EXPECT_EQ(pixel(b, 0, 2), 0xFF0000FFu);
    }
};

// The last line printed, which must be the only one that says what went wrong.
std::string lastline(const std::string &out)
{
    size_t cut = out.rfind('\n', out.size() - 2);
    return cut == std::string::npos ? out : out.substr(cut + 1);
}

} // namespace

// ImageMagick 6 writes its rows top-down but, unless told -orient TopLeft,
// marks them bottom-up: such a file comes out upside down in any reader that
// follows its header. The reader follows it; the documented command gives a
// file that loads the right way up, raw and run-length coded.
TEST_F(TgaTools, ImageMagickPicturesFollowTheirHeaderAndTheDocumentedOnesLoadUpright)
{
    ASSERT_EQ(run("convert picture.png -orient TopLeft topleft.tga"), 0);
    ASSERT_EQ(run("convert picture.png -orient TopLeft -compress RLE rle.tga"), 0);
    EXPECT_EQ(readfile("data/topleft.tga")[17] & 0x20, 0x20);
    for (const char *name : {"topleft.tga", "rle.tga"}) {
        SCOPED_TRACE(name);
        s_bitmap *b = nullptr;
        std::string said = load(name, &b);
        EXPECT_EQ(said.find("- "), std::string::npos) << said;
        expectpicture(b);
    }

    ASSERT_EQ(run("convert picture.png default.tga"), 0);
    std::string file = readfile("data/default.tga");
    ASSERT_GE(file.size(), 18u + 15 * 3);
    ASSERT_EQ(file[2], 2) << "uncompressed true colour";
    bool bottomup = !(file[17] & 0x20);
    s_bitmap *b = nullptr;
    load("default.tga", &b);
    ASSERT_NE(b->pixels, nullptr);
    const unsigned char *first = (const unsigned char *)file.data() + 18 + (unsigned char)file[0];
    unsigned colour = 0xFF000000u | first[2] << 16 | first[1] << 8 | first[0];
    EXPECT_EQ(pixel(b, 0, bottomup ? 2 : 0), colour);
}

// What Pillow and netpbm write, raw and run-length coded, bottom-up as both write by
// default: colour, colour-mapped, grey, grey in a colour map of grey entries, and
// 1 bit a pixel. Each loads upright with no message, so no refusal sends anyone
// round a tool. The grey levels are the tools' own (red 76, green 150, blue 29, one
// step either way); at 1 bit only the green pixel is white.
TEST_F(TgaTools, PillowAndNetpbmPicturesLoadUpright)
{
    const std::string pil = "/usr/bin/python3 -c \"from PIL import Image; im = Image.open('picture.png')"
                            ".convert('RGB'); grey = im.convert('L'); ";
    const bool havepil = run("/usr/bin/python3 -c 'import PIL'") == 0;
    const bool havenetpbm = have("pamtotga") && have("pngtopam");
    if (!havepil && !havenetpbm) GTEST_SKIP() << "neither Pillow nor netpbm is installed";
    if (havenetpbm) {
        ASSERT_EQ(run("pngtopam picture.png > picture.ppm && ppmtopgm picture.ppm > picture.pgm && "
                      "pgmtopbm -threshold -value 0.4 picture.pgm > picture.pbm"),
                  0);
    }
    enum Kind { colour, grey, bits };
    const struct {
        bool present;
        const char *name, *command;
        Kind kind;
    } cases[] = {
        {havepil, "pil_rgb.tga", "im.save('pil_rgb.tga')", colour},
        {havepil, "pil_rgb_rle.tga", "im.save('pil_rgb_rle.tga', compression='tga_rle')", colour},
        {havepil, "pil_p.tga", "im.convert('P').save('pil_p.tga')", colour},
        {havepil, "pil_p_rle.tga", "im.convert('P').save('pil_p_rle.tga', compression='tga_rle')", colour},
        {havepil, "pil_l.tga", "grey.save('pil_l.tga')", grey},
        {havepil, "pil_la.tga", "grey.convert('LA').save('pil_la.tga')", grey},
        {havepil, "pil_1.tga", "grey.point(lambda v: 255 if v > 100 else 0).convert('1').save('pil_1.tga')",
         bits},
        {havenetpbm, "np_ppm.tga", "pamtotga picture.ppm > np_ppm.tga", colour},
        {havenetpbm, "np_ppm_raw.tga", "pamtotga -norle picture.ppm > np_ppm_raw.tga", colour},
        {havenetpbm, "np_rgb.tga", "pamtotga -rgb picture.ppm > np_rgb.tga", colour},
        {havenetpbm, "np_pgm.tga", "pamtotga picture.pgm > np_pgm.tga", grey},
        {havenetpbm, "np_pgm_map.tga", "pamtotga -cmap picture.pgm > np_pgm_map.tga", grey},
        {havenetpbm, "np_pbm_map.tga", "pamtotga -cmap picture.pbm > np_pbm_map.tga", bits},
    };
    for (const auto &c : cases) {
        if (!c.present) continue;
        SCOPED_TRACE(c.name);
        const std::string command = c.command;
        ASSERT_EQ(run(command[0] == 'p' && command[1] == 'a' ? command : pil + command + "\""), 0) << command;
        s_bitmap *b = nullptr;
        std::string said = load(c.name, &b);
        EXPECT_EQ(said.find("- "), std::string::npos) << said;
        if (c.kind == colour) {
            expectpicture(b);
            continue;
        }
        ASSERT_NE(b->pixels, nullptr);
        const int red = c.kind == bits ? 0 : 76, green = c.kind == bits ? 255 : 150,
                  blue = c.kind == bits ? 0 : 29;
        const struct {
            int x, y, level;
        } corners[] = {{0, 0, red}, {4, 2, green}, {4, 0, blue}, {0, 2, blue}};
        for (const auto &corner : corners) {
            const unsigned p = pixel(b, corner.x, corner.y);
            EXPECT_EQ(p, 0xFF000000u | (p & 255) * 0x010101u) << "grey, opaque";
            EXPECT_NEAR((int)(p & 255), corner.level, 1) << corner.x << "," << corner.y;
        }
    }
}

// A picture of another format under a TGA name: a PNG is named with the call that
// reads it; one ImageMagick reads gets the command that rewrites it, run as printed
// (its name has a space), upright; bytes of no known format get no command at all.
TEST_F(TgaTools, OtherPicturesAreNamedWithWhatReadsThem)
{
    ASSERT_EQ(run("cp picture.png photo.tga && convert picture.png 'bmp:my photo.tga' && "
                  "printf 'no picture, a text' > noise.tga"),
              0);
    s_bitmap *b = nullptr;
    std::string said = load("photo.tga", &b);
    EXPECT_EQ(b->pixels, nullptr);
    EXPECT_EQ(
        lastline(said),
        "- ERROR: Image photo.tga not loaded. photo.tga: a PNG picture, not a TGA: FENK_LoadPNG reads it\n");
    b = record();
    printed([&] { EXPECT_EQ(FENK_LoadPNG("photo.tga", b), 1); });
    expectpicture(b);

    said = load("my photo.tga", &b);
    EXPECT_EQ(lastline(said),
              "- ERROR: Image my photo.tga not loaded. my photo.tga: a BMP picture, not a TGA: "
              "convert 'my photo.tga' -auto-orient -orient TopLeft 'my photo.tga' rewrites it "
              "as one\n");
    std::string command = said.substr(said.find("convert "));
    command = command.substr(0, command.find(" rewrites"));
    ASSERT_EQ(run(command), 0) << command;
    load("my photo.tga", &b);
    expectpicture(b);

    said = load("noise.tga", &b);
    EXPECT_EQ(said.find("convert"), std::string::npos) << said;
    EXPECT_NE(lastline(said).find("not supported: this reader takes types 1, 2, 3, 9, 10 and 11"),
              std::string::npos)
        << said;

    // A picture under another name: the command, run as printed, gives one that loads.
    ASSERT_EQ(run("convert picture.png 'my picture.bmp'"), 0);
    said = load("my picture.bmp", &b);
    EXPECT_EQ(said.find('\n'), said.size() - 1) << said;
    command = said.substr(said.find("convert "));
    command.pop_back();
    EXPECT_EQ(command, "convert 'my picture.bmp' -auto-orient -orient TopLeft 'my picture.tga'");
    ASSERT_EQ(run(command), 0) << command;
    load("my picture.tga", &b);
    expectpicture(b);
}
