// The Linux host on SDL2, keeping the Windows host's contract and thread model: the
// main thread creates the hidden window, starts the show thread and pumps events;
// the show thread runs coremain and owns the GL context. Window calls made by the
// show thread are posted to the main thread, which runs them between two polls.
#include "hosts/driver_sdl.h"
#include "platform/log.h"

#include "input/rawinput.h"
#include "hosts/sdl_requests.h"
#include "platform/shared_word.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <stdio.h>
#include <unistd.h>

namespace {

// Joystick slots: the devices are opened and read on the main thread; the
// values the show thread polls are words of `joysticks`.
struct JoySlot {
    int connected;
    int numbuttons;
    int axis[4]; // 0..65535, centre 32767 or 32768
    int pov;     // hundredths of a degree, 65535 centred
    int buttons; // bit n: button n held
};

// The host's whole state. The main thread owns the window and the event state; the
// show thread reads the words the pump keeps for it (shared_word.h).
struct SdlHost {
    SDL_Window *window;
    SDL_GLContext context;
    SDL_Thread *showthread;

    // Passing argv through: a Linux program gets its arguments already split, and
    // joining them into one line to split again would lose the quoting.
    int argcount;
    char **argvector;

    // The show thread's result and whether it has returned (read by the pump).
    int showresult;
    int showdone;

    // Key state kept by the pump for fenk_getkeys, indexed by virtual-key code:
    // SDL's own keyboard state may only be read on the main thread.
    int key_held[256];
    // Keys that went down since the last fenk_getkeys (rawinput.h).
    int key_tapped[256];

    // Pointer in client coordinates and the client area's screen position, kept by
    // the pump; fenk_getmouse reads them from the show thread.
    int pointerx, pointery;
    int clientx, clienty;

    // Main thread only: the cursor count as the Windows cursor keeps it, and
    // whether the screen went full screen (to give the desktop mode back at exit).
    int cursorcount;
    int fullscreen;

    JoySlot joysticks[FENK_SDL_MAXJOYSTICKS];
    SDL_Joystick *joydevices[FENK_SDL_MAXJOYSTICKS];

    // On X11: the window as the X server knows it, the error handler found before
    // this host's, and whether an error said the window is gone (set by whichever
    // thread's request met the error, read by the pump).
    Window xwindow;
    XErrorHandler xerrors;
    int xwindowgone;
};

SdlHost host;

} // namespace

static void pump(void);
static void leave(void);
static void watchxwindow(void);

static int showentry(void *unused)
{
    (void)unused;
    int result = coremain(host.argcount, host.argvector);
    word_store(host.showresult, result);
    word_store_release(host.showdone, 1);
    return result;
}

