// Bitmap draws read back from the frame buffer: place, zoom, clipping, the
// transparent key, and the texture following the pixel memory through
// creation, updates, clears and deletes.
#include "gl_fixture.h"

namespace {

// Distinct opaque colours, 0xAARRGGBB.
uint32_t colourat(int x, int y)
{
    return 0xFF000000u | (uint32_t)(x * 60 + 10) << 16 | (uint32_t)(y * 80 + 20) << 8 | 0x33u;
}

std::vector<uint32_t> colours(int w, int h)
{
    std::vector<uint32_t> out;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) out.push_back(colourat(x, y));
    return out;
}

// The frame buffer expected after drawing the picture w x h with its pixel
// (px, py) covering the screen rectangle of (x0 + px * scale, y0 + py * scale).
void expectdrawn(const Picture &got, int x0, int y0, int w, int h, int scale)
{
    for (int y = 0; y < got.height; y++) {
        for (int x = 0; x < got.width; x++) {
            int px = x - x0, py = y - y0;
            bool inside = px >= 0 && py >= 0 && px < w * scale && py < h * scale;
            uint32_t want = inside ? stored(colourat(px / scale, py / scale)) : opaque_black;
            ASSERT_EQ(got.at(x, y), want) << "at " << x << "," << y;
        }
    }
}

} // namespace

TEST_F(Graphics2D, BitmapsAreDrawnAtTheirPlaceAndZoomAndClipped)
{
    s_bitmap *b = picture(4, 3, colours(4, 3));
    FENK_DrawBitmap(10, 5, *b);
    expectdrawn(read_target(), 10, 5, 4, 3, 1);
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawZoomedBitmap(20, 10, 200, *b);
    expectdrawn(read_target(), 20, 10, 4, 3, 2);

    // Past the top-left and bottom-right edges only the part inside shows.
    for (auto [x, y] : {std::pair{-2, -1}, {62, 46}}) {
        FENK_ClearFrameBuffer(opaque_black);
        FENK_DrawBitmap(x, y, *b);
        expectdrawn(read_target(), x, y, 4, 3, 1);
    }

    // Half the size: an 8 x 6 white bitmap covers 4 x 3 pixels.
    s_bitmap *white = picture(8, 6, std::vector<uint32_t>(48, 0xFFFFFFFFu));
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawZoomedBitmap(30, 30, 50, *white);
    Picture half = read_target();
    EXPECT_EQ(std::count(half.pixels.begin(), half.pixels.end(), opaque_white), 12);
    EXPECT_EQ(half.at(33, 32), opaque_white);
}

TEST_F(Graphics2D, TheTransparentKeyShowsOnlyThroughAlphaDraws)
{
    Tga key;
    key.width = 2;
    key.pixels = {0xFF00FF, 0xFF0000};
    mount({{"key.tga", tga_bytes(key)}});
    s_bitmap *b = bitmap();
    printed([&] { FENK_LoadBitmap("key.tga", b); });
    ASSERT_NE(b->pixels, nullptr);

    // The plain draw switches the alpha test off: the key pixel is written as
    // transparent black.
    FENK_ClearFrameBuffer(opaque_blue);
    FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST);
    FENK_DrawBitmap(4, 4, *b);
    EXPECT_EQ(pixel(4, 4), 0u);
    EXPECT_EQ(pixel(5, 4), opaque_red);

    FENK_ClearFrameBuffer(opaque_blue);
    FENK_DrawAlphaBitmap(4, 4, *b, 1.0f);
    FENK_DrawAlphaBitmap(10, 4, *b, 0.0f);
    EXPECT_EQ(pixel(4, 4), opaque_blue);
    EXPECT_EQ(pixel(5, 4), opaque_red);
    EXPECT_EQ(pixel(11, 4), opaque_blue);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(Graphics2D, TheTextureFollowsThePixelMemory)
{
    // A created bitmap starts transparent black, in memory and as a texture.
    s_bitmap *a = bitmap();
    FENK_CreateBitmap(2, 2, a);
    ASSERT_NE(a->pixels, nullptr);
    EXPECT_EQ(fenk_numbitmaps, 1);
    FENK_ClearFrameBuffer(opaque_white);
    FENK_DrawBitmap(0, 0, *a);
    EXPECT_EQ(pixel(1, 1), 0u);

    // Pixel writes reach the texture at the next update only.
    FENK_DrawPixel(1, 1, (int)0xFFFF0000u, *a);
    FENK_DrawBitmap(0, 0, *a);
    EXPECT_EQ(pixel(1, 1), 0u);
    FENK_UpdateBitmap(*a);
    FENK_DrawBitmap(0, 0, *a);
    EXPECT_EQ(pixel(1, 1), opaque_red);

    // The clear colour is a stored word: 0xFF0000FF is opaque red.
    FENK_ClearBitmapWithColor(*a, (int)0xFF0000FFu);
    EXPECT_EQ((uint32_t)FENK_GetPixel(0, 1, *a), 0xFFFF0000u);
    FENK_ClearBitmap(*a);
    FENK_DrawBitmap(0, 0, *a);
    EXPECT_EQ(pixel(0, 0), 0u);

    // Making or updating another bitmap binds its texture behind the bind
    // cache; the next draw of the first must still show the first.
    FENK_ClearBitmapWithColor(*a, (int)opaque_green);
    FENK_DrawBitmap(0, 0, *a);
    s_bitmap *b = picture(2, 2, std::vector<uint32_t>(4, 0xFF0000FFu));
    FENK_DrawBitmap(0, 0, *a);
    FENK_UpdateBitmap(*b);
    FENK_DrawBitmap(4, 0, *a);
    EXPECT_EQ(pixel(0, 0), opaque_green);
    EXPECT_EQ(pixel(4, 0), opaque_green);

    // A delete releases the texture once; the registry keeps the entry.
    int texture = a->texture;
    EXPECT_EQ(printed([&] { FENK_DeleteBitmap(a); }), "deleting bitmap\n");
    EXPECT_FALSE(glIsTexture((GLuint)texture));
    EXPECT_EQ(printed([&] { FENK_DeleteBitmap(a); }), "");
    EXPECT_EQ(fenk_numbitmaps, 2);

    // Sizes without pixels or beyond an int's worth of bytes are refused.
    s_bitmap *none = bitmap();
    for (auto [w, h] : {std::pair{0, 4}, {4, -1}, {65536, 65536}}) {
        EXPECT_EQ(printed([&] { FENK_CreateBitmap(w, h, none); }),
                  "- ERROR: no bitmap of " + std::to_string(w) + " x " + std::to_string(h) + " pixels.\n");
        EXPECT_EQ(none->pixels, nullptr);
    }
    EXPECT_EQ(fenk_numbitmaps, 2);
}

