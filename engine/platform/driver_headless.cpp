// The headless host: an EGL context on Mesa's surfaceless platform (or the first EGL
// device) with a pbuffer of the video size standing for the window, a virtual clock
// that moves with presented frames, frames read back for a sink, and scripted input.
#include "platform/driver_headless.h"

#include <GL/glew.h>
#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/rawinput.h"
#include "sound/audiodriver_headless.h"
#include "video/fenk.h"
#include "video/video_opengl_extended.h"

namespace {

constexpr int ring_size = 2;

struct Pending {
    bool waiting;
    bool drawn;
    int slot;
    int width;
    int height;
    uint64_t frame;
    uint32_t millis;
};

// The host's whole state.
struct HeadlessHost {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    int window_width;
    int window_height;
    char title[256];

    fenk_headless_framesink frame_sink;
    void *frame_sink_user;
    std::vector<unsigned char> readback;
    std::vector<unsigned char> topdown;
    uint64_t frames_presented;
    uint64_t draw_from;
    uint64_t show_from;

    // The clock is clock_num / clock_den milliseconds. In frame mode clock_den is the
    // frame rate, so one frame is exactly 1000 units and no rounding ever accumulates.
    uint64_t clock_num;
    uint64_t clock_den = 1;
    int frame_rate;
    unsigned spin_reads;

    bool key_held[FENK_NUMKEYS];
    int key_tapped[FENK_NUMKEYS]; // down since the last poll (rawinput.h)
    int cursor_x;
    int cursor_y;
    int cursor_count;

    // Audio frames the clock had reached at its last change (clock_moved).
    uint64_t audio_frames_seen;

    // FENK_HEADLESS_READBACK=window reads every frame from the window after the engine's
    // presentation pass, as this host always did: for measuring the difference only.
    bool window_readback;
    GLuint present_fbo;

    // Pixel buffer objects that deferred frames are read into (see Read-back).
    GLuint ring[ring_size];
    size_t ring_bytes;
    int ring_next;
    bool defer_frames;
    Pending pending;
};

HeadlessHost host;

constexpr uint64_t audio_rate = 44100;

uint64_t audio_frames_at(uint64_t num, uint64_t den)
{
    return static_cast<uint64_t>(static_cast<unsigned __int128>(num) * audio_rate / (1000 * den));
}

// Every change of the clock ends here, with the new time known exactly. The sound
// device plays what the clock moved forward since the last change; it counts from its
// own start, so a device opened late does not play the time before it at once.
void clock_moved()
{
    host.spin_reads = 0;
    const uint64_t audio_frames = audio_frames_at(host.clock_num, host.clock_den);
    if (audio_frames > host.audio_frames_seen)
        audiodriver_headless_advance(audiodriver_headless_played() + (audio_frames - host.audio_frames_seen));
    host.audio_frames_seen = audio_frames;
}

void fail(const char *what)
{
    printf("- ERROR: Headless host: %s\n", what);
    fflush(stdout);
    exit(1);
}

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
    fail("no EGL display without a display server.");
}

// ---- Read-back ----
//
// A frame is read from the frame buffer object the engine names for it (the window's
// when it names 0), top row first where the driver can turn rows over itself
// (MESA_pack_invert), else turned over here. With frames deferred, each frame is read
// into one of a ring of pixel buffer objects and handed to the sink during the next
// presentation, so that the driver can finish the read while the next frame is drawn,
// and the sink's own work overlaps the drawing of the next frame.

bool can_invert() { return !host.window_readback && GLEW_MESA_pack_invert; }
bool can_defer() { return glGenBuffers && glBindBuffer && glBufferData && glMapBuffer && glUnmapBuffer; }

// Reads the frame into `target` (a byte offset when a pixel buffer is bound); true when
// it came top row first.
bool read_pixels(void *target)
{
    GLint bound = 0;
    if (glBindFramebufferEXT) {
        glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
        if (static_cast<GLuint>(bound) != host.present_fbo)
            glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, host.present_fbo);
    }
    const bool invert = can_invert();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (invert) glPixelStorei(GL_PACK_INVERT_MESA, GL_TRUE);
    glReadPixels(0, 0, host.window_width, host.window_height, GL_RGBA, GL_UNSIGNED_BYTE, target);
    if (invert) glPixelStorei(GL_PACK_INVERT_MESA, GL_FALSE);
    if (glBindFramebufferEXT && static_cast<GLuint>(bound) != host.present_fbo)
        glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, static_cast<GLuint>(bound));
    return invert;
}