int main(int argc, char **argv)
{
    SDL_SetMainReady();
    // Joysticks read the same whether or not the window has the focus, as the
    // Windows joystick service does.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_EVENTS) != 0) {
        fenk_log(FENK_LOG_ERROR, "Window creation failed: %s\n", SDL_GetError());
        return 1;
    }
    sdl_requests_start();

    // The pixel format the Windows host asks for: RGB 8:8:8, double buffered,
    // with a depth buffer (24 bits is what GL drivers give for a request of 32).
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

    host.window = SDL_CreateWindow("FENK Application", 0, 0, 10, 10, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!host.window) {
        // Nothing can be shown without the window: stop here rather than run a
        // show that draws nowhere.
        fenk_log(FENK_LOG_ERROR, "Window creation failed: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }

    watchxwindow();
    fenk_rawinput_resetmouse();

    host.argcount = argc;
    host.argvector = argv;
    host.showthread = SDL_CreateThread(showentry, "fenk show", NULL);
    if (!host.showthread) {
        fenk_log(FENK_LOG_ERROR, "Show thread not started: %s\n", SDL_GetError());
        SDL_DestroyWindow(host.window);
        SDL_Quit();
        return 1;
    }

    pump();

    // The show returned: its thread is at its end, so joining it is immediate.
    SDL_WaitThread(host.showthread, NULL);
    SDL_DestroyWindow(host.window);
    SDL_Quit();
    return word_load(host.showresult);
}

SDL_Window *fenk_sdl_window(void) { return host.window; }

// ---------------------------------------------------------------------------
// The pump

static void handleevent(const SDL_Event *event);

static int drainevents(void)
{
    SDL_Event event;
    int handled = 0;
    while (SDL_PollEvent(&event)) {
        handleevent(&event);
        handled = 1;
    }
    return handled;
}

// Events queued before a request are handled before it: callers use it as a barrier.
static void drainfirst(void) { drainevents(); }

// Polls, never blocks: 1 ms of sleep when there was nothing to do.
static void pump(void)
{
    while (!word_load_acquire(host.showdone)) {
        if (word_load_acquire(host.xwindowgone)) leave();
        int busy = drainevents();
        busy |= sdl_requests_run(drainfirst);
        if (!busy) SDL_Delay(1);
    }
}

// The user closed the window and the program does not catch the close: the process
// ends at once, wherever the show thread is, as on Windows where the thread is
// terminated. The display mode is
// given back first, since an X server keeps a mode change after its client is gone.
static void leave(void)
{
    if (host.fullscreen) SDL_SetWindowFullscreen(host.window, 0);
    fflush(stdout);
    fflush(stderr);
    _exit(0);
}

// ---------------------------------------------------------------------------
// A window destroyed from outside

// Another X client may destroy the window (xdotool windowclose, a window manager going
// down). SDL says nothing of it, and the next request on the window meets an X error
// that Xlib's own handler answers by ending the process with 1. The host ends the
// program as for a close instead: on the window's DestroyNotify, or on the first
// error about the window, whichever comes first (the show thread's GL may meet the
// error before the pump sees the event).
static int xerror(Display *display, XErrorEvent *error)
{
    const int missing = error->error_code == BadWindow || error->error_code == BadDrawable;
    if (missing && host.xwindow && error->resourceid == host.xwindow) {
        // No Xlib call may be made from here: the pump ends the process.
        word_store_release(host.xwindowgone, 1);
        return 0;
    }
    return host.xerrors ? host.xerrors(display, error) : 0;
}

static void watchxwindow(void)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(host.window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    host.xwindow = info.info.x11.window;
    host.xerrors = XSetErrorHandler(xerror);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

static int xwindowdestroyed(const SDL_SysWMmsg *msg)
{
    return msg->subsystem == SDL_SYSWM_X11 && msg->msg.x11.event.type == DestroyNotify &&
           msg->msg.x11.event.xdestroywindow.window == host.xwindow;
}

// ---------------------------------------------------------------------------
// Events

int fenk_sdl_virtualkey(int sdlkey)
{
    if (sdlkey >= 'a' && sdlkey <= 'z') return sdlkey - 'a' + 0x41;
    if (sdlkey >= '0' && sdlkey <= '9') return sdlkey;
    if (sdlkey >= SDLK_F1 && sdlkey <= SDLK_F12) return 0x70 + (sdlkey - SDLK_F1);
    if (sdlkey >= SDLK_F13 && sdlkey <= SDLK_F24) return 0x7C + (sdlkey - SDLK_F13);
    if (sdlkey >= SDLK_KP_1 && sdlkey <= SDLK_KP_9) return 0x61 + (sdlkey - SDLK_KP_1);
    switch (sdlkey) {
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_CLEAR: return 0x0C;
    case SDLK_RETURN: return 0x0D;
    case SDLK_KP_ENTER: return 0x0D;
    case SDLK_PAUSE: return 0x13;
    case SDLK_CAPSLOCK: return 0x14;
    case SDLK_ESCAPE: return 0x1B;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return 0x25;
    case SDLK_UP: return 0x26;
    case SDLK_RIGHT: return 0x27;
    case SDLK_DOWN: return 0x28;
    case SDLK_PRINTSCREEN: return 0x2C;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    case SDLK_LGUI: return 0x5B;
    case SDLK_RGUI: return 0x5C;
    case SDLK_APPLICATION: return 0x5D;
    case SDLK_KP_0: return 0x60;
    case SDLK_KP_MULTIPLY: return 0x6A;
    case SDLK_KP_PLUS: return 0x6B;
    case SDLK_KP_MINUS: return 0x6D;
    case SDLK_KP_PERIOD: return 0x6E;
    case SDLK_KP_DIVIDE: return 0x6F;
    case SDLK_NUMLOCKCLEAR: return 0x90;
    case SDLK_SCROLLLOCK: return 0x91;
    case SDLK_LSHIFT: return 0xA0;
    case SDLK_RSHIFT: return 0xA1;
    case SDLK_LCTRL: return 0xA2;
    case SDLK_RCTRL: return 0xA3;
    case SDLK_LALT: return 0xA4;
    case SDLK_RALT: return 0xA5;
    case SDLK_SEMICOLON: return 0xBA;
    case SDLK_EQUALS: return 0xBB;
    case SDLK_COMMA: return 0xBC;
    case SDLK_MINUS: return 0xBD;
    case SDLK_PERIOD: return 0xBE;
    case SDLK_SLASH: return 0xBF;
    case SDLK_BACKQUOTE: return 0xC0;
    case SDLK_LEFTBRACKET: return 0xDB;
    case SDLK_BACKSLASH: return 0xDC;
    case SDLK_RIGHTBRACKET: return 0xDD;
    case SDLK_QUOTE: return 0xDE;
    default: return 0;
    }
}

// Window messages carry Shift, Control and Alt without their side.
static int sidelesskey(int vk)
{
    if (vk >= 0xA0 && vk <= 0xA5) return 0x10 + (vk - 0xA0) / 2;
    return vk;
}

static void keyevent(const SDL_KeyboardEvent *key)
{
    int vk = fenk_sdl_virtualkey(key->keysym.sym);
    if (!vk) return;
    int down = key->type == SDL_KEYDOWN;
    word_store(host.key_held[vk], down);
    if (down && !key->repeat) fenk_keytap_down(host.key_tapped, vk);
    // Alt, F10 and keys struck while Alt is held are system keys on Windows:
    // they never reach the window procedure's key table or key code.
    int alt = word_load(host.key_held[0xA4]) || word_load(host.key_held[0xA5]) || vk == 0xA4 || vk == 0xA5;
    if (alt || vk == 0x79) return;
    if (down)
        fenk_rawinput_keydown(sidelesskey(vk));
    else
        fenk_rawinput_keyup(sidelesskey(vk));
}

static int buttonbit(int button)
{
    switch (button) {
    case SDL_BUTTON_LEFT: return FENK_MOUSE_LEFT;
    case SDL_BUTTON_RIGHT: return FENK_MOUSE_RIGHT;
    case SDL_BUTTON_MIDDLE: return FENK_MOUSE_MIDDLE;
    default: return 0;
    }
}

static int joyslot(SDL_JoystickID instance)
{
    for (int i = 0; i < FENK_SDL_MAXJOYSTICKS; i++)
        if (host.joydevices[i] && SDL_JoystickInstanceID(host.joydevices[i]) == instance) return i;
    return -1;
}

// SDL's hat positions as the Windows point-of-view angle in hundredths of a degree.
static int hatangle(Uint8 hat)
{
    switch (hat) {
    case SDL_HAT_UP: return 0;
    case SDL_HAT_RIGHTUP: return 4500;
    case SDL_HAT_RIGHT: return 9000;
    case SDL_HAT_RIGHTDOWN: return 13500;
    case SDL_HAT_DOWN: return 18000;
    case SDL_HAT_LEFTDOWN: return 22500;
    case SDL_HAT_LEFT: return 27000;
    case SDL_HAT_LEFTUP: return 31500;
    default: return FENK_JOYSTICK_POV_CENTERED;
    }
}

// SDL axes run -32768..32767; the Windows range is 0..65535.
static int rawaxis(Sint16 value) { return (int)value + 32768; }

static void readjoystick(int slot)
{
    SDL_Joystick *joystick = host.joydevices[slot];
    JoySlot *shared = &host.joysticks[slot];
    int axes = SDL_JoystickNumAxes(joystick);
    for (int i = 0; i < 4; i++)
        word_store(shared->axis[i], i < axes ? rawaxis(SDL_JoystickGetAxis(joystick, i)) : 32767);
    word_store(shared->pov, SDL_JoystickNumHats(joystick) > 0 ? hatangle(SDL_JoystickGetHat(joystick, 0))
                                                              : FENK_JOYSTICK_POV_CENTERED);
    int buttons = 0;
    int count = SDL_JoystickNumButtons(joystick);
    for (int i = 0; i < count && i < 32; i++)
        if (SDL_JoystickGetButton(joystick, i)) buttons |= 1 << i;
    word_store(shared->buttons, buttons);
    word_store(shared->numbuttons, count);
}

static void joystickadded(int device)
{
    for (int i = 0; i < FENK_SDL_MAXJOYSTICKS; i++) {
        if (host.joydevices[i]) continue;
        host.joydevices[i] = SDL_JoystickOpen(device);
        if (!host.joydevices[i]) return;
        readjoystick(i);
        word_store(host.joysticks[i].connected, 1);
        return;
    }
}

static void joystickremoved(SDL_JoystickID instance)
{
    int slot = joyslot(instance);
    if (slot < 0) return;
    word_store(host.joysticks[slot].connected, 0);
    SDL_JoystickClose(host.joydevices[slot]);
    host.joydevices[slot] = NULL;
}

static void handleevent(const SDL_Event *event)
{
    switch (event->type) {
    case SDL_QUIT:
        if (!fenk_rawinput_close()) leave();
        break;
    // A window destroyed from outside cannot be kept: the program ends, caught close or not.
    case SDL_SYSWMEVENT:
        if (xwindowdestroyed(event->syswm.msg)) leave();
        break;
    case SDL_WINDOWEVENT:
        if (event->window.event == SDL_WINDOWEVENT_CLOSE && !fenk_rawinput_close()) leave();
        if (event->window.event == SDL_WINDOWEVENT_MOVED) {
            word_store(host.clientx, event->window.data1);
            word_store(host.clienty, event->window.data2);
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: keyevent(&event->key); break;
    case SDL_MOUSEMOTION:
        word_store(host.pointerx, event->motion.x);
        word_store(host.pointery, event->motion.y);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        word_store(host.pointerx, event->button.x);
        word_store(host.pointery, event->button.y);
        if (buttonbit(event->button.button))
            fenk_rawinput_button(buttonbit(event->button.button), event->type == SDL_MOUSEBUTTONDOWN);
        break;
    case SDL_MOUSEWHEEL: {
        // Sideways scrolling is a separate message on Windows, which the show ignores.
        int delta = event->wheel.y;
        if (event->wheel.direction == SDL_MOUSEWHEEL_FLIPPED) delta = -delta;
        if (delta) fenk_rawinput_wheel(delta);
        break;
    }
    case SDL_JOYDEVICEADDED: joystickadded(event->jdevice.which); break;
    case SDL_JOYDEVICEREMOVED: joystickremoved(event->jdevice.which); break;
    case SDL_JOYAXISMOTION:
    case SDL_JOYHATMOTION:
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
        int slot = joyslot(event->jaxis.which);
        if (slot >= 0) readjoystick(slot);
        break;
    }
    default: break;
    }
}

// ---------------------------------------------------------------------------
// Window and GL context (show thread)

struct WindowSetup {
    int width, height, fullscreen;
};

static void applycursor(void)
{
    int hidden = word_load(fenk_mouse_windowhide);
    SDL_ShowCursor(host.cursorcount >= 0 && !hidden ? SDL_ENABLE : SDL_DISABLE);
}

// Full screen only in a display mode of exactly the asked size: a larger mode
// would stretch the picture, which Windows would refuse as well.
static int switchfullscreen(int width, int height)
{
    int display = SDL_GetWindowDisplayIndex(host.window);
    if (display < 0) return 0;
    SDL_DisplayMode chosen;
    int found = 0;
    int modes = SDL_GetNumDisplayModes(display);
    for (int i = 0; i < modes; i++) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(display, i, &mode) != 0 || mode.w != width || mode.h != height) continue;
        if (!found || mode.refresh_rate == 60) {
            chosen = mode;
            found = 1;
        }
    }
    if (!found) {
        // Said once, with what the display offers, so the program can ask again.
        char sizes[1024] = "";
        size_t used = 0;
        for (int i = 0; i < modes && used < sizeof sizes; i++) {
            SDL_DisplayMode mode, before;
            if (SDL_GetDisplayMode(display, i, &mode) != 0) continue;
            if (i > 0 && SDL_GetDisplayMode(display, i - 1, &before) == 0 && before.w == mode.w &&
                before.h == mode.h)
                continue; // the same size at another rate
            int n = snprintf(sizes + used, sizeof sizes - used, "%s%dx%d", used ? ", " : "", mode.w, mode.h);
            if (n > 0) used += (size_t)n;
        }
        fenk_log(FENK_LOG_ERROR, "Full screen refused: the display has no %dx%d mode; it has %s\n", width,
                 height, used ? sizes : "none");
        return 0;
    }
    if (SDL_SetWindowDisplayMode(host.window, &chosen) != 0) return 0;
    if (SDL_SetWindowFullscreen(host.window, SDL_WINDOW_FULLSCREEN) != 0) {
        SDL_SetWindowFullscreen(host.window, 0);
        return 0;
    }
    return 1;
}

