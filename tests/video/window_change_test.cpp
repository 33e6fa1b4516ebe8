// A second FENK_InitVideo and the run-time window calls keep the GL context: bitmaps,
// textures and shaders made before still draw what they held. One suite, built for the
// headless host and for the SDL host (FENK_TEST_SDL, a host program on a virtual
// 1920 x 1080 display of its own); full screen is refused only where there is a display.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "graphics2d/corebitmap.h"
#include "stdout_capture.h"
#include "video/fenk.h"

#ifdef FENK_TEST_SDL
#include <SDL2/SDL.h>

#include "child_process.h"
#include "hosts/driver_sdl.h"
#define SUITE SdlWindowChange
#else
#include "hosts/driver_headless.h"
#define SUITE WindowChange
#endif

namespace {

constexpr uint32_t red = 0xFF0000FFu; // stored words: red in the low byte
constexpr uint32_t green = 0xFF00FF00u;

struct WindowState {
    int width = 0, height = 0;
    bool fullscreen = false;
};

WindowState window_state()
{
    WindowState state;
#ifdef FENK_TEST_SDL
    auto query = [](void *arg) {
        auto *s = static_cast<WindowState *>(arg);
        SDL_GetWindowSize(fenk_sdl_window(), &s->width, &s->height);
        s->fullscreen = (SDL_GetWindowFlags(fenk_sdl_window()) & SDL_WINDOW_FULLSCREEN) != 0;
    };
    fenk_sdl_runonmain(query, &state);
#else
    fenk_headless_windowsize(&state.width, &state.height);
#endif
    return state;
}

// The current frame buffer's pixel (x, y from the top).
uint32_t target_pixel(int x, int y)
{
    uint32_t word = 0;
    glReadPixels(x, FENK_GetFrameBufferHeight() - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &word);
    return word;
}

class SUITE : public ::testing::Test {
protected:
    // Video at 32 x 24 with a red 2 x 2 bitmap, a green texture and a shader made in it.
    void SetUp() override
    {
        printed([] { FENK_InitVideo(32, 24, 0); });
        printed([this] { FENK_CreateBitmap(2, 2, &picture); });
        for (int i = 0; i < 4; i++) picture.pixels[i] = red;
        FENK_UpdateBitmap(picture);
        const std::vector<uint32_t> texels(4, green);
        texture = FENK_CreateTexture(2, 2, texels.data(), 0);
        printed([this] {
            shader = FENK_InitShader(
                "#version 120\nvoid main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; }\n",
                "#version 120\nvoid main() { gl_FragColor = vec4(0.0, 0.0, 1.0, 1.0); }\n");
        });
    }

    // Drawn now, the bitmap reads back red and the texture green, not white.
    void expect_everything_kept()
    {
        FENK_ClearFrameBuffer(0xFF000000);
        FENK_Enable2D();
        FENK_DrawBitmap(0, 0, picture);
        FENK_BindTexture(texture);
        FENK_DrawQuad(4, 0, 2, 2, 0, 0, 1, 1);
        EXPECT_EQ(target_pixel(1, 1), red);
        EXPECT_EQ(target_pixel(5, 1), green);
        EXPECT_EQ(target_pixel(8, 8), 0xFF000000u);
        EXPECT_EQ(FENK_ShaderReady(shader), 1);
    }

    s_bitmap picture = {};
    int texture = 0;
    int shader = -1;
};

TEST_F(SUITE, ASecondInitVideoKeepsTexturesAndShaders)
{
    printed([] { FENK_InitVideo(48, 40, 0); });
    const WindowState state = window_state();
    EXPECT_EQ(state.width, 48);
    EXPECT_EQ(state.height, 40);
    EXPECT_EQ(FENK_GetFrameBufferWidth(), 48);
    expect_everything_kept();
}

TEST_F(SUITE, WindowSizeAndFullScreenAtRunTimeKeepEverything)
{
    printed([] { FENK_SetWindowSize(64, 48); });
    WindowState state = window_state();
    EXPECT_EQ(state.width, 64);
    EXPECT_EQ(state.height, 48);
    EXPECT_EQ(FENK_video.width, 64);
    EXPECT_EQ(FENK_GetFrameBufferWidth(), 32); // stretched over the window when shown
    expect_everything_kept();

    // Headless there is no screen to take over; the virtual display has no 64 x 48 mode.
    printed([] { FENK_SetFullscreen(1); });
    EXPECT_FALSE(window_state().fullscreen);
    printed([] { FENK_SetFullscreen(0); });
    EXPECT_EQ(window_state().width, 64);
    expect_everything_kept();

    for (auto size : {std::pair{0, 10}, std::pair{10, -1}})
        EXPECT_EQ(printed([&] { FENK_SetWindowSize(size.first, size.second); }),
                  "- ERROR: window size " + std::to_string(size.first) + " x " + std::to_string(size.second) +
                      " refused.\n");
    EXPECT_EQ(window_state().width, 64);
    FENK_SwapBuffers();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

#ifdef FENK_TEST_SDL
TEST_F(SUITE, FullScreenAtASizeTheDisplayLacksIsRefusedWithItsSizes)
{
    printed([] { FENK_SetWindowSize(80, 60); });
    const std::string said = printed([] { FENK_SetFullscreen(1); });
    // One line, before the host's start-up lines for the context made current again.
    EXPECT_EQ(said.substr(0, said.find('\n') + 1),
              "Full screen refused: the display has no 80x60 mode; it has 1920x1080\n");
    EXPECT_EQ(said.find("Full screen refused", 1), std::string::npos) << said;
    EXPECT_FALSE(window_state().fullscreen);

    // Asked at start-up, the same.
    EXPECT_NE(printed([] {
                  FENK_InitVideo(100, 50, FENK_FULLSCREEN);
              }).find("Full screen refused: the display has no 100x50 mode; it has 1920x1080\n"),
              std::string::npos);
    EXPECT_FALSE(window_state().fullscreen);
    expect_everything_kept();
}
#endif

} // namespace
