#include "x_window.h"

#include <X11/Xatom.h>

namespace {

long window_pid(Display *display, Window window, Atom pid_atom)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pid_atom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        if (type == XA_CARDINAL && format == 32 && count == 1)
            pid = static_cast<long>(*(unsigned long *)data);
        XFree(data);
    }
    return pid;
}

Window find_under(Display *display, Window under, long pid, Atom pid_atom)
{
    XWindowAttributes attributes{};
    if (window_pid(display, under, pid_atom) == pid && XGetWindowAttributes(display, under, &attributes) &&
        attributes.map_state == IsViewable)
        return under;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, under, &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count && !found; i++)
            found = find_under(display, children[i], pid, pid_atom);
        if (children) XFree(children);
    }
    return found;
}

} // namespace

Window find_process_window(Display *display, long pid)
{
    const Atom pid_atom = XInternAtom(display, "_NET_WM_PID", False);
    return find_under(display, DefaultRootWindow(display), pid, pid_atom);
}

bool send_delete_window(Display *display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return sent != 0;
}

void destroy_window(Display *display, Window window)
{
    XDestroyWindow(display, window);
    XSync(display, False);
}