TEST_F(Graphics2D, StaticBitmapsAreDrawnAndTheirDeleteReleasesTheTexture)
{
    mount({{"pic.tga", tga32(3, 2, colours(3, 2))}});
    s_bitmap *fixed = bitmap();
    printed([&] { FENK_LoadBitmapStatic("pic.tga", fixed); });
    EXPECT_EQ(fixed->pixels, nullptr);
    FENK_DrawBitmap(30, 20, *fixed);
    expectdrawn(read_target(), 30, 20, 3, 2, 1);

    int texture = fixed->texture;
    EXPECT_EQ(printed([&] { FENK_DeleteBitmap(fixed); }), "deleting bitmap\n");
    EXPECT_FALSE(glIsTexture((GLuint)texture));
    EXPECT_EQ(printed([&] { FENK_DeleteBitmap(fixed); }), "");
}

TEST_F(Graphics2D, RotatedBitmapsTurnClockwiseAboutTheirCentre)
{
    // A 4 x 2 picture whose top-left pixel is transparent black: the rotated
    // draw switches the alpha test off like the plain one, so it is written.
    std::vector<uint32_t> cs = colours(4, 2);
    cs[0] = 0;
    s_bitmap *b = picture(4, 2, cs);
    auto want = [&](int px, int py) { return stored(cs[(size_t)(py * 4 + px)]); };

    // At (10, 10) the centre is (12, 11): a quarter turn covers x 11..12 and
    // y 9..12 with the top row down the right-hand column; a half turn covers
    // the same place as unturned, flipped both ways.
    FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST);
    FENK_ClearFrameBuffer(opaque_blue);
    FENK_DrawRotatedBitmap(10, 10, *b, 90);
    FENK_DrawRotatedBitmap(30, 10, *b, 180);
    FENK_DrawRotatedBitmap(50, 10, *b, 0);
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    Picture got = read_target();
    for (int py = 0; py < 2; py++) {
        for (int px = 0; px < 4; px++) {
            EXPECT_EQ(got.at(12 - py, 9 + px), want(px, py)) << "quarter " << px << "," << py;
            EXPECT_EQ(got.at(33 - px, 11 - py), want(px, py)) << "half " << px << "," << py;
            EXPECT_EQ(got.at(50 + px, 10 + py), want(px, py)) << "none " << px << "," << py;
        }
    }
    int drawn = 0;
    for (uint32_t p : got.pixels) drawn += p != opaque_blue;
    EXPECT_EQ(drawn, 3 * 8);

    // The turn does not carry over into the next plain draw.
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawBitmap(10, 5, *picture(4, 3, colours(4, 3)));
    expectdrawn(read_target(), 10, 5, 4, 3, 1);
}

TEST_F(Graphics2D, BlendedBitmapsMixWithTheFrameAndSwitchBlendingOffAfter)
{
    // Red, half green, none and white over a half-grey frame.
    s_bitmap *b = picture(4, 1, {0xFFFF0000u, 0xFF008000u, 0xFF000000u, 0xFFFFFFFFu});
    const uint32_t grey = rgba(128, 128, 128);
    for (int mode : {1, 2}) {
        FENK_ClearFrameBuffer(grey);
        FENK_DrawBlendBitmap(8, 8, *b, mode);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_EQ(FENK_renderstate & FENK_RENDERSTATE_BLEND, 0);
        for (int x = 0; x < 4; x++)
            EXPECT_TRUE(
                near_word(pixel(8 + x, 8), blended(stored((uint32_t)FENK_GetPixel(x, 0, *b)), grey, mode)))
                << "mode " << mode << " pixel " << x;
        // A plain draw afterwards replaces the frame again.
        FENK_DrawBitmap(8, 8, *b);
        EXPECT_EQ(pixel(9, 8), stored(0xFF008000u));
    }
    // Any other mode keeps the last blend function (here mode 2's).
    FENK_ClearFrameBuffer(grey);
    FENK_DrawBlendBitmap(8, 8, *b, 0);
    EXPECT_TRUE(near_word(pixel(10, 8), blended(opaque_black, grey, 2)));
}

TEST_F(Graphics2D, BindingABitmapsTextureFeedsTheNextQuad)
{
    s_bitmap *red = picture(2, 2, std::vector<uint32_t>(4, 0xFFFF0000u));
    s_bitmap *green = picture(2, 2, std::vector<uint32_t>(4, 0xFF00FF00u));
    FENK_DrawBitmap(0, 0, *green);
    FENK_BindTextureFromBitmap(*red);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, red->texture);
    FENK_DrawQuad(8, 8, 2, 2, 0, 0, 1, 1);
    EXPECT_EQ(pixel(9, 9), opaque_red);
}
