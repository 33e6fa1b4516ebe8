// The Windows host: its window procedure, the window set-up for windowed and refused
// full-screen modes, the WGL context with GLEW, and whole host programs. The window
// is made here the way WinMain makes it, on this thread, so every window call and
// message completes at once.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/driver_win32.h"
#include "platform/platform.h"
#include "child_process.h"
#include "scratch.h"
#include "stdout_capture.h"

extern "C" int FENK_shaders_enabled;

extern "C" int coremain(int argc, char **argv)
{
    (void)argc;
    (void)argv;
    return 0;
}

namespace {

class Host : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSA wc = {};
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "FENK";
        RegisterClassA(&wc);
    }

    void SetUp() override
    {
        dwExStyle = FENK_WIN32_EXSTYLE;
        winhandle = CreateWindowExA(dwExStyle, "FENK", "FENK Application", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                                    NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_NE(winhandle, nullptr);
        fenk_mouse_windowhide = 0;
    }

    void TearDown() override
    {
        if (hrc) {
            fenk_closewindow();
            hrc = NULL;
        }
        DestroyWindow(winhandle);
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        }
    }

    static LRESULT send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0)
    {
        return SendMessageA(winhandle, message, wparam, lparam);
    }

    static std::string open(int width, int height, int flags)
    {
        StdoutCapture capture;
        fenk_initwindow(width, height, flags);
        return capture.finish();
    }

    // The windowed form: client area width x height, outer corner at (10, 10).
    static void expectwindowed(int width, int height)
    {
        EXPECT_EQ((DWORD)GetWindowLongA(winhandle, GWL_STYLE), (DWORD)FENK_WIN32_STYLE);
        EXPECT_EQ((DWORD)GetWindowLongA(winhandle, GWL_EXSTYLE) & FENK_WIN32_EXSTYLE,
                  (DWORD)FENK_WIN32_EXSTYLE);
        RECT outer, client;
        GetWindowRect(winhandle, &outer);
        GetClientRect(winhandle, &client);
        EXPECT_EQ(outer.left, 10);
        EXPECT_EQ(outer.top, 10);
        EXPECT_EQ(client.right, width);
        EXPECT_EQ(client.bottom, height);
        RECT frame = {0, 0, 0, 0};
        AdjustWindowRectEx(&frame, FENK_WIN32_ADJUSTSTYLE, FALSE, FENK_WIN32_EXSTYLE);
        POINT origin = {0, 0};
        ClientToScreen(winhandle, &origin);
        EXPECT_EQ(origin.x, 10 - frame.left);
        EXPECT_EQ(origin.y, 10 - frame.top);
        EXPECT_TRUE(IsWindowVisible(winhandle));
    }
};

TEST_F(Host, KeyMessagesWriteTheTableAndTheKeyCode)
{
    EXPECT_EQ(send(WM_KEYDOWN, 'A'), 0);
    EXPECT_EQ(FENK_keys[0x41], 1);
    EXPECT_EQ(fenk_keycode, 0x41);
    send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(fenk_getkeycode(), 0xF000);
    // Releasing a key other than the last one pressed keeps the key code.
    EXPECT_EQ(send(WM_KEYUP, 'A'), 0);
    EXPECT_EQ(FENK_keys[0x41], 0);
    EXPECT_EQ(fenk_keycode, VK_ESCAPE);
    fenk_input_prevkeycode = 0xF000;
    send(WM_KEYUP, VK_ESCAPE);
    EXPECT_EQ(fenk_keycode, 0);
    EXPECT_EQ(fenk_input_prevkeycode, 0);
}

TEST_F(Host, MouseMessagesWriteButtonsAndWheel)
{
    fenk_mouse_buttons = 0;
    EXPECT_EQ(send(WM_LBUTTONDOWN), 0);
    send(WM_RBUTTONDOWN);
    send(WM_MBUTTONDOWN);
    send(WM_LBUTTONUP);
    send(WM_MOUSEMOVE);
    EXPECT_EQ(fenk_mouse_buttons, 0x6);
    send(WM_RBUTTONUP);
    send(WM_MBUTTONUP);
    EXPECT_EQ(fenk_mouse_buttons, 0);

    int z, direction;
    fenk_getmousewheel(&z, &direction);
    int start = z;
    EXPECT_EQ(send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120)), 0);
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, 360));
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(z, start + 2);
    EXPECT_EQ(direction, 1);
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(direction, 0);
    send(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)-240));
    fenk_getmousewheel(&z, &direction);
    EXPECT_EQ(z, start + 1);
    EXPECT_EQ(direction, -1);
}

