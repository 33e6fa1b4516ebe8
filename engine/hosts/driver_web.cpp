// The web host: WebAssembly in a page, on the page's one thread. coremain runs from
// main under Asyncify; each swap hands control back to the browser until its next
// animation frame, which is when the canvas is shown, input events arrive and Web Audio
// pulls sound. GL is WebGL 2 through EGL under the legacy GL emulation, input comes
// through html5.h, files come from the data preloaded into the virtual file system.
//
// Before coremain a start gate ("click or press a key to start") stands while the
// page's AudioContext is suspended (no user gesture yet), so the music clock never
// runs unseen. A browser that does not start the context within a few seconds of the
// gesture (no sound device) gets the silent device on the host clock, and the page a
// line saying so (Module.fenkNotice). When coremain returns the page is told
// (Module.fenkEnded); closing the tab ends the show wherever it is, as closing the
// window does on the other hosts, unless the program catches the close
// (web_watchclose).
//
// The files the program writes through the file layer are kept in the browser's
// IndexedDB and put back before coremain on the next visit (fenk_filewritten).
//
// A page that sets Module.fenkFrameRate (a test's) gets the headless host's virtual
// clock instead of the wall clock: frame n at n x 1000 / rate ms, busy-waits moved on to
// the next frame's time after 16 reads, no start gate and no Web Audio, the silent
// device playing what the clock moves forward. Module.fenkOnFrame(n), where set, is
// called with each frame drawn and not yet shown (the canvas may be read then).
// Module.fenkDrawFrom = N runs frames 0 .. N-1 undrawn (every draw clipped to nothing,
// as the headless host's late start does), a fast way to a late frame.
#include "hosts/driver_web.h"
#include "hosts/audiodriver_web.h"
#include "platform/virtualclock.h"

#include "platform/log.h"
#include "input/rawinput.h"
#include "sound/coresound.h"

#include <EGL/egl.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

struct JoySlot {
    int connected;
    int numbuttons;
    int axis[4]; // 0..65535, centre 32767
    int pov;     // hundredths of a degree, 65535 centred
    int buttons; // bit n: button n held
};

struct WebHost {
    EGLDisplay display;
    EGLSurface surface;
    EGLContext context;
    int width, height; // the canvas's drawing size; 0 while closed
    int key_held[256];
    int key_tapped[256]; // rawinput.h's taps between two polls
    int cursorcount;     // as the Windows cursor counts: shown while >= 0
    JoySlot joysticks[FENK_WEB_MAXJOYSTICKS];
    // Under a test, the clock: frames at the page's rate (Module.fenkFrameRate).
    bool virtual_clock;
    s_virtualclock clock;
    uint64_t frames;   // presented
    uint64_t drawfrom; // frames before it run undrawn
};

WebHost host;

} // namespace

// ---- The page's side ----

// Waits for the browser's next animation frame (a hidden page has none: the show waits
// with it), having first kept what the program wrote since the last. With `catching`
// set, the page going away (web_watchclose) ends the wait at once instead; returns 1
// then, else 0.
EM_ASYNC_JS(int, web_nextframe, (int catching), {
    if (Module.fenkSaves) await Module.fenkSaves.flush();
    return await new Promise(function(resolve) {
        if (catching && Module.fenkClosing) {
            resolve(1);
            return;
        }
        var frame = requestAnimationFrame(function() {
            Module.fenkWakeForClose = null;
            resolve(0);
        });
        Module.fenkWakeForClose = catching ? function()
        {
            cancelAnimationFrame(frame);
            Module.fenkWakeForClose = null;
            resolve(1);
        } : null;
    });
});

// The page going away is the web's close. Nothing runs after it, but what a promise
// resolved in its handler starts runs first: a program that catches the close and is
// waiting for its next frame goes on from there at once, as far as its next wait for a
// frame, which is enough to see the close, save and return.
EM_JS(void, web_watchclose, (), {
    function closing()
    {
        Module.fenkClosing = true;
        if (Module.fenkWakeForClose) Module.fenkWakeForClose();
    }
    window.addEventListener('pagehide', closing);
    window.addEventListener('beforeunload', closing);
});

// A line for the visitor: the page shows it (Module.fenkNotice), else the console.
EM_JS(void, web_notice, (const char *text), {
    var line = UTF8ToString(text);
    if (Module.fenkNotice)
        Module.fenkNotice(line);
    else
        console.warn(line);
});

