// Presentation: the current frame buffer stretched over the window, with and without
// the default post shader, and what it leaves behind for the next frame.
#include <EGL/egl.h>

#include "video_fixture.h"
#include "stdout_capture.h"

namespace {

GLint bound_fbo()
{
    GLint fbo = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &fbo);
    return fbo;
}

int channel(uint32_t pixel) { return static_cast<int>(pixel & 0xFF); }

} // namespace

TEST_F(VideoTest, PresentationShowsTheFrameBufferUprightAndResetsTheFrame)
{
    FENK_DrawColorQuad(0, 0, 32, 24, 1, 0, 0, 1);
    FENK_DrawColorQuad(32, 24, 32, 24, 0, 0, 1, 1);
    FENK_DrawLineRGB(0, 40.5f, 64, 40.5f, 0, 1, 0, 1);
    const Picture drawn = read_target();
    FENK_BindTexture(fenk_whitetexture_id);
    FENK_EnableRenderState(FENK_RENDERSTATE_ALPHATEST);
    const int lines = FENK_stats_numlines;

    // Fade and scan lines act only through a post shader.
    FENK_SetFadeValue(0.0f);
    FENK_SetScanlineValue(1.0f);
    const uint64_t before = fenk_headless_framecount();
    const PresentedFrame &frame = present();
    EXPECT_EQ(frame.frame, before);
    EXPECT_EQ(frame.picture.width, video_width);
    EXPECT_EQ(frame.picture.height, video_height);
    EXPECT_EQ(frame.picture.pixels, drawn.pixels);
    EXPECT_EQ(frame.picture.at(0, 0), opaque_red);
    EXPECT_EQ(frame.picture.at(63, 47), opaque_blue);

    // Drawing goes on into the same frame buffer, with the frame's bookkeeping reset.
    EXPECT_EQ(bound_fbo(), static_cast<GLint>(FENK_framebufferdata[0].fbo));
    EXPECT_EQ(FENK_projectionmode, 1);
    EXPECT_EQ(FENK_lasttextureid, -1);
    EXPECT_EQ(FENK_stats_numtriangles, 0);
    EXPECT_EQ(FENK_stats_numtexturebinds, 0);
    EXPECT_EQ(FENK_stats_numstateswitches, 0);
    EXPECT_EQ(FENK_stats_numlines, lines);
    EXPECT_EQ(read_target().pixels, drawn.pixels);
    FENK_DisableRenderState(FENK_RENDERSTATE_ALPHATEST);
}

TEST_F(VideoTest, PresentationStretchesAnySizeOverTheVideo)
{
    // Smaller: 16 x 12, nearest filtering, four quadrants.
    const int small = FENK_CreateFrameBuffer(16, 12, 0);
    FENK_SetFrameBuffer(small);
    glBindTexture(GL_TEXTURE_2D, fenk_whitetexture_id);
    FENK_ClearFrameBuffer(opaque_black);
    FENK_DrawColorQuad(0, 0, 8, 6, 1, 0, 0, 1);
    FENK_DrawColorQuad(8, 6, 8, 6, 0, 1, 0, 1);
    const PresentedFrame &frame = present();
    ASSERT_EQ(frame.picture.width, video_width);
    for (int y = 0; y < video_height; ++y)
        for (int x = 0; x < video_width; ++x) {
            const uint32_t expected = (x < 32 && y < 24)     ? opaque_red
                                      : (x >= 32 && y >= 24) ? opaque_green
                                                             : opaque_black;
            ASSERT_EQ(frame.picture.at(x, y), expected) << x << "," << y;
        }
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 16);
    EXPECT_EQ(vp[3], 12);
    EXPECT_EQ(bound_fbo(), static_cast<GLint>(FENK_framebufferdata[small].fbo));

    // Larger: 128 x 96 fills the whole window too.
    const int large = FENK_CreateFrameBuffer(128, 96, FENK_FRAMEBUFFER_LINEAR);
    FENK_SetFrameBuffer(large);
    glBindTexture(GL_TEXTURE_2D, fenk_whitetexture_id);
    FENK_ClearFrameBuffer(opaque_blue);
    FENK_DrawColorQuad(0, 0, 128, 48, 1, 1, 1, 1);
    const PresentedFrame &big = present();
    EXPECT_EQ(big.picture.at(0, 0), opaque_white);
    EXPECT_EQ(big.picture.at(63, 22), opaque_white);
    EXPECT_EQ(big.picture.at(63, 25), opaque_blue);
    EXPECT_EQ(big.picture.at(0, 47), opaque_blue);
}

