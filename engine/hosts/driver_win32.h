/* The Windows host: program entry, the window and its procedure, the WGL context
 * and the raw input calls of the platform contract. */
#ifndef FENK_HOSTS_DRIVER_WIN32_H
#define FENK_HOSTS_DRIVER_WIN32_H

#include "platform/host.h"

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Extended style of the window: WS_EX_APPWINDOW | WS_EX_WINDOWEDGE. */
#define FENK_WIN32_EXSTYLE 0x00040100
/* Style set by fenk_initwindow: popup, visible, clipping, caption, system menu. */
#define FENK_WIN32_STYLE 0x96C80000
/* Style the client rectangle is adjusted with (no system menu). */
#define FENK_WIN32_ADJUSTSTYLE 0x16C00000

extern HWND winhandle;
extern HANDLE fenkthread;
extern DWORD dwExStyle;
extern HDC hdc;
extern HGLRC hrc;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdline, int show);
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
int win32_main(int argc, char **argv);
void SetMyProcessDpiAware(void);

#ifdef __cplusplus
}
#endif

#endif
