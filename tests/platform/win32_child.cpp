// A whole program on the Windows host for the lifetime tests: WinMain, the pump and
// the show thread. Its show opens the window and then returns ("return") or has
// the window closed under it ("close").
#include <stdio.h>
#include <string.h>

#include "platform/driver_win32.h"

extern "C" int coremain(int argc, char **argv)
{
    const char *how = argc > 1 ? argv[1] : "";
    fenk_initwindow(320, 240, 0);
    if (strcmp(how, "return") == 0) {
        printf("argc %d %s|%s\n", argc, argv[1], argc > 2 ? argv[2] : "");
        // Both calls reach the window through the main thread's pump.
        FENK_SetTitle("child title");
        char title[64] = "";
        GetWindowTextA(winhandle, title, sizeof title);
        printf("title %s\n", title);
        printf("visible %d\n", IsWindowVisible(winhandle) ? 1 : 0);
        fenk_closewindow();
        fflush(stdout);
        return 3;
    }

    puts("closing");
    fflush(stdout);
    PostMessageA(winhandle, WM_CLOSE, 0, 0);
    DWORD start = FENK_GetMillis();
    while (FENK_GetMillis() - start < 15000)
        fenk_swapbuffers();
    puts("still running");
    fflush(stdout);
    return 1;
}
