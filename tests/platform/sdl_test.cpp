// The SDL host as the show meets it: this program is a host program, and the tests
// run on its show thread inside coremain, with the window pumped by the main thread.
// Events are injected into SDL's queue as the window system would deliver them, on a
// virtual display of this program's own: on a shared one, another test's window could
// move the pointer or the focus under these tests and send events of its own.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL2/SDL.h>

#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "child_process.h"
#include "platform/driver_sdl.h"
#include "platform/platform.h"
#include "scratch.h"
#include "stdout_capture.h"

extern "C" int FENK_shaders_enabled;

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

// The pump handles everything queued before a main-thread call returns; the
// loop only covers what SDL itself derives from the queue later (joysticks).
template <typename P> bool eventually(P done)
{
    for (int i = 0; i < 2000; i++) {
        onmain([] {});
        if (done()) return true;
        SDL_Delay(1);
    }
    return false;
}

Uint32 windowid() { return SDL_GetWindowID(fenk_sdl_window()); }

void push(SDL_Event event)
{
    ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    onmain([] {});
}

void key(SDL_Keycode sym, bool down)
{
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = windowid();
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.sym = sym;
    event.key.keysym.scancode = SDL_GetScancodeFromKey(sym);
    push(event);
}

void button(Uint8 which, bool down, int x = 0, int y = 0)
{
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = windowid();
    event.button.button = which;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.x = x;
    event.button.y = y;
    push(event);
}

void motion(int x, int y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = windowid();
    event.motion.x = x;
    event.motion.y = y;
    push(event);
}

void wheel(int y, Uint32 direction = SDL_MOUSEWHEEL_NORMAL)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.windowID = windowid();
    event.wheel.y = y;
    event.wheel.direction = direction;
    push(event);
}

struct WindowState {
    int width = 0, height = 0, x = 0, y = 0;
    Uint32 flags = 0;
    std::string title;
};

WindowState windowstate()
{
    WindowState state;
    onmain([&] {
        SDL_Window *window = fenk_sdl_window();
        SDL_GetWindowSize(window, &state.width, &state.height);
        SDL_GetWindowPosition(window, &state.x, &state.y);
        state.flags = SDL_GetWindowFlags(window);
        state.title = SDL_GetWindowTitle(window);
    });
    return state;
}

class Window : public testing::Test {
protected:
    std::string open(int width, int height, int flags)
    {
        StdoutCapture capture;
        fenk_initwindow(width, height, flags);
        return capture.finish();
    }

    void TearDown() override { fenk_closewindow(); }
};

