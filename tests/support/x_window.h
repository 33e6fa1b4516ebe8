// Another program's windows seen from the X server, the way a window manager sees
// them: found by the process id the program puts on them (_NET_WM_PID), closed with
// the WM_DELETE_WINDOW message a window manager's close button sends, or destroyed
// outright as some tools and crashing window managers do. Linux only.
#pragma once

#include <X11/Xlib.h>

// A viewable window anywhere in the tree (reparented by a window manager or not) whose
// _NET_WM_PID is `pid`; 0 while there is none.
Window find_process_window(Display *display, long pid);

// Sends the window a WM_PROTOCOLS client message with WM_DELETE_WINDOW, as a window
// manager does when its close button is pressed. False when it could not be sent.
bool send_delete_window(Display *display, Window window);

// Destroys the window on the server (XDestroyWindow), as `xdotool windowclose` does:
// the program that made it is not asked.
void destroy_window(Display *display, Window window);