// Saves. Emscripten's IDBFS keeps a folder in IndexedDB, one database per folder: the
// folder is /fenk-saved/<program>, and it holds a copy of each file the program wrote
// at the file's own path below it (/fenk-saved/breakout/breakout/highscore.txt). Here
// the folder is read back and each copy put in its place, over what the page
// preloaded; Module.fenkSaves.flush copies the files written since (those whose time
// changed) and stores the folder. Without IndexedDB (a
// private window may refuse it) saves last the visit, and the page says so.
EM_ASYNC_JS(void, web_loadsaves, (const char *program), {
    var root = '/fenk-saved/' + UTF8ToString(program);
    var kept = {}; // path: the file's time when last copied, -1 to copy at the next flush
    function refused(error)
    {
        var line = 'Saves last only this visit: the browser did not let the page keep them (' + error + ')';
        if (Module.fenkNotice)
            Module.fenkNotice(line);
        else
            console.warn(line);
        Module.fenkSaves = null;
    }
    function sync(populate)
    {
        return new Promise(function(resolve) { FS.syncfs(populate, resolve); });
    }
    function flush()
    {
        var changed = false;
        for (var path in kept) {
            var time;
            try {
                time = FS.stat(path).mtime.getTime();
            } catch (e) {
                continue;
            }
            if (time == kept[path]) continue;
            kept[path] = time;
            var copy = root + path;
            FS.mkdirTree(copy.slice(0, copy.lastIndexOf('/')));
            FS.writeFile(copy, FS.readFile(path));
            changed = true;
        }
        if (!changed) return Promise.resolve();
        return sync(false).then(function(error) {
            if (error) refused(error);
        });
    }
    function keep(name, whole)
    {
        var path = PATH_FS.resolve(name);
        if (whole || !(path in kept)) kept[path] = -1;
    }
    try {
        FS.mkdirTree(root);
        FS.mount(IDBFS, {}, root);
    } catch (e) {
        return refused(e);
    }
    Module.fenkSaves = {flush : flush, keep : keep};
    var error = await sync(true);
    if (error) return refused(error);
    function restore(folder)
    {
        FS.readdir(folder).forEach(function(name) {
            if (name == '.' || name == '..') return;
            var copy = folder + '/' + name;
            if (FS.isDir(FS.stat(copy).mode)) return restore(copy);
            var path = copy.slice(root.length);
            try {
                FS.mkdirTree(path.slice(0, path.lastIndexOf('/')));
                FS.writeFile(path, FS.readFile(copy));
                kept[path] = FS.stat(path).mtime.getTime();
            } catch (e) {
                console.warn('a saved ' + path + ' could not be put back: ' + e);
            }
        });
    }
    restore(root);
});

// A file the layer wrote: kept from now on; a whole one (corefile_savebuffer) stored at
// once, so that a save the program reports is in the browser's storage.
EM_ASYNC_JS(void, web_keepfile, (const char *name, int whole), {
    if (!Module.fenkSaves) return;
    Module.fenkSaves.keep(UTF8ToString(name), whole);
    if (whole) await Module.fenkSaves.flush();
});

// The start gate. Makes the page's AudioContext (Module.fenkAudioContext) at the rate the
// mixer plays; while the browser keeps it suspended, shows the gate (the page's element
// #fenk-gate if it has one, else one made here) until a click or a key press, and
// resumes the context then. Returns 1 with a running context, 0 without Web Audio, -1
// when the context is not running `wait` ms after the gesture (a browser without a
// sound device may never settle the resume) or the browser refused it.
EM_ASYNC_JS(int, web_startgate, (int rate, int wait), {
    var Context = window.AudioContext || window.webkitAudioContext;
    if (!Context) return 0;
    var context;
    try {
        context = new Context({sampleRate : rate});
    } catch (e) {
        return 0;
    }
    Module.fenkAudioContext = context;
    if (context.state != 'running') {
        var gate = document.getElementById('fenk-gate');
        var made = !gate;
        if (made) {
            gate = document.createElement('div');
            gate.id = 'fenk-gate';
            gate.textContent = 'click or press a key to start';
            gate.style.cssText =
                'position:fixed;inset:0;display:flex;align-items:center;justify-content:center;' +
                'color:#ccc;background:#000;font:24px sans-serif;cursor:pointer;z-index:10';
            document.body.appendChild(gate);
        }
        gate.style.display = 'flex';
        await new Promise(function(resolve) {
            function go(event)
            {
                if (event.type == 'keydown') event.preventDefault();
                window.removeEventListener('keydown', go, true);
                window.removeEventListener('pointerdown', go, true);
                setTimeout(resolve, wait);
                context.resume().then(resolve, resolve);
            }
            window.addEventListener('keydown', go, true);
            window.addEventListener('pointerdown', go, true);
        });
        if (made)
            gate.remove();
        else
            gate.style.display = 'none';
    }
    return context.state == 'running' ? 1 : -1;
});

