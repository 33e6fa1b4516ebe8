// The platform contract: what the engine calls below itself. Each host backend
// defines every call here; the engine never asks which one it is linked with.
//
// A backend is a host unit in engine/platform, an audio driver unit in engine/sound,
// and engine/platform/<name>.cmake, which lists its files and makes its library
// fenk_<name> (alias fenk::<name>): the engine's units, that host and that driver in
// one archive. A program links exactly one of them and defines coremain.
//   sdl       driver_sdl.cpp, sdl_requests.cpp, audiodriver_sdl.cpp     fenk::sdl
//   win32     driver_win32.cpp, audiodriver_win32.cpp                   fenk::win32
//   headless  driver_headless.cpp, driver_headless_run.cpp,
//             audiodriver_headless.cpp                                  fenk::headless
//
// A new backend defines:
//   - the program's way in (main, WinMain, or a call such as fenk_headless_run): it
//     runs coremain with the split command line and returns coremain's result;
//   - every call declared below but coremain and CommandLineToArgvA (rawinput.cpp
//     gives the raw input tables and the splitter), and fenk_initwindow calls
//     fenk_startglew once its GL context is current;
//   - the audio driver calls of sound/audiodriver.h (audiodriver_init, _close,
//     _getbuffer, _submitbuffer), calling the mixer once per consumed buffer.
#ifndef FENK_PLATFORM_PLATFORM_H
#define FENK_PLATFORM_PLATFORM_H

#ifdef __cplusplus
extern "C" {
#endif

// The show's entry, run by the host on the show thread with the split command line.
int coremain(int argc, char **argv);

// Window and GL context, called by video start-up on the show thread.
// Bit 0 of flags asks for full screen.
void fenk_initwindow(int width, int height, int flags);
void fenk_closewindow(void);
void fenk_swapbuffers(void);
void FENK_SetTitle(const char *text);
// Milliseconds since an arbitrary start, wrapping at 2^32.
unsigned int FENK_GetMillis(void);

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

#ifdef __cplusplus
}

void GetDesktopResolution(int &width, int &height);
#endif

#endif
