// The host contract, both ways. A host backend defines every call in the first half:
// what the engine calls below itself. The second half is what the engine gives a host:
// the calls a host makes into the engine, and one record of hooks through which a host
// may change how frames are presented. No installed header includes this one; a
// program sees only platform/host.h and its backend's own header.
//
// A backend is one folder's worth of files declared in engine/hosts/<name>.cmake
// (sources, system libraries, pkg-config modules, installed headers); it makes the
// library fenk_<name> (alias fenk::<name>): the engine's units, that host and that
// audio driver in one archive. A program links exactly one of them and defines
// coremain. engine/hosts/template.cmake is a stand-in backend that satisfies this
// contract and nothing more; a test links a program against it.
//
// A new backend defines:
//   - the program's way in (main, WinMain, or a call such as fenk_headless_run): it
//     runs coremain with the split command line and returns coremain's result;
//   - every call of the first half below but coremain, CommandLineToArgvA,
//     fenk_getkeycode and fenk_getmousewheel (rawinput.cpp gives those, the raw input
//     words and the key tables; the host feeds it its events);
//   - on the window's close: fenk_rawinput_close(), and when it returns 0 (the program
//     does not catch the close) the end of the program at once;
//   - in fenk_initwindow, once its GL context is current: fenk_startglew();
//   - the audio driver calls of sound/audiodriver.h (audiodriver_init, _close,
//     _getbuffer, _submitbuffer), calling audiodriver_mixbuffers once per consumed
//     buffer;
//   - where it presents frames other than by swapping a window (reading them back,
//     skipping some): an s_hosthooks record given with fenk_sethosthooks;
//   - where its files do not outlive the program: fenk_filewritten.
#ifndef FENK_PLATFORM_PLATFORM_H
#define FENK_PLATFORM_PLATFORM_H

#include "platform/host.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---- What the engine calls below itself ----

// Window and GL context, called by video start-up on the show thread.
// Bit 0 of flags asks for full screen. A second call while the context lives keeps
// that context (and every GL object in it) and only changes the window.
void fenk_initwindow(int width, int height, int flags);
void fenk_closewindow(void);
void fenk_swapbuffers(void);
// FENK_SetTitle, FENK_GetMillis and GetDesktopResolution: platform/host.h.

// Splits a command line into one fixed block of pointers and texts; never freed.
char **CommandLineToArgvA(char *cmdline, int *argc);

// Raw input words. The window procedure (main thread) writes some of them while the
// show thread reads them: each is an aligned word read and written whole.
extern int FENK_keys[256];
extern int FENK_joykey;
extern int fenk_keycode;
extern int fenk_input_prevkeycode;
extern int fenk_input_mouse_mode;
extern int fenk_mouse_x;
extern int fenk_mouse_y;
extern int fenk_mouse_z;
extern int fenk_mouse_zdir;
extern int fenk_mouse_buttons;
extern unsigned char fenk_mouse_windowhide;

void fenk_getkeys(int *unused1, int *unused2);
int fenk_getkeycode(void);
void fenk_getmouse(int *x, int *y, int *buttons);
void fenk_setmouse(int x, int y);
void fenk_showmouse(void);
void fenk_hidemouse(void);
void fenk_getmousewheel(int *z, int *direction);
int fenk_getnumjoysticks(void);
int fenk_joystickconnected(int id);
int fenk_initjoystick(int id);
int fenk_polljoystick(int id, int *x, int *y, int *z, int *r, int *buttons);

// ---- What the engine gives a host ----

// Loads the GL entry points; the host calls it in fenk_initwindow once its context is
// current.
void fenk_startglew(void);

// A host whose files would not outlive the program (the web host keeps them in the
// browser's storage) sets this: the file layer calls it with the path of each file it
// opens for writing (whole 0: created or truncated, not yet written) and after
// corefile_savebuffer wrote a whole one (whole 1). Null (the start): nobody is told.
extern void (*fenk_filewritten)(const char *path, int whole);

// How a host takes part in presenting frames. A host that swaps a window gives none
// (every member 0): each frame is drawn into the window and swapped.
typedef struct s_hosthooks {
    // Called by FENK_SwapBuffers before the presentation pass, with the frame buffer
    // object that holds the frame when the pass would only copy it unchanged onto the
    // window, else 0. Returns 1 when the pass must draw the window, 0 when it is not
    // needed: the host reads the frame from that frame buffer object (present-from), or
    // will not show the frame at all (show-from). The engine then calls
    // fenk_swapbuffers without drawing, and leaves the wait for the frame to be
    // finished to the host.
    int (*presentfrom)(unsigned int fbo);
    // Non-zero: every draw and clear, the presentation pass included, is clipped to
    // nothing, whatever FENK_SetClipRect asked (frames run undrawn).
    int drawnothing;
} s_hosthooks;

// Replaces the hooks with a copy of *hooks (NULL: none). A change of drawnothing is
// applied at once, so give it only with the GL context current.
void fenk_sethosthooks(const s_hosthooks *hooks);
// The hooks in force.
const s_hosthooks *fenk_gethosthooks(void);

#ifdef __cplusplus
}
#endif

#endif
