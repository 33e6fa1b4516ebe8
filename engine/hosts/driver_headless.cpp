// The headless host: an EGL context on Mesa's surfaceless platform (or the first EGL
// device) with a pbuffer of the video size standing for the window, a virtual clock
// that moves with presented frames, frames read back for a sink, and scripted input.
#include "hosts/driver_headless.h"
#include "platform/log.h"

#include <GL/glew.h>
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

#include "hosts/headless_readback.h"
#include "input/rawinput.h"
#include "hosts/audiodriver_headless.h"
#include "platform/virtualclock.h"

namespace {

// The host's whole state.
struct HeadlessHost {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    int window_width;
    int window_height;
    char title[256];

    uint64_t frames_presented;
    fenk_headless_frameplan frame_plan; // NULL: every frame drawn and shown
    void *frame_plan_user;

    s_virtualclock clock;

    bool key_held[FENK_NUMKEYS];
    int key_tapped[FENK_NUMKEYS]; // down since the last poll (rawinput.h)
    int cursor_x;
    int cursor_y;
    int cursor_count;

    // Audio frames the clock had reached at its last change (clock_moved).
    uint64_t audio_frames_seen;
};

HeadlessHost host;

constexpr unsigned audio_rate = 44100;
static_assert(FENK_HEADLESS_SPINREADS == VIRTUALCLOCK_SPINREADS,
              "the installed header tells the clock's spin");

// Every change of the clock ends here, with the new time known exactly. The sound
// device plays what the clock moved forward since the last change; it counts from its
// own start, so a device opened late does not play the time before it at once.
void clock_moved()
{
    const uint64_t audio_frames = virtualclock_frames(&host.clock, audio_rate);
    if (audio_frames > host.audio_frames_seen)
        audiodriver_headless_advance(audiodriver_headless_played() + (audio_frames - host.audio_frames_seen));
    host.audio_frames_seen = audio_frames;
}

} // namespace

void headless_fail(const char *what)
{
    fenk_log(FENK_LOG_ERROR, "- ERROR: Headless host: %s\n", what);
    fflush(stdout);
    exit(1);
}

namespace {

EGLDisplay platform_display(EGLenum platform, void *native)
{
    auto get =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!get) return EGL_NO_DISPLAY;
    return get(platform, native, nullptr);
}

bool initialise(EGLDisplay candidate)
{
    if (candidate == EGL_NO_DISPLAY) return false;
    EGLint major = 0, minor = 0;
    if (!eglInitialize(candidate, &major, &minor)) return false;
    host.display = candidate;
    return true;
}

// Mesa's surfaceless platform first; where it is missing, the first EGL device (a GPU
// driver without Mesa's platforms).
void open_display()
{
    if (host.display != EGL_NO_DISPLAY) return;
    if (initialise(platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY))) return;
    auto query = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    if (query) {
        EGLDeviceEXT device;
        EGLint count = 0;
        if (query(1, &device, &count) && count > 0 &&
            initialise(platform_display(EGL_PLATFORM_DEVICE_EXT, device)))
            return;
    }
    headless_fail("no EGL display without a display server.");
}

// What the plan makes of the frame being drawn now.
int frame_kind()
{
    return host.frame_plan ? host.frame_plan(host.frames_presented, host.frame_plan_user)
                           : FENK_HEADLESS_SHOWN;
}

bool drawing() { return frame_kind() != FENK_HEADLESS_UNDRAWN; }

bool showing() { return frame_kind() == FENK_HEADLESS_SHOWN; }

int present_from(unsigned int fbo) { return showing() ? headless_readback_source(fbo) : 0; }

// Gives the engine this host's hooks for the frame about to be drawn.
void give_hooks()
{
    if (host.context == EGL_NO_CONTEXT) return;
    const s_hosthooks hooks = {present_from, !drawing()};
    fenk_sethosthooks(&hooks);
}

} // namespace

