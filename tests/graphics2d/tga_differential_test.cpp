// Every kind of picture the reader accepts, generated here and decoded both by
// the reader and by stb_image; the two must agree on every pixel once the
// transparent key is applied to stb_image's colours.
#include "bitmap_fixture.h"
#include "tga_writer.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_TGA
#include <stb_image.h>

#include <random>
#include <sstream>

namespace {

struct Kind {
    int type;
    int depth;
    int mapbits;
};

// Colours near the key on both sides of its edges, so the key rule is exercised.
uint32_t pickcolour(int bits, std::mt19937 &rng)
{
    if (rng() % 6 == 0) {
        static const uint32_t keys16[] = {0x7C1F, 0xFC1F, 0x7C3F, 0x7C5F, 0x781F};
        static const uint32_t keys24[] = {0xFF00FF, 0xF10FF1, 0xF00FFF, 0xFF10FF, 0xFF00F0};
        if (bits == 15 || bits == 16) return keys16[rng() % 5];
        uint32_t key = keys24[rng() % 5];
        return bits == 32 ? key | (rng() & 0xFF000000u) : key;
    }
    switch (bits) {
    case 15:
    case 16: return rng() & 0xFFFF;
    case 24: return rng() & 0xFFFFFF;
    default: return rng();
    }
}

// File-order values with runs of every length, some longer than a packet and
// most crossing row ends.
template <typename Pick> std::vector<uint32_t> generate(size_t count, std::mt19937 &rng, Pick pick)
{
    std::vector<uint32_t> values;
    while (values.size() < count) {
        uint32_t v = pick();
        size_t run = rng() % 3 == 0 ? 1 + rng() % 40 : 1;
        if (rng() % 40 == 0) run = 300;
        for (size_t i = 0; i < run && values.size() < count; i++) values.push_back(v);
    }
    return values;
}

Tga picture(const Kind &kind, int width, int height, int descriptor, std::mt19937 &rng)
{
    Tga t;
    t.type = kind.type;
    t.depth = kind.depth;
    t.width = width;
    t.height = height;
    t.descriptor = descriptor;
    t.id = "made by the test";
    int mapped = kind.type == 1 || kind.type == 9;
    if (mapped) {
        t.maptype = 1;
        t.mapbits = kind.mapbits;
        for (int i = 0; i < 40; i++) t.map.push_back(pickcolour(kind.mapbits, rng));
    }
    size_t count = (size_t)width * height;
    if (mapped)
        t.pixels = generate(count, rng, [&] { return (uint32_t)(rng() % 40); });
    else if (kind.depth == 8)
        t.pixels = generate(count, rng, [&] { return (uint32_t)(rng() & 255); });
    else
        t.pixels = generate(count, rng, [&] { return pickcolour(kind.depth, rng); });
    return t;
}

// stb_image widens 5-bit channels as c * 255 / 31; the reader shifts them by 3.
unsigned fivebit(unsigned widened) { return (widened * 31 + 127) / 255 << 3; }

// stb_image's answer in 0xAARRGGBB after the key. It ignores descriptor bit 4,
// so a right-to-left picture is mirrored here.
std::vector<unsigned> reference(const std::string &bytes, const Tga &t, std::string *failure)
{
    int w = 0, h = 0, channels = 0;
    unsigned char *rgba =
        stbi_load_from_memory((const unsigned char *)bytes.data(), (int)bytes.size(), &w, &h, &channels, 4);
    if (!rgba) {
        *failure = stbi_failure_reason();
        return {};
    }
    bool sixteen = (t.maptype ? t.mapbits : t.depth) <= 16 && !(t.type == 3 || t.type == 11);
    bool mirrored = t.descriptor & 0x10;
    std::vector<unsigned> out;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const unsigned char *p = rgba + 4 * ((size_t)y * w + (mirrored ? w - 1 - x : x));
            unsigned r = p[0], g = p[1], b = p[2], a = p[3];
            if (sixteen) {
                r = fivebit(r);
                g = fivebit(g);
                b = fivebit(b);
            }
            bool key = r > 240 && g <= 15 && b > 240;
            out.push_back(key ? 0u : a << 24 | r << 16 | g << 8 | b);
        }
    }
    stbi_image_free(rgba);
    return out;
}

class Differential : public Bitmaps {};

} // namespace

TEST_F(Differential, EveryKindAgreesWithStbImage)
{
    const Kind kinds[] = {
        {2, 15, 0},  {2, 16, 0}, {2, 24, 0}, {2, 32, 0}, {10, 15, 0}, {10, 16, 0}, {10, 24, 0},
        {10, 32, 0}, {3, 8, 0},  {11, 8, 0}, {3, 16, 0}, {11, 16, 0}, {1, 8, 15},  {1, 8, 16},
        {1, 8, 24},  {1, 8, 32}, {9, 8, 15}, {9, 8, 16}, {9, 8, 24},  {9, 8, 32},
    };
    const int sizes[][2] = {{37, 9}, {3, 50}, {200, 2}, {1, 1}};
    std::mt19937 rng(1234);
    int pictures = 0;
    for (const Kind &kind : kinds) {
        for (int descriptor : {0x00, 0x10, 0x20, 0x30}) {
            for (const auto &size : sizes) {
                Tga t = picture(kind, size[0], size[1], descriptor | (kind.depth == 32 ? 8 : 0), rng);
                std::ostringstream what;
                what << "type " << kind.type << ", depth " << kind.depth << ", map " << kind.mapbits
                     << ", descriptor 0x" << std::hex << descriptor << std::dec << ", " << size[0] << " x "
                     << size[1];
                SCOPED_TRACE(what.str());
                std::string bytes = tga_bytes(t);
                std::string failure;
                std::vector<unsigned> expected = reference(bytes, t, &failure);
                ASSERT_EQ(failure, "");

                s_bitmap *bitmap = nullptr;
                std::string output = decode(bytes, &bitmap);
                ASSERT_NE(bitmap->pixels, nullptr) << output;
                EXPECT_EQ(output.find("- "), std::string::npos) << output;
                ASSERT_EQ(bitmap->width, size[0]);
                ASSERT_EQ(bitmap->height, size[1]);
                int wrong = 0;
                for (int y = 0; y < size[1] && wrong < 3; y++) {
                    for (int x = 0; x < size[0] && wrong < 3; x++) {
                        unsigned want = expected[(size_t)y * size[0] + x];
                        if (pixel(bitmap, x, y) != want) {
                            ADD_FAILURE() << "pixel " << x << "," << y << ": 0x" << std::hex
                                          << pixel(bitmap, x, y) << " instead of 0x" << want;
                            wrong++;
                        }
                    }
                }
                free(bitmap->pixels);
                bitmap->pixels = nullptr;
                fenk_numbitmaps = 0;
                pictures++;
            }
        }
    }
    EXPECT_EQ(pictures, 20 * 4 * 4);
}
