// The window changed at run time on the SDL host: a second FENK_InitVideo, a new
// window size and full screen keep the GL context and every texture in it, and full
// screen at a size the display lacks is refused with one line naming the sizes it has.
// This program is a host program on a virtual display of its own (1920 x 1080 only).
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "child_process.h"
#include "graphics2d/corebitmap.h"
#include "platform/driver_sdl.h"
#include "stdout_capture.h"
#include "video/fenk.h"

extern "C" int coremain(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

namespace {

template <typename F> void onmain(F fn)
{
    fenk_sdl_runonmain([](void *arg) { (*static_cast<F *>(arg))(); }, &fn);
}

struct WindowState {
    int width = 0, height = 0;
    bool fullscreen = false;
};

WindowState window_state()
{
    WindowState state;
    onmain([&] {
        SDL_GetWindowSize(fenk_sdl_window(), &state.width, &state.height);
        state.fullscreen = (SDL_GetWindowFlags(fenk_sdl_window()) & SDL_WINDOW_FULLSCREEN) != 0;
    });
    return state;
}

uint32_t target_pixel(int x, int y)
{
    uint32_t word = 0;
    glReadPixels(x, FENK_GetFrameBufferHeight() - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &word);
    return word;
}

constexpr uint32_t red = 0xFF0000FFu; // stored word: red in the low byte

s_bitmap picture;

void make_picture()
{
    printed([] { FENK_CreateBitmap(2, 2, &picture); });
    for (int i = 0; i < 4; i++) picture.pixels[i] = red;
    FENK_UpdateBitmap(picture);
}

// The bitmap drawn into the frame buffer reads back red, not white: its texture lives.
void expect_picture_draws()
{
    FENK_ClearFrameBuffer(0xFF000000);
    FENK_Enable2D();
    FENK_DrawBitmap(0, 0, picture);
    EXPECT_EQ(target_pixel(1, 1), red);
    EXPECT_EQ(target_pixel(6, 6), 0xFF000000u);
}

TEST(SdlWindowChange, TexturesOutliveEveryWindowChange)
{
    printed([] { FENK_InitVideo(64, 48, 0); });
    make_picture();
    expect_picture_draws();

    printed([] { FENK_InitVideo(96, 64, 0); });
    WindowState state = window_state();
    EXPECT_EQ(state.width, 96);
    EXPECT_EQ(state.height, 64);
    expect_picture_draws();

    printed([] { FENK_SetWindowSize(80, 60); });
    state = window_state();
    EXPECT_EQ(state.width, 80);
    EXPECT_EQ(state.height, 60);
    EXPECT_EQ(FENK_video.width, 80);
    expect_picture_draws();
    FENK_SwapBuffers();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(SdlWindowChange, FullScreenAtASizeTheDisplayLacksIsRefusedWithItsSizes)
{
    printed([] { FENK_InitVideo(80, 60, 0); });
    make_picture();
    const std::string said = printed([] { FENK_SetFullscreen(1); });
    // One line, before the host's start-up lines for the context made current again.
    EXPECT_EQ(said.substr(0, said.find('\n') + 1),
              "Full screen refused: the display has no 80x60 mode; it has 1920x1080\n");
    EXPECT_EQ(said.find("Full screen refused", 1), std::string::npos) << said;
    WindowState state = window_state();
    EXPECT_FALSE(state.fullscreen);
    EXPECT_EQ(state.width, 80);

    // Asked at start-up, the same.
    EXPECT_NE(printed([] {
                  FENK_InitVideo(100, 50, FENK_FULLSCREEN);
              }).find("Full screen refused: the display has no 100x50 mode; it has 1920x1080\n"),
              std::string::npos);
    EXPECT_FALSE(window_state().fullscreen);
    expect_picture_draws();
}

} // namespace

// ctest lists the tests of every program it loads, also where there is no display: the
// list is printed before the host's main would ask for a window.
namespace {

bool listbeforemain()
{
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::string word;
    bool listing = false;
    while (std::getline(file, word, '\0')) listing |= word.rfind("--gtest_list_tests", 0) == 0;
    if (!listing) return false;
    const testing::UnitTest *tests = testing::UnitTest::GetInstance();
    for (int i = 0; i < tests->total_test_suite_count(); i++) {
        const testing::TestSuite *suite = tests->GetTestSuite(i);
        printf("%s.\n", suite->name());
        for (int j = 0; j < suite->total_test_count(); j++) printf("  %s\n", suite->GetTestInfo(j)->name());
    }
    fflush(stdout);
    std::exit(0);
}

const bool listed = listbeforemain();

// The host's main opens the display before coremain runs, so it must exist before main.
PrivateDisplay *owndisplay()
{
    static PrivateDisplay display;
    if (!display.ok()) {
        printf("no display of its own: %s\n", display.error().c_str());
        fflush(stdout);
        std::exit(1);
    }
    display.use();
    return &display;
}

const PrivateDisplay *privatedisplay = owndisplay();

} // namespace
