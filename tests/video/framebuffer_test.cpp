// Start-up state, frame buffers and textures, read back from the GL.
#include <cstring>

#include "video_fixture.h"
#include "stdout_capture.h"

namespace {

GLint tex_param(int texture, GLenum name)
{
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint bound_fbo()
{
    GLint fbo = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &fbo);
    return fbo;
}

} // namespace

TEST_F(VideoTest, StartUpMessagesAndState)
{
    EXPECT_EQ(startup_output, "[FENK] Init Glew\n\nReady for GLSL\n[FENK] Init OpenGL\n"
                              "[FENK] Init Framebuffer\n[FENK] Init Framebuffer: 64,48\n");
    EXPECT_EQ(startup_framebuffers, 1);
    EXPECT_EQ(FENK_shaders_enabled, 1);
    EXPECT_EQ(FENK_framebuffers_enabled, 1);

    const s_video expected = {64, 48, 64, 32, 4, 0x00FF0000, 0x0000FF00, 0x000000FF, 16, 8, 0, 8, 8, 8, 0};
    EXPECT_EQ(memcmp(&FENK_video, &expected, sizeof(expected)), 0);

    EXPECT_EQ(FENK_FrameBuffer, &FENK_framebuffers[0]);
    EXPECT_EQ(FENK_framebuffers[0].width, 64);
    EXPECT_EQ(FENK_framebuffers[0].height, 48);
    EXPECT_EQ(FENK_framebuffers[0].flags, 0);
    EXPECT_EQ(tex_param(FENK_GetFrameBufferTexture(0), GL_TEXTURE_MIN_FILTER), GL_NEAREST);

    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_VERTEX_ARRAY));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    GLint func = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &func);
    EXPECT_EQ(func, GL_LEQUAL);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &func);
    EXPECT_EQ(func, GL_GREATER);

    // The white texture: 8 x 8 opaque white texels.
    uint32_t texels[64] = {};
    glBindTexture(GL_TEXTURE_2D, fenk_whitetexture_id);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    for (uint32_t t : texels) EXPECT_EQ(t, 0xFFFFFFFFu);
}