EM_JS(int, web_framerate, (), { return Module.fenkFrameRate > 0 ? Module.fenkFrameRate | 0 : 0; });

EM_JS(double, web_drawfrom, (), { return Module.fenkDrawFrom > 0 ? Module.fenkDrawFrom : 0; });

EM_JS(void, web_onframe, (double frame), {
    if (Module.fenkOnFrame) Module.fenkOnFrame(frame);
});

EM_JS(void, web_ended, (int code), {
    if (Module.fenkAudioContext) Module.fenkAudioContext.suspend();
    if (Module.fenkEnded) Module.fenkEnded(code);
});

EM_JS(void, web_settitle, (const char *text), { document.title = UTF8ToString(text); });

EM_JS(void, web_setcursor, (int shown), {
    if (Module.canvas) Module.canvas.style.cursor = shown ? 'auto' : 'none';
});

EM_JS(int, web_screensize, (int which), { return which ? screen.height : screen.width; });

// ---- Events ----

static int joyaxis(double value)
{
    const double raw = floor((value + 1) * 32767.5);
    return raw < 0 ? 0 : raw > 65535 ? 65535 : (int)raw;
}

static int sidelesskey(int vk) { return vk >= 0xA0 && vk <= 0xA5 ? 0x10 + (vk - 0xA0) / 2 : vk; }

static EM_BOOL onkey(int type, const EmscriptenKeyboardEvent *event, void *)
{
    const int vk = fenk_web_virtualkey((int)event->keyCode, (int)event->location);
    if (!vk) return EM_FALSE;
    const int down = type == EMSCRIPTEN_EVENT_KEYDOWN;
    host.key_held[vk] = down;
    if (down && !event->repeat) fenk_keytap_down(host.key_tapped, vk);
    // As on Windows, Alt, F10 and keys struck with Alt held are system keys: they never
    // reach the key table or the key code.
    const int alt = host.key_held[0xA4] || host.key_held[0xA5] || vk == 0xA4 || vk == 0xA5;
    if (!alt && vk != 0x79) {
        if (down)
            fenk_rawinput_keydown(sidelesskey(vk));
        else
            fenk_rawinput_keyup(sidelesskey(vk));
    }
    // The browser keeps its own keys (reload, full screen, developer tools).
    return vk == 0x74 || vk == 0x7A || vk == 0x7B ? EM_FALSE : EM_TRUE;
}

// Page pixels over the canvas as the canvas's own pixels: the page scales the canvas
// to fill the window.
static void pointer(const EmscriptenMouseEvent *event)
{
    double cssw = 0, cssh = 0;
    emscripten_get_element_css_size("#canvas", &cssw, &cssh);
    const double sx = cssw > 0 ? host.width / cssw : 1, sy = cssh > 0 ? host.height / cssh : 1;
    fenk_mouse_x = (int)(event->targetX * sx);
    fenk_mouse_y = (int)(event->targetY * sy);
}

static int buttonbit(unsigned short button)
{
    return button == 0   ? FENK_MOUSE_LEFT
           : button == 2 ? FENK_MOUSE_RIGHT
           : button == 1 ? FENK_MOUSE_MIDDLE
                         : 0;
}

static EM_BOOL onmouse(int type, const EmscriptenMouseEvent *event, void *)
{
    pointer(event);
    if (type == EMSCRIPTEN_EVENT_MOUSEDOWN || type == EMSCRIPTEN_EVENT_MOUSEUP) {
        const int bit = buttonbit(event->button);
        if (bit) fenk_rawinput_button(bit, type == EMSCRIPTEN_EVENT_MOUSEDOWN);
    }
    return EM_FALSE;
}

// Up (away from the user) is a positive step, as on Windows.
static EM_BOOL onwheel(int, const EmscriptenWheelEvent *event, void *)
{
    if (event->deltaY < 0)
        fenk_rawinput_wheel(1);
    else if (event->deltaY > 0)
        fenk_rawinput_wheel(-1);
    return EM_TRUE;
}