// The pixels as the sink wants them, top row first, from rows read in either order.
const unsigned char *top_first(const unsigned char *pixels, bool inverted, int width, int height)
{
    if (inverted) return pixels;
    const size_t row = static_cast<size_t>(width) * 4;
    host.topdown.resize(row * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        memcpy(&host.topdown[row * static_cast<size_t>(y)],
               &pixels[row * static_cast<size_t>(height - 1 - y)], row);
    return host.topdown.data();
}

void read_frame_now(uint64_t frame, uint32_t millis)
{
    host.readback.resize(static_cast<size_t>(host.window_width) * 4 *
                         static_cast<size_t>(host.window_height));
    const bool inverted = read_pixels(host.readback.data());
    host.frame_sink(host.window_width, host.window_height,
                    top_first(host.readback.data(), inverted, host.window_width, host.window_height), frame,
                    millis, host.frame_sink_user);
}

void release_ring()
{
    if (host.ring[0] && host.context != EGL_NO_CONTEXT) glDeleteBuffers(ring_size, host.ring);
    for (GLuint &buffer : host.ring) buffer = 0;
    host.ring_bytes = 0;
    host.ring_next = 0;
}

// Starts reading the frame into the next buffer of the ring; the slot it went to.
int start_read()
{
    const size_t bytes = static_cast<size_t>(host.window_width) * 4 * static_cast<size_t>(host.window_height);
    if (!host.ring[0]) glGenBuffers(ring_size, host.ring);
    const int slot = host.ring_next;
    host.ring_next = (host.ring_next + 1) % ring_size;
    glBindBuffer(GL_PIXEL_PACK_BUFFER, host.ring[slot]);
    if (host.ring_bytes != bytes) {
        for (GLuint buffer : host.ring) {
            glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
            glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
        }
        host.ring_bytes = bytes;
        glBindBuffer(GL_PIXEL_PACK_BUFFER, host.ring[slot]);
    }
    read_pixels(nullptr);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return slot;
}

// Hands the deferred frame, if any, to the sink. Its pixel buffer is only mapped now, so
// the read has had all the time since its presentation to finish.
void deliver_pending()
{
    if (!host.pending.waiting) return;
    host.pending.waiting = false;
    if (!host.frame_sink) return;
    if (!host.pending.drawn) {
        host.frame_sink(host.pending.width, host.pending.height, nullptr, host.pending.frame,
                        host.pending.millis, host.frame_sink_user);
        return;
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, host.ring[host.pending.slot]);
    const auto *pixels = static_cast<const unsigned char *>(glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY));
    if (!pixels) fail("frame read-back not mapped.");
    // Unbound while the sink runs: a read of its own would otherwise go into the buffer.
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    host.frame_sink(host.pending.width, host.pending.height,
                    top_first(pixels, can_invert(), host.pending.width, host.pending.height),
                    host.pending.frame, host.pending.millis, host.frame_sink_user);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, host.ring[host.pending.slot]);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
}

void present_frame(bool drawn, uint32_t millis)
{
    if (!host.defer_frames || host.window_readback || !can_defer()) {
        if (drawn)
            read_frame_now(host.frames_presented, millis);
        else
            host.frame_sink(host.window_width, host.window_height, nullptr, host.frames_presented, millis,
                            host.frame_sink_user);
        return;
    }
    // The drawing of this frame starts before the sink's work on the last one.
    if (drawn) glFlush();
    deliver_pending();
    host.pending = Pending{
        true,  drawn, drawn ? start_read() : 0, host.window_width, host.window_height, host.frames_presented,
        millis};
}

void clip_everything(bool on)
{
    if (host.context != EGL_NO_CONTEXT) fenk_clipnothing(on);
}

bool drawing() { return host.frames_presented >= host.draw_from; }

bool showing() { return drawing() && host.frames_presented >= host.show_from; }

int present_from(unsigned int fbo)
{
    if (!showing()) return 0;
    host.present_fbo = host.window_readback ? 0 : fbo;
    return host.present_fbo == 0;
}

} // namespace

// ---- Window and context ----