TEST_F(VideoTest, CreateFrameBufferIdsSizesAndObjects)
{
    const int expected_id = FENK_numframebuffers;
    StdoutCapture capture;
    const int plain = FENK_CreateFrameBuffer(20, 10, 0);
    const int deep = FENK_CreateFrameBuffer(8, 6, FENK_FRAMEBUFFER_DEPTH | FENK_FRAMEBUFFER_LINEAR);
    EXPECT_EQ(capture.finish(), "[FENK] Init Framebuffer: 20,10\n[FENK] Init Framebuffer: 8,6\n");
    EXPECT_EQ(plain, expected_id);
    EXPECT_EQ(deep, expected_id + 1);
    EXPECT_EQ(FENK_framebuffers_enabled, 1);

    // Creation neither makes the new one current nor leaves its object bound.
    EXPECT_EQ(FENK_FrameBuffer, &FENK_framebuffers[0]);
    EXPECT_EQ(bound_fbo(), 0);
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE0);

    EXPECT_EQ(FENK_GetFrameBufferDepth(plain), 0);
    EXPECT_NE(FENK_GetFrameBufferDepth(deep), 0);
    const int colour = FENK_GetFrameBufferTexture(plain);
    EXPECT_EQ(tex_param(colour, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(tex_param(colour, GL_TEXTURE_WRAP_S), GL_MIRRORED_REPEAT);
    EXPECT_EQ(tex_param(FENK_GetFrameBufferTexture(deep), GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(tex_param(FENK_GetFrameBufferDepth(deep), GL_TEXTURE_WRAP_T), GL_CLAMP_TO_BORDER);

    FENK_SetFrameBuffer(plain);
    EXPECT_EQ(FENK_GetFrameBufferWidth(), 20);
    EXPECT_EQ(FENK_GetFrameBufferHeight(), 10);
    EXPECT_EQ(bound_fbo(), static_cast<GLint>(FENK_framebufferdata[plain].fbo));
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], 20);
    EXPECT_EQ(vp[3], 10);
    EXPECT_EQ(FENK_projectionmode, 1);
    FENK_ClearFrameBuffer(opaque_red);
    EXPECT_EQ(pixel(19, 9), opaque_red);

    // Clearing a frame buffer with a depth texture clears its depth too.
    FENK_SetFrameBuffer(deep);
    glClearDepth(0.0);
    glClear(GL_DEPTH_BUFFER_BIT);
    glClearDepth(1.0);
    FENK_ClearFrameBuffer(opaque_blue);
    float depth = 0;
    glReadPixels(3, 3, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_EQ(depth, 1.0f);
    EXPECT_EQ(pixel(0, 0), opaque_blue);
}

TEST_F(VideoTest, FullTableAndForeignIdsAreRefused)
{
    const int saved = FENK_numframebuffers;
    FENK_numframebuffers = FENK_MAXFRAMEBUFFERS;
    StdoutCapture capture;
    EXPECT_EQ(FENK_CreateFrameBuffer(4, 4, 0), -1);
    EXPECT_EQ(capture.finish(), "- ERROR: Framebuffer 4x4 not created, all 16 in use.\n");
    EXPECT_EQ(FENK_numframebuffers, FENK_MAXFRAMEBUFFERS);
    FENK_numframebuffers = saved;

    for (int id : {-1, saved, 99}) {
        FENK_SetFrameBuffer(id);
        EXPECT_EQ(FENK_FrameBuffer, &FENK_framebuffers[0]);
        EXPECT_EQ(FENK_GetFrameBufferTexture(id), 0);
        EXPECT_EQ(FENK_GetFrameBufferDepth(id), 0);
        const int triangles = FENK_stats_numtriangles;
        FENK_DrawFrameBuffer(0, 0, 8, 8, id);
        EXPECT_EQ(FENK_stats_numtriangles, triangles);
    }
}

TEST_F(VideoTest, DrawFrameBufferStretchesItUprightOverTheRectangle)
{
    // A 4 x 4 frame buffer: red top half, green bottom half, a blue top-left texel.
    const int scene = FENK_CreateFrameBuffer(4, 4, 0);
    FENK_SetFrameBuffer(scene);
    glBindTexture(GL_TEXTURE_2D, fenk_whitetexture_id);
    FENK_DrawColorQuad(0, 0, 4, 2, 1, 0, 0, 1);
    FENK_DrawColorQuad(0, 2, 4, 2, 0, 1, 0, 1);
    FENK_DrawColorQuad(0, 0, 1, 1, 0, 0, 1, 1);

    FENK_SetFrameBuffer(0);
    FENK_DrawFrameBuffer(10, 6, 16, 8, scene);
    const Picture p = read_target();
    for (int y = 0; y < video_height; ++y)
        for (int x = 0; x < video_width; ++x) {
            uint32_t expected = opaque_black;
            if (x >= 10 && x < 26 && y >= 6 && y < 14)
                expected = (x < 14 && y < 8) ? opaque_blue : (y < 10 ? opaque_red : opaque_green);
            ASSERT_EQ(p.at(x, y), expected) << x << "," << y;
        }
}

TEST_F(VideoTest, ClearColourWordIsRedGreenBlueAlphaFromTheLowByte)
{
    FENK_ClearFrameBuffer(0xFF0000FFu);
    EXPECT_EQ(pixel(0, 0), opaque_red);
    FENK_ClearFrameBuffer(0);
    EXPECT_EQ(pixel(5, 5), rgba(0, 0, 0, 0));
    FENK_ClearFrameBuffer(0x80402010u);
    EXPECT_EQ(pixel(63, 47), rgba(0x10, 0x20, 0x40, 0x80));
    // The clear colour stays set for the next plain glClear.
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(pixel(1, 1), rgba(0x10, 0x20, 0x40, 0x80));
}

TEST_F(VideoTest, TexturesKeepTexelBytesAndRows)
{
    // GL row 0 first: row 0 red, green; row 1 blue, white.
    const int t = make_texture(2, 2, {opaque_red, opaque_green, opaque_blue, opaque_white});
    uint32_t back[4] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back);
    EXPECT_EQ(back[0], opaque_red);
    EXPECT_EQ(back[3], opaque_white);

    // (u0, v0) at the top-left corner: texel row 0 comes out on top.
    FENK_BindTexture(t);
    FENK_DrawQuad(0, 0, 64, 48, 0, 0, 1, 1);
    EXPECT_EQ(pixel(0, 0), opaque_red);
    EXPECT_EQ(pixel(63, 0), opaque_green);
    EXPECT_EQ(pixel(0, 47), opaque_blue);
    EXPECT_EQ(pixel(63, 47), opaque_white);
    // Swapped v turns it upside down.
    FENK_DrawQuad(0, 0, 64, 48, 0, 1, 1, 0);
    EXPECT_EQ(pixel(0, 0), opaque_blue);
    EXPECT_EQ(pixel(63, 47), opaque_green);

    FENK_UpdateTexture(t, 1, 1, std::vector<uint32_t>{opaque_green}.data());
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1);

    FENK_SetTextureOptions(t, GL_LINEAR, GL_LINEAR, GL_REPEAT, GL_MIRRORED_REPEAT);
    EXPECT_EQ(tex_param(t, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(tex_param(t, GL_TEXTURE_WRAP_T), GL_MIRRORED_REPEAT);

    const int fresh = FENK_CreateTexture(3, 5, nullptr, 0);
    EXPECT_EQ(tex_param(fresh, GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(tex_param(fresh, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
    EXPECT_EQ(tex_param(fresh, GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(PowerOfTwo(3), 3);
    FENK_DeleteTexture(fresh);
    EXPECT_FALSE(glIsTexture(fresh));
    FENK_DeleteTexture(t);
}

TEST_F(VideoTest, BindCacheCountsRealBindsUntilPresentation)
{
    FENK_stats_numtexturebinds = 0;
    FENK_BindTexture(5);
    FENK_BindTexture(5);
    EXPECT_EQ(FENK_stats_numtexturebinds, 1);
    EXPECT_EQ(FENK_lasttextureid, 5);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 5);

    // A direct bind behind the cache's back is not seen: the cache still says 5.
    glBindTexture(GL_TEXTURE_2D, fenk_whitetexture_id);
    FENK_BindTexture(5);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(fenk_whitetexture_id));

    present();
    EXPECT_EQ(FENK_lasttextureid, -1);
    FENK_BindTexture(5);
    EXPECT_EQ(FENK_stats_numtexturebinds, 1);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 5);

    // A channel bind picks the unit (0 to 7), keeps it active, and empties the cache
    // without counting.
    FENK_BindTextureChannel(7, 2);
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE2);
    FENK_BindTextureChannel(9, 8);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE2);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, 9);
    EXPECT_EQ(FENK_lasttextureid, -1);
    EXPECT_EQ(FENK_stats_numtexturebinds, 1);
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(VideoTest, BindCacheNeverHidesADirectBind)
{
    // Each step draws the cached red texture again after a call that bound another
    // texture itself; the red must come out every time.
    const int red = make_texture(1, 1, {opaque_red});
    const int side = FENK_CreateFrameBuffer(4, 4, 0);
    FENK_SetFrameBuffer(side);
    FENK_ClearFrameBuffer(opaque_blue);
    FENK_SetFrameBuffer(0);
    FENK_ClearFrameBuffer(opaque_black);

    FENK_BindTexture(red);
    FENK_DrawFrameBuffer(0, 0, 8, 8, side);
    EXPECT_EQ(pixel(4, 4), opaque_blue);
    FENK_BindTexture(red);
    FENK_DrawQuad(8, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(12, 4), opaque_red);

    const int green = make_texture(1, 1, {opaque_green}); // creation and options bind it
    FENK_BindTexture(red);
    FENK_DrawQuad(16, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(20, 4), opaque_red);

    FENK_UpdateTexture(green, 1, 1, std::vector<uint32_t>{opaque_green}.data());
    FENK_BindTexture(red);
    FENK_DrawQuad(24, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(28, 4), opaque_red);

    FENK_SetFrameBuffer(0); // binds frame buffer 0's own picture
    FENK_BindTexture(red);
    FENK_DrawQuad(32, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(36, 4), opaque_red);

    FENK_BindTextureChannel(green, 0);
    FENK_BindTexture(red);
    FENK_DrawQuad(40, 0, 8, 8, 0, 0, 1, 1);
    EXPECT_EQ(pixel(44, 4), opaque_red);

    // Deleting the cached texture empties the cache too.
    FENK_DeleteTexture(red);
    EXPECT_EQ(FENK_lasttextureid, -1);
    FENK_DeleteTexture(green);
}

TEST_F(VideoTest, PlainOpenGLWithoutTextureUnitsOrFrameBufferObjects)
{
    // An OpenGL 1.1 driver offers neither: creation falls back to emulated frame buffers
    // and presentation still shows the frame.
    const auto active_texture = __glewActiveTexture;
    const auto gen_framebuffers = __glewGenFramebuffersEXT;
    const auto gen_core_framebuffers = __glewGenFramebuffers;
    __glewActiveTexture = nullptr;
    __glewGenFramebuffersEXT = nullptr;
    __glewGenFramebuffers = nullptr;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    const int next = FENK_numframebuffers;
    StdoutCapture capture;
    const int id = FENK_CreateFrameBuffer(64, 48, 0);
    capture.finish();
    EXPECT_EQ(id, next);
    EXPECT_EQ(FENK_framebuffers_enabled, 0);
    EXPECT_EQ(FENK_framebufferdata[id].fbo, 0u);
    FENK_BindTextureChannel(fenk_whitetexture_id, 1);
    FENK_SetFrameBuffer(id);
    FENK_ClearFrameBuffer(opaque_black);
    glBindTexture(GL_TEXTURE_2D, fenk_whitetexture_id);
    FENK_DrawColorQuad(0, 0, 8, 8, 1, 0, 0, 1);
    const PresentedFrame &frame = present();
    __glewActiveTexture = active_texture;
    __glewGenFramebuffersEXT = gen_framebuffers;
    __glewGenFramebuffers = gen_core_framebuffers;
    EXPECT_EQ(frame.picture.at(7, 7), opaque_red);
    EXPECT_EQ(frame.picture.at(8, 8), opaque_black);
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(unit, GL_TEXTURE0);
}

TEST_F(VideoTest, ADriverWithOnlyTheExtensionsNamesStillGetsFrameBufferObjects)
{
    // Core names first (every OpenGL 3.0 context, WebGL 2); an older driver offers only
    // EXT_framebuffer_object's, the same calls.
    const auto gen_core_framebuffers = __glewGenFramebuffers;
    const auto bind_core_framebuffer = __glewBindFramebuffer;
    __glewGenFramebuffers = nullptr;
    __glewBindFramebuffer = nullptr;
    const int id = FENK_CreateFrameBuffer(8, 8, 0);
    const bool enabled = FENK_framebuffers_enabled != 0;
    FENK_SetFrameBuffer(id);
    const GLint bound = bound_fbo();
    __glewGenFramebuffers = gen_core_framebuffers;
    __glewBindFramebuffer = bind_core_framebuffer;
    ASSERT_GE(id, 0);
    EXPECT_TRUE(enabled);
    EXPECT_NE(FENK_framebufferdata[id].fbo, 0u);
    EXPECT_EQ(bound, static_cast<GLint>(FENK_framebufferdata[id].fbo));
}

TEST_F(VideoTest, EmulatedFrameBuffersCopyTheBackBufferAtPresentation)
{
    // Without frame buffer objects drawing lands in the window and presentation copies
    // it into the current frame buffer's texture before showing it.
    FENK_framebuffers_enabled = 0;
    glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    FENK_SetFrameBuffer(0);
    EXPECT_EQ(bound_fbo(), 0);
    FENK_ClearFrameBuffer(opaque_black);
    glBindTexture(GL_TEXTURE_2D, fenk_whitetexture_id);
    FENK_DrawColorQuad(0, 0, 16, 8, 0, 1, 0, 1);
    const PresentedFrame &frame = present();
    EXPECT_EQ(frame.picture.at(0, 0), opaque_green);
    EXPECT_EQ(frame.picture.at(15, 7), opaque_green);
    EXPECT_EQ(frame.picture.at(16, 8), opaque_black);
    EXPECT_EQ(bound_fbo(), 0);

    uint32_t corner = 0;
    glBindTexture(GL_TEXTURE_2D, FENK_GetFrameBufferTexture(0));
    std::vector<uint32_t> texels(64 * 48);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    corner = texels[47 * 64]; // top-left on screen is the texture's last row
    EXPECT_EQ(corner, opaque_green);
    EXPECT_EQ(FENK_framebufferdata[0].pixels[47 * 64 * 4 + 1], 255);
}
