// The Windows host: the main thread registers the class, creates the hidden window,
// starts the show thread and polls messages for the life of the process; the show
// thread runs coremain, owns the GL context and reads the raw input.
#include "hosts/driver_win32.h"
#include "platform/log.h"

#include "input/rawinput.h"
#include "platform/shared_word.h"

#include <GL/glew.h>
#include <mmsystem.h>
#include <stdio.h>
#include <string.h>

HWND winhandle;
HANDLE fenkthread;
DWORD dwExStyle;
HDC hdc;
HGLRC hrc;
// Whether a display mode was changed for full screen.
static int fullscreen_mode;

// Set by the main thread when the pump has stopped; the watchdog below then gives
// the process a bounded time to end.
static HANDLE quitting;
// The close path's hand-over: once the pump has stopped, the main thread asks the
// show thread to stop at its next host call, where it lets go of its GL context and
// says so through `show_parked`. Ending the process while that thread is inside the
// GL driver faulted under Wine now and then (exit 139 a fraction of a second after a
// close from the window manager).
static int stop_asked;
static HANDLE show_parked;
static DWORD show_thread_id;
// How long the main thread waits for that: a show thread busy loading without a host
// call may take a while, and one that is stuck must not keep the process alive.
static const DWORD stop_wait_millis = 5000;
// What coremain returned, once it has: a show that ends by itself ends the process
// with its result, a close from outside with the close's 0.
static int show_result;
static int show_returned;
// Keys that went down since the show thread last polled (rawinput.h).
static int key_tapped[FENK_NUMKEYS];

// Under Wine the window is an X window as well, and another X client can destroy that
// (xdotool windowclose, a window manager going down). Wine then drops the window's X
// side without a word to the program, which would run on unseen: the one trace is that
// the property in which Wine names the window's X window goes. The pump looks for that
// every `xwindow_look_millis` and takes it as a close. On Windows the property never
// exists, and nothing is ever seen.
static const char wine_xwindow_property[] = "__wine_x11_whole_window";
static const DWORD xwindow_look_millis = 10;

// Main thread, from the pump: 1 once the window's X window, having been there, is gone.
static int xwindow_destroyed(void)
{
    static int seen;
    static DWORD looked;
    const DWORD now = GetTickCount();
    if (now - looked < xwindow_look_millis) return 0;
    looked = now;
    const int there = GetPropA(winhandle, wine_xwindow_property) != NULL;
    seen |= there;
    return seen && !there;
}

// CreateThread wants its own routine type; win32_main keeps the show's signature.
static DWORD WINAPI showthread(LPVOID unused)
{
    (void)unused;
    return (DWORD)win32_main(0, NULL);
}

// Started before the show thread, so that it is running whatever the show thread
// holds: if the flush at the end blocks (a full pipe that nobody reads, with the
// show thread inside a write), it ends the process with the exit code of a close.
static DWORD WINAPI watchdog(LPVOID unused)
{
    (void)unused;
    WaitForSingleObject(quitting, INFINITE);
    Sleep(2000);
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}

// Called by the show thread at the start of each host call: once a stop is asked,
// its GL context goes and the thread waits there for the process to end.
static void stop_point(void)
{
    if (!word_load_acquire(stop_asked) || GetCurrentThreadId() != show_thread_id) return;
    if (hrc) {
        wglMakeCurrent(NULL, NULL);
        wglDeleteContext(hrc);
        hrc = NULL;
    }
    if (hdc) {
        ReleaseDC(winhandle, hdc);
        hdc = NULL;
    }
    SetEvent(show_parked);
    for (;;) Sleep(INFINITE);
}

