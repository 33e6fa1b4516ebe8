// Pixel calls, loading through the data image, the kinds stb_image cannot
// check (colour maps with a first index, interleaved rows), and malformed files.
#include "bitmap_fixture.h"
#include "tga_writer.h"

#include <cstring>

namespace {

std::string bytes(std::initializer_list<int> list)
{
    std::string out;
    for (int b : list) out += (char)b;
    return out;
}

// An 18-byte header: type, depth, size, descriptor and colour-map fields.
std::string header(int type, int depth, int width, int height, int descriptor = 0x20, int maptype = 0,
                   int first = 0, int length = 0, int bits = 0, int idlength = 0)
{
    return bytes({idlength, maptype, type, first & 255, first >> 8, length & 255, length >> 8, bits, 0, 0, 0,
                  0, width & 255, width >> 8, height & 255, height >> 8, depth, descriptor});
}

// The picture as rows of 0xAARRGGBB, top row first.
std::vector<std::vector<unsigned>> rows(const s_bitmap *bitmap)
{
    std::vector<std::vector<unsigned>> out(bitmap->height);
    for (int y = 0; y < bitmap->height; y++)
        for (int x = 0; x < bitmap->width; x++) out[y].push_back((unsigned)FENK_GetPixel(x, y, *bitmap));
    return out;
}

using Rows = std::vector<std::vector<unsigned>>;

} // namespace

TEST_F(Bitmaps, PixelCallsSwapRedAndBlueAndIgnoreOutsideCoordinates)
{
    s_bitmap *b = nullptr;
    decode(header(2, 24, 3, 2) + std::string(18, '\0'), &b);
    ASSERT_NE(b->pixels, nullptr);

    FENK_DrawPixel(1, 1, (int)0x80112233u, *b);
    EXPECT_EQ(pixel(b, 1, 1), 0x80112233u);
    const unsigned char *memory = (const unsigned char *)(b->pixels + 1 + 1 * 3);
    EXPECT_EQ(std::string((const char *)memory, 4), bytes({0x11, 0x22, 0x33, 0x80}));

    std::vector<uint32_t> before(b->pixels, b->pixels + 6);
    for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 2}, {INT32_MIN, 0}}) {
        FENK_DrawPixel(x, y, -1, *b);
        EXPECT_EQ(FENK_GetPixel(x, y, *b), 0) << x << "," << y;
    }
    EXPECT_EQ(std::vector<uint32_t>(b->pixels, b->pixels + 6), before);

    s_bitmap empty = *b;
    empty.pixels = nullptr;
    FENK_DrawPixel(0, 0, 5, empty);
    EXPECT_EQ(FENK_GetPixel(0, 0, empty), 0);
}

TEST_F(Bitmaps, RecordAndRegistry)
{
    // One run packet per 128 pixels; the record's old contents must not show through.
    std::string packets;
    for (int i = 0; i < 640 * 480 / 128; i++) packets += bytes({0xFF, 1, 2, 3});
    s_bitmap *b = record();
    memset(b, 0x55, sizeof *b);
    decodeinto(header(10, 24, 640, 480) + packets, b);
    EXPECT_EQ(b->width, 640);
    EXPECT_EQ(b->height, 480);
    EXPECT_EQ(b->texwidth, 640);
    EXPECT_EQ(b->texheight, 480);
    EXPECT_EQ(b->pixelcount, 640 * 480);
    EXPECT_EQ(b->bytesize, 640 * 480 * 4);
    EXPECT_EQ(b->reserved0, 0);
    EXPECT_EQ(b->reserved3, 0);
    EXPECT_EQ(b->u0, 0.0f);
    EXPECT_EQ(b->v0, 0.0f);
    EXPECT_EQ(b->u1, (float)(640 * 0.99999) / 640.0f);
    EXPECT_EQ(b->v1, (float)(480 * 0.9999) / 480.0f);
    EXPECT_NE(b->u1, b->v1);
    ASSERT_EQ(fenk_numbitmaps, 1);
    EXPECT_EQ(fenk_bitmaplist[0], b);
}

