// What only the SDL host has: full-screen forms, the virtual-key mapping, Alt as a
// system key, the wheel's flip, and joysticks. This program is a host program: the
// tests, these and the host-contract suite, run on its show thread inside coremain,
// with the window pumped by the main thread, on a virtual display of this program's
// own: on a shared one, another test's window could move the pointer or the focus
// under these tests and send events of its own.
#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "child_process.h"
#include "host_inject.h"
#include "hosts/driver_sdl.h"
#include "platform/platform.h"

void sdl_push(SDL_Event event);

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

class Window : public testing::Test {
protected:
    void TearDown() override { fenk_closewindow(); }
    static Uint32 flags()
    {
        Uint32 flags = 0;
        onmain([&] { flags = SDL_GetWindowFlags(fenk_sdl_window()); });
        return flags;
    }
};

TEST_F(Window, RefusedFullScreenStaysWindowedAtTheAskedSize)
{
    // No display has a 1234 x 567 mode.
    fenk_initwindow(1234, 567, 1);
    int width = 0, height = 0;
    window_size(&width, &height);
    EXPECT_EQ(width, 1234);
    EXPECT_EQ(height, 567);
    EXPECT_FALSE(flags() & SDL_WINDOW_FULLSCREEN);
    EXPECT_EQ(fenk_mouse_windowhide, 0);
    EXPECT_EQ(window_title(), "FENK Application");
}

TEST_F(Window, FullScreenAtTheDesktopSizeHidesTheCursor)
{
    // The desktop's own mode is always listed; a display that still refuses
    // leaves the windowed form, checked above.
    int desktopwidth = 0, desktopheight = 0, width = 0, height = 0;
    GetDesktopResolution(desktopwidth, desktopheight);
    ASSERT_GT(desktopwidth, 0);
    fenk_initwindow(desktopwidth, desktopheight, 1);
    window_size(&width, &height);
    EXPECT_EQ(width, desktopwidth);
    EXPECT_EQ(height, desktopheight);
    int cursor = -1;
    onmain([&] { cursor = SDL_ShowCursor(SDL_QUERY); });
    const bool full = fenk_mouse_windowhide;
    EXPECT_EQ(!!(flags() & SDL_WINDOW_FULLSCREEN), full);
    EXPECT_EQ(cursor, full ? SDL_DISABLE : SDL_ENABLE);
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

// Either Shift reaches the window procedure as the one Shift code.
TEST_F(Input, RightShiftIsTheShiftKey)
{
    inject_key(0xA1, true);
    EXPECT_EQ(fenk_keycode, 0x10);
    inject_key(0xA1, false);
    EXPECT_EQ(fenk_keycode, 0);
}

TEST_F(Input, AltIsASystemKey)
{
    inject_key('X', true);
    inject_key(0x12, true);
    inject_key('C', true);
    // Neither Alt nor what is struck with it changes the key code...
    EXPECT_EQ(fenk_keycode, 0x58);
    EXPECT_EQ(FENK_keys[0x43], 0);
    // ...but both are held.
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[0x12], 0x8000);
    EXPECT_EQ(FENK_keys[0xA4], 0x8000);
    EXPECT_EQ(FENK_joykey, 0x0080 | 0x0400);
    for (int vk : {0x43, 0x12, 0x58}) inject_key(vk, false);
}

// A flipped wheel turns the same way for the viewer; sideways scrolling is ignored.
TEST_F(Input, AFlippedWheelTurnsTheSameWay)
{
    int z = 0, direction = 0;
    fenk_getmousewheel(&z, &direction);
    const int start = z;
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = 2;
    event.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    sdl_push(event);
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(z, start - 1);
    EXPECT_EQ(direction, -1);
    event.wheel.x = 1;
    event.wheel.y = 0;
    sdl_push(event);
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(z, start - 1);
    EXPECT_EQ(direction, 0);
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

} // namespace
