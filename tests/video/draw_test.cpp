// Quads, rotated and colour quads, lines, render state, blending and projections.
#include <cmath>

#include "platform/platform.h"
#include "video_fixture.h"

namespace {

std::vector<float> matrix(GLenum which)
{
    std::vector<float> m(16);
    glGetFloatv(which, m.data());
    return m;
}

} // namespace

TEST_F(VideoTest, QuadsOutsideTheFrameBufferAreCulledAndNotCounted)
{
    FENK_stats_numtriangles = 0;
    FENK_DrawQuad(64, 0, 10, 10, 0, 0, 1, 1);  // at the right edge
    FENK_DrawQuad(0, -10, 10, 10, 0, 0, 1, 1); // y + h = 0: wholly above
    FENK_DrawQuad(-10, 0, 10, 10, 0, 0, 1, 1); // x + w = 0
    FENK_DrawQuad(0, 48, 10, 10, 0, 0, 1, 1);  // at the bottom edge
    EXPECT_EQ(FENK_stats_numtriangles, 0);
    EXPECT_EQ(FENK_projectionmode, 1); // not even the projection was touched
    EXPECT_EQ(pixel(0, 0), opaque_black);

    FENK_DrawQuad(63, 47, 10, 10, 0, 0, 1, 1);
    EXPECT_EQ(FENK_stats_numtriangles, 2);
    EXPECT_EQ(pixel(63, 47), opaque_white);

    // Negative sizes wind clockwise: counted, then removed by face culling.
    FENK_DrawQuad(20, 20, -10, 10, 0, 0, 1, 1);
    FENK_DrawQuad(30, 30, 10, -10, 0, 0, 1, 1);
    EXPECT_EQ(FENK_stats_numtriangles, 6);
    EXPECT_EQ(pixel(15, 25), opaque_black);
    EXPECT_EQ(pixel(35, 25), opaque_black);

    // A quad reaching past the edges is drawn clipped.
    FENK_DrawColorQuad(-5, -5, 10, 10, 1, 0, 0, 1);
    EXPECT_EQ(pixel(4, 4), opaque_red);
    EXPECT_EQ(pixel(5, 5), opaque_black);
}

TEST_F(VideoTest, RotatedQuadAtAngleZeroEqualsPlainQuad)
{
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 16; ++i) texels.push_back(rgba(i * 16, 255 - i * 16, (i * 7) & 0xFF));
    const int t = make_texture(4, 4, texels);
    FENK_BindTexture(t);

    FENK_DrawQuad(10, 6, 32, 24, 0, 0, 1, 1);
    const Picture plain = read_target();
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawRotatedQuad(10, 6, 32, 24, 0, 0, 1, 1, 0);
    const Picture rotated = read_target();
    EXPECT_EQ(plain.pixels, rotated.pixels);
    EXPECT_EQ(plain.at(10, 6), texels[0]);
    EXPECT_EQ(plain.at(41, 29), texels[15]);

    // Half a turn puts the last texel at the top-left; the turn stays in the model-view
    // matrix until the next draw resets it.
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawRotatedQuad(10, 6, 32, 24, 0, 0, 1, 1, 180);
    EXPECT_EQ(pixel(10, 6), texels[15]);
    EXPECT_EQ(pixel(41, 29), texels[0]);
    EXPECT_NE(matrix(GL_MODELVIEW_MATRIX)[0], 1.0f);
    // A quarter turn clockwise on screen: the top-left texel goes to the top-right.
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawRotatedQuad(16, 8, 32, 32, 0, 0, 1, 1, 90);
    EXPECT_EQ(pixel(47, 8), texels[0]);
    FENK_DrawQuad(0, 0, 1, 1, 0, 0, 1, 1);
    EXPECT_EQ(matrix(GL_MODELVIEW_MATRIX)[0], 1.0f);

    // Culling looks at the unrotated rectangle.
    const int triangles = FENK_stats_numtriangles;
    FENK_DrawRotatedQuad(64, 0, 10, 10, 0, 0, 1, 1, 45);
    EXPECT_EQ(FENK_stats_numtriangles, triangles);
    FENK_DeleteTexture(t);
}

