// The stand-in host a new backend starts from: every call of the host contract
// (platform/platform.h), answered as a host without a screen, keyboard, mouse or
// joystick would answer it. It opens no window and makes no GL context, so a program
// on it may use the engine's clock, input, sound and files but must not start video.
// A real host fills in each call below with its system's own.
#include <chrono>
#include <cstdio>

#include "platform/platform.h"
#include "input/rawinput.h"

namespace {

struct TemplateHost {
    int width, height; // asked for by fenk_initwindow; 0 while closed
    char title[256];
} host;

} // namespace

// The program's way in: the host's own start-up, then coremain on this thread, which
// is the show thread. A host whose system keeps the main thread for its own events
// (Win32, SDL) starts a show thread for coremain instead and pumps events here.
int main(int argc, char **argv)
{
    fenk_rawinput_resetmouse();
    return coremain(argc, argv);
}

// ---- Window and context ----

// A real host opens its window (full screen when bit 0 of flags is set), makes its GL
// context current on this thread, and then calls fenk_startglew().
void fenk_initwindow(int width, int height, int flags)
{
    (void)flags;
    host.width = width;
    host.height = height;
}

void fenk_closewindow(void) { host.width = host.height = 0; }

// A real host shows the back buffer and returns when the frame may be drawn over.
void fenk_swapbuffers(void) {}

void FENK_SetTitle(const char *text) { snprintf(host.title, sizeof host.title, "%s", text ? text : ""); }

unsigned int FENK_GetMillis(void)
{
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return (unsigned int)duration_cast<milliseconds>(steady_clock::now() - start).count();
}

void GetDesktopResolution(int &width, int &height)
{
    width = 1920;
    height = 1080;
}

// ---- Input ----
// The window's key, button and wheel events go to rawinput.h's fenk_rawinput_* calls,
// which also give fenk_getkeycode and fenk_getmousewheel. Its close goes to
// fenk_rawinput_close(): when that returns 0 (the program does not catch it), end the
// program at once.

// A real host copies its system's key states into FENK_keys (0x8000 held, 0 not),
// counting a key that went down and up since the last call as held once, and sets
// FENK_joykey to their key bit mask.
void fenk_getkeys(int *, int *) { FENK_joykey = fenk_keymask(FENK_keys); }

void fenk_getmouse(int *x, int *y, int *buttons)
{
    if (x) *x = fenk_mouse_x;
    if (y) *y = fenk_mouse_y;
    if (buttons) *buttons = fenk_mouse_buttons;
}

void fenk_setmouse(int x, int y)
{
    fenk_mouse_x = x;
    fenk_mouse_y = y;
}

void fenk_showmouse(void) {}
void fenk_hidemouse(void) {}

// ---- Joysticks: none attached ----

int fenk_getnumjoysticks(void) { return 0; }
int fenk_joystickconnected(int) { return 0; }
int fenk_initjoystick(int id) { return id; }

int fenk_polljoystick(int, int *x, int *y, int *z, int *r, int *buttons)
{
    *x = *y = *z = *r = *buttons = 0;
    return 0;
}
