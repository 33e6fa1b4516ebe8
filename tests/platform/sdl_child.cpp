// A host program for the lifetime tests: its show opens the window, then closes
// it as the window system would ("close": the close box, "quit": the quit
// request) or returns 3 ("return").
#include <SDL2/SDL.h>

#include <stdio.h>
#include <string.h>

#include "platform/driver_sdl.h"
#include "platform/platform.h"

extern "C" int coremain(int argc, char **argv)
{
    const char *how = argc > 1 ? argv[1] : "";
    fenk_initwindow(320, 200, 0);
    if (strcmp(how, "return") == 0) {
        printf("argc %d %s|%s\n", argc, argv[1], argc > 2 ? argv[2] : "");
        fenk_closewindow();
        return 3;
    }

    SDL_Event event;
    memset(&event, 0, sizeof event);
    if (strcmp(how, "close") == 0) {
        event.type = SDL_WINDOWEVENT;
        event.window.event = SDL_WINDOWEVENT_CLOSE;
        event.window.windowID = SDL_GetWindowID(fenk_sdl_window());
    } else {
        event.type = SDL_QUIT;
    }
    puts("closing");
    fflush(stdout);
    SDL_PushEvent(&event);

    Uint32 start = FENK_GetMillis();
    while (FENK_GetMillis() - start < 15000) fenk_swapbuffers();
    puts("still running");
    return 1;
}
