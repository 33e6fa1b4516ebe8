// Sprite draws read back from the frame buffer: the alpha test keeps fully
// transparent texels out, and mirrored, scaled and turned cells land in place.
#include "gl_fixture.h"

namespace {

// A 4 x 2 sheet, 0xAARRGGBB, top row first; texel (1, 0) fully transparent
// and texel (2, 1) half.
const std::vector<uint32_t> sheet_texels = {
    0xFFFF0000u, 0x00FFFFFFu, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u, 0xFF00FFFFu, 0x80FF8000u, 0xFFFFFFFFu,
};

uint32_t texel(int x, int y) { return stored(sheet_texels[(size_t)(y * 4 + x)]); }

class SpriteDraws : public Graphics2D {
protected:
    void SetUp() override
    {
        Graphics2D::SetUp();
        mount({{"sheet.tga", tga32(4, 2, sheet_texels)}});
        printed([&] { FENK_LoadSprite("sheet.tga", &whole); });
        ASSERT_NE(whole.texture, 0);
        FENK_ClearFrameBuffer(opaque_blue);
    }

    // The sheet's texel as drawn over blue: the transparent one is not drawn.
    static uint32_t over_blue(int x, int y) { return x == 1 && y == 0 ? opaque_blue : texel(x, y); }

    s_sprite whole = {};
};

} // namespace

TEST_F(SpriteDraws, TransparentTexelsAreNotDrawnAndCellsLandInPlace)
{
    FENK_DrawSprite(8, 8, whole);
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_NE(FENK_renderstate & FENK_RENDERSTATE_ALPHATEST, 0);

    FENK_DrawMirroredSprite(20, 8, whole);
    FENK_DrawScaledSprite(30, 8, 8, 4, whole, 0);
    FENK_DrawRotatedSprite(44, 8, whole, 180);
    s_sprite &cell = *sprite();
    FENK_GetSprite(2, 0, 2, 2, *whole.bitmap, &cell);
    FENK_DrawSprite(8, 20, cell);

    Picture got = read_target();
    for (int y = 0; y < 2; y++) {
        for (int x = 0; x < 4; x++) {
            EXPECT_EQ(got.at(8 + x, 8 + y), over_blue(x, y)) << x << "," << y;
            EXPECT_EQ(got.at(20 + x, 8 + y), over_blue(3 - x, y)) << "mirrored " << x << "," << y;
            EXPECT_EQ(got.at(44 + x, 8 + y), over_blue(3 - x, 1 - y)) << "turned " << x << "," << y;
            for (int k = 0; k < 4; k++)
                EXPECT_EQ(got.at(30 + 2 * x + k % 2, 8 + 2 * y + k / 2), over_blue(x, y))
                    << "scaled " << x << "," << y;
        }
    }
    EXPECT_EQ(got.at(8, 20), texel(2, 0));
    EXPECT_EQ(got.at(9, 21), texel(3, 1));
    EXPECT_EQ(got.at(10, 20), opaque_blue);
    EXPECT_EQ(got.at(12, 8), opaque_blue);
    EXPECT_EQ(got.at(8, 10), opaque_blue);
}

TEST_F(SpriteDraws, BlendedAndFadedCellsKeepTransparentTexelsOut)
{
    // Over grey, so that both blend modes differ: the transparent texel is
    // white and would show if the alpha test let it through.
    const uint32_t grey = rgba(128, 128, 128);
    for (int mode : {1, 2}) {
        FENK_ClearFrameBuffer(grey);
        FENK_DrawBlendSprite(8, 8, whole, mode);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        EXPECT_EQ(FENK_renderstate & FENK_RENDERSTATE_BLEND, 0);
        Picture got = read_target();
        for (int y = 0; y < 2; y++)
            for (int x = 0; x < 4; x++)
                EXPECT_TRUE(near_word(got.at(8 + x, 8 + y),
                                      x == 1 && y == 0 ? grey : blended(texel(x, y), grey, mode)))
                    << "mode " << mode << " texel " << x << "," << y;
    }

    // The alpha scales each texel's own: the half texel at full alpha is
    // already mixed, nothing shows at 0, and the colour is whole again after.
    for (float alpha : {1.0f, 0.5f, 0.0f}) {
        FENK_ClearFrameBuffer(opaque_blue);
        FENK_DrawAlphaSprite(8, 8, whole, alpha);
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        Picture got = read_target();
        for (int y = 0; y < 2; y++)
            for (int x = 0; x < 4; x++) {
                uint32_t want =
                    (x == 1 && y == 0) || alpha == 0 ? opaque_blue : faded(texel(x, y), opaque_blue, alpha);
                EXPECT_TRUE(near_word(got.at(8 + x, 8 + y), want, 2))
                    << "alpha " << alpha << " texel " << x << "," << y;
            }
    }
    FENK_DrawSprite(20, 8, whole);
    EXPECT_EQ(pixel(20, 8), texel(0, 0));
    EXPECT_EQ(pixel(22, 9), texel(2, 1));
}