void fenk_initwindow(int width, int height, int flags)
{
    (void)flags;        // there is no screen to take over
    fenk_closewindow(); // a second start-up replaces the window instead of leaking it
    host.window_width = width > 0 ? width : 1;
    host.window_height = height > 0 ? height : 1;
    open_display();
    if (!eglBindAPI(EGL_OPENGL_API)) fail("no desktop OpenGL through EGL.");

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
        fail("no pbuffer configuration with desktop OpenGL.");
    const EGLint pbuffer_attribs[] = {EGL_WIDTH, host.window_width, EGL_HEIGHT, host.window_height, EGL_NONE};
    host.surface = eglCreatePbufferSurface(host.display, config, pbuffer_attribs);
    if (host.surface == EGL_NO_SURFACE) fail("pbuffer not created.");
    // No version asked: a legacy context, which is the compatibility profile the fixed
    // pipeline and GLSL 1.20 need.
    host.context = eglCreateContext(host.display, config, EGL_NO_CONTEXT, nullptr);
    if (host.context == EGL_NO_CONTEXT) fail("OpenGL context not created.");
    if (!eglMakeCurrent(host.display, host.surface, host.surface, host.context))
        fail("OpenGL context not made current.");

    fenk_startglew();
    clip_everything(!drawing());
    static const bool old_readback = [] {
        const char *mode = getenv("FENK_HEADLESS_READBACK");
        return mode && strcmp(mode, "window") == 0;
    }();
    host.window_readback = old_readback;
    fenk_presentfrom = present_from;
}

void fenk_closewindow(void)
{
    if (host.display == EGL_NO_DISPLAY) return;
    if (host.context != EGL_NO_CONTEXT) {
        deliver_pending();
        release_ring();
    }
    fenk_presentfrom = nullptr;
    eglMakeCurrent(host.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (host.context != EGL_NO_CONTEXT) eglDestroyContext(host.display, host.context);
    if (host.surface != EGL_NO_SURFACE) eglDestroySurface(host.display, host.surface);
    host.context = EGL_NO_CONTEXT;
    host.surface = EGL_NO_SURFACE;
}

void fenk_swapbuffers(void)
{
    if (host.surface == EGL_NO_SURFACE) return;
    if (host.frame_sink) present_frame(showing(), static_cast<uint32_t>(host.clock_num / host.clock_den));
    host.present_fbo = 0;
    eglSwapBuffers(host.display, host.surface);
    host.frames_presented += 1;
    if (host.frames_presented == host.draw_from) clip_everything(false);
    if (host.frame_rate > 0) host.clock_num += 1000;
    clock_moved();
}

void FENK_SetTitle(const char *text) { snprintf(host.title, sizeof(host.title), "%s", text ? text : ""); }

unsigned int FENK_GetMillis(void)
{
    if (++host.spin_reads > FENK_HEADLESS_SPINREADS) {
        if (host.frame_rate > 0)
            host.clock_num = (host.clock_num / 1000 + 1) * 1000;
        else
            host.clock_num += host.clock_den;
        clock_moved();
    }
    return static_cast<unsigned int>(host.clock_num / host.clock_den);
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

void fenk_headless_setframesink(fenk_headless_framesink sink, void *user)
{
    if (host.context != EGL_NO_CONTEXT) deliver_pending(); // the old sink's frame
    host.frame_sink = sink;
    host.frame_sink_user = user;
}

void fenk_headless_deferframes(int on)
{
    if (!on && host.context != EGL_NO_CONTEXT) deliver_pending();
    host.defer_frames = on != 0;
}

void fenk_headless_flushframes(void)
{
    if (host.context != EGL_NO_CONTEXT) deliver_pending();
}

void fenk_headless_drawfrom(uint64_t frame)
{
    host.draw_from = frame;
    clip_everything(!drawing());
}

void fenk_headless_showfrom(uint64_t frame) { host.show_from = frame; }

void fenk_headless_setclock(uint64_t millis)
{
    host.clock_num = millis * host.clock_den;
    clock_moved();
}

void fenk_headless_advanceclock(uint64_t millis)
{
    host.clock_num += millis * host.clock_den;
    clock_moved();
}

void fenk_headless_setframerate(int fps)
{
    const uint64_t den = fps > 0 ? static_cast<uint64_t>(fps) : 1;
    host.clock_num =
        static_cast<uint64_t>(static_cast<unsigned __int128>(host.clock_num) * den / host.clock_den);
    host.clock_den = den;
    host.frame_rate = fps > 0 ? fps : 0;
    clock_moved();
}

uint64_t fenk_headless_clock(void) { return host.clock_num / host.clock_den; }

uint64_t fenk_headless_framecount(void) { return host.frames_presented; }

uint64_t fenk_headless_audioframes(void) { return audio_frames_at(host.clock_num, host.clock_den); }

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