// ---- Window and context ----

void fenk_initwindow(int width, int height, int flags)
{
    (void)flags; // there is no screen to take over
    host.window_width = width > 0 ? width : 1;
    host.window_height = height > 0 ? height : 1;
    open_display();
    if (!eglBindAPI(EGL_OPENGL_API)) headless_fail("no desktop OpenGL through EGL.");

    const EGLint config_attribs[] = {EGL_SURFACE_TYPE,
                                     EGL_PBUFFER_BIT,
                                     EGL_RENDERABLE_TYPE,
                                     EGL_OPENGL_BIT,
                                     EGL_RED_SIZE,
                                     8,
                                     EGL_GREEN_SIZE,
                                     8,
                                     EGL_BLUE_SIZE,
                                     8,
                                     EGL_ALPHA_SIZE,
                                     8,
                                     EGL_DEPTH_SIZE,
                                     24,
                                     EGL_NONE};
    EGLConfig config;
    EGLint count = 0;
    if (!eglChooseConfig(host.display, config_attribs, &config, 1, &count) || count < 1)
        headless_fail("no pbuffer configuration with desktop OpenGL.");
    const EGLint pbuffer_attribs[] = {EGL_WIDTH, host.window_width, EGL_HEIGHT, host.window_height, EGL_NONE};
    const EGLSurface surface = eglCreatePbufferSurface(host.display, config, pbuffer_attribs);
    if (surface == EGL_NO_SURFACE) headless_fail("pbuffer not created.");

    if (host.context != EGL_NO_CONTEXT) {
        // A second start-up resizes the window: the context, and every texture, shader
        // and frame buffer in it, stays; only the pbuffer standing for the window is new.
        headless_readback_close();
        if (!eglMakeCurrent(host.display, surface, surface, host.context))
            headless_fail("OpenGL context not made current.");
        eglDestroySurface(host.display, host.surface);
        host.surface = surface;
    } else {
        host.surface = surface;
        // No version asked: a legacy context, which is the compatibility profile the
        // fixed pipeline and GLSL 1.20 need.
        host.context = eglCreateContext(host.display, config, EGL_NO_CONTEXT, nullptr);
        if (host.context == EGL_NO_CONTEXT) headless_fail("OpenGL context not created.");
        if (!eglMakeCurrent(host.display, host.surface, host.surface, host.context))
            headless_fail("OpenGL context not made current.");
    }

    fenk_startglew();
    headless_readback_open(host.window_width, host.window_height);
    give_hooks();
}