TEST_F(VideoTest, ColourQuadsAndLines)
{
    FENK_DrawColorQuad(8, 4, 16, 8, 0, 1, 0, 1);
    EXPECT_EQ(pixel(8, 4), opaque_green);
    EXPECT_EQ(pixel(23, 11), opaque_green);
    EXPECT_EQ(pixel(24, 11), opaque_black);
    EXPECT_EQ(pixel(8, 12), opaque_black);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[3], 1.0f);
    EXPECT_EQ(colour[0], 1.0f);

    // The bound texture is multiplied in: a red texture under a yellow quad gives red.
    const int red = make_texture(1, 1, {opaque_red});
    FENK_DrawColorQuad(30, 4, 4, 4, 1, 1, 0, 1);
    EXPECT_EQ(pixel(31, 5), opaque_red);
    glBindTexture(GL_TEXTURE_2D, fenk_whitetexture_id);
    FENK_DeleteTexture(red);

    const int lines = FENK_stats_numlines;
    const int triangles = FENK_stats_numtriangles;
    FENK_DrawLineRGB(0, 20.5f, 64, 20.5f, 0, 0, 1, 1);
    EXPECT_EQ(pixel(0, 20), opaque_blue);
    EXPECT_EQ(pixel(63, 20), opaque_blue);
    EXPECT_EQ(pixel(10, 21), opaque_black);
    FENK_DrawLineRGB(40.5f, 0, 40.5f, 48, 1, 0, 0, 1);
    EXPECT_EQ(pixel(40, 47), opaque_red);
    EXPECT_EQ(FENK_stats_numlines, lines + 2);
    EXPECT_EQ(FENK_stats_numtriangles, triangles);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[2], 1.0f);
    EXPECT_EQ(colour[0], 1.0f);
}

TEST_F(VideoTest, ClipRectLimitsDrawsAndClearsButNotThePresentation)
{
    // Top-down pixels, as quads are placed.
    FENK_SetClipRect(8, 4, 16, 8);
    FENK_ClearFrameBuffer(opaque_red);
    EXPECT_EQ(pixel(8, 4), opaque_red);
    EXPECT_EQ(pixel(23, 11), opaque_red);
    EXPECT_EQ(pixel(7, 4), opaque_black);
    EXPECT_EQ(pixel(24, 11), opaque_black);
    EXPECT_EQ(pixel(8, 12), opaque_black);
    FENK_DrawColorQuad(0, 0, 64, 48, 0, 0, 1, 1);
    EXPECT_EQ(pixel(10, 10), opaque_blue);
    EXPECT_EQ(pixel(30, 30), opaque_black);

    // The host's clip to nothing wins while it lasts.
    const s_hosthooks host = *fenk_gethosthooks();
    s_hosthooks nothing = host;
    nothing.drawnothing = 1;
    fenk_sethosthooks(&nothing);
    FENK_ClearFrameBuffer(opaque_green);
    EXPECT_EQ(pixel(10, 10), opaque_blue);
    fenk_sethosthooks(&host);
    FENK_ClearFrameBuffer(opaque_green);
    EXPECT_EQ(pixel(10, 10), opaque_green);
    EXPECT_EQ(pixel(30, 30), opaque_black);

    // The same rectangle of a frame buffer of another height, whose presentation fills
    // the whole window (doubled across, tripled down).
    const int other = FENK_CreateFrameBuffer(32, 16, 0);
    FENK_SetFrameBuffer(other);
    FENK_ResetClipRect();
    FENK_ClearFrameBuffer(opaque_blue);
    FENK_SetClipRect(8, 4, 16, 8);
    FENK_ClearFrameBuffer(opaque_white);
    EXPECT_EQ(pixel(8, 4), opaque_white);
    EXPECT_EQ(pixel(8, 12), opaque_blue);
    const Picture &window = present().picture;
    ASSERT_EQ(window.width, video_width);
    EXPECT_EQ(window.at(0, 0), opaque_blue);
    EXPECT_EQ(window.at(63, 47), opaque_blue);
    EXPECT_EQ(window.at(20, 15), opaque_white);
    // Still in force after the presentation.
    FENK_ClearFrameBuffer(opaque_red);
    EXPECT_EQ(pixel(0, 0), opaque_blue);
    FENK_ResetClipRect();
    FENK_ClearFrameBuffer(opaque_red);
    EXPECT_EQ(pixel(0, 0), opaque_red);
    FENK_SetFrameBuffer(0);
}