// The browser's gamepads, read once per poll (the Gamepad interface has no events for
// moves). Standard mapping: buttons 12..15 are the pad's up, down, left, right.
static void readgamepads(void)
{
    const int sampled = emscripten_sample_gamepad_data() == EMSCRIPTEN_RESULT_SUCCESS;
    const int count = sampled ? emscripten_get_num_gamepads() : 0;
    for (int i = 0; i < FENK_WEB_MAXJOYSTICKS; i++) {
        JoySlot &slot = host.joysticks[i];
        EmscriptenGamepadEvent pad;
        if (i >= count || emscripten_get_gamepad_status(i, &pad) != EMSCRIPTEN_RESULT_SUCCESS ||
            !pad.connected) {
            slot.connected = 0;
            continue;
        }
        for (int a = 0; a < 4; a++) slot.axis[a] = a < pad.numAxes ? joyaxis(pad.axis[a]) : 32767;
        int buttons = 0;
        for (int b = 0; b < pad.numButtons && b < 32; b++)
            if (pad.digitalButton[b]) buttons |= 1 << b;
        slot.numbuttons = pad.numButtons;
        slot.buttons = buttons;
        const int standard = strcmp(pad.mapping, "standard") == 0 && pad.numButtons > 15;
        const int up = standard && pad.digitalButton[12], down = standard && pad.digitalButton[13];
        const int left = standard && pad.digitalButton[14], right = standard && pad.digitalButton[15];
        const int dx = right - left, dy = down - up;
        slot.pov = dx == 0 && dy == 0
                       ? FENK_JOYSTICK_POV_CENTERED
                       : (int)lround(fmod(atan2((double)dx, (double)-dy) * 18000 / M_PI + 36000, 36000));
        slot.connected = 1;
    }
}

// ---- The program's way in ----

// How long the gate waits for the browser to start sound after the gesture.
static const int web_soundwait = 3000;
static const char *const web_silentline =
    "AUDIO: the browser did not start sound, playing silently in real time";

static void filewritten(const char *path, int whole) { web_keepfile(path, whole); }

// The saves' folder is named by the program (argv[0], the page's Module.thisProgram).
static void loadsaves(const char *program)
{
    const char *name = program ? strrchr(program, '/') : nullptr;
    name = name ? name + 1 : program ? program : "";
    char folder[64];
    size_t n = 0;
    for (; name[n] && n < sizeof folder - 1; n++) folder[n] = isalnum((unsigned char)name[n]) ? name[n] : '_';
    folder[n] = 0;
    web_loadsaves(n ? folder : "program");
    fenk_filewritten = filewritten;
}

int main(int argc, char **argv)
{
    fenk_rawinput_resetmouse();
    host.virtual_clock = web_framerate() > 0;
    if (host.virtual_clock) {
        virtualclock_setrate(&host.clock, web_framerate());
        audiodriver_web_clock(0);
    }
    host.drawfrom = (uint64_t)web_drawfrom();
    loadsaves(argc > 0 ? argv[0] : nullptr);
    if (!host.virtual_clock && web_startgate(SOUNDSYSTEM_DEVICERATE, web_soundwait) < 0) {
        fenk_log(FENK_LOG_INFO, "%s", web_silentline);
        web_notice(web_silentline);
    }
    // Listening starts after the gate: the key or click that opened it is no input.
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onkey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, onkey);
    emscripten_set_mousemove_callback("#canvas", nullptr, EM_TRUE, onmouse);
    emscripten_set_mousedown_callback("#canvas", nullptr, EM_TRUE, onmouse);
    emscripten_set_mouseup_callback("#canvas", nullptr, EM_TRUE, onmouse);
    emscripten_set_wheel_callback("#canvas", nullptr, EM_TRUE, onwheel);
    web_watchclose();
    const int result = coremain(argc, argv);
    fflush(stdout);
    fflush(stderr);
    web_ended(result);
    return result;
}

// ---- Window and context ----

// Whether the next frame is drawn (the engine's host hooks; none while every frame is).
static void planframe(void)
{
    if (!host.drawfrom) return;
    s_hosthooks hooks = {};
    hooks.drawnothing = host.frames < host.drawfrom;
    fenk_sethosthooks(&hooks);
    if (!hooks.drawnothing) host.drawfrom = 0;
}

