// Work posted to the SDL host's main thread. SDL's window calls belong to the thread
// that made the window, so the show thread posts them here and waits for the main
// thread's pump to run them; fenk_sdl_runonmain (driver_sdl.h) is the way in.
#ifndef FENK_HOSTS_SDL_REQUESTS_H
#define FENK_HOSTS_SDL_REQUESTS_H

// On the main thread, before any other thread posts: that thread is the one that runs
// requests from now on.
void sdl_requests_start(void);

// On the main thread, from the pump: runs the request waiting, if any, after calling
// `first` (the pump's event drain, so whatever the caller queued before posting is
// handled before its request). Returns 1 when a request ran.
int sdl_requests_run(void (*first)(void));

#endif