TEST_F(Host, CloseAsksThePumpToQuit)
{
    EXPECT_EQ(send(WM_CLOSE), 0);
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
    EXPECT_EQ(send(WM_SETCURSOR, (WPARAM)winhandle, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), FALSE);
    EXPECT_EQ(GetCursor(), arrow);

    fenk_mouse_windowhide = 1;
    EXPECT_EQ(send(WM_SETCURSOR, (WPARAM)winhandle, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    EXPECT_EQ(GetCursor(), nullptr);
    SetCursor(arrow);
    send(WM_SETCURSOR, (WPARAM)winhandle, MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), nullptr);
}

TEST_F(Host, WindowedSetUpWithAGlContext)
{
    std::string printed = open(640, 480, 0);
    EXPECT_EQ(printed, "[FENK] Init Glew\n\nReady for GLSL\n");
    expectwindowed(640, 480);
    EXPECT_EQ(fenk_mouse_windowhide, 0);
    EXPECT_EQ(FENK_shaders_enabled, 1);

    FENK_SetTitle("FENK host test");
    char title[64] = "";
    GetWindowTextA(winhandle, title, sizeof title);
    EXPECT_STREQ(title, "FENK host test");

    ASSERT_NE(hrc, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), hrc);
    ASSERT_NE(glGetString(GL_VERSION), nullptr);
    EXPECT_NE((void *)glCreateShader, nullptr);
    EXPECT_NE((void *)glGenFramebuffersEXT, nullptr);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    unsigned char pixel[4] = {};
    glReadPixels(320, 240, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
    fenk_swapbuffers();
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);

    fenk_closewindow();
    hrc = NULL;
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST_F(Host, RefusedFullScreenKeepsTheWindowedForm)
{
    // No display has a 1234 x 567 mode.
    open(1234, 567, 1);
    expectwindowed(1234, 567);
    EXPECT_EQ(fenk_mouse_windowhide, 0);
}

TEST_F(Host, FullScreenAtTheDesktopSize)
{
    // The desktop's own mode is the one a display can always switch to; a system
    // that still refuses leaves the windowed form, checked above.
    int width = 0, height = 0;
    GetDesktopResolution(width, height);
    ASSERT_GT(width, 0);
    open(width, height, 1);
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

// The poll reads the system's key state, where these messages leave no key held; a
// key whose down message came since the last poll reads held for that poll only.
TEST_F(Host, GetKeysReadsKeysHeldNowAndTapsOnce)
{
    fenk_getkeys(nullptr, nullptr);
    send(WM_KEYDOWN, 'C');
    send(WM_KEYUP, 'C');
    send(WM_SYSKEYDOWN, VK_MENU);
    FENK_joykey = 0xFFFF;
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys['C'], 0x8000);
    EXPECT_EQ(FENK_keys[VK_MENU], 0x8000);
    EXPECT_EQ(FENK_joykey, 0x0080);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys['C'], 0);
    EXPECT_EQ(FENK_joykey, 0);
    // A repeat (bit 30: down before) marks nothing.
    send(WM_KEYDOWN, VK_ESCAPE, 0x40000001);
    fenk_getkeys(nullptr, nullptr);
    EXPECT_EQ(FENK_keys[VK_ESCAPE], 0);
}

TEST_F(Host, MouseInClientAndScreenCoordinates)
{
    open(320, 200, 0);
    POINT origin = {0, 0};
    ClientToScreen(winhandle, &origin);
    fenk_setmouse(50, 40);
    int x = -1, y = -1, buttons = -1;
    fenk_input_mouse_mode = 0;
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, 50);
    EXPECT_EQ(y, 40);
    EXPECT_EQ(buttons, fenk_mouse_buttons);
    fenk_input_mouse_mode = 1;
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, origin.x + 50);
    EXPECT_EQ(y, origin.y + 40);
    fenk_input_mouse_mode = 2;
    x = y = -7;
    fenk_getmouse(&x, &y, &buttons);
    EXPECT_EQ(x, -7);
    EXPECT_EQ(fenk_mouse_x, origin.x + 50);
    fenk_input_mouse_mode = 0;
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

struct Child {
    DWORD code = 0xFFFF;
    DWORD millis = 0;
    std::string output;
};