// Main thread, after the pump has stopped: asks the show thread to stop and waits
// until it has (or has returned), serving the window calls it may be sending
// meanwhile, for at most stop_wait_millis.
static void stop_show_thread(void)
{
    if (!fenkthread || !show_parked) return;
    word_store_release(stop_asked, 1);
    HANDLE handles[2] = {show_parked, fenkthread};
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= stop_wait_millis) return;
        const DWORD woke =
            MsgWaitForMultipleObjects(2, handles, FALSE, stop_wait_millis - spent, QS_ALLINPUT);
        if (woke != WAIT_OBJECT_0 + 2) return; // stopped, returned, or the time is up
        MSG msg;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdline, int show)
{
    (void)instance;
    (void)previous;
    (void)cmdline;
    (void)show;

    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "FENK";
    if (!RegisterClassA(&wc)) {
        fenk_logtext(FENK_LOG_ERROR, "Could not register Window class");
        MessageBoxA(NULL, "Register class FAILED", NULL, MB_OK);
        return 0;
    }

    SetMyProcessDpiAware();

    dwExStyle = FENK_WIN32_EXSTYLE;
    winhandle = CreateWindowExA(dwExStyle, "FENK", "FENK Application", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10,
                                NULL, NULL, wc.hInstance, NULL);
    if (!winhandle) {
        // Nothing can be shown without the window: stop here rather than run a
        // show whose every window call fails.
        MessageBoxA(NULL, "Window creation failed", NULL, MB_OK);
        return 0;
    }
    SetFocus(winhandle);

    fenk_rawinput_resetmouse();

    quitting = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (quitting) {
        HANDLE guard = CreateThread(NULL, 0, watchdog, NULL, 0, NULL);
        if (guard) CloseHandle(guard);
    }

    show_parked = CreateEventA(NULL, TRUE, FALSE, NULL);
    fenkthread = CreateThread(NULL, 0, showthread, NULL, 0, &show_thread_id);

    // Polls rather than waits, so that window calls the show thread sends are
    // served within a millisecond.
    MSG msg;
    memset(&msg, 0, sizeof msg);
    int destroyed = 0;
    for (;;) {
        // A window destroyed from outside cannot be kept: the program ends as on a
        // close, caught close or not.
        if (!destroyed && xwindow_destroyed()) {
            destroyed = 1;
            PostQuitMessage(0);
        }
        if (!PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
            Sleep(1);
            continue;
        }
        if (msg.message == WM_QUIT) break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    stop_show_thread();
    if (quitting) SetEvent(quitting);
    // The show thread never outlives the window, and a close ends the show at its
    // next host call: the whole process stops here, with only the output flushed.
    // Neither cutting the show thread off (it may hold the heap's, the GL driver's or
    // the sound's locks) nor returning through the C library's exit (whose DLL and
    // library clean-up then runs beside a show thread still in GL and sound calls)
    // ends reliably: under Wine both faulted or hung now and then.
    fflush(NULL);
    const int code = word_load_acquire(show_returned) ? word_load(show_result) : (int)msg.wParam;
    TerminateProcess(GetCurrentProcess(), (UINT)code);
    return code;
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_CLOSE:
        // A program that catches the close is told and ends itself; the close the show
        // thread posts when coremain has returned always goes through.
        if (!word_load_acquire(show_returned) && fenk_rawinput_close()) return 0;
        PostMessageA(winhandle, WM_QUIT, 0, 0);
        PostQuitMessage(0);
        return 0;
    case WM_DESTROY:
        // The window is already on its way out; destroying it again from inside
        // its own destruction would only recurse.
        return 0;
    case WM_KEYDOWN:
        // Bit 30: the key was down already (a repeat).
        if (!(lparam & 0x40000000)) fenk_keytap_down(key_tapped, (int)wparam);
        fenk_rawinput_keydown((unsigned int)wparam);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt and the keys struck with it stay system keys; only the poll sees them.
        if (!(lparam & 0x40000000)) fenk_keytap_down(key_tapped, (int)wparam);
        break;
    case WM_KEYUP: fenk_rawinput_keyup((unsigned int)wparam); return 0;
    case WM_SETCURSOR:
        if (word_load(fenk_mouse_windowhide) && LOWORD(lparam) == HTCLIENT) {
            SetCursor(NULL);
            return TRUE;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: fenk_rawinput_button(FENK_MOUSE_LEFT, message == WM_LBUTTONDOWN); return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: fenk_rawinput_button(FENK_MOUSE_RIGHT, message == WM_RBUTTONDOWN); return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: fenk_rawinput_button(FENK_MOUSE_MIDDLE, message == WM_MBUTTONDOWN); return 0;
    case WM_MOUSEWHEEL: fenk_rawinput_wheel((short)HIWORD(wparam)); return 0;
    default: break;
    }
    return DefWindowProcA(window, message, wparam, lparam);
}

int win32_main(int argc, char **argv)
{
    (void)argc;
    (void)argv;
    int count = 0;
    char **args = CommandLineToArgvA(GetCommandLineA(), &count);
    int result = coremain(count, args);
    word_store(show_result, result);
    word_store_release(show_returned, 1);
    PostMessageA(winhandle, WM_CLOSE, 0, 0);
    return result;
}

// ---------------------------------------------------------------------------
// Window and GL context (show thread)

// Said once, with the sizes the display offers, so the program can ask again.
static void refused_fullscreen(int width, int height)
{
    char sizes[1024] = "";
    size_t used = 0;
    DWORD lastw = 0, lasth = 0;
    DEVMODEA mode;
    memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    for (DWORD i = 0; used < sizeof sizes && EnumDisplaySettingsA(NULL, i, &mode); i++) {
        if (mode.dmPelsWidth == lastw && mode.dmPelsHeight == lasth) continue;
        lastw = mode.dmPelsWidth;
        lasth = mode.dmPelsHeight;
        int n = snprintf(sizes + used, sizeof sizes - used, "%s%lux%lu", used ? ", " : "",
                         (unsigned long)lastw, (unsigned long)lasth);
        if (n > 0) used += (size_t)n;
    }
    fenk_log(FENK_LOG_ERROR, "Full screen refused: the display has no %dx%d mode; it has %s\n", width, height,
             used ? sizes : "none");
}

void fenk_initwindow(int width, int height, int flags)
{
    stop_point();
    // Out of a full-screen mode first: a new size or full screen again starts there.
    if (fullscreen_mode) {
        ChangeDisplaySettingsA(NULL, 0);
        fullscreen_mode = 0;
    }
    // The style goes in without WS_VISIBLE, and ShowWindow below makes the window
    // visible. Set through the style from this thread (which does not own the window),
    // the window counted as visible at once, so ShowWindow did nothing, and under Wine
    // the X window was then now and then never mapped: the show ran unseen.
    SetWindowLongA(winhandle, GWL_STYLE, (LONG)(FENK_WIN32_STYLE & ~WS_VISIBLE));

    RECT rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, FENK_WIN32_ADJUSTSTYLE, FALSE, FENK_WIN32_EXSTYLE);
    SetWindowPos(winhandle, NULL, 10, 10, rect.right - rect.left, rect.bottom - rect.top, 0);

    if (flags & 1) {
        DEVMODEA mode;
        memset(&mode, 0, sizeof mode);
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = (DWORD)width;
        mode.dmPelsHeight = (DWORD)height;
        mode.dmBitsPerPel = 32;
        mode.dmDisplayFrequency = 60;
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
        // A temporary change: the system gives the desktop mode back when the
        // program ends. Refused, the window keeps its windowed form.
        if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
            refused_fullscreen(width, height);
        } else {
            LONG exstyle = GetWindowLongA(winhandle, GWL_EXSTYLE);
            LONG style = GetWindowLongA(winhandle, GWL_STYLE);
            exstyle &= ~(WS_EX_DLGMODALFRAME | WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
            style &= ~(WS_CAPTION | WS_THICKFRAME | WS_MINIMIZE | WS_MAXIMIZE | WS_SYSMENU);
            SetWindowLongA(winhandle, GWL_EXSTYLE, exstyle);
            SetWindowLongA(winhandle, GWL_STYLE, style);
            SetWindowPos(winhandle, NULL, 0, 0, width, height, SWP_FRAMECHANGED | SWP_NOZORDER);
            fullscreen_mode = 1;
            SetCursor(NULL);
            ShowCursor(FALSE);
            word_store(fenk_mouse_windowhide, 1);
        }
    }

    ShowWindow(winhandle, SW_SHOW);
    UpdateWindow(winhandle);
    SetFocus(winhandle);

    if (hrc) {
        // A second start-up keeps the context, and every texture, shader and frame
        // buffer in it: only the window changed (its pixel format is set for good).
        wglMakeCurrent(hdc, hrc);
        fenk_startglew();
        stop_point();
        return;
    }

    hdc = GetDC(winhandle);
    PIXELFORMATDESCRIPTOR pfd;
    memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 32;
    pfd.iLayerType = PFD_MAIN_PLANE;
    SetPixelFormat(hdc, ChoosePixelFormat(hdc, &pfd), &pfd);

    hrc = wglCreateContext(hdc);
    wglMakeCurrent(hdc, hrc);

    fenk_startglew();
    stop_point();
}