static void setupwindow(void *arg)
{
    const WindowSetup *setup = (const WindowSetup *)arg;
    if (host.fullscreen) {
        // Back to a window first: a new size or full screen again starts from there.
        SDL_SetWindowFullscreen(host.window, 0);
        host.fullscreen = 0;
        host.cursorcount++;
        word_store(fenk_mouse_windowhide, 0);
        applycursor();
    }
    SDL_SetWindowSize(host.window, setup->width, setup->height);
    // The window's outer corner at (10, 10), where the frame is known.
    int top = 0, left = 0;
    if (SDL_GetWindowBordersSize(host.window, &top, &left, NULL, NULL) != 0) top = left = 0;
    SDL_SetWindowPosition(host.window, 10 + left, 10 + top);
    SDL_ShowWindow(host.window);
    if (setup->fullscreen && switchfullscreen(setup->width, setup->height)) {
        host.fullscreen = 1;
        host.cursorcount--;
        word_store(fenk_mouse_windowhide, 1);
        applycursor();
    }
    SDL_RaiseWindow(host.window);
    int x, y;
    SDL_GetWindowPosition(host.window, &x, &y);
    word_store(host.clientx, x);
    word_store(host.clienty, y);
}

void fenk_initwindow(int width, int height, int flags)
{
    WindowSetup setup = {width, height, flags & 1};
    fenk_sdl_runonmain(setupwindow, &setup);

    // A second start-up keeps the context, and with it every texture, shader and frame
    // buffer the program made: only the window changed.
    if (!host.context) host.context = SDL_GL_CreateContext(host.window);
    if (host.context) SDL_GL_MakeCurrent(host.window, host.context);

    fenk_startglew();
}