// `watch` sees the output so far each time the pipe is looked at, while the child
// runs; it may act on the child from there.
Child runchild(const std::vector<std::string> &arguments,
               const std::function<void(const std::string &)> &watch = {})
{
    Child child;
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string dir(path, n);
    dir.resize(dir.find_last_of("\\/") + 1);
    std::vector<std::string> command = {dir + "platform_win32_child.exe"};
    command.insert(command.end(), arguments.begin(), arguments.end());

    const ScratchFolder scratch(current_test_tag());
    const std::filesystem::path log = scratch / "output";
    ChildProcess process;
    DWORD start = GetTickCount();
    if (process.start(command, log)) {
        // Looks at the output so that a child that hangs fails the test instead of
        // stopping it: after 20 s it is killed and reported with code 0xFFFF.
        bool ended = false;
        while (!ended && GetTickCount() - start < 20000) {
            ended = process.wait(0.01);
            if (!ended && watch) watch(slurp(log));
        }
        child.millis = GetTickCount() - start;
        if (!ended) process.stop();
        child.code = static_cast<DWORD>(process.status());
        child.output = slurp(log);
        // The child's C library writes text mode: line ends come as CR LF.
        child.output.erase(std::remove(child.output.begin(), child.output.end(), '\r'), child.output.end());
    }
    return child;
}

// The show's own end goes through the close message too, but the process ends with
// what coremain returned (3 here): a show that failed must not exit as a success.
TEST(Lifetime, TheShowReturnsThroughTheCloseMessage)
{
    Child child = runchild({"return", "two words"});
    EXPECT_EQ(child.code, 3u) << child.output;
    EXPECT_NE(child.output.find("argc 3 return|two words\n"), std::string::npos) << child.output;
    EXPECT_NE(child.output.find("title child title\n"), std::string::npos) << child.output;
    EXPECT_NE(child.output.find("visible 1\n"), std::string::npos) << child.output;
}

TEST(Lifetime, ClosingTheWindowCutsTheShowOff)
{
    Child child = runchild({"close"});
    EXPECT_EQ(child.code, 0u) << child.output;
    EXPECT_NE(child.output.find("closing"), std::string::npos) << child.output;
    // The show thread would say so after fifteen seconds; a loaded machine may take
    // a few seconds to start Wine, so only that bound is checked.
    EXPECT_EQ(child.output.find("still running"), std::string::npos) << child.output;
    EXPECT_LT(child.millis, 15000u) << child.output;
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
        Child child = runchild({"draw", title}, [&](const std::string &output) {
            if (posted || output.find("drawing") == std::string::npos) return;
            if (HWND window = FindWindowA("FENK", title.c_str())) {
                PostMessageA(window, WM_CLOSE, 0, 0);
                posted = GetTickCount();
            }
        });
        ASSERT_NE(posted, 0u) << "run " << run << ": no window to close\n" << child.output;
        EXPECT_EQ(child.code, 0u) << "run " << run << "\n" << child.output;
        EXPECT_EQ(child.output.find("still running"), std::string::npos) << child.output;
        std::printf("run %d: ended %lu ms after the close\n", run, (unsigned long)(GetTickCount() - posted));
    }
}

// Set by the test run whose sound configuration has no device.
bool nodevice()
{
    const char *value = getenv("FENK_SOUND_NODEVICE");
    return value && *value;
}

// Without a sound device the music still keeps time: a second of it takes a second,
// not a quarter (ALSA's null device under Wine runs about four times too fast) nor
// for ever. Only "not faster than the clock" is exact; a loaded machine may slow it.
TEST(Lifetime, WithoutASoundDeviceTheMusicKeepsRealTime)
{
    if (!nodevice()) GTEST_SKIP() << "needs the configuration without a device (FENK_SOUND_NODEVICE)";
    Child child = runchild({"music"});
    EXPECT_EQ(child.code, 0u) << child.output;
    EXPECT_NE(child.output.find("AUDIO: error opening audio buffer\n"
                                "AUDIO: no sound device, playing silently in real time\n"),
              std::string::npos)
        << child.output;
    unsigned long long position = 0;
    long long micros = 0;
    const size_t line = child.output.find("music ");
    ASSERT_NE(line, std::string::npos) << child.output;
    ASSERT_EQ(sscanf(child.output.c_str() + line, "music %llu after %lld us", &position, &micros), 2)
        << child.output;
    EXPECT_GE(position, 44100u) << "the music did not reach 1 s within 10 s";
    EXPECT_LE(position, (unsigned long long)micros * 44100 / 1000000) << "faster than real time";
}

} // namespace