TEST_F(Window, OpensAtTheClientSizeWithAGlContext)
{
    std::string printed = open(640, 360, 0);
    EXPECT_EQ(printed, "[FENK] Init Glew\n\nReady for GLSL\n");
    EXPECT_EQ(FENK_shaders_enabled, 1);

    FENK_SetTitle("FENK host test");
    WindowState state = windowstate();
    EXPECT_EQ(state.width, 640);
    EXPECT_EQ(state.height, 360);
    EXPECT_TRUE(state.flags & SDL_WINDOW_SHOWN);
    EXPECT_FALSE(state.flags & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(state.title, "FENK host test");

    // The context is current on this thread, with the shader entry points loaded.
    ASSERT_NE(glGetString(GL_VERSION), nullptr);
    EXPECT_NE((void *)glCreateShader, nullptr);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 360);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(320, 180, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_EQ(pixel[1], 0);
    fenk_swapbuffers();
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST_F(Window, RefusedFullScreenStaysWindowedAtTheAskedSize)
{
    // No display has a 1234 x 567 mode.
    open(1234, 567, 1);
    WindowState state = windowstate();
    EXPECT_EQ(state.width, 1234);
    EXPECT_EQ(state.height, 567);
    EXPECT_FALSE(state.flags & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(fenk_mouse_windowhide, 0);
    EXPECT_EQ(state.title, "FENK Application");
}

TEST_F(Window, FullScreenAtTheDesktopSizeHidesTheCursor)
{
    // The desktop's own mode is always listed; a display that still refuses
    // leaves the windowed form, checked above.
    int width = 0, height = 0;
    GetDesktopResolution(width, height);
    ASSERT_GT(width, 0);
    open(width, height, 1);
    WindowState state = windowstate();
    EXPECT_EQ(state.width, width);
    EXPECT_EQ(state.height, height);
    int cursor = -1;
    onmain([&] { cursor = SDL_ShowCursor(SDL_QUERY); });
    if (!fenk_mouse_windowhide) {
        EXPECT_FALSE(state.flags & SDL_WINDOW_FULLSCREEN);
        EXPECT_EQ(cursor, SDL_ENABLE);
        return;
    }
    EXPECT_TRUE(state.flags & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(cursor, SDL_DISABLE);
}

// The ranges are computed rather than listed: their ends are where an
// off-by-one would show.
TEST(VirtualKeys, RangesEndOnTheWindowsCodes)
{
    EXPECT_EQ(fenk_sdl_virtualkey('a'), 0x41);
    EXPECT_EQ(fenk_sdl_virtualkey('z'), 0x5A);
    EXPECT_EQ(fenk_sdl_virtualkey('0'), 0x30);
    EXPECT_EQ(fenk_sdl_virtualkey(SDLK_F1), 0x70);
    EXPECT_EQ(fenk_sdl_virtualkey(SDLK_F12), 0x7B);
    EXPECT_EQ(fenk_sdl_virtualkey(SDLK_F13), 0x7C);
    EXPECT_EQ(fenk_sdl_virtualkey(SDLK_KP_0), 0x60);
    EXPECT_EQ(fenk_sdl_virtualkey(SDLK_KP_1), 0x61);
    EXPECT_EQ(fenk_sdl_virtualkey(SDLK_KP_9), 0x69);
    EXPECT_EQ(fenk_sdl_virtualkey(SDLK_MENU), 0);
}

class Input : public testing::Test {
protected:
    void SetUp() override { fenk_getkeys(nullptr, nullptr); }
};

TEST_F(Input, KeyMessagesWriteTheTableAndTheKeyCode)
{
    key('a', true);
    EXPECT_EQ(FENK_keys[0x41], 1);
    EXPECT_EQ(fenk_keycode, 0x41);
    EXPECT_EQ(fenk_getkeycode(), 0x41);

    key(SDLK_UP, true);
    EXPECT_EQ(fenk_getkeycode(), 0xF001);
    // Releasing a key other than the last one pressed keeps the key code.
    key('a', false);
    EXPECT_EQ(FENK_keys[0x41], 0);
    EXPECT_EQ(fenk_keycode, 0x26);

    fenk_input_prevkeycode = 0x26;
    key(SDLK_UP, false);
    EXPECT_EQ(fenk_keycode, 0);
    EXPECT_EQ(fenk_input_prevkeycode, 0);
    EXPECT_EQ(fenk_getkeycode(), 0);

    // Either Shift reaches the window procedure as the one Shift code.
    key(SDLK_RSHIFT, true);
    EXPECT_EQ(fenk_keycode, 0x10);
    key(SDLK_RSHIFT, false);
    EXPECT_EQ(fenk_keycode, 0);
}

TEST_F(Input, AltIsASystemKey)
{
    key('x', true);
    key(SDLK_LALT, true);
    key('c', true);
    // Neither Alt nor what is struck with it changes the key code...
    EXPECT_EQ(fenk_keycode, 0x58);
    EXPECT_EQ(FENK_keys[0x43], 0);
    // ...but both are held.
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[0x12], 0x8000);
    EXPECT_EQ(FENK_keys[0xA4], 0x8000);
    EXPECT_EQ(FENK_joykey, 0x0080 | 0x0400);
    key('c', false);
    key(SDLK_LALT, false);
    key('x', false);
}

TEST_F(Input, GetKeysReadsTheHeldKeys)
{
    key(SDLK_ESCAPE, true);
    key(SDLK_LCTRL, true);
    key('1', true);
    FENK_keys[0x41] = 1; // left by a message whose release was never seen
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[0x1B], 0x8000);
    EXPECT_EQ(FENK_keys[0x11], 0x8000);
    EXPECT_EQ(FENK_keys[0xA2], 0x8000);
    EXPECT_EQ(FENK_keys[0x41], 0);
    EXPECT_EQ(FENK_joykey, 0x8000 | 0x0020 | 0x1000);
    EXPECT_EQ(fenk_getkeycode(), 0x31);

    key(SDLK_ESCAPE, false);
    key(SDLK_LCTRL, false);
    key('1', false);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_joykey, 0);
    EXPECT_EQ(FENK_keys[0x1B], 0);
}

// A tap between two polls reads held for the next poll, Alt's side and sideless
// codes too, and released after; a key still held stays held.
TEST_F(Input, AKeyTappedBetweenPollsReadsHeldOnce)
{
    key(SDLK_ESCAPE, true);
    key(SDLK_ESCAPE, false);
    key(SDLK_LALT, true);
    key(SDLK_LALT, false);
    key('z', true);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[0x1B], 0x8000);
    EXPECT_EQ(FENK_keys[0xA4], 0x8000);
    EXPECT_EQ(FENK_keys[0x12], 0x8000);
    EXPECT_EQ(FENK_joykey, 0x8000 | 0x0080 | 0x0100);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[0x1B], 0);
    EXPECT_EQ(FENK_keys[0x12], 0);
    EXPECT_EQ(FENK_joykey, 0x0100);
    key('z', false);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_joykey, 0);
}