void fenk_initwindow(int width, int height, int flags)
{
    (void)flags; // a page goes full screen only on a user's gesture: it fills the window
    host.width = width;
    host.height = height;
    emscripten_set_canvas_element_size("#canvas", width, height);
    // A second call keeps the context, and every GL object made in it: only the canvas changes.
    if (host.context != EGL_NO_CONTEXT) {
        fenk_startglew();
        planframe();
        return;
    }
    host.display = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    eglInitialize(host.display, nullptr, nullptr);
    const EGLint want[] = {EGL_RED_SIZE,   8,  EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                           EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint found = 0;
    eglChooseConfig(host.display, want, &config, 1, &found);
    host.surface = eglCreateWindowSurface(host.display, config, 0, nullptr);
    // Client version 3: WebGL 2 (WebGL 1 samples repeated non-power-of-two textures black).
    const EGLint version[] = {EGL_CONTEXT_CLIENT_VERSION, 3, EGL_NONE};
    host.context = eglCreateContext(host.display, config, EGL_NO_CONTEXT, version);
    if (host.context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(host.display, host.surface, host.surface, host.context))
        fenk_log(FENK_LOG_ERROR, "- ERROR: Web host: no WebGL 2 context");
    fenk_startglew();
    planframe();
}

void fenk_closewindow(void)
{
    if (host.context != EGL_NO_CONTEXT) {
        eglMakeCurrent(host.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        eglDestroyContext(host.display, host.context);
    }
    host.context = EGL_NO_CONTEXT;
    host.width = host.height = 0;
}

// The browser shows what was drawn when control comes back to it.
void fenk_swapbuffers(void)
{
    web_onframe((double)host.frames);
    host.frames++;
    planframe();
    if (host.virtual_clock) {
        virtualclock_frame(&host.clock);
        audiodriver_web_clock(virtualclock_frames(&host.clock, SOUNDSYSTEM_DEVICERATE));
    }
    if (web_nextframe(fenk_rawinput_closecaught())) fenk_rawinput_close();
}

void FENK_SetTitle(const char *text) { web_settitle(text ? text : ""); }

unsigned int FENK_GetMillis(void)
{
    if (!host.virtual_clock) return (unsigned int)(uint64_t)emscripten_get_now();
    // A busy-wait on a clock nobody moves would never end.
    if (virtualclock_spin(&host.clock))
        audiodriver_web_clock(virtualclock_frames(&host.clock, SOUNDSYSTEM_DEVICERATE));
    return (unsigned int)virtualclock_millis(&host.clock);
}

void GetDesktopResolution(int &width, int &height)
{
    width = web_screensize(0);
    height = web_screensize(1);
}

// ---- Input ----

void fenk_getkeys(int *, int *)
{
    int held[256];
    for (int code = 0; code < 256; code++)
        held[code] = fenk_keytap_take(host.key_tapped, code) || host.key_held[code];
    for (int side = 0xA0; side <= 0xA5; side++)
        if (held[side]) held[sidelesskey(side)] = 1;
    for (int code = 0; code < 256; code++) FENK_keys[code] = held[code] ? 0x8000 : 0;
    FENK_joykey = fenk_keymask(FENK_keys);
}

// Mode 1 asks for screen coordinates, which a page does not give: the canvas's are
// given in every mode.
void fenk_getmouse(int *x, int *y, int *buttons)
{
    if (x) *x = fenk_mouse_x;
    if (y) *y = fenk_mouse_y;
    if (buttons) *buttons = fenk_mouse_buttons;
}

// A page may not move the pointer: the position reads as set until it moves.
void fenk_setmouse(int x, int y)
{
    fenk_mouse_x = x;
    fenk_mouse_y = y;
}

void fenk_showmouse(void) { web_setcursor(++host.cursorcount >= 0); }

void fenk_hidemouse(void) { web_setcursor(--host.cursorcount >= 0); }

// ---- Joysticks: the browser's gamepads ----

int fenk_getnumjoysticks(void) { return FENK_WEB_MAXJOYSTICKS; }

int fenk_joystickconnected(int id)
{
    if (id < 0 || id >= FENK_WEB_MAXJOYSTICKS) return 1;
    readgamepads();
    return host.joysticks[id].connected;
}

int fenk_initjoystick(int id) { return id; }

int fenk_polljoystick(int id, int *x, int *y, int *z, int *r, int *buttons)
{
    if (id >= 0 && id < FENK_WEB_MAXJOYSTICKS) readgamepads();
    if (id < 0 || id >= FENK_WEB_MAXJOYSTICKS || !host.joysticks[id].connected) {
        *x = *y = *z = *r = *buttons = 0;
        return 0;
    }
    const JoySlot &slot = host.joysticks[id];
    *x = fenk_joystickaxis((unsigned)slot.axis[0]);
    *y = fenk_joystickaxis((unsigned)slot.axis[1]);
    *z = fenk_joystickaxis((unsigned)slot.axis[2]);
    *r = fenk_joystickaxis((unsigned)slot.axis[3]);
    *buttons =
        fenk_joystickbits(fenk_joysticklayout(slot.numbuttons), (unsigned)slot.pov, (unsigned)slot.buttons);
    return 1;
}