TEST_F(SpriteDraws, PositionAndOriginAreKeptForTheCallerAndNotDrawnFrom)
{
    s_sprite before = whole;
    EXPECT_EQ(whole.originx, 0);
    EXPECT_EQ(whole.originy, 0);
    FENK_SetSpritePosition(&whole, 40, -7);
    FENK_SetSpriteOrigin(&whole, 2, 1);
    EXPECT_EQ(whole.x, 40);
    EXPECT_EQ(whole.y, -7);
    EXPECT_EQ(whole.originx, 2);
    EXPECT_EQ(whole.originy, 1);
    EXPECT_EQ(whole.width, before.width);
    EXPECT_EQ(whole.boxright, before.boxright);
    EXPECT_EQ(whole.texture, before.texture);
    FENK_SetSpritePosition(nullptr, 1, 1);
    FENK_SetSpriteOrigin(nullptr, 1, 1);

    // Every draw takes its place from its arguments alone.
    FENK_DrawSprite(8, 8, whole);
    FENK_DrawRotatedSprite(20, 8, whole, 180);
    Picture got = read_target();
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 4; x++) {
            EXPECT_EQ(got.at(8 + x, 8 + y), over_blue(x, y)) << x << "," << y;
            EXPECT_EQ(got.at(20 + x, 8 + y), over_blue(3 - x, 1 - y)) << "turned " << x << "," << y;
        }
    EXPECT_EQ(got.at(40, 0), opaque_blue);
    EXPECT_EQ(got.at(6, 7), opaque_blue);
}

// A float position lands the cell on the pixels whose centres it covers; a turn goes
// about the given origin, clockwise on screen for a positive angle.
TEST_F(SpriteDraws, FloatPositionsAndTurnsAboutAnOrigin)
{
    FENK_DrawSpriteF(8.25f, 8.25f, whole);  // the pixels of (8, 8)
    FENK_DrawSpriteF(20.75f, 8.75f, whole); // those of (21, 9)
    // Twice the size, a quarter turn about its top-left corner on (40, 20): the cell
    // hangs down to the left of that point.
    FENK_DrawSpriteTransformed(40, 20, 8, 4, 0, 0, 90, whole);
    // Half a turn about its bottom-right corner on (56, 40): it lies right of and below it.
    FENK_DrawSpriteTransformed(56, 40, 4, 2, 4, 2, 180, whole);
    EXPECT_NE(FENK_renderstate & FENK_RENDERSTATE_ALPHATEST, 0);
    Picture got = read_target();
    for (int y = 0; y < 2; y++) {
        for (int x = 0; x < 4; x++) {
            EXPECT_EQ(got.at(8 + x, 8 + y), over_blue(x, y)) << x << "," << y;
            EXPECT_EQ(got.at(21 + x, 9 + y), over_blue(x, y)) << "moved " << x << "," << y;
            for (int k = 0; k < 4; k++)
                EXPECT_EQ(got.at(38 - 2 * y + k % 2, 20 + 2 * x + k / 2), over_blue(x, y))
                    << "quarter " << x << "," << y;
            EXPECT_EQ(got.at(59 - x, 41 - y), over_blue(x, y)) << "half " << x << "," << y;
        }
    }
    EXPECT_EQ(got.at(40, 20), opaque_blue);
    EXPECT_EQ(got.at(55, 40), opaque_blue);
}

// The tint multiplies sprites and bitmaps, and only until it is reset.
TEST_F(SpriteDraws, TheTintColoursSpritesAndBitmaps)
{
    s_bitmap *grey = picture(2, 1, {0xFFFFFFFFu, 0xFF808080u});
    FENK_SetTint(1, 0, 1, 1); // no green
    FENK_DrawSprite(8, 8, whole);
    FENK_SetTint(0, 1, 0, 1); // green only
    FENK_DrawBitmap(8, 20, *grey);
    FENK_ResetTint();
    FENK_DrawSprite(20, 8, whole);
    Picture got = read_target();
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 4; x++) {
            const uint32_t plain = over_blue(x, y);
            EXPECT_EQ(got.at(8 + x, 8 + y), x == 1 && y == 0 ? plain : plain & 0xFFFF00FFu) << x << "," << y;
            EXPECT_EQ(got.at(20 + x, 8 + y), plain) << "reset " << x << "," << y;
        }
    EXPECT_EQ(got.at(8, 20), opaque_green);
    EXPECT_EQ(got.at(9, 20), rgba(0, 128, 0));
}