TEST_F(Input, MousePositionButtonsAndWheel)
{
    fenk_initwindow(320, 200, 0);
    WindowState state = windowstate();
    motion(100, 50);

    int x = -1, y = -1, buttons = -1;
    fenk_input_mouse_mode = 0;
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(buttons, 0);
    fenk_input_mouse_mode = 1;
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, state.x + 100);
    EXPECT_EQ(y, state.y + 50);
    EXPECT_EQ(fenk_mouse_x, x);
    // An unknown mode leaves the position alone.
    fenk_input_mouse_mode = 2;
    motion(5, 6);
    x = y = -7;
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, -7);
    EXPECT_EQ(fenk_mouse_x, state.x + 100);
    fenk_input_mouse_mode = 0;

    button(SDL_BUTTON_LEFT, true);
    button(SDL_BUTTON_RIGHT, true);
    button(SDL_BUTTON_MIDDLE, true);
    button(SDL_BUTTON_LEFT, false);
    button(SDL_BUTTON_X1, true);
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(buttons, 0x6);
    button(SDL_BUTTON_RIGHT, false);
    button(SDL_BUTTON_MIDDLE, false);
    EXPECT_EQ(fenk_mouse_buttons, 0);

    fenk_setmouse(30, 40);
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, 30);
    EXPECT_EQ(y, 40);

    int z = 0, direction = 0;
    fenk_getmousewheel(&z, &direction);
    int start = z;
    wheel(3);
    wheel(1);
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(z, start + 2);
    EXPECT_EQ(direction, 1);
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(direction, 0);
    wheel(-120);
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(z, start + 1);
    EXPECT_EQ(direction, -1);
    // A flipped wheel turns the same way for the viewer; sideways scrolling is ignored.
    wheel(2, SDL_MOUSEWHEEL_FLIPPED);
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(z, start);
    EXPECT_EQ(direction, -1);
    wheel(0);
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(direction, 0);
    fenk_closewindow();
}

struct Joystick {
    int x, y, z, r, bits, ok;
};

Joystick poll(int id)
{
    Joystick j;
    j.ok = fenk_polljoystick(id, &j.x, &j.y, &j.z, &j.r, &j.bits);
    return j;
}

