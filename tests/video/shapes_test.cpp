// The tint, the shapes and the transformed quad, read back from the 64 x 48 frame
// buffer 0.
#include "scratch.h"
#include "stdout_capture.h"
#include "video_fixture.h"

namespace {

class Shapes : public VideoTest {
protected:
    void TearDown() override
    {
        FENK_ResetTint();
        fenk_headless_readwindow(0);
        VideoTest::TearDown();
    }

    // Every pixel of the target that is `colour`.
    static int count(const Picture &picture, uint32_t colour)
    {
        int n = 0;
        for (uint32_t p : picture.pixels) n += p == colour;
        return n;
    }
};

constexpr uint32_t texel = rgba(200, 100, 50);

} // namespace

TEST_F(Shapes, TheTintMultipliesTexturedDrawsButNotColoursOrThePresentation)
{
    const int t = make_texture(1, 1, {texel});
    FENK_SetTint(0.5f, 1, 0, 1);
    FENK_BindTexture(t);
    FENK_DrawQuad(0, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(0, 0), rgba(100, 100, 0));
    // The colour draws take their own colour, and leave the tint in force.
    FENK_BindTexture(fenk_whitetexture_id);
    FENK_DrawColorQuad(8, 0, 8, 8, 0, 0, 1, 1);
    FENK_DrawRect(16, 0, 8, 8, 0, 1, 0, 1);
    FENK_DrawLineRGB(24, 0.5f, 32, 0.5f, 1, 0, 0, 1);
    FENK_EnableAlphaBlend(1);
    FENK_DisableAlphaBlend();
    FENK_BindTexture(t);
    FENK_DrawTransformedQuad(32, 0, 8, 8, 0, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(pixel(8, 0), opaque_blue);
    EXPECT_EQ(pixel(16, 0), opaque_green);
    EXPECT_EQ(pixel(28, 0), opaque_red);
    EXPECT_EQ(pixel(32, 0), rgba(100, 100, 0));

    // Shown as drawn, through the presentation pass too; the tint stays for later draws.
    fenk_headless_readwindow(1);
    const Picture drawn = read_target();
    EXPECT_EQ(present().picture.pixels, drawn.pixels);
    FENK_BindTexture(t);
    FENK_DrawQuad(0, 8, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(0, 8), rgba(100, 100, 0));

    // The tint's alpha goes into the alpha test: a tint of alpha 0 draws nothing there.
    FENK_SetTint(1, 1, 1, 0);
    FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST);
    FENK_DrawQuad(8, 8, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(8, 8), opaque_black);
    FENK_ResetTint();
    FENK_DrawQuad(8, 8, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(8, 8), texel);
    FENK_DeleteTexture(t);
}

TEST_F(Shapes, RectanglesFilledAndOutlinedAndThickLines)
{
    FENK_stats_numtriangles = 0;
    FENK_DrawRect(4, 4, 10, 6, 1, 0, 0, 1);
    EXPECT_EQ(FENK_stats_numtriangles, 2);
    FENK_DrawRect(14, 26, -10, -6, 0, 0, 1, 1); // the same size the other way round
    FENK_DrawRectOutline(20, 4, 20, 12, 2, 0, 1, 0, 1);
    FENK_DrawThickLine(5, 40, 55, 40, 4, 1, 1, 1, 1);
    const Picture p = read_target();
    EXPECT_EQ(p.at(4, 4), opaque_red);
    EXPECT_EQ(p.at(13, 9), opaque_red);
    EXPECT_EQ(count(p, opaque_red), 60);
    EXPECT_EQ(p.at(4, 20), opaque_blue);
    EXPECT_EQ(count(p, opaque_blue), 60);
    // A band of 2 inside the edge: 20 x 12 less the 16 x 8 inside.
    EXPECT_EQ(p.at(21, 10), opaque_green);
    EXPECT_EQ(p.at(22, 10), opaque_black);
    EXPECT_EQ(p.at(30, 5), opaque_green);
    EXPECT_EQ(p.at(30, 6), opaque_black);
    EXPECT_EQ(count(p, opaque_green), 20 * 12 - 16 * 8);
    // 4 wide about y = 40, cut square at both ends.
    EXPECT_EQ(count(p, opaque_white), 50 * 4);
    EXPECT_EQ(p.at(5, 38), opaque_white);
    EXPECT_EQ(p.at(54, 41), opaque_white);
    EXPECT_EQ(p.at(30, 37), opaque_black);
    EXPECT_EQ(p.at(4, 40), opaque_black);

    // An outline as thick as the rectangle is deep fills it; one of 0 draws nothing.
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawRectOutline(0, 0, 10, 4, 2, 1, 0, 0, 1);
    FENK_DrawRectOutline(20, 0, 10, 10, 0, 1, 0, 0, 1);
    FENK_DrawThickLine(40, 40, 40, 40, 4, 1, 0, 0, 1);
    EXPECT_EQ(count(read_target(), opaque_red), 40);
}