void fenk_closewindow(void)
{
    if (host.display == EGL_NO_DISPLAY) return;
    if (host.context != EGL_NO_CONTEXT) headless_readback_close();
    fenk_sethosthooks(nullptr);
    eglMakeCurrent(host.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (host.context != EGL_NO_CONTEXT) eglDestroyContext(host.display, host.context);
    if (host.surface != EGL_NO_SURFACE) eglDestroySurface(host.display, host.surface);
    host.context = EGL_NO_CONTEXT;
    host.surface = EGL_NO_SURFACE;
}

void fenk_swapbuffers(void)
{
    if (host.surface == EGL_NO_SURFACE) return;
    headless_readback_frame(showing(), host.frames_presented,
                            static_cast<uint32_t>(virtualclock_millis(&host.clock)));
    eglSwapBuffers(host.display, host.surface);
    host.frames_presented += 1;
    give_hooks(); // for the next frame
    virtualclock_frame(&host.clock);
    clock_moved();
}

void FENK_SetTitle(const char *text) { snprintf(host.title, sizeof(host.title), "%s", text ? text : ""); }

unsigned int FENK_GetMillis(void)
{
    if (virtualclock_spin(&host.clock)) clock_moved();
    return static_cast<unsigned int>(virtualclock_millis(&host.clock));
}

void GetDesktopResolution(int &width, int &height)
{
    // A headless machine stands for the screen the show is made for.
    width = 1920;
    height = 1080;
}

// ---- Raw input ----

void fenk_getkeys(int *, int *)
{
    for (int code = 0; code < FENK_NUMKEYS; ++code)
        FENK_keys[code] = fenk_keytap_take(host.key_tapped, code) || host.key_held[code] ? 0x8000 : 0;
    // A left or right Shift, Ctrl or Alt (0xA0..0xA5) reads held on its sideless code
    // too, as the system's key state reads it for a window.
    for (int side = 0xA0; side <= 0xA5; ++side)
        if (FENK_keys[side]) FENK_keys[0x10 + (side - 0xA0) / 2] = 0x8000;
    FENK_joykey = fenk_keymask(FENK_keys);
}

void fenk_getmouse(int *x, int *y, int *buttons)
{
    // The headless window's client area starts at the screen's origin.
    if (fenk_input_mouse_mode == 0 || fenk_input_mouse_mode == 1) {
        fenk_mouse_x = host.cursor_x;
        fenk_mouse_y = host.cursor_y;
        *x = host.cursor_x;
        *y = host.cursor_y;
    }
    *buttons = fenk_mouse_buttons;
}

void fenk_setmouse(int x, int y)
{
    host.cursor_x = x;
    host.cursor_y = y;
}

void fenk_showmouse(void) { host.cursor_count += 1; }

void fenk_hidemouse(void) { host.cursor_count -= 1; }

int fenk_getnumjoysticks(void) { return 0; }

int fenk_joystickconnected(int) { return 0; }

int fenk_initjoystick(int id) { return id; }

int fenk_polljoystick(int, int *x, int *y, int *z, int *r, int *buttons)
{
    *x = *y = *z = *r = *buttons = 0;
    return 0;
}

// ---- Control by programs and tests ----

void fenk_headless_setframeplan(fenk_headless_frameplan plan, void *user)
{
    host.frame_plan = plan;
    host.frame_plan_user = user;
    give_hooks();
}

void fenk_headless_setclock(uint64_t millis)
{
    virtualclock_set(&host.clock, millis);
    clock_moved();
}

void fenk_headless_advanceclock(uint64_t millis)
{
    virtualclock_advance(&host.clock, millis);
    clock_moved();
}

void fenk_headless_setframerate(int fps)
{
    virtualclock_setrate(&host.clock, fps);
    clock_moved();
}

uint64_t fenk_headless_clock(void) { return virtualclock_millis(&host.clock); }

uint64_t fenk_headless_framecount(void) { return host.frames_presented; }

uint64_t fenk_headless_audioframes(void) { return virtualclock_frames(&host.clock, audio_rate); }

const char *fenk_headless_title(void) { return host.title; }

void fenk_headless_windowsize(int *width, int *height)
{
    *width = host.window_width;
    *height = host.window_height;
}

int fenk_headless_windowopen(void) { return host.context != EGL_NO_CONTEXT; }

int fenk_headless_cursorcount(void) { return host.cursor_count; }

void fenk_headless_key(int vk, int down)
{
    host.key_held[vk & 0xFF] = down != 0;
    if (down) fenk_keytap_down(host.key_tapped, vk);
    if (down)
        fenk_rawinput_keydown(static_cast<unsigned int>(vk));
    else
        fenk_rawinput_keyup(static_cast<unsigned int>(vk));
}

void fenk_headless_mousemove(int x, int y)
{
    host.cursor_x = x;
    host.cursor_y = y;
}

void fenk_headless_mousebutton(int bit, int down) { fenk_rawinput_button(bit, down); }

void fenk_headless_mousewheel(int delta) { fenk_rawinput_wheel(delta); }

void fenk_headless_close(void)
{
    if (fenk_rawinput_close()) return;
    fenk_headless_flushframes();
    fflush(stdout);
    fflush(stderr);
    _exit(0);
}
