// What only the Windows host has: the close and destroy messages, the cursor over the
// client, the window's styles and place in windowed and full-screen forms, the WGL
// context, key repeats, the joystick service, and closes from outside mid-frame. The
// window is made here the way WinMain makes it (host_inject_win32.cpp), on this
// thread, so every window call and message completes at once.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstdio>
#include <string>

#include "host_inject.h"
#include "hosts/driver_win32.h"
#include "platform/platform.h"

// A message sent to the test's window (host_inject_win32.cpp).
LRESULT win32_send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0);

extern "C" int coremain(int argc, char **argv)
{
    (void)argc;
    (void)argv;
    return 0;
}

namespace {

class Host : public testing::Test {
protected:
    void SetUp() override
    {
        host_setup();
        ASSERT_NE(winhandle, nullptr);
    }
    void TearDown() override { host_teardown(); }

    // The windowed form: client area width x height, outer corner at (10, 10).
    static void expectwindowed(int width, int height)
    {
        EXPECT_EQ((DWORD)GetWindowLongA(winhandle, GWL_STYLE), (DWORD)FENK_WIN32_STYLE);
        EXPECT_EQ((DWORD)GetWindowLongA(winhandle, GWL_EXSTYLE) & FENK_WIN32_EXSTYLE,
                  (DWORD)FENK_WIN32_EXSTYLE);
        RECT outer;
        GetWindowRect(winhandle, &outer);
        EXPECT_EQ(outer.left, 10);
        EXPECT_EQ(outer.top, 10);
        int clientwidth = 0, clientheight = 0;
        window_size(&clientwidth, &clientheight);
        EXPECT_EQ(clientwidth, width);
        EXPECT_EQ(clientheight, height);
        RECT frame = {0, 0, 0, 0};
        AdjustWindowRectEx(&frame, FENK_WIN32_ADJUSTSTYLE, FALSE, FENK_WIN32_EXSTYLE);
        int x = 0, y = 0;
        host_traits.origin(&x, &y);
        EXPECT_EQ(x, 10 - frame.left);
        EXPECT_EQ(y, 10 - frame.top);
        EXPECT_TRUE(IsWindowVisible(winhandle));
        EXPECT_EQ(fenk_mouse_windowhide, 0);
    }
};

TEST_F(Host, CloseAsksThePumpToQuit)
{
    EXPECT_EQ(win32_send(WM_CLOSE), 0);
    EXPECT_TRUE(IsWindow(winhandle));
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        if (msg.message == WM_QUIT) {
            quit = true;
            EXPECT_EQ(msg.wParam, 0u);
        }
    EXPECT_TRUE(quit);
}

TEST_F(Host, DestroyingTheWindowNeedsNoSecondDestroy)
{
    EXPECT_TRUE(DestroyWindow(winhandle));
    EXPECT_FALSE(IsWindow(winhandle));
}

TEST_F(Host, CursorHiddenOverTheClientOnlyInFullScreen)
{
    HCURSOR arrow = LoadCursor(NULL, IDC_ARROW);
    SetCursor(arrow);
    // Windowed: default processing, which has no class cursor to set.
    EXPECT_EQ(win32_send(WM_SETCURSOR, (WPARAM)winhandle, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), FALSE);
    EXPECT_EQ(GetCursor(), arrow);

    fenk_mouse_windowhide = 1;
    EXPECT_EQ(win32_send(WM_SETCURSOR, (WPARAM)winhandle, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(GetCursor(), nullptr);
    SetCursor(arrow);
    win32_send(WM_SETCURSOR, (WPARAM)winhandle, MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), nullptr);
}

TEST_F(Host, WindowedFormWithItsOwnContext)
{
    fenk_initwindow(640, 480, 0);
    expectwindowed(640, 480);
    ASSERT_NE(hrc, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), hrc);
    fenk_closewindow();
    hrc = NULL;
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST_F(Host, RefusedFullScreenKeepsTheWindowedForm)
{
    // No display has a 1234 x 567 mode.
    fenk_initwindow(1234, 567, 1);
    expectwindowed(1234, 567);
}

TEST_F(Host, FullScreenAtTheDesktopSize)
{
    // The desktop's own mode is the one a display can always switch to; a system
    // that still refuses leaves the windowed form, checked above.
    int width = 0, height = 0;
    GetDesktopResolution(width, height);
    ASSERT_GT(width, 0);
    fenk_initwindow(width, height, 1);
    if (!fenk_mouse_windowhide) {
        expectwindowed(width, height);
        return;
    }
    DWORD style = (DWORD)GetWindowLongA(winhandle, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU), 0u);
    EXPECT_TRUE(style & WS_POPUP);
    RECT outer;
    GetWindowRect(winhandle, &outer);
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.top, 0);
    EXPECT_EQ(outer.right, width);
    EXPECT_EQ(outer.bottom, height);
    ChangeDisplaySettingsA(NULL, 0);
}

// A repeat (bit 30 of lparam: down before) is no new tap.
TEST_F(Host, AKeyRepeatIsNoTap)
{
    fenk_getkeys(nullptr, nullptr);
    win32_send(WM_KEYDOWN, VK_ESCAPE, 0x40000001);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[VK_ESCAPE], 0);
}

TEST(Joysticks, AFailedPollZeroesEveryOutput)
{
    // No joystick is plugged in here.
    int x = 7, y = 7, z = 7, r = 7, bits = 7;
    EXPECT_EQ(fenk_polljoystick(0, &x, &y, &z, &r, &bits), 0);
    EXPECT_EQ(x | y | z | r | bits, 0);
    EXPECT_EQ(fenk_initjoystick(3), 3);
    // Neither a joystick that does not answer nor a number no device has is connected.
    for (int id : {0, 1, 2, 3, 1000}) EXPECT_EQ(fenk_joystickconnected(id), 0) << id;
    EXPECT_EQ(fenk_polljoystick(1000, &x, &y, &z, &r, &bits), 0);
}

// A close from outside, as a window manager's close button sends it, lands
// anywhere in a frame of a show drawing with its music playing. Every one ends the
// program at once with 0; a fault or a hung exit would show as another code or a
// child still running.
TEST(Lifetime, ClosingTheWindowMidFrameEndsTheProgramEveryTime)
{
    const std::string title = "FENK close test " + std::to_string(GetCurrentProcessId());
    for (int run = 0; run < 5; run++) {
        DWORD posted = 0;
        Child child = run_child({"draw", title}, [&](const std::string &output) {
            if (posted || output.find("drawing") == std::string::npos) return;
            if (HWND window = FindWindowA("FENK", title.c_str())) {
                PostMessageA(window, WM_CLOSE, 0, 0);
                posted = GetTickCount();
            }
        });
        ASSERT_NE(posted, 0u) << "run " << run << ": no window to close\n" << child.output;
        EXPECT_EQ(child.code, 0) << "run " << run << "\n" << child.output;
        EXPECT_EQ(child.output.find("still running"), std::string::npos) << child.output;
        std::printf("run %d: ended %lu ms after the close\n", run, (unsigned long)(GetTickCount() - posted));
    }
}

} // namespace
