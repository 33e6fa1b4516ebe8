// The web data's PNG writer: each kind of picture comes back through the engine's PNG
// reader byte for byte, in the smallest colour type that holds it.
#include <gtest/gtest.h>

#include <vector>

#include "graphics2d/png.h"
#include "png_writer.h"

namespace {

// A 13 x 7 picture whose pixels differ from row to row and column to column.
std::vector<unsigned char> picture(bool grey, bool opaque)
{
    std::vector<unsigned char> rgba;
    for (int y = 0; y < 7; y++) {
        for (int x = 0; x < 13; x++) {
            const unsigned char v = static_cast<unsigned char>(x * 19 + y * 37);
            const unsigned char g = grey ? v : static_cast<unsigned char>(255 - v);
            const unsigned char b = grey ? v : static_cast<unsigned char>(x * y);
            const unsigned char a = opaque ? 255 : static_cast<unsigned char>(y * 40);
            rgba.insert(rgba.end(), {v, g, b, a});
        }
    }
    return rgba;
}

} // namespace

TEST(WebDataPng, EveryKindComesBackAsItWent)
{
    struct Kind {
        bool grey, opaque;
        int type; // PNG's colour type in the header
    };
    for (const Kind kind :
         {Kind{true, true, 0}, Kind{true, false, 4}, Kind{false, true, 2}, Kind{false, false, 6}}) {
        const std::vector<unsigned char> rgba = picture(kind.grey, kind.opaque);
        const std::vector<unsigned char> png = webdata_png(13, 7, rgba.data());
        ASSERT_GT(png.size(), 33u);
        EXPECT_EQ(png[25], kind.type);
        int width = 0, height = 0;
        char why[128] = "";
        unsigned char *back =
            png::decode(png.data(), static_cast<int>(png.size()), &width, &height, why, sizeof why);
        ASSERT_NE(back, nullptr) << why;
        EXPECT_EQ(width, 13);
        EXPECT_EQ(height, 7);
        EXPECT_EQ(std::vector<unsigned char>(back, back + rgba.size()), rgba) << "colour type " << kind.type;
        png::release(back);
    }
}
