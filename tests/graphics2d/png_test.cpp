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

uint32_t crc32(const std::string &bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : bytes) {
        crc ^= c;
        for (int bit = 0; bit < 8; bit++) crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return ~crc;
}

std::string bigendian(uint32_t v)
{
    return {(char)(v >> 24), (char)(v >> 16 & 255), (char)(v >> 8 & 255), (char)(v & 255)};
}

std::string chunk(const std::string &type, const std::string &body)
{
    return bigendian((uint32_t)body.size()) + type + body + bigendian(crc32(type + body));
}

// An 8-bit paletted PNG of one row, its data in one stored deflate block.
std::string paletted(const std::string &palette, const std::string &alpha, const std::string &indices)
{
    const std::string row = std::string(1, '\0') + indices;
    uint32_t a = 1, b = 0;
    for (unsigned char c : row) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    const uint16_t n = (uint16_t)row.size();
    std::string zlib = std::string("\x78\x01\x01", 3) + (char)(n & 255) + (char)(n >> 8) + (char)(~n & 255) +
                       (char)((uint16_t)~n >> 8) + row + bigendian(b << 16 | a);
    std::string header =
        bigendian((uint32_t)indices.size()) + bigendian(1) + std::string("\x08\x03\0\0\0", 5);
    return "\x89PNG\r\n\x1a\n" + chunk("IHDR", header) + chunk("PLTE", palette) +
           (alpha.empty() ? "" : chunk("tRNS", alpha)) + chunk("IDAT", zlib) + chunk("IEND", "");
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

    // A true-colour file may suggest a palette: it changes nothing either.
    file = png_file(1, 2, 3, {1, 2, 3, 250, 251, 252});
    file.insert(33, chunk("PLTE", std::string("\1\2\3", 3)));
    s_bitmap *suggested = record();
    printed([&] {
        EXPECT_EQ(FENK_DecodePNG("suggested.png", reinterpret_cast<const unsigned char *>(file.data()),
                                 static_cast<int>(file.size()), suggested),
                  1);
    });
    EXPECT_EQ(words(suggested), words(rgb));
}

// Indices past the palette read as opaque black, as libpng gives them, never as
// whatever memory the decoder had: entries the palette lacks, and their alpha.
TEST_F(Png, IndicesPastThePaletteAreOpaqueBlack)
{
    const std::string two = std::string("\x10\x20\x30\x40\x50\x60", 6);
    const std::string indices = std::string("\x00\x01\x02\x07\xFF", 5);
    const std::vector<uint32_t> opaque = {0xFF302010, 0xFF605040, 0xFF000000, 0xFF000000, 0xFF000000};
    for (int round = 0; round < 2; round++) {
        s_bitmap *b = record();
        const std::string file = paletted(two, round ? std::string("\x80", 1) : "", indices);
        printed([&] {
            EXPECT_EQ(FENK_DecodePNG("p.png", reinterpret_cast<const unsigned char *>(file.data()),
                                     static_cast<int>(file.size()), b),
                      1);
        });
        std::vector<uint32_t> expected = opaque;
        if (round) expected[0] = 0x80302010;
        EXPECT_EQ(words(b), expected) << "with transparency: " << round;
    }
    // A transparency chunk longer than the palette is left out, as libpng leaves it;
    // so is a second one after the first.
    s_bitmap *b = record();
    const std::string file = paletted(two, std::string("\x80\x80\x80", 3), indices);
    printed([&] {
        FENK_DecodePNG("p.png", reinterpret_cast<const unsigned char *>(file.data()), (int)file.size(), b);
    });
    EXPECT_EQ(words(b), opaque);
    std::string twice = paletted(two, std::string("\x80", 1), indices);
    twice.insert(twice.find("IDAT") - 4, chunk("tRNS", std::string("\x20", 1)));
    s_bitmap *first = record();
    printed([&] {
        FENK_DecodePNG("p.png", reinterpret_cast<const unsigned char *>(twice.data()), (int)twice.size(),
                       first);
    });
    std::vector<uint32_t> expected = opaque;
    expected[0] = 0x80302010;
    EXPECT_EQ(words(first), expected);
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
    std::string colour = good;
    colour[25] = 5; // no such colour type
    put("data/wide.png", wide);
    put("data/cut.png", good.substr(0, good.size() - 20)); // inside the data chunk
    put("data/sig.png", chunkless);
    put("data/noend.png", good.substr(0, good.size() - 12));
    put("data/colour.png", colour);
    put("data/critical.png", good.substr(0, 33) + chunk("ABCD", "x") + good.substr(33));
    put("data/notpng.png", "GIF89a not a png at all");
    put("data/empty.png", "");
    ASSERT_EQ(mount(), 1);

    const struct {
        const char *name;
        const char *line;
    } cases[] = {
        {"none.png", "- ERROR: Image none.png not loaded. data/none.png: no such file\n"},
        {"notpng.png", "- ERROR: PNG notpng.png: not a PNG: no PNG signature\n"},
        {"empty.png", "- ERROR: PNG empty.png: not a PNG: no PNG signature\n"},
        {"wide.png", "- ERROR: PNG wide.png: picture too large: 65536 x 4 pixels, this reader takes up to "
                     "16384 on a side\n"},
        {"cut.png", "- ERROR: PNG cut.png: file cut short inside its IDAT chunk\n"},
        {"sig.png", "- ERROR: PNG sig.png: file cut short: no IEND chunk\n"},
        {"noend.png", "- ERROR: PNG noend.png: file cut short: no IEND chunk\n"},
        {"colour.png", "- ERROR: PNG colour.png: bad header: bad ctype\n"},
        {"critical.png", "- ERROR: PNG critical.png: unknown critical chunk ABCD\n"},
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
        EXPECT_EQ(output.substr(at), c.line);
    }
    EXPECT_EQ(fenk_numbitmaps, 0);

    // From memory, without a file: nothing, and no record.
    EXPECT_EQ(printed([] { EXPECT_EQ(FENK_DecodePNG("x.png", nullptr, 0, nullptr), 0); }), "");
    s_bitmap *b = record();
    EXPECT_EQ(printed([&] { EXPECT_EQ(FENK_DecodePNG(nullptr, nullptr, 0, b), 0); }),
              "- ERROR: PNG : not a PNG: no PNG signature\n");
    EXPECT_EQ(FENK_LoadPNG(nullptr, b), 0);
}

} // namespace