void fenk_closewindow(void)
{
    stop_point();
    wglMakeCurrent(NULL, NULL);
    wglDeleteContext(hrc);
    ReleaseDC(winhandle, hdc);
    hrc = NULL;
    hdc = NULL;
}

void fenk_swapbuffers(void)
{
    stop_point();
    SwapBuffers(hdc);
}

void FENK_SetTitle(const char *text)
{
    stop_point();
    SetWindowTextA(winhandle, text);
}

// Any thread may read the clock; only the show thread stops here.
unsigned int FENK_GetMillis(void)
{
    stop_point();
    return GetTickCount();
}

void GetDesktopResolution(int &width, int &height)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    width = desktop.right;
    height = desktop.bottom;
}

// Looked up by name: older systems have no such call, and then nothing is done.
void SetMyProcessDpiAware(void)
{
    HMODULE user32 = LoadLibraryA("user32.dll");
    if (!user32) return;
    typedef BOOL(WINAPI * dpiaware_fn)(void);
    dpiaware_fn dpiaware = (dpiaware_fn)(void (*)(void))GetProcAddress(user32, "SetProcessDPIAware");
    if (dpiaware) dpiaware();
    FreeLibrary(user32);
}

// ---------------------------------------------------------------------------
// Raw input (show thread)

void fenk_getkeys(int *unused1, int *unused2)
{
    (void)unused1;
    (void)unused2;
    stop_point();
    // A key that went down and up since the last poll still reads held this once.
    for (int code = 0; code < 256; code++) {
        const int held = fenk_keytap_take(key_tapped, code) || (GetAsyncKeyState(code) & 0x8000);
        word_store(FENK_keys[code], held ? 0x8000 : 0);
    }
    word_store(FENK_joykey, fenk_keymask(FENK_keys));
}