TEST(Joysticks, ReadLikeTheWindowsJoystickService)
{
    EXPECT_EQ(fenk_getnumjoysticks(), FENK_SDL_MAXJOYSTICKS);
    EXPECT_EQ(fenk_joystickconnected(0), 0);
    Joystick none = {1, 1, 1, 1, 1, 1};
    none = poll(0);
    EXPECT_EQ(none.ok, 0);
    EXPECT_EQ(none.x | none.y | none.z | none.r | none.bits, 0);
    // Outside the slots: a failed query that does not say "unplugged".
    EXPECT_EQ(fenk_joystickconnected(FENK_SDL_MAXJOYSTICKS), 1);
    EXPECT_EQ(poll(-1).ok, 0);

    int pad10 = -1, pad14 = -1;
    onmain([&] {
        pad10 = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 4, 10, 1);
        pad14 = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 14, 0);
    });
    ASSERT_GE(pad10, 0) << SDL_GetError();
    ASSERT_GE(pad14, 0) << SDL_GetError();
    ASSERT_TRUE(eventually([] { return fenk_joystickconnected(0) && fenk_joystickconnected(1); }));

    Joystick centred = poll(0);
    EXPECT_EQ(centred.ok, 1);
    EXPECT_EQ(centred.x, 0);
    EXPECT_EQ(centred.bits, 0);

    onmain([&] {
        SDL_Joystick *a = SDL_JoystickOpen(pad10);
        SDL_JoystickSetVirtualAxis(a, 0, -32768);
        SDL_JoystickSetVirtualAxis(a, 1, 32767);
        SDL_JoystickSetVirtualAxis(a, 2, -1);
        SDL_JoystickSetVirtualAxis(a, 3, 0);
        SDL_JoystickSetVirtualHat(a, 0, SDL_HAT_RIGHTUP);
        SDL_JoystickSetVirtualButton(a, 0, 1);
        SDL_JoystickSetVirtualButton(a, 7, 1);
        SDL_Joystick *b = SDL_JoystickOpen(pad14);
        SDL_JoystickSetVirtualButton(b, 12, 1);
    });
    ASSERT_TRUE(eventually([] { return poll(0).x != 0 && poll(1).bits != 0; }));
    Joystick a = poll(0);
    EXPECT_EQ(a.ok, 1);
    EXPECT_EQ(a.x, -128);
    EXPECT_EQ(a.y, 128);
    EXPECT_EQ(a.z, 0);
    EXPECT_EQ(a.r, 0);
    // Hat up-right, then buttons 0 and 7 of the ten-button layout.
    EXPECT_EQ(a.bits, 0x0001 | 0x0008 | 0x0010 | 0x1000);
    Joystick b = poll(1);
    EXPECT_EQ(b.bits, 0x8000);
    // Axes the device does not have read as centred.
    EXPECT_EQ(b.z, 0);
    EXPECT_EQ(b.r, 0);

    onmain([&] { SDL_JoystickDetachVirtual(pad14); });
    ASSERT_TRUE(eventually([] { return !fenk_joystickconnected(1); }));
    EXPECT_EQ(poll(1).ok, 0);
}

// The child is another host program: its show opens the window and then either
// closes it the way the window system does, or returns.
struct Child {
    int status = -1;
    double seconds = 0;
    std::string output;
};

Child runchild(const char *how)
{
    Child child;
    const ScratchFolder scratch(current_test_tag());
    const std::filesystem::path output = scratch / "output";
    ChildProcess process;
    auto start = std::chrono::steady_clock::now();
    if (process.start({FENK_SDL_CHILD, how, "two words"}, output, false)) {
        // A child that hangs fails the test instead of stopping it.
        if (!process.wait(20)) process.stop();
        child.status = process.status();
    }
    child.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    child.output = slurp(output).substr(0, 4096);
    return child;
}

TEST(Lifetime, ClosingTheWindowEndsTheProcessAtOnce)
{
    for (const char *how : {"close", "quit"}) {
        Child child = runchild(how);
        ASSERT_TRUE(WIFEXITED(child.status)) << how;
        EXPECT_EQ(WEXITSTATUS(child.status), 0) << how;
        EXPECT_NE(child.output.find("closing\n"), std::string::npos) << child.output;
        // The show thread would say so after fifteen seconds; the bound is loose, for
        // loaded machines and sanitizer builds.
        EXPECT_EQ(child.output.find("still running"), std::string::npos) << child.output;
        EXPECT_LT(child.seconds, 10.0) << how;
    }
}

TEST(Lifetime, TheShowsResultIsTheExitCodeAndArgumentsPassThrough)
{
    Child child = runchild("return");
    ASSERT_TRUE(WIFEXITED(child.status));
    EXPECT_EQ(WEXITSTATUS(child.status), 3);
    EXPECT_NE(child.output.find("argc 3 return|two words\n"), std::string::npos) << child.output;
}

} // namespace

// ctest lists the tests of every program it loads, also in the sanitizer stages that
// run without a display: the list is printed here, before the host's main would
// ask for a window, in GoogleTest's own listing form. Placed last, after every test
// has registered itself.
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

// The host's main opens the display before coremain runs, so the display must exist
// before main: a program that cannot have one says why and fails.
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