void fenk_closewindow(void)
{
    SDL_GL_MakeCurrent(host.window, NULL);
    if (host.context) SDL_GL_DeleteContext(host.context);
    host.context = NULL;
}

void fenk_swapbuffers(void) { SDL_GL_SwapWindow(host.window); }

static void settitle(void *text) { SDL_SetWindowTitle(host.window, (const char *)text); }

void FENK_SetTitle(const char *text) { fenk_sdl_runonmain(settitle, (void *)(text ? text : "")); }

unsigned int FENK_GetMillis(void) { return SDL_GetTicks(); }

static void desktopsize(void *arg)
{
    int *size = (int *)arg;
    SDL_DisplayMode mode;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        size[0] = mode.w;
        size[1] = mode.h;
    }
}

void GetDesktopResolution(int &width, int &height)
{
    int size[2] = {0, 0};
    fenk_sdl_runonmain(desktopsize, size);
    width = size[0];
    height = size[1];
}

// ---------------------------------------------------------------------------
// Raw input (show thread)

void fenk_getkeys(int *unused1, int *unused2)
{
    (void)unused1;
    (void)unused2;
    int held[256];
    // A key that went down and up since the last poll reads held this once.
    for (int code = 0; code < 256; code++)
        held[code] = fenk_keytap_take(host.key_tapped, code) || word_load(host.key_held[code]);
    for (int side = 0xA0; side <= 0xA5; side++)
        if (held[side]) held[sidelesskey(side)] = 1;
    for (int code = 0; code < 256; code++) word_store(FENK_keys[code], held[code] ? 0x8000 : 0);
    word_store(FENK_joykey, fenk_keymask(FENK_keys));
}