void fenk_getmouse(int *x, int *y, int *buttons)
{
    stop_point();
    int mode = word_load(fenk_input_mouse_mode);
    POINT point;
    GetCursorPos(&point);
    if (mode == 0) ScreenToClient(winhandle, &point);
    if (mode == 0 || mode == 1) {
        word_store(fenk_mouse_x, point.x);
        word_store(fenk_mouse_y, point.y);
        *x = point.x;
        *y = point.y;
    }
    *buttons = word_load(fenk_mouse_buttons);
}

void fenk_setmouse(int x, int y)
{
    POINT point = {x, y};
    ClientToScreen(winhandle, &point);
    SetCursorPos(point.x, point.y);
}

void fenk_showmouse(void)
{
    stop_point();
    ShowCursor(TRUE);
}

void fenk_hidemouse(void)
{
    stop_point();
    ShowCursor(FALSE);
}

int fenk_getnumjoysticks(void) { return (int)joyGetNumDevs(); }

// Only a joystick that answers counts: with no driver or no such device (Wine without
// a joystick says so for every number, not "unplugged") there is nothing to poll.
int fenk_joystickconnected(int id)
{
    JOYINFO info;
    return joyGetPos((UINT)id, &info) == JOYERR_NOERROR;
}

int fenk_initjoystick(int id) { return id; }

int fenk_polljoystick(int id, int *x, int *y, int *z, int *r, int *buttons)
{
    stop_point();
    JOYCAPSA caps;
    int layout = 3;
    if (joyGetDevCapsA((UINT)id, &caps, sizeof caps) == JOYERR_NOERROR)
        layout = fenk_joysticklayout((int)caps.wNumButtons);

    JOYINFOEX info;
    memset(&info, 0, sizeof info);
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNALL;
    if (joyGetPosEx((UINT)id, &info) != JOYERR_NOERROR) {
        *x = *y = *z = *r = *buttons = 0;
        return 0;
    }
    *x = fenk_joystickaxis(info.dwXpos);
    *y = fenk_joystickaxis(info.dwYpos);
    *z = fenk_joystickaxis(info.dwZpos);
    *r = fenk_joystickaxis(info.dwRpos);
    *buttons = fenk_joystickbits(layout, info.dwPOV, info.dwButtons);
    return 1;
}
