/* The Linux host on SDL2. The main thread owns the window and pumps its events;
 * the show thread runs coremain and owns the GL context. Besides the platform
 * contract it offers programs and tests a way into the main thread. */
#ifndef FENK_HOSTS_DRIVER_SDL_H
#define FENK_HOSTS_DRIVER_SDL_H

#include "platform/host.h"

#ifdef __cplusplus
extern "C" {
#endif

struct SDL_Window;

/* Joystick slots, as many as the Windows joystick service numbers. */
#define FENK_SDL_MAXJOYSTICKS 16

/* The one window, made hidden by main before the show thread starts. */
struct SDL_Window *fenk_sdl_window(void);

/* Runs fn(arg) on the main thread and returns once it has run. Events queued
 * before the call are handled first, so it also serves as a barrier for them. */
void fenk_sdl_runonmain(void (*fn)(void *arg), void *arg);

/* The Windows virtual-key code for an SDL key symbol, 0 for keys without one.
 * Shift, Control and Alt give their left and right codes (0xA0 to 0xA5). */
int fenk_sdl_virtualkey(int sdlkey);

#ifdef __cplusplus
}
#endif

#endif
