// The Windows host driven through its window procedure: each test makes the window
// the way WinMain makes it, on the test's thread, so every message sent completes at
// once. Sent messages leave the system's key state alone, so no key reads held.
#include <windows.h>

#include "host_inject.h"
#include "hosts/driver_win32.h"
#include "platform/platform.h"

const HostTraits host_traits = {false, false, false, {"close"}, [](int *x, int *y) {
                                    POINT origin = {0, 0};
                                    ClientToScreen(winhandle, &origin);
                                    *x = origin.x;
                                    *y = origin.y;
                                }};

void host_setup()
{
    static const bool registered = [] {
        WNDCLASSA wc = {};
        wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
        wc.lpfnWndProc = WndProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "FENK";
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    dwExStyle = FENK_WIN32_EXSTYLE;
    winhandle = CreateWindowExA(dwExStyle, "FENK", "FENK Application", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                                NULL, NULL, GetModuleHandleA(NULL), NULL);
    fenk_mouse_windowhide = 0;
}

void host_teardown()
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

LRESULT win32_send(UINT message, WPARAM wparam, LPARAM lparam)
{
    return SendMessageA(winhandle, message, wparam, lparam);
}

// Alt goes down as a system key; every key comes up through the key-up message
// (default processing of Alt's system key-up would open the window menu).
void inject_key(int vk, bool down)
{
    win32_send(down ? (vk == VK_MENU ? WM_SYSKEYDOWN : WM_KEYDOWN) : WM_KEYUP, vk, 0);
}

void inject_motion(int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(winhandle, &point);
    SetCursorPos(point.x, point.y);
    win32_send(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
}

void inject_button(int button, bool down)
{
    static const UINT messages[][2] = {{WM_LBUTTONUP, WM_LBUTTONDOWN},
                                       {WM_RBUTTONUP, WM_RBUTTONDOWN},
                                       {WM_MBUTTONUP, WM_MBUTTONDOWN},
                                       {WM_XBUTTONUP, WM_XBUTTONDOWN}};
    win32_send(messages[button - 1][down], button == 4 ? MAKEWPARAM(0, XBUTTON1) : 0, 0);
}

void inject_wheel(int notches) { win32_send(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(notches * WHEEL_DELTA)), 0); }

void inject_close(const char *) { PostMessageA(winhandle, WM_CLOSE, 0, 0); }

void window_size(int *width, int *height)
{
    RECT client = {};
    GetClientRect(winhandle, &client);
    *width = client.right;
    *height = client.bottom;
}

std::string window_title()
{
    char title[256] = "";
    GetWindowTextA(winhandle, title, sizeof title);
    return title;
}

bool window_visible()
{
    return IsWindowVisible(winhandle) && (GetWindowLongA(winhandle, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

std::string child_program()
{
    char path[MAX_PATH];
    std::string dir(path, GetModuleFileNameA(NULL, path, MAX_PATH));
    dir.resize(dir.find_last_of("\\/") + 1);
    return dir + "platform_win32_child.exe";
}

int child_exitcode(int status) { return status; }