TEST_F(VideoTest, RenderStateBookkeeping)
{
    FENK_stats_numstateswitches = 0;
    FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST);
    FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST);
    EXPECT_EQ(FENK_stats_numstateswitches, 1);
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_EQ(FENK_renderstate, 2);

    // A bit already set does not keep the others from being switched on.
    FENK_DisableRenderState(FENK_RENDERSTATE_ALPHATEST);
    FENK_EnableRenderState(FENK_RENDERSTATE_DEPTHTEST);
    FENK_EnableRenderState(FENK_RENDERSTATE_DEPTHTEST | FENK_RENDERSTATE_ALPHATEST);
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(FENK_renderstate, 3);
    EXPECT_EQ(FENK_stats_numstateswitches, 4);
    FENK_DisableRenderState(FENK_RENDERSTATE_ALPHATEST);

    // Disabling switches off every requested capability once one of them is set.
    glEnable(GL_BLEND);
    FENK_DisableRenderState(FENK_RENDERSTATE_DEPTHTEST | FENK_RENDERSTATE_BLEND);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(FENK_renderstate, 0);
    EXPECT_EQ(FENK_stats_numstateswitches, 6);

    // Alpha blending is switched directly, behind the bookkeeping.
    FENK_EnableAlphaBlend(0.5f);
    FENK_DisableRenderState(FENK_RENDERSTATE_BLEND);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_EQ(FENK_stats_numstateswitches, 6);
    FENK_DisableAlphaBlend();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    // The alpha test drops fully transparent texels.
    FENK_EnableRenderState(FENK_RENDERSTATE_LIGHTING | FENK_RENDERSTATE_ALPHATEST);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    const int clear = make_texture(1, 1, {rgba(255, 255, 255, 0)});
    FENK_DrawQuad(0, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(2, 2), opaque_black);
    // 2D draws switch lighting and depth off directly, keeping the bits.
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(FENK_renderstate, 10);
    FENK_DisableRenderState(FENK_RENDERSTATE_LIGHTING | FENK_RENDERSTATE_ALPHATEST);
    FENK_DeleteTexture(clear);
}

TEST_F(VideoTest, BlendModesAndAlphaBlend)
{
    GLint src = 0, dst = 0;
    FENK_SetBlendMode(FENK_BLEND_MULTIPLY);
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_COLOR);
    EXPECT_EQ(dst, GL_DST_COLOR);
    FENK_SetBlendMode(FENK_BLEND_ADD);
    FENK_SetBlendMode(0);
    FENK_SetBlendMode(3);
    glGetIntegerv(GL_BLEND_SRC, &src);
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(src, GL_SRC_COLOR);
    EXPECT_EQ(dst, GL_ONE);

    // Additive: src * src + dst.
    FENK_ClearFrameBuffer(rgba(64, 64, 64));
    FENK_EnableRenderState(FENK_RENDERSTATE_BLEND);
    FENK_DrawColorQuad(0, 0, 8, 8, 0.5f, 0.5f, 0.5f, 1);
    const uint32_t added = pixel(1, 1);
    EXPECT_NEAR(static_cast<int>(added & 0xFF), 128, 1);
    // Multiply: src * src + dst * dst.
    FENK_SetBlendMode(FENK_BLEND_MULTIPLY);
    FENK_DrawColorQuad(8, 0, 8, 8, 0.5f, 0.5f, 0.5f, 1);
    EXPECT_NEAR(static_cast<int>(pixel(9, 1) & 0xFF), 80, 1);
    FENK_DisableRenderState(FENK_RENDERSTATE_BLEND);

    // Alpha blend fades textured draws by the given alpha.
    FENK_ClearFrameBuffer(opaque_black);
    FENK_EnableAlphaBlend(0.25f);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[3], 0.25f);
    FENK_DrawQuad(0, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_NEAR(static_cast<int>(pixel(1, 1) & 0xFF), 64, 1);
    FENK_DisableAlphaBlend();
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[3], 1.0f);
    FENK_DrawQuad(0, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(1, 1), opaque_white);
}