void fenk_getmouse(int *x, int *y, int *buttons)
{
    int mode = word_load(fenk_input_mouse_mode);
    if (mode == 0 || mode == 1) {
        int px = word_load(host.pointerx), py = word_load(host.pointery);
        if (mode == 1) {
            px += word_load(host.clientx);
            py += word_load(host.clienty);
        }
        word_store(fenk_mouse_x, px);
        word_store(fenk_mouse_y, py);
        *x = px;
        *y = py;
    }
    *buttons = word_load(fenk_mouse_buttons);
}

static void warp(void *arg)
{
    const int *point = (const int *)arg;
    SDL_WarpMouseInWindow(host.window, point[0], point[1]);
    word_store(host.pointerx, point[0]);
    word_store(host.pointery, point[1]);
}

void fenk_setmouse(int x, int y)
{
    int point[2] = {x, y};
    fenk_sdl_runonmain(warp, point);
}

static void showcursor(void *arg)
{
    host.cursorcount += *(const int *)arg;
    applycursor();
}

void fenk_showmouse(void)
{
    int step = 1;
    fenk_sdl_runonmain(showcursor, &step);
}

void fenk_hidemouse(void)
{
    int step = -1;
    fenk_sdl_runonmain(showcursor, &step);
}

// As many as the Windows joystick service numbers, whether or not plugged.
int fenk_getnumjoysticks(void) { return FENK_SDL_MAXJOYSTICKS; }

// An id outside the slots counts as connected and fails to poll, as a Windows
// query error other than "unplugged" does.
int fenk_joystickconnected(int id)
{
    if (id < 0 || id >= FENK_SDL_MAXJOYSTICKS) return 1;
    return word_load(host.joysticks[id].connected);
}

int fenk_initjoystick(int id) { return id; }

int fenk_polljoystick(int id, int *x, int *y, int *z, int *r, int *buttons)
{
    if (id < 0 || id >= FENK_SDL_MAXJOYSTICKS || !word_load(host.joysticks[id].connected)) {
        *x = *y = *z = *r = *buttons = 0;
        return 0;
    }
    const JoySlot *slot = &host.joysticks[id];
    int layout = fenk_joysticklayout(word_load(slot->numbuttons));
    *x = fenk_joystickaxis((unsigned)word_load(slot->axis[0]));
    *y = fenk_joystickaxis((unsigned)word_load(slot->axis[1]));
    *z = fenk_joystickaxis((unsigned)word_load(slot->axis[2]));
    *r = fenk_joystickaxis((unsigned)word_load(slot->axis[3]));
    *buttons = fenk_joystickbits(layout, (unsigned)word_load(slot->pov), (unsigned)word_load(slot->buttons));
    return 1;
}