TEST_F(VideoTest, DefaultPostShaderScanLinesAndFade)
{
    StdoutCapture capture;
    const int post = FENK_InitDefaultPostShader();
    EXPECT_EQ(capture.finish(), "");
    ASSERT_GE(post, 0);
    FENK_ClearFrameBuffer(rgba(200, 100, 50));
    FENK_SetPostShader(post);

    // Untouched with scan lines 0 and fade 1.
    const PresentedFrame &plain = present();
    EXPECT_EQ(plain.picture.at(10, 10), rgba(200, 100, 50));
    EXPECT_EQ(plain.picture.at(10, 11), rgba(200, 100, 50));
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);

    // Scan lines 1: odd rows counted from the bottom are black, all four channels.
    FENK_SetScanlineValue(1.0f);
    const PresentedFrame &lines = present();
    for (int y = 0; y < video_height; ++y) {
        const int row_from_bottom = video_height - 1 - y;
        EXPECT_EQ(lines.picture.at(5, y), row_from_bottom % 2 ? rgba(0, 0, 0, 0) : rgba(200, 100, 50)) << y;
    }

    // Half scan lines and half fade.
    FENK_SetScanlineValue(0.5f);
    FENK_SetFadeValue(0.5f);
    const PresentedFrame &faded = present();
    EXPECT_NEAR(channel(faded.picture.at(3, video_height - 1)), 100, 1);
    EXPECT_NEAR(channel(faded.picture.at(3, video_height - 2)), 50, 1);
    EXPECT_NEAR(static_cast<int>(faded.picture.at(3, video_height - 1) >> 24), 128, 1);

    FENK_SetFadeValue(0.0f);
    FENK_SetScanlineValue(0.0f);
    EXPECT_EQ(present().picture.at(30, 30), rgba(0, 0, 0, 0));
    FENK_SetPostShader(-1);
}

TEST_F(VideoTest, PlainPresentationLeavesTheFrameAlone)
{
    const PresentedFrame &first = present();
    const int count = first.count;
    FENK_DrawColorQuad(0, 0, 4, 4, 1, 1, 1, 1);
    FENK_BindTexture(fenk_whitetexture_id);
    FENK_SwapBuffersBasic();
    EXPECT_EQ(presented.count, count + 1);
    EXPECT_EQ(FENK_stats_numtriangles, 2);
    EXPECT_EQ(FENK_lasttextureid, static_cast<int>(fenk_whitetexture_id));
    // Drawing now goes into the window until the next frame buffer switch.
    EXPECT_EQ(bound_fbo(), 0);
    FENK_SetFrameBuffer(0);
    EXPECT_EQ(bound_fbo(), static_cast<GLint>(FENK_framebufferdata[0].fbo));
}

TEST_F(VideoTest, VideoReopensAtAnotherSize)
{
    FENK_SetPostShader(5);
    FENK_CloseVideo();
    EXPECT_FALSE(fenk_headless_windowopen());

    // A second start-up begins again from frame buffer 0 at the new size.
    printed([] { FENK_InitVideo(32, 24, 0); });
    EXPECT_EQ(FENK_numframebuffers, 1);
    EXPECT_EQ(FENK_postshader_id, -1);
    EXPECT_EQ(FENK_video.width, 32);
    EXPECT_EQ(FENK_GetFrameBufferWidth(), 32);
    EXPECT_EQ(FENK_GetFrameBufferHeight(), 24);
    FENK_ClearFrameBuffer(opaque_green);
    const PresentedFrame &frame = present();
    EXPECT_EQ(frame.picture.width, 32);
    EXPECT_EQ(frame.picture.height, 24);
    EXPECT_EQ(frame.picture.at(31, 23), opaque_green);

    // Back to the size every other test expects, this time over the open window: the
    // context stays (with everything made in it), the old surface is released.
    const EGLDisplay display = eglGetCurrentDisplay();
    const EGLContext old_context = eglGetCurrentContext();
    const EGLSurface old_surface = eglGetCurrentSurface(EGL_DRAW);
    printed([] { FENK_InitVideo(video_width, video_height, 0); });
    EGLint value = 0;
    EXPECT_EQ(eglGetCurrentContext(), old_context);
    EXPECT_FALSE(eglQuerySurface(display, old_surface, EGL_WIDTH, &value));
    EXPECT_TRUE(eglQuerySurface(display, eglGetCurrentSurface(EGL_DRAW), EGL_WIDTH, &value));
    EXPECT_EQ(value, video_width);
    SetUp();
}
