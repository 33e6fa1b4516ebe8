// A second FENK_InitVideo and the run-time window calls on the headless host keep the
// GL context: bitmaps, textures and shaders made before still draw what they held.
// Its own process, since it starts video more than once.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics2d/corebitmap.h"
#include "platform/driver_headless.h"
#include "stdout_capture.h"
#include "video/fenk.h"

namespace {

constexpr uint32_t red = 0xFF0000FFu; // stored word: red in the low byte
constexpr uint32_t green = 0xFF00FF00u;

struct Shown {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels; // top row first
};

void sink(int width, int height, const unsigned char *rgba, uint64_t, uint32_t, void *user)
{
    auto *shown = static_cast<Shown *>(user);
    shown->width = width;
    shown->height = height;
    if (rgba)
        shown->pixels.assign(reinterpret_cast<const uint32_t *>(rgba),
                             reinterpret_cast<const uint32_t *>(rgba) + width * height);
}

// The current frame buffer's pixel (x, y from the top).
uint32_t target_pixel(int x, int y)
{
    uint32_t word = 0;
    glReadPixels(x, FENK_GetFrameBufferHeight() - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &word);
    return word;
}

s_bitmap picture;

class WindowChange : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        printed([] { FENK_InitVideo(32, 24, 0); });
        fenk_headless_setframesink(sink, &shown);
        // A 2 x 2 red bitmap, a green texture and a shader, made before the changes.
        printed([] { FENK_CreateBitmap(2, 2, &picture); });
        for (int i = 0; i < 4; i++) picture.pixels[i] = red;
        FENK_UpdateBitmap(picture);
        const std::vector<uint32_t> texels(4, green);
        texture = FENK_CreateTexture(2, 2, texels.data(), 0);
        printed([] {
            shader = FENK_InitShader(
                "#version 120\nvoid main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; }\n",
                "#version 120\nvoid main() { gl_FragColor = vec4(0.0, 0.0, 1.0, 1.0); }\n");
        });
    }

    // Frame buffer 0 cleared, the bitmap at (0, 0) and the texture at (4, 0), 2 x 2 each.
    static void draw()
    {
        FENK_ClearFrameBuffer(0xFF000000);
        FENK_Enable2D();
        FENK_DrawBitmap(0, 0, picture);
        FENK_BindTexture(texture);
        FENK_DrawQuad(4, 0, 2, 2, 0, 0, 1, 1);
    }

    static void expect_everything_kept()
    {
        draw();
        EXPECT_EQ(target_pixel(1, 1), red);
        EXPECT_EQ(target_pixel(5, 1), green);
        EXPECT_EQ(target_pixel(8, 8), 0xFF000000u);
        EXPECT_EQ(FENK_ShaderReady(shader), 1);
        EXPECT_TRUE(glIsTexture(static_cast<GLuint>(picture.texture)));
    }

    static Shown shown;
    static int texture;
    static int shader;
};

Shown WindowChange::shown;
int WindowChange::texture;
int WindowChange::shader;

TEST_F(WindowChange, ASecondInitVideoKeepsTexturesAndShaders)
{
    expect_everything_kept();
    std::string output = printed([] { FENK_InitVideo(48, 40, 0); });
    EXPECT_EQ(output, "[FENK] Init Glew\n\nReady for GLSL\n[FENK] Init OpenGL\n[FENK] Init Framebuffer\n"
                      "[FENK] Init Framebuffer: 48,40\n");
    int w = 0, h = 0;
    fenk_headless_windowsize(&w, &h);
    EXPECT_EQ(w, 48);
    EXPECT_EQ(h, 40);
    EXPECT_EQ(FENK_GetFrameBufferWidth(), 48);
    expect_everything_kept();
    FENK_SwapBuffers();
    ASSERT_EQ(shown.width, 48);
    EXPECT_EQ(shown.pixels[1 * 48 + 1], red);
    EXPECT_EQ(shown.pixels[1 * 48 + 5], green);
}

TEST_F(WindowChange, WindowSizeAndFullScreenAtRunTime)
{
    printed([] { FENK_InitVideo(32, 24, 0); });
    printed([] { FENK_SetWindowSize(64, 48); });
    int w = 0, h = 0;
    fenk_headless_windowsize(&w, &h);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(h, 48);
    EXPECT_EQ(FENK_video.width, 64);
    EXPECT_EQ(FENK_video.height, 48);
    // The frame buffer keeps its size and is stretched over the window: each of its
    // pixels becomes 2 x 2.
    EXPECT_EQ(FENK_GetFrameBufferWidth(), 32);
    expect_everything_kept();
    FENK_SwapBuffers();
    ASSERT_EQ(shown.width, 64);
    ASSERT_EQ(shown.height, 48);
    EXPECT_EQ(shown.pixels[3 * 64 + 3], red);
    EXPECT_EQ(shown.pixels[3 * 64 + 11], green);
    EXPECT_EQ(shown.pixels[3 * 64 + 20], 0xFF000000u);

    // No screen to take over here: full screen keeps the window and everything in GL.
    printed([] { FENK_SetFullscreen(1); });
    printed([] { FENK_SetFullscreen(0); });
    fenk_headless_windowsize(&w, &h);
    EXPECT_EQ(w, 64);
    expect_everything_kept();

    for (auto size : {std::pair{0, 10}, std::pair{10, -1}}) {
        EXPECT_EQ(printed([&] { FENK_SetWindowSize(size.first, size.second); }),
                  "- ERROR: window size " + std::to_string(size.first) + " x " + std::to_string(size.second) +
                      " refused.\n");
    }
    fenk_headless_windowsize(&w, &h);
    EXPECT_EQ(w, 64);
    EXPECT_EQ(FENK_video.width, 64);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

} // namespace
