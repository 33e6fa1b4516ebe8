// The engine's own TGA reader takes every generated picture and agrees with the
// independent decoder on each pixel: what the tests above check is what the show gets.
#include <gtest/gtest.h>

#include <cstdlib>

#include "data_files.h"
#include "graphics2d/corebitmap.h"

namespace {

TEST(EngineReader, AgreesWithTheIndependentDecoderOnEveryPicture)
{
    std::vector<std::string> names = {"revizidbg.tga",        "revizidtitle.tga",      "revizidcredits.tga",
                                      "revizidgreetings.tga", "revizidgreetings2.tga", "panfont.tga"};
    for (int i : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15})
        names.push_back("revizid" + std::to_string(i) + ".tga");

    for (const std::string &name : names) {
        SCOPED_TRACE(name);
        std::vector<uint8_t> file = read_bytes(data_path(name));
        TgaHeader h;
        ASSERT_TRUE(parse_tga_header(file, h));
        Rgba expected;
        ASSERT_TRUE(decode_tga(file, expected));

        fenk_numbitmaps = 0;
        s_bitmap bitmap{};
        DecodeImageTGA(name.c_str(), file.data(), int(file.size()), &bitmap);
        ASSERT_NE(bitmap.pixels, nullptr);
        EXPECT_EQ(bitmap.width, expected.width);
        EXPECT_EQ(bitmap.height, expected.height);

        long differing = 0;
        for (int y = 0; y < expected.height && y < bitmap.height; ++y)
            for (int x = 0; x < expected.width && x < bitmap.width; ++x) {
                const uint8_t *px = expected.at(x, y);
                uint32_t r = px[0], g = px[1], b = px[2], a = px[3];
                if (h.depth == 16) { // the engine shifts 5-bit channels, the decoder scales them
                    r = (r * 31 + 127) / 255 << 3;
                    g = (g * 31 + 127) / 255 << 3;
                    b = (b * 31 + 127) / 255 << 3;
                }
                uint32_t want = a << 24 | r << 16 | g << 8 | b;
                if (r > 240 && g < 16 && b > 240) want = 0;
                differing += uint32_t(FENK_GetPixel(x, y, bitmap)) != want;
            }
        EXPECT_EQ(differing, 0);
        std::free(bitmap.pixels);
        fenk_numbitmaps = 0;
    }
}

} // namespace