TEST_F(Bitmaps, OriginsAndTheTransparentKey)
{
    // Two file rows of two 24-bit pixels each: B, G, R.
    std::string data = bytes({1, 0, 0, 2, 0, 0, 3, 0, 0, 4, 0, 0});
    const std::pair<int, Rows> origins[] = {
        {0x00, {{0xFF000003, 0xFF000004}, {0xFF000001, 0xFF000002}}},
        {0x10, {{0xFF000004, 0xFF000003}, {0xFF000002, 0xFF000001}}},
        {0x20, {{0xFF000001, 0xFF000002}, {0xFF000003, 0xFF000004}}},
        {0x30, {{0xFF000002, 0xFF000001}, {0xFF000004, 0xFF000003}}},
    };
    for (const auto &[descriptor, want] : origins) {
        s_bitmap *b = nullptr;
        decode(header(2, 24, 2, 2, descriptor) + data, &b);
        EXPECT_EQ(rows(b), want) << "descriptor " << descriptor;
    }

    s_bitmap *b = nullptr;
    decode(header(2, 24, 3, 1) + bytes({0xFF, 0x00, 0xFF, 0xF0, 0x00, 0xFF, 0xF1, 0x0F, 0xF1}), &b);
    EXPECT_EQ(rows(b), (Rows{{0x00000000, 0xFFFF00F0, 0x00000000}}));

    EXPECT_EQ(ConvertTransp((int)0xFFFF00FFu), 0);
    EXPECT_EQ(ConvertTransp(0x00F10FF1), 0); // alpha is not looked at
    EXPECT_EQ(ConvertTransp((int)0xFFF000FFu), (int)0xFFF000FFu);
    EXPECT_EQ(ConvertTransp((int)0xFFFF10FFu), (int)0xFFFF10FFu);
    EXPECT_EQ(ConvertTransp((int)0xFFFF00F0u), (int)0xFFFF00F0u);
}

// Grey pictures of 16 bits hold grey then alpha, as GIMP and Pillow write them;
// the 16-bit colour and colour-mapped rules are untouched by it.
TEST_F(Bitmaps, SixteenBitGreyCarriesAlpha)
{
    s_bitmap *b = nullptr;
    decode(header(3, 16, 3, 1) + bytes({0x40, 0x80, 0xFF, 0x00, 0x00, 0xFF}), &b);
    EXPECT_EQ(rows(b), (Rows{{0x80404040u, 0x00FFFFFFu, 0xFF000000u}}));
    decode(header(11, 16, 4, 1, 0x00) + bytes({0x82, 0x10, 0xC0, 0x00, 0x20, 0x30}), &b);
    EXPECT_EQ(rows(b), (Rows{{0xC0101010u, 0xC0101010u, 0xC0101010u, 0x30202020u}}));
    decode(header(2, 16, 1, 1) + bytes({0x00, 0x7C}), &b);
    EXPECT_EQ(rows(b), (Rows{{0xFFF80000u}}));
}

TEST_F(Bitmaps, ColourMapsWithAFirstIndex)
{
    // Entries red, green, blue at palette indices 100 to 102 in every entry size.
    const std::pair<int, std::vector<uint32_t>> maps[] = {
        {15, {0x7C00, 0x03E0, 0x001F}},
        {16, {0xFC00, 0x83E0, 0x801F}},
        {24, {0xF80000, 0x00F800, 0x0000F8}},
        {32, {0xFFF80000, 0xFF00F800, 0xFF0000F8}},
    };
    for (const auto &[bits, entries] : maps) {
        for (int type : {1, 9}) {
            Tga t;
            t.type = type;
            t.depth = 8;
            t.maptype = 1;
            t.mapbits = bits;
            t.mapfirst = 100;
            t.map = entries;
            t.width = 4;
            t.pixels = {102, 101, 100, 100};
            s_bitmap *b = nullptr;
            std::string output = decode(tga_bytes(t), &b);
            EXPECT_EQ(output.find("- "), std::string::npos) << output;
            EXPECT_EQ(rows(b), (Rows{{0xFF0000F8, 0xFF00F800, 0xFFF80000, 0xFFF80000}}))
                << "entry size " << bits << ", type " << type;
        }
    }

    // A 16-bit pixel decodes as the same map entry would.
    s_bitmap *b = nullptr;
    decode(header(2, 16, 1, 1) + bytes({0x00, 0x7C}), &b);
    EXPECT_EQ(pixel(b, 0, 0), 0xFFF80000u);

    // A map on a true-colour picture is read past, not used.
    decode(header(2, 24, 1, 1, 0x20, 1, 0, 2, 24) + bytes({9, 9, 9, 8, 8, 8, 3, 2, 1}), &b);
    EXPECT_EQ(pixel(b, 0, 0), 0xFF010203u);
}