TEST_F(Shapes, CirclesAndTrianglesEitherWayRound)
{
    FENK_DrawCircle(16, 16, 10, 0, 0, 1, 1);
    FENK_DrawCircleOutline(44, 16, 10, 3, 0, 1, 0, 1);
    Picture p = read_target();
    // Pixel centres within the radius are in, those beyond it out.
    EXPECT_EQ(p.at(16, 16), opaque_blue);
    EXPECT_EQ(p.at(25, 16), opaque_blue);
    EXPECT_EQ(p.at(26, 16), opaque_black);
    EXPECT_EQ(p.at(16, 6), opaque_blue);
    EXPECT_EQ(p.at(16, 5), opaque_black);
    EXPECT_EQ(p.at(9, 9), opaque_blue);
    EXPECT_EQ(p.at(8, 8), opaque_black);
    EXPECT_NEAR(count(p, opaque_blue), 314, 8);
    EXPECT_EQ(p.at(44, 16), opaque_black);
    EXPECT_EQ(p.at(37, 16), opaque_black);
    EXPECT_EQ(p.at(53, 16), opaque_green);
    EXPECT_EQ(p.at(44, 7), opaque_green);
    EXPECT_NEAR(count(p, opaque_green), 314 - 154, 10);

    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawTriangle(4, 44, 40, 44, 4, 8, 1, 0, 0, 1);
    const Picture one_way = read_target();
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawTriangle(4, 44, 4, 8, 40, 44, 1, 0, 0, 1);
    const Picture other_way = read_target();
    EXPECT_EQ(one_way.pixels, other_way.pixels);
    EXPECT_EQ(one_way.at(5, 42), opaque_red);
    EXPECT_EQ(one_way.at(30, 20), opaque_black);
    EXPECT_NEAR(count(one_way, opaque_red), 36 * 36 / 2, 20);

    // The outline's inner edges run `thickness` inside the outer ones.
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawTriangleOutline(4, 44, 40, 44, 4, 8, 3, 1, 0, 0, 1);
    p = read_target();
    EXPECT_EQ(p.at(5, 30), opaque_red);
    EXPECT_EQ(p.at(6, 30), opaque_red);
    EXPECT_EQ(p.at(7, 30), opaque_black);
    EXPECT_EQ(p.at(12, 43), opaque_red);
    EXPECT_EQ(p.at(12, 40), opaque_black);
    EXPECT_EQ(p.at(10, 36), opaque_black);
}

TEST_F(Shapes, ShapesOutsideTheFrameBufferAreNotDrawnOrCounted)
{
    FENK_stats_numtriangles = 0;
    FENK_DrawCircle(100, 10, 20, 1, 1, 1, 1);
    FENK_DrawTriangle(-10, -10, -1, -10, -10, -1, 1, 1, 1, 1);
    FENK_DrawThickLine(0, -8, 64, -8, 4, 1, 1, 1, 1);
    EXPECT_EQ(FENK_stats_numtriangles, 0);
    EXPECT_EQ(FENK_projectionmode, 1);
    FENK_DrawCircle(70, 10, 10, 1, 1, 1, 1); // reaches in
    EXPECT_GT(FENK_stats_numtriangles, 0);
    EXPECT_EQ(pixel(63, 10), opaque_white);
}

TEST_F(Shapes, ATransformedQuadTurnsClockwiseAboutItsOrigin)
{
    std::vector<uint32_t> texels;
    for (uint32_t i = 0; i < 16; ++i) texels.push_back(rgba(i * 16, 255 - i * 16, (i * 7) & 0xFF));
    const int t = make_texture(4, 4, texels);
    FENK_BindTexture(t);
    auto at = [&](int tx, int ty) { return texels[static_cast<size_t>(ty * 4 + tx)]; };

    FENK_DrawQuad(10, 6, 32, 24, 0, 0, 1, 1);
    const Picture plain = read_target();
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawTransformedQuad(10, 6, 32, 24, 0, 0, 0, 0, 0, 1, 1);
    EXPECT_EQ(read_target().pixels, plain.pixels);

    // A quarter turn about the centre, which lies on (32, 24): the top-left texel goes to
    // the top-right. The model-view matrix stays as it was.
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawTransformedQuad(32, 24, 32, 32, 16, 16, 90, 0, 0, 1, 1);
    Picture p = read_target();
    for (int ty = 0; ty < 4; ty++)
        for (int tx = 0; tx < 4; tx++)
            EXPECT_EQ(p.at(16 + 8 * (3 - ty) + 4, 8 + 8 * tx + 4), at(tx, ty)) << tx << "," << ty;
    GLfloat modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    EXPECT_EQ(modelview[0], 1.0f);

    // The origin at the bottom-right corner puts that corner on (40, 30).
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawTransformedQuad(40, 30, 16, 16, 16, 16, 0, 0, 0, 1, 1);
    p = read_target();
    EXPECT_EQ(p.at(39, 29), at(3, 3));
    EXPECT_EQ(p.at(24, 14), at(0, 0));
    EXPECT_EQ(p.at(40, 30), opaque_black);
    EXPECT_EQ(p.at(23, 13), opaque_black);

    // Culled by where it lands: turned half round about its top-left corner, a quad at
    // the frame buffer's top-left lies wholly above and left of it.
    const int triangles = FENK_stats_numtriangles;
    FENK_DrawTransformedQuad(0, 0, 16, 16, 0, 0, 180, 0, 0, 1, 1);
    EXPECT_EQ(FENK_stats_numtriangles, triangles);
    FENK_DeleteTexture(t);
}

// The picture itself is checked on every host (HostContract); here what it says.
TEST_F(Shapes, AScreenshotSaysWhatItWroteOrWhyNot)
{
    const ScratchFolder scratch(current_test_tag());
    const std::string shot = (scratch / "shot.png").string();
    std::string said = printed([&] { EXPECT_EQ(FENK_SaveScreenshot(shot.c_str()), 1); });
    EXPECT_EQ(said, "Screenshot " + shot + ": 64 x 48\n");
    const std::string nowhere = (scratch / "missing" / "shot.png").string();
    said = printed([&] { EXPECT_EQ(FENK_SaveScreenshot(nowhere.c_str()), 0); });
    EXPECT_EQ(said, "- ERROR: Screenshot " + nowhere + " not written: No such file or directory\n");
}
