// PNG pictures through the file layer: every colour type stb_image_write makes, read
// into stored words, and refusals of bytes that are no PNG, cut short or too large.
#include "bitmap_fixture.h"

#include <cstdint>
#include <cstring>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#include <stb_image_write.h>

namespace {

// A PNG file of w x h pixels with n channels, top row first.
std::string png_file(int w, int h, int n, const std::vector<uint8_t> &bytes)
{
    int length = 0;
    unsigned char *png = stbi_write_png_to_mem(bytes.data(), w * n, w, h, n, &length);
    std::string file(reinterpret_cast<const char *>(png), static_cast<size_t>(length));
    STBIW_FREE(png);
    return file;
}

class Png : public Bitmaps {
protected:
    std::vector<uint32_t> words(const s_bitmap *b)
    {
        if (!b->pixels) return {};
        return {b->pixels, b->pixels + b->width * b->height};
    }
};

TEST_F(Png, EveryChannelCountBecomesStoredWordsTopRowFirst)
{
    put("data/gfx/rgba.png", png_file(3, 2, 4, {1, 2,   3, 4, 10, 20, 30,  255, 255, 0, 0, 128, //
                                                0, 255, 0, 0, 0,  0,  255, 255, 9,   8, 7, 6}));
    put("data/grey.png", png_file(2, 1, 1, {0x40, 0xC0}));
    put("data/greyalpha.png", png_file(2, 1, 2, {0x40, 0x11, 0xC0, 0xFF}));
    put("data/rgb.png", png_file(1, 2, 3, {1, 2, 3, 250, 251, 252}));
    ASSERT_EQ(mount(), 1);

    s_bitmap *rgba = record();
    int loaded = 0;
    EXPECT_EQ(printed([&] { loaded = FENK_LoadPNG("GFX/Rgba.PNG", rgba); }),
              "Loading PNG image.\nloading file for dir: data/gfx/rgba.png\nwidth: 3, height: 2\n");
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(rgba->width, 3);
    EXPECT_EQ(rgba->height, 2);
    EXPECT_EQ(words(rgba), (std::vector<uint32_t>{0x04030201, 0xFF1E140A, 0x800000FF, //
                                                  0x0000FF00, 0xFFFF0000, 0x06070809}));
    // The program-side colour of the top-left pixel, as for any bitmap.
    EXPECT_EQ(pixel(rgba, 0, 0), 0x04010203u);
    EXPECT_EQ(fenk_numbitmaps, 1);
    EXPECT_EQ(fenk_bitmaplist[0], rgba);

    s_bitmap *grey = record(), *greyalpha = record(), *rgb = record();
    printed([&] {
        FENK_LoadPNG("grey.png", grey);
        FENK_LoadPNG("greyalpha.png", greyalpha);
        FENK_LoadPNG("rgb.png", rgb);
    });
    EXPECT_EQ(words(grey), (std::vector<uint32_t>{0xFF404040, 0xFFC0C0C0}));
    EXPECT_EQ(words(greyalpha), (std::vector<uint32_t>{0x11404040, 0xFFC0C0C0}));
    EXPECT_EQ(words(rgb), (std::vector<uint32_t>{0xFF030201, 0xFFFCFBFA}));
    EXPECT_EQ(fenk_numbitmaps, 4);

    // Empty data chunks (a valid PNG may have them) change nothing.
    std::string file = png_file(1, 2, 3, {1, 2, 3, 250, 251, 252});
    const std::string empty_idat("\0\0\0\0IDAT\x35\xAF\x06\x1E", 12);
    file.insert(33, empty_idat + empty_idat); // after the 13-byte header chunk
    s_bitmap *padded = record();
    printed([&] {
        EXPECT_EQ(FENK_DecodePNG("padded.png", reinterpret_cast<const unsigned char *>(file.data()),
                                 static_cast<int>(file.size()), padded),
                  1);
    });
    EXPECT_EQ(words(padded), words(rgb));
}

TEST_F(Png, BadInputIsRefusedWithOneLine)
{
    const std::string good = png_file(4, 4, 3, std::vector<uint8_t>(48, 0x55));
    std::string wide = good;
    wide[16] = 0; // IHDR width, big-endian: 0x00010000 pixels
    wide[17] = 1;
    wide[18] = 0;
    wide[19] = 0;
    std::string chunkless = good.substr(0, 8);
    put("data/wide.png", wide);
    put("data/cut.png", good.substr(0, good.size() / 2));
    put("data/sig.png", chunkless);
    put("data/notpng.png", "GIF89a not a png at all");
    put("data/empty.png", "");
    ASSERT_EQ(mount(), 1);

    const struct {
        const char *name;
        const char *line;
    } cases[] = {
        {"none.png", "- ERROR: Image none.png not loaded.\n"},
        {"notpng.png", "- ERROR: PNG notpng.png: no PNG signature\n"},
        {"empty.png", "- ERROR: PNG empty.png: no PNG signature\n"},
        {"wide.png", "- ERROR: PNG wide.png: "},
        {"cut.png", "- ERROR: PNG cut.png: "},
        {"sig.png", "- ERROR: PNG sig.png: "},
    };
    for (const auto &c : cases) {
        s_bitmap *b = record();
        b->pixels = reinterpret_cast<uint32_t *>(b); // whatever was there is not kept
        int loaded = 1;
        const std::string output = printed([&] { loaded = FENK_LoadPNG(c.name, b); });
        EXPECT_EQ(loaded, 0) << c.name;
        EXPECT_EQ(b->pixels, nullptr) << c.name;
        // One error line, after the lines of the file's opening.
        const size_t at = output.find("- ERROR: ");
        ASSERT_NE(at, std::string::npos) << output;
        EXPECT_EQ(output.compare(at, strlen(c.line), c.line), 0) << output;
        EXPECT_EQ(output.find('\n', at), output.size() - 1) << output;
    }
    EXPECT_EQ(fenk_numbitmaps, 0);

    // From memory, without a file: nothing, and no record.
    EXPECT_EQ(printed([] { EXPECT_EQ(FENK_DecodePNG("x.png", nullptr, 0, nullptr), 0); }), "");
    s_bitmap *b = record();
    EXPECT_EQ(printed([&] { EXPECT_EQ(FENK_DecodePNG(nullptr, nullptr, 0, b), 0); }),
              "- ERROR: PNG : no PNG signature\n");
    EXPECT_EQ(FENK_LoadPNG(nullptr, b), 0);
}

} // namespace
