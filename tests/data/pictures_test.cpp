// Every picture the show loads: present, decodable by an independent reader, of the
// size the timeline places, spread over the reader's kinds, opaque and keyed safely.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "data_files.h"

namespace {

struct Expected {
    std::string name;
    int width, height;
};

std::vector<Expected> pictures()
{
    std::vector<Expected> v = {{"revizidbg.tga", 2844, 1600}};
    for (const char *n : {"revizidtitle", "revizidcredits", "revizidgreetings", "revizidgreetings2"})
        v.push_back({std::string(n) + ".tga", 768, 768});
    for (int i : {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 15})
        v.push_back({"revizid" + std::to_string(i) + ".tga", 768, 768});
    return v;
}

// The colour the engine's reader would store for a decoded pixel. The independent
// decoder widens 5-bit channels to 8 bits by scaling; the engine shifts them.
void engine_colour(const TgaHeader &h, const uint8_t *px, int &r, int &g, int &b)
{
    r = px[0], g = px[1], b = px[2];
    if (h.depth == 16) {
        r = (r * 31 + 127) / 255 << 3;
        g = (g * 31 + 127) / 255 << 3;
        b = (b * 31 + 127) / 255 << 3;
    }
}

TEST(Pictures, DecodeToTheirSizeOpaqueAndNeverHitTheTransparentKey)
{
    for (const Expected &e : pictures()) {
        SCOPED_TRACE(e.name);
        std::vector<uint8_t> file = read_bytes(data_path(e.name));
        TgaHeader h;
        ASSERT_TRUE(parse_tga_header(file, h));
        EXPECT_EQ(h.width, e.width);
        EXPECT_EQ(h.height, e.height);
        Rgba pic;
        ASSERT_TRUE(decode_tga(file, pic));
        ASSERT_EQ(pic.width, e.width);
        ASSERT_EQ(pic.height, e.height);

        // The rotation pictures are blended by their alpha and the others drawn over the
        // background: a single see-through pixel would show a hole.
        long holes = 0, keyed = 0;
        for (int y = 0; y < pic.height; ++y)
            for (int x = 0; x < pic.width; ++x) {
                const uint8_t *px = pic.at(x, y);
                int r, g, b;
                engine_colour(h, px, r, g, b);
                holes += px[3] != 255;
                keyed += r > 240 && g < 16 && b > 240;
            }
        EXPECT_EQ(holes, 0);
        EXPECT_EQ(keyed, 0);
    }
}

TEST(Pictures, CoverEveryKindTheReaderTakes)
{
    std::set<int> types, depths, origins;
    for (const Expected &e : pictures()) {
        SCOPED_TRACE(e.name);
        std::vector<uint8_t> file = read_bytes(data_path(e.name));
        TgaHeader h;
        ASSERT_TRUE(parse_tga_header(file, h));
        types.insert(h.image_type);
        depths.insert(h.depth);
        origins.insert(h.descriptor & 0x30);
        EXPECT_EQ(h.descriptor & 0xC0, 0) << "interleaved rows";
        if (h.image_type == 1 || h.image_type == 9) {
            EXPECT_EQ(h.map_type, 1);
            EXPECT_EQ(h.map_entry_bits, 24);
            EXPECT_LE(h.map_length, 256);
            EXPECT_EQ(h.depth, 8);
        } else {
            EXPECT_EQ(h.map_type, 0);
        }
        if (h.image_type == 3 || h.image_type == 11) {
            EXPECT_EQ(h.depth, 8);
        }
    }
    EXPECT_EQ(types, (std::set<int>{1, 2, 3, 9, 10, 11}));
    EXPECT_EQ(depths, (std::set<int>{8, 16, 24, 32}));
    EXPECT_EQ(origins, (std::set<int>{0x00, 0x20}));
}

// A scene that failed to render shows up as a flat or near-flat picture, or as a copy
// of another one.
TEST(Pictures, AreDistinctAndFarFromFlat)
{
    std::set<uint64_t> seen;
    for (const Expected &e : pictures()) {
        SCOPED_TRACE(e.name);
        Rgba pic;
        ASSERT_TRUE(decode_tga(read_bytes(data_path(e.name)), pic));
        double sum = 0, sum2 = 0;
        std::vector<bool> used(1 << 24);
        size_t colours = 0;
        uint64_t hash = 1469598103934665603ull;
        for (size_t i = 0; i < pic.px.size(); i += 4) {
            const uint8_t *px = &pic.px[i];
            double lum = 0.3 * px[0] + 0.59 * px[1] + 0.11 * px[2];
            sum += lum;
            sum2 += lum * lum;
            uint32_t rgb = uint32_t(px[0] << 16 | px[1] << 8 | px[2]);
            colours += !used[rgb];
            used[rgb] = true;
            hash = (hash ^ (px[0] | px[1] << 8 | px[2] << 16)) * 1099511628211ull;
        }
        double n = double(pic.px.size() / 4);
        double spread = std::sqrt(std::max(0.0, sum2 / n - (sum / n) * (sum / n)));
        EXPECT_GT(spread, 15.0);
        EXPECT_GE(colours, 64u);
        EXPECT_TRUE(seen.insert(hash).second) << "same pixels as an earlier picture";
    }
}

} // namespace