TEST_F(VideoTest, ProjectionRebuilds)
{
    // The 2D projection maps pixels of the current frame buffer, y down.
    FENK_DrawQuad(0, 0, 1, 1, 0, 0, 1, 1);
    EXPECT_EQ(FENK_projectionmode, 0);
    std::vector<float> p = matrix(GL_PROJECTION_MATRIX);
    EXPECT_FLOAT_EQ(p[0], 2.0f / 64);
    EXPECT_FLOAT_EQ(p[5], -2.0f / 48);
    EXPECT_FLOAT_EQ(p[13], 1.0f);

    // A switch to a frame buffer of another size rebuilds it for that size.
    const int small = FENK_CreateFrameBuffer(16, 8, 0);
    FENK_SetFrameBuffer(small);
    EXPECT_EQ(FENK_projectionmode, 1);
    FENK_DrawQuad(0, 0, 1, 1, 0, 0, 1, 1);
    p = matrix(GL_PROJECTION_MATRIX);
    EXPECT_FLOAT_EQ(p[0], 2.0f / 16);
    EXPECT_FLOAT_EQ(p[5], -2.0f / 8);

    // Disable2D sets a 45 degree perspective of the frame buffer's aspect, once.
    FENK_Disable2D();
    EXPECT_EQ(FENK_projectionmode, 1);
    p = matrix(GL_PROJECTION_MATRIX);
    const float f = 1.0f / std::tan(45.0f * 3.141592653f / 360);
    EXPECT_NEAR(p[5], f, 1e-4);
    EXPECT_NEAR(p[0], f / 2, 1e-4);
    EXPECT_FLOAT_EQ(p[11], -1.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    FENK_Disable2D();
    EXPECT_FLOAT_EQ(matrix(GL_PROJECTION_MATRIX)[11], 0.0f); // untouched the second time
    FENK_Enable2D();
    EXPECT_FLOAT_EQ(matrix(GL_PROJECTION_MATRIX)[0], 2.0f / 16);

    // FENK_ViewPort is FENK_Perspective with aspect and field of view swapped.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    FENK_Perspective(60, 2, 1, 100);
    const std::vector<float> a = matrix(GL_PROJECTION_MATRIX);
    glLoadIdentity();
    FENK_ViewPort(7, 9, 2, 60, 1, 100);
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), a);

    // Look-at: eye = centre leaves the matrix; looking down -z from z = 5 moves by -5.
    glLoadIdentity();
    FENK_LookAt(1, 2, 3, 1, 2, 3);
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX)[12], 0.0f);
    FENK_LookAt(0, 0, 5, 0, 0, 0);
    p = matrix(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(p[14], -5.0f, 1e-5);
    EXPECT_NEAR(p[0], 1.0f, 1e-5);
    // Straight down the y axis from above: a quarter turn about x.
    glLoadIdentity();
    FENK_LookAt(0, 4, 0, 0, 0, 0);
    p = matrix(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(p[6], 1.0f, 1e-5);
    EXPECT_NEAR(p[14], -4.0f, 1e-5);

    const float m[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1};
    FENK_UpdateMatrix(m);
    EXPECT_EQ(matrix(GL_PROJECTION_MATRIX), std::vector<float>(m, m + 16));
    glMatrixMode(GL_MODELVIEW);
}

TEST_F(VideoTest, PalettesCopyAndStayInsideTheTable)
{
    const unsigned char rgb[6] = {1, 2, 3, 4, 5, 6};
    FENK_SetPallete(7, 2, rgb);
    EXPECT_EQ(FENK_Palette[7][1][2], 6);
    FENK_SetPallete(8, 2, rgb);
    FENK_SetPallete(-1, 2, rgb);
    std::vector<unsigned char> big(300 * 3, 9);
    FENK_SetPallete(0, 300, big.data());
    EXPECT_EQ(FENK_Palette[0][255][2], 9);
    EXPECT_EQ(FENK_Palette[1][0][0], 0);
}