TEST_F(Bitmaps, InterleavedPassesPlaceEveryRowOnce)
{
    // One column; each file row's grey level is its position in the file.
    const struct {
        int descriptor, height;
        std::vector<int> order; // picture row of each file row
    } cases[] = {
        {0x20, 5, {0, 1, 2, 3, 4}},    {0x60, 5, {0, 2, 4, 1, 3}},    {0x40, 5, {4, 2, 0, 3, 1}},
        {0xA0, 6, {0, 4, 1, 5, 2, 3}}, {0xE0, 6, {0, 4, 1, 5, 2, 3}}, // bit 7 wins over bit 6
        {0x80, 6, {5, 1, 4, 0, 3, 2}},
    };
    for (const auto &c : cases) {
        std::string data;
        for (int i = 0; i < c.height; i++) data += (char)(10 * (i + 1));
        s_bitmap *b = nullptr;
        decode(header(3, 8, 1, c.height, c.descriptor) + data, &b);
        for (int i = 0; i < c.height; i++)
            EXPECT_EQ(pixel(b, 0, c.order[i]), 0xFF000000u + (unsigned)(10 * (i + 1)) * 0x010101u)
                << "descriptor " << c.descriptor << ", file row " << i;
    }

    // Run-length coded pictures ignore the interleave bits.
    s_bitmap *b = nullptr;
    decode(header(11, 8, 1, 3, 0x60) + bytes({0x02, 1, 2, 3}), &b);
    EXPECT_EQ(rows(b), (Rows{{0xFF010101}, {0xFF020202}, {0xFF030303}}));
}

// What netpbm and Pillow write for grey pictures: colour maps of 8-bit grey entries,
// and 1 bit a pixel, each row starting on a whole byte, bottom row first.
TEST_F(Bitmaps, GreyMapsAndOneBitPicturesAreRead)
{
    s_bitmap *b = nullptr;
    EXPECT_EQ(decode(header(9, 8, 3, 1, 0x00, 1, 0, 3, 8) + bytes({0x00, 0x80, 0xFF, 0x02, 2, 1, 0}), &b),
              "width: 3, height: 1, bpp: 8\nTGA is RLE packed.");
    EXPECT_EQ(rows(b), (Rows{{0xFFFFFFFF, 0xFF808080, 0xFF000000}}));

    EXPECT_EQ(decode(header(3, 1, 13, 2, 0x00) + bytes({0x00, 0x08, 0x80, 0x00}), &b),
              "width: 13, height: 2, bpp: 1\n");
    std::vector<unsigned> top(13, 0xFF000000), bottom(13, 0xFF000000);
    top[0] = bottom[12] = 0xFFFFFFFF;
    EXPECT_EQ(rows(b), (Rows{top, bottom}));

    // Right to left, top first, and cut short: what is missing is transparent black.
    decode(header(3, 1, 9, 2, 0x30) + bytes({0x80, 0x80, 0xFF}), &b);
    std::vector<unsigned> first(9, 0xFF000000), second(9, 0xFFFFFFFF);
    first[8] = first[0] = 0xFFFFFFFF;
    second[0] = 0;
    EXPECT_EQ(rows(b), (Rows{first, second}));
}

TEST_F(Bitmaps, RunLengthPacketsReachTheLastPixel)
{
    s_bitmap *b = nullptr;
    std::string output = decode(header(10, 24, 3, 1) + bytes({0x82, 1, 2, 3}), &b);
    EXPECT_EQ(output, "width: 3, height: 1, bpp: 24\nTGA is RLE packed.");
    EXPECT_EQ(rows(b), (Rows{{0xFF030201, 0xFF030201, 0xFF030201}}));

    // A raw packet of two, then a run packet holding exactly the last pixel.
    decode(header(10, 24, 3, 1, 0x30) + bytes({0x01, 1, 1, 1, 2, 2, 2, 0x80, 3, 3, 3}), &b);
    EXPECT_EQ(rows(b), (Rows{{0xFF030303, 0xFF020202, 0xFF010101}}));

    // Runs and raw packets carry on across row ends in both directions.
    decode(header(11, 8, 3, 2, 0x10) + bytes({0x83, 7, 0x01, 8, 9}), &b);
    EXPECT_EQ(rows(b), (Rows{{0xFF090909, 0xFF080808, 0xFF070707}, {0xFF070707, 0xFF070707, 0xFF070707}}));
}

