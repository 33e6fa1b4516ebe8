// The generator's TGA writer, read back by the engine's reader: every kind, raw and
// run-length coded, both origins, with runs and raw stretches at the packet limits.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

#include "data_files.h"
#include "graphics2d/corebitmap.h"
#include "tga.h"
#include "scratch.h"

namespace {

using makedata::Origin;

constexpr int width = 700, height = 3;

// Rows of runs 1, 2, 127, 128, 129 and 257 long, raw stretches longer than a packet,
// the transparent key colour itself, and noise; the last row repeats the first so
// nothing may leak from one row into the next.
std::vector<uint8_t> test_rgba()
{
    std::vector<uint8_t> px(size_t(width) * height * 4);
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1664525u + 1013904223u; };
    const int runs[] = {1, 2, 127, 128, 129, 257};
    for (int y = 0; y < height; ++y) {
        int x = 0, k = 0;
        while (x < width) {
            int len = y == 1 ? 1 : runs[k++ % 6];
            uint32_t c = next();
            if (k % 4 == 0) c = 0xFF00FFu; // the key: must come back visible
            for (int i = 0; i < len && x < width; ++i, ++x) {
                uint8_t *p = &px[(size_t(y) * width + x) * 4];
                p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c),
                p[3] = uint8_t(c >> 24 | 1);
            }
        }
    }
    std::copy(px.begin(), px.begin() + width * 4, px.end() - width * 4);
    return px;
}

class TgaWriter : public testing::Test {
protected:
    // Decodes the written file with the engine's reader into 0xAARRGGBB words.
    std::vector<uint32_t> read_back()
    {
        std::vector<uint8_t> file = read_bytes(path);
        fenk_numbitmaps = 0;
        s_bitmap b{};
        DecodeImageTGA("written.tga", file.data(), int(file.size()), &b);
        std::vector<uint32_t> out;
        if (b.pixels && b.width == width && b.height == height)
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) out.push_back(uint32_t(FENK_GetPixel(x, y, b)));
        std::free(b.pixels);
        fenk_numbitmaps = 0;
        return out;
    }

    const ScratchFolder scratch{current_test_tag()};
    const std::string path = (scratch / "written.tga").string();
};

TEST_F(TgaWriter, TrueColourComesBackAsWrittenWithTheKeyNudgedOff)
{
    std::vector<uint8_t> rgba = test_rgba();
    for (int depth : {16, 24, 32})
        for (bool rle : {false, true})
            for (Origin origin : {Origin::bottom_left, Origin::top_left}) {
                SCOPED_TRACE("depth " + std::to_string(depth) + (rle ? " rle" : " raw") +
                             (origin == Origin::top_left ? " top" : " bottom"));
                ASSERT_TRUE(makedata::write_tga_rgb(path, width, height, rgba.data(), depth, rle, origin));
                std::vector<uint32_t> got = read_back();
                ASSERT_EQ(got.size(), size_t(width) * height);
                long wrong = 0;
                for (size_t i = 0; i < got.size(); ++i) {
                    uint32_t r = rgba[i * 4], g = rgba[i * 4 + 1], b = rgba[i * 4 + 2], a = rgba[i * 4 + 3];
                    if (depth == 16) r &= 0xF8, g &= 0xF8, b &= 0xF8, a = 255;
                    if (depth == 24) a = 255;
                    bool keyed = r > 240 && g < 16 && b > 240;
                    uint32_t want = a << 24 | r << 16 | g << 8 | b;
                    // The writer moves key colours just off the key; all else is exact.
                    if (keyed ? got[i] >> 24 != a || (got[i] >> 8 & 255) < 16 : got[i] != want) ++wrong;
                }
                EXPECT_EQ(wrong, 0);
            }
}

TEST_F(TgaWriter, GreyAndColourMappedComeBackAsWritten)
{
    std::vector<uint8_t> rgba = test_rgba(), index(size_t(width) * height), palette(256 * 3);
    for (size_t i = 0; i < index.size(); ++i) index[i] = rgba[i * 4 + 1];
    for (int i = 0; i < 256; ++i) // entry 7 is the key colour
        palette[i * 3] = uint8_t(i == 7 ? 255 : i), palette[i * 3 + 1] = uint8_t(i == 7 ? 0 : 255 - i),
                    palette[i * 3 + 2] = uint8_t(i == 7 ? 255 : i / 2);
    for (bool rle : {false, true})
        for (Origin origin : {Origin::bottom_left, Origin::top_left}) {
            SCOPED_TRACE(std::string(rle ? "rle" : "raw") +
                         (origin == Origin::top_left ? " top" : " bottom"));
            ASSERT_TRUE(makedata::write_tga_grey(path, width, height, index.data(), rle, origin));
            std::vector<uint32_t> got = read_back();
            ASSERT_EQ(got.size(), index.size());
            long wrong = 0;
            for (size_t i = 0; i < got.size(); ++i) wrong += got[i] != (0xFF000000u | index[i] * 0x010101u);
            EXPECT_EQ(wrong, 0);

            ASSERT_TRUE(makedata::write_tga_mapped(path, width, height, index.data(), palette.data(), 256,
                                                   rle, origin));
            got = read_back();
            ASSERT_EQ(got.size(), index.size());
            wrong = 0;
            for (size_t i = 0; i < got.size(); ++i) {
                const uint8_t *e = &palette[index[i] * 3];
                uint32_t want = 0xFF000000u | e[0] << 16 | e[1] << 8 | e[2];
                wrong += index[i] == 7 ? (got[i] >> 24 != 255 || (got[i] >> 8 & 255) < 16) : got[i] != want;
            }
            EXPECT_EQ(wrong, 0);
        }
}

TEST_F(TgaWriter, RefusesSizesAndDepthsNoFileCanHold)
{
    uint8_t px[4] = {1, 2, 3, 4};
    EXPECT_FALSE(makedata::write_tga_rgb(path, 0, 1, px, 24, false, Origin::top_left));
    EXPECT_FALSE(makedata::write_tga_rgb(path, 65536, 1, px, 24, false, Origin::top_left));
    EXPECT_FALSE(makedata::write_tga_rgb(path, 1, 1, px, 8, false, Origin::top_left));
    EXPECT_FALSE(makedata::write_tga_mapped(path, 1, 1, px, px, 0, false, Origin::top_left));
    EXPECT_FALSE(makedata::write_tga_rgb("/nonexistent-dir/x.tga", 1, 1, px, 24, false, Origin::top_left));
}

} // namespace