TEST_F(Bitmaps, MalformedFilesLoadWhatTheyHoldAndSayWhatWasWrong)
{
    const struct {
        const char *what;
        std::string file;
        std::string message; // the last line printed
        Rows picture;        // empty: refused, no pixel memory
    } cases[] = {
        {"short header",
         bytes({0, 0, 2, 0, 0, 0, 0, 0, 0, 0}),
         "- ERROR: TGA bad.tga: file shorter than its 18-byte header\n",
         {}},
        {"no file", "", "- ERROR: TGA bad.tga: file shorter than its 18-byte header\n", {}},
        {"identification field",
         header(3, 8, 2, 1, 0x20, 0, 0, 0, 0, 200) + bytes({5, 6, 7}),
         "- WARNING: TGA bad.tga: identification field longer than the file\n",
         {{0, 0}}},
        {"colour map cut short",
         header(1, 8, 2, 1, 0x20, 1, 0, 4, 24) + bytes({1, 2, 3, 4, 5, 6, 7}),
         "- WARNING: TGA bad.tga: colour map longer than the file\n",
         {{0, 0}}},
        {"raw pixels cut short",
         header(2, 24, 2, 2) + bytes({1, 2, 3, 4, 5, 6, 7}),
         "- WARNING: TGA bad.tga: pixel data cut short\n",
         {{0xFF030201, 0xFF060504}, {0, 0}}},
        {"interleaved pixels cut short",
         header(3, 8, 1, 4, 0x60) + bytes({1, 2}),
         "- WARNING: TGA bad.tga: pixel data cut short\n",
         {{0xFF010101}, {0}, {0xFF020202}, {0}}},
        {"no packet",
         header(11, 8, 2, 1) + bytes({0x80, 9}),
         "- WARNING: TGA bad.tga: pixel data cut short\n",
         {{0xFF090909, 0}}},
        {"run without its value",
         header(10, 32, 2, 1) + bytes({0x81, 1, 2, 3}),
         "- WARNING: TGA bad.tga: pixel data cut short\n",
         {{0, 0}}},
        {"raw packet cut short",
         header(10, 16, 3, 1) + bytes({0x02, 0x00, 0x7C, 0x1F}),
         "- WARNING: TGA bad.tga: pixel data cut short\n",
         {{0xFFF80000, 0, 0}}},
        {"run past the end",
         header(11, 8, 2, 2) + bytes({0x89, 4}),
         "- WARNING: TGA bad.tga: run-length packet crosses the end of the picture\n",
         {{0xFF040404, 0xFF040404}, {0xFF040404, 0xFF040404}}},
        {"raw packet past the end",
         header(11, 8, 1, 1) + bytes({0x7F, 4}),
         "- WARNING: TGA bad.tga: run-length packet crosses the end of the picture\n",
         {{0xFF040404}}},
        {"index outside the map",
         header(1, 8, 3, 1, 0x20, 1, 0, 2, 24) + bytes({1, 1, 1, 2, 2, 2, 1, 5, 0}),
         "- WARNING: TGA bad.tga: colour-map index 5 outside the map\n",
         {{0xFF020202, 0, 0xFF010101}}},
        {"no map at all",
         header(1, 8, 1, 1) + bytes({0}),
         "- WARNING: TGA bad.tga: colour-map index 0 outside the map\n",
         {{0}}},
        {"map past index 255",
         header(1, 8, 2, 1, 0x20, 1, 255, 2, 24) + bytes({1, 1, 1, 2, 2, 2, 255, 0}),
         "- WARNING: TGA bad.tga: colour map runs past index 255 (first 255, length 2)\n",
         {{0xFF010101, 0}}},
        {"map far past 255",
         header(1, 8, 1, 1, 0x20, 1, 65535, 1, 24) + bytes({1, 1, 1, 255}),
         "- WARNING: TGA bad.tga: colour map runs past index 255 (first 65535, length 1)\n",
         {{0}}},
        // No command that rewrites these exists: each refusal says what this reader takes.
        {"image type 0",
         header(0, 8, 1, 1) + bytes({0}),
         "- ERROR: TGA bad.tga: image type 0 not supported"
         ": this reader takes types 1, 2, 3, 9, 10 and 11 (colour-mapped, true-colour and grey, raw or "
         "run-length coded)\n",
         {}},
        {"image type 32",
         header(32, 8, 1, 1) + bytes({0}),
         "- ERROR: TGA bad.tga: image type 32 not supported"
         ": this reader takes types 1, 2, 3, 9, 10 and 11 (colour-mapped, true-colour and grey, raw or "
         "run-length coded)\n",
         {}},
        {"pixel depth 7",
         header(2, 7, 1, 1) + bytes({0}),
         "- ERROR: TGA bad.tga: pixel depth 7 not supported: this reader takes 8, 15, 16, 24 and 32 bits, and "
         "1-bit grey\n",
         {}},
        {"pixel depth 0",
         header(10, 0, 1, 1) + bytes({0}),
         "- ERROR: TGA bad.tga: pixel depth 0 not supported: this reader takes 8, 15, 16, 24 and 32 bits, and "
         "1-bit grey\n",
         {}},
        {"1-bit colour",
         header(2, 1, 8, 1) + bytes({0}),
         "- ERROR: TGA bad.tga: pixel depth 1 not supported: this reader takes 8, 15, 16, 24 and 32 bits, and "
         "1-bit grey\n",
         {}},
        // Pillow's own reader cannot read what its writer makes of these.
        {"1-bit run-length coded",
         header(11, 1, 8, 1) + bytes({0x80, 0}),
         "- ERROR: TGA bad.tga: 1-bit run-length coded grey not supported: this reader takes 1-bit grey "
         "uncompressed\n",
         {}},
        {"map entry size 12",
         header(1, 8, 1, 1, 0x20, 1, 0, 1, 12) + bytes({0, 0, 0}),
         "- ERROR: TGA bad.tga: colour-map entry size 12 not supported: this reader takes 8, 15, 16, 24 and 32 "
         "bits\n",
         {}},
        {"width 0", header(2, 24, 0, 5), "- ERROR: TGA bad.tga: width or height of 0\n", {}},
        {"height 0", header(2, 24, 5, 0), "- ERROR: TGA bad.tga: width or height of 0\n", {}},
        {"absurd size",
         header(10, 32, 65535, 65535) + bytes({0xFF, 1, 2, 3, 4, 0xFF, 1, 2, 3, 4, 0, 0}),
         "- ERROR: TGA bad.tga: 65535 x 65535 pixels from a file of 30 bytes\n",
         {}},
        {"too large for a small file",
         header(10, 32, 1000, 1000) + bytes({0xFF, 1, 2, 3, 4}),
         "- ERROR: TGA bad.tga: 1000 x 1000 pixels from a file of 23 bytes\n",
         {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        s_bitmap *b = record();
        b->pixels = (uint32_t *)&records_; // a refusal must clear it
        int registered = fenk_numbitmaps;
        std::string output = decodeinto(c.file, b, "bad.tga");
        size_t cut = output.rfind('\n', output.size() - 2);
        std::string last = cut == std::string::npos ? output : output.substr(cut + 1);
        size_t dash = last.find("- ");
        EXPECT_EQ(dash == std::string::npos ? last : last.substr(dash), c.message) << output;
        if (c.picture.empty()) {
            EXPECT_EQ(b->pixels, nullptr);
            EXPECT_EQ(fenk_numbitmaps, registered);
        } else {
            ASSERT_NE(b->pixels, nullptr);
            EXPECT_EQ(rows(b), c.picture);
        }
    }
}

TEST_F(Bitmaps, AFullRegistryRefusesTheBitmap)
{
    std::vector<s_bitmap *> made;
    for (int i = 0; i < FENK_MAXBITMAPS; i++) made.push_back(record());
    std::string file = header(3, 8, 1, 1) + bytes({1});
    for (s_bitmap *b : made) decodeinto(file, b, "a.tga");
    ASSERT_EQ(fenk_numbitmaps, FENK_MAXBITMAPS);

    s_bitmap *extra = record();
    std::string output = decodeinto(file, extra, "a.tga");
    EXPECT_EQ(output, "width: 1, height: 1, bpp: 8\n- ERROR: bitmap registry full (1024 bitmaps).\n");
    EXPECT_EQ(extra->pixels, nullptr);
    EXPECT_EQ(fenk_numbitmaps, FENK_MAXBITMAPS);
    EXPECT_EQ(fenk_bitmaplist[FENK_MAXBITMAPS - 1], made.back());
}

TEST_F(Bitmaps, LoadingThroughTheDataImage)
{
    put("data/gfx/logo.tga", header(2, 24, 2, 1) + bytes({1, 2, 3, 4, 5, 6}));
    put("data/broken.tga", header(2, 5, 2, 1));
    ASSERT_EQ(mount(), 1);

    s_bitmap *b = record();
    EXPECT_EQ(printed([&] { FENK_LoadBitmap("GFX/Logo.Tga", b); }),
              "Loading TGA image.loading file for dir: data/gfx/logo.tga\nwidth: 2, height: 1, bpp: 24\n");
    EXPECT_EQ(rows(b), (Rows{{0xFF030201, 0xFF060504}}));
    EXPECT_EQ(fenk_numbitmaps, 1);

    s_bitmap *fixed = record();
    EXPECT_EQ(printed([&] { FENK_LoadBitmapStatic("gfx/logo.tga", fixed); }),
              "Loading TGA image.loading file for dir: data/gfx/logo.tga\nwidth: 2, height: 1, bpp: 24\n");
    EXPECT_EQ(fixed->pixels, nullptr);
    EXPECT_EQ(fixed->width, 2);
    EXPECT_EQ(FENK_GetPixel(0, 0, *fixed), 0);
    EXPECT_EQ(fenk_numbitmaps, 2);

    // A refusal is the loader's line with the file and the cause after it.
    s_bitmap *missing = record();
    EXPECT_EQ(printed([&] { FENK_LoadBitmap("none.tga", missing); }),
              "Loading TGA image.loading file for dir: data/none.tga\n"
              "- ERROR: Image none.tga not loaded. data/none.tga: no such file\n");
    EXPECT_EQ(printed([&] { FENK_LoadBitmap("broken.tga", missing); }),
              "Loading TGA image.loading file for dir: data/broken.tga\nwidth: 2, height: 1, bpp: 5\n"
              "- ERROR: Image broken.tga not loaded. broken.tga: pixel depth 5 not supported: this reader "
              "takes 8, 15, 16, 24 and 32 bits, and 1-bit grey\n");
    // The reader on its own names the file as a TGA, and leaves a missing one to its caller.
    EXPECT_EQ(printed([&] { LoadImageTGA("broken.tga", missing); }),
              "loading file for dir: data/broken.tga\nwidth: 2, height: 1, bpp: 5\n"
              "- ERROR: TGA broken.tga: pixel depth 5 not supported: this reader takes 8, 15, 16, 24 and 32 "
              "bits, and 1-bit grey\n");
    EXPECT_EQ(printed([&] { LoadImageTGA("none.tga", missing); }), "loading file for dir: data/none.tga\n");
    EXPECT_EQ(missing->pixels, nullptr);
    EXPECT_EQ(fenk_numbitmaps, 2);

    // Only ".TGA" in any case is read; nothing else touches the record. The one line
    // names the file, then the call that reads a PNG, the command that rewrites a
    // picture ImageMagick reads (the names quoted), or what this reader takes.
    s_bitmap untouched;
    memset(&untouched, 0x5A, sizeof untouched);
    const struct {
        const char *name, *said;
    } others[] = {
        {"logo.png", ": a PNG picture, this reader takes TGA pictures: FENK_LoadPNG reads it\n"},
        {"my logo.JPG",
         ": extension .JPG, this reader takes TGA pictures: convert 'my logo.JPG' -auto-orient "
         "-orient TopLeft 'my logo.tga'\n"},
        {"it's.bmp", ": extension .bmp, this reader takes TGA pictures: convert 'it'\\''s.bmp' -auto-orient "
                     "-orient TopLeft 'it'\\''s.tga'\n"},
        {"logo", ": no extension, this reader takes TGA pictures (FENK_LoadPNG takes PNG)\n"},
        {".tga", ": no extension, this reader takes TGA pictures (FENK_LoadPNG takes PNG)\n"},
        {"gfx.tga/logo", ": extension .tga/logo, this reader takes TGA pictures (FENK_LoadPNG takes PNG)\n"},
        {"logo.tga.bak", ": extension .bak, this reader takes TGA pictures (FENK_LoadPNG takes PNG)\n"},
        {"logo.tgaaaaaaaaaaaaaaaaa", ": extension .tgaaaaaaaaaaaaaaaaa, this reader takes TGA pictures "
                                     "(FENK_LoadPNG takes PNG)\n"},
    };
    for (const auto &other : others) {
        s_bitmap copy = untouched;
        EXPECT_EQ(printed([&] { FENK_LoadBitmap(other.name, &copy); }),
                  "File format not supported. " + std::string(other.name) + other.said);
        EXPECT_EQ(memcmp(&copy, &untouched, sizeof copy), 0) << other.name;
    }
    EXPECT_EQ(fenk_numbitmaps, 2);
}

TEST(Upcase, OnlyLettersAToZChange)
{
    char text[] = "logo.Tga-z{`@\xe9";
    EXPECT_EQ(upcase(text), text);
    EXPECT_STREQ(text, "LOGO.TGA-Z{`@\xe9");
    EXPECT_EQ(upcase(nullptr), nullptr);
}
